# SPDX-License-Identifier: GPL-2.0-or-later
# shellcheck shell=dash
# What relayswitch does on a PC with parallel ports at 0x378 and 0x278 (and no
# device at 0x3bc), as root, as a member of group lp and as a user outside it;
# "plain" on an ordinary kernel, "lockdown" on one locked down as under Secure
# Boot. Every run prints its command line, its standard output, its standard
# error and its status.
P=/bin/relayswitch
LP="/bin/asuser 1000,7"	# a member of lp
NOBODY="/bin/asuser 65534"	# outside lp

T=/tmp	# this case's own files; side_by_side gives each case a directory

run() {
	echo "\$ $*"
	"$@" >$T/out 2>$T/err
	status=$?
	cat $T/out
	sed 's/^/stderr: /' $T/err
	echo "status $status"
}

# Runs each argument, a command line, at once with the others, each in a
# directory of its own, and then shows what each printed, in the order given:
# cases that wait out the bound for one holder, and never for each other, wait
# it out side by side. (Every run reads 0x378 first: a holder of 0x378 holds
# back a run on 0x278 too.)
side_by_side() {
	i=0 cases=
	for case in "$@"; do
		i=$((i + 1))
		rm -rf /tmp/case$i
		mkdir /tmp/case$i
		(T=/tmp/case$i && eval "$case") >/tmp/case$i/shown 2>&1 &
		cases="$cases $!"
	done
	wait $cases	# these, not a holder the caller started
	i=0
	for case in "$@"; do
		i=$((i + 1))
		cat /tmp/case$i/shown
	done
}

# Starts a holder, the command, in the background, what it says in file $1;
# waits up to 2 s for it to say something (what it holds), and shows that.
# $holder: its process.
hold() {
	said=$1
	shift
	: >"$said"
	"$@" >>"$said" 2>&1 &
	holder=$!
	for _ in 1 2 3 4 5 6 7 8 9 10; do
		[ -s "$said" ] && break
		sleep 0.2
	done
	cat "$said"
}

# The kernel's parallel-port driver, its devices for group lp as on Debian.
drivers() {
	insmod /lib/parport.ko
	insmod /lib/parport_pc.ko "$@"
	insmod /lib/ppdev.ko
	chgrp 7 /dev/parport*
	chmod 0660 /dev/parport*
	for d in /proc/sys/dev/parport/parport*; do
		echo "${d##*/} at $(cut -f1 "$d/base-addr")"
	done
}

# Eight runs at once on port $1, each switching one line $2 (on or off), four
# as root and four as a member of lp; each reads the status 32 times between
# its read and its write.
race() {
	for n in 1 2 3 4 5 6 7 8; do
		case $n in [1-4]) who= ;; *) who=$LP ;; esac
		$who $P -p $1 -$n $2 -o -o -o -o >/dev/null &
	done
	wait
}

# Runs that visit the two ports in opposite orders, as root and as lp: all finish.
crossing() {
	rm -f /tmp/cross
	for i in 1 2 3 4 5 6; do
		(timeout 30 $P -p 278 -1 on -oo -p 378 -1 on -oo >/dev/null; echo "status $?" >>/tmp/cross) &
		(timeout 30 $1 $P -p 378 -2 on -oo -p 278 -2 on -oo >/dev/null; echo "status $?" >>/tmp/cross) &
	done
	wait
	sort /tmp/cross | uniq -c
}

# Rounds of eight runs at once on 0x378, all on and then all off; four of them
# pass by 0x377 first, a port without a driver, and must still lock 0x378.
passing() {
	lost=0
	for round in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do
		for want in on off; do
			for n in 1 2 3 4 5 6 7 8; do
				case $n in
				[1-4]) $P -p 377 -p 378 -$n $want -o -o -o -o >/dev/null & ;;
				*) $P -$n $want -o -o -o -o >/dev/null & ;;
				esac
			done
			wait
			case $want$($P -o | cut -c1-8) in
			on11111111 | off00000000) ;;
			*) lost=$((lost + 1)) ;;
			esac
		done
	done
	echo "20 rounds, all on and all off: $lost lost a switch"
}

