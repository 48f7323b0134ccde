#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The half of the tree that isn't C++, through its own linters: every shell
# script by shellcheck (warnings and errors), each with the fragments it
# sources as one script (a fragment says its shell, and each `.` line what it
# sources); the Python of the lab tools' package and of the Ansible
# collection by pyflakes. A deliberate finding is disabled on its line, with
# the reason.
#
#   lint.sh shellcheck|pyflakes SOURCE-DIR
# Exit status 0 clean, 1 findings (listed), 77 skipped for want of the linter
# (a failure in CI).
set -u
what=$1 src=$2
. "$(dirname "$0")/skip.sh"
cd "$src" || exit 1
case $what in
shellcheck)
	command -v shellcheck >/dev/null || skip "no shellcheck (package shellcheck)"
	# The scripts: *.sh and whatever starts with a shell's #!, but gnulib's.
	files=$(git ls-files -co --exclude-standard 2>/dev/null || find . -path ./build\* -prune -o -type f -print | sed 's|^\./||')
	scripts=$(grep -v '^gnulib/' <<<"$files" | while read -r f; do
		case $f in
		*.sh) echo "$f" ;;
		*) [ -f "$f" ] && head -n 1 "$f" | grep -qE '^#!.*/(env )?(ba|da|busybox )?sh\b' && echo "$f" ;;
		esac
	done)
	# Fragments are checked within the scripts that source them.
	sourced=$(for f in $scripts; do
		sed -n 's/^[[:space:]]*# shellcheck source=//p' "$f" | while read -r s; do
			realpath -m --relative-to=. "$(dirname "$f")/$s"
		done
	done | sort -u)
	shellcheck --version | sed -n 's/^version: /shellcheck /p'
	# shellcheck disable=SC2046 # one word a script: no name has a space
	shellcheck -x -P SCRIPTDIR -S warning $(grep -vxF "$sourced" <<<"$scripts") || exit 1
	echo "$(wc -l <<<"$scripts") scripts clean"
	;;
pyflakes)
	# Debian's Python, whatever else is first on PATH.
	/usr/bin/python3 -m pyflakes --version >/dev/null 2>&1 || skip "no pyflakes (package python3-pyflakes)"
	/usr/bin/python3 -m pyflakes python ansible || exit 1
	echo "python/ and ansible/ clean"
	;;
*)
	echo "usage: lint.sh shellcheck|pyflakes SOURCE-DIR"
	exit 2
	;;
esac
