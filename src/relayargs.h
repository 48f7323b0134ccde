// SPDX-License-Identifier: GPL-2.0-or-later
// How relayswitch reads its command line: its options, as getopt_long takes
// them, and a port address. relayswitch-shell reads a client's words with the
// same two, so that it finds every port a run would reach exactly where
// relayswitch finds it.
#ifndef RELAYARGS_H
#define RELAYARGS_H

// Each "I" is an option -I of its own, accepted and answered with the usage text.
static const char relay_options[] = "a:I1:I2:I3:I4:I5:I6:I7:I8:Ip:Ihoe";

// Value of one hexadecimal digit, or -1 when c is none.
static inline int hexval(char c)
{
	if (c >= '0' && c <= '9')
		return c & 0xF;
	if ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))
		return (c & 0xF) + 9;
	return -1;
}

// A port address, read whole: hexadecimal, an optional 0x, then one to four
// digits and an optional h at the end (378h, as assemblers write it). Leading
// zeros don't count among the four, so an address pasted zero-padded
// (00000378, 0x000000000000e800) keeps its value. Any other text -- a fifth
// digit, a stray character, no digit at all -- is a typo and gives -1: x86 I/O
// addresses have four hexadecimal digits.
static inline int axtoi(const char *s)
{
	const char *p = s[0] == '0' && (s[1] == 'x' || s[1] == 'X') ? s + 2 : s;
	const char *digits = p;
	while (*p == '0')
		p++;
	int n = 0, k = 0;
	for (; k < 4 && hexval(p[k]) >= 0; k++)
		n = n << 4 | hexval(p[k]);
	p += k;
	if (*p == 'h' || *p == 'H')
		p++;
	return *p == '\0' && p > digits && hexval(*digits) >= 0 ? n : -1;
}

// Below 0x100 sit the PC's own DMA, interrupt, timer and keyboard
// controllers: such an address is a typo too.
static inline bool port_ok(int base)
{
	return base >= 0x100;
}

#endif
