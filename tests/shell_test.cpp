// SPDX-License-Identifier: GPL-2.0-or-later
// relayswitch-shell as sshd starts it for a key's forced command: a copy with
// the simulator beside it as its relayswitch, the client's command in
// SSH_ORIGINAL_COMMAND (nullptr: none). A refused command runs nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include "runner.h"

namespace {

// out "@usage" is the usage text; err is said after "relayswitch-shell: ".
void check(const char *command, const std::vector<std::string> &ports, const std::string &out,
	   const std::string &err, int status, const char *trace)
{
	SCOPED_TRACE(command ? quoted({ command }) : "no command");
	Scratch s;
	const char *wrap = getenv("RELAYSWITCH_TEST_WRAP");
	std::ofstream(s.path("relayswitch-shell"), std::ios::binary) << read_file(RELAYSWITCH_SHELL);
	std::ofstream(s.path("relayswitch")) << "#!/bin/sh\nexec " << (wrap ? wrap : "") << " " RELAYSWITCH_SIM " \"$@\"\n";
	for (const char *f : { "relayswitch-shell", "relayswitch" })
		chmod(s.path(f).c_str(), 0755);
	command ? setenv("SSH_ORIGINAL_COMMAND", command, 1) : unsetenv("SSH_ORIGINAL_COMMAND");
	Result r = run_in(s, ports, nullptr, s.path("relayswitch-shell").c_str());
	unsetenv("SSH_ORIGINAL_COMMAND");
	EXPECT_EQ(r.out, out == "@usage" ? golden("usage.golden") : out);
	EXPECT_EQ(r.err, err.empty() ? "" : "relayswitch-shell: " + err + "\n");
	EXPECT_EQ(r.status, status);
	EXPECT_EQ(r.trace, trace);
}

TEST(Shell, ForcedCommand)
{
	if (access("/proc/self/exe", F_OK) != 0)	// a build chroot without /proc
		GTEST_SKIP() << "no /proc/self/exe, where relayswitch-shell finds its relayswitch";
	const std::vector<std::string> two = { "378", "278" };
	const std::string o8 = "00000000 11111110\n", zeros(61, '0'), only = "': this key runs relayswitch only",
			  not_keys = " is not one of this key's (378 278)", key = " in this key's command (authorized_keys)";
	// relayswitch on the key's first port, or on another of its ports that -p names, in any form.
	check("relayswitch -1 on", { "278", "378" }, "", "", 0, "r378 r278 w278=01");
	check("relayswitch -p0x278 -op278 -p 00000278h -o", two, o8 + o8, "", 0, "r378*2 r278 r279*8 r278*2 r279*8 w278=00");
	check(("relayswitch -p " + zeros + "278").c_str(), two, "", "", 0, "r378*2 r278 w278=00");
	// Alone, relayswitch is its usage text; cat alone is labgrid's keep-alive.
	check("relayswitch", two, "@usage", "", 1, "");
	check("cat", two, "", "", 0, "");
	// Anything else runs nothing.
	check(nullptr, two, "", "no command: this key runs relayswitch only (ssh HOST relayswitch -o)", 1, "");
	check("relayswitch -p 3bc -o", two, "", "refused: port 3bc" + not_keys, 1, "");
	check("relayswitch -p0x3bc", two, "", "refused: port 0x3bc" + not_keys, 1, "");
	check("relayswitch -p 9ABC", two, "", "refused: port 9ABC" + not_keys, 1, "");
	check("relayswitch -o -p 278 -1 on -op3780", two, "", "refused: port 3780" + not_keys, 1, "");
	check("/usr/bin/relayswitch -o", two, "", "refused: '/usr/bin/relayswitch" + only, 1, "");
	check("cat /etc/shadow", two, "", "refused: 'cat" + only, 1, "");
	check("relayswitch  -o", two, "", "refused: words are one space apart, with none before or after them", 1, "");
	check("relayswitch -o\nid", two, "", "refused: the byte 0x0a is not allowed", 1, "");
	check("relayswitch -o\x7f", two, "", "refused: the byte 0x7f is not allowed", 1, "");
	for (char c : std::string(";|&$`<>*?(){}[]!~#'\"\\"))
		check(("relayswitch -o" + std::string(1, c)).c_str(), two, "",
		      "refused: the character '" + std::string(1, c) + "' is not allowed", 1, "");
	check(("relayswitch -p " + zeros + "0278").c_str(), two, "", "refused: a word is longer than 64 bytes", 1, "");
	std::string longest = "relayswitch";	// + " -1on": 1024 bytes, the most a command may have
	for (int i = 0; i < 168; i++)
		longest += " -1 on";
	check((longest + " -1on").c_str(), two, "", "", 0, "r378*2 w378=01");
	check(("relayswitch -" + std::string(1025, 'o')).c_str(), two, "", "refused: the command is longer than 1024 bytes", 1, "");
	// The forced command's own ports wrong: every run refused.
	check("relayswitch -o", {}, "", "no port" + key + ": every run is refused", 1, "");
	check("relayswitch -o", { "378", "ff" }, "", "bad port 'ff'" + key + ": every run is refused", 1, "");
}

}  // namespace
