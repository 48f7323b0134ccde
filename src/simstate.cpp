// SPDX-License-Identifier: GPL-2.0-or-later
// The simulator's state file as text: each line read for a register, and the
// text composed again with the registers' values, keeping what the user wrote.
#include "simstate.h"

#include <stdio.h>
#include <string.h>

int simstate_find(const SimRegs *r, int port)
{
	for (int i = 0; i < r->n; i++)
		if (r->port[i] == port)
			return i;
	return -1;
}

int simstate_set(SimRegs *r, int port, int value)
{
	int i = simstate_find(r, port);
	if (i < 0) {
		if (r->n == SIM_MAXREGS)
			return -1;
		for (i = r->n++; i > 0 && r->port[i - 1] > port; i--) {
			r->port[i] = r->port[i - 1];
			r->value[i] = r->value[i - 1];
			r->listed[i] = r->listed[i - 1];
		}
		r->port[i] = port;
		r->listed[i] = 0;
	}
	r->value[i] = value & 0xFF;
	return i;
}

static int hexdigit(char c)
{
	if (c >= '0' && c <= '9')
		return c - '0';
	if (c >= 'a' && c <= 'f')
		return c - 'a' + 10;
	if (c >= 'A' && c <= 'F')
		return c - 'A' + 10;
	return -1;
}

// A hexadecimal number at *p, 0x optional, no more than max: 1 with *p past it,
// or 0.
static int hexnumber(const char **p, const char *end, unsigned max, unsigned *n)
{
	const char *q = *p;
	if (end - q > 2 && q[0] == '0' && (q[1] == 'x' || q[1] == 'X'))
		q += 2;
	const char *digits = q;
	for (*n = 0; q < end && hexdigit(*q) >= 0; q++) {
		*n = *n * 16 + static_cast<unsigned>(hexdigit(*q));
		if (*n > max)
			return 0;
	}
	*p = q;
	return q > digits;
}

static const char *blanks(const char *p, const char *end)
{
	while (p < end && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\v' || *p == '\f'))
		p++;
	return p;
}

// One line: 1 for a register ("0x378 0x05", a comment may follow), 0 for an
// empty line or a comment, -1 for anything else. For a register, [*from, *to)
// is where its value stands.
static int parse(const char *line, const char *end, unsigned *port, unsigned *value,
		 const char **from, const char **to)
{
	const char *p = blanks(line, end);
	if (p == end || *p == '#')
		return 0;
	if (!hexnumber(&p, end, SIM_PORTS - 1, port))
		return -1;
	const char *gap = p;
	p = blanks(p, end);
	*from = p;
	if (p == gap || !hexnumber(&p, end, 0xFF, value))
		return -1;
	*to = p;
	p = blanks(p, end);
	return p == end || *p == '#' ? 1 : -1;
}

// The end of the line at line, in a text that ends at stop.
static const char *line_end(const char *line, const char *stop)
{
	const char *end = static_cast<const char *>(memchr(line, '\n', stop - line));
	return end ? end : stop;
}

int simstate_read(const char *text, int len, SimRegs *r)
{
	r->n = 0;
	if (len == 0)
		return SIM_EMPTY;
	int lineno = 1, regs = 0;
	const char *stop = text + len;
	for (const char *line = text, *end; line < stop; line = end + 1, lineno++) {
		end = line_end(line, stop);
		unsigned port, value;
		const char *from, *to;
		int got = parse(line, end, &port, &value, &from, &to);
		if (got < 0 || (got > 0 && simstate_find(r, static_cast<int>(port)) >= 0))
			return lineno;
		if (got == 0)
			continue;
		int i = simstate_set(r, static_cast<int>(port), static_cast<int>(value));
		if (i < 0)
			return SIM_TOO_MANY;
		r->listed[i] = 1;
		regs++;
	}
	return regs ? 0 : SIM_NO_REGISTER;
}

// The new text, built in buf: its length, past size when it does not fit.
struct Out {
	char *buf;
	int len, size;
};

static void put(Out *o, const char *s, int len)
{
	if (o->len + len <= o->size)
		memcpy(o->buf + o->len, s, len);
	o->len += len;
}

// Registers new to the text from index *next on, below port, each line ended
// with eol.
static void put_new_below(Out *o, const SimRegs *r, int *next, int port, const char *eol)
{
	for (; *next < r->n && r->port[*next] < port; ++*next)
		if (!r->listed[*next]) {
			char line[32];
			put(o, line, snprintf(line, sizeof line, "0x%03x 0x%02x%s", r->port[*next],
					      r->value[*next], eol));
		}
}

int simstate_compose(const char *text, int len, const SimRegs *r, char *out, int size)
{
	Out o = { out, 0, size };
	const char *stop = text + len;
	const char *first = line_end(text, stop);
	const char *eol = first < stop && first > text && first[-1] == '\r' ? "\r\n" : "\n";
	int next = 0;
	for (const char *line = text, *end; line < stop; line = end + 1) {
		end = line_end(line, stop);
		unsigned port, value;
		const char *from, *to;
		if (parse(line, end, &port, &value, &from, &to) > 0) {
			put_new_below(&o, r, &next, static_cast<int>(port), eol);
			int now = r->value[simstate_find(r, static_cast<int>(port))];
			if (static_cast<int>(value) != now) {
				char v[8];
				put(&o, line, static_cast<int>(from - line));
				put(&o, v, snprintf(v, sizeof v, "0x%02x", now));
				line = to;
			}
		}
		put(&o, line, static_cast<int>(end - line));
		put(&o, "\n", 1);
	}
	put_new_below(&o, r, &next, SIM_PORTS, eol);
	return o.len <= size ? o.len : -1;
}
