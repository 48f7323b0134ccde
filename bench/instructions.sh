#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Counts the user-space instructions of one run of relayswitch, with callgrind,
# and the size of each program. A script may switch relays thousands of times:
# a run should cost little more than the C library's start. Targets: 12000 for
# the usage text, 3000 for a refused run (relayswitch-shell's too), 20000 for
# the simulator's -a on -o;
# 128 KiB a program, stripped (as packaged). Runs get cron's small environment.
# A minimal static C program (against musl, as the programs are) that prints
# the same usage text is counted beside them for comparison.
#
#   bench/instructions.sh [build-dir]     (default: build)
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
[ -x "$build/relayswitch" ] || { echo "build $build first" >&2; exit 2; }
command -v valgrind >/dev/null || { echo "valgrind is not installed" >&2; exit 2; }
tmp=$(mktemp -d)
chmod 755 "$tmp"
trap 'rm -rf "$tmp"' EXIT
cp "$build/relayswitch" "$build/relayswitch-sim" "$build/relayswitch-shell" "$tmp/"
mkdir -m 777 "$tmp/out"

# The baseline: the usage text printed line by line, flushed, by plain C.
{
	echo '#include <stdio.h>'
	echo 'int main(void) {'
	sed 's/\\/\\\\/g; s/\t/\\t/g; s/.*/\tputs("&"); fflush(stdout);/' "$here/../tests/usage.golden"
	echo '	return 1; }'
} >"$tmp/baseline.c"
musl=/usr/lib/$(gcc -print-multiarch | sed 's/-gnu$/-musl/')/musl-gcc.specs
[ -f "$musl" ] || musl=	# without musl-dev, against the system's C library
cc -O2 -static ${musl:+-specs=$musl} -o "$tmp/baseline" -x c "$tmp/baseline.c"

cron=(env -i PATH=/usr/bin:/bin HOME=/root SHELL=/bin/sh LOGNAME=root
	RELAYSWITCH_SIM_STATE="$tmp/out/state")
n=0
count() {	# label, target (or -), program, arguments...
	local label=$1 target=$2 prog=$3; shift 3
	n=$((n + 1))
	"${pre[@]}" "${cron[@]}" valgrind --tool=callgrind --callgrind-out-file="$tmp/out/cg.$n" \
		"$tmp/$prog" "$@" >/dev/null 2>"$tmp/out/err.$n" || true
	local ir
	ir=$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$tmp/out/err.$n")
	[ -n "$ir" ] || { cat "$tmp/out/err.$n" >&2; exit 1; }
	if [ "$target" = - ]; then
		printf '%-46s %9s\n' "$label" "$ir"
	else
		printf '%-46s %9s  target %s: %s\n' "$label" "$ir" "$target" \
			"$([ "$ir" -le "$target" ] && echo ok || echo OVER)"
	fi
}

pre=()
count "baseline: static C printing the usage text" - baseline
count "relayswitch (usage text)" 12000 relayswitch
pre=(setpriv --reuid=65534 --regid=65534 --clear-groups)
count "relayswitch -1 on (unprivileged: refused)" 3000 relayswitch -1 on
pre=()
count "relayswitch-sim -a on -o" 20000 relayswitch-sim -a on -o
count "relayswitch-shell 378, a login (refused)" 3000 relayswitch-shell 378

for prog in relayswitch relayswitch-sim relayswitch-shell; do
	strip -o "$tmp/out/$prog" "$tmp/$prog"
	size=$(stat -c %s "$tmp/out/$prog")
	printf '%-46s %9s  target %s: %s\n' "$prog: bytes, stripped" "$size" 131072 \
		"$([ "$size" -le 131072 ] && echo ok || echo OVER)"
done
