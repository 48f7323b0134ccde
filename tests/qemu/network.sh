#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# A lab's whole chain, over the network: a Debian 12 PC with the package and
# python3-relayswitch, openssh-server, python3 and Debian's pdudaemon (set up
# from the package's examples with our driver, its service let into group lp
# by the shipped drop-in) boots on the
# emulated PC with a network card; its SSH port is forwarded to 127.0.0.1
# here. pdudaemon listens on the PC's 127.0.0.1 alone, as shipped, and is
# reached from here through an SSH tunnel, as README advises. From here, ansible-playbook over SSH, as alice (a member
# of lp), with the collection from relayswitch-ansible's package, switches a
# line of the PC's real port -- and a second run changes nothing; labgrid's
# PDUDaemonDriver with the shipped environment switches a line through the
# PC's pdudaemon, which runs relayswitch under systemd, and tries a busy port
# again. In the PC, Home Assistant's way in: a command to the PC's mosquitto
# that relayswitch-mqtt.service (its own user, in group lp, sandboxed) switches
# on the real port. The latch is read back
# in the PC after each step, and pdudaemon's and the bridge's journals are read there. The whole
# test runs in a network namespace of its own; the PC's network reaches
# nothing beyond QEMU (restrict=on). The report is compared with
# network.expected.
#
#   network.sh BUILD-DIR CACHE-DIR WORKDIR
# Exit status: 0 as expected, 1 not, 77 skipped for want of a tool or of root
# (a failure in CI).
set -u
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
build=$1 cache=$2 work=$3
# shellcheck source=../skip.sh
. "$here/../skip.sh"
[ "$(id -u)" = 0 ] || skip "not root: the Debian system is made with chroot"
for tool in mmdebstrap:mmdebstrap cpio:cpio depmod:kmod ansible-playbook:ansible-core ssh:openssh-client \
	ssh-keygen:openssh-client ip:iproute2 unshare:util-linux; do
	command -v "${tool%%:*}" >/dev/null || skip "no ${tool%%:*} (package ${tool#*:})"
done
/usr/bin/python3 -c 'import labgrid' 2>/dev/null || skip "no labgrid for /usr/bin/python3 (package python3-labgrid)"
# shellcheck source=pc.sh
. "$here/pc.sh"
# shellcheck source=debian-system.sh
. "$here/debian-system.sh"
ssh_port=2222 pdu_port=16421
sshopts="-o StrictHostKeyChecking=no -o UserKnownHostsFile=/dev/null -o LogLevel=ERROR -o BatchMode=yes"
sshopts="$sshopts -o ConnectTimeout=20 -i $work/key"

