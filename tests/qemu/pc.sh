# SPDX-License-Identifier: GPL-2.0-or-later
# Sourced by the emulated-PC tests, with $here (this directory) and $work (a
# scratch directory) set. Finds QEMU and Debian's kernel with its parallel-port
# modules, skipping the test where one is missing (failing it in CI), and boots.
. "$here/../skip.sh"
qemu=$(command -v qemu-system-x86_64) || skip "no qemu-system-x86_64 (package qemu-system-x86)"
kernel=$(ls -1 /boot/vmlinuz-* 2>/dev/null | sort -V | tail -n 1)
[ -n "$kernel" ] && [ -r "$kernel" ] || skip "no readable kernel in /boot (package linux-image-amd64)"
kver=${kernel#/boot/vmlinuz-}
drivers=/lib/modules/$kver/kernel/drivers
parport_modules="$drivers/parport/parport.ko $drivers/parport/parport_pc.ko $drivers/char/ppdev.ko"
for ko in $parport_modules; do
	[ -r "$ko" ] || skip "no $ko (package linux-image-amd64)"
done

# boot NAME INITRD MEGABYTES KERNEL-ARGUMENTS: boots the PC, with two parallel
# ports at 0x378 and 0x278, until it powers off, 300 s at most. What it says on
# its second serial port is then in $work/NAME.out, what its parallel ports
# printed in $work/NAME.lpt. A boot is done when NAME.out has the line "== end".
# An emulated boot now and then stalls early (a soft lockup under TCG): one that
# did not finish is tried once more, and the log says so. Fails when the second
# did not finish either.
boot() {
	local name=$1 initrd=$2 memory=$3 append=$4 try
	for try in 1 2; do
		: >"$work/$name.raw"
		: >"$work/$name.lpt1"
		: >"$work/$name.lpt2"
		timeout 300 "$qemu" -M pc -accel tcg -smp 2 -m "$memory" -display none -monitor none \
			-no-reboot -kernel "$kernel" -initrd "$initrd" \
			-append "console=ttyS0 panic=-1 quiet $append" \
			-serial "file:$work/$name.console" -serial "file:$work/$name.raw" \
			-parallel "file:$work/$name.lpt1" -parallel "file:$work/$name.lpt2"
		tr -d '\r' <"$work/$name.raw" >"$work/$name.out"
		cat "$work/$name.lpt1" "$work/$name.lpt2" >"$work/$name.lpt"
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
