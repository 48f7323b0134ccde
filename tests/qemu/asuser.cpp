// SPDX-License-Identifier: GPL-2.0-or-later
// asuser ID[,GROUP] PROGRAM [ARG...]: runs PROGRAM as user and group ID, with no
// privilege, as a plain user would: with no supplementary group, or with GROUP
// alone (7 is lp, the group of the parallel-port devices).
#include <grp.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
	if (argc < 3) {
		fputs("usage: asuser ID[,GROUP] PROGRAM [ARG...]\n", stderr);
		return 2;
	}
	char *rest;
	int id = static_cast<int>(strtol(argv[1], &rest, 10));
	gid_t group = *rest == ',' ? static_cast<gid_t>(atoi(rest + 1)) : 0;
	if (setgroups(*rest == ',', &group) != 0 || setgid(id) != 0 || setuid(id) != 0) {
		perror("asuser");
		return 2;
	}
	execv(argv[2], argv + 2);
	perror("asuser");
	return 127;
}
