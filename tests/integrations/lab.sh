# SPDX-License-Identifier: GPL-2.0-or-later
# shellcheck shell=bash
# Sourced by the lab tools' tests on this machine, after their own checks, with
# $here their directory and $build the build tree: our drivers (the
# python3-relayswitch package that package.deb left in debs/) on Python's
# path; the test run again in a network namespace of its own, its loopback up;
# a scratch directory $tmp, removed at the end with whatever the test left
# running; the simulator (sim.sh) as `relayswitch` on PATH.
deb=$(ls "$build"/debs/python3-relayswitch_*_all.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || skip "no python3-relayswitch in $build/debs: package.deb makes it (packages dpkg-dev debhelper)"
if [ "${LAB_TEST_NETNS:-}" != 1 ]; then
	# A loopback of the test's own: root's, or a user namespace's.
	flags=-n
	[ "$(id -u)" = 0 ] || flags=-rn
	LAB_TEST_NETNS=1 exec unshare $flags "$0" "$@"
fi
ip link set lo up || exit 1

tmp=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; wait; rm -rf "$tmp"' EXIT
# shellcheck source=sim.sh
. "$here/sim.sh"
dpkg-deb -x "$deb" "$tmp/root" || exit 1
export PYTHONPATH=$tmp/root/usr/lib/python3/dist-packages
mkdir "$tmp/bin"
ln -s "$RELAYSWITCH_SIM" "$tmp/bin/relayswitch"
export PATH=$tmp/bin:$PATH
