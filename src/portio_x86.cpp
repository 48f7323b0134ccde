// SPDX-License-Identifier: GPL-2.0-or-later
// The raw route: the x86 I/O ports, through the kernel's ioperm and the C
// library's inb/outb. Elsewhere every request is refused as a kernel without
// I/O-port permission support refuses it.
#include "route.h"

#include <errno.h>

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
