#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# What a user installs: the manual pages, the installed tree, the labs'
# examples as README shows them, Debian's build of the package and what
# lintian says of it, the boot unit and the bash
# completion; what the static programs are made of; that two builds are the
# same bit for bit, that the package builds from its Build-Depends alone, and
# that a newcomer's commands and Debian's build pass on Debian 13 and 14.
# The programs built are $RELAYSWITCH, $RELAYSWITCH_SIM and $RELAYSWITCH_SHELL.
#
#   check.sh man|install|examples|deb|lintian|repro|builddeps|trixie|forky|unit|completion|static SOURCE-DIR BUILD-DIR
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
# shellcheck source=../skip.sh
. "$(dirname "$0")/../skip.sh"
need() {
	command -v "$1" >/dev/null || skip "no $1"
}

# lintian_clean OUTPUT: lintian said nothing but what it says to root, and
# what no override can reach: bookworm's debhelper copies Static-Built-Using
# into the -dbgsym package, which has no overrides, and a lintian that
# predates the field (bookworm's) warns of it there.
lintian_clean() {
	grep -v -e 'running with root privileges' \
		-e '^W: relayswitch-dbgsym: unknown-field Static-Built-Using$' "$1" && fail "lintian"
}

# exposure ROOT UNIT MOST: how much UNIT, installed under ROOT with the
# system's units, may reach beyond what it needs, as systemd rates it (0 none,
# 10 all): MOST at most.
exposure() {
	local e
	e=$(systemd-analyze security --offline=yes --root="$1" "$2" 2>&1 |
		sed -n "s/.*Overall exposure level for $2: \([0-9.]*\).*/\1/p")
	echo "exposure of $2: ${e:-unknown}"
	awk -v e="$e" -v most="$3" 'BEGIN { exit !(e != "" && e <= most) }' || fail "$2: exposure ${e:-unknown} over $3"
}
# enables POSTINST: the maintainer script enables its unit on a new install,
# not only again on an upgrade where the admin had enabled it.
enables() {
	grep -q 'deb-systemd-helper enable' "$1" && ! grep -q 'deb-systemd-helper debian-installed' "$1"
}

# What a package build finds on PATH: Debian's own tools, as on a build
# daemon, not another Python put before them.
debian_path=/usr/sbin:/usr/bin:/sbin:/bin

# copy_source FROM TO: the source tree as committed and as changed, without
# build trees or anything else git ignores (every file, where it isn't git's).
copy_source() {
	if git -C "$1" rev-parse --git-dir >/dev/null 2>&1; then
		git -C "$1" ls-files -co --exclude-standard -z | (cd "$1" && tar --null -T - -cf -) |
			tar -xf - -C "$2"
	else
		tar -C "$1" --exclude='./build*' -cf - . | tar -xf - -C "$2"
	fi
}

# The files an install puts under its prefix. Under the prefix /usr, etc/ is /etc.
installed=$(grep . <<LIST | sort
bin/relayswitch
bin/relayswitch-shell
bin/relayswitch-sim
etc/default/relayswitch
lib/systemd/system/relayswitch.service
share/bash-completion/completions/relayswitch
share/bash-completion/completions/relayswitch-sim
share/doc/relayswitch/LICENSE
share/doc/relayswitch/README.md
share/doc/relayswitch/changelog.gz
share/doc/relayswitch/copyright
share/doc/relayswitch/examples/labgrid-env.yaml
share/doc/relayswitch/examples/labgrid-exporter.yaml
share/doc/relayswitch/examples/lava-device.jinja2
share/doc/relayswitch/examples/pdudaemon-lp.conf
share/doc/relayswitch/examples/pdudaemon.conf
share/man/man1/relayswitch-shell.1.gz
share/man/man1/relayswitch-sim.1.gz
share/man/man1/relayswitch.1.gz
LIST
)
in_usr=$(sed 's|^|usr/|; s|^usr/etc/|etc/|' <<<"$installed" | sort)

