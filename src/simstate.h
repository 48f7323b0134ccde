// SPDX-License-Identifier: GPL-2.0-or-later
// The simulator's state file as text, read and composed; no file is touched
// here. One register a line, "0x378 0x01", a "# comment" allowed after it;
// empty lines and lines starting with # are kept where they are.
#ifndef SIMSTATE_H
#define SIMSTATE_H

enum { SIM_PORTS = 0x10000, SIM_MAXREGS = 4096, SIM_FILEMAX = SIM_MAXREGS * 16 };

// The registers, in ascending port order, and whether the file lists each.
struct SimRegs {
	int n;
	int port[SIM_MAXREGS], value[SIM_MAXREGS], listed[SIM_MAXREGS];
};

// What simstate_read() finds wrong with a text, beside the number of a line
// that is neither a register, a comment nor empty (or lists a register again).
enum { SIM_TOO_MANY = -1, SIM_NO_REGISTER = -2, SIM_EMPTY = -3 };

// Index of port among the registers, or -1.
int simstate_find(const SimRegs *r, int port);

// Sets a register, adding it in its place when it is new: its index, or -1 when
// the list is full.
int simstate_set(SimRegs *r, int port, int value);

// Reads the registers the text lists into r, each marked as listed: 0, or what
// is wrong (a line number from 1, or one of the SIM_ values).
int simstate_read(const char *text, int len, SimRegs *r);

// The text as it is to be, in out: the user's lines in their place, a
// register's value changed in place where it changed, and a register new to
// the text before the first listed after it, its line ended as the text's
// first line ends. Returns its length, or -1 when it does not fit in size.
int simstate_compose(const char *text, int len, const SimRegs *r, char *out, int size);

#endif
