#!/bin/sh
# SPDX-License-Identifier: GPL-2.0-or-later
# The Ansible collection relayswitch.parport (ansible/ of the source) as the
# release archive relayswitch-parport-VERSION.tar.gz in OUT-DIR, for
# `ansible-galaxy collection install` -- and for SHA256SUMS beside the other
# release archives. ansible-galaxy builds it; it stamps the time of the build
# into the archive, so its files are packed again as the other archives are
# (pack.sh).
#
#   collection.sh SOURCE-DIR OUT-DIR
set -eu
src=$1 out=$2
# shellcheck source=pack.sh
. "$(dirname "$0")/pack.sh"
# The collection's version is the package's.
says_version ansible/galaxy.yml "version: $version"
# ansible-galaxy writes nothing into the source tree, but reads all of it:
# a copy of the collection's own files alone. Ansible runs in a UTF-8 locale
# only, whatever the build's.
mkdir "$stage/src" "$stage/built" "$stage/files"
cp -R "$src/ansible/." "$stage/src/"
LC_ALL=C.UTF-8 ANSIBLE_NOCOLOR=1 ansible-galaxy collection build "$stage/src" --output-path "$stage/built" >/dev/null
set -- "$stage"/built/*.tar.gz
[ $# = 1 ] && [ -f "$1" ] || { echo "${0##*/}: ansible-galaxy built: $*" >&2; exit 1; }
name=${1##*/}
tar -xzf "$1" -C "$stage/files"
mkdir -p "$out"
pack "$stage/files" "$out/$name"
echo "$out/$name"
