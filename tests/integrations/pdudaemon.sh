#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Our pdudaemon driver in Debian 12's pdudaemon, on the simulated port, with
# the shipped pdudaemon.conf: the python3-relayswitch package of debs/ in
# BUILD-DIR, unpacked and put on Python's path, and pdudaemon-driver.sh run
# in a network namespace of its own, where pdudaemon listens on
# 127.0.0.1:16421 as shipped.
#
#   pdudaemon.sh SOURCE-DIR BUILD-DIR
# with $RELAYSWITCH_SIM the simulator. Exit status 0 good, 1 bad (says why),
# 77 skipped for want of a tool (a failure in CI).
set -u
src=$1 build=$2
here=$(cd "$(dirname "$0")" && pwd)
examples=$src/dist/examples
# shellcheck source=../skip.sh
. "$here/../skip.sh"
command -v pdudaemon >/dev/null || skip "no pdudaemon (package pdudaemon)"
command -v ip >/dev/null || skip "no ip (package iproute2)"
# shellcheck source=lab.sh
. "$here/lab.sh"
echo "on pdudaemon $(dpkg-query -W -f '${Version}' pdudaemon)"
# Debian 12's pdudaemon reads the port with int() by HTTP and TCP alike.
"$here/pdudaemon-driver.sh" "$RELAYSWITCH_SIM" "$examples/pdudaemon.conf" "$tmp/driver" http tcp || bad=1

exit $bad
