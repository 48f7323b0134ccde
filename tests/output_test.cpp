// SPDX-License-Identifier: GPL-2.0-or-later
// Where the output goes: closed standard streams never let a status line or a
// diagnostic into a file the run opened, and output that could not be written
// is never reported as success. And the simulator's state file: what can't be
// read back whole ends the run and stays as it was.
#include <gtest/gtest.h>

#include <dirent.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "runner.h"

namespace {

const char *const fresh = "0x278 0x00\n0x378 0x00\n0x3bc 0x00\n";

TEST(Output, ClosedFullOrBrokenStreams)
{
	const char *const full = "relayswitch-sim: write error: No space left on device\n";
	const struct {
		std::vector<std::string> args;
		Launch io;
		const char *out, *err;
		int status;
		const char *trace;
	} cases[] = {
		// A closed stream is /dev/null: what goes there is lost on purpose.
		{ { "-1", "on", "-o" }, { "-", nullptr }, "", "", 0, "r378 r379*8 w378=01" },
		{ { "-2", "on", "-h" }, { "-", nullptr }, "", "", 1, "r378" },
		{ { "-x" }, { nullptr, "-" }, "@usage", "", 1, "r378" },
		{ { "-o", "-1" }, { "-", "-" }, "", "", 1, "r378 r379*8" },
		// Output that can't be written fails the run before the port is written.
		{ { "-o", "-3", "on" }, { "/dev/full", nullptr }, "", full, 1, "r378 r379*8" },
		{ { "-3", "on", "-o", "-o" }, { "|", nullptr }, "",
		  "relayswitch-sim: write error: Broken pipe\n", 1, "r378 r379*8" },
		{ { "-h" }, { "/dev/full", nullptr }, "", full, 1, "r378" },
		{ { "-o" }, { "/dev/full", "/dev/full" }, "", "", 1, "r378 r379*8" },
		{ {}, { "/dev/full", nullptr }, "", full, 1, "" },
		// A run that prints nothing loses nothing.
		{ { "-3", "on" }, { "/dev/full", nullptr }, "", "", 0, "r378 w378=04" },
	};
	for (auto &c : cases) {
		SCOPED_TRACE("relayswitch" + quoted(c.args) + " >" + (c.io.out ? c.io.out : "") + " 2>" +
			     (c.io.err ? c.io.err : ""));
		Scratch s;
		Result r = run_in(s, c.args, nullptr, RELAYSWITCH_SIM, c.io);
		EXPECT_EQ(r.out, std::string(c.out) == "@usage" ? golden("usage.golden") : c.out);
		EXPECT_EQ(r.err, c.err);
		EXPECT_EQ(r.status, c.status);
		EXPECT_EQ(r.trace, c.trace);
		// The state file holds registers and nothing else: 0x378 as written.
		std::string want = fresh;
		if (auto w = std::string(c.trace).find("w378="); w != std::string::npos)
			want.replace(want.find("0x378 0x") + 8, 2, std::string(c.trace).substr(w + 5, 2));
		EXPECT_EQ(r.state, *c.trace ? want : "");
	}
}

// Where no file may grow past a byte (RLIMIT_FSIZE 1, SIGXFSZ as it comes), a
// line that doesn't fit fails the run with status 1, never kills it: the usage
// text, a status line, the ioperm message. What error output fits is kept.
TEST(Output, FileSizeLimitFailsTheRun)
{
	Launch tiny;
	tiny.fsize = 1;
	tiny.fsize_kills = true;
	const struct {
		std::vector<std::string> args;
		const char *grants, *err;
	} cases[] = {
		{ {}, nullptr, "r" },
		{ { "-o" }, nullptr, "r" },
		{ { "-1", "on" }, "0", "i" },
	};
	for (auto &c : cases) {
		SCOPED_TRACE("relayswitch" + quoted(c.args));
		Scratch s;
		write_state(s, fresh);
		Result r = run_in(s, c.args, c.grants, RELAYSWITCH_SIM, tiny);
		EXPECT_EQ(r.status, 1);
		EXPECT_EQ(r.err, c.err);
		EXPECT_EQ(r.state, fresh);
	}
}

std::string lines(int n, const char *format)
{
	std::string text;
	char line[32];
	for (int i = 0; i < n; i++) {
		snprintf(line, sizeof line, format, 0x1000 + i);
		text += line;
	}
	return text;
}

TEST(SimStateFile, RefusedUnlessReadBackWhole)
{
	const struct {
		std::string text;
		const char *why;
	} cases[] = {
		{ "hello\n", "is not a state file (line 1)" },
		{ golden("usage.golden"), "is not a state file (line 3)" },
		{ "0x378 0x05\n0x37", "is not a state file (line 2)" },
		{ "0x378 0x05 0x06\n", "is not a state file (line 1)" },
		{ "0x378 0x100\n", "is not a state file (line 1)" },
		{ "0x10000 0x00\n", "is not a state file (line 1)" },
		{ "0x100000378 0x05\n", "is not a state file (line 1)" },
		{ "0x378 0x100000005\n", "is not a state file (line 1)" },
		{ "0x378 -1\n", "is not a state file (line 1)" },
		{ "0x378 0x05 relays\n", "is not a state file (line 1)" },
		{ "0x378 0x05" + std::string(60, ' ') + "x\n", "is not a state file (line 1)" },
		{ "0x378 0x05\n0x278 0x00\n0x378 0x06\n", "is not a state file (line 3)" },
		{ "# the bench PC\n\n", "is not a state file (no register)" },
		{ lines(4097, "0x%x 0x00\n"), "is too big for a state file" },
		{ lines(7000, "0x%x 0x00    \n"), "is too big for a state file" },
	};
	for (auto &c : cases) {
		SCOPED_TRACE(c.why);
		Scratch s;
		write_state(s, c.text);
		Result r = run_in(s, { "-a", "on" });
		EXPECT_EQ(r.status, 1);
		EXPECT_EQ(r.out, "");
		EXPECT_EQ(r.err, "relayswitch-sim: " + s.path("state") + " " + c.why + "\n");
		EXPECT_EQ(r.trace.find('w'), std::string::npos) << r.trace;
		EXPECT_EQ(r.state, c.text);
	}
	// Spaces around the words and a comment are fine.
	Scratch s;
	write_state(s, "# card\n  0x378\t0x05  \n\n");
	EXPECT_EQ(run_in(s, { "-o" }).out, "10100000 11111110\n");
}

// A rewrite keeps the user's comments and blank lines where they were, and a
// register new to the file goes before the first one listed after it.
TEST(SimStateFile, KeepsWhatTheUserWrote)
{
	const char *const mine = "# bench PC\n\n  0x378\t0x05  # relays\n0xe800 0x00 #card\n# end";
	const struct {
		std::vector<std::string> args;
		const char *state;
	} cases[] = {
		{ { "-1", "on", "-3", "off" }, "# bench PC\n\n  0x378\t0x01  # relays\n0xe800 0x00 #card\n# end\n" },
		{ { "-p", "278", "-1", "on" },
		  "# bench PC\n\n0x278 0x01\n  0x378\t0x05  # relays\n0xe800 0x00 #card\n# end\n" },
		{ { "-p", "e800", "-a", "on" }, "# bench PC\n\n  0x378\t0x05  # relays\n0xe800 0xff #card\n# end\n" },
		{ { "-p", "3bc", "-2", "on" },
		  "# bench PC\n\n  0x378\t0x05  # relays\n0x3bc 0x02\n0xe800 0x00 #card\n# end\n" },
		{ { "-o" }, "# bench PC\n\n  0x378\t0x05  # relays\n0xe800 0x00 #card\n# end\n" },
	};
	for (auto &c : cases) {
		SCOPED_TRACE("relayswitch" + quoted(c.args));
		Scratch s;
		write_state(s, mine);
		Result r = run_in(s, c.args);
		EXPECT_EQ(r.status, 0) << r.err;
		EXPECT_EQ(r.state, c.state);
		EXPECT_EQ(run_in(s, { "-o" }).status, 0);
	}
}

// The files in the scratch directory but those every run makes there (and the
// emulator's bin/).
std::string leftovers(const Scratch &s)
{
	std::string names;
	if (DIR *d = opendir(s.dir.c_str())) {
		while (dirent *e = readdir(d)) {
			std::string n = e->d_name;
			if (n != "." && n != ".." && n != "state" && n.compare(0, 3, "out") != 0 &&
			    n.compare(0, 3, "err") != 0 && n.compare(0, 3, "log") != 0 && n != "bin")
				names += n + " ";
		}
		closedir(d);
	}
	return names;
}

// What a shell command prints.
std::string output_of(const std::string &cmd)
{
	std::string out;
	if (FILE *p = popen(cmd.c_str(), "r")) {
		char buf[256];
		for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;)
			out.append(buf, n);
		pclose(p);
	}
	return out;
}

