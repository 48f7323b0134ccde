#!/usr/bin/env bash
# Boots a PC in QEMU (software emulation) with two parallel ports, runs the
# scenario with the given relayswitch on it and compares the transcript with
# the expected one. The program makes the same ioperm/inb/outb calls there as
# on a user's machine, and the emulated data registers latch what it wrote.
#
#   run.sh RELAYSWITCH ASUSER WORKDIR
# Exit status: 0 same transcript, 1 different (the diff is shown), 77 skipped
# because QEMU, a kernel, a static busybox or cpio is missing -- except in CI
# (CI=true), where a missing tool fails the test.
set -u
here=$(cd "$(dirname "$0")" && pwd)
prog=$1 asuser=$2 work=$3

. "$here/../skip.sh"
qemu=$(command -v qemu-system-x86_64) || skip "no qemu-system-x86_64 (package qemu-system-x86)"
kernel=$(ls -1 /boot/vmlinuz-* 2>/dev/null | sort -V | tail -n 1)
[ -n "$kernel" ] && [ -r "$kernel" ] || skip "no readable kernel in /boot (package linux-image-amd64)"
busybox=$(command -v busybox) || skip "no busybox (package busybox-static)"
if readelf -l "$busybox" 2>/dev/null | grep -q INTERP; then
	skip "$busybox is not static (package busybox-static)"
fi
command -v cpio >/dev/null || skip "no cpio (package cpio)"

rm -rf "$work"
mkdir -p "$work/root/bin"
cp "$busybox" "$work/root/bin/busybox"
cp "$prog" "$work/root/bin/relayswitch"
cp "$asuser" "$work/root/bin/asuser"
cp "$here/init" "$here/scenario.sh" "$work/root/"
chmod 755 "$work/root/init"
(cd "$work/root" && find . | cpio -o -H newc --quiet) >"$work/initrd" || exit 1

: >"$work/transcript.raw"
timeout 900 "$qemu" -M pc -accel tcg -m 256 -display none -monitor none -no-reboot \
	-kernel "$kernel" -initrd "$work/initrd" -append "console=ttyS0 panic=-1 quiet" \
	-serial "file:$work/console.log" -serial "file:$work/transcript.raw" \
	-parallel file:/dev/null -parallel file:/dev/null
tr -d '\r' <"$work/transcript.raw" >"$work/transcript"

if ! grep -qx '== end' "$work/transcript"; then
	echo "the emulated PC did not finish the scenario; its console ends:"
	tail -n 30 "$work/console.log"
fi
if diff -u "$here/transcript.expected" "$work/transcript"; then
	case $(od -An -tx1 -j4 -N1 "$prog") in
	*01) bits=32-bit ;;
	*) bits=64-bit ;;
	esac
	echo "transcript as expected: $(grep -c '^status' "$work/transcript") runs of the $bits $prog"
	exit 0
fi
exit 1
