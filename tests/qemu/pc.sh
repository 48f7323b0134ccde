# SPDX-License-Identifier: GPL-2.0-or-later
# shellcheck shell=bash
# Sourced by the emulated-PC tests, with $here (this directory), $work (a
# scratch directory) and $cache (a directory in the build tree kept between
# runs) set. Finds QEMU and Debian's kernel with its parallel-port modules,
# skipping the test where one is missing (failing it in CI), and boots.
# shellcheck source=../skip.sh
. "$here/../skip.sh"
qemu=$(command -v qemu-system-x86_64) || skip "no qemu-system-x86_64 (package qemu-system-x86)"

# unpack_kernel DEB DIR: the kernel of Debian's kernel package DEB, and its
# modules parport, parport_pc, ppdev and e1000 (QEMU's network card; plain or
# compressed, under /lib or /usr/lib) with the lists of its modules, unpacked
# into DIR; nothing is installed.
unpack_kernel() {
	rm -rf "$2.new"
	mkdir -p "$2.new"
	dpkg-deb --fsys-tarfile "$1" | tar -x -C "$2.new" --wildcards './boot/vmlinuz-*' \
		'*/modules/*/kernel/drivers/parport/parport.ko*' \
		'*/modules/*/kernel/drivers/parport/parport_pc.ko*' \
		'*/modules/*/kernel/drivers/char/ppdev.ko*' '*/modules/*/kernel/drivers/net/ethernet/intel/e1000/e1000.ko*' \
		'*/modules/*/modules.order' \
		'*/modules/*/modules.builtin*' || return 1
	rm -rf "$2"
	mv "$2.new" "$2"
}

# use_kernel DIR: the kernel unpacked there: $kernel, its version $kver, its
# modules' directory $moddir (under /lib or /usr/lib), its modules
# $parport_modules, parport first, and the network card's $net_modules (none
# where an older unpacking left it out).
use_kernel() {
	kernel=$(ls -1 "$1"/boot/vmlinuz-* 2>/dev/null | tail -n 1)
	[ -n "$kernel" ] || skip "no kernel in $1"
	kver=${kernel##*/vmlinuz-}
	moddir=$(ls -d "$1"/lib/modules/"$kver" "$1"/usr/lib/modules/"$kver" 2>/dev/null | head -n 1)
	parport_modules=
	for m in parport/parport parport/parport_pc char/ppdev; do
		ko=$(ls -1 "$moddir"/kernel/drivers/$m.ko* 2>/dev/null | head -n 1)
		[ -r "$ko" ] || skip "no $m module for $kver"
		parport_modules="$parport_modules $ko"
	done
	net_modules=$(ls -1 "$moddir"/kernel/drivers/net/ethernet/intel/e1000/e1000.ko* 2>/dev/null | head -n 1)
}

# Debian's kernel for this machine's release, unpacked from its package into
# the cache once: apt-get download fetches it, nothing is installed.
mkdir -p "$cache"
exec 9>"$cache/lock"
flock 9	# one test at a time fills the cache
if ! ls "$cache"/kernel/boot/vmlinuz-* >/dev/null 2>&1; then
	command -v apt-get >/dev/null && command -v dpkg-deb >/dev/null ||
		skip "no apt-get and dpkg-deb to fetch Debian's kernel"
	image=$(apt-cache depends linux-image-amd64 2>/dev/null | sed -n 's/^ *Depends: \(linux-image-[0-9].*\)/\1/p' |
		head -n 1)
	[ -n "$image" ] || skip "apt knows no linux-image-amd64 (apt-get update; Debian's main archive)"
	rm -rf "$cache/download"
	mkdir "$cache/download"
	(cd "$cache/download" && apt-get download "$image" >download.log 2>&1) ||
		skip "could not download $image: $(tail -n 1 "$cache/download/download.log")"
	unpack_kernel "$cache"/download/*.deb "$cache/kernel" || exit 1
	rm -rf "$cache/download"
fi
flock -u 9
use_kernel "$cache/kernel"

# power_on NAME INITRD MEGABYTES KERNEL-ARGUMENTS [QEMU-OPTION...]: one boot of
# the PC, with two parallel ports at 0x378 and 0x278, until it powers off,
# $pc_limit seconds (300) at most. No network card unless the options give one.
# What it says on its second serial port is then in $work/NAME.out, what its
# parallel ports printed in $work/NAME.lpt.
power_on() {
	local name=$1 initrd=$2 memory=$3 append=$4
	shift 4
	: >"$work/$name.raw"
	: >"$work/$name.lpt1"
	: >"$work/$name.lpt2"
	[ $# -gt 0 ] || set -- -nic none
	timeout "${pc_limit:-300}" "$qemu" -M pc -accel tcg -smp 2 -m "$memory" -display none -monitor none \
		-no-reboot -kernel "$kernel" -initrd "$initrd" \
		-append "console=ttyS0 panic=-1 quiet $append" \
		-serial "file:$work/$name.console" -serial "file:$work/$name.raw" \
		-parallel "file:$work/$name.lpt1" -parallel "file:$work/$name.lpt2" "$@"
	tr -d '\r' <"$work/$name.raw" >"$work/$name.out"
	cat "$work/$name.lpt1" "$work/$name.lpt2" >"$work/$name.lpt"
}

# boot NAME INITRD MEGABYTES KERNEL-ARGUMENTS: boots the PC (power_on) until it
# powers off. A boot is done when NAME.out has the line "== end". An emulated
# boot now and then stalls early (a soft lockup under TCG): one that did not
# finish is tried once more, and the log says so. Fails when the second did
# not finish either.
boot() {
	local name=$1 try
	for try in 1 2; do
		power_on "$@"
		grep -qx '== end' "$work/$name.out" && return 0
		echo "the emulated PC ($name, boot $try) did not finish; its console ends:"
		tail -n 30 "$work/$name.console"
	done
	return 1
}

# same EXPECTED TRANSCRIPT: 0 when they are the same, else shows the difference.
same() {
	diff -u "$1" "$2" && return 0
	echo "the transcript differs from $1"
	return 1
}
