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
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "pinlatch.h"
#include "portio.h"
#include "portwait.h"
#include "route.h"

const char port_program[] = "relayswitch";

static const char rootlock[] = "/run/relayswitch.lock";

enum { REFUSED, RAW, DRIVER, UNSERVED };
static int route;	// how the port granted last is reached
static int refusal;	// what ioperm said of it: a write to an UNSERVED port is refused so

// The locks held, at most two. Each is named by its key, the address it covers
// from (a registered port's base, or the port itself), and is the flock of
// lockfd, the device /dev/parport<lockdev>, or else root's byte at the key.
static int lockkey[2] = { -1, -1 };
static int lockfd[2] = { -1, -1 };
static int lockdev[2];
static int claimed[2];	// the device is claimed, for the driver route
static int granted;	// the slot of the port granted last
static int rootfd = -1;	// root's lock file; -2 where it can't be used

// The key of port's lock, and the device that covers it (-1: none).
static int key(int port, int *n)
{
	int base;
	*n = parport_find(port, &base);
	return *n >= 0 ? base : port;
}

static int held(int k)
{
	for (int i = 0; i < 2; i++)
		if (k >= 0 && lockkey[i] == k)
			return i;
	return -1;
}

static void unlock(int i)
{
	if (lockfd[i] >= 0) {
		close(lockfd[i]);	// and with it the claim
	} else if (lockkey[i] >= 0) {
		struct flock range = {};
		range.l_type = F_UNLCK;
		range.l_whence = SEEK_SET;
		range.l_start = lockkey[i];
		range.l_len = 1;
		fcntl(rootfd, F_SETLK, &range);
	}
	lockkey[i] = lockfd[i] = -1;
	claimed[i] = 0;
}

static int flock_device(int fd, int, int how)
{
	return flock(fd, how == WAIT_BLOCK ? LOCK_EX : LOCK_EX | LOCK_NB);
}

static int lock_byte(int fd, int at, int how)
{
	struct flock range = {};
	range.l_type = F_WRLCK;
	range.l_whence = SEEK_SET;
	range.l_start = at;
	range.l_len = 1;
	if (fcntl(fd, how == WAIT_BLOCK ? F_SETLKW : F_SETLK, &range) == 0)
		return 0;
	if (errno == EACCES)
		errno = EAGAIN;
	return -1;
}

// Root's lock file. Anything there that root did not make for itself is left
// alone, and root's runs go on unlocked.
static int open_rootlock()
{
	int fd = open(rootlock, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
	struct stat st;
	if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != 0 ||
			(st.st_mode & 077))) {
		close(fd);
		fd = -1;
	}
	return fd >= 0 ? fd : -2;
}

[[noreturn]] static void busy(int k, int n)
{
	char dev[32], who[64];
	snprintf(dev, sizeof dev, "/dev/parport%d", n);
	int claim = n >= 0 && parport_holder(n, who, sizeof who);
	port_fail("port 0x%x (%s) is busy: %s%s\n", k, n >= 0 ? dev : rootlock,
		  claim ? "claimed by " : "locked by another run", claim ? who : "");
}

[[noreturn]] static void driver_failed(const char *what, int n)
{
	port_fail("cannot %s /dev/parport%d: %m\n", what, n);
}

// Takes the lock of port, giving up all others but the lock of the register
// just before it. The driver route (raw 0) locks devices only. Returns the
// lock's slot, or -1 when the run goes on without one: on the raw route where
// no lock can be had, on the driver route where the device does not open.
static int lock(int port, int raw)
{
	int n, k = key(port, &n), i = held(k);
	if (i >= 0)
		return i;
	int m, keep = held(key(port - 1, &m));
	for (int j = 0; j < 2; j++)
		if (j != keep)
			unlock(j);
	i = keep == 0;
	int fd = n >= 0 ? parport_open(n) : -1;
	if (fd >= 0) {
		if (port_wait(flock_device, fd, 0) == 0) {
			lockkey[i] = k;
			lockfd[i] = fd;
			lockdev[i] = n;
			return i;
		}
		if (errno == ETIMEDOUT)
			busy(k, n);
		if (!raw)
			driver_failed("lock", n);
		close(fd);	// a lock that failed is no lock: root's byte instead
	}
	if (!raw)
		return -1;
	if (rootfd == -1)
		rootfd = open_rootlock();
	if (rootfd < 0)
		return -1;
	if (port_wait(lock_byte, rootfd, k) != 0) {
		if (errno == ETIMEDOUT)
			busy(k, -1);
		return -1;
	}
	lockkey[i] = k;
	return i;
}

// The driver route: the port's device, locked first and then claimed, so that
// claims made while other runs wait on the lock can't pile up in the kernel.
static int driver(int port)
{
	int base, n = parport_find(port, &base);
	if (n < 0) {
		for (int j = 0; j < 2; j++)
			unlock(j);
		return parport_any() ? UNSERVED : REFUSED;
	}
	granted = lock(port, 0);
	if (granted < 0 || lockfd[granted] < 0)
		return REFUSED;
	if (!claimed[granted]) {
		if (parport_claim(lockfd[granted], n) != 0) {
			if (errno == ETIMEDOUT)
				busy(base, n);
			driver_failed("claim", n);
		}
		claimed[granted] = 1;
	}
	return DRIVER;
}

int io_permit(int from, int count)
{
	if (raw_permit(from, count) == 0) {
		route = RAW;
		lock(from, 1);
		int n, base = key(from, &n);
		if (n >= 0 && parport_unclaimed(n) != 0)
			busy(base, n);
		return 0;
	}
	refusal = errno;
	route = refusal == EINVAL || from < 0 || from + count > 0x10000 ? REFUSED : driver(from);
	errno = refusal;
	return route == REFUSED ? -1 : 0;
}

int io_in(int port)
{
	if (route == RAW)
		return raw_in(port);
	if (route == UNSERVED)
		return 0xFF;
	int value = parport_in(lockfd[granted], port - lockkey[granted]);
	if (value < 0)
		driver_failed("read", lockdev[granted]);
	return value;
}

int io_out(int value, int port)
{
	if (route == RAW) {
		raw_out(value, port);
		return 0;
	}
	if (route == UNSERVED || port != lockkey[granted]) {
		errno = refusal;
		return -1;
	}
	if (parport_out(lockfd[granted], value) != 0)
		driver_failed("write", lockdev[granted]);
	return 0;
}
