// SPDX-License-Identifier: GPL-2.0-or-later
// relayswitch-shell as sshd starts it, as a key's forced command: a copy in a
// scratch directory with the simulator beside it as its relayswitch, the
// client's command in SSH_ORIGINAL_COMMAND. A refused command runs nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "runner.h"

namespace {

#define REFUSED(why) "relayswitch-shell: refused: " why "\n"
#define ONLY(word) REFUSED("'" word "': this key runs relayswitch only")
#define NOT_KEYS(port) REFUSED("port " port " is not one of this key's (378 278)")
#define KEY(why) "relayswitch-shell: " why " in this key's command (authorized_keys): every run is refused\n"
const char *const NONE = "relayswitch-shell: no command: this key runs relayswitch only (ssh HOST relayswitch -o)\n";
const char *const SPACES = REFUSED("words are one space apart, with none before or after them");

// command: nullptr for none (a login); ports: the forced command's; out: "@usage" the usage text.
void check(const char *command, std::vector<std::string> ports, const char *out, const char *err, int status,
	   const char *trace)
{
	SCOPED_TRACE(command ? quoted({ command }) : "no command");
	Scratch s;
	std::string shell = s.path("relayswitch-shell");
	std::ofstream(shell, std::ios::binary) << read_file(RELAYSWITCH_SHELL);
	const char *wrap = getenv("RELAYSWITCH_TEST_WRAP");
	std::ofstream(s.path("relayswitch")) << "#!/bin/sh\nexec " << (wrap ? wrap : "") << " " RELAYSWITCH_SIM " \"$@\"\n";
	chmod(shell.c_str(), 0755);
	chmod(s.path("relayswitch").c_str(), 0755);
	command ? setenv("SSH_ORIGINAL_COMMAND", command, 1) : unsetenv("SSH_ORIGINAL_COMMAND");
	Result r = run_in(s, ports, nullptr, shell.c_str());
	unsetenv("SSH_ORIGINAL_COMMAND");
	EXPECT_EQ(r.out, std::string(out) == "@usage" ? golden("usage.golden") : out);
	EXPECT_EQ(r.err, err);
	EXPECT_EQ(r.status, status);
	EXPECT_EQ(r.trace, trace);
}

TEST(Shell, ForcedCommand)
{
	const std::vector<std::string> two = { "378", "278" };
	const std::string o8 = "00000000 11111110\n", zeros(61, '0'), long_line(1025, 'o');
	// relayswitch on the key's first port, or on another of its ports where -p
	// names it, in any form relayswitch reads.
	check("relayswitch -1 on", two, "", "", 0, "r378*2 w378=01");
	check("relayswitch -1 on", { "278", "378" }, "", "", 0, "r378 r278 w278=01");
	check("relayswitch -p0x278 -op278 -p 00000278h -o", two, (o8 + o8).c_str(), "", 0,
	      "r378*2 r278 r279*8 r278*2 r279*8 w278=00");
	check(("relayswitch -p " + zeros + "278").c_str(), two, "", "", 0, "r378*2 r278 w278=00");
	// Alone, relayswitch is its usage text; cat alone is labgrid's keep-alive.
	check("relayswitch", two, "@usage", "", 1, "");
	check("cat", two, "", "", 0, "");
	// Anything else: nothing runs.
	check(nullptr, two, "", NONE, 1, "");
	check("", two, "", NONE, 1, "");
	check("relayswitch -p 3bc -o", two, "", NOT_KEYS("3bc"), 1, "");
	check("relayswitch -p0x3bc", two, "", NOT_KEYS("0x3bc"), 1, "");
	check("relayswitch -o -p 278 -1 on -op3780", two, "", NOT_KEYS("3780"), 1, "");
	check("relayswitch -- -p 3bc", two, "@usage", "relayswitch-sim: unexpected word '-p'\n", 1, "r378*2");
	check("/usr/bin/relayswitch -o", two, "", ONLY("/usr/bin/relayswitch"), 1, "");
	check("cat /etc/shadow", two, "", ONLY("cat"), 1, "");
	check("relayswitch  -o", two, "", SPACES, 1, "");
	check("relayswitch -o ", two, "", SPACES, 1, "");
	check("relayswitch -o\nid", two, "", REFUSED("the byte 0x0a is not allowed"), 1, "");
	check("relayswitch -o \xc3\xa9", two, "", REFUSED("the byte 0xc3 is not allowed"), 1, "");
	for (char c : std::string(";|&$`<>*?(){}[]!~#'\"\\"))
		check(("relayswitch -o" + std::string(1, c)).c_str(), two, "",
		      ("relayswitch-shell: refused: the character '" + std::string(1, c) + "' is not allowed\n").c_str(), 1, "");
	check(("relayswitch -p " + zeros + "0278").c_str(), two, "", REFUSED("a word is longer than 64 bytes"), 1, "");
	check(("relayswitch -" + long_line).c_str(), two, "", REFUSED("the command is longer than 1024 bytes"), 1, "");
	// The forced command's own ports wrong: every run refused.
	check("relayswitch -o", {}, "", KEY("no port"), 1, "");
	check("relayswitch -o", { "378", "ff" }, "", KEY("bad port 'ff'"), 1, "");
}

}  // namespace
