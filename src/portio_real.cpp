// SPDX-License-Identifier: GPL-2.0-or-later
// Real backend, for relayswitch: the machine's own ports. A port is reached by
// raw I/O where the kernel grants ioperm. Where it refuses (no privilege, a
// kernel locked down by Secure Boot, no I/O-port support) the kernel's
// parallel-port driver serves the registers of the parallel ports it has
// registered, to whoever may open their devices (root, group lp); to such a
// user any other port reads as an empty bus reads, 0xff, and can't be written.
// A range past 0xffff is never served.
//
// The lock: two runs never interleave their read-modify-write of one port. The
// lock of a port is decided by the port alone: the device of the registered
// parallel port whose registers cover it (flock, on both routes), else root's
// byte at exactly that address in a file that only root can create and open.
// So only those who may use a port can hold its lock. A run takes the lock of
// each port it reads before reading it and gives up the others, but for the
// lock of the register just before this one: a status read (base + 1) keeps the
// base's lock to the final write. Locks are thus only ever waited for upwards
// while others are held, and runs can't deadlock. No wait lasts past the run's
// bound (portwait.h); a port still busy then ends the run with a message.
//
// The claim: through the driver a run claims the port (after its lock) for as
// long as it holds the lock. By raw I/O root's runs don't claim -- a claim
// resets the control register, which they have never touched -- but a port the
// driver has registered belongs, while another device holds its claim, to that
// holder, so they look before each access and wait for the release.
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "pinlatch.h"
#include "portio.h"
#include "route.h"

const char port_program[] = "relayswitch";

enum { REFUSED, RAW, DRIVER, UNSERVED };
static int route;	// how the port granted last is reached
static int refusal;	// what ioperm said of it: a write to an UNSERVED port is refused so

// Why the driver route could not serve the port last refused, for the line
// after the ioperm message: its device's error, or that no device serves it.
enum { NO_REASON, DEVICE_ERROR, NOT_SERVED };
static struct {
	int kind, dev, err, port;
} why;

// Where a port is: the device of the registered parallel port whose registers
// cover it (-1: none), and the key of its lock, the address that lock covers
// from (that port's base, or the port itself). Looked up once an access.
struct Where {
	int port, dev, key;
};

static Where where(int port)
{
	int base;
	Where w = { port, parport_find(port, &base), port };
	if (w.dev >= 0)
		w.key = base;
	return w;
}

// The locks held, at most two: the flock of the device's descriptor (fd,
// claimed too on the driver route), or else root's byte at the key.
struct Lock {
	int key, fd, dev, claimed;
};
static Lock locks[2] = { { -1, -1, -1, 0 }, { -1, -1, -1, 0 } };
static int granted;	// the slot of the port granted last

static int held(int key)
{
	for (int i = 0; i < 2; i++)
		if (key >= 0 && locks[i].key == key)
			return i;
	return -1;
}

static void unlock(int i)
{
	if (locks[i].fd >= 0)
		parport_close(locks[i].fd);	// and with it the claim
	else if (locks[i].key >= 0)
		raw_unlock(locks[i].key);
	locks[i] = { -1, -1, -1, 0 };
}

[[noreturn]] static void busy(int key, int dev)
{
	char name[32], who[64];
	snprintf(name, sizeof name, "/dev/parport%d", dev);
	int claim = dev >= 0 && parport_holder(dev, who, sizeof who);
	port_fail("port 0x%x (%s) is busy: %s%s\n", key, dev >= 0 ? name : raw_lockfile,
		  claim ? "claimed by " : "locked by another run", claim ? who : "");
}

[[noreturn]] static void driver_failed(const char *what, int dev)
{
	port_fail("cannot %s /dev/parport%d: %m\n", what, dev);
}