case $what in
man)
	need man
	for page in "$src"/src/relayswitch*.1 "$src/python/relayswitch-mqtt.1"; do
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
	# Debian's own build, from a clean copy of the source: the source package,
	# and the binary package for this tree's architecture (cross-built for
	# i386 in the 32-bit tree). They stay in debs/ of the build tree for lintian
	# and the emulated Debian.
	need dpkg-buildpackage
	need dh
	arch=$(dpkg --print-architecture)
	grep -q RELAYSWITCH_M32:BOOL=ON "$build/CMakeCache.txt" && arch=i386
	cross=
	[ "$arch" = "$(dpkg --print-architecture)" ] || cross="-a $arch"
	# debhelper alone is not the Build-Depends: say what else to install.
	(cd "$src" && dpkg-checkbuilddeps $cross -Pnocheck) >"$tmp/unmet" 2>&1 ||
		skip "$(sed 's/^dpkg-checkbuilddeps: error: //' "$tmp/unmet") (sudo apt-get build-dep ./ installs them)"
	debs=$build/debs
	rm -rf "$debs"
	mkdir -p "$debs/src"
	copy_source "$src" "$debs/src"
	(cd "$debs/src" && dpkg-source -b . >"$debs/source.log" 2>&1) || { cat "$debs/source.log"; exit 1; }
	# The tests ran in this build tree already: the package is built without them.
	(cd "$debs/src" && PATH=$debian_path DEB_BUILD_OPTIONS="nocheck parallel=$(nproc)" \
		dpkg-buildpackage $cross -Pnocheck -b -us -uc \
		>"$debs/build.log" 2>&1) || { tail -n 40 "$debs/build.log"; exit 1; }
	rm -rf "$debs/src"
	deb=$debs/relayswitch_0.4.0_$arch.deb
	[ -f "$deb" ] || { fail "no package made: $(ls "$debs")"; exit 1; }
	dpkg-deb -c "$deb"
	got=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./||' | sort)
	want=$( (grep -v '^usr/share/doc/relayswitch/\(README.md\|LICENSE\)$' <<<"$in_usr" |
		sed 's|^usr/lib/systemd|lib/systemd|'; echo usr/share/lintian/overrides/relayswitch) | sort)
	[ "$got" = "$want" ] || fail "package holds:"$'\n'"$got"
	[ "$(dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles)" = /etc/default/relayswitch ] ||
		fail "/etc/default/relayswitch is not a conffile"
	# Installing, upgrading or removing the package never starts the unit, nor
	# enables it: starting it switches relays.
	dpkg-deb --ctrl-tarfile "$deb" | tar -x -C "$tmp" 2>/dev/null
	for script in preinst postinst prerm postrm; do
		[ -f "$tmp/$script" ] || continue
		grep -nE '(deb-systemd-invoke|systemctl|invoke-rc\.d)[^|;]* [a-z-]*(start|restart)' "$tmp/$script" &&
			fail "$script starts the unit"
	done
	# Enabled again on upgrade where the admin had enabled it; never on a new install.
	enables "$tmp/postinst" && fail "postinst enables the unit"
	grep -q 'deb-systemd-helper purge' "$tmp/postrm" || fail "postrm does not purge the unit's links"
	for field in Package=relayswitch Version=0.4.0 Architecture=$arch Section=admin; do
		value=$(dpkg-deb -f "$deb" "${field%%=*}")
		[ "$value" = "${field#*=}" ] || fail "${field%%=*} is '$value', not '${field#*=}'"
	done
	[ -z "$(dpkg-deb -f "$deb" Depends)" ] || fail "the static build depends on: $(dpkg-deb -f "$deb" Depends)"
	dpkg-deb -f "$deb" Description | grep -q 'relay board' || fail "no description"
	# What the static programs hold of other packages, for Debian to know what
	# to rebuild it for: musl's source at the exact version built against.
	musl=$(dpkg-query -W -f '${source:Package} (= ${source:Version})' "musl-dev:$arch")
	using=$(dpkg-deb -f "$deb" Static-Built-Using)
	echo "Static-Built-Using: $using"
	case ", $using," in
	*", $musl,"*) ;;
	*) fail "Static-Built-Using is '$using', without '$musl'" ;;
	esac
	# The Ansible collection, for every architecture, where Debian's Ansible
	# looks for collections without configuration.
	ansible=$debs/relayswitch-ansible_0.4.0_all.deb
	collection=usr/share/ansible/collections/ansible_collections/relayswitch/parport
	got=$(dpkg-deb -c "$ansible" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./||' | sort)
	want=$(sort <<LIST
$collection/FILES.json
$collection/LICENSE
$collection/MANIFEST.json
$collection/README.md
$collection/meta/runtime.yml
$collection/plugins/modules/relays.py
usr/share/doc/relayswitch-ansible/changelog.gz
usr/share/doc/relayswitch-ansible/copyright
usr/share/lintian/overrides/relayswitch-ansible
LIST
)
	[ "$got" = "$want" ] || fail "relayswitch-ansible holds:"$'\n'"$got"
	[ "$(dpkg-deb -f "$ansible" Architecture)" = all ] || fail "relayswitch-ansible is not Architecture: all"
	if command -v ansible-doc >/dev/null; then
		LC_ALL=C.UTF-8 ansible-config dump 2>/dev/null | grep -q '^COLLECTIONS_PATHS.*/usr/share/ansible/collections' ||
			fail "this Ansible does not look in /usr/share/ansible/collections"
		dpkg-deb -x "$ansible" "$tmp/ansible"
		LC_ALL=C.UTF-8 ANSIBLE_COLLECTIONS_PATH=$tmp/ansible/usr/share/ansible/collections HOME=$tmp ansible-doc \
			relayswitch.parport.relays >"$tmp/doc" 2>&1 || fail "ansible-doc: $(cat "$tmp/doc")"
		for part in OPTIONS ATTRIBUTES EXAMPLES 'RETURN VALUES'; do
			grep -q "^$part" "$tmp/doc" || fail "ansible-doc relayswitch.parport.relays shows no $part"
		done
	fi
	# The Python package for the lab tools, for every architecture: pybuild's
	# install, with the pdudaemon driver's entry point written by the build.
	python=$debs/python3-relayswitch_0.4.0_all.deb
	site=usr/lib/python3/dist-packages
	got=$(dpkg-deb -c "$python" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./||' | sort)
	want=$(sort <<LIST
$site/relayswitch-0.4.0.dist-info/METADATA
$site/relayswitch-0.4.0.dist-info/RECORD
$site/relayswitch-0.4.0.dist-info/WHEEL
$site/relayswitch-0.4.0.dist-info/entry_points.txt
$site/relayswitch-0.4.0.dist-info/top_level.txt
$site/relayswitch/__init__.py
$site/relayswitch/command.py
$site/relayswitch/labgrid.py
$site/relayswitch/mqtt.py
$site/relayswitch/pdudaemon.py
usr/share/doc/python3-relayswitch/changelog.gz
usr/share/doc/python3-relayswitch/copyright
LIST
)
	[ "$got" = "$want" ] || fail "python3-relayswitch holds:"$'\n'"$got"
	[ "$(dpkg-deb -f "$python" Architecture)" = all ] || fail "python3-relayswitch is not Architecture: all"
	# Debian 12's and 13's pdudaemon find drivers through pkg_resources, and
	# don't depend on it; Debian 14 has no pkg_resources.
	for dep in Depends:python3:any Recommends:python3-pkg-resources; do
		case ", $(dpkg-deb -f "$python" "${dep%%:*}")," in
		*", ${dep#*:},"*) ;;
		*) fail "python3-relayswitch's ${dep%%:*} lack ${dep#*:}: $(dpkg-deb -f "$python" "${dep%%:*}")" ;;
		esac
	done
	dpkg-deb --fsys-tarfile "$python" | tar -xO "./$site/relayswitch-0.4.0.dist-info/entry_points.txt" |
		tr '\n' ' ' | grep -qF '[pdudaemon.driver] relayswitch = relayswitch.pdudaemon:RelaySwitch' ||
		fail "python3-relayswitch registers no pdudaemon driver"
	# The MQTT bridge, a package of its own so that paho-mqtt comes only with
	# it: its command, unit, config and user; the unit not enabled by
	# installing, sandboxed as far as a network client can be.
	mqtt=$debs/relayswitch-mqtt_0.4.0_all.deb
	got=$(dpkg-deb -c "$mqtt" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./||' | tr '\n' ' ')
	[ "$got" = "etc/relayswitch/mqtt.conf lib/systemd/system/relayswitch-mqtt.service usr/bin/relayswitch-mqtt \
usr/lib/sysusers.d/relayswitch-mqtt.conf usr/share/doc/relayswitch-mqtt/changelog.gz \
usr/share/doc/relayswitch-mqtt/copyright usr/share/man/man1/relayswitch-mqtt.1.gz " ] ||
		fail "relayswitch-mqtt holds: $got"
	dpkg-deb --ctrl-tarfile "$mqtt" | tar -xO ./postinst >"$tmp/mqtt.postinst"
	enables "$tmp/mqtt.postinst" && fail "relayswitch-mqtt's postinst enables the unit"
	dpkg-deb -x "$mqtt" "$tmp/mqtt" && cp -rn /usr/lib/systemd/system/. "$tmp/mqtt/lib/systemd/system/" 2>/dev/null &&
		command -v systemd-analyze >/dev/null && exposure "$tmp/mqtt" relayswitch-mqtt.service 2.0
	# The programs run: the i386 package's on an i486.
	dpkg-deb -x "$deb" "$tmp/root"
	wrap=
	[ "$arch" = i386 ] && wrap="qemu-i386-static -cpu 486"
	out=$(RELAYSWITCH_SIM_STATE="$tmp/state" $wrap "$tmp/root/usr/bin/relayswitch-sim" -2 on -o)
	[ "$out" = "01000000 11111110" ] || fail "the packaged relayswitch-sim printed: $out"
	;;
lintian)
	# Debian's own checker, on the source package and the binary packages of
	# the deb check: no error, no warning (the static programs have their
	# override, with its reason).
	need lintian
	ls "$build"/debs/*.dsc "$build"/debs/*.deb >/dev/null 2>&1 ||
		skip "no packages: package.deb makes them (packages dpkg-dev debhelper)"
	lintian --fail-on error "$build"/debs/*.dsc "$build"/debs/*.deb >"$tmp/lintian" 2>&1 ||
		fail "lintian: $(cat "$tmp/lintian")"
	lintian_clean "$tmp/lintian"
	;;
repro)
	# Bit-identical builds: one commit built twice, in directories of other
	# names and depths, at other times, with another umask, locale and time
	# zone, gives byte-identical static programs (64- and 32-bit), release
	# archives and Debian packages (amd64 and i386). diffoscope shows any
	# difference.
	need dpkg-buildpackage
	need dh
	need i686-linux-gnu-g++
	for n in 1 2; do
		case $n in
		1) dir=$tmp/a/relayswitch mask=022 zone=UTC locale=C ;;
		2) dir=$tmp/b/somewhere/much/deeper/than/the/first/src mask=077 zone=XYZ-13:45 locale=C.UTF-8 ;;
		esac
		mkdir -p "$dir"
		copy_source "$src" "$dir"
		[ $n = 2 ] && sleep 2
		(
			umask $mask
			export TZ=$zone LC_ALL=$locale
			cd "$dir"
			{
				cmake -S . -B build -G Ninja -DBUILD_TESTING=OFF && cmake --build build --target release &&
					cmake -S . -B build-m32 -G Ninja -DBUILD_TESTING=OFF -DRELAYSWITCH_M32=ON &&
					cmake --build build-m32 --target release &&
					PATH=$debian_path DEB_BUILD_OPTIONS=nocheck dpkg-buildpackage -Pnocheck -b -us -uc &&
					PATH=$debian_path DEB_BUILD_OPTIONS=nocheck dpkg-buildpackage -a i386 -Pnocheck -b -us -uc
			} >"$tmp/build$n.log" 2>&1
		) || { tail -n 30 "$tmp/build$n.log"; fail "build $n"; exit 1; }
		out=$tmp/out$n
		mkdir -p "$out"
		for prog in relayswitch relayswitch-sim relayswitch-shell; do
			cp "$dir/build/$prog" "$out/"
			cp "$dir/build-m32/i486/$prog" "$out/$prog.i486"
		done
		cp "$dir"/build/release/*.tar.gz "$dir"/build/release/*.whl "$dir"/build-m32/release/*.tar.gz \
			"$dir"/../*.deb "$out/"
	done
	(cd "$tmp/out1" && sha256sum * | tee "$tmp/sums") >/dev/null
	(cd "$tmp/out2" && sha256sum -c --quiet "$tmp/sums") || {
		command -v diffoscope >/dev/null || echo "(diffoscope, package diffoscope-minimal, would show how)"
		for f in "$tmp"/out1/*; do
			cmp -s "$f" "$tmp/out2/${f##*/}" && continue
			fail "${f##*/} differs between the two builds"
			command -v diffoscope >/dev/null && diffoscope "$f" "$tmp/out2/${f##*/}" | head -n 60
		done
	}
	[ "$(ls "$tmp/out1" | wc -l)" -ge 14 ] || fail "only $(ls "$tmp/out1" | tr '\n' ' ')"
	echo "the same bit for bit in both builds:"
	sed 's/^/  /' "$tmp/sums"
	;;
