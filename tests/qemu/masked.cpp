// SPDX-License-Identifier: GPL-2.0-or-later
// masked PROGRAM [ARG...]: runs PROGRAM with every signal blocked and SIGALRM
// ignored, as a parent that blocked signals before starting it (a threaded
// daemon, a job runner, a script) leaves it: both survive exec.
#include <signal.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char *argv[])
{
	if (argc < 2) {
		fputs("usage: masked PROGRAM [ARG...]\n", stderr);
		return 2;
	}
	sigset_t all;
	sigfillset(&all);
	sigprocmask(SIG_BLOCK, &all, nullptr);
	signal(SIGALRM, SIG_IGN);
	execv(argv[1], argv + 1);
	perror("masked");
	return 127;
}
