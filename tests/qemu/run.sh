#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Boots a PC in QEMU (software emulation) with two parallel ports, twice and at
# once: plainly and locked down as under Secure Boot (lockdown=integrity). Each
# time it runs the scenario with the given relayswitch, loading the kernel's
# parallel-port driver from its modules on the way, and the two transcripts
# together are compared with the expected one. The program makes the same
# ioperm/inb/outb calls and driver requests there as on a user's machine, and
# the emulated data registers latch what it wrote. What the parallel ports
# print (a byte each time the strobe pulses) is captured: the transcript says
# how much, and nothing a run does may print.
#
#   run.sh RELAYSWITCH ASUSER HOLDLOCKS HOLDCLAIM MASKED CACHE-DIR WORKDIR
# Debian's kernel is fetched into CACHE-DIR once (pc.sh). Exit status: 0 same
# transcript, 1 different (the diff is shown), 77 skipped because QEMU, the
# kernel, a static busybox or cpio is missing -- except in CI (CI=true), where a
# missing tool fails the test.
set -u
here=$(cd "$(dirname "$0")" && pwd)
prog=$1 asuser=$2 holdlocks=$3 holdclaim=$4 masked=$5 cache=$6 work=$7
# shellcheck source=../skip.sh
. "$here/../skip.sh"
busybox=$(command -v busybox) || skip "no busybox (package busybox-static)"
if readelf -l "$busybox" 2>/dev/null | grep -q INTERP; then
	skip "$busybox is not static (package busybox-static)"
fi
command -v cpio >/dev/null || skip "no cpio (package cpio)"
# shellcheck source=pc.sh
. "$here/pc.sh"

rm -rf "$work"
mkdir -p "$work/root/bin" "$work/root/lib"
cp "$busybox" "$work/root/bin/busybox"
cp "$prog" "$work/root/bin/relayswitch"
cp "$asuser" "$work/root/bin/asuser"
cp "$holdlocks" "$work/root/bin/holdlocks"
cp "$holdclaim" "$work/root/bin/holdclaim"
cp "$masked" "$work/root/bin/masked"
cp $parport_modules "$work/root/lib/"
cp "$here/init" "$here/scenario.sh" "$work/root/"
chmod 755 "$work/root/init"
(cd "$work/root" && find . | cpio -o -H newc --quiet) >"$work/initrd" || exit 1

# The two boots at once, each PC of its own; what each said, then the transcript
# in their order.
boots=
for part in plain lockdown; do
	append=
	[ $part = lockdown ] && append=lockdown=integrity
	boot $part "$work/initrd" 256 "$append" >"$work/$part.boot" 2>&1 &
	boots="$boots $!"
done
finished=yes
for b in $boots; do
	wait "$b" || finished=no
done
: >"$work/transcript"
for part in plain lockdown; do
	cat "$work/$part.boot"
	cat "$work/$part.out" >>"$work/transcript"
	echo "== the parallel ports printed $(wc -c <"$work/$part.lpt") bytes" >>"$work/transcript"
done
[ $finished = yes ] || exit 1

if same "$here/transcript.expected" "$work/transcript"; then
	case $(od -An -tx1 -j4 -N1 "$prog") in
	*01) bits=32-bit ;;
	*) bits=64-bit ;;
	esac
	echo "transcript as expected: $(grep -c '^status' "$work/transcript") runs of the $bits $prog"
	exit 0
fi
exit 1
