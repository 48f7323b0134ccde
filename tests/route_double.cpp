// SPDX-License-Identifier: GPL-2.0-or-later
// The machine of route_double.h: route.h's calls answered from memory, each
// written to the log.
#include "route_double.h"

#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "portwait.h"
#include "route.h"

const char raw_lockfile[] = "/run/relayswitch.lock";

static Machine m;
static int logfd = -1;
enum { FD0 = 100 };	// the descriptor of /dev/parportN is FD0 + N

void machine_use(const Machine &machine, int fd)
{
	m = machine;
	logfd = fd;
}

static void say(const char *format, ...) __attribute__((format(printf, 1, 2)));
static void say(const char *format, ...)
{
	char line[160];
	va_list ap;
	va_start(ap, format);
	int n = vsnprintf(line, sizeof line - 1, format, ap);
	va_end(ap);
	if (n > static_cast<int>(sizeof line) - 2)
		n = sizeof line - 2;	// what fits, and the newline
	line[n] = '\n';
	if (write(logfd, line, n + 1) != n + 1)
		_exit(99);
}

static DoublePort *device(int n)
{
	for (int i = 0; i < m.nports; i++)
		if (m.ports[i].n == n)
			return &m.ports[i];
	return nullptr;
}

static DoublePort *covering(int port)
{
	for (int i = 0; i < m.nports; i++)
		if (port >= m.ports[i].base && port <= m.ports[i].base + 2)
			return &m.ports[i];
	return nullptr;
}

// One step of the run's wait on what another may hold (port_wait's take): the
// holder lets go when the run blocks on it, or holds past the bound.
static Hold *awaited;

static int take(int, int, int how)
{
	Hold *h = awaited;
	if (*h == FREE)
		return 0;
	if (how == WAIT_TRY) {
		errno = EAGAIN;
		return -1;
	}
	if (*h == LETS_GO) {
		*h = FREE;
		return 0;
	}
	errno = ETIMEDOUT;
	return -1;
}

// Waits as the run waits for h: 0, or -1 with ETIMEDOUT.
static int wait_for(Hold *h, int *waited)
{
	*waited = *h != FREE;
	awaited = h;
	return port_wait(take, -1, 0);
}

static const char *how_it_went(int r, int waited)
{
	return r != 0 ? ": busy" : waited ? ": waited" : "";
}

int raw_permit(int from, int count)
{
	say("ioperm 0x%x+%d: %s", from, count, m.ioperm_errno ? strerror(m.ioperm_errno) : "granted");
	errno = m.ioperm_errno;
	return m.ioperm_errno ? -1 : 0;
}

int raw_in(int port)
{
	DoublePort *p = covering(port);
	int value = !p ? 0xFF : port == p->base ? p->data : port == p->base + 1 ? p->status : 0x0C;
	say("raw in 0x%x = 0x%02x", port, value);
	return value;
}

void raw_out(int value, int port)
{
	say("raw out 0x%x 0x%02x", port, value);
	DoublePort *p = covering(port);
	if (p && port == p->base)
		p->data = value;
}

int raw_lock(int port)
{
	if (m.rootlock_errno) {
		say("root lock 0x%x: %s", port, m.rootlock_errno == EEXIST ? "not root's own file" : "no lock file");
		errno = m.rootlock_errno;
		return -1;
	}
	Hold none = FREE;
	int waited, r = wait_for(port == m.rootlock_at ? &m.rootlock : &none, &waited);
	say("root lock 0x%x%s", port, how_it_went(r, waited));
	return r;
}

void raw_unlock(int port)
{
	say("root unlock 0x%x", port);
}

int parport_find(int port, int *base)
{
	DoublePort *p = covering(port);
	if (!p)
		return -1;
	*base = p->base;
	return p->n;
}

int parport_any()
{
	for (int i = 0; i < m.nports; i++)
		if (m.ports[i].open_errno == 0)
			return 1;
	return 0;
}

// A device that isn't there (ENOENT) serves nothing; the others, by N.
int parport_served(int *base, int max)
{
	char line[80];
	int count = 0, len = snprintf(line, sizeof line, "served:");
	for (int n = 0; n < 16; n++) {
		DoublePort *p = device(n);
		if (p && p->open_errno != ENOENT && count < max) {
			base[count++] = p->base;
			len += snprintf(line + len, sizeof line - len, " 0x%x", p->base);
		}
	}
	say("%s", line);
	return count;
}

int parport_open(int n)
{
	DoublePort *p = device(n);
	int e = p ? p->open_errno : ENOENT;
	say("open parport%d%s%s", n, e ? ": " : "", e ? strerror(e) : "");
	errno = e;
	return e ? -1 : FD0 + n;
}

int parport_lock(int fd)
{
	int waited, r = wait_for(&device(fd - FD0)->lock, &waited);
	say("lock parport%d%s", fd - FD0, how_it_went(r, waited));
	return r;
}

void parport_close(int fd)
{
	say("close parport%d", fd - FD0);
}

int parport_claim(int fd, int n)
{
	int waited, r = wait_for(&device(n)->claim, &waited);
	say("claim parport%d%s", fd - FD0, how_it_went(r, waited));
	return r;
}

int parport_holder(int n, char *name, int size)
{
	DoublePort *p = device(n);
	if (!p || p->claim == FREE)
		return 0;
	snprintf(name, size, "%s", p->holder);
	return 1;
}

int parport_unclaimed(int n)
{
	DoublePort *p = device(n);
	const char *who = p->claim == FREE ? "none" : p->holder;
	int waited, r = wait_for(&p->claim, &waited);
	say("holder of parport%d: %s%s", n, who, r ? " (still)" : waited ? " (gone)" : "");
	return r;
}

int parport_in(int fd, int reg)
{
	DoublePort *p = device(fd - FD0);
	if (p->read_errno) {
		say("in parport%d %d: %s", p->n, reg, strerror(p->read_errno));
		errno = p->read_errno;
		return -1;
	}
	int value = reg == 0 ? p->data : reg == 1 ? p->status : 0x0C;
	say("in parport%d %d = 0x%02x", p->n, reg, value);
	return value;
}

int parport_out(int fd, int value)
{
	DoublePort *p = device(fd - FD0);
	say("out parport%d 0x%02x", p->n, value);
	p->data = value;
	return 0;
}
