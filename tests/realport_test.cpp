// SPDX-License-Identifier: GPL-2.0-or-later
// The real backend's decisions, in seconds: port access (pinlatch.cpp), the
// real backend (portio_real.cpp) and the waits (portwait.cpp) against the test
// double of the two routes (route_double.h). Each case is a machine, the
// accesses a run makes (as relayswitch makes them: "r378" port_input(0x378),
// "w378=05" pinlatch_all(0x05, 0x378)) and what it must come to: every route
// call in order, the message and the exit status. The emulated PC
// (tests/qemu) proves the same on a real kernel.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include <vector>

#include "pinlatch.h"
#include "relaycmd_main.h"
#include "route_double.h"
#include "runner.h"

namespace {

// A PC with two parallel ports, numbered by the driver not in the ports' order,
// and nothing at 0x3bc.
Machine pc(int ioperm_errno, int open_errno = 0)
{
	Machine m = {};
	m.ioperm_errno = ioperm_errno;
	m.rootlock_errno = ioperm_errno ? ENOLCK : 0;
	m.ports[0] = { 1, 0x378, open_errno, FREE, FREE, "", 0x00, 0x78, 0 };
	m.ports[1] = { 0, 0x278, open_errno, FREE, FREE, "", 0x00, 0x78, 0 };
	m.nports = 2;
	return m;
}

Machine root() { return pc(0); }
Machine locked_down() { return pc(EPERM); }	// root under lockdown, or a member of lp
Machine nobody() { return pc(EPERM, EACCES); }	// outside lp

// The port at 0x378 (parport1) held by another run's lock, another program's
// claim, or both.
Machine held(Machine m, Hold lock, Hold claim = FREE)
{
	m.ports[0].lock = lock;
	m.ports[0].claim = claim;
	m.ports[0].holder = "holdclaim";
	return m;
}

Machine root_byte_held(Hold h)
{
	Machine m = root();
	m.rootlock_at = 0x3bc;
	m.rootlock = h;
	return m;
}

// Root's lock file as raw_lock finds it: none can be had, or another's is there.
Machine root_lockfile(int err)
{
	Machine m = root();
	m.rootlock_errno = err;
	return m;
}

struct Outcome {
	std::string log, err;
	int status;
};

// A whole command line, "relayswitch -1 on", run by the command itself (its
// standard output, help texts and all, goes nowhere: the command's own tests
// check it).
[[noreturn]] void command(const char *line)
{
	std::vector<std::string> words;
	for (const char *p = line; *p;) {
		const char *end = strchrnul(p, ' ');
		words.emplace_back(p, end);
		p = *end ? end + 1 : end;
	}
	std::vector<char *> argv;
	for (auto &w : words)
		argv.push_back(w.data());
	argv.push_back(nullptr);
	int null = open("/dev/null", O_WRONLY);
	dup2(null, 1);
	exit(relaycmd_main(static_cast<int>(words.size()), argv.data()));
}

// Runs the accesses in a child, as a run of relayswitch: each ends it or may.
Outcome run_on(const Machine &m, const char *steps)
{
	Scratch s;
	int logfd = open(s.path("log").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
	int errfd = open(s.path("err").c_str(), O_WRONLY | O_CREAT, 0600);
	pid_t pid = fork();
	if (pid == 0) {
		dup2(errfd, 2);
		machine_use(m, logfd);
		if (strncmp(steps, "relayswitch", 11) == 0)
			command(steps);
		for (const char *p = steps; *p;) {
			char op;
			int port, value, len;
			if (sscanf(p, " r%x%n", &port, &len) == 1) {
				dprintf(logfd, "read 0x%x: 0x%02x\n", port, port_input(port));
			} else if (sscanf(p, " w%x=%x%n", &port, &value, &len) == 2) {
				pinlatch_all(value, port);
			} else if (sscanf(p, " %c", &op) == 1) {
				_exit(98);	// a step the table got wrong
			} else {
				break;
			}
			p += len;
		}
		exit(0);
	}
	int status = 0;
	waitpid(pid, &status, 0);
	close(logfd);
	close(errfd);
	return { read_file(s.path("log")), read_file(s.path("err")),
		 WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status) };
}

struct Case {
	const char *what;
	Machine m;
	const char *steps;
	const char *log;
	const char *err;
	int status;
};

void check(std::initializer_list<Case> cases)
{
	for (const Case &c : cases) {
		SCOPED_TRACE(c.what);
		Outcome o = run_on(c.m, c.steps);
		EXPECT_EQ(o.log, c.log);
		EXPECT_EQ(o.err, c.err);
		EXPECT_EQ(o.status, c.status);
	}
}

const char refused[] = "ioperm: Operation not permitted\n";

// What the log says again and again: raw I/O asked for at a port, refused or
// granted; the driver route taking parportN (opened, locked, claimed); and the
// busy messages of 0x378.
#define REFUSED_AT(port) "ioperm 0x" port "+3: Operation not permitted\n"
#define GRANTED_AT(port) "ioperm 0x" port "+3: granted\n"
#define TAKES(n) "open parport" n "\nlock parport" n "\nclaim parport" n "\n"
#define LOCKED_378 "relayswitch: port 0x378 (/dev/parport1) is busy: locked by another run\n"
#define CLAIMED_378 "relayswitch: port 0x378 (/dev/parport1) is busy: claimed by holdclaim\n"
// And after a refusal by the driver route, why.
#define EPERM_AND(why) "ioperm: Operation not permitted\nrelayswitch: " why "\n"
#define SERVED "served: 0x278 0x378\n"
#define UNSERVED_3BC "no parallel-port driver serves 0x3bc (it serves 0x278 0x378)"
#define NO_DEVICES "no /dev/parport* devices: load parport_pc and ppdev"
// root's run reading 0x378 first, by raw I/O, under the device's lock.
#define ROOT_READS_378 GRANTED_AT("378") "open parport1\nlock parport1\nholder of parport1: none\n" \
	"raw in 0x378 = 0x00\n"

}  // namespace

