#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The collection through ansible-test sanity, as its maintainers run it: laid
# out as ansible_collections/relayswitch/parport, --local, on the system's
# Python (Debian 12's ansible-core here, Debian 14's in chroot.sh). Debian's
# pylint, pycodestyle, yamllint and voluptuous stand in for the pinned ones
# ansible-test would fetch from PyPI: each virtual environment it makes for a
# test is given the system's packages and marked as set up, where it would
# install them. No test is skipped or ignored but validate-modules where it
# can't run (below).
#
#   ansible-sanity.sh COLLECTION-DIR
# Exit status 0 good, 1 bad (ansible-test's report), 77 skipped for want of a
# tool (a failure in CI).
set -u
src=$1
# shellcheck source=../skip.sh
. "$(dirname "$0")/../skip.sh"
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
command -v ansible-test >/dev/null || skip "no ansible-test (package ansible-core)"
for tool in pylint:pylint pycodestyle:python3-pycodestyle yamllint:yamllint voluptuous:python3-voluptuous; do
	python3 -c "import ${tool%%:*}" 2>/dev/null || skip "no ${tool%%:*} for python3 (package ${tool#*:})"
done
command -v shellcheck >/dev/null || skip "no shellcheck (package shellcheck)"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export HOME=$tmp LC_ALL=C.UTF-8
collection=$tmp/ansible_collections/relayswitch/parport
mkdir -p "$collection"
cp -r "$src/." "$collection/"
cd "$collection" || exit 1
python=$(python3 -c 'import sys; print("%d.%d" % sys.version_info[:2])')
echo "on ansible-core $(ansible --version | sed -n '1s/.*core \([0-9.]*\).*/\1/p'), Python $python"
# validate-modules reads the documentation with antsibull-docs-parser from
# ansible-core 2.15 on, and no Debian release packages it: where it is
# missing, that one test is left out, and said so.
leave_out=()
if grep -rqs antsibull_docs_parser "$(python3 -c 'import ansible_test, os; print(os.path.dirname(ansible_test.__file__))')" &&
	! python3 -c 'import antsibull_docs_parser' 2>/dev/null; then
	leave_out=(--skip-test validate-modules)
	echo "validate-modules left out: no antsibull_docs_parser for python3 (not in Debian)"
fi
for _ in $(seq 20); do
	if ansible-test sanity --local --python "$python" "${leave_out[@]}" >"$tmp/sanity.out" 2>&1; then
		echo "$(grep -c '^Running sanity test' "$tmp/sanity.out") sanity tests passed"
		grep -i 'skipping' "$tmp/sanity.out" && { echo "FAIL: a sanity test was skipped"; exit 1; }
		exit 0
	fi
	venv=$(sed -n 's|^FATAL: Python .* at "\(.*\)/bin/python" does not have pip available.*|\1|p' "$tmp/sanity.out")
	[ -n "$venv" ] || break
	sed -i 's/^include-system-site-packages = false/include-system-site-packages = true/' "$venv/pyvenv.cfg"
	echo '[]' >"$venv/meta.install.json"
	echo true >"$venv/meta.yaml.json"	# Debian's PyYAML has libyaml
	touch "$venv/marker.txt"
done
grep -v '^Running sanity test' "$tmp/sanity.out"
echo "FAIL: ansible-test sanity"
exit 1
