// SPDX-License-Identifier: GPL-2.0-or-later
// How long a run waits for its port: 10 seconds in all, whether for the lock of
// another run or for the claim another program holds on the kernel's
// parallel-port driver. A holder doing ordinary work keeps a port for
// milliseconds; one that keeps it longer is stuck (stopped, hung, printing), and
// the run gives up rather than wait for it forever.
#ifndef PORTWAIT_H
#define PORTWAIT_H

enum { WAIT_SECONDS = 10 };

// Gets something that may have to be waited for. take(fd, arg, 0) must not
// block: it returns 0 when it got it, -1 with errno EAGAIN when it must wait,
// -1 with another errno when it failed. While it must wait, take(fd, arg, 1),
// which may block until a signal interrupts it, is called again and again. The
// result is 0, or -1 with take's errno, or -1 with ETIMEDOUT once the run has
// waited its 10 seconds, counted from the first time it had to wait.
int port_wait(int (*take)(int fd, int arg, int block), int fd, int arg);

// Ends the run with status 1 after the message on standard error.
[[noreturn]] void port_fail(const char *format, ...) __attribute__((format(printf, 1, 2)));

#endif
