#!/usr/bin/env bash
# What a user installs: the manual pages, the installed tree, the Debian
# package and the bash completion.
#
#   check.sh man|install|deb|completion SOURCE-DIR BUILD-DIR
# Exit status 0 good, 1 bad (says why), 77 skipped for want of a tool (a failure
# in CI, CI=true).
set -u
what=$1 src=$2 build=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
bad=0
fail() {
	echo "FAIL: $*"
	bad=1
}
. "$(dirname "$0")/../skip.sh"
need() {
	command -v "$1" >/dev/null || skip "no $1"
}

# The files an install puts under its prefix.
installed="bin/relayswitch-sim
sbin/relayswitch
share/bash-completion/completions/relayswitch
share/bash-completion/completions/relayswitch-sim
share/man/man1/relayswitch-sim.1
share/man/man8/relayswitch.8"

case $what in
man)
	need man
	for page in "$src/src/relayswitch.8" "$src/src/relayswitch-sim.1"; do
		LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" >"$tmp/page" 2>"$tmp/warn"
		[ -s "$tmp/warn" ] && fail "$page: $(cat "$tmp/warn")"
		grep -q '^NAME' "$tmp/page" || fail "$page did not render"
	done
	# Every option and section of relayswitch(8) is there.
	LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$src/src/relayswitch.8" >"$tmp/page" 2>/dev/null
	for section in NAME SYNOPSIS DESCRIPTION OPTIONS ROUTES WIRING "EXIT STATUS" EXAMPLES FILES \
		SECURITY DIAGNOSTICS "SEE ALSO"; do
		grep -qx "$section" "$tmp/page" || fail "relayswitch(8) has no section $section"
	done
	sed -n '/^OPTIONS/,/^WIRING/p' "$tmp/page" >"$tmp/options"
	for opt in '-1 ... -8 on|off' '-a on|off' '-p port' '-o' '-h' '-e'; do
		# The option heads its paragraph: alone on its line, or before its text.
		awk -v o="$opt" '{ sub(/^ +/, "") }
			index($0, o) == 1 && (length($0) == length(o) || substr($0, length(o) + 1, 2) == "  ") { f = 1 }
			END { exit !f }' "$tmp/options" || fail "relayswitch(8) does not describe $opt"
	done
	for text in 'ioperm: Operation not permitted' 'ioperm: Function not implemented' \
		'ioperm: Invalid argument' /run/relayswitch.lock /dev/parportN 'ioperm(2)' 'outb(2)'; do
		grep -qF "$text" "$tmp/page" || fail "relayswitch(8) does not name $text"
	done
	;;
install)
	cmake --install "$build" --prefix "$tmp/prefix" >/dev/null || fail "install with --prefix"
	DESTDIR="$tmp/dest" cmake --install "$build" --prefix /usr >/dev/null || fail "install with DESTDIR"
	for top in "$tmp/prefix" "$tmp/dest/usr"; do
		got=$(cd "$top" && find . -type f | sed 's|^\./||' | sort)
		[ "$got" = "$installed" ] || fail "installed under $top:"$'\n'"$got"
		[ -x "$top/sbin/relayswitch" ] && [ -x "$top/bin/relayswitch-sim" ] ||
			fail "programs not executable under $top"
	done
	# RELAYSWITCH_TEST_WRAP: an emulator, where the kernel can't run the build's programs.
	out=$(RELAYSWITCH_SIM_STATE="$tmp/state" ${RELAYSWITCH_TEST_WRAP:-} "$tmp/prefix/bin/relayswitch-sim" -2 on -o)
	[ "$out" = "01000000 11111110" ] || fail "installed relayswitch-sim printed: $out"
	;;
deb)
	need dpkg-deb
	(cd "$build" && cpack -G DEB -B "$tmp/pkg" >"$tmp/log" 2>&1) || { cat "$tmp/log"; exit 1; }
	deb=$(ls "$tmp"/pkg/relayswitch_*.deb 2>/dev/null | head -n 1)
	[ -n "$deb" ] || { fail "no package made"; exit 1; }
	dpkg-deb -c "$deb"
	got=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||' | sort)
	[ "$got" = "$installed" ] || fail "package holds:"$'\n'"$got"
	arch=$(dpkg --print-architecture)
	grep -q RELAYSWITCH_M32:BOOL=ON "$build/CMakeCache.txt" && arch=i386
	for field in Package=relayswitch Version=0.4.0 Architecture=$arch Section=admin; do
		value=$(dpkg-deb -f "$deb" "${field%%=*}")
		[ "$value" = "${field#*=}" ] || fail "${field%%=*} is '$value', not '${field#*=}'"
	done
	if ! readelf -l "$build/relayswitch" | grep -q INTERP; then
		[ -z "$(dpkg-deb -f "$deb" Depends)" ] ||
			fail "the static build depends on: $(dpkg-deb -f "$deb" Depends)"
	fi
	dpkg-deb -f "$deb" Description | grep -q 'relay board' || fail "no description"
	;;
completion)
	need bash
	while IFS='|' read -r line want; do
		got=$(bash -c 'source "$1"; read -ra COMP_WORDS <<<"$2"; [[ $2 == *" " ]] && COMP_WORDS+=("");
			COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _relayswitch; echo "${COMPREPLY[*]}"' \
			_ "$src/src/relayswitch.bash-completion" "$line")
		[ "$got" = "$want" ] || fail "completing '$line': '$got', not '$want'"
	done <<'CASES'
relayswitch -3 |on off
relayswitch -a o|on off
relayswitch -1 of|off
relayswitch -p |378 278 3bc
relayswitch -p 2|278
relayswitch -1 on -|-1 -2 -3 -4 -5 -6 -7 -8 -a -p -o -h -e
relayswitch-sim -|-1 -2 -3 -4 -5 -6 -7 -8 -a -p -o -h -e
relayswitch -o|-o
CASES
	;;
*)
	echo "usage: check.sh man|install|deb|completion SOURCE-DIR BUILD-DIR"
	exit 2
	;;
esac
exit $bad
