#!/usr/bin/python3
# SPDX-License-Identifier: GPL-2.0-or-later
# One power action through labgrid's own Python API, as a labgrid user's
# script or pytest fixture does it: the environment file's target, its power
# driver (ExternalPowerDriver or PDUDaemonDriver), and on, off or cycle.
#
#   labgrid_power.py ENVIRONMENT TARGET on|off|cycle
# Prints the driver used; exit status 0 done, 1 the driver raised (said why).
import sys

from labgrid import Environment


def main():
    config, name, action = sys.argv[1:4]
    target = Environment(config_file=config).get_target(name)
    power = target.get_driver('PowerProtocol')
    print(type(power).__name__)
    try:
        getattr(power, action)()
    except Exception as e:  # what labgrid raises for a failed run
        print('%s: %s' % (type(e).__name__, e))
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
