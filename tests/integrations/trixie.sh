#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# What users run on Debian 13, there: a trixie chroot made by mmdebstrap (once,
# into CACHE-DIR) with Debian 13's pdudaemon and ansible-core, our
# python3-relayswitch and relayswitch-ansible from debs/ of BUILD-DIR
# installed by dpkg; in it, on the simulator and in a network and mount
# namespace of the test's own, the pdudaemon driver's scenario
# (pdudaemon-driver.sh, with the shipped pdudaemon.conf) and the fleet's
# (ansible.sh, with the collection where the package put it).
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
debs=$(ls "$build"/debs/python3-relayswitch_*_all.deb "$build"/debs/relayswitch-ansible_*_all.deb 2>/dev/null)
[ "$(echo "$debs" | wc -w)" = 2 ] ||
	skip "no python3-relayswitch and relayswitch-ansible in $build/debs: package.deb makes them (packages dpkg-dev debhelper)"

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
cp $debs "$root/tmp/"
chroot "$root" sh -c 'dpkg -i /tmp/*.deb' >"$work/dpkg.log" 2>&1 ||
	{ cat "$work/dpkg.log"; echo "FAIL: python3-relayswitch or relayswitch-ansible does not install on Debian 13"; exit 1; }
echo "on $(chroot "$root" dpkg-query -W -f '${Package} ${Version}, ' pdudaemon ansible-core)"
mkdir -p "$root/test/integrations"
cp "$RELAYSWITCH_SIM" "$root/test/relayswitch-sim"
cp "$here/../skip.sh" "$src/dist/examples/pdudaemon.conf" "$root/test/"
cp "$here/pdudaemon-driver.sh" "$here/sim.sh" "$here/ansible.sh" "$root/test/integrations/"
# Debian 13's pdudaemon reads the TCP listener's port with int(), the HTTP
# one's not.
unshare -n -m --propagation private bash -c '
	ip link set lo up && mount -t proc proc "$1/proc" && mount --rbind /dev "$1/dev" || exit 1
	bad=0
	chroot "$1" /test/integrations/pdudaemon-driver.sh /test/relayswitch-sim /test/pdudaemon.conf \
		/test/work tcp || bad=1
	chroot "$1" env RELAYSWITCH_SIM=/test/relayswitch-sim CI="${CI:-}" \
		/test/integrations/ansible.sh /usr/share/ansible/collections || bad=1
	exit $bad' - "$root"
