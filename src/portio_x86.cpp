// SPDX-License-Identifier: GPL-2.0-or-later
// The raw route: the x86 I/O ports, through the kernel's ioperm and the C
// library's inb/outb. Elsewhere every request is refused as a kernel without
// I/O-port permission support refuses it.
//
// Root's lock of a port no device covers is a byte at the port's address in
// root's lock file. Anything there that root did not make for itself is left
// alone, and root's runs go on unlocked.
#include "route.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "portwait.h"

const char raw_lockfile[] = "/run/relayswitch.lock";

static int lockfd = -1;	// -2 where it can't be used

static int open_lockfile()
{
	int fd = open(raw_lockfile, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
	struct stat st;
	if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != 0 ||
			(st.st_mode & 077))) {
		close(fd);
		fd = -1;
	}
	return fd >= 0 ? fd : -2;
}

// Sets the lock of the byte at in fd: type F_WRLCK or F_UNLCK, by fcntl's cmd.
static int byte_lock(int fd, int at, short type, int cmd)
{
	struct flock range = {};
	range.l_type = type;
	range.l_whence = SEEK_SET;
	range.l_start = at;
	range.l_len = 1;
	return fcntl(fd, cmd, &range);
}

static int lock_byte(int fd, int at, int how)
{
	if (byte_lock(fd, at, F_WRLCK, how == WAIT_BLOCK ? F_SETLKW : F_SETLK) == 0)
		return 0;
	if (errno == EACCES)
		errno = EAGAIN;
	return -1;
}

int raw_lock(int port)
{
	if (lockfd == -1)
		lockfd = open_lockfile();
	if (lockfd < 0) {
		errno = ENOLCK;
		return -1;
	}
	return port_wait(lock_byte, lockfd, port);
}

void raw_unlock(int port)
{
	if (lockfd >= 0)
		byte_lock(lockfd, port, F_UNLCK, F_SETLK);
}

#if defined(__i386__) || defined(__x86_64__)
#include <sys/io.h>

int raw_permit(int from, int count)
{
	return ioperm(from, count, 1);
}

int raw_in(int port)
{
	return inb(port);
}

void raw_out(int value, int port)
{
	outb(value, port);	// the C library takes the value first, then the port
}

#else

int raw_permit(int, int)
{
	errno = ENOSYS;
	return -1;
}

int raw_in(int)
{
	return 0xFF;
}

void raw_out(int, int)
{
}
#endif
