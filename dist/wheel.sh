#!/bin/sh
# SPDX-License-Identifier: GPL-2.0-or-later
# The Python package for the lab tools (python/ of the source) as the release's
# wheel, relayswitch-VERSION-py3-none-any.whl in OUT-DIR, for pip on any
# distribution -- and for SHA256SUMS beside the other release archives. Built
# by Python's build module from a copy (the build writes beside the sources),
# without network or isolation, dated as the other archives are (pack.sh).
#
#   wheel.sh SOURCE-DIR OUT-DIR
set -eu
src=$1 out=$2
# shellcheck source=pack.sh
. "$(dirname "$0")/pack.sh"
# The package's version is the Debian package's.
says_version python/pyproject.toml "version = \"$version\""
# The wheel keeps the modes of the files the build writes: the same whatever
# the umask and the checkout's modes.
umask 022
cp -R "$src/python" "$stage/src"
chmod -R u=rwX,go=rX "$stage/src"
mkdir -p "$out"
# Debian's Python, whatever else is first on PATH.
SOURCE_DATE_EPOCH=$epoch /usr/bin/python3 -m build --wheel --no-isolation --skip-dependency-check \
	--outdir "$stage/built" "$stage/src" >"$stage/log" 2>&1 || { cat "$stage/log" >&2; exit 1; }
wheel=relayswitch-$version-py3-none-any.whl
mv "$stage/built/$wheel" "$out/$wheel.new"
mv "$out/$wheel.new" "$out/$wheel"
echo "$out/$wheel"
