// SPDX-License-Identifier: GPL-2.0-or-later
// The command end to end: argument vector and starting registers in; standard
// output, standard error, exit status and every port access out.
#include <gtest/gtest.h>

#include "runner.h"

namespace {

struct Case {
	std::vector<std::string> args;
	const char *regs;	// starting registers; "" is a new state file (all latches 0)
	const char *grants;	// permission requests granted, nullptr: all
	const char *out;	// "@usage" and "@exthelp" stand for the help texts
	const char *err;
	int status;
	const char *trace;
};

const char *const EPERM_ = "ioperm: Operation not permitted\n";
const char *const EINVAL_ = "ioperm: Invalid argument\n";
#define STRAY(word) "relayswitch-sim: unexpected word '" word "'\n"
#define BADPORT(word) "relayswitch-sim: bad port address '" word "'\n"

std::string expand(std::string s)
{
	for (auto [mark, file] : { std::pair{ "@usage", "usage.golden" }, { "@exthelp", "exthelp.golden" } })
		if (auto at = s.find(mark); at != std::string::npos)
			s.replace(at, strlen(mark), golden(file));
	return s;
}

// Runs each case and checks all it did. A failed run writes nothing; a good
// one writes once, and last.
void check(std::initializer_list<Case> cases)
{
	for (const Case &c : cases) {
		SCOPED_TRACE("relayswitch" + quoted(c.args) + " regs " + c.regs);
		Result r = run_sim(c.args, c.regs, c.grants);
		EXPECT_EQ(r.out, expand(c.out));
		EXPECT_EQ(r.err, c.err);
		EXPECT_EQ(r.status, c.status);
		EXPECT_EQ(r.trace, c.trace);
		auto w = r.trace.find('w');
		if (c.status != 0)
			EXPECT_EQ(w, std::string::npos);
		else
			EXPECT_EQ(r.trace.find(' ', w), std::string::npos);
	}
}

TEST(Command, HelpScreens)
{
	check({
		// No arguments: the usage text, and the port is not touched.
		{ {}, "", nullptr, "@usage", "", 1, "" },
		// Help screens end the run after the start-up read; nothing after them is done.
		{ { "-h" }, "", nullptr, "@usage", "", 1, "r378" },
		{ { "-I" }, "", nullptr, "@usage", "", 1, "r378" },
		{ { "-e" }, "", nullptr, "@exthelp", "", 1, "r378" },
		{ { "-h", "-e" }, "", nullptr, "@usage", "", 1, "r378" },
		{ { "-e", "-h" }, "", nullptr, "@exthelp", "", 1, "r378" },
		{ { "-1", "on", "-e", "-2", "on" }, "", nullptr, "@exthelp", "", 1, "r378" },
		{ { "-o", "-h", "-o" }, "", nullptr, "00000000 11111110\n@usage", "", 1, "r378 r379*8" },
	});
}

TEST(Command, SwitchesEachLine)
{
	check({
		// Each line on from all off, and off from all on: one read, one write.
		{ { "-1", "on" }, "", nullptr, "", "", 0, "r378 w378=01" },
		{ { "-2", "on" }, "", nullptr, "", "", 0, "r378 w378=02" },
		{ { "-3", "on" }, "", nullptr, "", "", 0, "r378 w378=04" },
		{ { "-4", "on" }, "", nullptr, "", "", 0, "r378 w378=08" },
		{ { "-5", "on" }, "", nullptr, "", "", 0, "r378 w378=10" },
		{ { "-6", "on" }, "", nullptr, "", "", 0, "r378 w378=20" },
		{ { "-7", "on" }, "", nullptr, "", "", 0, "r378 w378=40" },
		{ { "-8", "on" }, "", nullptr, "", "", 0, "r378 w378=80" },
		{ { "-1", "off" }, "378=ff", nullptr, "", "", 0, "r378 w378=fe" },
		{ { "-2", "off" }, "378=ff", nullptr, "", "", 0, "r378 w378=fd" },
		{ { "-3", "off" }, "378=ff", nullptr, "", "", 0, "r378 w378=fb" },
		{ { "-4", "off" }, "378=ff", nullptr, "", "", 0, "r378 w378=f7" },
		{ { "-5", "off" }, "378=ff", nullptr, "", "", 0, "r378 w378=ef" },
		{ { "-6", "off" }, "378=ff", nullptr, "", "", 0, "r378 w378=df" },
		{ { "-7", "off" }, "378=ff", nullptr, "", "", 0, "r378 w378=bf" },
		{ { "-8", "off" }, "378=ff", nullptr, "", "", 0, "r378 w378=7f" },
		// Lines no option names keep their state.
		{ { "-3", "on", "-6", "off" }, "378=a0", nullptr, "", "", 0, "r378 w378=84" },
	});
}

TEST(Command, PinWordsAreExact)
{
	check({
		// Pin words are exactly "on" or "off".
		{ { "-1", "ON" }, "", nullptr, "@usage", "", 1, "r378" },
		{ { "-1", "On" }, "", nullptr, "@usage", "", 1, "r378" },
		{ { "-1", "o" }, "", nullptr, "@usage", "", 1, "r378" },
		{ { "-1", "onx" }, "", nullptr, "@usage", "", 1, "r378" },
		{ { "-1", "1" }, "", nullptr, "@usage", "", 1, "r378" },
		{ { "-1", "" }, "", nullptr, "@usage", "", 1, "r378" },
		{ { "-1", " on" }, "", nullptr, "@usage", "", 1, "r378" },
		{ { "-2", "OFF" }, "", nullptr, "@usage", "", 1, "r378" },
		{ { "-a", "On" }, "", nullptr, "@usage", "", 1, "r378" },
		{ { "-a", "offf" }, "", nullptr, "@usage", "", 1, "r378" },
		{ { "-1", "-o" }, "", nullptr, "@usage", "", 1, "r378" },
		// An invalid word ends the run: earlier options are not written.
		{ { "-1", "on", "-2", "of", "-3", "on" }, "", nullptr, "@usage", "", 1, "r378" },
	});
}

TEST(Command, LeftToRight)
{
	check({
		// Left to right: a later option on the same line wins; -a then single lines.
		{ { "-1", "on", "-1", "off" }, "", nullptr, "", "", 0, "r378 w378=00" },
		{ { "-8", "on", "-8", "off", "-8", "on" }, "", nullptr, "", "", 0, "r378 w378=80" },
		{ { "-a", "on", "-3", "off" }, "", nullptr, "", "", 0, "r378 w378=fb" },
		{ { "-a", "on" }, "378=12", nullptr, "", "", 0, "r378 w378=ff" },
		{ { "-a", "off" }, "378=ff", nullptr, "", "", 0, "r378 w378=00" },
		{ { "-3", "off", "-a", "on" }, "", nullptr, "", "", 0, "r378 w378=ff" },
	});
}

TEST(Command, PortOptionRereads)
{
	check({
		// -p re-reads the new port and drops earlier changes; the last -p decides.
		{ { "-1", "on", "-p", "378" }, "378=00", nullptr, "", "", 0, "r378*2 w378=00" },
		{ { "-p", "278", "-1", "on" }, "278=10", nullptr, "", "", 0, "r378 r278 w278=11" },
		{ { "-1", "on", "-p", "278" }, "278=10", nullptr, "", "", 0, "r378 r278 w278=10" },
		{ { "-p", "278", "-p", "3bc", "-8", "on" }, "3bc=01", nullptr, "", "", 0,
		  "r378 r278 r3bc w3bc=81" },
	});
}

TEST(Command, AddressForms)
{
	check({
		// Address forms: hexadecimal, optional prefix, four digits at most, an h.
		{ { "-p", "0x378", "-1", "on" }, "", nullptr, "", "", 0, "r378*2 w378=01" },
		{ { "-p", "0X378", "-1", "on" }, "", nullptr, "", "", 0, "r378*2 w378=01" },
		{ { "-p", "0378", "-1", "on" }, "", nullptr, "", "", 0, "r378*2 w378=01" },
		{ { "-p0x3BC", "-1", "on" }, "", nullptr, "", "", 0, "r378 r3bc w3bc=01" },
		{ { "-p", "3bc" }, "", nullptr, "", "", 0, "r378 r3bc w3bc=00" },
		{ { "-p", "378h", "-1", "on" }, "", nullptr, "", "", 0, "r378*2 w378=01" },
		{ { "-p", "0x278H" }, "", nullptr, "", "", 0, "r378 r278 w278=00" },
		{ { "-p", "888" }, "888=42", nullptr, "", "", 0, "r378 r888 w888=42" },
		// Leading zeros don't count among the four digits.
		{ { "-p", "00000378", "-1", "on" }, "", nullptr, "", "", 0, "r378*2 w378=01" },
		{ { "-p", "0x000000000000e800", "-2", "on" }, "e800=00", nullptr, "", "", 0,
		  "r378 re800 we800=02" },
		{ { "-p", "0100" }, "", nullptr, "", "", 0, "r378 r100 w100=ff" },
		{ { "-p", "e800", "-2", "on" }, "e800=00", nullptr, "", "", 0, "r378 re800 we800=02" },
		{ { "-p", "fffe" }, "", nullptr, "", EINVAL_, 1, "r378 !fffe" },
		{ { "-p", "ffff" }, "", nullptr, "", EINVAL_, 1, "r378 !ffff" },
		{ { "-p", "fffd" }, "", nullptr, "", "", 0, "r378 rfffd wfffd=ff" },
	});
}

TEST(Command, AddressesRefused)
{
	check({
		// An address is read whole: a fifth digit or any other character is a
		// typo, and so is a base below 0x100 (the PC's own controllers).
		{ { "-p", "12345" }, "1234=0f", nullptr, "@usage", BADPORT("12345"), 1, "r378" },
		{ { "-p", "000012345" }, "", nullptr, "@usage", BADPORT("000012345"), 1, "r378" },
		{ { "-p", "37800" }, "", nullptr, "@usage", BADPORT("37800"), 1, "r378" },
		{ { "-p", "FFFFF" }, "", nullptr, "@usage", BADPORT("FFFFF"), 1, "r378" },
		{ { "-p", "e80O" }, "", nullptr, "@usage", BADPORT("e80O"), 1, "r378" },
		{ { "-p", "378 " }, "", nullptr, "@usage", BADPORT("378 "), 1, "r378" },
		{ { "-p", "378hh" }, "", nullptr, "@usage", BADPORT("378hh"), 1, "r378" },
		{ { "-p", "h" }, "", nullptr, "@usage", BADPORT("h"), 1, "r378" },
		{ { "-p", "3:8" }, "", nullptr, "@usage", BADPORT("3:8"), 1, "r378" },
		{ { "-p", "1X5" }, "", nullptr, "@usage", BADPORT("1X5"), 1, "r378" },
		{ { "-p", "foo", "-4", "on" }, "", nullptr, "@usage", BADPORT("foo"), 1, "r378" },
		{ { "-p", "ff" }, "", nullptr, "@usage", BADPORT("ff"), 1, "r378" },
		{ { "-p", "0" }, "", nullptr, "@usage", BADPORT("0"), 1, "r378" },
		{ { "-p", "0x0000" }, "", nullptr, "@usage", BADPORT("0x0000"), 1, "r378" },
		{ { "-p", "0x00ff" }, "", nullptr, "@usage", BADPORT("0x00ff"), 1, "r378" },
		{ { "-p", "0x0x378" }, "", nullptr, "@usage", BADPORT("0x0x378"), 1, "r378" },
		{ { "-1", "on", "-p", "0f", "-o" }, "", nullptr, "@usage", BADPORT("0f"), 1, "r378" },
		{ { "-p", "zz" }, "", nullptr, "@usage", BADPORT("zz"), 1, "r378" },
		{ { "-p", "x378" }, "", nullptr, "@usage", BADPORT("x378"), 1, "r378" },
		{ { "-p", "0x" }, "", nullptr, "@usage", BADPORT("0x"), 1, "r378" },
		{ { "-p", "" }, "", nullptr, "@usage", BADPORT(""), 1, "r378" },
		{ { "-p", "0xg" }, "", nullptr, "@usage", BADPORT("0xg"), 1, "r378" },
	});
}

TEST(Command, StatusLine)
{
	check({
		// -o: the working byte lowest bit first, then eight fresh status reads.
		{ { "-o" }, "", nullptr, "00000000 11111110\n", "", 0, "r378 r379*8 w378=00" },
		{ { "-o" }, "378=93 379=87", nullptr, "11001001 11100001\n", "", 0, "r378 r379*8 w378=93" },
		{ { "-o" }, "378=ff 379=00", nullptr, "11111111 00000000\n", "", 0, "r378 r379*8 w378=ff" },
		{ { "-o", "-8", "on" }, "379=ff", nullptr, "00000000 11111111\n", "", 0, "r378 r379*8 w378=80" },
		{ { "-1", "on", "-o" }, "", nullptr, "10000000 11111110\n", "", 0, "r378 r379*8 w378=01" },
		{ { "-a", "off", "-o", "-2", "on", "-o" }, "378=ff", nullptr,
		  "00000000 11111110\n01000000 11111110\n", "", 0, "r378 r379*16 w378=02" },
		{ { "-oo" }, "378=01", nullptr, "10000000 11111110\n10000000 11111110\n", "", 0,
		  "r378 r379*16 w378=01" },
		{ { "-o", "-p", "278", "-o" }, "378=01 379=00 278=80 279=ff", nullptr,
		  "10000000 00000000\n00000001 11111111\n", "", 0, "r378 r379*8 r278 r279*8 w278=80" },
	});
}

TEST(Command, GetoptForms)
{
	check({
		// getopt's forms: attached arguments, a dash word as argument, "--", non-options.
		{ { "-1on", "-2off" }, "378=02", nullptr, "", "", 0, "r378 w378=01" },
		// A word that is no option ends the run before the write, after
		// what -o printed; so does one after "--".
		{ { "foo", "bar" }, "378=5a", nullptr, "@usage", STRAY("foo"), 1, "r378" },
		{ { "" }, "378=5a", nullptr, "@usage", STRAY(""), 1, "r378" },
		{ { "-" }, "378=5a", nullptr, "@usage", STRAY("-"), 1, "r378" },
		{ { "3", "on" }, "", nullptr, "@usage", STRAY("3"), 1, "r378" },
		{ { "foo", "-1", "on" }, "", nullptr, "@usage", STRAY("foo"), 1, "r378" },
		{ { "-1", "on", "2", "on" }, "", nullptr, "@usage", STRAY("2"), 1, "r378" },
		{ { "-1", "on", "foo", "-o" }, "", nullptr, "10000000 11111110\n@usage", STRAY("foo"), 1,
		  "r378 r379*8" },
		{ { "-1", "on", "--", "-2", "on" }, "", nullptr, "@usage", STRAY("-2"), 1, "r378" },
		{ { "--", "-1", "on" }, "", nullptr, "@usage", STRAY("-1"), 1, "r378" },
		{ { "-1", "on", "--" }, "", nullptr, "", "", 0, "r378 w378=01" },
		{ { "foo", "-h" }, "", nullptr, "@usage", "", 1, "r378" },
		{ { "-1" }, "", nullptr, "@usage", "relayswitch: option requires an argument -- '1'\n", 1,
		  "r378" },
		{ { "-o", "-p" }, "", nullptr, "00000000 11111110\n@usage",
		  "relayswitch: option requires an argument -- 'p'\n", 1, "r378 r379*8" },
		{ { "-x" }, "", nullptr, "@usage", "relayswitch: invalid option -- 'x'\n", 1, "r378" },
		{ { "--help" }, "", nullptr, "@usage", "relayswitch: invalid option -- '-'\n", 1, "r378" },
		{ { "-:" }, "", nullptr, "@usage", "relayswitch: invalid option -- ':'\n", 1, "r378" },
	});
}

TEST(Command, RefusedPortAccess)
{
	check({
		// Refused permission: at the start-up read (before any option is looked at),
		// at a status read (the line stays cut short) and at the write.
		{ { "-1", "on" }, "", "0", "", EPERM_, 1, "!378" },
		{ { "-h" }, "", "0", "", EPERM_, 1, "!378" },
		{ { "-e" }, "", "0", "", EPERM_, 1, "!378" },
		{ { "-p", "278" }, "", "0", "", EPERM_, 1, "!378" },
		{ { "-o" }, "", "3", "00000000 11", EPERM_, 1, "r378 r379*2 !379" },
		{ { "-p", "fffd", "-o" }, "", nullptr, "11111111 ", EINVAL_, 1, "r378 rfffd !fffe" },
		{ { "-1", "on" }, "", "1", "", EPERM_, 1, "r378 !378" },
		{ { "-o", "-a", "on" }, "", "9", "00000000 11111110\n", EPERM_, 1, "r378 r379*8 !378" },
	});
}

// The latch keeps what a run wrote: the next run starts from it.
TEST(Command, LatchPersistsBetweenRuns)
{
	Scratch s;
	EXPECT_EQ(run_in(s, { "-1", "on" }).status, 0);
	EXPECT_EQ(run_in(s, { "-p", "278", "-a", "on" }).status, 0);
	Result r = run_in(s, { "-3", "on", "-o" });
	EXPECT_EQ(r.out, "10100000 11111110\n");
	EXPECT_EQ(r.state, "0x278 0xff\n0x378 0x05\n0x3bc 0x00\n");
	// Failing runs leave it alone.
	EXPECT_EQ(run_in(s, { "-a", "off", "-2", "nope" }).status, 1);
	EXPECT_EQ(run_in(s, { "-a", "off" }, "1").status, 1);
	EXPECT_EQ(run_in(s, { "-o" }).out, "10100000 11111110\n");
}

// A state file a person edited: comments are skipped, any listed port is a latch.
TEST(Command, EditedStateFile)
{
	Scratch s;
	write_state(s, "# my card\n0x378 0x0f\n0xe800 0x00\n0xe801 0x80\n");
	EXPECT_EQ(run_in(s, { "-p", "e800", "-2", "on", "-o" }).out, "01000000 00000001\n");
	Result r = run_in(s, { "-o" });
	EXPECT_EQ(r.out, "11110000 11111110\n");
	EXPECT_EQ(r.state, "# my card\n0x378 0x0f\n0xe800 0x02\n0xe801 0x80\n");
}

}  // namespace
