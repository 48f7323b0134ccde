// SPDX-License-Identifier: GPL-2.0-or-later
// Hostile command lines, drawn at random from a grammar of good and bad words
// (seeded: a failure names the seed and the line to run again). Whatever the
// words, a run ends with 0 or 1, writes once and last or not at all, and prints
// nothing but status lines and one help screen or one diagnostic.
// 300 lines by default; FUZZ_RUNS sets the number (the heavy label runs 10,000).
#include <gtest/gtest.h>

#include <random>

#include "runner.h"

namespace {

using Words = std::vector<std::string>;

const Words pinwords = { "on", "off", "ON", "On", "oN", "OFF", "Off", "o", "of", "onx", "offf",
			 " on", "on ", "1", "0", "", "-o", "--", "\xc3\xb6n", "\xff" };
const Words addresses = { "378", "0x378", "0X3bc", "278", "3bc", "e800", "FFFFF", "fffe", "ffff",
			  "fffd", "0", "0x", "zz", "x378", "378h", "3:8", "1X5", "", "10000",
			  "-378", "0x0x378", " 378", "\xef\xbc\x93" };
const Words flags = { "-o", "-h", "-e", "-I", "-x", "-", "--", "--help", "", "-oo", "-o1", "-?",
		      "-:", "foo", "-\xff", "-Z", "-O" };

std::string pick(std::mt19937 &rng, const Words &w)
{
	return w[rng() % w.size()];
}

std::string junk(std::mt19937 &rng)
{
	std::string s(rng() % 3 == 0 ? 4000 + rng() % 2000 : rng() % 12, ' ');
	for (char &c : s)
		c = static_cast<char>(1 + rng() % 255);
	return s;
}

Words commandline(std::mt19937 &rng)
{
	Words args;
	// A third of the lines are well formed, so that many runs get to the write.
	const unsigned kinds = rng() % 3 ? 7 : 2;
	for (int n = rng() % 9; n > 0; n--) {
		std::string pin = "-" + std::string(1, "12345678a"[rng() % 9]);
		switch (rng() % kinds) {
		case 0:
			args.push_back(pin);
			args.push_back(kinds == 2 || rng() % 3 ? (rng() % 2 ? "on" : "off") : pick(rng, pinwords));
			break;
		case 1:
			args.push_back(kinds == 2 ? (rng() % 3 ? "-o" : "-p278") : pin + "off");
			break;
		case 2:
			args.push_back(pin + (rng() % 2 ? "on" : pick(rng, pinwords)));
			break;
		case 3:
			if (rng() % 2) {
				args.push_back("-p");
				args.push_back(pick(rng, addresses));
			} else
				args.push_back("-p" + pick(rng, addresses));
			break;
		case 4:
		case 5:
			args.push_back(pick(rng, flags));
			break;
		default:
			args.push_back(junk(rng));
		}
	}
	return args;
}

// Length of the run of '0' and '1' at s[at], at most max.
size_t bits(const std::string &s, size_t at, size_t max)
{
	size_t n = 0;
	while (n < max && at + n < s.size() && (s[at + n] == '0' || s[at + n] == '1'))
		n++;
	return n;
}

// What stdout holds after its complete status lines.
std::string after_status_lines(const std::string &out)
{
	size_t at = 0;
	while (bits(out, at, 8) == 8 && out.compare(at + 8, 1, " ") == 0 && bits(out, at + 9, 8) == 8 &&
	       out.compare(at + 17, 1, "\n") == 0)
		at += 18;
	return out.substr(at);
}

// A status line cut short by a refused status read.
bool cut_short(const std::string &s)
{
	if (s.size() <= 8)
		return bits(s, 0, 8) == s.size();
	return bits(s, 0, 8) == 8 && s[8] == ' ' && bits(s, 9, 7) == s.size() - 9;
}

// Nothing, or one diagnostic of the option parser, or the command's word for
// a word it can't take.
bool parser_diagnostic(const std::string &err)
{
	for (const char *what : { "unexpected word '", "bad port address '" }) {
		std::string head = std::string("relayswitch-sim: ") + what;
		if (err.size() >= head.size() + 2 && err.compare(0, head.size(), head) == 0 &&
		    err.compare(err.size() - 2, 2, "'\n") == 0)
			return true;
	}
	for (const char *what : { "invalid option", "option requires an argument" }) {
		std::string head = std::string("relayswitch: ") + what + " -- '";
		if (err.size() == head.size() + 3 && err.compare(0, head.size(), head) == 0 &&
		    err.compare(head.size() + 1, 2, "'\n") == 0)
			return true;
	}
	return err.empty();
}

TEST(Fuzz, HostileCommandLines)
{
	const unsigned seed = getenv("FUZZ_SEED") ? atoi(getenv("FUZZ_SEED")) : 20261208;
	const int total = getenv("FUZZ_RUNS") ? atoi(getenv("FUZZ_RUNS")) : 300;
	const std::string usage = golden("usage.golden"), exthelp = golden("exthelp.golden");

	std::mt19937 rng(seed);
	const int slots = 4;
	struct Slot {
		Scratch s;
		pid_t pid = 0;
		Words args;
		const char *grants = nullptr;
	} slot[slots];
	int done = 0, writes = 0, refusals = 0;
	auto check = [&](Slot &sl) {
		Result r = collect_run(sl.s, sl.pid, "");
		sl.pid = 0;
		const int status = r.status;
		const std::string &out = r.out, &err = r.err, &t = r.trace;
		SCOPED_TRACE("seed " + std::to_string(seed) + ", grants " +
			     (sl.grants ? sl.grants : "all") + ": relayswitch" + quoted(sl.args));
		ASSERT_TRUE(status == 0 || status == 1) << "status " << status << "\n" << err;
		EXPECT_EQ(t.find("BAD"), std::string::npos) << t;
		size_t w = t.find('w');
		if (status == 0) {
			writes++;
			EXPECT_NE(w, std::string::npos) << t;
			EXPECT_EQ(t.find(' ', w), std::string::npos) << t;
			EXPECT_EQ(err, "");
		} else
			EXPECT_EQ(w, std::string::npos) << t;
		std::string tail = after_status_lines(out);
		if (err == "ioperm: Operation not permitted\n" || err == "ioperm: Invalid argument\n") {
			refusals++;
			EXPECT_EQ(status, 1);
			EXPECT_EQ(t.substr(t.rfind(' ') + 1)[0], '!') << t;
			EXPECT_TRUE(cut_short(tail)) << tail;
		} else {
			EXPECT_TRUE(parser_diagnostic(err)) << err;
			EXPECT_TRUE(tail.empty() || tail == usage || tail == exthelp) << tail;
			EXPECT_EQ(status == 1, !tail.empty());
		}
		done++;
	};
	for (int n = 0; n < total; n++) {
		Slot &sl = slot[n % slots];
		if (sl.pid)
			check(sl);
		static const char *const grants[] = { nullptr, nullptr, nullptr, "0", "1", "2", "5", "9" };
		sl.args = commandline(rng);
		sl.grants = grants[rng() % 8];
		if (rng() % 2)
			set_registers(sl.s, "378=" + std::to_string(rng() % 10) + " 379=" + std::to_string(rng() % 10));
		else
			unlink(sl.s.path("state").c_str());
		sl.pid = start_run(sl.s, sl.args, sl.grants, RELAYSWITCH_SIM, "");
	}
	for (auto &sl : slot)
		if (sl.pid)
			check(sl);
	EXPECT_EQ(done, total);
	RecordProperty("writes", writes);
	RecordProperty("refusals", refusals);
	printf("%d command lines: %d wrote, %d refused permission, %d ended otherwise\n", done, writes,
	       refusals, done - writes - refusals);
}

}  // namespace
