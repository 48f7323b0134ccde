// SPDX-License-Identifier: GPL-2.0-or-later
// Simulated backend, for relayswitch-sim: a PC I/O space kept in a state file,
// so that a run reads what the run before it wrote, as a real data latch does.
//
// The state file is plain text (simstate.h), one register a line. A new file
// holds the data latches of the three usual ports (0x378, 0x278, 0x3bc). Every
// port listed in the file is a latch: it reads its value and keeps what is
// written. The status registers of the three ports read 0x7f unless the file
// lists them; any other port reads 0xff and drops what is written. A file that
// can't be read back whole -- empty, too big, a number out of range, anything
// else on a line -- ends the run and is left as it is; so does anything but a
// regular file of one name (a device, a FIFO, a file with hard links).
//
// The file is never written in place: a new one, complete and synced to disk,
// replaces it by a rename, so whatever fails (a full disk, a file-size limit)
// and whenever a run or the machine stops, it holds the old text or the new.
// The new file is made under a name nobody can guess, in the file's own
// directory, with the old one's owner (where the run may set it), group, mode
// and access list; what a run killed meanwhile leaves of it, the next run
// that rewrites the file removes. Each run holds a lock on the file from its
// first granted access to its end, so concurrent runs lose no switch; it waits
// for it as the real program waits for a port (portwait.h). A run that got the
// lock of a file since replaced takes the new one's instead.
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
#include <limits.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include "pinlatch.h"
#include "portio.h"
#include "portwait.h"
#include "simstate.h"

const char port_program[] = "relayswitch-sim";

static const int latches[] = { 0x278, 0x378, 0x3BC };	// as create() writes them, in order

// What a new file is named while it is written: the state file's name, six
// characters nobody can guess, and this.
static const char new_suffix[] = ".sim-new";

static int is_latch(int port)
{
	for (int l : latches)
		if (port == l)
			return 1;
	return 0;
}

// Writes all of data to fd: 0, or -1 with errno (a write that writes nothing
// is a full disk). Past a file-size limit the write fails with EFBIG, and to a
// FIFO nobody reads with EPIPE, not by SIGXFSZ or SIGPIPE, whatever their
// disposition: they are held off meanwhile, and what the write raised is
// taken back.
static int write_all(int fd, const char *data, int n)
{
	sigset_t quiet, was, added, pending;
	sigemptyset(&quiet);
	sigaddset(&quiet, SIGPIPE);
	sigaddset(&quiet, SIGXFSZ);
	sigprocmask(SIG_BLOCK, &quiet, &was);
	sigpending(&pending);
	sigemptyset(&added);
	static const int raised[] = { SIGPIPE, SIGXFSZ };
	for (int sig : raised)
		if (!sigismember(&was, sig) && !sigismember(&pending, sig))
			sigaddset(&added, sig);
	int r = 0, e = 0;
	while (n > 0) {
		ssize_t w = write(fd, data, n);
		if (w < 0 && errno == EINTR)
			continue;
		if (w <= 0) {
			r = -1;
			e = w == 0 ? ENOSPC : errno;
			break;
		}
		data += w;
		n -= static_cast<int>(w);
	}
	struct timespec none = {};
	while (sigtimedwait(&added, nullptr, &none) > 0) {
		// raised by this write: taken back
	}
	sigprocmask(SIG_UNBLOCK, &added, nullptr);
	errno = e;
	return r;
}

// Appends a line to the log, where one is named. A log that can't take it at
// once (a FIFO nobody reads, or whose reader is slow or gone) goes without it:
// it never holds up or ends the run.
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
	int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0644);
	if (fd < 0)
		return;
	if (write_all(fd, line, n) != 0) {
		// A short log line shows in the log itself; nothing else to do here.
	}
	close(fd);
}

// The state file as named, and as found (a link followed) for replacing it.
static char statepath[PATH_MAX], realstate[PATH_MAX];

static SimRegs regs;

// The file's text as read, kept so that a rewrite keeps the user's lines.
static char text[SIM_FILEMAX + 1];
static int textlen;

[[noreturn]] static void fail(const char *what)
{
	port_fail("cannot %s %s: %m\n", what, statepath);
}

// A step of writing the new file that failed: the new file goes, and the run
// ends with the reason.
[[noreturn]] static void write_failed(const char *tmp)
{
	int e = errno;
	unlink(tmp);
	errno = e;
	fail("write");
}