// A write that fails leaves the old file whole, says why, fails the run and
// leaves nothing behind -- a file-size limit too, whatever SIGXFSZ does. (Where
// no file may grow, the message itself is cut to the limit: its error output
// is a file here.)
TEST(SimStateFile, OldOrNew)
{
	const std::string old = "# " + std::string(5000, '=') + "\n0x378 0x05\n";
	Launch limited, killing, none;
	limited.fsize = killing.fsize = 4096;
	killing.fsize_kills = true;
	none.fsize = 1;
	none.fsize_kills = true;
	const struct {
		const char *what;
		Launch io;
	} cases[] = {
		{ "a file-size limit, SIGXFSZ ignored", limited },
		{ "a file-size limit, SIGXFSZ as it comes", killing },
		{ "no file may grow, SIGXFSZ as it comes", none },
	};
	for (auto &c : cases) {
		SCOPED_TRACE(c.what);
		Scratch s;
		write_state(s, old);
		Result r = run_in(s, { "-1", "off", "-2", "on" }, nullptr, RELAYSWITCH_SIM, c.io);
		EXPECT_EQ(r.status, 1);
		std::string err = "relayswitch-sim: cannot write " + s.path("state") + ": File too large\n";
		EXPECT_EQ(r.err, err.substr(0, c.io.fsize));
		EXPECT_EQ(r.state, old);
		EXPECT_EQ(leftovers(s), "");
		r = run_in(s, { "-1", "off", "-2", "on" });
		EXPECT_EQ(r.status, 0) << r.err;
		EXPECT_EQ(r.state, old.substr(0, old.size() - 3) + "06\n");
	}
	// A state file named past what a path may hold is refused, not cut short.
	Scratch s;
	std::string longer = s.path(std::string(5000, 'x'));
	Launch named;
	named.state = longer.c_str();
	Result r = run_in(s, { "-1", "on" }, nullptr, RELAYSWITCH_SIM, named);
	EXPECT_EQ(r.status, 1);
	const std::string said = "relayswitch-sim: cannot open " + longer + ": ";
	EXPECT_TRUE(r.err.compare(0, said.size(), said) == 0) << r.err.substr(r.err.size() - 40);
	const std::string why = r.err.substr(said.size());	// "File name" or "Filename", by C library
	EXPECT_TRUE(why == "File name too long\n" || why == "Filename too long\n") << why;
	EXPECT_EQ(r.trace, "BAD(ioperm 0x378 3)") << "ended when it asked for the port";
}

