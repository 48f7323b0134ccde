#!/bin/bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The pdudaemon driver relayswitch (python3-relayswitch) in whatever pdudaemon
# this system has, with the shipped pdudaemon.conf, the simulator as each
# PDU's executable: requests over HTTP switch the lines; a port number the
# driver doesn't take, by HTTP, TCP or --drive, runs nothing; a busy port is
# logged with the program's message and tried again until the switch lands,
# and where pdudaemon answers with the outcome (1.0 on), one busy past the
# retries fails the request; a bad port setting stops pdudaemon. Run in a
# network namespace of the test's own, with its loopback up: pdudaemon
# listens on 127.0.0.1:16421 as shipped.
#
#   pdudaemon-driver.sh SIMULATOR PDUDAEMON.CONF WORKDIR [INT-CHANNEL...]
# INT-CHANNEL: http or tcp, where this pdudaemon reads the port with int()
# before the driver sees it (Debian 12's), so that "03" arrives as 3 there.
# Exit status 0 good, 1 bad (each failure said).
set -u
sim=$1 conf=$2 tmp=$3
shift 3
int_channels=" $* "
rm -rf "$tmp"
mkdir -p "$tmp"
trap 'kill $(jobs -p) 2>/dev/null; wait' EXIT
# shellcheck source=sim.sh
. "$(dirname "$0")/sim.sh"

# The shipped config, each PDU running the simulator; beside them, for the
# port numbers refused, one PDU each like relays-378 but tried once, so that
# those requests are answered side by side (a PDU takes one at a time).
bad_ports=("3;touch $tmp/touched" "3 " "03" "9" "0" "-1" "abc" "1e0" "")
python3 - "$conf" "$sim" "${#bad_ports[@]}" >"$tmp/pdudaemon.conf" <<'PY' || exit 1
import json, sys
conf, sim, n = json.load(open(sys.argv[1])), sys.argv[2], int(sys.argv[3])
for pdu in conf['pdus'].values():
    assert pdu['driver'] == 'relayswitch', pdu
    pdu['executable'] = sim
for i in range(1, n + 1):
    conf['pdus']['bad-%d' % i] = dict(conf['pdus']['relays-378'], retries=1)
print(json.dumps(conf, indent=4))
PY

# start LISTENER PORT: pdudaemon with the config, on 127.0.0.1:PORT.
start() {
	sed "s/\"port\": 16421/\"port\": $2/" "$tmp/pdudaemon.conf" >"$tmp/$1.conf"
	pdudaemon_up "$tmp/$1.conf" "$1" "$2" --listener "$1"
}
# ask REQUEST PDU PORT [DELAY]: an HTTP request, as labgrid and pduclient send
# it; the answer, then its HTTP status on a line.
ask() {
	curl -sS --max-time 60 --get --data-urlencode "hostname=$2" --data-urlencode "port=$3" \
		${4:+--data-urlencode "delay=$4"} -w '%{http_code}\n' "http://127.0.0.1:16421/power/control/$1"
}
# tell LINE: a request to the TCP listener, and its answer.
tell() {
	exec 3<>/dev/tcp/127.0.0.1/16422 || return 1
	printf '%s' "$1" >&3
	timeout 60 cat <&3
	exec 3<&-
}
start http 16421
start tcp 16422

printf '0x378 0x80\n0x278 0x00\n' >"$tmp/state"
: >"$tmp/log"
ask on relays-378 3 >"$tmp/answers" && check "HTTP on 3" 0x84 0x84
ask off relays-378 8 >>"$tmp/answers" && check "HTTP off 8" 0x04 0x04
ask reboot relays-378 3 1 >>"$tmp/answers" && check "HTTP reboot 3" 0x04 "0x00 0x04"
ask on relays-278 2 >>"$tmp/answers" && check "HTTP on 2 of relays-278" 0x04 ""
[ "$(latch 0x278)" = 0x02 ] || fail "HTTP on 2 of relays-278: 0x278 is $(latch 0x278)"
tell 'relays-378 6 on' >>"$tmp/answers" && check "TCP on 6" 0x24 0x24
[ "$(grep -c 'OK - accepted request' "$tmp/answers")" = 4 ] && [ "$(grep -c '^200$' "$tmp/answers")" = 4 ] ||
	fail "HTTP answered: $(cat "$tmp/answers")"
grep -qx ack "$tmp/answers" || fail "TCP answered: $(cat "$tmp/answers")"