# prepare: the PC, and what drives it from here, made in $work.
prepare() {
	rm -rf "$work"
	mkdir -p "$work" "$cache"
	deb=$(ls "$build"/debs/relayswitch_*_amd64.deb 2>/dev/null | head -n 1)
	ansible_deb=$(ls "$build"/debs/relayswitch-ansible_*_all.deb 2>/dev/null | head -n 1)
	python_deb=$(ls "$build"/debs/python3-relayswitch_*_all.deb 2>/dev/null | head -n 1)
	mqtt_deb=$(ls "$build"/debs/relayswitch-mqtt_*_all.deb 2>/dev/null | head -n 1)
	[ -n "$deb" ] && [ -n "$ansible_deb" ] && [ -n "$python_deb" ] && [ -n "$mqtt_deb" ] ||
		skip "no packages in $build/debs: package.deb makes them (packages dpkg-dev debhelper)"

	# The PC: Debian 12 with the package and the lab's tools, as an initramfs.
	base bookworm labs openssh-server openssh-sftp-server python3 pdudaemon python3-pkg-resources \
		mosquitto mosquitto-clients python3-paho-mqtt || exit 1
	root=$work/root
	mkdir "$root"
	tar -C "$root" -xf "$cache/bookworm-labs.tar" || exit 1
	in_root() { chroot "$root" "$@" || { echo "FAILED in the PC: $*"; exit 1; }; }
	cp "$deb" "$root/tmp/relayswitch.deb"
	cp "$python_deb" "$root/tmp/python3-relayswitch.deb"
	cp "$mqtt_deb" "$root/tmp/relayswitch-mqtt.deb"
	in_root dpkg -i /tmp/relayswitch.deb /tmp/python3-relayswitch.deb /tmp/relayswitch-mqtt.deb >"$work/dpkg.log"
	in_root adduser --quiet --disabled-password --gecos '' alice
	in_root adduser --quiet alice lp
	ssh-keygen -q -t ed25519 -N '' -C relayswitch-test -f "$work/key" || exit 1
	for home in root/root root/home/alice; do
		mkdir -p "$work/$home/.ssh"
		cp "$work/key.pub" "$work/$home/.ssh/authorized_keys"
	done
	in_root chown -R alice:alice /home/alice/.ssh
	# pdudaemon as the package's examples set it up: its config, as shipped, with
	# our driver (python3-relayswitch), and the drop-in that lets its service
	# reach the ports.
	examples=$root/usr/share/doc/relayswitch/examples
	[ -f "$examples/pdudaemon.conf" ] || { echo "FAILED: the package has no examples"; exit 1; }
	cp "$examples/pdudaemon.conf" "$root/etc/pdudaemon/pdudaemon.conf"
	mkdir -p "$root/etc/systemd/system/pdudaemon.service.d"
	cp "$examples/pdudaemon-lp.conf" "$root/etc/systemd/system/pdudaemon.service.d/lp.conf"
	printf 'parport_pc\nppdev\n' >"$root/etc/modules-load.d/relayswitch.conf"
	# The bridge to the PC's own mosquitto (as Debian sets it up: on localhost,
	# which an installed Debian's /etc/hosts names), offering Data 4 of 0x378.
	printf '127.0.0.1\tlocalhost\n::1\t\tlocalhost ip6-localhost ip6-loopback\n' >"$root/etc/hosts"
	sed -i 's|^# prefix = .*|prefix = relayswitch/relay-pc|; $a [port 378]\n4 = Board' "$root/etc/relayswitch/mqtt.conf"
	cat >"$root/etc/systemd/network/10-qemu.network" <<'NET'
[Match]
Name=en* eth*
[Network]
Address=10.0.2.15/24
NET
	in_root systemctl --quiet enable systemd-networkd.service pdudaemon.service ssh.service mosquitto.service \
		relayswitch-mqtt.service
	add_modules "$root" "$work/bookworm-kernel" >/dev/null || exit 1
	(cd "$root" && find . | cpio -o -H newc --quiet) >"$work/initrd" || exit 1
	rm -rf "$root"

	# Here: the collection from its package, our labgrid driver from its, and
	# the shipped labgrid environment, relay-pc being the PC (over SSH, and its
	# pdudaemon through a tunnel).
	dpkg-deb -x "$ansible_deb" "$work/ansible"
	dpkg-deb -x "$python_deb" "$work/python"
	cat >"$work/inventory" <<INV
[lab]
relay-pc ansible_host=127.0.0.1 ansible_port=$ssh_port ansible_user=alice ansible_python_interpreter=/usr/bin/python3 ansible_ssh_private_key_file=$work/key ansible_ssh_common_args='$sshopts'
INV
	cat >"$work/relays.yml" <<'PLAY'
- hosts: lab
  gather_facts: false
  tasks:
    - name: Data 2 on, Data 6 off
      relayswitch.parport.relays:
        lines:
          2: on
          6: off
PLAY
	sed "s/host: relay-pc:16421/host: 127.0.0.1:$pdu_port/" "$src/dist/examples/labgrid-env.yaml" >"$work/env.yaml"
	# labgrid's SSH reads the user's own ssh configuration: here, relay-pc is
	# the forwarded port, as alice, by the test's key and the PC's host key.
	cat >"$work/ssh_config" <<CONF
Host relay-pc
	HostName 127.0.0.1
	Port $ssh_port
	User alice
	IdentityFile $work/key
	IdentitiesOnly yes
	HostKeyAlias relay-pc
	UserKnownHostsFile $work/known_hosts
	BatchMode yes
	ConnectTimeout 20
CONF
	mkdir -p "$work/sshbin"
	printf '#!/bin/sh\nexec /usr/bin/ssh -F %s "$@"\n' "$work/ssh_config" >"$work/sshbin/ssh"
	chmod 755 "$work/sshbin/ssh"
}

