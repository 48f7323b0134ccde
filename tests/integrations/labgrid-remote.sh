#!/bin/bash
# SPDX-License-Identifier: GPL-2.0-or-later
# labgrid as a lab runs it, in a system with labgrid 26 and our package
# (chroot.sh: Debian 14), as root, in a network namespace of the test's own
# with its loopback up: labgrid-coordinator on 127.0.0.1; relay-pc (this
# system, by /etc/hosts) running sshd on 127.0.0.1, the user lab in group lp
# letting in keys as README says (root's: relayswitch-shell's, whose
# `relayswitch` is the simulator), and labgrid-exporter with the shipped
# labgrid-exporter.yaml; a place matched to its line and acquired; then
# labgrid-client with the shipped labgrid-env.yaml: power and io through our
# drivers over labgrid's own SSH connection, the latch read after each, a busy
# port failing the command with relayswitch's message, a line exported with
# invert: true; a shipped LAVA line over SSH.
#
#   labgrid-remote.sh SIMULATOR EXAMPLES-DIR WORKDIR
# Exit status 0 good, 1 bad (each failure said).
set -u
sim=$1 examples=$2 tmp=$3
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$tmp"
mkdir -p "$tmp"
trap 'kill $(jobs -p) 2>/dev/null; [ -f "$tmp/sshd.pid" ] && kill "$(cat "$tmp/sshd.pid")"; wait' EXIT
# shellcheck source=sim.sh
. "$here/sim.sh"
echo "on labgrid $(dpkg-query -W -f '${Version}' python3-labgrid)"

# relay-pc: sshd, and the user lab, whose keys run relayswitch or open pdudaemon's tunnel, nothing else.
grep -q ' relay-pc$' /etc/hosts || echo '127.0.0.1 relay-pc' >>/etc/hosts
id lab >/dev/null 2>&1 || useradd -m -G lp lab || exit 1
mkdir -p "$tmp/lab" && cp /usr/bin/relayswitch-shell "$tmp/lab/" || exit 1
cat >"$tmp/lab/relayswitch" <<SH
#!/bin/sh
RELAYSWITCH_SIM_STATE=$tmp/state RELAYSWITCH_SIM_LOG=$tmp/log exec $sim "\$@"
SH
chmod 755 "$tmp/lab/relayswitch"
printf '0x378 0x80\n' >"$tmp/state"
: >"$tmp/log"
chown lab: "$tmp" "$tmp/state" "$tmp/log"
mkdir -p /run/sshd /root/.ssh /home/lab/.ssh
ssh-keygen -A >/dev/null && rm -f /root/.ssh/id_ed25519* "$tmp"/tunnel* && ssh-keygen -q -t ed25519 -N '' \
	-f /root/.ssh/id_ed25519 && ssh-keygen -q -t ed25519 -N '' -f "$tmp/tunnel" || exit 1
echo "restrict,command=\"$tmp/lab/relayswitch-shell 378 278\" $(cat /root/.ssh/id_ed25519.pub)
restrict,port-forwarding,permitopen=\"127.0.0.1:16421\",command=\"/bin/false\" $(cat "$tmp/tunnel.pub")" \
	>/home/lab/.ssh/authorized_keys
chown -R lab /home/lab/.ssh
echo "relay-pc $(cut -d ' ' -f 1,2 /etc/ssh/ssh_host_ed25519_key.pub)" >/root/.ssh/known_hosts
printf 'Host relay-pc\n\tUser lab\n' >/root/.ssh/config
/usr/sbin/sshd -o ListenAddress=127.0.0.1 -o PidFile="$tmp/sshd.pid" || exit 1
ssh relay-pc id 2>&1 | grep -qF "refused: 'id'" || fail "ssh relay-pc id was not refused"
for to in 16421:'Connection refused' 22:'administratively prohibited'; do	# nothing listens on 16421 here
	ssh -i "$tmp/tunnel" -o IdentitiesOnly=yes -W "127.0.0.1:${to%%:*}" relay-pc </dev/null 2>&1 |
		grep -q "${to#*:}" || fail "the tunnel's key, to 127.0.0.1:${to%%:*}"
done

export LG_COORDINATOR=127.0.0.1:20408
# It keeps its places in the directory it runs in.
(cd "$tmp" && exec labgrid-coordinator --listen 127.0.0.1:20408 >coordinator.log 2>&1) &
for _ in $(seq 100); do
	(: </dev/tcp/127.0.0.1/20408) 2>/dev/null && break
	sleep 0.2
