// asuser ID PROGRAM [ARG...]: runs PROGRAM as user and group ID, with no
// supplementary groups and so no privilege, as a plain user would.
#include <grp.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
	if (argc < 3) {
		fputs("usage: asuser ID PROGRAM [ARG...]\n", stderr);
		return 2;
	}
	int id = atoi(argv[1]);
	if (setgroups(0, nullptr) != 0 || setgid(id) != 0 || setuid(id) != 0) {
		perror("asuser");
		return 2;
	}
	execv(argv[2], argv + 2);
	perror("asuser");
	return 127;
}
