// SPDX-License-Identifier: GPL-2.0-or-later
// The two routes by which relayswitch reaches the machine's ports; the real
// backend (portio_real.cpp) chooses between them.
#ifndef ROUTE_H
#define ROUTE_H

// Each call that waits -- for a lock, a claim, a holder -- waits at most the
// run's bound (portwait.h) and then fails with ETIMEDOUT.

// Raw I/O (portio_x86.cpp): any port, for root, where the kernel allows it.
int raw_permit(int from, int count);	// ioperm: 0, or -1 with errno
int raw_in(int port);
void raw_out(int value, int port);
// Root's lock of a port, where no device covers it: the byte at the port's
// address in raw_lockfile, a file only root can create and open.
extern const char raw_lockfile[];
int raw_lock(int port);			// 0, or -1 with errno: EEXIST where
					// something else is at the file's path,
					// any other but ETIMEDOUT where no lock
					// can be had
void raw_unlock(int port);

// The kernel's parallel-port driver (portio_parport.cpp): the registers of the
// parallel ports it has registered, for whoever may open /dev/parportN.
int parport_find(int port, int *base);	// N whose registers base..base + 2 include
					// port, with its base; or -1
int parport_any();			// 1 when some parallel-port device opens
int parport_served(int *base, int max);	// the bases of the registered ports whose
					// devices exist, by N: how many (<= max)
int parport_open(int n);		// /dev/parportN: a descriptor, or -1 with errno
int parport_lock(int fd);		// the device's lock (flock): 0, or -1 with errno
void parport_close(int fd);		// the device, its lock and claim given up
int parport_claim(int fd, int n);	// 0, or -1 with errno; ETIMEDOUT when another
					// program held the port past the run's bound
int parport_holder(int n, char *name, int size);	// 1 with its name when some
							// device has claimed parportN
int parport_unclaimed(int n);		// 0 once no device holds parportN's claim; -1
					// with ETIMEDOUT past the run's bound
int parport_in(int fd, int reg);	// register 0, 1 or 2: 0..255, or -1 with errno
int parport_out(int fd, int value);	// the data register: 0, or -1 with errno

#endif
