#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The package on a real Debian, on the releases its users run: Debian 11, 12
# and 13, each a minimal system with systemd (mmdebstrap, cached in CACHE-DIR)
# booted with its own release's kernel on the emulated PC -- the whole system
# as an initramfs, systemd its init. Each gets Debian's build of the package
# (debs/ of BUILD-DIR, made by package.deb) by dpkg -i, a user alice in group
# lp, a boot state of "-a on -3 off" and the unit enabled. Every release boots
# locked down as under Secure Boot (root's unit goes through the driver);
# Debian 12 also plainly (raw I/O, the driver loaded too) and plainly without
# parport_pc, so that only raw I/O reaches the port and a sandbox that forbids
# it can't hide behind the driver. The i386 package goes onto Debian 12 (13 has
# no i386 kernel), as a foreign architecture. After each boot, boot-check
# reports -- the unit, alice's runs, the package's own autopkgtests, a purge;
# the reports together are compared with debian.expected.
#
#   debian.sh BUILD-DIR CACHE-DIR WORKDIR
# Exit status: 0 as expected, 1 not, 77 skipped for want of a tool or of root
# (a failure in CI).
set -u
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
build=$1 cache=$2 work=$3
# shellcheck source=../skip.sh
. "$here/../skip.sh"
command -v mmdebstrap >/dev/null || skip "no mmdebstrap (package mmdebstrap)"
command -v cpio >/dev/null || skip "no cpio (package cpio)"
command -v dpkg-deb >/dev/null || skip "no dpkg-deb"
command -v depmod >/dev/null || skip "no depmod (package kmod)"
[ "$(id -u)" = 0 ] || skip "not root: the Debian system is made with chroot"
# shellcheck source=pc.sh
. "$here/pc.sh"
# shellcheck source=debian-system.sh
. "$here/debian-system.sh"

rm -rf "$work"
mkdir -p "$work" "$cache"
deb=$(ls "$build"/debs/relayswitch_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || skip "no package in $build/debs: package.deb makes it (packages dpkg-dev debhelper)"
arch=$(dpkg-deb -f "$deb" Architecture)
releases="bullseye bookworm trixie"
[ "$arch" = i386 ] && releases=bookworm
# What the releases booted report: their parts of debian.expected.
awk -v want=" $releases " '/^== Debian / { keep = index(want, " " $3 " ") } keep' \
	"$here/debian.expected" >"$work/expected"

# system RELEASE: the release with the package installed and set up, and its
# kernel's parallel-port modules, as an initramfs in $work/RELEASE.initrd.
system() {
	local root=$work/$1
	rm -rf "$root"
	mkdir "$root"
	tar -C "$root" -xf "$cache/$1-systemd.tar" || return 1
	in_root() { chroot "$root" "$@" || { echo "FAILED in Debian $1: $*"; return 1; }; }
	cp "$deb" "$root/tmp/relayswitch.deb"
	# The 32-bit package goes onto the 64-bit system as a foreign architecture.
	[ "$arch" = "$(chroot "$root" dpkg --print-architecture)" ] || in_root dpkg --add-architecture "$arch"
	in_root dpkg -i /tmp/relayswitch.deb >"$work/$1.dpkg.log" || return 1
	in_root adduser --quiet --disabled-password --gecos '' alice || return 1
	in_root adduser --quiet alice lp || return 1
	sed -i 's/^RELAYSWITCH_ARGS=.*/RELAYSWITCH_ARGS="-a on -3 off"/' "$root/etc/default/relayswitch"
	in_root systemctl --quiet enable relayswitch.service 2>"$work/$1.enable.log" || return 1
	add_modules "$root" "$work/$1-kernel" || return 1
	# The package's own autopkgtests, and the report, run once the system is up;
	# the report powers the PC off.
	mkdir -p "$root/usr/local/share/relayswitch"
	cp -r "$src/debian/tests" "$root/usr/local/share/relayswitch/tests"
	install -m 755 "$here/boot-check" "$root/usr/local/sbin/boot-check"
	cat >"$root/etc/systemd/system/boot-check.service" <<'UNIT'
[Unit]
Description=Report what relayswitch did at boot
After=multi-user.target relayswitch.service
[Service]
Type=oneshot
ExecStart=/usr/local/sbin/boot-check
StandardOutput=file:/dev/ttyS1
StandardError=file:/dev/ttyS1
[Install]
WantedBy=multi-user.target
UNIT
	in_root systemctl --quiet enable boot-check.service || return 1
	(cd "$root" && find . | cpio -o -H newc --quiet) >"$work/$1.initrd" || return 1
	rm -rf "$root"
}

: >"$work/transcript"
for release in $releases; do
	base "$release" systemd || exit 1
	system "$release" || exit 1
	ways=lockdown
	[ "$release" = bookworm ] && ways="lockdown plain raw-only"
	for way in $ways; do
		case $way in
		lockdown) append=lockdown=integrity ;;
		plain) append= ;;
		raw-only) append=modprobe.blacklist=parport_pc ;;
		esac
		echo "== Debian $release" >>"$work/transcript"
		boot "$release-$way" "$work/$release.initrd" 1536 "rdinit=/sbin/init $append" || exit 1
		cat "$work/$release-$way.out" >>"$work/transcript"
		echo "== the parallel ports printed $(wc -c <"$work/$release-$way.lpt") bytes" >>"$work/transcript"
	done
done
same "$work/expected" "$work/transcript"