// The directory of path, open; ends the run when it can't be.
static int directory_of(const char *path)
{
	char dir[PATH_MAX] = ".";
	const char *slash = strrchr(path, '/');
	if (slash) {
		size_t len = slash == path ? 1 : static_cast<size_t>(slash - path);
		memcpy(dir, path, len);
		dir[len] = '\0';
	}
	int fd = open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (fd < 0)
		fail("write");
	return fd;
}

// What killed runs left of the new files for path in its directory dirfd:
// this user's own, removed. Called with the state file's lock held, when no
// other run of it writes one.
static void clear_leftovers(int dirfd, const char *path)
{
	const char *slash = strrchr(path, '/');
	const char *base = slash ? slash + 1 : path;
	size_t baselen = strlen(base), suffixlen = sizeof new_suffix - 1;
	size_t want = baselen + 7 + suffixlen;	// base, ".", six characters, suffix
	alignas(8) char buf[4096];
	for (long n; (n = syscall(SYS_getdents64, dirfd, buf, sizeof buf)) > 0;) {
		for (long at = 0; at < n;) {
			// The kernel's record: 64-bit inode and offset, then its length
			// and type, then the name. Read by offset, since the C
			// libraries name it differently (musl has no dirent64 now, and
			// glibc's 32-bit dirent is another layout).
			unsigned short reclen;
			memcpy(&reclen, buf + at + 16, sizeof reclen);
			const char *name = buf + at + 19;
			at += reclen;
			struct stat st;
			if (strnlen(name, want + 1) != want || memcmp(name, base, baselen) != 0 ||
			    name[baselen] != '.' || memcmp(name + want - suffixlen, new_suffix, suffixlen) != 0)
				continue;
			if (fstatat(dirfd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
			    st.st_uid == geteuid())
				unlinkat(dirfd, name, 0);
		}
	}
}

// Writes the text, complete and synced, to a new file beside path (tmp), under
// a name nobody can guess. like: the file it is to replace, open, whose owner
// (where the run may set it), group, mode and access list it takes; without
// one, it is the owner's alone (0600). Ends the run with the reason when it
// can't.
static void write_beside(const char *path, const char *data, int n, int like, char *tmp)
{
	size_t len = strlen(path);
	if (len + 7 + sizeof new_suffix > PATH_MAX) {
		errno = ENAMETOOLONG;
		fail("write");
	}
	memcpy(tmp, path, len);
	memcpy(tmp + len, ".XXXXXX", 7);
	memcpy(tmp + len + 7, new_suffix, sizeof new_suffix);
	int fd = mkostemps(tmp, sizeof new_suffix - 1, O_CLOEXEC);
	if (fd < 0)
		fail("write");
	struct stat st;
	if (like >= 0) {
		if (fstat(like, &st) != 0)
			write_failed(tmp);
		if (fchown(fd, st.st_uid, st.st_gid) != 0 && fchown(fd, static_cast<uid_t>(-1), st.st_gid) != 0)
			write_failed(tmp);
		if (fchmod(fd, st.st_mode & 07777) != 0)
			write_failed(tmp);
		char acl[4096];
		ssize_t acllen = fgetxattr(like, "system.posix_acl_access", acl, sizeof acl);
		if ((acllen < 0 && errno == ERANGE) ||
		    (acllen > 0 && fsetxattr(fd, "system.posix_acl_access", acl, acllen, 0) != 0))
			write_failed(tmp);
	}
	// The descriptor closes as the run ends.
	if (write_all(fd, data, n) != 0 || fsync(fd) != 0 || close(fd) != 0)
		write_failed(tmp);
}

// The directory's entries to disk, after a new one took its place there.
static void sync_directory(int dirfd)
{
	if (fsync(dirfd) != 0 && errno != EINVAL)	// EINVAL: a filesystem that can't
		fail("write");
	close(dirfd);
}

// A state file that is not there yet is made whole, with the three data
// latches, before any run uses it, so no run meets it half written.
static void create()
{
	static const char data[] = "0x278 0x00\n0x378 0x00\n0x3bc 0x00\n";	// the latches
	char tmp[PATH_MAX];
	write_beside(statepath, data, sizeof data - 1, -1, tmp);
	int made = link(tmp, statepath), e = errno;
	if (made != 0 && (e == EPERM || e == EOPNOTSUPP))	// a filesystem without links
		made = rename(tmp, statepath), e = errno;
	unlink(tmp);
	if (made != 0 && e != EEXIST) {
		errno = e;
		fail("create");
	}
	if (made == 0)
		sync_directory(directory_of(statepath));
}

// The state file, open and locked for the rest of the run: from the first
// granted request on, no other run changes it. Where another run replaced the
// file while this one waited for the lock, this one locks the new file. Only a
// regular file of one name is taken: the rename that replaces it would put a
// file in a device's place, or leave its other names behind.
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
			port_fail("no state file: set RELAYSWITCH_SIM_STATE or HOME\n");
	}
	int len = snprintf(statepath, sizeof statepath, "%s%s", name, in_home);
	if (len >= static_cast<int>(sizeof statepath) - 32)	// room for the new file's name
		port_fail("cannot open %s%s: %s\n", name, in_home,
			  strerror(ENAMETOOLONG));
	for (int tries = 0;; tries++) {
		fd = open(statepath, O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
		if (fd < 0 && errno == ENOENT && tries < 100) {
			create();
			continue;
		}
		if (fd < 0)
			fail("open");
		struct stat locked, now;
		if (fstat(fd, &locked) != 0)
			fail("open");
		if (!S_ISREG(locked.st_mode))
			port_fail("%s is not a regular file\n", statepath);
		if (locked.st_nlink > 1)
			port_fail("%s has %lu hard links: a rewrite would part them\n",
				  statepath, static_cast<unsigned long>(locked.st_nlink));
		if (port_flock(fd) != 0) {
			if (errno == ETIMEDOUT)
				port_fail("%s is busy: locked by another run\n",
					  statepath);
			fail("lock");
		}
		if (stat(statepath, &now) == 0 && locked.st_dev == now.st_dev && locked.st_ino == now.st_ino)
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
// access, so no other run changes the file under it.
static void load()
{
	static int loaded;
	if (loaded)
		return;
	loaded = 1;
	ssize_t n = pread(state_fd(), text, sizeof text, 0);
	if (n < 0)
		fail("read");
	if (n > SIM_FILEMAX)
		port_fail("%s is too big for a state file\n", statepath);
	textlen = static_cast<int>(n);
	int wrong = simstate_read(text, textlen, &regs);
	if (wrong == SIM_EMPTY)
		port_fail("%s is empty: remove it, and the next run starts it anew\n",
			  statepath);
	if (wrong == SIM_TOO_MANY)
		port_fail("%s is too big for a state file\n", statepath);
	if (wrong == SIM_NO_REGISTER)
		port_fail("%s is not a state file (no register)\n", statepath);
	if (wrong > 0)
		port_fail("%s is not a state file (line %d)\n", statepath, wrong);
}

// The new text takes the old one's place at once, by a rename, once it and
// then its directory are on disk. The run keeps its lock, on the old file, to
// its end, which follows at once.
static void save()
{
	static char buf[SIM_FILEMAX];
	int n = simstate_compose(text, textlen, &regs, buf, SIM_FILEMAX);
	if (n < 0)
		port_fail("%s is full: its text would pass %d bytes\n", statepath,
			  SIM_FILEMAX);
	char tmp[PATH_MAX];
	int dirfd = directory_of(realstate);
	clear_leftovers(dirfd, realstate);
	write_beside(realstate, buf, n, state_fd(), tmp);
	if (rename(tmp, realstate) != 0)
		write_failed(tmp);
	sync_directory(dirfd);
}

int io_permit(int from, int count)
{
	static int asked;
	static const char *grants = getenv("RELAYSWITCH_SIM_GRANTS");
	int err = 0;
	if (from < 0 || count <= 0 || from + count > SIM_PORTS)
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
	int i = simstate_find(&regs, port);
	int value = i >= 0 ? regs.value[i] : is_latch(port) ? 0x00 : is_latch(port - 1) ? 0x7F : 0xFF;
	logaccess("inb 0x%x 0x%02x\n", port, value);
	return value;
}

int io_out(int value, int port)
{
	logaccess("outb 0x%x 0x%02x\n", port, value & 0xFF);
	load();
	if (simstate_find(&regs, port) < 0 && !is_latch(port))
		return 0;
	if (simstate_set(&regs, port, value) < 0)
		port_fail("%s is full: no room for port 0x%x\n", statepath, port);
	save();
	return 0;
}

// A refusal here is the grants running out or a range past the I/O space:
// errno says all of it.
const char *io_why(char *, int)
{
	return nullptr;
}
