// SPDX-License-Identifier: GPL-2.0-or-later
// The driver route: the kernel's parallel-port driver (modules parport,
// parport_pc and ppdev). Each parallel port it has registered is
// /proc/sys/dev/parport/parportN, whose base-addr starts with the port's base
// address in decimal, and /dev/parportN, which root and group lp may open. The
// number N says nothing about the address: find it by the base.
//
// A claim (PPCLAIM) that has to wait sleeps holding a mutex that every ppdev
// request on the machine needs, so while it waits, no other program can use
// or release any parallel-port device. So a claim is only asked for when the
// port's devices/active shows no holder, and under the run's bound on waiting:
// a claim that loses the race then costs at most the time the run has left.
#include "route.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "portwait.h"

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

// Up to size - 1 bytes of parportN's file name, or -1.
static int readproc(int n, const char *name, char *text, int size)
{
	char path[80];
	snprintf(path, sizeof path, "%s/parport%d/%s", procdir, n, name);
	int fd = open(path, O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return -1;
	ssize_t len = read(fd, text, size - 1);
	close(fd);
	if (len < 0)
		return -1;
	text[len] = '\0';
	return static_cast<int>(len);
}

// The base address of parportN, or -1.
static int base_of(int n)
{
	char text[32];
	if (readproc(n, "base-addr", text, sizeof text) <= 0 || text[0] < '0' || text[0] > '9')
		return -1;
	long base = strtol(text, nullptr, 10);
	return base <= 0xFFFF ? static_cast<int>(base) : -1;
}

// The registered parallel ports, read once a run: a run takes milliseconds.
enum { MAXPORTS = 16 };
static int nports = -1;
static int portn[MAXPORTS], portbase[MAXPORTS];

static void scan()
{
	if (nports >= 0)
		return;
	nports = 0;
	DIR *dir = opendir(procdir);
	if (!dir)
		return;
	for (struct dirent *e; nports < MAXPORTS && (e = readdir(dir));) {
		int n = number(e->d_name), base = n >= 0 ? base_of(n) : -1;
		if (base < 0)
			continue;
		int i = nports++;	// kept by N, as the kernel numbered them
		for (; i > 0 && portn[i - 1] > n; i--) {
			portn[i] = portn[i - 1];
			portbase[i] = portbase[i - 1];
		}
		portn[i] = n;
		portbase[i] = base;
	}
	closedir(dir);
}

int parport_find(int port, int *base)
{
	scan();
	for (int i = 0; i < nports; i++)
		if (port >= portbase[i] && port <= portbase[i] + 2) {
			*base = portbase[i];
			return portn[i];
		}
	return -1;
}

int parport_any()
{
	scan();
	for (int i = 0; i < nports; i++) {
		int fd = parport_open(portn[i]);
		if (fd >= 0) {
			close(fd);
			return 1;
		}
	}
	return 0;
}

static void device_path(int n, char *path, int size)
{
	snprintf(path, size, "/dev/parport%d", n);
}

int parport_served(int *base, int max)
{
	scan();
	int count = 0;
	for (int i = 0; i < nports && count < max; i++) {
		char path[32];
		struct stat st;
		device_path(portn[i], path, sizeof path);
		if (stat(path, &st) == 0)
			base[count++] = portbase[i];
	}
	return count;
}

int parport_open(int n)
{
	char path[32];
	device_path(n, path, sizeof path);
	return open(path, O_RDWR | O_CLOEXEC);
}

int parport_lock(int fd)
{
	return port_flock(fd);
}

void parport_close(int fd)
{
	close(fd);
}

int parport_holder(int n, char *name, int size)
{
	int len = readproc(n, "devices/active", name, size);
	while (len > 0 && (name[len - 1] == '\n' || name[len - 1] == ' '))
		name[--len] = '\0';
	return len > 0 && strcmp(name, "none") != 0;
}

// Whether another device holds parportN: 0 when none does; while one does,
// -1 with EAGAIN, after a look every 20 ms.
static int unclaimed(int, int n, int how)
{
	char who[64];
	if (!parport_holder(n, who, sizeof who))
		return 0;
	if (how == WAIT_BLOCK)
		port_pause();
	errno = EAGAIN;
	return -1;
}

int parport_unclaimed(int n)
{
	return port_wait(unclaimed, -1, n);
}

// The claim is only ever asked for once nobody holds the port, and under the
// bound: the run's timer cuts it off.
static int claim(int fd, int n, int how)
{
	if (how == WAIT_TRY || unclaimed(fd, n, how) != 0) {
		errno = EAGAIN;
		return -1;
	}
	return ioctl(fd, PPCLAIM);
}

int parport_claim(int fd, int n)
{
	return port_wait(claim, fd, n);
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
