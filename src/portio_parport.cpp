// SPDX-License-Identifier: GPL-2.0-or-later
// The driver route: the kernel's parallel-port driver (modules parport,
// parport_pc and ppdev). Each parallel port it has registered is
// /proc/sys/dev/parport/parportN, whose base-addr starts with the port's base
// address in decimal, and /dev/parportN, which root and group lp may open. The
// number N says nothing about the address: find it by the base.
#include "route.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static const char procdir[] = "/proc/sys/dev/parport";

// N of a directory entry "parportN", or -1.
static int number(const char *name)
{
	if (strncmp(name, "parport", 7) != 0 || name[7] == '\0')
		return -1;
	int n = 0;
	for (const char *p = name + 7; *p; p++) {
		if (*p < '0' || *p > '9' || n > 9999)
			return -1;
		n = n * 10 + (*p - '0');
	}
	return n;
}

// The base address of parportN, or -1.
static int base_of(int n)
{
	char path[64], text[32];
	snprintf(path, sizeof path, "%s/parport%d/base-addr", procdir, n);
	int fd = open(path, O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return -1;
	ssize_t len = read(fd, text, sizeof text - 1);
	close(fd);
	if (len <= 0 || text[0] < '0' || text[0] > '9')
		return -1;
	text[len] = '\0';
	long base = strtol(text, nullptr, 10);
	return base <= 0xFFFF ? static_cast<int>(base) : -1;
}

// The number of the next registered parallel port in dir, or -1 at the end.
static int next_port(DIR *dir)
{
	for (struct dirent *e; (e = readdir(dir));)
		if (int n = number(e->d_name); n >= 0)
			return n;
	return -1;
}

int parport_find(int port, int *base)
{
	DIR *dir = opendir(procdir);
	if (!dir)
		return -1;
	int n;
	while ((n = next_port(dir)) >= 0) {
		*base = base_of(n);
		if (*base >= 0 && port >= *base && port <= *base + 2)
			break;
	}
	closedir(dir);
	return n;
}

int parport_any()
{
	DIR *dir = opendir(procdir);
	if (!dir)
		return 0;
	int n, fd = -1;
	while (fd < 0 && (n = next_port(dir)) >= 0)
		fd = parport_open(n);
	closedir(dir);
	if (fd < 0)
		return 0;
	close(fd);
	return 1;
}

int parport_open(int n)
{
	char path[32];
	snprintf(path, sizeof path, "/dev/parport%d", n);
	return open(path, O_RDWR | O_CLOEXEC);
}

int parport_claim(int fd)
{
	return ioctl(fd, PPCLAIM);
}

int parport_in(int fd, int reg)
{
	static const unsigned long request[] = { PPRDATA, PPRSTATUS, PPRCONTROL };
	unsigned char value;
	if (reg < 0 || reg > 2) {
		errno = EINVAL;
		return -1;
	}
	return ioctl(fd, request[reg], &value) == 0 ? value : -1;
}

int parport_out(int fd, int value)
{
	unsigned char byte = static_cast<unsigned char>(value);
	return ioctl(fd, PPWDATA, &byte);
}
