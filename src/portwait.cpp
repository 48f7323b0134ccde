// SPDX-License-Identifier: GPL-2.0-or-later
// The bound on waiting, for both backends. A wait is a blocking call that the
// run's timer interrupts (EINTR): the timer is set to the time the run has left
// and then ticks every 20 ms, so a tick that arrives just before the call
// blocks is followed by another.
//
// The timer is a POSIX timer of the run's own, on the first real-time signal,
// never SIGALRM: an alarm the caller set before starting the run still fires
// when it is due, as the caller meant. Whatever mask the run inherited, that
// signal is unblocked only during the blocking call, and the mask, bit for
// bit, and the signal's disposition are back as they were once the wait is
// over. Where no such timer can be had (the pending-signal limit,
// RLIMIT_SIGPENDING, spent), SIGALRM's interval timer serves, the caller's
// alarm held meanwhile and given back: every blocking call, a driver's claim
// too, is still cut off at the bound.
#include "portwait.h"

#include <errno.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

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

void port_pause()
{
	struct timespec pause = { 0, 20000000 };
	nanosleep(&pause, nullptr);
}

// The signal mask as the kernel keeps it, every signal's bit. The C library's
// own calls leave out the signals it keeps for itself (musl's 32 to 34) and
// may unblock them on the way; a run gives back its caller's mask bit for bit,
// so it sets the mask by the system call itself.
typedef unsigned long long kmask;

static kmask bit(int sig)
{
	return 1ULL << (sig - 1);
}

static void mask(int how, const kmask *set, kmask *old)
{
	syscall(SYS_rt_sigprocmask, how, set, old, sizeof(kmask));
}

// A signal's disposition as the kernel keeps it. The run's tick is set by the
// system call itself too: musl's sigaction, the first time it sets a handler,
// unblocks signals 33 and 34, and one the caller left blocked and pending would
// then end the run.
struct kaction {
	void (*handler)(int);
	unsigned long flags;
	void (*restorer)();
	kmask mask;
};

// On x86-64 the kernel returns from a handler through a restorer the program
// names; on i386 through its own, where none is named.
enum { KERNEL_SA_RESTORER = 0x04000000 };
#ifdef __x86_64__
extern "C" void relayswitch_sigreturn();
__asm__(".text\n"
	"relayswitch_sigreturn:\n"
	"\tmovq $15, %rax\n"	// rt_sigreturn
	"\tsyscall\n");
static const unsigned long restorer_flag = KERNEL_SA_RESTORER;
static void (*const restorer)() = relayswitch_sigreturn;
#else
static const unsigned long restorer_flag = 0;
static void (*const restorer)() = nullptr;
#endif

static void action(int sig, const kaction *set, kaction *old)
{
	syscall(SYS_rt_sigaction, sig, set, old, sizeof(kmask));
}

// The run's timer: a POSIX timer of its own on the first real-time signal, or,
// where none can be had, the real-time interval timer (SIGALRM), the caller's
// setting of it saved and given back.
struct Clock {
	int sig;
	int posix;
	timer_t timer;
};

static void set_timer(const Clock *c, long us, long every)
{
	if (c->posix) {
		struct itimerspec t = {};
		t.it_value.tv_sec = us / 1000000;
		t.it_value.tv_nsec = us % 1000000 * 1000;
		t.it_interval.tv_nsec = every * 1000;
		timer_settime(c->timer, 0, &t, nullptr);
	} else {
		struct itimerval t = {};
		t.it_value.tv_sec = us / 1000000;
		t.it_value.tv_usec = us % 1000000;
		t.it_interval.tv_usec = every;
		setitimer(ITIMER_REAL, &t, nullptr);
	}
}