// Only a regular file of one name is the state: anything else -- reached
// directly or by a link -- is refused with a message and left as it is, and
// so is an empty file, which no run writes.
TEST(SimStateFile, OnlyARegularFileOfOneName)
{
	enum { FIFO, FIFO_BY_LINK, DIRECTORY, TWO_LINKS, EMPTY };
	const struct {
		const char *what;
		int kind;
		const char *why;	// after the file's name ("cannot open " before it, for a directory)
	} cases[] = {
		{ "a FIFO", FIFO, " is not a regular file" },
		{ "a link to a FIFO", FIFO_BY_LINK, " is not a regular file" },
		{ "a directory", DIRECTORY, ": Is a directory" },
		{ "a file with two links", TWO_LINKS, " has 2 hard links: a rewrite would part them" },
		{ "an empty file", EMPTY, " is empty: remove it, and the next run starts it anew" },
	};
	for (auto &c : cases) {
		SCOPED_TRACE(c.what);
		Scratch s;
		std::string named = s.path("named");
		switch (c.kind) {
		case FIFO:
			ASSERT_EQ(mkfifo(named.c_str(), 0600), 0);
			break;
		case FIFO_BY_LINK:
			ASSERT_EQ(mkfifo(s.path("fifo").c_str(), 0600), 0);
			ASSERT_EQ(symlink("fifo", named.c_str()), 0);
			break;
		case DIRECTORY:
			ASSERT_EQ(mkdir(named.c_str(), 0700), 0);
			break;
		case TWO_LINKS:
			std::ofstream(named) << "0x378 0x05\n";
			ASSERT_EQ(link(named.c_str(), s.path("other").c_str()), 0);
			break;
		case EMPTY:
			std::ofstream(named) << "";
			break;
		}
		struct stat before, after;
		ASSERT_EQ(lstat(named.c_str(), &before), 0);
		Launch io;
		io.state = named.c_str();
		Result r = run_in(s, { "-1", "on" }, nullptr, RELAYSWITCH_SIM, io);
		EXPECT_EQ(r.status, 1);
		EXPECT_EQ(r.out, "");
		EXPECT_EQ(r.err, std::string("relayswitch-sim: ") + (c.kind == DIRECTORY ? "cannot open " : "") +
					 named + c.why + "\n");
		EXPECT_EQ(r.trace.find('w'), std::string::npos) << r.trace;
		ASSERT_EQ(lstat(named.c_str(), &after), 0);
		EXPECT_EQ(after.st_mode, before.st_mode);
		EXPECT_EQ(after.st_ino, before.st_ino);
		EXPECT_EQ(after.st_size, before.st_size);
	}
}

