#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The lab recipes shipped in dist/examples, through the real tools and on the
# simulated port: pdudaemon started with pdudaemon.conf, asked over HTTP (and
# by pduclient, as LAVA's device dictionary asks it); labgrid's Python API
# with labgrid-env.yaml, by ExternalPowerDriver and by PDUDaemonDriver to that
# pdudaemon; and the LAVA lines of lava-device.jinja2 run as LAVA runs them.
# `relayswitch` on PATH is the simulator, so the shipped command lines run as
# they stand. Everything runs in a network namespace of its own, where
# pdudaemon listens on 127.0.0.1:16421 as shipped.
#
#   pdudaemon.sh SOURCE-DIR
# with $RELAYSWITCH_SIM the simulator. Exit status 0 good, 1 bad (says why),
# 77 skipped for want of a tool (a failure in CI).
set -u
src=$1
here=$(cd "$(dirname "$0")" && pwd)
examples=$src/dist/examples
. "$here/../skip.sh"
command -v pdudaemon >/dev/null || skip "no pdudaemon (package pdudaemon)"
command -v pduclient >/dev/null || skip "no pduclient (package pdudaemon-client)"
/usr/bin/python3 -c 'import labgrid' 2>/dev/null || skip "no labgrid for /usr/bin/python3 (package python3-labgrid)"
command -v ip >/dev/null || skip "no ip (package iproute2)"
if [ "${PDUDAEMON_TEST_NETNS:-}" != 1 ]; then
	# A loopback of the test's own: root's, or a user namespace's.
	flags=-n
	[ "$(id -u)" = 0 ] || flags=-rn
	PDUDAEMON_TEST_NETNS=1 exec unshare $flags "$0" "$@"
fi
ip link set lo up || exit 1

tmp=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; wait; rm -rf "$tmp"' EXIT
bad=0
fail() {
	echo "FAIL: $*"
	bad=1
}
mkdir "$tmp/bin"
ln -s "$RELAYSWITCH_SIM" "$tmp/bin/relayswitch"
export PATH=$tmp/bin:$PATH RELAYSWITCH_SIM_STATE=$tmp/state RELAYSWITCH_SIM_LOG=$tmp/log HOME=$tmp
printf '0x378 0x80\n0x278 0x00\n' >"$tmp/state"

# latch PORT: the simulated data latch at PORT now, 0x.. .
latch() {
	sed -n "s/^$1 //p" "$tmp/state"
}
# writes: the bytes the runs since the last call wrote to 0x378, in order.
writes() {
	sed -n 's/^outb 0x378 //p' "$tmp/log" | paste -sd ' '
	: >"$tmp/log"
}
# check WHAT LATCH WRITES: the latch at 0x378 and what was written to it.
check() {
	local got
	got=$(latch 0x378)
	[ "$got" = "$2" ] || fail "$1: the latch is $got, not $2"
	got=$(writes)
	[ "$got" = "$3" ] || fail "$1: the runs wrote '$got', not '$3'"
}

# pdudaemon with the shipped config, its log and its standard error (where
# the commands' messages go: the journal, under systemd) kept.
pdudaemon --conf "$examples/pdudaemon.conf" --logfile "$tmp/pdudaemon.log" --loglevel INFO \
	>"$tmp/pdudaemon.err" 2>&1 &
for _ in $(seq 100); do
	grep -q 'Listening on 127.0.0.1:16421' "$tmp/pdudaemon.log" 2>/dev/null && break
	sleep 0.2
done
grep -q 'Listening on 127.0.0.1:16421' "$tmp/pdudaemon.log" ||
	{ cat "$tmp/pdudaemon.log" "$tmp/pdudaemon.err"; echo "FAIL: pdudaemon did not start"; exit 1; }
# ask REQUEST PDU PORT [DELAY]: an HTTP request as labgrid and pduclient send it.
ask() {
	curl -sS --max-time 30 "http://127.0.0.1:16421/power/control/$1?hostname=$2&port=$3${4:+&delay=$4}"
}

: >"$tmp/log"
ask on relays-378 3 >"$tmp/answer" && check "pdudaemon on 3" 0x84 0x84
ask off relays-378 8 >>"$tmp/answer" && check "pdudaemon off 8" 0x04 0x04
ask reboot relays-378 3 1 >>"$tmp/answer" && check "pdudaemon reboot 3" 0x04 "0x00 0x04"
ask on relays-278 2 >>"$tmp/answer" && check "pdudaemon on 2 of 0x278" 0x04 ""
[ "$(latch 0x278)" = 0x02 ] || fail "pdudaemon on 2 of relays-278: 0x278 is $(latch 0x278)"
[ "$(grep -c 'OK - accepted request' "$tmp/answer")" = 4 ] || fail "pdudaemon answered: $(cat "$tmp/answer")"

# A run that fails (the port busy past the bound): pdudaemon still answers OK,
# but the program's message is in what pdudaemon logs, with the request.
flock -F -x "$tmp/state" sleep 60 &
holder=$!
sleep 0.5
ask on relays-378 5 >/dev/null
kill $holder
wait $holder 2>/dev/null
check "pdudaemon on 5, busy" 0x04 ""
grep -qF "relayswitch-sim: $tmp/state is busy: locked by another run" "$tmp/pdudaemon.err" ||
	fail "the failed run's message is not in pdudaemon's output: $(cat "$tmp/pdudaemon.err")"
grep -q 'Processing job for PDU relays-378: (on 5)' "$tmp/pdudaemon.log" || fail "pdudaemon did not log the job"

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

# The LAVA device-dictionary lines, each set as LAVA runs it (a list in order,
# any failure an error): the pduclient set, then the relayswitch set.
lava() {
	/usr/bin/python3 - "$1" "$2" <<'PY'
import json, re, sys
import jinja2
text = open(sys.argv[1]).read()
if sys.argv[2] == 'direct':
    text = re.sub(r'^\{# (\{%.*%\}) #\}$', r'\1', text, flags=re.M)
t = jinja2.Environment().from_string(text + '{{ [power_on_command, power_off_command, hard_reset_command] | tojson }}')
for command in json.loads(t.render().split('\n')[-1]):
    print(json.dumps(command if isinstance(command, list) else [command]))
PY
}
for set in pdudaemon direct; do
	sed 's/--daemon relay-pc /--daemon 127.0.0.1 /' "$examples/lava-device.jinja2" >"$tmp/device.jinja2"
	lava "$tmp/device.jinja2" $set >"$tmp/lava.$set" || fail "lava-device.jinja2 did not render"
	n=0
	while read -r commands; do
		n=$((n + 1))
		/usr/bin/python3 -c 'import json, subprocess, sys
for c in json.loads(sys.argv[1]):
    subprocess.run(c, shell=True, check=True, timeout=60)' "$commands" >"$tmp/lava.out" 2>&1 || fail "LAVA ($set) $commands: $(cat "$tmp/lava.out")"
		case $n in
		1) check "LAVA ($set) power on" 0x04 0x04 ;;
		2) check "LAVA ($set) power off" 0x00 0x00 ;;
		3) check "LAVA ($set) hard reset" 0x04 "0x00 0x04" ;;
		esac
	done <"$tmp/lava.$set"
	[ $n = 3 ] || fail "LAVA ($set): $n commands, not 3"
	grep -q relayswitch "$tmp/lava.$set" || [ $set = pdudaemon ] || fail "LAVA ($set) runs no relayswitch"
done
if [ $bad = 1 ]; then
	echo "== pdudaemon's log"
	cat "$tmp/pdudaemon.log" "$tmp/pdudaemon.err"
fi
exit $bad