# The device of the parallel port at base $1 (decimal).
device_of() {
	for d in /proc/sys/dev/parport/parport*; do
		[ "$(cut -f1 "$d/base-addr")" = "$1" ] && echo "/dev/${d##*/}"
	done
}

# Runs the command and says how long it took: between $1 and $2 seconds is as
# expected.
timed() {
	least=$1 most=$2
	shift 2
	began=$(date +%s)
	run "$@"
	took=$(($(date +%s) - began))
	if [ $took -ge "$least" ] && [ $took -le "$most" ]; then
		echo "took $least to $most s"
	else
		echo "took $took s"
	fi
}

# Runs the command while another program holds the driver's claim on 0x378
# for $1 seconds (until the command ends, at most), timed as expected between
# $2 and $3 seconds; the holder says whether the latch moved under its claim.
holding() {
	secs=$1
	shift
	hold $T/hold /bin/holdclaim "$secs" "$(device_of 888)"
	timed "$@"
	kill -TERM $holder 2>/dev/null
	wait $holder
	sed 1d $T/hold
}

# The command with no pending signal allowed (RLIMIT_SIGPENDING 0): no
# timer of its own can be had.
no_sigqueue() { (ulimit -i 0 && "$@"); }

# The command with its standard output or error closed, or output to a full disk.
closed_out() { "$@" >&-; }
closed_err() { "$@" 2>&-; }
full_out() { "$@" >/dev/full; }

# What a run through the driver meets on 0x378 with closed standard streams or
# a full disk: $1, the user it runs as.
streams() {
	run $P -a off
	run closed_out $1 $P -1 on -o
	run closed_err $1 $P -x
	run full_out $1 $P -o -3 on
	run $P -o
}

# Runs from a parent that blocked every signal and ignored SIGALRM, side by
# side, a member of lp through the driver and root by raw I/O, while a stopped
# run holds the lock of 0x378's device: each still ends within the bound.
masked_parents() {
	hold /tmp/held /bin/holdlocks "$(device_of 888)"
	side_by_side "timed 9 12 timeout 35 /bin/masked $LP $P -7 on -o" \
		"timed 9 12 timeout 35 /bin/masked $P -6 on -o"
	kill $holder
	wait
}

# Rounds of races on both ports, all on then all off.
races() {
	for round in 1 2 3; do
		race 378 on; race 278 on
		echo "round $round, all on: $($P -o -p 278 -o | cut -c1-8 | tr '\n' ' ')"
		race 378 off; race 278 off
		echo "round $round, all off: $($P -o -p 278 -o | cut -c1-8 | tr '\n' ' ')"
	done
}

if [ "$1" = lockdown ]; then
	echo "== locked down, no driver: root is refused raw port access"
	run $P -o
	echo "== the driver loaded: root switches through it"
	drivers
	run $P -a off -o
	run $P -1 on -3 on
	run $P -o
	run $P -p 278 -a on -2 off -o
	run $P -p 0x278 -o
	run $P -o -p 278 -o
	echo "== no driver at 0x3bc: reads 0xff, can't be written"
	run $P -p 3bc -o
	run $P -p 3bc -1 on
	echo "== past the port space; outside lp"
	run $P -p fffe -1 on
	run $NOBODY $P -1 off
	run $P -o -p 278 -o
	echo "== root and lp at once, through the driver: no switch is lost"
	races
	crossing "$LP"
	echo "== root through the driver: closed streams, a full disk"
	streams ""
	echo "== root through the driver: another program holding the port for a while, and for good with no pending signal allowed"
	holding 3 2 5 $P -2 on -o
	holding 60 9 12 no_sigqueue $P -4 on -o
	run $P -o
	echo "== end of the locked-down part"
	exit 0
