# SPDX-License-Identifier: GPL-2.0-or-later
# shellcheck shell=bash
# Sourced by the tests that boot a real Debian on the emulated PC, after
# pc.sh, with $cache and $work set: a release's minimal system, made once,
# and its kernel's modules put where modprobe finds them.

# base RELEASE VARIANT [PACKAGE...]: the release's minimal system with systemd
# and the packages named, as $cache/RELEASE-VARIANT.tar, and its kernel package
# fetched from the same archive, made once into the cache; the kernel unpacked
# into $work/RELEASE-kernel. Manual pages, translations and documentation are
# left out, but for relayswitch's own.
base() {
	local release=$1 tar=$cache/$1-$2.tar include=systemd-sysv,udev,kmod,adduser
	shift 2
	for p in "$@"; do include=$include,$p; done
	if [ ! -s "$tar" ] || [ ! -s "$cache/$release-kernel.deb" ]; then
		echo "making a minimal Debian $release in $tar"
		rm -rf "$tar.new" "$cache/$release-kernel.deb"
		mmdebstrap --quiet --format=tar --variant=minbase --include="$include" \
			--dpkgopt='path-exclude=/usr/share/man/*' --dpkgopt='path-exclude=/usr/share/locale/*' \
			--dpkgopt='path-exclude=/usr/share/doc/*' \
			--dpkgopt='path-include=/usr/share/doc/relayswitch*' \
			--customize-hook='chroot "$1" sh -c "cd /tmp && apt-get download -q \$(apt-cache depends linux-image-amd64 | sed -n \"s/^ *Depends: \\(linux-image-[0-9].*\\)/\\1/p\" | head -n 1)" >/dev/null' \
			--customize-hook='mv "$1"/tmp/linux-image-*.deb '"$cache/$release-kernel.deb" \
			"$release" "$tar.new" || return 1
		mv "$tar.new" "$tar"
	fi
	unpack_kernel "$cache/$release-kernel.deb" "$work/$release-kernel" || return 1
}

# add_modules ROOT KERNEL-DIR: the parallel-port modules and the network
# card's of the kernel unpacked in KERNEL-DIR, where modprobe finds them on the
# system in ROOT, as on any Debian. Sets $kver.
add_modules() {
	local root=$1 ko
	use_kernel "$2"
	local mods=$root/lib/modules/$kver/kernel/drivers
	mkdir -p "$mods/parport" "$mods/char" "$mods/net"
	for ko in $parport_modules; do
		case $ko in
		*/ppdev.ko*) cp "$ko" "$mods/char/" ;;
		*) cp "$ko" "$mods/parport/" ;;
		esac
	done
	[ -z "$net_modules" ] || cp $net_modules "$mods/net/"
	cp "$moddir"/modules.order "$moddir"/modules.builtin* "$root/lib/modules/$kver/" 2>/dev/null
	depmod -b "$root" "$kver"
}
