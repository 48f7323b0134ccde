# SPDX-License-Identifier: GPL-2.0-or-later
# shellcheck shell=bash
# Sourced by the lab tools' tests, after skip.sh, with $tmp their scratch
# directory: the simulated port they drive, pdudaemon started on it, and how
# a check fails.

bad=0
# fail WHAT: a check failed; the test goes on and fails at its end.
fail() {
	echo "FAIL: $*"
	bad=1
}

# The simulator's state and access log in $tmp.
export RELAYSWITCH_SIM_STATE=$tmp/state RELAYSWITCH_SIM_LOG=$tmp/log HOME=$tmp
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

# pdudaemon from 1.0 on answers a request once it is done, with its outcome;
# before, it answers OK to any request it queues.
case $(dpkg-query -W -f '${Version}' pdudaemon 2>/dev/null) in
0.*) answers_outcome=0 ;;
*) answers_outcome=1 ;;
esac

# pdudaemon_up CONF NAME PORT [OPTION...]: pdudaemon with CONF in the
# background, its log $tmp/NAME.log (its output NAME.err), once it listens on
# 127.0.0.1:PORT; else the test ends.
pdudaemon_up() {
	local conf=$1 name=$2 port=$3
	shift 3
	pdudaemon --conf "$conf" "$@" --logfile "$tmp/$name.log" --loglevel INFO >"$tmp/$name.err" 2>&1 &
	for _ in $(seq 100); do
		grep -qi "listening on 127.0.0.1:$port" "$tmp/$name.log" 2>/dev/null && return 0
		sleep 0.2
	done
	echo "FAIL: pdudaemon ($name) did not start: $(cat "$tmp/$name.log" "$tmp/$name.err")"
	exit 1
}
