#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# What a user installs: the manual pages, the installed tree, the Debian
# package and what lintian says of it, the boot unit and the bash completion;
# and what the static programs are made of. The programs built are $RELAYSWITCH
# and $RELAYSWITCH_SIM.
#
#   check.sh man|install|deb|lintian|unit|completion|static SOURCE-DIR BUILD-DIR
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

# The files an install puts under its prefix; the lintian override comes with
# the static programs only. Under the prefix /usr, etc/ is /etc.
static=yes
readelf -l "$RELAYSWITCH" | grep -q INTERP && static=
installed=$(grep . <<LIST | sort
bin/relayswitch
bin/relayswitch-sim
etc/default/relayswitch
lib/systemd/system/relayswitch.service
share/bash-completion/completions/relayswitch
share/bash-completion/completions/relayswitch-sim
share/doc/relayswitch/changelog.gz
share/doc/relayswitch/copyright
${static:+share/lintian/overrides/relayswitch}
share/man/man1/relayswitch-sim.1.gz
share/man/man1/relayswitch.1.gz
LIST
)
in_usr=$(sed 's|^|usr/|; s|^usr/etc/|etc/|' <<<"$installed" | sort)

case $what in
man)
	need man
	for page in "$src/src/relayswitch.1" "$src/src/relayswitch-sim.1"; do
		LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" >"$tmp/page" 2>"$tmp/warn"
		[ -s "$tmp/warn" ] && fail "$page: $(cat "$tmp/warn")"
		grep -q '^NAME' "$tmp/page" || fail "$page did not render"
	done
	# Every option and section of relayswitch(1) is there.
	LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$src/src/relayswitch.1" >"$tmp/page" 2>/dev/null
	for section in NAME SYNOPSIS DESCRIPTION OPTIONS ROUTES WAITING WIRING "EXIT STATUS" EXAMPLES FILES \
		SECURITY DIAGNOSTICS "SEE ALSO"; do
		grep -qx "$section" "$tmp/page" || fail "relayswitch(1) has no section $section"
	done
	sed -n '/^OPTIONS/,/^WIRING/p' "$tmp/page" >"$tmp/options"
	for opt in '-1 ... -8 on|off' '-a on|off' '-p port' '-o' '-h' '-e'; do
		# The option heads its paragraph: alone on its line, or before its text.
		awk -v o="$opt" '{ sub(/^ +/, "") }
			index($0, o) == 1 && (length($0) == length(o) || substr($0, length(o) + 1, 2) == "  ") { f = 1 }
			END { exit !f }' "$tmp/options" || fail "relayswitch(1) does not describe $opt"
	done
	for text in 'ioperm: Operation not permitted' 'ioperm: Function not implemented' \
		'ioperm: Invalid argument' /run/relayswitch.lock /dev/parportN 'ioperm(2)' 'outb(2)'; do
		grep -qF "$text" "$tmp/page" || fail "relayswitch(1) does not name $text"
	done
	;;
install)
	cmake --install "$build" --prefix "$tmp/prefix" >/dev/null || fail "install with --prefix"
	DESTDIR="$tmp/dest" cmake --install "$build" --prefix /usr >/dev/null || fail "install with DESTDIR"
	for top in "$tmp/prefix" "$tmp/dest"; do
		want=$installed
		[ "$top" = "$tmp/dest" ] && want=$in_usr
		got=$(cd "$top" && find . -type f | sed 's|^\./||' | sort)
		[ "$got" = "$want" ] || fail "installed under $top:"$'\n'"$got"
	done
	[ -x "$tmp/prefix/bin/relayswitch" ] && [ -x "$tmp/prefix/bin/relayswitch-sim" ] ||
		fail "programs not executable"
	grep -qxF "ExecStart=$tmp/prefix/bin/relayswitch \$RELAYSWITCH_ARGS" \
		"$tmp/prefix/lib/systemd/system/relayswitch.service" || fail "the unit runs another program"
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
	got=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./||' | sort)
	[ "$got" = "$in_usr" ] || fail "package holds:"$'\n'"$got"
	[ "$(dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles)" = /etc/default/relayswitch ] ||
		fail "/etc/default/relayswitch is not a conffile"
	# The maintainer scripts that keep systemd's view of the unit, and purge it.
	for script in postinst postrm; do
		dpkg-deb --ctrl-tarfile "$deb" | tar -tvf - "./$script" 2>/dev/null | grep -q '^-rwxr-xr-x' ||
			fail "no executable $script"
	done
	arch=$(dpkg --print-architecture)
	grep -q RELAYSWITCH_M32:BOOL=ON "$build/CMakeCache.txt" && arch=i386
	for field in Package=relayswitch Version=0.4.0 Architecture=$arch Section=admin; do
		value=$(dpkg-deb -f "$deb" "${field%%=*}")
		[ "$value" = "${field#*=}" ] || fail "${field%%=*} is '$value', not '${field#*=}'"
	done
	if [ -n "$static" ]; then
		[ -z "$(dpkg-deb -f "$deb" Depends)" ] ||
			fail "the static build depends on: $(dpkg-deb -f "$deb" Depends)"
	fi
	dpkg-deb -f "$deb" Description | grep -q 'relay board' || fail "no description"
	dpkg-deb -f "$deb" Description | grep -q '^  ' && fail "the description has a verbatim line"
	;;
lintian)
	# Debian's own checker: no error, no warning (the static programs have their
	# override). The package of a dynamic build (the sanitizer's) is not shipped.
	need lintian
	need dpkg-deb
	[ -n "$static" ] || { echo "a dynamic build's package is not shipped: nothing to check"; exit 0; }
	(cd "$build" && cpack -G DEB -B "$tmp/pkg" >"$tmp/log" 2>&1) || { cat "$tmp/log"; exit 1; }
	lintian --fail-on error,warning "$tmp"/pkg/relayswitch_*.deb || fail "lintian"
	;;
