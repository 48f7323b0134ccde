// SPDX-License-Identifier: GPL-2.0-or-later
// holdclaim SECONDS DEVICE: claims a parallel port through the kernel's driver,
// as a program using /dev/parportN (or the printer driver while it prints)
// does; says so; holds the claim for SECONDS or until SIGTERM; says whether
// the data latch changed under it meanwhile (the port is its own while it
// holds the claim); then releases it and says whether the release took under
// a second. A release stuck behind another program's claim request shows here.
#include <fcntl.h>
#include <linux/ppdev.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

static void wake(int)
{
}

int main(int argc, char *argv[])
{
	if (argc != 3) {
		fputs("usage: holdclaim SECONDS DEVICE\n", stderr);
		return 2;
	}
	int fd = open(argv[2], O_RDWR);
	if (fd < 0 || ioctl(fd, PPCLAIM) != 0) {
		perror(argv[2]);
		return 1;
	}
	unsigned char before = 0, after = 0;
	ioctl(fd, PPRDATA, &before);
	printf("claimed %s\n", argv[2]);
	fflush(stdout);
	struct sigaction sa = {};
	sa.sa_handler = wake;
	sigaction(SIGTERM, &sa, nullptr);
	sleep(atoi(argv[1]));
	ioctl(fd, PPRDATA, &after);
	if (after == before)
		printf("the latch stayed 0x%02x while claimed\n", before);
	else
		printf("the latch changed 0x%02x -> 0x%02x while claimed\n", before, after);
	struct timespec t0, t1;
	clock_gettime(CLOCK_MONOTONIC, &t0);
	int r = ioctl(fd, PPRELEASE);
	clock_gettime(CLOCK_MONOTONIC, &t1);
	long took = t1.tv_sec - t0.tv_sec;
	if (r != 0)
		perror("PPRELEASE");
	else if (took < 1)
		printf("released %s in under a second\n", argv[2]);
	else
		printf("released %s after %ld s\n", argv[2], took);
	return 0;
}
