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
// run has waited 10 seconds, with a message and nothing written.
TEST(Concurrency, WaitsAreBounded)
{
	Scratch s;
	set_registers(s, "378=10");
	int fd = hold_state(s);
	pid_t run = start_run(s, { "-1", "on" }, nullptr, RELAYSWITCH_SIM, "");
	sleep(1);
	close(fd);
	Result r = collect_run(s, run, "");
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.state, "0x378 0x11\n");

	fd = hold_state(s);
	time_t began = time(nullptr);
	run = start_run(s, { "-2", "on", "-o" }, nullptr, RELAYSWITCH_SIM, "");
	int status = -1;
	for (int waited = 0; waited < 600 && waitpid(run, &status, WNOHANG) == 0; waited++)
		usleep(100000);
	if (status == -1) {
		kill(run, SIGKILL);
		waitpid(run, &status, 0);
		ADD_FAILURE() << "the run still waited after 60 s";
	}
	EXPECT_GE(time(nullptr) - began, 9);
	EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
	EXPECT_EQ(read_file(s.path("err")),
		  "relayswitch-sim: " + s.path("state") + " is busy: locked by another run\n");
	EXPECT_EQ(read_file(s.path("out")), "");
	EXPECT_EQ(access_trace(read_file(s.path("log"))), "BAD(ioperm 0x378 3)");
	close(fd);
	EXPECT_EQ(read_file(s.path("state")), "0x378 0x11\n");
}

}  // namespace
