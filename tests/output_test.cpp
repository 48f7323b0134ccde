// SPDX-License-Identifier: GPL-2.0-or-later
// Where the output goes: closed standard streams never let a status line or a
// diagnostic into a file the run opened, and output that could not be written
// is never reported as success. And the simulator's state file: what can't be
// read back whole ends the run and stays as it was.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

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

// A write that fails leaves the old file whole, says why and fails the run;
// so does a run killed while it writes.
TEST(SimStateFile, OldOrNew)
{
	const std::string old = "# " + std::string(5000, '=') + "\n0x378 0x05\n";
	Launch limited, killed;
	limited.fsize = killed.fsize = 4096;
	killed.fsize_kills = true;
	const struct {
		const char *what;
		Launch io;
		int status;
		const char *err;
	} cases[] = {
		{ "a file-size limit, SIGXFSZ ignored", limited, 1, ": File too large\n" },
		{ "a file-size limit that kills", killed, 128 + SIGXFSZ, "" },
	};
	for (auto &c : cases) {
		SCOPED_TRACE(c.what);
		Scratch s;
		write_state(s, old);
		Result r = run_in(s, { "-1", "off", "-2", "on" }, nullptr, RELAYSWITCH_SIM, c.io);
		EXPECT_EQ(r.status, c.status);
		EXPECT_EQ(r.err, *c.err ? "relayswitch-sim: cannot write " + s.path("state") + c.err : "");
		EXPECT_EQ(r.state, old);
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
