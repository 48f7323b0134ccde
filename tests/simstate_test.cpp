// SPDX-License-Identifier: GPL-2.0-or-later
// The simulator's state file as text, in-process: what a text reads as, and
// what it becomes once registers change or are added.
#include <gtest/gtest.h>

#include <string>

#include "simstate.h"

namespace {

SimRegs regs;	// large: kept out of the stack

TEST(SimState, Read)
{
	const struct {
		std::string text;
		int result;
		const char *registers;	// port=value, listed each
	} cases[] = {
		{ "0x378 0x05\n", 0, "378=05" },
		{ "  0x378\t0x05  # relays\r\n0x278 0xa\r\n", 0, "278=0a 378=05" },
		{ "# bench PC\n\n378 5\n0xE800 0xFF #card", 0, "378=05 e800=ff" },
		{ "", SIM_EMPTY, "" },
		{ "# nothing\n\n", SIM_NO_REGISTER, "" },
		{ "0x378 0x05\nhello\n", 2, "" },
		{ "0x378 0x05 0x06\n", 1, "" },
		{ "0x378 0x100\n", 1, "" },
		{ "0x10000 0x00\n", 1, "" },
		{ "0x378\n", 1, "" },
		{ "0x3780x05\n", 1, "" },
		{ "0x378 0x05\n0x378 0x06\n", 2, "" },
	};
	for (auto &c : cases) {
		SCOPED_TRACE(c.text);
		EXPECT_EQ(simstate_read(c.text.data(), static_cast<int>(c.text.size()), &regs), c.result);
		if (c.result != 0)
			continue;
		std::string got;
		for (int i = 0; i < regs.n; i++) {
			char r[16];
			snprintf(r, sizeof r, "%s%x=%02x", i ? " " : "", regs.port[i], regs.value[i]);
			got += r;
			EXPECT_EQ(regs.listed[i], 1);
		}
		EXPECT_EQ(got, c.registers);
	}
	std::string full;
	for (int port = 0x1000; port < 0x1000 + SIM_MAXREGS + 1; port++)
		full += "0x" + std::to_string(port) + " 0x00\n";
	EXPECT_EQ(simstate_read(full.data(), static_cast<int>(full.size()), &regs), SIM_TOO_MANY);
}

TEST(SimState, Compose)
{
	const struct {
		const char *what;
		std::string text;
		int port, value;	// set before composing
		std::string composed;
	} cases[] = {
		{ "a value changed in place", "# PC\n  0x378\t0x05  # relays\n", 0x378, 0x07,
		  "# PC\n  0x378\t0x07  # relays\n" },
		{ "unchanged, a last line ended", "0x378 0x5\n# end", 0x378, 0x05, "0x378 0x5\n# end\n" },
		{ "a new register in order", "0x278 0x00\n# between\n0x3bc 0x00\n", 0x378, 0x01,
		  "0x278 0x00\n# between\n0x378 0x01\n0x3bc 0x00\n" },
		{ "a new register last", "0x378 0x00\n", 0xe800, 0xff, "0x378 0x00\n0xe800 0xff\n" },
		{ "a new register in a CRLF file", "0x278 0x00\r\n0x3bc 0x00\r\n", 0x378, 0x01,
		  "0x278 0x00\r\n0x378 0x01\r\n0x3bc 0x00\r\n" },
	};
	for (auto &c : cases) {
		SCOPED_TRACE(c.what);
		ASSERT_EQ(simstate_read(c.text.data(), static_cast<int>(c.text.size()), &regs), 0);
		simstate_set(&regs, c.port, c.value);
		char out[256];
		int n = simstate_compose(c.text.data(), static_cast<int>(c.text.size()), &regs, out, sizeof out);
		ASSERT_GE(n, 0);
		EXPECT_EQ(std::string(out, n), c.composed);
		EXPECT_EQ(simstate_compose(c.text.data(), static_cast<int>(c.text.size()), &regs, out,
					   static_cast<int>(c.composed.size()) - 1),
			  -1)
			<< "one byte short";
	}
}

}  // namespace
