// SPDX-License-Identifier: GPL-2.0-or-later
// The hardware seam under pinlatch: the only operations port access needs from
// the machine. Two backends implement it and one is chosen at link time:
//   portio_real.cpp  the machine's own ports, for relayswitch, by one of two
//                    routes: raw I/O (portio_x86.cpp) or the kernel's
//                    parallel-port driver (portio_parport.cpp);
//   portio_sim.cpp   a simulated PC I/O space kept in a file, for relayswitch-sim.
#ifndef PORTIO_H
#define PORTIO_H

// Asks for access to the ports from .. from + count - 1 and waits for the lock
// that keeps other runs off the port while this one reads, changes and writes
// it. Returns 0 when granted, otherwise -1 with errno set as ioperm sets it.
int io_permit(int from, int count);

// Reads one byte from port: 0..255, or -1 with errno set when the read is refused.
int io_in(int port);

// Writes the low eight bits of value to port: 0, or -1 with errno set when the
// write is refused.
int io_out(int value, int port);

// After a refusal: why the port could not be had, a line ending in "\n" (in
// line, of at most size - 1 bytes, or a text of the backend's own), where the
// backend knows more than errno says; else nullptr.
const char *io_why(char *line, int size);

#endif
