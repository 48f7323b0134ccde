#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: 2026 relayswitch developers
# GNU General Public License v3.0+ (see LICENSE or https://www.gnu.org/licenses/gpl-3.0.txt)
# SPDX-License-Identifier: GPL-3.0-or-later
# The relays of a parallel port as Ansible state: reads the data lines with
# relayswitch -o, and runs one switching command only where a line named
# differs. relayswitch does the port work; this module only decides whether a
# run is needed and reports what it did.

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: relays
short_description: Switch the relays on a PC parallel port's data lines
version_added: "0.4.0"
description:
  - Sets the eight data lines of a PC parallel port (a relay board wired to
    pins 2 to 9) with C(relayswitch), switching only what differs.
  - Reads the lines first with C(relayswitch -o); when every line named is
    already as asked, nothing is switched and the task reports C(ok), after
    one run of C(relayswitch).
    Otherwise one C(relayswitch) run sets all that was asked, C(all) before
    C(lines), as C(-a) before C(-3) on its command line, and one more
    C(relayswitch -o) reads the lines back, three runs in all.
  - A line set that doesn't read back as asked (a port that drops what is
    written, such as an address with no port behind it) fails the task with
    the lines named and what they read; nothing more is written.
  - Lines not named keep their state. The port's latch holds the lines after
    the run ends; there is no daemon and nothing to keep running.
  - A run that fails (the port busy for 10 seconds, access refused, an address
    the program refuses) fails the task with the program's own message, and
    then nothing was switched.
  - Access to the port is C(relayswitch)'s own, root by raw I/O or a member of
    group C(lp) through the kernel's parallel-port driver (C(become) where the
    connecting user is neither).
author:
  - relayswitch developers (@relayswitch)
options:
  lines:
    description:
      - The lines to set, a map of line number (1 to 8, Data 1 on pin 2 to
        Data 8 on pin 9) to C(on) or C(off).
      - YAML reads a bare C(on) as C(true) and C(off) as C(false); both forms
        are taken alike.
      - Any other line number, or a value that is neither, fails the task
        before anything runs.
    type: dict
    default: {}
  all:
    description:
      - All eight lines C(on) or C(off), before C(lines) is applied.
    type: bool
  port:
    description:
      - The port's base address in hexadecimal, as C(relayswitch -p) takes
        it (C(378), C(0x278), C(e800) for a PCI card), checked whole before
        anything runs.
    type: str
    default: '378'
  executable:
    description:
      - The program to run, a name looked up on the remote PATH or a path.
    type: path
    default: relayswitch
attributes:
  check_mode:
    support: full
    description: Reads the lines and reports what would change; switches nothing.
  diff_mode:
    support: full
    description: The data lines before and after, one a line.
requirements:
  - relayswitch on the managed host
notes:
  - Reading the lines runs C(relayswitch -o), which writes the byte it read
    back to the latch unchanged; through the kernel's driver each run also
    sets the port's control pins to the driver's default.
  - relayswitch(1) says how the program reaches the port and what each of its
    messages means.
seealso:
  - name: relayswitch(1)
    description: The program the module runs, how it reaches the port, and its messages.
    link: man:relayswitch(1)
'''

EXAMPLES = r'''
- name: Board 3's power on, everything else as it is
  relayswitch.parport.relays:
    lines:
      3: on

- name: All relays off, then the lamp (Data 1) and the pump (Data 5) on
  relayswitch.parport.relays:
    all: off
    lines:
      1: on
      5: on
  become: true

- name: Data 2 of a PCI card's port off
  relayswitch.parport.relays:
    port: e800
    lines:
      2: off
  register: relays

- name: Show what the lines are now
  ansible.builtin.debug:
    msg: "Data 2 is {{ relays.lines['2'] }}; the lines read {{ relays.data }}"
'''

RETURN = r'''
changed:
  description: Whether a line named was switched (in check mode, would be).
  returned: always
  type: bool
data:
  description:
    - The eight data lines as C(relayswitch -o) prints them, Data 1 leftmost,
      C(1) on and C(0) off, as read back after the switch (where nothing was
      switched, as read; in check mode, as they would be).
  returned: success
  type: str
  sample: '00100000'
status:
  description:
    - The port's status register as C(relayswitch -o) prints it, lowest bit
      first (relayswitch -e says what each column means), as the last run
      read it (in check mode, the only one, before anything would change).
  returned: success
  type: str
  sample: '11111110'
lines:
  description: Each line, C("1") to C("8"), C(on) or C(off), as C(data) has it.
  returned: success
  type: dict
  sample: {"1": "off", "2": "off", "3": "on", "4": "off", "5": "off", "6": "off", "7": "off", "8": "off"}
