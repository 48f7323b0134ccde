# SPDX-License-Identifier: GPL-2.0-or-later
# shellcheck shell=bash
# Sourced by the test scripts. skip MESSAGE: a tool the test needs is missing,
# so the test is skipped (exit 77, which CTest shows as Skipped) -- except in CI
# (CI=true), which must install it, and after a check of the script failed
# (bad=1), where the test fails.
skip() {
	if [ "${bad:-0}" = 1 ]; then	# a check before failed: that must show, not a skip
		echo "FAILED, and then could not go on: $*"
		exit 1
	fi
	if [ "${CI:-}" = true ]; then
		echo "FAILED: $* -- CI must install it"
		exit 1
	fi
	echo "SKIPPED: $*"
	exit 77
}
