#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The lab recipes shipped in dist/examples, through Debian 12's tools and on
# the simulated port: pdudaemon with pdudaemon.conf and our driver (the
# python3-relayswitch package of debs/ in BUILD-DIR, unpacked and put on
# Python's path), by pdudaemon-driver.sh; then labgrid's Python API with
# labgrid-env.yaml, by ExternalPowerDriver and by PDUDaemonDriver to that
# pdudaemon. `relayswitch` on PATH is the simulator, so the shipped command
# lines run as they stand. Everything runs in a network namespace of its own,
# where pdudaemon listens on 127.0.0.1:16421 as shipped.
#
#   pdudaemon.sh SOURCE-DIR BUILD-DIR
# with $RELAYSWITCH_SIM the simulator. Exit status 0 good, 1 bad (says why),
# 77 skipped for want of a tool (a failure in CI).
set -u
src=$1 build=$2
here=$(cd "$(dirname "$0")" && pwd)
examples=$src/dist/examples
. "$here/../skip.sh"
command -v pdudaemon >/dev/null || skip "no pdudaemon (package pdudaemon)"
/usr/bin/python3 -c 'import labgrid' 2>/dev/null || skip "no labgrid for /usr/bin/python3 (package python3-labgrid)"
command -v ip >/dev/null || skip "no ip (package iproute2)"
deb=$(ls "$build"/debs/python3-relayswitch_*_all.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || skip "no python3-relayswitch in $build/debs: package.deb makes it (packages dpkg-dev debhelper)"
if [ "${PDUDAEMON_TEST_NETNS:-}" != 1 ]; then
	# A loopback of the test's own: root's, or a user namespace's.
	flags=-n
	[ "$(id -u)" = 0 ] || flags=-rn
	PDUDAEMON_TEST_NETNS=1 exec unshare $flags "$0" "$@"
fi
ip link set lo up || exit 1

tmp=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; wait; rm -rf "$tmp"' EXIT
. "$here/sim.sh"
with_driver "$deb"
echo "on pdudaemon $(dpkg-query -W -f '${Version}' pdudaemon)"
# Debian 12's pdudaemon reads the port with int() by HTTP and TCP alike.
"$here/pdudaemon-driver.sh" "$RELAYSWITCH_SIM" "$examples/pdudaemon.conf" "$tmp/driver" http tcp || bad=1

mkdir "$tmp/bin"
ln -s "$RELAYSWITCH_SIM" "$tmp/bin/relayswitch"
export PATH=$tmp/bin:$PATH
printf '0x378 0x04\n0x278 0x00\n' >"$tmp/state"

# pdudaemon with the shipped config, for labgrid's PDUDaemonDriver.
pdudaemon_up "$examples/pdudaemon.conf" pdudaemon 16421
: >"$tmp/log"

# labgrid, with the shipped environment: this PC's pdudaemon is relay-pc.
sed 's/host: relay-pc:16421/host: 127.0.0.1:16421/' "$examples/labgrid-env.yaml" >"$tmp/env.yaml"
grep -q 'host: 127.0.0.1:16421' "$tmp/env.yaml" || fail "no PDUDaemonPort host in labgrid-env.yaml"
# power TARGET ACTION DRIVER: the action through labgrid, by DRIVER.
power() {
	/usr/bin/python3 "$here/labgrid_power.py" "$tmp/env.yaml" "$1" "$2" >"$tmp/labgrid.out" 2>&1 ||
		fail "labgrid $1 $2: $(cat "$tmp/labgrid.out")"
	[ "$(head -n 1 "$tmp/labgrid.out")" = "$3" ] || fail "labgrid $1 $2 went by $(head -n 1 "$tmp/labgrid.out")"
}
power board-local off ExternalPowerDriver && check "labgrid local off" 0x00 0x00
power board-local on ExternalPowerDriver && check "labgrid local on" 0x04 0x04
power board-local cycle ExternalPowerDriver && check "labgrid local cycle" 0x04 "0x00 0x04"
power board-remote off PDUDaemonDriver && check "labgrid remote off" 0x00 0x00
power board-remote on PDUDaemonDriver && check "labgrid remote on" 0x04 0x04
power board-remote cycle PDUDaemonDriver && check "labgrid remote cycle" 0x04 "0x00 0x04"
# ExternalPowerDriver: a failed run raises.
flock -F -x "$tmp/state" sleep 60 &
holder=$!
sleep 0.5
/usr/bin/python3 "$here/labgrid_power.py" "$tmp/env.yaml" board-local off >"$tmp/labgrid.out" 2>&1 &&
	fail "labgrid: a busy port did not raise"
kill $holder
wait $holder 2>/dev/null
grep -q "^CalledProcessError: Command '\['relayswitch', '-p', '378', '-3', 'off'\]' returned non-zero exit status 1" \
	"$tmp/labgrid.out" || fail "labgrid raised: $(cat "$tmp/labgrid.out")"
check "labgrid local off, busy" 0x04 ""

if [ $bad = 1 ]; then
	echo "== pdudaemon's log"
	cat "$tmp/pdudaemon.log" "$tmp/pdudaemon.err"
fi
exit $bad
