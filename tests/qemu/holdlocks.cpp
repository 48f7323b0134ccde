// SPDX-License-Identifier: GPL-2.0-or-later
// holdlocks FILE...: takes every lock it can get on the files -- opens each,
// creating it where it may, flocks it and locks all its bytes -- says which it
// holds, and waits to be killed. Run as a user outside lp, it is the worst an
// outsider can do to make relayswitch wait.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char *argv[])
{
	for (int i = 1; i < argc; i++) {
		int fd = open(argv[i], O_RDWR | O_CREAT | O_NONBLOCK, 0666);
		if (fd < 0)
			fd = open(argv[i], O_RDONLY | O_NONBLOCK);
		if (fd < 0)
			continue;
		struct flock all = {};
		all.l_type = F_RDLCK;
		int held = flock(fd, LOCK_EX | LOCK_NB) == 0;
		held |= fcntl(fd, F_SETLK, &all) == 0;
		all.l_type = F_WRLCK;
		held |= fcntl(fd, F_SETLK, &all) == 0;
		if (held)
			printf("holding %s\n", argv[i]);
	}
	fflush(stdout);
	pause();
}
