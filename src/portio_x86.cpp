// Real backend: the x86 I/O ports, through the kernel's ioperm and the C
// library's inb/outb. Elsewhere every request is refused as a kernel without
// I/O-port permission support refuses it.
#include "portio.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

// Runs of relayswitch share this lock file, whatever their port. /run/lock is
// writable by everyone; a lock file that is not there and cannot be made, or is
// a link, leaves the run unlocked.
void io_lock()
{
	static int tried;
	if (tried)
		return;
	tried = 1;
	int fd = open("/run/lock/relayswitch.lock",
		      O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
	if (fd >= 0)
		while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
		}
}

#if defined(__i386__) || defined(__x86_64__)
#include <sys/io.h>

int io_permit(int from, int count)
{
	return ioperm(from, count, 1);
}

int io_in(int port)
{
	return inb(port);
}

void io_out(int value, int port)
{
	outb(value, port);	// the C library takes the value first, then the port
}

#else

int io_permit(int, int)
{
	errno = ENOSYS;
	return -1;
}

int io_in(int)
{
	return 0xFF;
}

void io_out(int, int)
{
}
#endif
