// SPDX-License-Identifier: GPL-2.0-or-later
// The command's main as the in-process tests call it (relaycmd.cpp compiled
// with main renamed so).
#ifndef RELAYCMD_MAIN_H
#define RELAYCMD_MAIN_H
int relaycmd_main(int argc, char *argv[]);
#endif