done
# The shipped exporter, and one more for the same line with invert: true.
sed -n '/^bench-1:/,/^bench-2:/p' "$examples/labgrid-exporter.yaml" | sed '$d; s/^bench-1:/inverted:/' >"$tmp/inverted.yaml"
echo '    invert: true' >>"$tmp/inverted.yaml"
for exporter in relay-pc:"$examples/labgrid-exporter.yaml" relay-pc-inverted:"$tmp/inverted.yaml"; do
	labgrid-exporter --name "${exporter%%:*}" --hostname relay-pc "${exporter#*:}" \
		>"$tmp/${exporter%%:*}.log" 2>&1 &
done
sed 's/name: bench-1/name: inverted/' "$examples/labgrid-env.yaml" >"$tmp/inverted-env.yaml"

# client ENV PLACE ARGS...: labgrid-client with that environment on that
# place; its output in $tmp/client.out.
client() {
	timeout 120 labgrid-client -c "$1" -p "$2" "${@:3}" >"$tmp/client.out" 2>&1
}
for place in bench-1:relay-pc/bench-1:"$examples/labgrid-env.yaml" \
	inverted:relay-pc-inverted/inverted:"$tmp/inverted-env.yaml"; do
	IFS=: read -r name match env <<<"$place"
	for _ in $(seq 100); do
		labgrid-client resources 2>/dev/null | grep -q "^$match/NetworkRelaySwitchPort$" && break
		sleep 0.2
	done
	client "$env" "$name" create && client "$env" "$name" add-match "$match/NetworkRelaySwitchPort" &&
		client "$env" "$name" acquire ||
		{ echo "FAIL: the place $name: $(cat "$tmp/client.out")"; cat "$tmp"/relay-pc*.log; exit 1; }
done

# io_power ENV PLACE COMMAND SAID LATCH WRITES: labgrid-client's command on the
# place, what it printed (a pattern), then the latch and what was written
# (every run writes the latch back, -o too).
io_power() {
	client "$1" "$2" $3 || fail "labgrid-client $3 on $2: $(cat "$tmp/client.out")"
	# shellcheck disable=SC2254 # SAID is a pattern
	case $(cat "$tmp/client.out") in
	$4) ;;
	*) fail "labgrid-client $3 on $2 said: $(cat "$tmp/client.out")" ;;
	esac
	check "labgrid-client $3 on $2" "$5" "$6"
}
env=$examples/labgrid-env.yaml
while IFS='|' read -r place command said latch writes; do
	[ "$place" = inverted ] && env=$tmp/inverted-env.yaml
	io_power "$env" "$place" "$command" "$said" "$latch" "$writes"
done <<'ROWS'
bench-1|power on|*|0x84|0x84
bench-1|power get|*power for place bench-1 is on*|0x84|0x84
bench-1|power off|*|0x80|0x80
bench-1|power get|*power for place bench-1 is off*|0x80|0x80
bench-1|power cycle|*|0x84|0x80 0x84
bench-1|io low|*|0x80|0x80
bench-1|io get|*digital IO for place bench-1 is low*|0x80|0x80
bench-1|io high|*|0x84|0x84
bench-1|io get|*digital IO for place bench-1 is high*|0x84|0x84
inverted|power on|*|0x80|0x80
inverted|power get|*power for place inverted is on*|0x80|0x80
inverted|io low|*|0x84|0x84
inverted|io get|*digital IO for place inverted is low*|0x84|0x84
ROWS

# A LAVA line of the shipped examples through the same key, as LAVA's
# dispatcher runs it: its words, no shell.
lava=$(sed -n "s/^{# {% set power_off_command = '\(ssh relay-pc [^']*\)' %} #}$/\1/p" "$examples/lava-device.jinja2")
$lava || fail "LAVA's '$lava' failed"
check "LAVA's '$lava'" 0x80 0x80

# labgrid's pytest plugin with the shipped environment: its target fixture is
# main, on the place acquired above.
printf '0x378 0x04\n' >"$tmp/state"
: >"$tmp/log"
(cd "$tmp" && python3 -m pytest -q -p no:cacheprovider --lg-env "$examples/labgrid-env.yaml" -k main \
	"$here/labgrid/test_board.py") >"$tmp/pytest.out" 2>&1
grep -q '^1 passed, 1 deselected' "$tmp/pytest.out" || fail "pytest --lg-env: $(cat "$tmp/pytest.out")"
check "pytest --lg-env, target main: off, get, high, get" 0x04 "0x00 0x00 0x04 0x04"

# A port another run holds until the command has ended: it fails with
# relayswitch's message, and nothing is written.
flock -F -x "$tmp/state" sleep 600 &
holder=$!
sleep 0.5
client "$examples/labgrid-env.yaml" bench-1 power off && fail "labgrid-client power off on a busy port succeeded"
kill $holder
wait $holder 2>/dev/null
grep -qF "relayswitch-sim: $tmp/state is busy: locked by another run" "$tmp/client.out" ||
	fail "labgrid-client power off on a busy port said: $(cat "$tmp/client.out")"
check "labgrid-client power off, the port busy" 0x04 ""
exit $bad
