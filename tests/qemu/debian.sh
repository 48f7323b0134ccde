#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The package on a real Debian: a minimal Debian 12 with systemd (mmdebstrap,
# cached in CACHE-DIR) gets the package built in BUILD-DIR by dpkg -i, a user
# alice in group lp, a boot state of "-a on -3 off" and the unit enabled, and is
# booted on the emulated PC -- the whole system as an initramfs, systemd its
# init -- three ways: locked down as under Secure Boot (root's unit goes through
# the driver), plainly (raw I/O, the driver loaded too), and plainly without
# parport_pc, so that only raw I/O reaches the port and a sandbox that forbids
# it can't hide behind the driver. After each boot, boot-check reports; the
# three reports together are compared with debian.expected.
#
#   debian.sh BUILD-DIR CACHE-DIR WORKDIR
# Exit status: 0 as expected, 1 not, 77 skipped for want of a tool or of root
# (a failure in CI).
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=$1 cache=$2 work=$3
. "$here/../skip.sh"
command -v mmdebstrap >/dev/null || skip "no mmdebstrap (package mmdebstrap)"
command -v cpio >/dev/null || skip "no cpio (package cpio)"
command -v dpkg-deb >/dev/null || skip "no dpkg-deb"
[ "$(id -u)" = 0 ] || skip "not root: the Debian system is made with chroot"
. "$here/pc.sh"

rm -rf "$work"
mkdir -p "$work/pkg" "$cache"
(cd "$build" && cpack -G DEB -B "$work/pkg" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/pkg/relayswitch_*.deb)

# The base system, made once: Debian's minimal variant with systemd as init.
base=$cache/bookworm-systemd.tar
if [ ! -s "$base" ]; then
	echo "making a minimal Debian 12 in $base"
	rm -rf "$base.new"
	mmdebstrap --quiet --format=tar --variant=minbase --include=systemd-sysv,udev,kmod,adduser \
		--dpkgopt='path-exclude=/usr/share/man/*' --dpkgopt='path-exclude=/usr/share/locale/*' \
		--dpkgopt='path-exclude=/usr/share/doc/*' bookworm "$base.new" || exit 1
	mv "$base.new" "$base"
fi

root=$work/root
mkdir "$root"
tar -C "$root" -xf "$base" || exit 1
in_root() { chroot "$root" "$@" || { echo "FAILED in the Debian system: $*"; exit 1; }; }
cp "$deb" "$root/tmp/relayswitch.deb"
# The 32-bit package goes onto the 64-bit system as a foreign architecture.
arch=$(dpkg-deb -f "$deb" Architecture)
[ "$arch" = "$(chroot "$root" dpkg --print-architecture)" ] || in_root dpkg --add-architecture "$arch"
in_root dpkg -i /tmp/relayswitch.deb >"$work/dpkg.log"
in_root adduser --quiet --disabled-password --gecos '' alice
in_root adduser --quiet alice lp
sed -i 's/^RELAYSWITCH_ARGS=.*/RELAYSWITCH_ARGS="-a on -3 off"/' "$root/etc/default/relayswitch"
in_root systemctl --quiet enable relayswitch.service
systemd-analyze security --offline=yes --root="$root" relayswitch.service 2>/dev/null | tail -n 1
# The kernel's parallel-port modules, found by modprobe as on any Debian.
mkdir -p "$root/lib/modules/$kver/kernel/drivers/parport" "$root/lib/modules/$kver/kernel/drivers/char"
cp $parport_modules "$root/lib/modules/$kver/kernel/drivers/parport/"
mv "$root/lib/modules/$kver/kernel/drivers/parport/ppdev.ko" "$root/lib/modules/$kver/kernel/drivers/char/"
depmod -b "$root" "$kver" || exit 1
# The report, run once the system is up; it powers the PC off.
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
in_root systemctl --quiet enable boot-check.service
(cd "$root" && find . | cpio -o -H newc --quiet) >"$work/initrd" || exit 1

: >"$work/transcript"
for way in lockdown plain raw-only; do
	case $way in
	lockdown) append=lockdown=integrity ;;
	plain) append= ;;
	raw-only) append=modprobe.blacklist=parport_pc ;;
	esac
	boot $way "$work/initrd" 1536 "rdinit=/sbin/init $append"
	cat "$work/$way.out" >>"$work/transcript"
	echo "== the parallel ports printed $(wc -c <"$work/$way.lpt") bytes" >>"$work/transcript"
done
same "$here/debian.expected" "$work/transcript"