builddeps)
	# The Build-Depends are complete: Debian's build with its tests succeeds in
	# a clean Debian 12 that has build-essential and them alone.
	need mmdebstrap
	[ "$(id -u)" = 0 ] || skip "not root: the build system is made with chroot"
	deps=$(awk '/^[^ \t]/ { keep = /^Build-Depends(-Indep)?:/ } keep' "$src/debian/control" |
		sed 's/^Build-Depends\(-Indep\)\?://; s/([^)]*)//g; s/<[^>]*>//g; s/\[[^]]*\]//g; s/:native//g' | tr ',' '\n' |
		tr -d ' \t' | grep . | paste -sd, -)
	echo "Build-Depends: $deps"
	root=$tmp/chroot
	mmdebstrap --quiet --variant=buildd --include="$deps" bookworm "$root" >"$tmp/mmdebstrap.log" 2>&1 ||
		{ cat "$tmp/mmdebstrap.log"; fail "mmdebstrap"; exit 1; }
	mkdir -p "$root/build/relayswitch"
	copy_source "$src" "$root/build/relayswitch"
	chroot "$root" sh -c 'cd /build/relayswitch && dpkg-checkbuilddeps && dpkg-buildpackage -b -us -uc' \
		>"$tmp/build.log" 2>&1 || { tail -n 40 "$tmp/build.log"; fail "the build in a clean Debian 12"; }
	grep -E 'tests passed|Test #' "$tmp/build.log" | tail -n 3
	ls "$root/build"/*.deb >/dev/null 2>&1 || fail "no package made"
	;;
trixie|forky)
	# A newcomer on Debian 13 or 14, then Debian's build there: in a clean
	# system of that release with only the packages README names, README's two
	# commands from a copy of the source; then, with what `apt-get build-dep`
	# adds (build-essential and the Build-Depends), the source and binary
	# packages built with their tests, and that release's lintian on them. The
	# packages stay in debs-RELEASE of the build tree for that release's lab
	# tools.
	need mmdebstrap
	need unshare
	[ "$(id -u)" = 0 ] || skip "not root: the build system is made with chroot"
	readme=$(tr '\n' ' ' <"$src/README.md")
	pkgs=$(grep -o '`sudo apt-get install [^`]*`' <<<"$readme" | head -n 1 | tr -d '`')
	pkgs=${pkgs#sudo apt-get install }
	[ -n "$pkgs" ] || { fail "README names no packages to install"; exit 1; }
	echo "README's packages: $pkgs"
	root=$tmp/chroot
	# testing's Release file may be past its date between two of the mirror's runs
	mmdebstrap --quiet --variant=apt --include="${pkgs// /,}" --aptopt='Acquire::Check-Valid-Until "false"' \
		--dpkgopt='path-exclude=/usr/share/man/*' \
		"$what" "$root" >"$tmp/mmdebstrap.log" 2>&1 || { cat "$tmp/mmdebstrap.log"; fail "mmdebstrap"; exit 1; }
	cp /etc/resolv.conf "$root/etc/"
	mkdir -p "$root/build/relayswitch"
	copy_source "$src" "$root/build/relayswitch"
	grep '^    cmake -S \. -B build' "$src/README.md" | head -n 2 >"$root/build/commands"
	# in_root COMMAND LOG WHAT: COMMAND in that system as a user's shell runs it
	# (its /proc and /dev, none of this run's environment), its output in LOG.
	in_root() {
		unshare -m --propagation private sh -c 'mount -t proc proc "$1/proc" && mount --rbind /dev "$1/dev" &&
			exec chroot "$1" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
			DEBIAN_FRONTEND=noninteractive sh -ec "$2"' - "$root" "$1" >"$tmp/$2" 2>&1 ||
			{ tail -n 40 "$tmp/$2"; fail "$3 on $what"; exit 1; }
	}
	# Each from a fresh build tree, which goes before Debian's build.
	while read -r cmd; do
		in_root "cd /build/relayswitch && $cmd" readme.log "README's command $cmd"
		grep -E '^[01]{8} [01]{8}$|tests passed' "$tmp/readme.log"
		rm -rf "$root/build/relayswitch/build"
	done <"$root/build/commands"
	in_root "cd /build/relayswitch && apt-get update -q && apt-get build-dep -y -q ./ &&
		DEB_BUILD_OPTIONS=parallel=$(nproc) dpkg-buildpackage -us -uc" build.log "Debian's build"
	grep -E 'tests passed' "$tmp/build.log" | tail -n 1
	in_root "apt-get install -y -q lintian" lintian-install.log "installing lintian"
	chroot "$root" lintian --version
	in_root "cd /build && lintian --fail-on error *.dsc *.deb" lintian.log "lintian"
	lintian_clean "$tmp/lintian.log"
	rm -rf "$build/debs-$what"
	mkdir -p "$build/debs-$what"
	cp "$root"/build/*.deb "$build/debs-$what/"
	ls "$build/debs-$what"
	;;
examples)
	# The labs' recipes in README are the shipped files themselves, word for
	# word (indented as a block), so the two can't drift apart.
	for f in "$src"/dist/examples/*; do
		block=$(sed 's/^/    /; s/^ *$//' "$f")
		readme=$(cat "$src/README.md")
		[[ $readme == *"$block"* ]] || fail "README.md does not show ${f#$src/} as it is shipped"
	done
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
	# The sandbox: the unit reaches its ports and little else.
	exposure "$root" relayswitch.service 2.5
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
	for prog in "$RELAYSWITCH" "$RELAYSWITCH_SIM" "$RELAYSWITCH_SHELL"; do
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
	echo "usage: check.sh man|install|examples|deb|lintian|repro|builddeps|trixie|forky|unit|completion|static SOURCE-DIR BUILD-DIR"
	exit 2
	;;
esac
exit $bad
