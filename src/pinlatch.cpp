// SPDX-License-Identifier: GPL-2.0-or-later
// The operations of pinlatch.h, each a permission request and then one access
// through the hardware seam (portio.h).
#include "pinlatch.h"

#include <errno.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "portio.h"

void port_hold_xfsz()
{
	sigset_t xfsz;
	sigemptyset(&xfsz);
	sigaddset(&xfsz, SIGXFSZ);
	sigprocmask(SIG_BLOCK, &xfsz, nullptr);
}

// "<port_program>: " and text on standard error, in one write, so that runs
// sharing an error output never mix their lines.
static void say(const char *text)
{
	char line[8192];
	size_t n = strlen(port_program), len = strlen(text);
	if (len > sizeof line - n - 3)
		len = sizeof line - n - 3;
	memcpy(line, port_program, n);
	memcpy(line + n, ": ", 2);
	memcpy(line + n + 2, text, len);
	line[n + 2 + len] = '\0';
	fputs(line, stderr);
}

void port_fail(const char *format, ...)
{
	int e = errno;	// for a %m in format
	port_hold_xfsz();
	char text[8000];
	va_list ap;
	va_start(ap, format);
	errno = e;
	vsnprintf(text, sizeof text, format, ap);
	va_end(ap);
	say(text);
	exit(1);
}

// The system's word first, as it has always been printed, then the port
// access's own reason where it has one (what the kernel's driver said).
[[noreturn]] static void refused()
{
	port_hold_xfsz();
	perror("ioperm");
	char line[160];
	if (const char *why = io_why(line, sizeof line))
		say(why);
	exit(1);
}

// Every access asks anew for the port and the two after it; refusal ends the run.
static void grant(int port)
{
	if (io_permit(port, 3) != 0)
		refused();
}

int port_input(int port)
{
	grant(port);
	int value = io_in(port);
	if (value < 0)
		refused();
	return value & 0xFF;
}

void pinlatch_all(int value, int port)
{
	grant(port);
	if (io_out(value & 0xFF, port) != 0)
		refused();
	exit(0);
}

void pinlatch(int d1, int d2, int d3, int d4, int d5, int d6, int d7, int d8, int port)
{
	// A state is on when non-zero: a stray 2 or -1 must not switch other lines.
	pinlatch_all((d1 != 0) | (d2 != 0) << 1 | (d3 != 0) << 2 | (d4 != 0) << 3 |
			     (d5 != 0) << 4 | (d6 != 0) << 5 | (d7 != 0) << 6 | (d8 != 0) << 7,
		     port);
}
