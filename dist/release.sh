#!/bin/sh
# SPDX-License-Identifier: GPL-2.0-or-later
# The release archive for any distribution: what `cmake --install` puts under
# /usr/local -- the static programs (stripped), manual pages, completion, the
# boot unit and its settings, README, licence, copyright and changelog -- as
# NAME.tar.gz in OUT-DIR, to unpack with `tar -xzf NAME.tar.gz -C /usr/local`,
# and SHA256SUMS of every release archive there. The archive is the same bit
# for bit for every build of one commit: its date is SOURCE_DATE_EPOCH, else
# the last commit's, else the changelog's; names sorted, owner root, modes
# whatever the umask.
#
#   release.sh BUILD-DIR SOURCE-DIR OUT-DIR NAME
set -eu
build=$1 src=$2 out=$3 name=$4
# shellcheck source=pack.sh
. "$(dirname "$0")/pack.sh"
DESTDIR=$stage cmake --install "$build" --prefix /usr/local --strip >/dev/null
mkdir -p "$out"
pack "$stage/usr/local" "$out/$name.tar.gz" .
(
	cd "$out"
	export LC_ALL=C
	set --
	for f in relayswitch-*; do
		case $f in *.tar.gz | *.whl) set -- "$@" "$f" ;; esac
	done
	sha256sum "$@" >SHA256SUMS
)
echo "$out/$name.tar.gz"