cmd:
  description: The last command run, as a list of words.
  returned: always
  type: list
  elements: str
  sample: [relayswitch, -p, '378', -3, 'on', -o]
'''

import re

from ansible.module_utils.basic import AnsibleModule
from ansible.module_utils.parsing.convert_bool import boolean

LINE_NUMBERS = [str(n) for n in range(1, 9)]
# As relayswitch -p reads an address: an optional 0x, leading zeros, one to
# four hexadecimal digits, an optional h; a base below 0x100 is a typo.
ADDRESS = re.compile(r'(?:0[xX])?0*([0-9a-fA-F]{1,4})[hH]?')


def word(state):
    return 'on' if state else 'off'


def parse_lines(out):
    """The data and status fields of relayswitch -o: its last line of output."""
    text = out.strip().splitlines()
    m = re.match(r'^([01]{8}) ([01]{8})$', text[-1]) if text else None
    return (m.group(1), m.group(2)) if m else (None, None)


def describe(data):
    return ''.join('Data %d (pin %d): %s\n' % (n, n + 1, word(data[n - 1] == '1')) for n in range(1, 9))


def wanted_lines(module, lines):
    """The lines named, each key a line number "1" to "8" (YAML may give it as
    an int) and each value True or False; any other fails the task, with the
    messages Ansible gives for an unknown option or a value no boolean."""
    unknown = [str(n) for n in lines if str(n) not in LINE_NUMBERS]
    if unknown:
        module.fail_json(msg='Unsupported parameters for (%s) module: %s. Supported parameters include: %s.' % (
            module._name, ', '.join('lines.' + n for n in sorted(unknown)), ', '.join(LINE_NUMBERS)))
    wanted = {}
    for n, v in lines.items():
        if v is not None:
            try:
                wanted[str(n)] = boolean(v, strict=True)
            except TypeError as e:
                module.fail_json(msg='lines.%s: %s' % (n, e))
    return wanted


def main():
    module = AnsibleModule(
        argument_spec=dict(
            lines=dict(type='dict', default={}),
            all=dict(type='bool'),
            port=dict(type='str', default='378'),
            executable=dict(type='path', default='relayswitch'),
        ),
        supports_check_mode=True,
    )
    params = module.params
    wanted = wanted_lines(module, params['lines'] or {})
    address = ADDRESS.fullmatch(params['port'])
    if not address or int(address.group(1), 16) < 0x100:
        module.fail_json(msg="port must be a hexadecimal address such as 378 or 0xe800, not %r" % params['port'])

    exe = params['executable']
    if '/' not in exe:
        exe = module.get_bin_path(exe, required=True)
    base = [exe, '-p', params['port']]

    def run(args):
        cmd = base + args
        rc, out, err = module.run_command(cmd)
        data, status = parse_lines(out)
        if rc != 0 or data is None:
            msg = err.strip() or out.strip() or 'exited with status %d' % rc
            module.fail_json(msg=msg, rc=rc, stdout=out, stderr=err, cmd=cmd)
        return data, status, cmd

    before, status, cmd = run(['-o'])

    # What the lines should be: all first, then each line named.
    after = list(before)
    if params['all'] is not None:
        after = ['1' if params['all'] else '0'] * 8
    for n in sorted(wanted):
        after[int(n) - 1] = '1' if wanted[n] else '0'
    after = ''.join(after)
    changed = after != before

    if changed and not module.check_mode:
        # One run sets everything asked, so a line another run switched
        # since the read is set as asked too.
        args = []
        if params['all'] is not None:
            args += ['-a', word(params['all'])]
        for n in sorted(wanted):
            args += ['-' + n, word(wanted[n])]
        written = run(args + ['-o'])[0]
        # What the latch holds now: a port that drops writes shows here.
        after, status, cmd = run(['-o'])
        named = LINE_NUMBERS if params['all'] is not None else sorted(wanted)
        wrong = [n for n in named if after[int(n) - 1] != written[int(n) - 1]]
        if wrong:
            module.fail_json(
                msg='port %s did not keep what was written: %s' % (params['port'], ', '.join(
                    'Data %s reads %s, not %s' % (n, word(after[int(n) - 1] == '1'),
                                                  word(written[int(n) - 1] == '1'))
                    for n in wrong)),
                changed=True, data=after, status=status, cmd=cmd)

    result = dict(
        changed=changed,
        data=after,
        status=status,
        lines=dict((n, word(after[int(n) - 1] == '1')) for n in LINE_NUMBERS),
        cmd=cmd,
    )
    if module._diff:
        result['diff'] = dict(before=describe(before), after=describe(after),
                              before_header='port %s' % params['port'], after_header='port %s' % params['port'])
    module.exit_json(**result)


if __name__ == '__main__':
    main()
