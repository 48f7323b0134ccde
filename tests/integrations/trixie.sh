#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# What users run on Debian 13, there: a trixie chroot made by mmdebstrap (once,
# into CACHE-DIR) with Debian 13's pdudaemon, our python3-relayswitch from
# debs/ of BUILD-DIR installed by dpkg, and the pdudaemon driver's scenario
# (pdudaemon-driver.sh) run in it on the simulator, with the shipped
# pdudaemon.conf, in a network and mount namespace of the test's own.
#
#   trixie.sh SOURCE-DIR BUILD-DIR CACHE-DIR WORKDIR
# with $RELAYSWITCH_SIM the simulator (static: it runs in the chroot as it is).
# Exit status 0 good, 1 bad, 77 skipped for want of a tool or of root (a
# failure in CI).
set -u
here=$(cd "$(dirname "$0")" && pwd)
src=$1 build=$2 cache=$3 work=$4
. "$here/../skip.sh"
[ "$(id -u)" = 0 ] || skip "not root: the Debian 13 system is made with chroot"
for tool in mmdebstrap:mmdebstrap unshare:util-linux ip:iproute2; do
	command -v "${tool%%:*}" >/dev/null || skip "no ${tool%%:*} (package ${tool#*:})"
done
deb=$(ls "$build"/debs/python3-relayswitch_*_all.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || skip "no python3-relayswitch in $build/debs: package.deb makes it (packages dpkg-dev debhelper)"

tar=$cache/trixie-labs.tar
mkdir -p "$cache"
if [ ! -s "$tar" ]; then
	echo "making a Debian 13 with its lab tools in $tar"
	mmdebstrap --quiet --format=tar --variant=apt --include=pdudaemon,curl,python3-pkg-resources,ansible-core \
		--dpkgopt='path-exclude=/usr/share/man/*' --dpkgopt='path-exclude=/usr/share/locale/*' \
		--dpkgopt='path-exclude=/usr/share/doc/*' trixie "$tar.new" || exit 1
	mv "$tar.new" "$tar"
fi
rm -rf "$work"
root=$work/root
mkdir -p "$root"
tar -C "$root" -xf "$tar" || exit 1
cp "$deb" "$root/tmp/python3-relayswitch.deb"
chroot "$root" dpkg -i /tmp/python3-relayswitch.deb >"$work/dpkg.log" 2>&1 ||
	{ cat "$work/dpkg.log"; echo "FAIL: python3-relayswitch does not install on Debian 13"; exit 1; }
echo "on $(chroot "$root" dpkg-query -W -f '${Package} ${Version}' pdudaemon)"
mkdir -p "$root/test"
cp "$RELAYSWITCH_SIM" "$root/test/relayswitch-sim"
cp "$here/pdudaemon-driver.sh" "$here/sim.sh" "$src/dist/examples/pdudaemon.conf" "$root/test/"
# Debian 13's pdudaemon reads the TCP listener's port with int(), the HTTP
# one's not.
unshare -n -m --propagation private bash -c '
	ip link set lo up && mount -t proc proc "$1/proc" && mount --rbind /dev "$1/dev" &&
	chroot "$1" /test/pdudaemon-driver.sh /test/relayswitch-sim /test/pdudaemon.conf /test/work tcp' \
	- "$root"