# The PC is made with the network (mmdebstrap fetches Debian's packages); it is
# then booted and driven in a network namespace of the test's own, whose
# 127.0.0.1 the forwarded ports meet nothing else on.
if [ "${NETWORK_TEST_NETNS:-}" != 1 ]; then
	prepare
	NETWORK_TEST_NETNS=1 exec unshare -n "$0" "$@"
fi
ip link set lo up || exit 1
use_kernel "$work/bookworm-kernel"
# SSH's control sockets in a short directory of their own: a socket's path has
# at most 107 bytes, and the build tree may be anywhere.
sockets=$(mktemp -d /tmp/relayswitch-ssh.XXXXXX) || exit 1
trap 'rm -rf "$sockets"' EXIT
export LC_ALL=C.UTF-8 HOME=$work ANSIBLE_NOCOLOR=1 ANSIBLE_COLLECTIONS_PATH=$work/ansible/usr/share/ansible/collections \
	ANSIBLE_HOST_KEY_CHECKING=False ANSIBLE_LOCAL_TEMP=$work/ansible-tmp ANSIBLE_SSH_CONTROL_PATH_DIR=$sockets

# in_pc COMMAND: COMMAND run as root in the PC, over SSH.
in_pc() {
	timeout 120 ssh $sshopts -p $ssh_port root@127.0.0.1 "$@"
}
# latch WHAT: what the PC's 0x378 reads now, for the report.
latch() {
	echo "$1: 0x378 in the PC: $(in_pc relayswitch -o 2>&1)"
}
# scenario: what is done from here, and the report of it.
scenario() {
	latch "after boot"
	in_pc relayswitch -a off >/dev/null 2>&1
	for run in first second; do
		timeout 300 ansible-playbook -i "$work/inventory" "$work/relays.yml" >"$work/ansible.$run" 2>&1
		echo "ansible-playbook over SSH, $run run: status $?," \
			"$(sed -n 's/^relay-pc *: \(ok=[0-9]*\) *\(changed=[0-9]*\) .*\(failed=[0-9]*\).*/\1 \2 \3/p' \
				"$work/ansible.$run")"
		latch "after the $run run"
	done
	# labgrid here runs relayswitch on the PC over its own SSH connection, as
	# alice, with our driver: on, off, get, and a port held in the PC past the
	# bound raises here with the PC's message.
	ssh-keyscan -p $ssh_port 127.0.0.1 2>/dev/null | sed 's/^[^ ]*/relay-pc/' >"$work/known_hosts"
	lab() {
		PATH=$work/sshbin:$PATH PYTHONPATH=$work/python/usr/lib/python3/dist-packages timeout 120 \
			/usr/bin/python3 "$here/../integrations/labgrid_power.py" "$work/env.yaml" "$@"
	}
	for action in on get off get; do
		lab board-remote $action >"$work/labgrid.ssh.$action" 2>&1
		echo "labgrid board-remote $action: status $?, by $(paste -sd ' ' "$work/labgrid.ssh.$action")"
		latch "after labgrid board-remote $action"
	done
	# Held until labgrid's command has ended, however long the emulated PC takes.
	in_pc 'flock -F /dev/parport0 flock -F /dev/parport1 sleep 600 >/dev/null 2>&1 &'
	lab board-remote on >"$work/labgrid.ssh.busy" 2>&1
	echo "labgrid board-remote on, the port held: status $?, by $(paste -sd ' ' "$work/labgrid.ssh.busy")"
	in_pc pkill -x sleep
	latch "after labgrid board-remote on, the port held"
	# labgrid here reaches the PC's pdudaemon, which listens on the PC's own
	# 127.0.0.1, through an SSH tunnel as alice.
	timeout 600 ssh $sshopts -p $ssh_port -N -o ExitOnForwardFailure=yes \
		-L 127.0.0.1:$pdu_port:127.0.0.1:16421 alice@127.0.0.1 &
	tunnel=$!
	for _ in $(seq 60); do
		(: <"/dev/tcp/127.0.0.1/$pdu_port") 2>/dev/null && break
		sleep 0.5
	done
	for action in on off cycle; do
		lab board-pdudaemon $action >"$work/labgrid.$action" 2>&1
		echo "labgrid board-pdudaemon $action: status $?, by $(head -n 1 "$work/labgrid.$action")"
		latch "after labgrid $action"
	done
	# A run that fails: the port's device lock held in the PC for 12 s, past the
	# bound. The driver raises with relayswitch's message, which pdudaemon's
	# journal shows, and pdudaemon tries again: that run switches the line.
	in_pc 'flock -F /dev/parport0 flock -F /dev/parport1 sleep 12 >/dev/null 2>&1 &'
	lab board-pdudaemon off >"$work/labgrid.busy" 2>&1
	echo "labgrid board-pdudaemon off, the port held: status $?, by $(head -n 1 "$work/labgrid.busy")"
	in_pc pkill -x sleep
	latch "after labgrid off, the port held"
	kill $tunnel
	wait $tunnel 2>/dev/null
	echo "pdudaemon.service in the PC: $(in_pc systemctl show -P ActiveState pdudaemon.service)," \
		"its groups: $(in_pc 'for g in $(sed -n "s/^Groups://p" /proc/$(systemctl show -P MainPID \
			pdudaemon.service)/status); do getent group $g | cut -d: -f1; done' | paste -sd ' ')"
	echo "its journal:"
	in_pc journalctl -u pdudaemon.service -o cat --no-pager >"$work/journal"
	sed -n 's/.*\(Processing job for PDU .*\)/  \1/p; s/.*\(Failed to execute job: .*\)/  \1/p
			s/^relayswitch\.command\.RelaySwitchError: \(.*\)/  \1/p' "$work/journal"
	# Home Assistant's command, to the PC's broker: the bridge switches Data 4
	# and publishes it as read back.
	in_pc 't=relayswitch/relay-pc/378/4; mosquitto_pub -t $t/set -m ON; for _ in $(seq 60); do
		[ "$(mosquitto_sub -t $t -C 1 -W 5)" = ON ] && break; sleep 0.5; done
		echo "relayswitch-mqtt, ON to 378/4: it says $(mosquitto_sub -t $t -C 1 -W 5)"
		echo "relayswitch-mqtt.service: $(systemctl show -P ActiveState relayswitch-mqtt.service)," \
			"as $(stat -c %U /proc/$(systemctl show -P MainPID relayswitch-mqtt.service)), its journal:"
		journalctl -u relayswitch-mqtt.service -o cat --no-pager | sed -En "s/^(connected|port 378 line 4)/  &/p"'
	latch "after ON over MQTT"
}

