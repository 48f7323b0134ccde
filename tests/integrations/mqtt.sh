#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# relayswitch-mqtt as Home Assistant meets it (mosquitto_pub, mosquitto_sub),
# on the simulated port, with the shipped mqtt.conf, through Debian's
# mosquitto on 127.0.0.1 of a network namespace of the test's own: plainly,
# and with TLS (by a CA made here) and a password. The package of debs/ in
# BUILD-DIR, unpacked; where relayswitch-mqtt is installed (chroot.sh), that.
#
#   mqtt.sh BUILD-DIR
# with $RELAYSWITCH_SIM the simulator. Exit status 0 good, 1 bad (says why),
# 77 skipped for want of a tool (a failure in CI).
set -u
build=$1
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../skip.sh
. "$here/../skip.sh"
for tool in mosquitto:mosquitto mosquitto_sub:mosquitto-clients openssl:openssl ip:iproute2; do
	command -v "${tool%%:*}" >/dev/null || skip "no ${tool%%:*} (package ${tool#*:})"
done
/usr/bin/python3 -c 'import paho.mqtt' 2>/dev/null || skip "no paho-mqtt (package python3-paho-mqtt)"
# shellcheck source=lab.sh
. "$here/lab.sh"
if deb=$(ls "$build"/debs/relayswitch-mqtt_*_all.deb 2>/dev/null); then
	dpkg-deb -x "$deb" "$tmp/root" && export PATH=$tmp/root/usr/bin:$PATH || exit 1
else	# installed, with the Python package it depends on
	[ -x /usr/bin/relayswitch-mqtt ] || skip "no relayswitch-mqtt in $build/debs: package.deb makes it"
	unset PYTHONPATH
fi
shipped=${deb:+$tmp/root}/etc/relayswitch/mqtt.conf
echo "on mosquitto $(dpkg-query -W -f '${Version}' mosquitto), paho-mqtt $(dpkg-query -W -f '${Version}' python3-paho-mqtt)"
p=relayswitch/relay-pc

# The broker: plain on 18830, TLS with a password on 18831; nothing kept.
(cd "$tmp" && openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout ca.key -out ca.pem \
	-days 2 -subj /CN=test-ca && openssl req -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes \
	-keyout server.key -out server.csr -subj /CN=127.0.0.1 && printf '%s\n' subjectAltName=IP:127.0.0.1 \
	basicConstraints=CA:FALSE authorityKeyIdentifier=keyid >ext && openssl x509 -req -in server.csr -CA ca.pem \
	-CAkey ca.key -CAcreateserial -days 2 -extfile ext -out server.pem) >"$tmp/openssl.log" 2>&1 ||
	{ cat "$tmp/openssl.log"; exit 1; }
mosquitto_passwd -b -c "$tmp/passwd" house secret || exit 1
printf '%s\n' 'user root' 'per_listener_settings true' 'persistence false' 'listener 18830 127.0.0.1' \
	'allow_anonymous true' 'listener 18831 127.0.0.1' 'allow_anonymous false' "password_file $tmp/passwd" \
	"cafile $tmp/ca.pem" "certfile $tmp/server.pem" "keyfile $tmp/server.key" >"$tmp/mosquitto.conf"
broker_up() { mosquitto -c "$tmp/mosquitto.conf" >>"$tmp/mosquitto.log" 2>&1 & broker=$!; }
sub() { timeout 20 mosquitto_sub -h 127.0.0.1 -p 18830 "$@"; }
pub() { mosquitto_pub -h 127.0.0.1 -p 18830 "$@"; }
# is TOPIC WANT: the message retained at TOPIC is WANT.
is() { [ "$(sub -t "$1" -C 1 -W 1 2>/dev/null)" = "$2" ]; }
# waitfor WHAT COMMAND...: COMMAND succeeds within 40 s, else WHAT fails.
waitfor() {
	for _ in $(seq 130); do "${@:2}" && return 0; sleep 0.3; done
	fail "$1"
}
# bridge CONF NAME: relayswitch-mqtt in the background, its log $tmp/NAME.log.
bridge() { relayswitch-mqtt --config "$1" >"$tmp/$2.log" 2>&1 & bridged=$!; }

