// SPDX-License-Identifier: GPL-2.0-or-later
// relayswitch-shell: the forced command of an SSH key that switches relays and
// nothing else, in authorized_keys as
//   restrict,command="/usr/bin/relayswitch-shell 378 278" ssh-ed25519 AAAA...
//
// sshd hands the client's command over in SSH_ORIGINAL_COMMAND, as one text.
// No shell ever reads it: it is split at single spaces into words of a few
// plain characters, and it must be "relayswitch" with its options, or "cat"
// alone (labgrid keeps its connection alive with it). The relayswitch beside
// this program -- found from /proc/self/exe, never from PATH -- then runs in
// its place with "-p" and the key's first port before the client's words, so
// its output and exit status are the client's; each -p among those words must
// name one of the key's ports. Anything else is refused with one line on
// standard error and status 1, and nothing runs.
#include <errno.h>
#include <getopt.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "relayargs.h"

// No relayswitch command line comes near these: what does is no command of it.
enum { MAX_COMMAND = 1024, MAX_WORD = 64 };

[[noreturn]] static void refuse(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Says why on standard error, as one line in one write, and ends with status 1.
static void refuse(const char *format, ...)
{
	char line[512] = "relayswitch-shell: ";
	size_t n = strlen(line);
	va_list ap;
	va_start(ap, format);
	vsnprintf(line + n, sizeof line - n - 1, format, ap);
	va_end(ap);
	n = strlen(line);
	line[n++] = '\n';
	if (write(2, line, n) < 0) {
		// the status still says it
	}
	exit(1);
}

// The characters a word may hold: none that a shell, a glob or a terminal
// would make anything of.
static bool plain(char c)
{
	return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
	       (c != '\0' && strchr("-_.,:=+@%/", c));
}

// Whether text names one of the key's ports (ports[0] .. ports[n - 1]) as an
// address: 0x378, 378h and 00000378 are 378.
static bool keys_port(const char *text, char *const *ports, int n)
{
	int base = axtoi(text);
	for (int i = 0; i < n; i++)
		if (axtoi(ports[i]) == base)
			return true;
	return false;
}

int main(int argc, char *argv[])
{
	// The key's own ports: a bad one is the administrator's mistake, and no
	// run goes through until it is mended.
	char *const *ports = argv + 1;
	int nports = argc - 1;
	if (nports < 1)
		refuse("no port in this key's command (authorized_keys): every run is refused");
	for (int i = 0; i < nports; i++)
		if (!port_ok(axtoi(ports[i])))
			refuse("bad port '%s' in this key's command (authorized_keys): every run is refused",
			       ports[i]);

	const char *command = getenv("SSH_ORIGINAL_COMMAND");
	if (!command || !*command)
		refuse("no command: this key runs relayswitch only (ssh HOST relayswitch -o)");
	size_t length = strlen(command);
	if (length > MAX_COMMAND)
		refuse("refused: the command is longer than %d bytes", MAX_COMMAND);
	for (size_t i = 0; i < length; i++) {
		unsigned char c = command[i];
		if (plain(c) || c == ' ')
			continue;
		if (c > ' ' && c < 0x7f)
			refuse("refused: the character '%c' is not allowed", c);
		refuse("refused: the byte 0x%02x is not allowed", c);
	}
	if (strcmp(command, "cat") == 0) {
		execl("/bin/cat", "cat", static_cast<char *>(nullptr));
		refuse("cannot run /bin/cat: %s", strerror(errno));
	}

	// The run's argument vector: relayswitch -p PORT, then the client's words
	// after "relayswitch" (none: relayswitch alone, its usage text).
	static char words[MAX_COMMAND + 1];
	static char *run[3 + MAX_COMMAND / 2 + 2];
	memcpy(words, command, length + 1);
	char p_option[] = "-p";
	run[0] = words;
	run[1] = p_option;
	run[2] = ports[0];
	int n = 3;
	for (char *w = words;;) {
		char *end = strchr(w, ' ');
		if (end)
			*end = '\0';
		if (!*w)
			refuse("refused: words are one space apart, with none before or after them");
		if (strlen(w) > MAX_WORD)
			refuse("refused: a word is longer than %d bytes", MAX_WORD);
		if (w != words)
			run[n++] = w;
		if (!end)
			break;
		w = end + 1;
	}
	if (strcmp(run[0], "relayswitch") != 0)
		refuse("refused: '%s': this key runs relayswitch only", run[0]);
	if (n == 3)
		n = 1;
	run[n] = nullptr;

	// Each -p as relayswitch's own parser finds it, apart, attached (-p0x278)
	// or grouped (-op278), on a copy (getopt moves the words about). It reads
	// the words as relayswitch will, and looks on past anything relayswitch
	// would stop at.
	static char *scan[sizeof run / sizeof *run];
	memcpy(scan, run, sizeof run);
	opterr = 0;
	for (int c; (c = getopt_long(n, scan, relay_options, nullptr, nullptr)) != -1;)
		if (c == 'p' && !keys_port(optarg, ports, nports)) {
			char list[256] = "";
			for (int i = 0; i < nports; i++)
				snprintf(list + strlen(list), sizeof list - strlen(list), "%s%s", i ? " " : "", ports[i]);
			refuse("refused: port %s is not one of this key's (%s)", optarg, list);
		}

	// The relayswitch in this program's directory.
	static char path[PATH_MAX + sizeof "/relayswitch"];
	ssize_t got = readlink("/proc/self/exe", path, PATH_MAX);
	char *slash = got > 0 && got < PATH_MAX ? static_cast<char *>(memrchr(path, '/', got)) : nullptr;
	if (!slash)
		refuse("cannot find its own directory: /proc/self/exe: %s", got < 0 ? strerror(errno) : "too long");
	strcpy(slash, "/relayswitch");
	execv(path, run);
	refuse("cannot run %s: %s", path, strerror(errno));
}
