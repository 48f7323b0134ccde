// SPDX-License-Identifier: GPL-2.0-or-later
#include "runner.h"

#include <fcntl.h>
#include <signal.h>
#include <ftw.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

Scratch::Scratch()
{
	char tmpl[] = "/tmp/relayswitch-test.XXXXXX";
	if (!mkdtemp(tmpl))
		throw std::runtime_error("mkdtemp");
	dir = tmpl;
}

static int unlink_one(const char *path, const struct stat *, int, struct FTW *)
{
	return remove(path);
}

Scratch::~Scratch()
{
	nftw(dir.c_str(), unlink_one, 8, FTW_DEPTH | FTW_PHYS);
}

std::string read_file(const std::string &path)
{
	std::ifstream f(path, std::ios::binary);
	std::stringstream ss;
	ss << f.rdbuf();
	return ss.str();
}

void set_registers(const Scratch &s, const std::string &regs)
{
	std::istringstream in(regs);
	std::ofstream f(s.path("state"));
	for (std::string reg; in >> reg;)
		f << "0x" << reg.substr(0, reg.find('=')) << " 0x" << reg.substr(reg.find('=') + 1)
		  << "\n";
}

void write_state(const Scratch &s, const std::string &text)
{
	std::ofstream(s.path("state"), std::ios::binary) << text;
}

std::string golden(const char *name)
{
	return read_file(std::string(GOLDEN_DIR) + "/" + name);
}

std::string quoted(const std::vector<std::string> &args)
{
	std::string s;
	for (auto &a : args) {
		s += " '";
		for (size_t i = 0; i < a.size() && i < 40; i++) {
			unsigned char c = a[i];
			char hex[8];
			snprintf(hex, sizeof hex, "\\x%02x", c);
			s += c >= 0x20 && c < 0x7f && c != '\\' && c != '\'' ? std::string(1, c) : hex;
		}
		s += "'";
		if (a.size() > 40)
			s += "...(" + std::to_string(a.size()) + " bytes)";
	}
	return s;
}

void point_sim_at(const Scratch &s, const char *grants, const std::string &tag)
{
	setenv("RELAYSWITCH_SIM_STATE", s.path("state").c_str(), 1);
	setenv("RELAYSWITCH_SIM_LOG", s.path("log" + tag).c_str(), 1);
	if (grants)
		setenv("RELAYSWITCH_SIM_GRANTS", grants, 1);
	else
		unsetenv("RELAYSWITCH_SIM_GRANTS");
}

