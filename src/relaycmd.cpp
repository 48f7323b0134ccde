// SPDX-License-Identifier: GPL-2.0-or-later
// relayswitch: switch the eight data lines of a PC parallel port.
//
// A run reads the data register, applies the options strictly from left to
// right to that byte, and hands it to pinlatch_all, which writes it once and
// ends the process. Help screens, usage errors and output that can't be
// written end the run with status 1.
#include <errno.h>
#include <fcntl.h>
#include <getopt.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "pinlatch.h"
#include "relayargs.h"

// The help texts below are the program's own, misspellings ("Paralle",
// "Userage", "Contral", "on of off", "Acknoledge"), tabs and trailing space
// included: scripts and users know them so, and tests/usage.golden and
// tests/exthelp.golden hold them byte for byte. Keep them exactly.
static const char banner[] = "Paralle Port Control Program version 0.4";
static const char credit[] = "Last modified December 2026 for relayswitch";

// Descriptors 0, 1 and 2 stay taken, by /dev/null where one is closed: else the
// first file the run opens -- a port's device, a lock, the simulator's state --
// would become standard output or error, and what the run prints would go out
// of the port or into the file. Without a /dev/null to put there, the run ends
// at once with status 1.
static void keep_streams()
{
	for (int fd = 0; fd < 3; fd++)
		if (fcntl(fd, F_GETFD) < 0 && open("/dev/null", O_RDWR) != fd)
			_exit(1);
}

// A line that can't be written (full disk, closed pipe) fails the run before
// anything is written to the port: status 0 means all the output went out.
[[noreturn]] static void write_error()
{
	port_fail("write error: %s\n", strerror(errno));
}

// Prints one line and flushes it, so each line leaves as soon as it is done.
static void say(const char *line)
{
	if (puts(line) == EOF || fflush(stdout) == EOF)
		write_error();
}

static void sayall(const char *const *lines, size_t n)
{
	for (size_t i = 0; i < n; i++)
		say(lines[i]);
}

[[noreturn]] static void userage()
{
	static const char *const text[] = {
		"",
		"",
		banner,
		"This Program Can Control Paralle Port Data Line From Pin 1 to pin 8. ",
		"It Set Data Pin On (+5v) or Off",
		"Use This Program to Contral The PARALLE PORT RELAY CONTROLLER.",
		"Or You Can Just Use Tt For Fun!",
		"",
		"",
		"Userage: paralle -pin on/off -p port",
		"",
		"        -h --help\t\t  this help file",
		"        -e\t\t\t  extended help (pinout etc)",
		"        -p port \t\t  the default port is 0x378",
		"        -a all on/off\t\t  turn all Data Pin on or off",
		"        -1 on/off\t\t  turn Data 1 on or off",
		"        -2 on/off\t\t  turn Data 2 on or off",
		"        -3 on/off\t\t  turn Data 3 on of off",
		"        -4 on/off\t\t  turn Data 4 on or off",
		"        -5 on/off\t\t  turn Data 5 on or off",
		"        -6 on/off\t\t  turn Data 6 on or off",
		"        -7 on/off\t\t  turn Data 7 on or off",
		"        -8 on/off\t\t  turn Data 8 on or off",
		"        -o      \t\t  output all Pins",
		"",
		credit,
		"",
	};
	sayall(text, sizeof text / sizeof *text);
	exit(1);
}

[[noreturn]] static void exthelp()
{
	static const char *const text[] = {
		"",
		"",
		banner,
		"",
		"EXTENDED HELP for relayswitch (about status etc)",
		"",
		"",
		" (EXAMPLE OUTPUT) :",
		"",
		"11001001 11111110",
		"|||||||| |||||||\\- Busy       (Pin 11) (inverted !)",
		"|||||||| ||||||\\-- Acknoledge (Pin 10)",
		"|||||||| |||||\\--- Paper Out  (Pin 12)",
		"|||||||| ||||\\---- Select     (Pin 13)",
		"|||||||| |||\\----- Error      (Pin 15)",
		"|||||||| ||\\------ unused",
		"|||||||| |\\------- unused",
		"|||||||| \\-------- unused",
		"||||||||",
		"|||||||\\---------- Data 8  (Pin 9)",
		"||||||\\----------- Data 7  (Pin 8)",
		"|||||\\------------ Data 6  (Pin 7)",
		"||||\\------------- Data 5  (Pin 6)",
		"|||\\-------------- Data 4  (Pin 5)",
		"||\\--------------- Data 3  (Pin 4)",
		"|\\---------------- Data 2  (Pin 3)",
		"\\----------------- Data 1  (Pin 2)",
		"",
		"",
		"0 = off (0V) 1=on (5V)",
		credit,
		"",
	};
	sayall(text, sizeof text / sizeof *text);
	exit(1);
}

// The data lines as they are about to be written, then the live status register,
// each lowest bit first.
static void status_line(int data, int base)
{
	for (int m = 1; m < 0x100; m <<= 1)
		putchar(data & m ? '1' : '0');
	putchar(' ');
	for (int m = 1; m < 0x100; m <<= 1)
		putchar(port_input(base + 1) & m ? '1' : '0');
	say("");
}

// A word the run can't take: said on standard error, then the usage text.
[[noreturn]] static void refuse(const char *what, const char *word)
{
	if (fprintf(stderr, "%s: %s '%s'\n", port_program, what, word) < 0) {
		// the usage text and the status still say it
	}
	userage();
}

// "on" is 1, "off" is 0; any other word is a usage error.
static int pinword(const char *word)
{
	if (strcmp(word, "on") == 0)
		return 1;
	if (strcmp(word, "off") == 0)
		return 0;
	userage();
}

int main(int argc, char *argv[])
{
	keep_streams();
	port_hold_xfsz();
	if (argc < 2)
		userage();

	int base = 0x378;
	int data = port_input(base);

	// GNU getopt: options and other words in any order, an argument attached
	// or in the next word, "--" ends the options. getopt_long without long
	// options is that parser wherever it comes from (the C library's own is
	// POSIX's where GNU's is not the C library).
	int c;
	while ((c = getopt_long(argc, argv, relay_options, nullptr, nullptr)) != -1) {
		if (c >= '1' && c <= '8') {
			int bit = 1 << (c - '1');
			data = pinword(optarg) ? data | bit : data & ~bit;
			continue;
		}
		switch (c) {
		case 'a':
			data = pinword(optarg) ? 0xFF : 0x00;
			break;
		case 'p':
			base = axtoi(optarg);
			if (!port_ok(base))
				refuse("bad port address", optarg);
			data = port_input(base);
			break;
		case 'o':
			status_line(data, base);
			break;
		case 'e':
			exthelp();
		default:	// -h, -I, an unknown letter or a missing argument
			userage();
		}
	}
	// A word that is no option (a forgotten dash: "3 on") would switch
	// nothing, and status 0 would say it had.
	if (optind < argc)
		refuse("unexpected word", argv[optind]);
	pinlatch_all(data, base);
}
