#!/usr/bin/python3
# SPDX-License-Identifier: GPL-2.0-or-later
# One action through labgrid's own Python API, as a labgrid user's script
# does it: the environment file's target, its power driver and on, off, cycle
# or get, or its digital output and high, low (set) or read (get).
#
#   labgrid_power.py ENVIRONMENT TARGET on|off|cycle|get|high|low|read
# Prints the driver used (and for get and read, what it read); exit status 0
# done, 1 the driver or the environment raised (said why).
import sys

from labgrid import Environment


def main():
    config, name, action = sys.argv[1:4]
    try:
        target = Environment(config_file=config).get_target(name)
        io = action in ('high', 'low', 'read')
        driver = target.get_driver('DigitalOutputProtocol' if io else 'PowerProtocol')
        print(type(driver).__name__)
        if io:
            got = driver.get() if action == 'read' else driver.set(action == 'high')
        else:
            got = getattr(driver, action)()
        if action in ('get', 'read'):
            print(got)
    except Exception as e:  # what labgrid raises for a failed run or a bad setting
        print('%s: %s' % (type(e).__name__, e))
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
