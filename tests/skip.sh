# SPDX-License-Identifier: GPL-2.0-or-later
# Sourced by the test scripts. skip MESSAGE: a tool the test needs is missing,
# so the test is skipped (exit 77, which CTest shows as Skipped) -- except in CI
# (CI=true), which must install it, where the test fails.
skip() {
	if [ "${CI:-}" = true ]; then
		echo "FAILED: $* -- CI must install it"
		exit 1
	fi
	echo "SKIPPED: $*"
	exit 77
}
