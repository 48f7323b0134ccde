// SPDX-License-Identifier: GPL-2.0-or-later
// Simulated backend, for relayswitch-sim: a PC I/O space kept in a state file,
// so that a run reads what the run before it wrote, as a real data latch does.
//
// The state file is plain text, one register a line: "0x378 0x01", a "#
// comment" allowed after it; empty lines and lines starting with # are
// skipped, and kept where they are when the file is rewritten. A new file holds
// the data latches of the three usual ports (0x378, 0x278, 0x3bc). Every port
// listed in the file is a latch: it reads its value and keeps what is written.
// The status registers of the three ports read 0x7f unless the file lists them;
// any other port reads 0xff and drops what is written. A file that can't be
// read back whole -- too big, a number out of range, anything else on a line --
// ends the run and is left as it is.
//
// The file is never written in place: a new one, complete, replaces it by a
// rename, so whatever fails (a full disk, a file-size limit) and whenever a run
// is killed, it holds the old text or the new. Each run holds a lock on the
// file from its first granted access to its end, so concurrent runs lose no
// switch; it waits for it as the real program waits for a port (portwait.h). A
// run that got the lock of a file since replaced takes the new one's instead.
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
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "pinlatch.h"
#include "portio.h"
#include "portwait.h"

const char port_program[] = "relayswitch-sim";

enum { NPORTS = 0x10000, MAXREGS = 4096, FILEMAX = MAXREGS * 16 };

static const int latches[] = { 0x278, 0x378, 0x3BC };	// in order, as a new file lists them

static int is_latch(int port)
{
	for (int l : latches)
		if (port == l)
			return 1;
	return 0;
}