// Takes the lock of the port, giving up all others but the lock of the
// register just before it. The driver route (raw 0) locks devices only.
// Returns the lock's slot, or -1 when the run goes on without one: on the raw
// route where no lock can be had, on the driver route where the device does
// not open.
static int lock(const Where &w, int raw)
{
	int i = held(w.key);
	if (i >= 0)
		return i;
	int keep = held(where(w.port - 1).key);
	for (int j = 0; j < 2; j++)
		if (j != keep)
			unlock(j);
	i = keep == 0;
	int fd = w.dev >= 0 ? parport_open(w.dev) : -1;
	if (fd >= 0) {
		if (parport_lock(fd) == 0) {
			locks[i] = { w.key, fd, w.dev, 0 };
			return i;
		}
		if (errno == ETIMEDOUT)
			busy(w.key, w.dev);
		if (!raw)
			driver_failed("lock", w.dev);
		parport_close(fd);	// a lock that failed is no lock: root's byte instead
	}
	if (!raw)
		return -1;
	if (raw_lock(w.key) != 0) {
		if (errno == ETIMEDOUT)
			busy(w.key, -1);
		// Going on without the lock could lose another run's switch.
		if (errno == EEXIST)
			port_fail("%s: not root's own regular file: remove it\n", raw_lockfile);
		return -1;
	}
	locks[i] = { w.key, -1, -1, 0 };
	return i;
}

// The driver route: the port's device, locked first and then claimed, so that
// claims made while other runs wait on the lock can't pile up in the kernel.
static int driver(const Where &w)
{
	if (w.dev < 0) {
		for (int j = 0; j < 2; j++)
			unlock(j);
		why = { NOT_SERVED, -1, 0, w.port };
		return parport_any() ? UNSERVED : REFUSED;
	}
	granted = lock(w, 0);
	if (granted < 0 || locks[granted].fd < 0) {
		// A device that isn't there (ppdev not loaded) serves nothing.
		why = { errno == ENOENT ? NOT_SERVED : DEVICE_ERROR, w.dev, errno, w.port };
		return REFUSED;
	}
	Lock &l = locks[granted];
	if (!l.claimed) {
		if (parport_claim(l.fd, w.dev) != 0) {
			if (errno == ETIMEDOUT)
				busy(w.key, w.dev);
			driver_failed("claim", w.dev);
		}
		l.claimed = 1;
	}
	return DRIVER;
}

int io_permit(int from, int count)
{
	if (raw_permit(from, count) == 0) {
		route = RAW;
		Where w = where(from);
		lock(w, 1);
		if (w.dev >= 0 && parport_unclaimed(w.dev) != 0)
			busy(w.key, w.dev);
		return 0;
	}
	refusal = errno;
	why.kind = NO_REASON;
	route = refusal == EINVAL || from < 0 || from + count > 0x10000 ? REFUSED : driver(where(from));
	errno = refusal;
	return route == REFUSED ? -1 : 0;
}

int io_in(int port)
{
	if (route == RAW)
		return raw_in(port);
	if (route == UNSERVED)
		return 0xFF;
	const Lock &l = locks[granted];
	int value = parport_in(l.fd, port - l.key);
	if (value < 0)
		driver_failed("read", l.dev);
	return value;
}

int io_out(int value, int port)
{
	if (route == RAW) {
		raw_out(value, port);
		return 0;
	}
	if (route == UNSERVED || port != locks[granted].key) {
		errno = refusal;
		return -1;
	}
	if (parport_out(locks[granted].fd, value) != 0)
		driver_failed("write", locks[granted].dev);
	return 0;
}

const char *io_why(char *line, int size)
{
	if (why.kind == DEVICE_ERROR) {
		snprintf(line, size, "/dev/parport%d: %s\n", why.dev, strerror(why.err));
		return line;
	}
	if (why.kind != NOT_SERVED)
		return nullptr;
	enum { MAX = 16 };
	int base[MAX], n = parport_served(base, MAX);
	if (n == 0)
		return "no /dev/parport* devices: load parport_pc and ppdev\n";
	int len = snprintf(line, size, "no parallel-port driver serves 0x%x (it serves", why.port);
	for (int i = 0; i < n && len < size; i++)
		len += snprintf(line + len, size - len, " 0x%x", base[i]);
	if (len < size)
		snprintf(line + len, size - len, ")\n");
	return line;
}