fi

echo "== help screens: status 1, nothing written"
run $P -o -p 278 -o
run $P
run $P -h
run $P -1 bogus
run $P -e
run $P -o -p 278 -o

echo "== switching lines; each run starts from what the last one latched"
run $P -a off -o
run $P -1 on
run $P -o
run $P -a on -3 off
run $P -o
run $P -8 off -o -8 on -o
run $P -a off
run $P -o

echo "== the second port; the first keeps its lines"
run $P -1 on
run $P -p 278 -o
run $P -p 278 -2 on -5 on
run $P -p 0x278 -o
run $P -o
run $P -o -p 278 -o

echo "== no device at 0x3bc: reads 0xff, keeps nothing"
run $P -p 3bc -a off -o
run $P -p 3bc -o

echo "== an unprivileged user: refused before anything is read or written"
run /bin/asuser 65534 $P -1 off
run /bin/asuser 65534 $P -o
run /bin/asuser 65534 $P -h
run $P -o -p 278 -o

echo "== ranges past the end of the port space"
run $P -p ffff -1 on
run $P -p fffe -1 on
run $P -p fffd -o
run $P -o

echo "== eight runs at once, one line each: none is lost"
run $P -a off -p 278 -a off
for n in 1 2 3 4 5 6 7 8; do $P -$n on & done
wait
for n in 1 2 3 4 5 6 7 8; do $P -p 278 -$n on & done
wait
run $P -o -p 278 -o
stat -c '%n: user %u, mode %a' /run/relayswitch.lock
echo "== root's lock file: its mode set right; anything else at its path stops root's run"
chmod 0644 /run/relayswitch.lock
run $P -o
stat -c '%n: user %u, mode %a' /run/relayswitch.lock
rm /run/relayswitch.lock
mkdir /run/relayswitch.lock
run $P -1 off
rmdir /run/relayswitch.lock
: >/run/relayswitch.lock
chown 65534 /run/relayswitch.lock
run $P -1 off
rm /run/relayswitch.lock
run $P -a off -p 278 -a off

echo "== the driver loaded; its numbers are not the ports' order"
drivers
echo "== a member of lp, through the driver: the parallel ports and nothing else"
run $LP $P -a off -o
run $LP $P -4 on -o
run $LP $P -p 278 -a on -6 off -o
run $P -o -p 278 -o
run $LP $P -p 3bc -o
run $LP $P -p 3bc -a off
run $LP $P -p fffe
run $NOBODY $P -1 off
run $NOBODY $P -o
run $P -o -p 278 -o
echo "== root by raw I/O and lp through the driver at once: no switch is lost"
races
crossing "$LP"
echo "== locks held by a user outside lp don't hold back root"
hold /tmp/held $NOBODY /bin/holdlocks /run/lock/relayswitch.lock /run/relayswitch.lock /dev/parport*
run timeout 20 $P -5 on -o
run timeout 20 $P -p 278 -5 on -o
run timeout 20 $P -p 3bc -o
kill $holder
wait
echo "== a member of lp: closed streams, a full disk"
streams "$LP"
echo "== a member of lp: another program holding the port for a while, and for good"
holding 3 2 5 $LP $P -2 on -o
holding 60 9 12 $LP $P -4 on -o
echo "== root by raw I/O waits for another program's claim, and writes nothing under it"
holding 3 2 5 $P -5 on -o
run $P -o
echo "== side by side, from a parent that blocked every signal, while a run holds the port's lock"
masked_parents
run $P -o
echo "== runs that pass by a port without a driver lock the port they switch"
passing
echo "== only 0x278 registered, as a PCI card alone would be"
rmmod ppdev parport_pc parport
drivers io=0x278
run $LP $P -o -p 278 -o
run $LP $P -p 278 -a off -1 on -o
run $LP $P -1 on
run $P -o -p 278 -o