# The port numbers refused, each to a PDU of its own, all lines on: nothing
# runs, unless this pdudaemon made 3 of them (03, and "3 " by HTTP) itself.
for channel in http tcp drive; do
	printf '0x378 0xff\n0x278 0x00\n' >"$tmp/state"
	: >"$tmp/log"
	i=0 pids=
	for port in "${bad_ports[@]}"; do
		i=$((i + 1))
		case $channel in
		http) ask off "bad-$i" "$port" ;;
		tcp) tell "bad-$i $port off" ;;
		drive) timeout 60 pdudaemon --conf "$tmp/pdudaemon.conf" --loglevel INFO --drive \
			--hostname "bad-$i" --port "$port" --request off --retries 1 ;;
		esac >"$tmp/bad.$channel.$i" 2>&1 &
		pids="$pids $!"
	done
	wait $pids
	case $int_channels in
	*" $channel "*)
		want=0xfb
		[ $channel = http ] && want="0xfb 0xfb"
		check "refused port numbers by $channel, made ints by pdudaemon" 0xfb "$want" ;;
	*)
		accesses=$(wc -l <"$tmp/log")
		check "refused port numbers by $channel" 0xff ""
		[ "$accesses" = 0 ] || fail "refused port numbers by $channel: $accesses accesses to the port" ;;
	esac
	[ ! -e "$tmp/touched" ] || fail "refused port numbers by $channel: a request ran a command"
	if [ $channel = http ] && [ $answers_outcome = 1 ]; then
		for answer in "$tmp"/bad.http.*; do
			[ "$(tr '\n' ' ' <"$answer")" = "Invalid request 500 " ] ||
				fail "a refused port number by HTTP was answered: $(cat "$answer")"
		done
	fi
done
grep -q "ValueError: a data line is 1 to 8, not '3;touch $tmp/touched'" "$tmp"/bad.drive.* ||
	fail "--drive with a command for a port: $(cat "$tmp/bad.drive.1")"

# The port held by another run for 12 s: the first run gives up after 10 s,
# pdudaemon logs the program's message and tries again 5 s later; that one
# switches the line.
printf '0x378 0x00\n0x278 0x00\n' >"$tmp/state"
: >"$tmp/log"
flock -F -x "$tmp/state" sleep 12 &
sleep 0.5
ask on relays-378 5 >"$tmp/answer.busy" 2>&1
check "HTTP on 5, the port busy for 12 s" 0x10 0x10
grep -qF "relayswitch-sim: $tmp/state is busy: locked by another run" "$tmp/http.log" ||
	fail "the busy run's message is not in pdudaemon's log"
grep -q 'Failed to execute job: 5 on (attempts left 2)' "$tmp/http.log" ||
	fail "pdudaemon logged no retry: $(grep -i fail "$tmp/http.log")"

# Where pdudaemon answers with the outcome: a port busy past the retries (one,
# for bad-1) fails the request, and pduclient with it, the program's message
# in the log; held until the request has been answered.
if [ $answers_outcome = 1 ]; then
	: >"$tmp/log"
	: >"$tmp/http.log"
	flock -F -x "$tmp/state" sleep 120 &
	holder=$!
	sleep 0.5
	timeout 60 pduclient --http --daemon 127.0.0.1 --hostname bad-1 --port 5 --command off >"$tmp/pduclient.busy" 2>&1
	status=$?
	kill $holder
	wait $holder 2>/dev/null
	[ $status = 127 ] || fail "pduclient, the port busy past the retries: status $status, $(cat "$tmp/pduclient.busy")"
	check "HTTP off 5, the port busy past the retries" 0x10 ""
	grep -qF "relayswitch-sim: $tmp/state is busy: locked by another run" "$tmp/http.log" ||
		fail "the busy run's message is not in pdudaemon's log, the port busy past the retries"
fi

# pdudaemon goes on answering.
ask on relays-378 1 >/dev/null && check "HTTP on 1, last" 0x11 0x11
tell 'relays-378 1 off' >/dev/null && check "TCP off 1, last" 0x10 0x10

# A port setting relayswitch would refuse stops pdudaemon with a message.
sed 's/"port": "378"/"port": "37800"/' "$tmp/pdudaemon.conf" >"$tmp/badport.conf"
timeout 30 pdudaemon --conf "$tmp/badport.conf" --listener http >"$tmp/badport.out" 2>&1
status=$?
[ $status = 1 ] || fail "pdudaemon with port 37800 ended with status $status"
grep -q "^ValueError: PDU relays-378 (driver relayswitch): port must be .* not '37800'" "$tmp/badport.out" ||
	fail "pdudaemon with port 37800 said: $(tail -n 3 "$tmp/badport.out")"

if [ $bad = 1 ]; then
	echo "== pdudaemon's log"
	cat "$tmp/http.log" "$tmp/http.err"
fi
exit $bad
