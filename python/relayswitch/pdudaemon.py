# SPDX-License-Identifier: GPL-2.0-or-later
"""pdudaemon driver "relayswitch": a PDU is a parallel port, its ports the data
lines 1 to 8.

  "relays-378": {"driver": "relayswitch", "port": "378", "retries": 3}

The settings are checked when pdudaemon starts (a bad one stops it), a
request's port number before anything runs. A run that fails raises with the
program's message, which pdudaemon logs before it tries again.
"""
from pdudaemon.drivers.driver import PDUDriver

from relayswitch import command


class RelaySwitch(PDUDriver):

    def __init__(self, hostname, settings):
        self.hostname = hostname
        self.settings = settings
        self.port = settings.get('port', '378')
        self.executable = settings.get('executable', 'relayswitch')
        try:
            command.argv(self.executable, self.port, [])  # both checked
        except ValueError as e:
            raise ValueError('PDU %s (driver relayswitch): %s' % (hostname, e)) from None
        super().__init__()

    @classmethod
    def accepts(cls, drivername):
        return drivername == 'relayswitch'

    def port_interaction(self, command_name, port_number):
        if command_name not in ('on', 'off'):
            raise ValueError('relayswitch switches on or off, not %r' % (command_name,))
        command.run(command.argv(self.executable, self.port,
                                 command.switching(port_number, command_name == 'on')))