TEST(RealPort, RouteChoice)
{
	check({
		{ "root, raw I/O granted: raw, the device's lock, its holder looked at", root(),
		  "r378 w378=05",
		  GRANTED_AT("378")
		  "open parport1\n"
		  "lock parport1\n"
		  "holder of parport1: none\n"
		  "raw in 0x378 = 0x00\n"
		  "read 0x378: 0x00\n"
		  GRANTED_AT("378")
		  "holder of parport1: none\n"
		  "raw out 0x378 0x05\n",
		  "", 0 },
		{ "refused raw I/O, the device opens: the driver, locked then claimed", locked_down(),
		  "r378 w378=05",
		  REFUSED_AT("378")
		  TAKES("1")
		  "in parport1 0 = 0x00\n"
		  "read 0x378: 0x00\n"
		  REFUSED_AT("378")
		  "out parport1 0x05\n",
		  "", 0 },
		{ "no I/O-port support in the kernel: the driver", pc(ENOSYS), "r278",
		  "ioperm 0x278+3: Function not implemented\n"
		  TAKES("0")
		  "in parport0 0 = 0x00\n"
		  "read 0x278: 0x00\n",
		  "", 0 },
		{ "no driver at the port, another device opens: reads 0xff", locked_down(), "r3bc r3bd",
		  REFUSED_AT("3bc")
		  "read 0x3bc: 0xff\n"
		  REFUSED_AT("3bd")
		  "read 0x3bd: 0xff\n",
		  "", 0 },
		{ "outside lp: refused, the device's word said", nobody(), "r378",
		  REFUSED_AT("378")
		  "open parport1: Permission denied\n",
		  EPERM_AND("/dev/parport1: Permission denied"), 1 },
		{ "outside lp, no driver at the port: refused, the ports served said", nobody(), "r3bc",
		  REFUSED_AT("3bc")
		  SERVED,
		  EPERM_AND(UNSERVED_3BC), 1 },
		{ "no ppdev, so no devices: refused, said so", pc(EPERM, ENOENT), "r378",
		  REFUSED_AT("378")
		  "open parport1: No such file or directory\n"
		  "served:\n",
		  EPERM_AND(NO_DEVICES), 1 },
		{ "no parallel port registered: refused, said so", [] {
			  Machine m = locked_down();
			  m.nports = 0;
			  return m;
		  }(),
		  "r378",
		  REFUSED_AT("378")
		  "served:\n",
		  EPERM_AND(NO_DEVICES), 1 },
		{ "past the port space: refused, the driver never asked", locked_down(), "rfffe",
		  REFUSED_AT("fffe"), refused, 1 },
		{ "a range ioperm calls invalid: refused", pc(EINVAL), "r378",
		  "ioperm 0x378+3: Invalid argument\n", "ioperm: Invalid argument\n", 1 },
	});
}

