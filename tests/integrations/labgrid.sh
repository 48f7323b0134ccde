#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The shipped labgrid environment (dist/examples/labgrid-env.yaml) through
# Debian 12's labgrid, on the simulated port: our driver (python3-relayswitch
# of debs/ in BUILD-DIR, unpacked and put on Python's path) by labgrid's
# Python API -- on, off, cycle and get, the line as a digital output, invert,
# a busy port, settings refused when the environment makes them -- and by its pytest plugin (pytest --lg-env); then
# PDUDaemonDriver to pdudaemon with the shipped config and our pdudaemon
# driver, relay-pc being this PC. `relayswitch` on PATH is the simulator. In a
# network namespace of the test's own, where pdudaemon listens on
# 127.0.0.1:16421 as shipped. (The board over SSH: qemu.network.)
#
#   labgrid.sh SOURCE-DIR BUILD-DIR
# with $RELAYSWITCH_SIM the simulator. Exit status 0 good, 1 bad (says why),
# 77 skipped for want of a tool (a failure in CI).
set -u
src=$1 build=$2
here=$(cd "$(dirname "$0")" && pwd)
examples=$src/dist/examples
# shellcheck source=../skip.sh
. "$here/../skip.sh"
/usr/bin/python3 -c 'import labgrid, pytest' 2>/dev/null ||
	skip "no labgrid for /usr/bin/python3 (package python3-labgrid)"
command -v pdudaemon >/dev/null || skip "no pdudaemon (package pdudaemon)"
command -v ip >/dev/null || skip "no ip (package iproute2)"
# shellcheck source=lab.sh
. "$here/lab.sh"
echo "on labgrid $(dpkg-query -W -f '${Version}' python3-labgrid)"
sed 's/host: relay-pc:16421/host: 127.0.0.1:16421/' "$examples/labgrid-env.yaml" >"$tmp/env.yaml"
grep -q 'host: 127.0.0.1:16421' "$tmp/env.yaml" || fail "no PDUDaemonPort host in labgrid-env.yaml"

# power TARGET ACTION DRIVER [READ]: the action through labgrid's API, by
# DRIVER; for get, what it read.
power() {
	local want=$3${4+$'\n'$4}
	/usr/bin/python3 "$here/labgrid_power.py" "${env:-$tmp/env.yaml}" "$1" "$2" >"$tmp/labgrid.out" 2>&1 ||
		fail "labgrid $1 $2: $(cat "$tmp/labgrid.out")"
	[ "$(cat "$tmp/labgrid.out")" = "$want" ] || fail "labgrid $1 $2 said: $(paste -sd " " "$tmp/labgrid.out")"
}
printf '0x378 0x80\n0x278 0x00\n' >"$tmp/state"
: >"$tmp/log"
driver=RelaySwitchPowerDriver
power board-local on $driver && check "labgrid local on" 0x84 0x84
power board-local get $driver True && check "labgrid local get, on" 0x84 0x84
power board-local off $driver && check "labgrid local off" 0x80 0x80
power board-local get $driver False && check "labgrid local get, off" 0x80 0x80
power board-local cycle $driver && check "labgrid local cycle" 0x84 "0x80 0x84"
# get reads Data 3 and no other line.
printf '0x378 0xfb\n' >"$tmp/state"
power board-local get $driver False && check "labgrid local get, all on but 3" 0xfb 0xfb

# A port another run holds past the bound: raises with relayswitch's message.
flock -F -x "$tmp/state" sleep 15 &
holder=$!
sleep 0.5
/usr/bin/python3 "$here/labgrid_power.py" "$tmp/env.yaml" board-local off >"$tmp/labgrid.out" 2>&1 &&
	fail "labgrid: a busy port did not raise"
wait $holder
grep -qxF "RelaySwitchError: relayswitch-sim: $tmp/state is busy: locked by another run" "$tmp/labgrid.out" ||
	fail "labgrid raised: $(cat "$tmp/labgrid.out")"
check "labgrid local off, busy" 0xfb ""

# The line as a digital output; a resource with invert: true, by both drivers.
driver=RelaySwitchDigitalOutputDriver
power board-local high $driver && check "labgrid local io high" 0xff 0xff
power board-local read $driver True && check "labgrid local io get, high" 0xff 0xff
power board-local low $driver && check "labgrid local io low" 0xfb 0xfb
sed '0,/index: 3/s//&\n        invert: true/' "$tmp/env.yaml" >"$tmp/inverted.yaml"
env=$tmp/inverted.yaml power board-local read $driver True && check "labgrid inverted io get" 0xfb 0xfb
env=$tmp/inverted.yaml power board-local on RelaySwitchPowerDriver && check "labgrid inverted on" 0xfb 0xfb
env=$tmp/inverted.yaml power board-local low $driver && check "labgrid inverted io low" 0xff 0xff
env=$tmp/inverted.yaml power board-local get RelaySwitchPowerDriver False && check "labgrid inverted get" 0xff 0xff

# Settings refused when the environment makes them: nothing runs.
while IFS='|' read -r from to; do
	sed "0,/$from/s//$to/" "$tmp/env.yaml" >"$tmp/bad.yaml"
	grep -q "$to" "$tmp/bad.yaml" || { fail "no '$from' in labgrid-env.yaml"; continue; }
	/usr/bin/python3 "$here/labgrid_power.py" "$tmp/bad.yaml" board-local on >"$tmp/labgrid.out" 2>&1 &&
		fail "labgrid took $to"
	grep -q '^ValueError: .*, not ' "$tmp/labgrid.out" || fail "labgrid with $to said: $(cat "$tmp/labgrid.out")"
	[ ! -s "$tmp/log" ] || fail "labgrid with $to ran relayswitch"
done <<'BAD'
index: 3|index: 9
index: 3|index: 0
index: 3|index: "03"
port: "378"|port: "37800"
port: "378"|port: "378 "
port: "378"|port: 378
BAD

# labgrid's pytest plugin, as a lab's suite runs it; without the target on a
# coordinator's place (the plugin makes every target: labgrid-remote.sh has
# it).
printf '0x378 0x00\n' >"$tmp/state"
: >"$tmp/log"
/usr/bin/python3 -c 'import sys, yaml; env = yaml.safe_load(open(sys.argv[1])); del env["targets"]["main"]
yaml.safe_dump(env, open(sys.argv[2], "w"))' "$tmp/env.yaml" "$tmp/local.yaml" || exit 1
(cd "$tmp" && /usr/bin/python3 -m pytest -q -p no:cacheprovider --lg-env "$tmp/local.yaml" -k local \
	"$here/labgrid/test_board.py") >"$tmp/pytest.out" 2>&1 || fail "pytest --lg-env: $(cat "$tmp/pytest.out")"
grep -q '^1 passed, 1 deselected' "$tmp/pytest.out" || fail "pytest --lg-env: $(tail -n 3 "$tmp/pytest.out")"
check "pytest --lg-env: off, get, on, get, cycle, get" 0x04 "0x00 0x00 0x04 0x04 0x00 0x04 0x04"

# PDUDaemonDriver, to pdudaemon with the shipped config and our driver.
pdudaemon_up "$examples/pdudaemon.conf" pdudaemon 16421
: >"$tmp/log"
driver=PDUDaemonDriver
power board-pdudaemon off $driver && check "labgrid through pdudaemon off" 0x00 0x00
power board-pdudaemon on $driver && check "labgrid through pdudaemon on" 0x04 0x04
power board-pdudaemon cycle $driver && check "labgrid through pdudaemon cycle" 0x04 "0x00 0x04"
exit $bad
