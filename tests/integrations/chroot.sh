#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# What users run on Debian 13 and 14, there: a chroot of that release made by
# mmdebstrap (once for its list of tools, into CACHE-DIR) with its pdudaemon,
# ansible-core and mosquitto (and, on 14, its lava-dispatcher, labgrid and
# sshd); our packages (relayswitch, python3-relayswitch, relayswitch-ansible,
# relayswitch-mqtt) installed by apt from DEBS-DIR as a user installs them
# (Recommends too), apt asking for nothing that release lacks; in it, on the
# simulator and in a network namespace of the test's own, the pdudaemon
# driver's scenario (pdudaemon-driver.sh, with the shipped pdudaemon.conf),
# the fleet's (ansible.sh, with the collection where the package put it), the
# MQTT bridge's (mqtt.sh, the installed one on that release's paho-mqtt) and,
# on 14, LAVA's (lava.sh, with the shipped lines), labgrid's through its
# coordinator and exporter (labgrid-remote.sh, with the shipped examples) and
# ansible-test sanity on the collection (ansible-sanity.sh).
#
#   chroot.sh trixie|forky SOURCE-DIR DEBS-DIR CACHE-DIR WORKDIR
# with $RELAYSWITCH_SIM the simulator (static: it runs in the chroot as it is).
# Exit status 0 good, 1 bad, 77 skipped for want of a tool or of root (a
# failure in CI).
set -u
here=$(cd "$(dirname "$0")" && pwd)
release=$1 src=$2 debs=$3 cache=$4 work=$5
# shellcheck source=../skip.sh
. "$here/../skip.sh"
[ "$(id -u)" = 0 ] || skip "not root: the Debian $release system is made with chroot"
for tool in mmdebstrap:mmdebstrap unshare:util-linux; do
	command -v "${tool%%:*}" >/dev/null || skip "no ${tool%%:*} (package ${tool#*:})"
done
ours=$(ls "$debs"/relayswitch_*_amd64.deb "$debs"/python3-relayswitch_*_all.deb "$debs"/relayswitch-ansible_*_all.deb \
	"$debs"/relayswitch-mqtt_*_all.deb 2>/dev/null)
[ "$(echo "$ours" | wc -w)" = 4 ] ||
	skip "not all of our packages in $debs: package.deb (package.forky for forky) makes them"

tools=pdudaemon,pdudaemon-client,curl,ansible-core,iproute2,mosquitto,mosquitto-clients,openssl
[ "$release" = forky ] && tools=$tools,lava-dispatcher,labgrid-client,labgrid-exporter,labgrid-coordinator,openssh-server,openssh-client,passwd,pylint,python3-pycodestyle,yamllint,python3-voluptuous,shellcheck
tar=$cache/$release-lab-tools-$(cksum <<<"$tools" | cut -d ' ' -f 1).tar
mkdir -p "$cache"
if [ ! -s "$tar" ]; then
	echo "making a Debian $release with its lab tools in $tar"
	# testing's Release file may be past its date between two of the mirror's runs
	mmdebstrap --quiet --format=tar --variant=apt --include=$tools \
		--aptopt='Acquire::Check-Valid-Until "false"' \
		--dpkgopt='path-exclude=/usr/share/man/*' --dpkgopt='path-exclude=/usr/share/locale/*' \
		--dpkgopt='path-exclude=/usr/share/doc/*' "$release" "$tar.new" || exit 1
	mv "$tar.new" "$tar"
fi
rm -rf "$work"
root=$work/root
mkdir -p "$root/test/build/debs" "$root/test/src/dist" "$root/test/bin"
tar -C "$root" -xf "$tar" || exit 1
cp /etc/resolv.conf "$root/etc/"
cp $ours "$root/tmp/"
chroot "$root" sh -c 'apt-get update -q && apt-get install -y -q -o Acquire::Check-Valid-Until=false /tmp/*.deb' \
	>"$work/install.log" 2>&1 ||
	{ cat "$work/install.log"; echo "FAIL: our packages do not install on $release"; exit 1; }
echo "on $(chroot "$root" dpkg-query -W -f '${Package} ${Version}, ' pdudaemon ansible-core python3-paho-mqtt \
	lava-dispatcher 2>/dev/null)"
cp "$RELAYSWITCH_SIM" "$root/test/relayswitch-sim"
cp "$here/../skip.sh" "$src/dist/examples/pdudaemon.conf" "$root/test/"
cp -r "$here" "$root/test/integrations"
cp -r "$src/dist/examples" "$root/test/src/dist/"
cp -r "$src/ansible" "$root/test/src/"
cp "$debs"/python3-relayswitch_*_all.deb "$root/test/build/debs/"
if [ "$release" = forky ]; then
	# Debian 14's pdudaemon 1.1.1 doesn't start under Python 3.14:
	# asyncio.get_event_loop() raises "There is no current event loop" (mended
	# after 1.1.1, pdudaemon pull request #213). Started with a loop set.
	cat >"$root/test/bin/pdudaemon" <<'SH'
#!/bin/sh
exec python3 -c 'import asyncio, sys; asyncio.set_event_loop(asyncio.new_event_loop()); from pdudaemon import main; sys.exit(main())' "$@"
SH
	chmod +x "$root/test/bin/pdudaemon"
fi
# Debian 13's and 14's pdudaemon read the TCP listener's port with int(), the
# HTTP one's not.
unshare -m --propagation private bash -c '
	mount -t proc proc "$1/proc" && mount --rbind /dev "$1/dev" || exit 1
	in_root() {
		chroot "$1" env PATH=/test/bin:/usr/sbin:/usr/bin:/sbin:/bin RELAYSWITCH_SIM=/test/relayswitch-sim \
			CI="${CI:-}" "${@:2}"
	}
	bad=0
	in_root "$1" unshare -n sh -c "ip link set lo up && exec \"\$@\"" - /test/integrations/pdudaemon-driver.sh \
		/test/relayswitch-sim /test/pdudaemon.conf /test/work tcp || bad=1
	in_root "$1" /test/integrations/ansible.sh /usr/share/ansible/collections || bad=1
	in_root "$1" /test/integrations/mqtt.sh /test/build || bad=1
	if [ "$2" = forky ]; then
		in_root "$1" /test/integrations/lava.sh /test/src /test/build /test/cache || bad=1
		in_root "$1" unshare -n sh -c "ip link set lo up && exec \"\$@\"" - /test/integrations/labgrid-remote.sh \
			/test/relayswitch-sim /test/src/dist/examples /test/labgrid || bad=1
		in_root "$1" /test/integrations/ansible-sanity.sh /test/src/ansible || bad=1
	fi
	exit $bad' - "$root" "$release"