TEST(RealPort, LocksAndTheirOrder)
{
	check({
		{ "the status read keeps the base's lock to the write (root's bytes)", root(),
		  "r3bc r3bd w3bc=01",
		  GRANTED_AT("3bc")
		  "root lock 0x3bc\n"
		  "raw in 0x3bc = 0xff\n"
		  "read 0x3bc: 0xff\n"
		  GRANTED_AT("3bd")
		  "root lock 0x3bd\n"
		  "raw in 0x3bd = 0xff\n"
		  "read 0x3bd: 0xff\n"
		  GRANTED_AT("3bc")
		  "raw out 0x3bc 0x01\n",
		  "", 0 },
		{ "a device's registers are one lock, taken once", locked_down(), "r378 r379 w378=81",
		  REFUSED_AT("378")
		  TAKES("1")
		  "in parport1 0 = 0x00\n"
		  "read 0x378: 0x00\n"
		  REFUSED_AT("379")
		  "in parport1 1 = 0x78\n"
		  "read 0x379: 0x78\n"
		  REFUSED_AT("378")
		  "out parport1 0x81\n",
		  "", 0 },
		{ "another port: the first given up before the next is taken", locked_down(),
		  "r278 r378 w378=02",
		  REFUSED_AT("278")
		  TAKES("0")
		  "in parport0 0 = 0x00\n"
		  "read 0x278: 0x00\n"
		  REFUSED_AT("378")
		  "close parport0\n"
		  TAKES("1")
		  "in parport1 0 = 0x00\n"
		  "read 0x378: 0x00\n"
		  REFUSED_AT("378")
		  "out parport1 0x02\n",
		  "", 0 },
		{ "root from a device to a port without one", root(), "r378 r3bc",
		  GRANTED_AT("378")
		  "open parport1\n"
		  "lock parport1\n"
		  "holder of parport1: none\n"
		  "raw in 0x378 = 0x00\n"
		  "read 0x378: 0x00\n"
		  GRANTED_AT("3bc")
		  "close parport1\n"
		  "root lock 0x3bc\n"
		  "raw in 0x3bc = 0xff\n"
		  "read 0x3bc: 0xff\n",
		  "", 0 },
		{ "root's device that doesn't open: root's byte instead", pc(0, ENODEV), "w378=01",
		  GRANTED_AT("378")
		  "open parport1: No such device\n"
		  "root lock 0x378\n"
		  "holder of parport1: none\n"
		  "raw out 0x378 0x01\n",
		  "", 0 },
		{ "no lock file can be had (raw I/O but not root): on, unlocked", root_lockfile(ENOLCK), "w3bc=01",
		  GRANTED_AT("3bc")
		  "root lock 0x3bc: no lock file\n"
		  "raw out 0x3bc 0x01\n",
		  "", 0 },
		{ "something else at root's lock file: ended before the port is touched", root_lockfile(EEXIST), "w3bc=01",
		  GRANTED_AT("3bc")
		  "root lock 0x3bc: not root's own file\n",
		  "relayswitch: /run/relayswitch.lock: not root's own regular file: remove it\n", 1 },
		{ "another run's device lock, let go: waited for", held(locked_down(), LETS_GO),
		  "w378=01",
		  REFUSED_AT("378")
		  "open parport1\n"
		  "lock parport1: waited\n"
		  "claim parport1\n"
		  "out parport1 0x01\n",
		  "", 0 },
		{ "another run's byte, let go: waited for", root_byte_held(LETS_GO), "w3bc=01",
		  GRANTED_AT("3bc")
		  "root lock 0x3bc: waited\n"
		  "raw out 0x3bc 0x01\n",
		  "", 0 },
	});
}

TEST(RealPort, BusyMessage)
{
	check({
		{ "the device locked by another run", held(locked_down(), STUCK), "r378",
		  REFUSED_AT("378")
		  "open parport1\n"
		  "lock parport1: busy\n",
		  LOCKED_378, 1 },
		{ "the register after the base names the base", held(locked_down(), STUCK), "r379",
		  REFUSED_AT("379")
		  "open parport1\n"
		  "lock parport1: busy\n",
		  LOCKED_378, 1 },
		{ "claimed by another program: named", held(locked_down(), FREE, STUCK), "r378",
		  REFUSED_AT("378")
		  "open parport1\n"
		  "lock parport1\n"
		  "claim parport1: busy\n",
		  CLAIMED_378, 1 },
		{ "locked and claimed: the claim's holder named", held(locked_down(), STUCK, STUCK),
		  "r378",
		  REFUSED_AT("378")
		  "open parport1\n"
		  "lock parport1: busy\n",
		  CLAIMED_378, 1 },
		{ "root, the device locked", held(root(), STUCK), "r378",
		  GRANTED_AT("378")
		  "open parport1\n"
		  "lock parport1: busy\n",
		  LOCKED_378, 1 },
		{ "root's byte", root_byte_held(STUCK), "r3bc",
		  GRANTED_AT("3bc")
		  "root lock 0x3bc: busy\n",
		  "relayswitch: port 0x3bc (/run/relayswitch.lock) is busy: locked by another run\n",
		  1 },
		{ "busy at the second port: nothing written", held(locked_down(), STUCK),
		  "r278 r378 w378=01",
		  REFUSED_AT("278")
		  TAKES("0")
		  "in parport0 0 = 0x00\n"
		  "read 0x278: 0x00\n"
		  REFUSED_AT("378")
		  "close parport0\n"
		  "open parport1\n"
		  "lock parport1: busy\n",
		  LOCKED_378, 1 },
	});
}