# The shipped file as a user sets it up: the broker, the topics, a poll of
# 1 s, the port at 0x378 as shipped and one more line on 0x3bc.
sed -e 's/^# host = .*/host = 127.0.0.1/; s/^# port = .*/port = 18830/; s/^# poll = .*/poll = 1/' \
	-e "s|^# prefix = .*|prefix = $p|; s/^# \\[port 378\\]/[port 378]/; s/^# \\([13] = \\)/\\1/" \
	"$shipped" >"$tmp/plain.conf"
printf '[port 0x3BC]\n2 = Pump\n' >>"$tmp/plain.conf"
printf 'wrong\n' >"$tmp/password"
chmod 640 "$tmp/password"
sed -e 's/^port = .*/port = 18831/; s/^# tls = no/tls = yes/' -e "s|^# cafile =.*|cafile = $tmp/ca.pem|" \
	-e "s|^# username =.*|username = house|; s|^# password_file = .*|password_file = $tmp/password|" \
	"$tmp/plain.conf" >"$tmp/tls.conf"

# Settings refused before anything connects: status 1, one line naming them.
while IFS='|' read -r edit said; do
	sed "$edit" "$tmp/tls.conf" >"$tmp/bad.conf"
	timeout 20 relayswitch-mqtt --config "$tmp/bad.conf" >"$tmp/bad.out" 2>&1
	status=$?
	[ $status = 1 ] && [ "$(cat "$tmp/bad.out")" = "relayswitch-mqtt: $tmp/bad.conf: $said" ] ||
		fail "the config ($edit): status $status, $(cat "$tmp/bad.out")"
