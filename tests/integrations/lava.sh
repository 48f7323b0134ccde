#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The shipped LAVA device-dictionary lines (dist/examples/lava-device.jinja2)
# through LAVA's own dispatcher, lava-run (Debian 12's here, Debian 14's in
# chroot.sh): the device's YAML is
# rendered by LAVA's templates (base.jinja2 from Debian's lava-server package,
# unpacked into CACHE-DIR, not installed) under a device type of the test's own
# (lava/relayboard.jinja2, booted by the minimal method), and a job that resets
# the board (lava/reset.yaml) runs the power commands on the simulated port:
# both the relayswitch set and the pduclient set, the latter to pdudaemon with
# our driver (python3-relayswitch of debs/ in BUILD-DIR) on 127.0.0.1 of a
# network namespace of the test's own. A job on a port another run holds past
# the bound ends Incomplete with relayswitch's set; through pdudaemon too where
# it answers with the outcome (1.0 on), and Complete through an older one,
# which answers OK all the same: the failure is in its log.
#
#   lava.sh SOURCE-DIR BUILD-DIR CACHE-DIR
# with $RELAYSWITCH_SIM the simulator. Exit status 0 good, 1 bad, 77 skipped
# for want of a tool or of root (a failure in CI).
set -u
src=$1 build=$2 cache=$3
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../skip.sh
. "$here/../skip.sh"
[ "$(id -u)" = 0 ] || skip "not root: lava-run works in /var/lib/lava"
command -v lava-run >/dev/null || skip "no lava-run (package lava-dispatcher)"
command -v pdudaemon >/dev/null || skip "no pdudaemon (package pdudaemon)"
command -v pduclient >/dev/null || skip "no pduclient (package pdudaemon-client)"
command -v ip >/dev/null || skip "no ip (package iproute2)"
types=$cache/lava-server/usr/share/lava-server/device-types
if [ ! -f "$types/base.jinja2" ]; then
	rm -rf "$cache/lava-server"
	mkdir -p "$cache/lava-server"
	(cd "$cache/lava-server" && apt-get download -q -o APT::Sandbox::User=root lava-server >/dev/null && dpkg-deb -x lava-server_*.deb .) ||
		{ echo "FAIL: could not fetch Debian's lava-server for its device-type templates"; exit 1; }
fi
# shellcheck source=lab.sh
. "$here/lab.sh"
echo "on lava-dispatcher $(dpkg-query -W -f '${Version}' lava-dispatcher)"

# pdudaemon as shipped, but tried once, so that a busy port is given up on
# within the job's reset.
sed 's/"retries": 3/"retries": 1/' "$src/dist/examples/pdudaemon.conf" >"$tmp/pdudaemon.conf"
pdudaemon_up "$tmp/pdudaemon.conf" pdudaemon 16421

# device SET: the device's YAML with the shipped lines of SET (pdudaemon: as
# shipped, relay-pc being this PC; relayswitch: its lines uncommented), its
# console a shell, rendered as LAVA renders a device dictionary.
device() {
	/usr/bin/python3 - "$src/dist/examples/lava-device.jinja2" "$1" "$here/lava" "$types" >"$tmp/device.yaml" <<'PY'
import re, sys
import jinja2, yaml
lines, which, ours, lavas = sys.argv[1:5]
text = open(lines).read().replace('--daemon relay-pc ', '--daemon 127.0.0.1 ')
if which == 'relayswitch':
    text = re.sub(r"^\{# (\{% set \w+ = \[?'relayswitch .*%\}) #\}$", r'\1', text, flags=re.M)
text = "{% extends 'relayboard.jinja2' %}\n{% set connection_command = 'sh' %}\n" + text
env = jinja2.Environment(loader=jinja2.FileSystemLoader([ours, lavas]), trim_blocks=True, autoescape=False)
out = env.from_string(text).render()
commands = yaml.safe_load(out)['commands']
assert ('relayswitch' if which == 'relayswitch' else 'pduclient') in str(commands['hard_reset']), commands
print(out)
PY
}
# job NAME: the reset job on the device; its status, and what LAVA said of the
# job (result, error_type, error_msg).
job() {
	lava-run --job-id "$1" --output-dir "$tmp/out.$1" --device "$tmp/device.yaml" "$here/lava/reset.yaml" \
		>"$tmp/lava.$1" 2>&1
	echo "status $? $(/usr/bin/python3 - "$tmp/lava.$1" <<'PY'
import json, sys
for line in open(sys.argv[1]):
    try:
        said = json.loads(line)['msg']
    except (ValueError, KeyError, TypeError):
        continue
    if isinstance(said, dict) and said.get('case') == 'job':
        print(' '.join('%s=%s' % (k, said[k]) for k in ('result', 'error_type', 'error_msg') if k in said))
PY
)"
}
# came WHAT GOT WANT JOB: what the job came to, as it should (WANT a pattern).
came() {
	# shellcheck disable=SC2254 # WANT is a pattern
	case $2 in
	$3) ;;
	*) fail "$1: $2"; grep '"lvl": "\(error\|results\)"' "$tmp/lava.$4" | tail -n 4 ;;
	esac
}
# hold SECONDS: another run holding the port (the simulator's state) meanwhile.
hold() {
	flock -F -x "$tmp/state" sleep "$1" &
	holder=$!
	sleep 0.5
}

for set in relayswitch pdudaemon; do
	device $set || { fail "lava-device.jinja2 ($set) did not render as a device"; continue; }
	printf '0x378 0x80\n' >"$tmp/state"
	: >"$tmp/log"
	got=$(job $set)
	came "LAVA, $set's lines" "$got" 'status 0 result=pass' $set
	[ "$(writes)" = "0x80 0x84 0x80" ] || fail "LAVA, $set's lines: the reset and power off wrote otherwise"
	hold 20
	got=$(job $set-busy)
	wait $holder
	case $set in
	relayswitch) came "LAVA, $set's lines, the port busy" "$got" \
		"status 1 result=fail error_type=Infrastructure error_msg=Unable to reboot: 'relayswitch -p 378 -3 off' failed" \
		$set-busy ;;
	pdudaemon) if [ $answers_outcome = 1 ]; then
			came "LAVA, $set's lines, the port busy" "$got" \
				"status 1 result=fail error_type=Infrastructure error_msg=Unable to reboot: 'pduclient * --command reboot --delay 5' failed" \
				$set-busy
		else
			came "LAVA, $set's lines, the port busy: the job goes on" "$got" 'status 0 result=pass' $set-busy
		fi
		grep -q 'Failed to execute job: 3 off (attempts left 0)' "$tmp/pdudaemon.log" &&
			grep -qF "relayswitch-sim: $tmp/state is busy: locked by another run" "$tmp/pdudaemon.log" ||
			fail "pdudaemon's log does not show the busy port" ;;
	esac
	grep -q "relayswitch-sim: $tmp/state is busy" "$tmp/lava.$set-busy" || [ $set = pdudaemon ] ||
		fail "LAVA's log does not show relayswitch's message"
done
[ $bad = 0 ] || cat "$tmp/pdudaemon.log"
exit $bad