TEST(RealPort, RootAndAnotherProgramsClaim)
{
	check({
		{ "root waits while another program holds the port", held(root(), FREE, LETS_GO),
		  "r378 w378=01",
		  GRANTED_AT("378")
		  "open parport1\n"
		  "lock parport1\n"
		  "holder of parport1: holdclaim (gone)\n"
		  "raw in 0x378 = 0x00\n"
		  "read 0x378: 0x00\n"
		  GRANTED_AT("378")
		  "holder of parport1: none\n"
		  "raw out 0x378 0x01\n",
		  "", 0 },
		{ "root: a holder past the bound, nothing read or written", held(root(), FREE, STUCK),
		  "r378 w378=01",
		  GRANTED_AT("378")
		  "open parport1\n"
		  "lock parport1\n"
		  "holder of parport1: holdclaim (still)\n",
		  CLAIMED_378, 1 },
		{ "root: a port no device covers has no holder", held(root(), FREE, STUCK), "r3bc",
		  GRANTED_AT("3bc")
		  "root lock 0x3bc\n"
		  "raw in 0x3bc = 0xff\n"
		  "read 0x3bc: 0xff\n",
		  "", 0 },
		{ "the driver's claim waits for the holder", held(locked_down(), FREE, LETS_GO),
		  "w378=01",
		  REFUSED_AT("378")
		  "open parport1\n"
		  "lock parport1\n"
		  "claim parport1: waited\n"
		  "out parport1 0x01\n",
		  "", 0 },
	});
}

TEST(RealPort, RefusedWrites)
{
	check({
		{ "the driver writes the data register only: status", locked_down(), "w379=01",
		  REFUSED_AT("379")
		  TAKES("1"),
		  refused, 1 },
		{ "the driver writes the data register only: control", locked_down(), "w27a=01",
		  REFUSED_AT("27a")
		  TAKES("0"),
		  refused, 1 },
		{ "no driver at the port: the ports served said", locked_down(), "r3bc w3bc=01",
		  REFUSED_AT("3bc")
		  "read 0x3bc: 0xff\n"
		  REFUSED_AT("3bc")
		  SERVED,
		  EPERM_AND(UNSERVED_3BC), 1 },
		{ "no driver at the port, no I/O-port support", pc(ENOSYS), "w3bc=01",
		  "ioperm 0x3bc+3: Function not implemented\n"
		  SERVED,
		  "ioperm: Function not implemented\nrelayswitch: " UNSERVED_3BC "\n", 1 },
		{ "a read the driver fails: said, nothing written", [] {
			  Machine m = locked_down();
			  m.ports[0].read_errno = EIO;
			  return m;
		  }(),
		  "r378 w378=01",
		  REFUSED_AT("378")
		  TAKES("1")
		  "in parport1 0: Input/output error\n",
		  "relayswitch: cannot read /dev/parport1: Input/output error\n", 1 },
		{ "root by raw I/O writes any port", root(), "w379=01",
		  GRANTED_AT("379")
		  "open parport1\n"
		  "lock parport1\n"
		  "holder of parport1: none\n"
		  "raw out 0x379 0x01\n",
		  "", 0 },
	});
}

// Whole command lines on root's PC: a word the command can't take ends the run
// after the start-up read, before anything is written.
TEST(RealPort, CommandLine)
{
	check({
		{ "a forgotten dash", root(), "relayswitch 3 on", ROOT_READS_378,
		  "relayswitch: unexpected word '3'\n", 1 },
		{ "a stray word after a good option", root(), "relayswitch -1 on 2 on", ROOT_READS_378,
		  "relayswitch: unexpected word '2'\n", 1 },
		{ "a fifth digit", root(), "relayswitch -p 12345 -1 on", ROOT_READS_378,
		  "relayswitch: bad port address '12345'\n", 1 },
		{ "a letter O for a zero", root(), "relayswitch -p e80O", ROOT_READS_378,
		  "relayswitch: bad port address 'e80O'\n", 1 },
		{ "378h is 0x378", root(), "relayswitch -p 378h -1 on",
		  ROOT_READS_378
		  GRANTED_AT("378")
		  "holder of parport1: none\n"
		  "raw in 0x378 = 0x00\n"
		  GRANTED_AT("378")
		  "holder of parport1: none\n"
		  "raw out 0x378 0x01\n",
		  "", 0 },
	});
}
