// SPDX-License-Identifier: GPL-2.0-or-later
// The bound on waiting, for both backends. A wait is a blocking call that the
// timer's signal interrupts (EINTR): the timer is set to the time the run has
// left and then ticks every 20 ms, so a signal that arrives just before the call
// blocks is followed by another.
#include "portwait.h"

#include <errno.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/time.h>
#include <time.h>

static void tick(int)
{
}

// Microseconds left of the run's 10 s; the clock starts at its first wait.
static long left()
{
	static struct timespec end;
	static int started;
	struct timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	if (!started) {
		started = 1;
		end = now;
		end.tv_sec += WAIT_SECONDS;
	}
	return (end.tv_sec - now.tv_sec) * 1000000L + (end.tv_nsec - now.tv_nsec) / 1000;
}

static void timer(long us, long every)
{
	struct itimerval t = {};
	t.it_value.tv_sec = us / 1000000;
	t.it_value.tv_usec = us % 1000000;
	t.it_interval.tv_usec = every;
	setitimer(ITIMER_REAL, &t, nullptr);
}

int port_wait(int (*take)(int, int, int), int fd, int arg)
{
	int r = take(fd, arg, 0);
	if (r == 0 || errno != EAGAIN)
		return r;
	struct sigaction sa = {};
	sa.sa_handler = tick;	// no SA_RESTART: the signal ends the call that waits
	sigaction(SIGALRM, &sa, nullptr);
	for (;;) {
		long us = left();
		if (us <= 0) {
			errno = ETIMEDOUT;
			return -1;
		}
		timer(us, 20000);
		r = take(fd, arg, 1);
		int e = errno;
		timer(0, 0);
		errno = e;
		if (r == 0 || (e != EINTR && e != EAGAIN))
			return r;
	}
}

void port_fail(const char *format, ...)
{
	va_list ap;
	va_start(ap, format);
	vfprintf(stderr, format, ap);
	va_end(ap);
	exit(1);
}