# One boot, with the network card; the scenario once the PC answers on SSH. A
# boot that stalls before it answers is tried once more.
: >"$work/transcript"
for try in 1 2; do
	pc_limit=1200 power_on network "$work/initrd" 2048 "rdinit=/sbin/init" \
		-nic "user,model=e1000,restrict=on,hostfwd=tcp:127.0.0.1:$ssh_port-10.0.2.15:22" &
	pc=$!
	up=
	for _ in $(seq 60); do
		kill -0 $pc 2>/dev/null || break
		in_pc true 2>/dev/null && { up=1; break; }
		sleep 5
	done
	if [ -n "$up" ]; then
		scenario >>"$work/transcript" 2>&1
		in_pc systemctl poweroff >/dev/null 2>&1
		wait $pc
		break
	fi
	kill $pc 2>/dev/null
	wait $pc
	echo "the emulated PC (network, boot $try) did not answer on SSH; its console ends:"
	tail -n 30 "$work/network.console"
	[ $try = 2 ] && exit 1
done
echo "== the parallel ports printed $(wc -c <"$work/network.lpt") bytes" >>"$work/transcript"
if ! same "$here/network.expected" "$work/transcript"; then
	for f in "$work"/ansible.* "$work"/labgrid.* "$work/journal"; do echo "== ${f##*/}"; cat "$f"; done
	exit 1
fi