// Waits on clock c, whose signal is blocked: 0 got it, else -1 with errno
// (ETIMEDOUT when the time is up). Once the time is up, take() has one more
// chance, for one tick: a holder that let go while this run was stopped past
// its bound leaves the port free, not busy.
static int wait_on(const Clock *c, int (*take)(int, int, int), int fd, int arg, kmask waiting)
{
	kmask own = bit(c->sig);
	int last = 0;
	for (;;) {
		long us = left();
		if (us <= 0) {
			if (last) {
				errno = ETIMEDOUT;
				return -1;
			}
			last = 1;
			us = 20000;
		}
		set_timer(c, us, 20000);
		mask(SIG_SETMASK, &waiting, nullptr);
		int r = take(fd, arg, WAIT_BLOCK), e = errno;
		mask(SIG_BLOCK, &own, nullptr);
		set_timer(c, 0, 0);
		if (r == 0 || (e != EINTR && e != EAGAIN)) {
			errno = e;
			return r;
		}
	}
}

// Waits with the run's timer: 0 got it, else -1 with errno (ETIMEDOUT when the
// time is up). The signal's disposition, the caller's interval timer and the
// mask are as they were afterwards, and no tick is left pending.
static int timed_wait(int (*take)(int, int, int), int fd, int arg)
{
	Clock c = { SIGRTMIN, 1, {} };
	kmask caller, own = bit(c.sig);
	// The signal stays blocked but during the blocking call: a tick then can
	// only end that call, or wait, pending, to be taken back below.
	mask(SIG_BLOCK, &own, &caller);
	// No SA_RESTART: the tick ends the call that waits.
	kaction sa = { tick, restorer_flag, restorer, 0 }, was;
	struct sigevent ev = {};
	ev.sigev_notify = SIGEV_SIGNAL;
	ev.sigev_signo = c.sig;
	struct itimerval callers = {};
	struct timespec began;
	int pending_before = 0;
	if (timer_create(CLOCK_MONOTONIC, &ev, &c.timer) != 0) {
		// No timer of its own (RLIMIT_SIGPENDING spent): SIGALRM's timer,
		// which needs no signal queued. The caller's alarm is held meanwhile
		// and given back, due when it was due or, if that passed, at once.
		c = { SIGALRM, 0, {} };
		own = bit(SIGALRM);
		mask(SIG_BLOCK, &own, nullptr);
		sigset_t pending;
		sigpending(&pending);
		pending_before = sigismember(&pending, SIGALRM);
		struct itimerval none = {};
		setitimer(ITIMER_REAL, &none, &callers);
		clock_gettime(CLOCK_MONOTONIC, &began);
	}
	action(c.sig, &sa, &was);
	int r = wait_on(&c, take, fd, arg, caller & ~own), e = errno;
	if (c.posix)
		timer_delete(c.timer);
	sigset_t ownset;
	sigemptyset(&ownset);
	sigaddset(&ownset, c.sig);
	struct timespec none = {};
	while (sigtimedwait(&ownset, nullptr, &none) == c.sig) {
		// a tick that came after the call: taken back, not left pending
	}
	action(c.sig, &was, nullptr);
	if (!c.posix && (callers.it_value.tv_sec || callers.it_value.tv_usec)) {
		struct timespec now;
		clock_gettime(CLOCK_MONOTONIC, &now);
		long long due = callers.it_value.tv_sec * 1000000LL + callers.it_value.tv_usec -
				((now.tv_sec - began.tv_sec) * 1000000LL + (now.tv_nsec - began.tv_nsec) / 1000);
		if (due < 1)
			due = 1;
		callers.it_value.tv_sec = due / 1000000;
		callers.it_value.tv_usec = due % 1000000;
		setitimer(ITIMER_REAL, &callers, nullptr);
	}
	mask(SIG_SETMASK, &caller, nullptr);
	if (pending_before)
		raise(SIGALRM);	// the caller's, taken by the wait: pending again, as it was
	errno = e;
	return r;
}

int port_wait(int (*take)(int, int, int), int fd, int arg)
{
	int r = take(fd, arg, WAIT_TRY);
	if (r == 0 || errno != EAGAIN)
		return r;
	return timed_wait(take, fd, arg);
}

static int flock_exclusive(int fd, int, int how)
{
	return flock(fd, how == WAIT_BLOCK ? LOCK_EX : LOCK_EX | LOCK_NB);
}

int port_flock(int fd)
{
	return port_wait(flock_exclusive, fd, 0);
}
