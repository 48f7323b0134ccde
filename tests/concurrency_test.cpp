// SPDX-License-Identifier: GPL-2.0-or-later
// Runs started at the same moment must not lose each other's switches: every
// run's read-modify-write of the latch is atomic against all the others. And
// none waits for another forever.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <time.h>

#include <vector>
#include <unistd.h>

#include "runner.h"

namespace {

TEST(Concurrency, NoSwitchIsLost)
{
	const int rounds = 50;
	int lost = 0;
	Scratch s;
	for (int round = 0; round < rounds; round++) {
		// Even rounds switch all sixteen lines of two ports on, odd rounds off.
		bool on = round % 2 == 0;
		set_registers(s, on ? "278=00 378=00" : "278=ff 378=ff");
		std::vector<pid_t> runs;
		for (int line = 1; line <= 16; line++) {
			std::vector<std::string> args{ "-" + std::to_string((line - 1) % 8 + 1),
						       on ? "on" : "off" };
			if (line > 8)
				args.insert(args.begin(), { "-p", "278" });
			runs.push_back(start_run(s, args, nullptr, RELAYSWITCH_SIM, std::to_string(line)));
		}
		for (pid_t pid : runs)
			EXPECT_EQ(wait_run(pid), 0);
		unsigned v278 = 0x100, v378 = 0x100;
		std::string got = read_file(s.path("state"));
		ASSERT_EQ(sscanf(got.c_str(), "0x278 0x%x\n0x378 0x%x\n", &v278, &v378), 2) << got;
		unsigned want = on ? 0xFF : 0x00;
		lost += __builtin_popcount(v278 ^ want) + __builtin_popcount(v378 ^ want);
	}
	EXPECT_EQ(lost, 0) << "switches lost, of " << rounds * 16;
}

}  // namespace

namespace {

// Holds the state file's lock, as a run that is stopped or hung would.
int hold_state(const Scratch &s)
{
	int fd = open(s.path("state").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
	EXPECT_EQ(flock(fd, LOCK_EX), 0);
	return fd;
}

// A holder doing its work briefly delays a run; a stuck one ends it, once the
// run has waited 10 seconds, with a message and nothing written -- whatever
// signal mask, dispositions, alarm and limits the run inherited. A caller's own
// alarm still ends the run when it is due; a signal it left blocked never ends
// it. A run stopped past its bound while the holder let go finds the port free.
// The rows run at once, each on a state file of its own.
TEST(Concurrency, WaitsAreBounded)
{
	const char *const busy = "@busy";
	const struct {
		const char *what;
		Launch io;
		int release;	// the holder lets go after this many seconds; 0: never
		int status;
		int least, most;	// seconds the run took
		const char *err;
		int stop = 0, cont = 0;	// the run is stopped, and continued, at these seconds
	} cases[] = {
		{ "released after 1 s", {}, 1, 0, 1, 3, "" },
		{ "stuck holder", {}, 0, 1, 9, 12, busy },
		{ "signals blocked, SIGALRM ignored", { .masked = true }, 0, 1, 9, 12, busy },
		{ "signals blocked, released after 1 s", { .masked = true }, 1, 0, 1, 3, "" },
		{ "a caller's alarm due in 3 s", { .alarm = 3 }, 0, 128 + SIGALRM, 3, 5, "" },
		{ "a caller's alarm, blocked and ignored, released after 4 s",
		  { .masked = true, .alarm = 2 }, 4, 0, 4, 6, "" },
		{ "no pending signal allowed", { .no_sigqueue = true }, 0, 1, 9, 12, busy },
		{ "no pending signal allowed, released after 1 s", { .no_sigqueue = true }, 1, 0, 1, 3, "" },
		{ "signal 34 blocked and pending, released after 1 s", { .pending = 34 }, 1, 0, 1, 3, "" },
		{ "signal 34 blocked and pending, stuck holder", { .pending = 34 }, 0, 1, 9, 12, busy },
		{ "stopped past the bound while the holder let go", {}, 12, 0, 13, 15, "", 1, 13 },
		{ "no pending signal allowed, stopped past the bound while the holder let go",
		  { .no_sigqueue = true }, 12, 0, 13, 15, "", 1, 13 },
	};
	const int n = sizeof cases / sizeof *cases;
	std::vector<Scratch> s(n);
	std::vector<int> holder(n);
	std::vector<pid_t> run(n);
	std::vector<int> status(n, -1), took(n, -1), phase(n, 0);
	timespec began;
	clock_gettime(CLOCK_MONOTONIC, &began);
	for (int i = 0; i < n; i++) {
		set_registers(s[i], "378=10");
		holder[i] = hold_state(s[i]);
		run[i] = start_run(s[i], { "-1", "on", "-o" }, nullptr, RELAYSWITCH_SIM, "", cases[i].io);
	}
	for (int left = n, ticks = 0; left > 0 && ticks < 600; ticks++) {
		usleep(100000);
		timespec now;
		clock_gettime(CLOCK_MONOTONIC, &now);
		double secs = now.tv_sec - began.tv_sec + (now.tv_nsec - began.tv_nsec) / 1e9;
		for (int i = 0; i < n; i++) {
			if (holder[i] >= 0 && cases[i].release && secs >= cases[i].release) {
				close(holder[i]);
				holder[i] = -1;
			}
			if (cases[i].stop && status[i] < 0 && phase[i] == 0 && secs >= cases[i].stop) {
				kill(run[i], SIGSTOP);
				phase[i] = 1;
			} else if (phase[i] == 1 && secs >= cases[i].cont) {
				kill(run[i], SIGCONT);
				phase[i] = 2;
			}
			int st;
			if (status[i] < 0 && waitpid(run[i], &st, WNOHANG) == run[i]) {
				status[i] = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
				took[i] = static_cast<int>(secs);
				left--;
			}
		}
	}
	for (int i = 0; i < n; i++) {
		auto &c = cases[i];
		SCOPED_TRACE(c.what);
		if (status[i] < 0) {
			kill(run[i], SIGKILL);
			wait_run(run[i]);
			ADD_FAILURE() << "the run still waited after 60 s";
		}
		EXPECT_EQ(status[i], c.status);
		EXPECT_GE(took[i], c.least);
		EXPECT_LE(took[i], c.most);
		std::string err = c.err == busy ? "relayswitch-sim: " + s[i].path("state") +
							  " is busy: locked by another run\n"
						: c.err;
		EXPECT_EQ(read_file(s[i].path("err")), err);
		EXPECT_EQ(read_file(s[i].path("out")), c.status ? "" : "10001000 11111110\n");
		EXPECT_EQ(read_file(s[i].path("state")), c.status ? "0x378 0x10\n" : "0x378 0x11\n");
		if (holder[i] >= 0)
			close(holder[i]);
	}
}

}  // namespace