static void logaccess(const char *fmt, ...)
{
	static const char *path = getenv("RELAYSWITCH_SIM_LOG");	// read once a run
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

// The state file as named, and as found (a link followed) for replacing it.
static char statepath[PATH_MAX], realstate[PATH_MAX];

// The registers, in ascending port order, and whether the file lists each.
static int nregs;
static int regport[MAXREGS], regvalue[MAXREGS], listed[MAXREGS];

// The file's text as read, kept so that a rewrite keeps the user's lines.
static char text[FILEMAX + 1];
static int textlen;

[[noreturn]] static void fail(const char *what)
{
	port_fail("relayswitch-sim: cannot %s %s: %m\n", what, statepath);
}

// Index of port among the registers, or -1.
static int find(int port)
{
	for (int i = 0; i < nregs; i++)
		if (regport[i] == port)
			return i;
	return -1;
}

// Sets a register, adding it in its place when it is new: its index, or -1 when
// the list is full.
static int set(int port, int value)
{
	int i = find(port);
	if (i < 0) {
		if (nregs == MAXREGS)
			return -1;
		for (i = nregs++; i > 0 && regport[i - 1] > port; i--) {
			regport[i] = regport[i - 1];
			regvalue[i] = regvalue[i - 1];
			listed[i] = listed[i - 1];
		}
		regport[i] = port;
		listed[i] = 0;
	}
	regvalue[i] = value & 0xFF;
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

// One line of the file: 1 for a register ("0x378 0x05", a comment may follow),
// 0 for an empty line or a comment, -1 for anything else. For a register,
// [*from, *to) is where its value stands.
static int parse(const char *line, const char *end, unsigned *port, unsigned *value,
		 const char **from, const char **to)
{
	const char *p = blanks(line, end);
	if (p == end || *p == '#')
		return 0;
	if (!hexnumber(&p, end, NPORTS - 1, port))
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

// The end of the line at line.
static const char *line_end(const char *line)
{
	const char *end = static_cast<const char *>(memchr(line, '\n', text + textlen - line));
	return end ? end : text + textlen;
}

// The new text, built in out: its length, past size when it does not fit.
static char *out;
static int outlen, outsize;

static void put(const char *s, int len)
{
	if (outlen + len <= outsize)
		memcpy(out + outlen, s, len);
	outlen += len;
}

// Registers new to the file from index *next on, below port.
static void put_new_below(int *next, int port)
{
	for (; *next < nregs && regport[*next] < port; ++*next)
		if (!listed[*next]) {
			char line[32];
			put(line, snprintf(line, sizeof line, "0x%03x 0x%02x\n", regport[*next],
					   regvalue[*next]));
		}
}

// The text of the file as it is to be: the user's lines in their place, a
// register's value changed in place where it changed, and a register new to
// the file before the first listed after it. Returns its length, or -1 when it
// does not fit in size.
static int compose(char *buf, int size)
{
	out = buf;
	outlen = 0;
	outsize = size;
	int next = 0;
	for (const char *line = text, *end; line < text + textlen; line = end + 1) {
		end = line_end(line);
		unsigned port, value;
		const char *from, *to;
		if (parse(line, end, &port, &value, &from, &to) > 0) {
			put_new_below(&next, static_cast<int>(port));
			int now = regvalue[find(static_cast<int>(port))];
			if (static_cast<int>(value) != now) {
				char v[8];
				put(line, static_cast<int>(from - line));
				put(v, snprintf(v, sizeof v, "0x%02x", now));
				line = to;
			}
		}
		put(line, static_cast<int>(end - line));
		put("\n", 1);
	}
	put_new_below(&next, NPORTS);
	return outlen <= size ? outlen : -1;
}

// Writes all of data to fd: 0, or -1 with errno (a write that writes nothing
// is a full disk).
static int write_all(int fd, const char *data, int n)
{
	while (n > 0) {
		ssize_t w = write(fd, data, n);
		if (w < 0 && errno == EINTR)
			continue;
		if (w <= 0) {
			if (w == 0)
				errno = ENOSPC;
			return -1;
		}
		data += w;
		n -= static_cast<int>(w);
	}
	return 0;
}

// A write that failed: the new file tmp goes, and the run ends with the reason.
[[noreturn]] static void write_failed(const char *tmp)
{
	int e = errno;
	unlink(tmp);
	errno = e;
	fail("write");
}

// Writes the text, complete, to a new file beside path, named for this run
// (tmp), with the mode given (-1: a new file's, 0644 less the umask). Ends the
// run with the reason when it can't.
static void write_beside(const char *path, const char *data, int n, int mode, char *tmp)
{
	if (snprintf(tmp, PATH_MAX, "%s.%d.new", path, static_cast<int>(getpid())) >= PATH_MAX) {
		errno = ENAMETOOLONG;
		fail("write");
	}
	unlink(tmp);	// left by an earlier run of this number that was killed
	int fd = open(tmp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
	if (fd < 0)
		fail("write");
	if ((mode >= 0 && fchmod(fd, static_cast<mode_t>(mode)) != 0) || write_all(fd, data, n) != 0)
		write_failed(tmp);	// the descriptor closes as the run ends
	if (close(fd) != 0)
		write_failed(tmp);
}

// A state file that is not there yet is made whole, with the three data
// latches, before any run uses it, so no run meets it half written.
static void create()
{
	char data[64], tmp[PATH_MAX];
	int n = 0;
	for (int l : latches)
		n += snprintf(data + n, sizeof data - n, "0x%03x 0x00\n", l);
	write_beside(statepath, data, n, -1, tmp);
	int made = link(tmp, statepath), e = errno;
	if (made != 0 && (e == EPERM || e == EOPNOTSUPP))	// a filesystem without links
		made = rename(tmp, statepath), e = errno;
	unlink(tmp);
	if (made != 0 && e != EEXIST) {
		errno = e;
		fail("create");
	}
}

static int flock_file(int fd, int, int how)
{
	return flock(fd, how == WAIT_BLOCK ? LOCK_EX : LOCK_EX | LOCK_NB);
}

// The state file, open and locked for the rest of the run: from the first
// granted request on, no other run changes it. Where another run replaced the
// file while this one waited for the lock, this one locks the new file.
static int state_fd()
{
	static int fd = -1;
	if (fd >= 0)
		return fd;
	const char *name = getenv("RELAYSWITCH_SIM_STATE"), *in_home = "";
	if (!name || !*name) {
		name = getenv("HOME");
		in_home = "/.relayswitch-sim";
		if (!name || !*name)
			port_fail("relayswitch-sim: no state file: set RELAYSWITCH_SIM_STATE or HOME\n");
	}
	int len = snprintf(statepath, sizeof statepath, "%s%s", name, in_home);
	if (len >= static_cast<int>(sizeof statepath) - 32)	// room for the new file's name
		port_fail("relayswitch-sim: cannot open %s%s: %s\n", name, in_home,
			  strerror(ENAMETOOLONG));
	for (int tries = 0;; tries++) {
		fd = open(statepath, O_RDWR | O_CLOEXEC);
		if (fd < 0 && errno == ENOENT && tries < 100) {
			create();
			continue;
		}
		if (fd < 0)
			fail("open");
		if (port_wait(flock_file, fd, 0) != 0) {
			if (errno == ETIMEDOUT)
				port_fail("relayswitch-sim: %s is busy: locked by another run\n",
					  statepath);
			fail("lock");
		}
		struct stat locked, now;
		if (fstat(fd, &locked) == 0 && stat(statepath, &now) == 0 &&
		    locked.st_dev == now.st_dev && locked.st_ino == now.st_ino)
			break;
		if (tries >= 100)
			fail("lock");
		close(fd);
	}
	struct stat link;
	if (lstat(statepath, &link) != 0 || !S_ISLNK(link.st_mode) || !realpath(statepath, realstate))
		memcpy(realstate, statepath, sizeof realstate);
	return fd;
}

// Reads the state file, once: the run holds its lock from before its first
// access, so no other run changes the file under it. An empty file is a new one.
static void load()
{
	static int loaded;
	if (loaded)
		return;
	loaded = 1;
	ssize_t n = pread(state_fd(), text, sizeof text, 0);
	if (n < 0)
		fail("read");
	if (n > FILEMAX)
		port_fail("relayswitch-sim: %s is too big for a state file\n", statepath);
	textlen = static_cast<int>(n);
	if (n == 0) {
		for (int l : latches)
			set(l, 0);
		return;
	}
	int lineno = 1, regs = 0;
	for (const char *line = text, *end; line < text + textlen; line = end + 1, lineno++) {
		end = line_end(line);
		unsigned port, value;
		const char *from, *to;
		int got = parse(line, end, &port, &value, &from, &to);
		if (got < 0 || (got > 0 && find(static_cast<int>(port)) >= 0))
			port_fail("relayswitch-sim: %s is not a state file (line %d)\n", statepath,
				  lineno);
		if (got == 0)
			continue;
		int i = set(static_cast<int>(port), static_cast<int>(value));
		if (i < 0)
			port_fail("relayswitch-sim: %s is too big for a state file\n", statepath);
		listed[i] = 1;
		regs++;
	}
	if (!regs)
		port_fail("relayswitch-sim: %s is not a state file (no register)\n", statepath);
}

// The new text takes the old one's place at once, by a rename. The run keeps
// its lock, on the old file, to its end, which follows at once.
static void save()
{
	static char buf[FILEMAX];
	int n = compose(buf, FILEMAX);
	if (n < 0)
		port_fail("relayswitch-sim: %s is full: no room for another register\n", statepath);
	struct stat st;
	char tmp[PATH_MAX];
	if (fstat(state_fd(), &st) != 0)
		fail("write");
	write_beside(realstate, buf, n, static_cast<int>(st.st_mode & 07777), tmp);
	if (rename(tmp, realstate) != 0)
		write_failed(tmp);
}

int io_permit(int from, int count)
{
	static int asked;
	static const char *grants = getenv("RELAYSWITCH_SIM_GRANTS");
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
	state_fd();
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
	if (set(port, value) < 0)
		port_fail("relayswitch-sim: %s is full: no room for port 0x%x\n", statepath, port);
	save();
	return 0;
}
