// Real backend: the x86 I/O ports, through the kernel's ioperm and the C
// library's inb/outb. Elsewhere every request is refused as a kernel without
// I/O-port permission support refuses it.
#include "portio.h"

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
#include <cerrno>

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
