// SPDX-License-Identifier: GPL-2.0-or-later
// Simulated backend, for relayswitch-sim: a PC I/O space kept in a state file,
// so that a run reads what the run before it wrote, as a real data latch does.
//
// The state file is plain text, one register a line: "0x378 0x01"; empty lines
// and lines starting with # are skipped. A new file holds the data latches of
// the three usual ports (0x378, 0x278, 0x3bc). Every port listed in the file is
// a latch: it reads its value and keeps what is written. The status registers
// of the three ports read 0x7f unless the file lists them; any other port reads
// 0xff and drops what is written. A file that can't be read back whole -- too
// big, or not in this form -- ends the run and is left as it is.
//
// Each run holds a lock on the state file from its first granted access to its
// end, so concurrent runs neither lose switches nor tear the file; it waits for
// it as the real program waits for a port (portwait.h).
//
// Settings, from the environment (the real program reads none):
//   RELAYSWITCH_SIM_STATE   the state file (default: $HOME/.relayswitch-sim)
//   RELAYSWITCH_SIM_LOG     append every access to this file, one a line:
//                           "ioperm 0x378 3" ("... refused"), "inb 0x379 0x7f",
//                           "outb 0x378 0x01"
//   RELAYSWITCH_SIM_GRANTS  grant only this many permission requests; later ones
//                           are refused with EPERM (0: an unprivileged user)
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <unistd.h>

#include "portio.h"
#include "portwait.h"

enum { NPORTS = 0x10000, MAXREGS = 4096, FILEMAX = MAXREGS * 16 };

static const int latches[] = { 0x378, 0x278, 0x3BC };

static int is_latch(int port)
{
	for (int l : latches)
		if (port == l)
			return 1;
	return 0;
}

static void logaccess(const char *fmt, ...)
{
	const char *path = getenv("RELAYSWITCH_SIM_LOG");
	if (!path || !*path)
		return;
	char line[128];
	va_list ap;
	va_start(ap, fmt);
	int n = vsnprintf(line, sizeof line, fmt, ap);
	va_end(ap);
	int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
	if (fd < 0)
		return;
	if (write(fd, line, n) != n) {
		// A short log line shows in the log itself; nothing else to do here.
	}
	close(fd);
}

static char statepath[4096];

// The registers the state file lists, in ascending port order.
static int nregs;
static int regport[MAXREGS], regvalue[MAXREGS];

[[noreturn]] static void fail(const char *what)
{
	port_fail("relayswitch-sim: cannot %s %s: %m\n", what, statepath);
}

