// SPDX-License-Identifier: GPL-2.0-or-later
// Port access called directly, over the simulated ports. Each call ends its
// process or may, so each runs in a child of its own.
#include <gtest/gtest.h>

#include "pinlatch.h"
#include "runner.h"

namespace {

using ::testing::ExitedWithCode;

struct Ports {
	Scratch s;
	Ports(const char *regs, const char *grants = nullptr)
	{
		set_registers(s, regs);
		point_sim_at(s, grants, "");
	}
	std::string access_trace() const { return ::access_trace(read_file(s.path("log"))); }
};

TEST(PortAccess, Writes)
{
	const struct {
		int d[8];
		int all;	// -1: call pinlatch with d, else pinlatch_all with this value
		const char *trace;
	} cases[] = {
		{ {}, 0x1FF, "w378=ff" },
		{ {}, 0x100, "w378=00" },
		{ {}, -1, "w378=00" },
		{ { 1, 0, 0, 0, 0, 0, 0, 1 }, -1, "w378=81" },
		{ { 1, 1, 1, 1, 1, 1, 1, 1 }, -1, "w378=ff" },
		{ { 0, 1, 0, 1, 0, 1, 0, 1 }, -1, "w378=aa" },
		{ { 2, 0, 0, 0, 0, 0, 0, 0 }, -1, "w378=01" },	// non-zero is on, not a sum
		{ { -1, 0, 0, 0, 0, 0, 0, 0 }, -1, "w378=01" },
		{ { 0, 0, 0, 0, 0, 0, 0, 256 }, -1, "w378=80" },
	};
	for (auto &c : cases) {
		Ports p("378=5a");
		const int *d = c.d;
		if (c.all >= 0)
			EXPECT_EXIT(pinlatch_all(c.all, 0x378), ExitedWithCode(0), "^$");
		else
			EXPECT_EXIT(pinlatch(d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7], 0x378),
				    ExitedWithCode(0), "^$");
		EXPECT_EQ(p.access_trace(), c.trace);
		EXPECT_NE(read_file(p.s.path("state")).find(std::string("0x378 0x") + (c.trace + 5)),
			  std::string::npos);
	}
}

[[noreturn]] void show_input(int port)
{
	fprintf(stderr, "[%d]", port_input(port));
	exit(0);
}

TEST(PortAccess, Input)
{
	const struct {
		int port;
		const char *grants, *err;
		int status;
		const char *trace;
	} cases[] = {
		{ 0x378, nullptr, "^\\[165\\]$", 0, "r378" },
		{ 0x379, nullptr, "^\\[127\\]$", 0, "r379" },
		{ 0x278, nullptr, "^\\[0\\]$", 0, "r278" },
		{ 0x300, nullptr, "^\\[255\\]$", 0, "r300" },
		{ 0xFFFD, nullptr, "^\\[255\\]$", 0, "rfffd" },
		{ 0xFFFE, nullptr, "^ioperm: Invalid argument\n$", 1, "!fffe" },
		{ -1, nullptr, "^ioperm: Invalid argument\n$", 1, "!ffffffff" },
		{ 0x378, "0", "^ioperm: Operation not permitted\n$", 1, "!378" },
	};
	for (auto &c : cases) {
		Ports p("378=a5", c.grants);
		EXPECT_EXIT(show_input(c.port), ExitedWithCode(c.status), c.err);
		EXPECT_EQ(p.access_trace(), c.trace);
	}
}

TEST(PortAccess, RefusedWriteWritesNothing)
{
	for (const char *grants : std::initializer_list<const char *>{ "0", nullptr }) {
		Ports p("378=5a", grants);
		int port = grants ? 0x378 : 0xFFFF;
		EXPECT_EXIT(pinlatch(1, 1, 1, 1, 1, 1, 1, 1, port), ExitedWithCode(1), "^ioperm: ");
		EXPECT_EXIT(pinlatch_all(0, port), ExitedWithCode(1), "^ioperm: ");
		EXPECT_EQ(read_file(p.s.path("state")), "0x378 0x5a\n");
	}
}

}  // namespace