// Points descriptor fd where the Streams say; the capture file is path.
static void redirect(int fd, const char *how, const std::string &path)
{
	int to;
	if (how && strcmp(how, "-") == 0) {
		close(fd);
		return;
	}
	if (how && strcmp(how, "|") == 0) {
		int p[2];
		if (pipe(p) != 0)
			_exit(126);
		close(p[0]);
		signal(SIGPIPE, SIG_IGN);
		to = p[1];
	} else
		to = open(how ? how : path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
	dup2(to, fd);
	if (to != fd)
		close(to);
}

pid_t start_run(const Scratch &s, const std::vector<std::string> &args, const char *grants,
		const char *prog, const std::string &tag, Launch io)
{
	unlink(s.path("log" + tag).c_str());
	FILE *empty[] = { fopen(s.path("out" + tag).c_str(), "w"), fopen(s.path("err" + tag).c_str(), "w") };
	for (FILE *f : empty)
		if (f)
			fclose(f);
	pid_t pid = fork();
	if (pid != 0)
		return pid;
	int n = open("/dev/null", O_RDONLY);
	dup2(n, 0);
	close(n);
	redirect(1, io.out, s.path("out" + tag));
	redirect(2, io.err, s.path("err" + tag));
	point_sim_at(s, grants, tag);
	unsetenv("POSIXLY_CORRECT");
	if (io.state)
		setenv("RELAYSWITCH_SIM_STATE", io.state, 1);
	if (io.homeless) {
		unsetenv("RELAYSWITCH_SIM_STATE");
		unsetenv("HOME");
		if (chdir(s.dir.c_str()) != 0)
			_exit(126);
	}
	if (io.fsize) {
		struct rlimit lim = { static_cast<rlim_t>(io.fsize), static_cast<rlim_t>(io.fsize) };
		setrlimit(RLIMIT_FSIZE, &lim);
		signal(SIGXFSZ, io.fsize_kills ? SIG_DFL : SIG_IGN);
	}
	if (io.no_sigqueue) {
		struct rlimit none = { 0, 0 };
		setrlimit(RLIMIT_SIGPENDING, &none);
	}
	if (io.masked) {
		sigset_t all;
		sigfillset(&all);
		sigprocmask(SIG_BLOCK, &all, nullptr);
		signal(SIGALRM, SIG_IGN);
	}
	if (io.alarm)
		alarm(io.alarm);
	if (io.pending) {
		sigset_t one;
		sigemptyset(&one);
		sigaddset(&one, io.pending);
		sigprocmask(SIG_BLOCK, &one, nullptr);
		kill(getpid(), io.pending);
	}
	// RELAYSWITCH_TEST_WRAP runs the program under a tool such as valgrind or an
	// emulator. The program is still named "relayswitch", as its diagnostics
	// show: the tool finds it by that name on PATH (valgrind) or in the working
	// directory (qemu-i386-static).
	const char *wrap = getenv("RELAYSWITCH_TEST_WRAP");
	std::vector<std::string> words;
	std::istringstream in(wrap ? wrap : "");
	for (std::string w; in >> w;)
		words.push_back(w);
	if (!words.empty()) {
		std::string bin = s.path("bin" + tag);
		mkdir(bin.c_str(), 0755);
		if (symlink(prog, (bin + "/relayswitch").c_str()) != 0 && errno != EEXIST)
			_exit(126);
		setenv("PATH", (bin + ":" + getenv("PATH")).c_str(), 1);
		if (chdir(bin.c_str()) != 0)
			_exit(126);
	}
	std::vector<char *> argv;
	for (auto &w : words)
		argv.push_back(const_cast<char *>(w.c_str()));
	argv.push_back(const_cast<char *>("relayswitch"));
	for (auto &a : args)
		argv.push_back(const_cast<char *>(a.c_str()));
	argv.push_back(nullptr);
	if (words.empty())
		execv(prog, argv.data());
	else
		execvp(argv[0], argv.data());
	_exit(127);
}

int wait_run(pid_t pid)
{
	int st = 0;
	while (waitpid(pid, &st, 0) < 0 && errno == EINTR) {
	}
	return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
}

Result collect_run(const Scratch &s, pid_t pid, const std::string &tag)
{
	int status = wait_run(pid);
	return Result{ read_file(s.path("out" + tag)), read_file(s.path("err" + tag)), status,
		       access_trace(read_file(s.path("log" + tag))), read_file(s.path("state")) };
}

Result run_in(const Scratch &s, const std::vector<std::string> &args, const char *grants,
	      const char *prog, Launch io)
{
	return collect_run(s, start_run(s, args, grants, prog, "", io), "");
}

Result run_sim(const std::vector<std::string> &args, const std::string &regs, const char *grants,
	       const char *prog)
{
	Scratch s;
	if (!regs.empty())
		set_registers(s, regs);
	return run_in(s, args, grants, prog);
}

std::string access_trace(const std::string &log)
{
	std::istringstream in(log);
	std::vector<std::string> steps;
	std::string line;
	while (std::getline(in, line)) {
		unsigned port, count, p2, value;
		char what[8], extra[16];
		std::string step = "BAD(" + line + ")";
		int n = sscanf(line.c_str(), "ioperm %x %u %15s", &port, &count, extra);
		char hex[16];
		snprintf(hex, sizeof hex, "%x", port);
		if (n == 3 && count == 3 && std::string(extra) == "refused") {
			step = std::string("!") + hex;
		} else if (n == 2 && count == 3 && std::getline(in, line)) {
			n = sscanf(line.c_str(), "%7s %x %x", what, &p2, &value);
			if (n == 3 && p2 == port && std::string(what) == "inb")
				step = std::string("r") + hex;
			else if (n == 3 && p2 == port && std::string(what) == "outb") {
				char v[8];
				snprintf(v, sizeof v, "=%02x", value);
				step = std::string("w") + hex + v;
			} else
				step = "BAD(" + line + ")";
		}
		steps.push_back(step);
	}
	std::string t;
	for (size_t i = 0; i < steps.size();) {
		size_t j = i;
		while (j < steps.size() && steps[j] == steps[i])
			j++;
		t += (t.empty() ? "" : " ") + steps[i] + (j - i > 1 ? "*" + std::to_string(j - i) : "");
		i = j;
	}
	return t;
}
