// SPDX-License-Identifier: GPL-2.0-or-later
// The tests' runner: starts the programs as a user would, each run in a
// scratch directory of its own over the simulated port (the real program only
// where it touches no port), and collects what the run did: its output, exit
// status and port accesses, and the simulator's state file.
#ifndef RUNNER_H
#define RUNNER_H

#include <sys/types.h>

#include <string>
#include <vector>

struct Result {
	std::string out, err;	// standard output and error
	int status;		// exit status, or 128 + signal number
	std::string trace;	// the port accesses, compact (see access_trace())
	std::string state;	// the state file afterwards
};

// A scratch directory, removed with its contents at the end of the scope.
struct Scratch {
	std::string dir;
	Scratch();
	~Scratch();
	std::string path(const std::string &name) const { return dir + "/" + name; }
};

// How a run is started, where it differs from a user's shell. out and err:
// where standard output and error go -- nullptr to the files the Result is read
// from, "-" nowhere (the descriptor is closed), "|" into a pipe nobody reads,
// with SIGPIPE ignored (as systemd starts services), else that file. homeless:
// neither RELAYSWITCH_SIM_STATE nor HOME is set. What a parent may leave the
// run: masked, every signal blocked and SIGALRM ignored (as a threaded daemon
// or a job runner may start it); alarm, an alarm due in that many seconds;
// no_sigqueue, no pending signal allowed (RLIMIT_SIGPENDING 0); pending, that
// signal blocked and pending (34: one musl keeps for itself); fsize, files
// limited to that many bytes (RLIMIT_FSIZE) with SIGXFSZ ignored, or killing
// the run where fsize_kills.
struct Launch {
	const char *out = nullptr, *err = nullptr;
	bool homeless = false;
	bool masked = false;
	unsigned alarm = 0;
	bool no_sigqueue = false;
	int pending = 0;
	long fsize = 0;
	bool fsize_kills = false;
	const char *state = nullptr;	// RELAYSWITCH_SIM_STATE, where not "state" in the scratch
};

// regs: registers to start from, "378=5a 379=87" (empty: a new state file).
// grants: RELAYSWITCH_SIM_GRANTS, or nullptr for no limit.
Result run_sim(const std::vector<std::string> &args, const std::string &regs = "",
	       const char *grants = nullptr, const char *prog = RELAYSWITCH_SIM);

// The same, in a scratch directory kept by the caller, so runs can follow each other.
Result run_in(const Scratch &s, const std::vector<std::string> &args, const char *grants = nullptr,
	      const char *prog = RELAYSWITCH_SIM, Launch io = {});

// Starts a run without waiting for it; its files are named with tag ("out" + tag,
// "err" + tag, "log" + tag). wait_run() waits and returns the exit status;
// collect_run() waits and gathers the Result.
pid_t start_run(const Scratch &s, const std::vector<std::string> &args, const char *grants,
		const char *prog, const std::string &tag, Launch io = {});
int wait_run(pid_t pid);
Result collect_run(const Scratch &s, pid_t pid, const std::string &tag);

// Points the simulated backend of this process at s: its state file, the log
// "log" + tag, and grants (nullptr: no limit).
void point_sim_at(const Scratch &s, const char *grants, const std::string &tag);

void set_registers(const Scratch &s, const std::string &regs);

// Writes text as the simulator's state file of s, as a user's editor would.
void write_state(const Scratch &s, const std::string &text);

// The access log as one line: a permission request with its access becomes
// "r378" (inb 0x378) or "w378=01" (outb 0x378 0x01); a refused request "!378";
// n equal accesses in a row "r379*8". Anything else shows as "BAD(line)".
std::string access_trace(const std::string &log);

std::string read_file(const std::string &path);

// A golden file of the tests' own ("usage.golden").
std::string golden(const char *name);

// Arguments as a shell would show them, " '-1' 'on'", readable whatever they
// hold: a byte outside printable ASCII (and a quote or backslash) as \xHH, an
// argument past 40 bytes cut short with its length.
std::string quoted(const std::vector<std::string> &args);

#endif