// As root, a device named as the state file is refused, not replaced: a rename
// would put a regular file in /dev/null's place. The device is made in the
// scratch directory, so a fault can't touch the machine's own.
TEST(SimStateFile, NeverADevice)
{
	Scratch s;
	std::string null = s.path("null");
	if (mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
		GTEST_SKIP() << "not root: making a device needs it";
	std::string linked = s.path("link");
	ASSERT_EQ(symlink("null", linked.c_str()), 0);
	for (const std::string &named : { null, linked }) {
		SCOPED_TRACE(named);
		Launch io;
		io.state = named.c_str();
		Result r = run_in(s, { "-1", "on", "-o" }, nullptr, RELAYSWITCH_SIM, io);
		EXPECT_EQ(r.status, 1);
		EXPECT_EQ(r.err, "relayswitch-sim: " + named + " is not a regular file\n");
		struct stat st;
		ASSERT_EQ(stat(null.c_str(), &st), 0);
		EXPECT_TRUE(S_ISCHR(st.st_mode));
	}
}

// A rewrite keeps the file's owner (where the run may set it), group and mode;
// a new file is its owner's alone. Nobody can block the rewrite by making the
// names new files once had, and what killed runs left behind is cleared.
TEST(SimStateFile, KeepsOwnerGroupAndMode)
{
	Scratch s;
	Result r = run_in(s, { "-1", "on" });
	struct stat st;
	ASSERT_EQ(stat(s.path("state").c_str(), &st), 0);
	EXPECT_EQ(st.st_mode & 07777, 0600u) << "a new state file";
	if (geteuid() == 0) {
		ASSERT_EQ(chown(s.path("state").c_str(), 65534, 100), 0);
	}
	ASSERT_EQ(chmod(s.path("state").c_str(), 0640), 0);
	// An access list, where the tools for one are there (package acl).
	std::string acl = "getfacl -cn " + s.path("state") + " 2>/dev/null";
	bool acls = system(("setfacl -m u:65534:rw " + s.path("state") + " 2>/dev/null").c_str()) == 0;
	std::string acl_before = acls ? output_of(acl) : "";
	stat(s.path("state").c_str(), &st);
	for (int pid = getpid(); pid < getpid() + 300; pid++)
		std::ofstream(s.path("state." + std::to_string(pid) + ".new")) << "planted";
	std::ofstream(s.path("state.AbC123.sim-new")) << "left by a killed run";
	r = run_in(s, { "-2", "on" });
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.state, "0x278 0x00\n0x378 0x03\n0x3bc 0x00\n");
	struct stat now;
	ASSERT_EQ(stat(s.path("state").c_str(), &now), 0);
	EXPECT_NE(now.st_ino, st.st_ino) << "replaced whole";
	EXPECT_EQ(now.st_uid, st.st_uid);
	EXPECT_EQ(now.st_gid, st.st_gid);
	EXPECT_EQ(now.st_mode, st.st_mode);
	if (acls) {
		EXPECT_NE(acl_before.find("user:65534:rw-"), std::string::npos) << acl_before;
		EXPECT_EQ(output_of(acl), acl_before);
	}
	EXPECT_NE(access(s.path("state.AbC123.sim-new").c_str(), F_OK), 0) << "a killed run's file stays";
	EXPECT_EQ(read_file(s.path("state." + std::to_string(getpid() + 1) + ".new")), "planted");
}

