// SPDX-License-Identifier: GPL-2.0-or-later
// Real backend, for relayswitch: the machine's own ports. A port is reached by
// raw I/O where the kernel grants ioperm. Where it refuses (no privilege, a
// kernel locked down by Secure Boot, no I/O-port support) the kernel's
// parallel-port driver serves the registers of the parallel ports it has
// registered, to whoever may open their devices (root, group lp); to such a
// user any other port reads as an empty bus reads, 0xff, and can't be written.
// A range past 0xffff is never served.
//
// The lock: two runs never interleave their read-modify-write of one port. A
// run holds at most one lock, on the port it works on, from its read of the
// base to its write there; a -p to another port gives it up, so runs that visit
// ports in opposite orders can't deadlock. Only those who may use a port can
// hold its lock: a port with a driver is locked by flock on its device, on both
// routes; a port without one only root can reach, and its lock is a byte of a
// file that only root can create and open.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "portio.h"
#include "route.h"

static const char rootlock[] = "/run/relayswitch.lock";

enum { REFUSED, RAW, DRIVER, EMPTY };
static int route;	// how the port granted last is reached
static int refusal;	// what ioperm said of it, for a write on the EMPTY route
static int held = -1;	// the open file whose lock this run holds, or -1
static int heldbase;	// the base of the port it locks
static int claimed;	// held is that port's device, claimed for the driver route

static int holds(int port)
{
	return held >= 0 && port >= heldbase && port <= heldbase + 2;
}

static void release()
{
	if (held >= 0)
		close(held);
	held = -1;
	claimed = 0;
}

static void hold(int fd, int base)
{
	while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
	}
	held = fd;
	heldbase = base;
}

// A port without a driver: its byte of root's lock file. Anything there that
// root did not make for itself is left alone, and the run goes on unlocked.
static void hold_rootlock(int port)
{
	int fd = open(rootlock, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
	struct stat st;
	if (fd < 0)
		return;
	if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != 0 || (st.st_mode & 077)) {
		close(fd);
		return;
	}
	struct flock range = {};
	range.l_type = F_WRLCK;
	range.l_whence = SEEK_SET;
	range.l_start = port;
	range.l_len = 1;
	while (fcntl(fd, F_SETLKW, &range) != 0 && errno == EINTR) {
	}
	held = fd;
	heldbase = port;
}

// Takes the lock of port's device, giving up any other: 1 when held, 0 when no
// registered parallel port covers port, -1 when its device does not open.
static int lock_device(int port)
{
	release();
	int base, n = parport_find(port, &base);
	if (n < 0)
		return 0;
	int fd = parport_open(n);
	if (fd < 0)
		return -1;
	hold(fd, base);
	return 1;
}

// The raw route's lock: the port's device where it has one, else root's file.
static void lock_raw(int port)
{
	if (!holds(port) && lock_device(port) <= 0)
		hold_rootlock(port);
}

// The driver route: the port's device, locked first and then claimed (claims
// made while others wait on the lock can't pile up in the kernel).
static int driver(int port)
{
	if (!holds(port)) {
		int got = lock_device(port);
		if (got <= 0)
			return got == 0 && parport_any() ? EMPTY : REFUSED;
	}
	if (!claimed) {
		if (parport_claim(held) != 0)
			return REFUSED;
		claimed = 1;
	}
	return DRIVER;
}

int io_permit(int from, int count)
{
	if (raw_permit(from, count) == 0) {
		route = RAW;
		lock_raw(from);
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
	if (route == DRIVER)
		return parport_in(held, port - heldbase);
	return 0xFF;
}

int io_out(int value, int port)
{
	if (route == RAW) {
		raw_out(value, port);
		return 0;
	}
	if (route == DRIVER && port == heldbase)
		return parport_out(held, value);
	errno = refusal;
	return -1;
}