// The state file, opened once for the run.
static int statefd()
{
	static int fd = -1;
	if (fd >= 0)
		return fd;
	const char *path = getenv("RELAYSWITCH_SIM_STATE");
	const char *home = getenv("HOME");
	if (path && *path)
		snprintf(statepath, sizeof statepath, "%s", path);
	else if (home && *home)
		snprintf(statepath, sizeof statepath, "%s/.relayswitch-sim", home);
	else
		port_fail("relayswitch-sim: no state file: set RELAYSWITCH_SIM_STATE or HOME\n");
	fd = open(statepath, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
	if (fd < 0)
		fail("open");
	return fd;
}

// Index of port among the listed registers, or -1.
static int find(int port)
{
	for (int i = 0; i < nregs; i++)
		if (regport[i] == port)
			return i;
	return -1;
}

// Sets a register, listing it in its place when it is new; 0 when the list is full.
static int set(int port, int value)
{
	int i = find(port);
	if (i < 0) {
		if (nregs == MAXREGS)
			return 0;
		for (i = nregs++; i > 0 && regport[i - 1] > port; i--) {
			regport[i] = regport[i - 1];
			regvalue[i] = regvalue[i - 1];
		}
		regport[i] = port;
	}
	regvalue[i] = value & 0xFF;
	return 1;
}

// Rewrites the file in place, under the lock that the runs waiting for it wait
// on. Room for the new text is made first, so that a full disk leaves the old.
static void save()
{
	char buf[FILEMAX];
	int n = 0;
	for (int i = 0; i < nregs; i++)
		n += snprintf(buf + n, sizeof buf - n, "0x%03x 0x%02x\n", regport[i], regvalue[i]);
	int fd = statefd();
	int room = posix_fallocate(fd, 0, n);
	if (room == ENOSPC || room == EDQUOT) {
		errno = room;
		fail("write");
	}
	if (pwrite(fd, buf, n, 0) != n || ftruncate(fd, n) != 0)
		fail("write");
}

// One line of the file: 1 for a register, 0 for nothing, -1 for anything else.
static int parse(const char *line, const char *end, unsigned *port, unsigned *value)
{
	while (line < end && (*line == ' ' || *line == '\t'))
		line++;
	if (line == end || *line == '#')
		return 0;
	char text[64];
	int len = end - line < 63 ? static_cast<int>(end - line) : 63, used = -1;
	memcpy(text, line, len);
	text[len] = '\0';
	if (sscanf(text, "%x %x %n", port, value, &used) != 2 || used != len || *port >= NPORTS ||
	    *value > 0xFF)
		return -1;
	return 1;
}

// Reads the state file, once: the run holds its lock from before its first
// access, so no other run changes the file under it. A new, empty file gets the
// three data latches.
static void load()
{
	static int loaded;
	if (loaded)
		return;
	loaded = 1;
	static char buf[FILEMAX + 1];
	ssize_t n = pread(statefd(), buf, sizeof buf, 0);
	if (n < 0)
		fail("read");
	if (n > FILEMAX)
		port_fail("relayswitch-sim: %s is too big for a state file\n", statepath);
	if (n == 0) {
		for (int l : latches)
			set(l, 0);
		save();
		return;
	}
	int lineno = 1, regs = 0;
	for (const char *line = buf, *end; line < buf + n; line = end + 1, lineno++) {
		end = static_cast<const char *>(memchr(line, '\n', buf + n - line));
		if (!end)
			end = buf + n;
		unsigned port, value;
		int got = parse(line, end, &port, &value);
		if (got < 0)
			port_fail("relayswitch-sim: %s is not a state file (line %d)\n", statepath,
				  lineno);
		if (got > 0 && !set(port, value))
			port_fail("relayswitch-sim: %s is too big for a state file\n", statepath);
		regs += got;
	}
	if (!regs)
		port_fail("relayswitch-sim: %s is not a state file (no register)\n", statepath);
}

static int flock_file(int fd, int, int block)
{
	return flock(fd, block ? LOCK_EX : LOCK_EX | LOCK_NB);
}

// Runs lock the state file itself, from their first granted request to their end.
static void lock()
{
	static int locked;
	if (locked)
		return;
	if (port_wait(flock_file, statefd(), 0) != 0) {
		if (errno == ETIMEDOUT)
			port_fail("relayswitch-sim: %s is busy: locked by another run\n", statepath);
		fail("lock");
	}
	locked = 1;
}

int io_permit(int from, int count)
{
	static int asked;
	const char *grants = getenv("RELAYSWITCH_SIM_GRANTS");
	int err = 0;
	if (from < 0 || count <= 0 || from + count > NPORTS)
		err = EINVAL;
	else if (grants && *grants && asked >= atoi(grants))
		err = EPERM;
	asked++;
	logaccess("ioperm 0x%x %d%s\n", from, count, err ? " refused" : "");
	if (err) {
		errno = err;
		return -1;
	}
	lock();
	return 0;
}

int io_in(int port)
{
	load();
	int i = find(port);
	int value = i >= 0 ? regvalue[i] : is_latch(port) ? 0x00 : is_latch(port - 1) ? 0x7F : 0xFF;
	logaccess("inb 0x%x 0x%02x\n", port, value);
	return value;
}

int io_out(int value, int port)
{
	logaccess("outb 0x%x 0x%02x\n", port, value & 0xFF);
	load();
	if (find(port) < 0 && !is_latch(port))
		return 0;
	if (!set(port, value))
		port_fail("relayswitch-sim: %s is full: no room for port 0x%x\n", statepath, port);
	save();
	return 0;
}
