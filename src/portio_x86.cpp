// SPDX-License-Identifier: GPL-2.0-or-later
// The raw route: the x86 I/O ports, through the kernel's ioperm and the C
// library's inb/outb. Elsewhere every request is refused as a kernel without
// I/O-port permission support refuses it.
//
// Root's lock of a port no device covers is a byte at the port's address in
// root's lock file: a regular file of root's, of one name, mode 0600 (a mode
// root's umask or hand gave it otherwise is set right). Anything else at that
// path ends root's run before the port is touched: going on unlocked could
// lose a switch. Only where nothing is there and nothing can be made (no /run)
// and for a process with CAP_SYS_RAWIO that isn't root does a run go on
// without the lock.
#include "route.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "portwait.h"

const char raw_lockfile[] = "/run/relayswitch.lock";

enum { UNOPENED = -1, NONE = -2, FOREIGN = -3 };
static int lockfd = UNOPENED;

static int open_lockfile()
{
	int fd = open(raw_lockfile, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
	struct stat st;
	if (fd < 0)
		return geteuid() == 0 && lstat(raw_lockfile, &st) == 0 ? FOREIGN : NONE;
	if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == 0 && st.st_nlink == 1 &&
	    ((st.st_mode & 07777) == 0600 || fchmod(fd, 0600) == 0))
		return fd;
	close(fd);
	return geteuid() == 0 ? FOREIGN : NONE;
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
	if (lockfd == UNOPENED)
		lockfd = open_lockfile();
	if (lockfd < 0) {
		errno = lockfd == FOREIGN ? EEXIST : ENOLCK;
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