done <<ROWS
s/^\[bridge\]/[brigde]/|[brigde]: unknown section (broker, bridge, or port ADDR)
s/^poll = 1/pol = 1/|[bridge] pol: unknown key (prefix, discovery, poll, executable)
s/^3 = Fan/9 = Fan/|[port 378] 9: a data line is 1 to 8
s/^\[port 0x3BC\]/[port 0x3BC00]/|[port 0x3BC00]: not a port address as relayswitch -p takes it
s/^\[port 0x3BC\]/[port 0x378]/|[port 0x378]: the port of [port 378] again
/^\[port /,\$d|no [port ADDR] section: the bridge would expose nothing
s/^tls = yes/tls = False/|[broker] tls: is yes or no, not 'False'
s#^password_file = .*#password_file = $tmp/absent#|[broker] password_file: $tmp/absent: No such file or directory
s#^password_file = .*#password_file = $tmp/ca.pem#|[broker] password_file: $tmp/ca.pem is open to every user: chmod o-rwx it
ROWS

# No broker at start: tried again until there is one.
printf '0x378 0x04\n0x3bc 0x00\n' >"$tmp/state"
bridge "$tmp/plain.conf" plain
log=$tmp/plain.log
waitfor "no broker at start" grep -q 'cannot reach .* 127.0.0.1:18830: Connection refused; trying again in 1 s' "$log"
broker_up
waitfor "no online after the broker came" is $p/status online
# Discovery: a switch for each line, a device for each port.
sub -t 'homeassistant/switch/+/config' -C 3 -W 10 >"$tmp/configs"
/usr/bin/python3 - "$tmp/configs" "$p" <<'PY' || fail "discovery: $(cat "$tmp/configs")"
import json, socket, sys
by_id = {c['unique_id']: c for c in map(json.loads, open(sys.argv[1]))}
uid, p = 'relayswitch_%s_%%s' % socket.gethostname().split('.')[0], sys.argv[2]
assert sorted(by_id) == [uid % i for i in ('378_1', '378_3', '3bc_2')], by_id
c = by_id[uid % '378_3']
keys = 'name', 'command_topic', 'state_topic', 'availability_topic', 'payload_on', 'payload_off', 'retain'
assert [c[k] for k in keys] == ['Fan', p + '/378/3/set', p + '/378/3', p + '/status', 'ON', 'OFF', False] and \
    c['origin']['name'], c
assert len({json.dumps(c['device'], sort_keys=True) for c in by_id.values()}) == 2, by_id
PY
for row in 378/1:OFF 378/3:ON 3bc/2:OFF; do
	waitfor "at connect, $p/${row%:*} is not ${row#*:}" is "$p/${row%:*}" "${row#*:}"
done
# A command; a line switched beside the bridge, shown by the poll.
pub -t $p/378/1/set -m ON
waitfor "ON for line 1 not shown" is $p/378/1 ON
relayswitch -3 off
waitfor "line 3 switched beside the bridge not shown" is $p/378/3 OFF
[ "$(latch 0x378)" = 0x01 ] || fail "after line 1 on, line 3 off: 0x378 is $(latch 0x378)"
# What is no command: one line each, nothing run.
while IFS='|' read -r topic payload; do
	pub -t "$p/$topic" -m "$payload"
done <<'ROWS'
378/1/set|on
378/1/set|OFF 
378/1/set|
378/2/set|ON
0x378/1/set|ON
3bc/1/set|ON
ROWS
waitfor "the last bad command not logged" grep -q "^ignored 'ON' on '$p/3bc/1/set'" "$log"
[ "$(grep -c '^ignored ' "$log")" = 6 ] || fail "bad commands: $(grep '^ignored' "$log")"
[ "$(latch 0x378) $(latch 0x3bc)" = "0x01 0x00" ] || fail "bad commands ran: $(cat "$tmp/state")"
# A port busy past the bound, held until the switch failed: relayswitch's
# message, and the line as read back then.
flock -F -x "$tmp/state" sleep 600 &
holder=$!
sleep 0.3
sub -R -t $p/378/1 -C 1 -W 60 >"$tmp/busy" &
watcher=$!
pub -t $p/378/1/set -m OFF
waitfor "the busy port: no failure logged" grep -q "^port 378 line 1 (Bench power) OFF failed: relayswitch-sim: \
$tmp/state is busy" "$log"
kill $holder
wait $watcher
[ "$(cat "$tmp/busy")" = ON ] || fail "the busy port: $p/378/1 said '$(cat "$tmp/busy")', not ON"
# Home Assistant's birth message: discovery and states again.
sub -R -t 'homeassistant/switch/+/config' -C 3 -W 10 >"$tmp/births" &
sleep 1
pub -t homeassistant/status -m online
wait $!
[ "$(wc -l <"$tmp/births")" = 3 ] || fail "the birth message: $(cat "$tmp/births")"
# The broker restarted, its retained messages gone: all of it again.
kill $broker
wait $broker
broker_up
waitfor "the broker restarted: no state again" is $p/378/1 ON
grep -q '^lost the broker at 127.0.0.1:18830' "$log" || fail "the broker restarted: nothing logged"
# The bridge killed: the broker says offline for it.
kill -KILL $bridged
waitfor "no last will" is $p/status offline

# TLS and a password. A wrong one is refused, and tried again.
bridge "$tmp/tls.conf" refused
waitfor "a wrong password not tried again" grep -q "refused the connection: .*trying again in 2 s" "$tmp/refused.log"
kill $bridged
printf 'secret\n' >"$tmp/password"
# A retained command is an old one: never acted on.
pub -r -t $p/378/1/set -m OFF
bridge "$tmp/tls.conf" tls
waitfor "no online over TLS" is $p/status online
waitfor "the retained command not ignored" grep -q "^ignored the retained 'OFF' on '$p/378/1/set': an old" \
	"$tmp/tls.log"
pub -r -t $p/378/1/set -n
[ "$(latch 0x378)" = 0x01 ] || fail "the retained command ran: 0x378 is $(latch 0x378)"
kill $bridged
wait $bridged
status=$?
[ $status = 0 ] && [ "$(tail -n 1 "$tmp/tls.log")" = stopped ] || fail "SIGTERM: status $status"
is $p/status offline || fail "SIGTERM: not offline"
[ $bad = 0 ] || tail -n 20 "$tmp"/*.log
exit $bad
