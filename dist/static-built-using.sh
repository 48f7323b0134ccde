#!/bin/sh
# SPDX-License-Identifier: GPL-2.0-or-later
# static-built-using.sh MAP...: what programs linked statically are built from
# besides their own source, for a Debian package's Static-Built-Using: each
# file of another package that their link maps (ld -Map) show went into them
# -- an object loaded, an archive's member included -- named by its package's
# source and exact version, "gcc-12 (= 12.2.0-14), musl (= 1.2.3-1)". A file
# no package owns fails it.
set -eu
files=$(for map in "$@"; do
	sed -n -e 's/^LOAD \(\/.*\.o\)$/\1/p' -e 's/^\(\/[^ (]*\.a\)(.*/\1/p' "$map"
done | sort -u)
[ -n "$files" ] || { echo "static-built-using.sh: no other package's file in $*" >&2; exit 1; }
owners=
for file in $files; do
	owner=$(dpkg -S "$(realpath "$file")")
	owners="$owners, ${owner%%: *}"
done
packages=$(echo "$owners" | tr ', ' '\n\n' | sort -u)
sources=$(dpkg-query -W -f '${source:Package} (= ${source:Version})\n' $packages)
echo "$sources" | sort -u | paste -sd, - | sed 's/,/, /g'
