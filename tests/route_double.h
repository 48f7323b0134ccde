// SPDX-License-Identifier: GPL-2.0-or-later
// A test double of the two routes (route.h): an in-memory machine with
// registered parallel ports, their devices, their locks and claims held by
// others, root's lock file and a raw route that may be refused. The real
// backend (portio_real.cpp), the waits (portwait.cpp) and port access
// (pinlatch.cpp) link against it, and every route call they make is written,
// one line each, to the machine's log:
//
//   ioperm 0x378+3: granted            raw in 0x379 = 0x78      raw out 0x378 0x05
//   root lock 0x378                    root unlock 0x378
//   open parport0                      lock parport0            claim parport0
//   close parport0                     in parport0 1 = 0x78     out parport0 0x05
//   holder of parport0: lp0 (gone)    served: 0x378 0x278
//
// A wait on something another holds goes through the run's real wait: the
// holder that lets go does so once the run blocks on it ("lock parport0:
// waited"); one that never does ends the blocking wait as the run's bound
// would, with ETIMEDOUT, at once.
#ifndef ROUTE_DOUBLE_H
#define ROUTE_DOUBLE_H

enum Hold {
	FREE,	  // nobody else holds it
	LETS_GO,  // another holds it, and lets go while the run waits
	STUCK,	  // another holds it past the run's bound
};

struct DoublePort {
	int n, base;		// /dev/parport<n>, registers base .. base + 2
	int open_errno;		// 0: the device opens; else what open says
	Hold lock;		// another run's lock of the device
	Hold claim;		// another program's claim, named by holder
	const char *holder;	// devices/active while it is claimed
	int data, status;	// the registers' contents (control: 0x0c)
	int read_errno;		// 0: reads work; else what they say
};

struct Machine {
	int ioperm_errno;	// 0: raw I/O granted
	int rootlock_errno;	// 0: root's lock file is root's own; else what
				// raw_lock says (ENOLCK none, EEXIST another's)
	int rootlock_at;	// a port whose byte in it another run holds ...
	Hold rootlock;		// ... so
	DoublePort ports[3];
	int nports;
};

// The machine the next calls see; the log is written to fd.
void machine_use(const Machine &m, int fd);

#endif