// A switch the run reported is on disk: the new file is synced before it takes
// the old one's place, and the directory after. Seen in the system calls made.
TEST(SimStateFile, SyncedBeforeSuccess)
{
	if (getenv("RELAYSWITCH_TEST_WRAP") && *getenv("RELAYSWITCH_TEST_WRAP"))
		GTEST_SKIP() << "under an emulator: its own system calls would show";
	if (system("strace -V >/dev/null 2>&1") != 0)
		GTEST_SKIP() << "no strace (package strace)";
	Scratch s;
	write_state(s, "0x378 0x00\n");
	// (LeakSanitizer, in a sanitizer build, does not work under strace.)
	std::string cmd = "ASAN_OPTIONS=detect_leaks=0 RELAYSWITCH_SIM_STATE=" + s.path("state") +
			  " strace -qq -o " + s.path("calls") + " -e trace=fsync,rename " + RELAYSWITCH_SIM +
			  " -1 on >/dev/null 2>&1";
	ASSERT_EQ(system(cmd.c_str()), 0);
	std::string calls = read_file(s.path("calls")), order;
	std::istringstream in(calls);
	for (std::string line; std::getline(in, line);) {
		if (line.compare(0, 6, "fsync(") == 0)
			order += "fsync ";
		else if (line.compare(0, 7, "rename(") == 0)
			order += "rename ";
	}
	EXPECT_EQ(order, "fsync rename fsync ") << calls;
	EXPECT_EQ(read_file(s.path("state")), "0x378 0x01\n");
}

// A log that can't take a line at once -- a FIFO nobody reads -- never holds
// the run up.
TEST(SimStateFile, LogNeverHoldsTheRun)
{
	Scratch s;
	write_state(s, "0x378 0x00\n");
	ASSERT_EQ(mkfifo(s.path("logfifo").c_str(), 0600), 0);
	pid_t pid = start_run(s, { "-1", "on" }, nullptr, RELAYSWITCH_SIM, "fifo");
	int status = -1;
	for (int tick = 0; tick < 150 && status < 0; tick++) {
		int st;
		if (waitpid(pid, &st, WNOHANG) == pid)
			status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
		else
			usleep(100000);
	}
	if (status < 0) {
		kill(pid, SIGKILL);
		wait_run(pid);
	}
	EXPECT_EQ(status, 0) << "held up by its log for 15 s";
	EXPECT_EQ(read_file(s.path("state")), "0x378 0x01\n");
}

// A file that would grow past what a state file may hold says so.
TEST(SimStateFile, FullSaysWhat)
{
	Scratch s;
	std::string text = "0x378 0x5\n# ";
	text += std::string(65536 - text.size() - 1, '=') + "\n";
	write_state(s, text);
	Result r = run_in(s, { "-2", "on" });
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.err, "relayswitch-sim: " + s.path("state") + " is full: its text would pass 65536 bytes\n");
	EXPECT_EQ(r.state, text);
}

// With no state file named and no home to keep it in, the simulator says so
// rather than write one into whatever directory it runs in.
TEST(SimStateFile, NeedsAPlace)
{
	Scratch s;
	Launch homeless;
	homeless.homeless = true;
	Result r = run_in(s, { "-1", "on" }, nullptr, RELAYSWITCH_SIM, homeless);
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.err, "relayswitch-sim: no state file: set RELAYSWITCH_SIM_STATE or HOME\n");
	EXPECT_NE(access(s.path(".relayswitch-sim").c_str(), F_OK), 0);
	EXPECT_NE(access(s.path("bin/.relayswitch-sim").c_str(), F_OK), 0);
}

}  // namespace