unit)
	need systemd-analyze
	# The system's own units beside the installed one, as on the machine it boots.
	root=$tmp/root
	DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null || fail "install"
	[ -f /usr/lib/systemd/system/sysinit.target ] || skip "no systemd units (package systemd)"
	cp -rn /usr/lib/systemd/system/. "$root/usr/lib/systemd/system/"
	unit=$root/usr/lib/systemd/system/relayswitch.service
	systemd-analyze verify --man=no --root="$root" "$unit" >"$tmp/verify" 2>&1 || fail "verify"
	grep -v 'running with root privileges' "$tmp/verify" | grep . && fail "systemd-analyze verify"
	for line in Type=oneshot TimeoutStartSec=30 RemainAfterExit=yes EnvironmentFile=/etc/default/relayswitch \
		'ExecStart=/usr/bin/relayswitch $RELAYSWITCH_ARGS'; do
		grep -qxF "$line" "$unit" || fail "the unit has no line $line"
	done
	# The sandbox: how much the unit may reach beyond its ports, as systemd rates
	# it (0 none, 10 all).
	exposure=$(systemd-analyze security --offline=yes --root="$root" relayswitch.service 2>&1 |
		sed -n 's/.*Overall exposure level for relayswitch.service: \([0-9.]*\).*/\1/p')
	echo "exposure of relayswitch.service: ${exposure:-unknown}"
	awk -v e="$exposure" 'BEGIN { exit !(e != "" && e <= 2.5) }' || fail "exposure ${exposure:-unknown} over 2.5"
	arch=native
	grep -q RELAYSWITCH_M32:BOOL=ON "$build/CMakeCache.txt" && arch="native x86"
	grep -qxF "SystemCallArchitectures=$arch" "$unit" || fail "the unit's system calls are not those of $arch"
	# What the shipped settings ask for: all relays off, and relayswitch takes it.
	RELAYSWITCH_ARGS=$(. "$root/etc/default/relayswitch" && echo "$RELAYSWITCH_ARGS")
	[ "$RELAYSWITCH_ARGS" = "-a off" ] || fail "default arguments: $RELAYSWITCH_ARGS"
	echo "0x378 0xa5" >"$tmp/state"
	RELAYSWITCH_SIM_STATE=$tmp/state ${RELAYSWITCH_TEST_WRAP:-} "$root/usr/bin/relayswitch-sim" \
		$RELAYSWITCH_ARGS || fail "relayswitch-sim $RELAYSWITCH_ARGS"
	[ "$(cat "$tmp/state")" = "0x378 0x00" ] || fail "boot state: $(cat "$tmp/state")"
	;;
completion)
	need bash
	# A ports list as the kernel's driver keeps it: 0x278, a PCI card at 0xe800,
	# 0x378, and an entry that is no port.
	ports=$tmp/parport
	mkdir -p "$ports"/parport0 "$ports"/parport1 "$ports"/parport2 "$ports"/default
	printf '632\t0\n' >"$ports/parport0/base-addr"
	printf '59392\t59400\n' >"$ports/parport1/base-addr"
	printf '888\t1912\n' >"$ports/parport2/base-addr"
	printf '0\n' >"$ports/default/spintime"
	while IFS='|' read -r line want dir; do
		got=$(bash -c 'source "$1"; _relayswitch_procdir=$3; read -ra COMP_WORDS <<<"$2";
			[[ $2 == *" " ]] && COMP_WORDS+=("");
			COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _relayswitch; echo "${COMPREPLY[*]}"' \
			_ "$src/src/relayswitch.bash-completion" "$line" "${dir/PORTS/$ports}")
		[ "$got" = "$want" ] || fail "completing '$line' ($dir): '$got', not '$want'"
	done <<'CASES'
relayswitch -3 |on off
relayswitch -a o|on off
relayswitch -1 of|off
relayswitch -p |378 278 3bc|/nonexistent
relayswitch -p 2|278|/nonexistent
relayswitch -p |278 e800 378 3bc|PORTS
relayswitch -p e|e800|PORTS
relayswitch -p 3|378 3bc|PORTS
relayswitch -1 on -|-1 -2 -3 -4 -5 -6 -7 -8 -a -p -o -h -e
relayswitch-sim -|-1 -2 -3 -4 -5 -6 -7 -8 -a -p -o -h -e
relayswitch -o|-o
CASES
	;;
static)
	# One file for any x86 Linux since 2.6: no interpreter, no C library that
	# asks for a newer kernel (its ABI note), and no C++ runtime in it.
	need readelf
	for prog in "$RELAYSWITCH" "$RELAYSWITCH_SIM"; do
		readelf -l "$prog" | grep -q INTERP && fail "$prog is not static"
		abi=$(readelf -n "$prog" | sed -n 's/.*OS: Linux, ABI: \([0-9.]*\).*/\1/p')
		echo "$prog: minimum kernel ${abi:-none named}"
		[ -z "$abi" ] || [ "$(printf '%s\n' "$abi" 2.6 | sort -V | tail -n 1)" = 2.6 ] ||
			fail "$prog asks for Linux $abi"
		runtime=$(nm "$prog" 2>/dev/null | grep -cE ' (__cxa_|__gxx_|_ZSt|_ZNSt|__dynamic_cast)')
		[ "$runtime" = 0 ] || fail "$prog holds $runtime symbols of the C++ runtime"
	done
	;;
*)
	echo "usage: check.sh man|install|deb|lintian|unit|completion|static SOURCE-DIR BUILD-DIR"
	exit 2
	;;
esac
exit $bad
