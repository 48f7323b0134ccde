// SPDX-License-Identifier: GPL-2.0-or-later
// Runs started at the same moment must not lose each other's switches: every
// run's read-modify-write of the latch is atomic against all the others.
#include <gtest/gtest.h>

#include "sim.h"

namespace {

TEST(Concurrency, NoSwitchIsLost)
{
	const int rounds = 50;
	int lost = 0;
	Scratch s;
	for (int round = 0; round < rounds; round++) {
		// Even rounds switch all sixteen lines of two ports on, odd rounds off.
		bool on = round % 2 == 0;
		setregs(s, on ? "278=00 378=00" : "278=ff 378=ff");
		std::vector<pid_t> runs;
		for (int line = 1; line <= 16; line++) {
			std::vector<std::string> args{ "-" + std::to_string((line - 1) % 8 + 1),
						       on ? "on" : "off" };
			if (line > 8)
				args.insert(args.begin(), { "-p", "278" });
			runs.push_back(start(s, args, nullptr, RELAYSWITCH_SIM, std::to_string(line)));
		}
		for (pid_t pid : runs)
			EXPECT_EQ(finish(pid), 0);
		unsigned v278 = 0x100, v378 = 0x100;
		std::string got = slurp(s.path("state"));
		ASSERT_EQ(sscanf(got.c_str(), "0x278 0x%x\n0x378 0x%x\n", &v278, &v378), 2) << got;
		unsigned want = on ? 0xFF : 0x00;
		lost += __builtin_popcount(v278 ^ want) + __builtin_popcount(v378 ^ want);
	}
	EXPECT_EQ(lost, 0) << "switches lost, of " << rounds * 16;
}

}  // namespace
