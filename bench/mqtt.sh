#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# relayswitch-mqtt, from this checkout, against Debian's mosquitto on
# 127.0.0.1, on the simulated port. Targets: a command to its state published
# within 50 ms (the median of 50, from Home Assistant's publish to the state
# it hears); idle, one run of relayswitch -p PORT -o per port per poll, and no
# MQTT message at all. The broker and the client here send at once
# (TCP_NODELAY), as the bridge does, so that the time is the bridge's: with
# mosquitto's default a small packet waits for the ACK of the one before, and
# each hop that waits adds some 40 ms.
#
#   bench/mqtt.sh [build-dir]     (default: build)
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
[ -x "$build/relayswitch-sim" ] || { echo "build $build first" >&2; exit 2; }
command -v mosquitto >/dev/null || { echo "mosquitto is not installed" >&2; exit 2; }
/usr/bin/python3 -c 'import paho.mqtt' 2>/dev/null || { echo "python3-paho-mqtt is not installed" >&2; exit 2; }
tmp=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; wait; rm -rf "$tmp"' EXIT
port=18850
printf 'listener %d 127.0.0.1\nallow_anonymous true\npersistence false\nuser root\nset_tcp_nodelay true\n' $port \
	>"$tmp/mosquitto.conf"
mosquitto -c "$tmp/mosquitto.conf" >"$tmp/mosquitto.log" 2>&1 &
export RELAYSWITCH_SIM_STATE=$tmp/state PYTHONPATH=$here/../python
printf '0x378 0x00\n0x278 0x00\n' >"$tmp/state"
# Each run the bridge makes, counted with its arguments.
printf '#!/bin/sh\necho "$*" >>%s/runs\nexec %s "$@"\n' "$tmp" "$(realpath "$build/relayswitch-sim")" >"$tmp/counted"
chmod 755 "$tmp/counted"
# conf EXECUTABLE POLL: a bridge's settings for 0x378 and 0x278.
conf() {
	printf '[broker]\nhost = 127.0.0.1\nport = %d\n[bridge]\nprefix = bench\nexecutable = %s\npoll = %s\n' \
		$port "$1" "$2"
	printf '[port 378]\n1 = One\n2 = Two\n[port 278]\n1 = Three\n'
}
sleep 0.5

# Idle: 10 polls of 1 s, once connected.
conf "$tmp/counted" 1 >"$tmp/idle.conf"
/usr/bin/python3 -m relayswitch.mqtt --config "$tmp/idle.conf" 2>"$tmp/idle.log" &
bridge=$!
timeout 10 mosquitto_sub -h 127.0.0.1 -p $port -t bench/status -C 1 >/dev/null
sleep 0.5
: >"$tmp/runs"
timeout 10.2 mosquitto_sub -h 127.0.0.1 -p $port -R -v -t '#' >"$tmp/idle.messages" || true
kill $bridge
wait $bridge || true
echo "idle, 10 s at a poll of 1 s, 2 ports: $(wc -l <"$tmp/runs") runs (target 20 +- 2)," \
	"$(grep -cv -- '-o$' "$tmp/runs" || true) not -o, $(wc -l <"$tmp/idle.messages") MQTT messages (target 0)"

# Commands: ON and OFF by turns, each timed to its state.
conf "$(realpath "$build/relayswitch-sim")" 5 >"$tmp/fast.conf"
/usr/bin/python3 -m relayswitch.mqtt --config "$tmp/fast.conf" 2>"$tmp/fast.log" &
timeout 10 mosquitto_sub -h 127.0.0.1 -p $port -t bench/status -C 1 >/dev/null
/usr/bin/python3 - $port <<'PY'
import socket, statistics, sys, threading, time
import paho.mqtt.client as mqtt
heard = threading.Condition()
last = []
if hasattr(mqtt, 'CallbackAPIVersion'):
    c = mqtt.Client(mqtt.CallbackAPIVersion.VERSION2)
else:
    c = mqtt.Client()
def on_message(client, userdata, msg):
    with heard:
        last.append((msg.payload, time.monotonic()))
        heard.notify()
c.on_message = on_message
c.connect('127.0.0.1', int(sys.argv[1]))
c.subscribe('bench/378/1', qos=1)
c.socket().setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
c.loop_start()
time.sleep(0.5)
took = []
for i in range(50):
    want = b'ON' if i % 2 == 0 else b'OFF'
    with heard:
        last.clear()
        start = time.monotonic()
        c.publish('bench/378/1/set', want, qos=1)
        while not (last and last[-1][0] == want):
            if not heard.wait(5):
                sys.exit('no state %s in 5 s' % want.decode())
        took.append((last[-1][1] - start) * 1000)
c.loop_stop()
print('a command to its state: median %.1f ms, slowest %.1f ms, of 50 (target: median 50 ms)'
      % (statistics.median(took), max(took)))
PY
