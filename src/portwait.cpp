// SPDX-License-Identifier: GPL-2.0-or-later
// The bound on waiting, for both backends. A wait is a blocking call that the
// run's timer interrupts (EINTR): the timer is set to the time the run has left
// and then ticks every 20 ms, so a tick that arrives just before the call
// blocks is followed by another.
//
// The timer is a POSIX timer of the run's own, on the first real-time signal,
// never SIGALRM: an alarm the caller set before starting the run still fires
// when it is due, as the caller meant. Whatever mask the run inherited, that
// signal is unblocked only during the blocking call, and the mask and the
// signal's disposition are back as they were once the wait is over. Where no
// timer can be had (the pending-signal limit, RLIMIT_SIGPENDING, spent), the
// wait looks again every 20 ms instead of blocking.
#include "portwait.h"

#include <errno.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
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

static void set_timer(timer_t timer, long us, long every)
{
	struct itimerspec t = {};
	t.it_value.tv_sec = us / 1000000;
	t.it_value.tv_nsec = us % 1000000 * 1000;
	t.it_interval.tv_nsec = every * 1000;
	timer_settime(timer, 0, &t, nullptr);
}

void port_pause()
{
	struct timespec pause = { 0, 20000000 };
	nanosleep(&pause, nullptr);
}

// Waits with the run's timer: 0 got it, else -1 with errno (ETIMEDOUT when the
// time is up); or -2 when no timer could be had, with everything as it was.
static int timed_wait(int (*take)(int, int, int), int fd, int arg)
{
	const int sig = SIGRTMIN;
	sigset_t own, caller, waiting;
	sigemptyset(&own);
	sigaddset(&own, sig);
	// The signal stays blocked but during the blocking call: a tick then can
	// only end that call, or wait, pending, to be taken back below.
	sigprocmask(SIG_BLOCK, &own, &caller);
	waiting = caller;
	sigdelset(&waiting, sig);
	struct sigaction sa = {}, was;
	sa.sa_handler = tick;	// no SA_RESTART: the tick ends the call that waits
	sigemptyset(&sa.sa_mask);
	sigaction(sig, &sa, &was);
	struct sigevent ev = {};
	ev.sigev_notify = SIGEV_SIGNAL;
	ev.sigev_signo = sig;
	timer_t timer;
	int r = -2, e = 0;
	if (timer_create(CLOCK_MONOTONIC, &ev, &timer) == 0) {
		for (;;) {
			long us = left();
			if (us <= 0) {
				r = -1;
				e = ETIMEDOUT;
				break;
			}
			set_timer(timer, us, 20000);
			sigprocmask(SIG_SETMASK, &waiting, nullptr);
			r = take(fd, arg, WAIT_BLOCK);
			e = errno;
			sigprocmask(SIG_BLOCK, &own, nullptr);
			set_timer(timer, 0, 0);
			if (r == 0 || (e != EINTR && e != EAGAIN))
				break;
		}
		timer_delete(timer);
		struct timespec none = {};
		while (sigtimedwait(&own, nullptr, &none) == sig) {
			// a tick that came after the call: taken back, not left pending
		}
	}
	sigaction(sig, &was, nullptr);
	sigprocmask(SIG_SETMASK, &caller, nullptr);
	errno = e;
	return r;
}

int port_wait(int (*take)(int, int, int), int fd, int arg)
{
	int r = take(fd, arg, WAIT_TRY);
	if (r == 0 || errno != EAGAIN)
		return r;
	r = timed_wait(take, fd, arg);
	if (r != -2)
		return r;
	for (;;) {
		if (left() <= 0) {
			errno = ETIMEDOUT;
			return -1;
		}
		r = take(fd, arg, WAIT_POLL);
		if (r == 0 || errno != EAGAIN)
			return r;
		port_pause();
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
