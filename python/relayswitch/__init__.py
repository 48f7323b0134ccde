# SPDX-License-Identifier: GPL-2.0-or-later
"""relayswitch for the lab tools: drivers that run relayswitch."""
