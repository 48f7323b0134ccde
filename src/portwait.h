// SPDX-License-Identifier: GPL-2.0-or-later
// How long a run waits for its port: 10 seconds in all, whether for the lock of
// another run or for the claim another program holds on the kernel's
// parallel-port driver. A holder doing ordinary work keeps a port for
// milliseconds; one that keeps it longer is stuck (stopped, hung, printing), and
// the run gives up rather than wait for it forever.
//
// The bound holds whatever the run inherited: a blocked or ignored signal, a
// caller's alarm, no room for a pending signal. The run's own timer is a timer
// of its own on a signal of its own, unblocked only while it waits; the
// caller's alarm, SIGALRM and the signal mask are left as they were.
#ifndef PORTWAIT_H
#define PORTWAIT_H

enum { WAIT_SECONDS = 10 };

// How take() is asked to get what it waits for:
//   WAIT_TRY    without blocking; -1 with errno EAGAIN when it must wait (a
//               driver's claim, which must never be asked for without a
//               bound, only ever says so);
//   WAIT_BLOCK  it may block until a signal interrupts it (EINTR): the run's
//               timer is set, and take() is called again while time is left.
enum { WAIT_TRY, WAIT_BLOCK };

// Gets something that may have to be waited for: take(fd, arg, WAIT_TRY) first,
// then, while it must wait, WAIT_BLOCK again and again. The result is 0, or -1
// with take's errno, or -1 with ETIMEDOUT once the run has waited its 10
// seconds, counted from the first time it had to wait, and one last try, of
// one tick, found it still held.
int port_wait(int (*take)(int fd, int arg, int how), int fd, int arg);

// Takes the whole-file lock of fd (flock, exclusive), waiting as above: 0, or
// -1 with errno (ETIMEDOUT past the bound).
int port_flock(int fd);

// Pauses 20 ms, for a take() that looks again later; a signal cuts it short.
void port_pause();

#endif
