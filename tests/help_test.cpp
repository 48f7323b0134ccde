// SPDX-License-Identifier: GPL-2.0-or-later
// The two help screens, byte for byte, however they are reached.
#include <gtest/gtest.h>

#include "runner.h"

namespace {

std::vector<std::string> lines(const std::string &text)
{
	std::vector<std::string> v;
	for (size_t at = 0, nl; (nl = text.find('\n', at)) != std::string::npos; at = nl + 1)
		v.push_back(text.substr(at, nl - at));
	return v;
}

TEST(Help, GoldenTexts)
{
	auto u = lines(golden("usage.golden")), e = lines(golden("exthelp.golden"));
	ASSERT_EQ(u.size(), 27u);
	ASSERT_EQ(e.size(), 32u);
	// The banner and the credit line are shared by the two screens.
	EXPECT_EQ(u[2], e[2]);
	EXPECT_EQ(u[25], e[30]);
	EXPECT_NE(u[25], "");
}

// The real program may be run without arguments: it then touches no port.
TEST(Help, RealProgramWithoutArguments)
{
	Result r = run_sim({}, "", nullptr, RELAYSWITCH);
	EXPECT_EQ(r.out, golden("usage.golden"));
	EXPECT_EQ(r.err, "");
	EXPECT_EQ(r.status, 1);
}

}  // namespace
