// SPDX-License-Identifier: GPL-2.0-or-later
// Port access: the only module of relayswitch that touches the parallel port.
//
// A port is named by its base address: the data register at base, the status
// register at base + 1, the control register at base + 2. Every call first asks
// for permission for the port it is given and the two after it; a refusal
// prints "ioperm: <reason>" on standard error and ends the process with status 1.
#ifndef PINLATCH_H
#define PINLATCH_H

// Reads one byte from port; returns it as 0..255.
int port_input(int port);

// Writes the low eight bits of value to port and ends the process with status 0.
[[noreturn]] void pinlatch_all(int value, int port);

// Writes Data 1..Data 8 (each on when non-zero) to port and ends the process
// with status 0.
[[noreturn]] void pinlatch(int d1, int d2, int d3, int d4, int d5, int d6, int d7, int d8,
			   int port);

// The program's name in its own messages, given by the port access it is
// built with: "relayswitch", or "relayswitch-sim" over the simulated port.
extern const char port_program[];

// Ends the run with status 1 after "<port_program>: " and the message on
// standard error: how the program and its port access end with a message.
[[noreturn]] void port_fail(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Holds SIGXFSZ off for the rest of the run: a write past a file-size limit
// then fails with EFBIG, which the run says and ends on with status 1, instead
// of killing it.
void port_hold_xfsz();

#endif
