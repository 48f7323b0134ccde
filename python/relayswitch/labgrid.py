# SPDX-License-Identifier: GPL-2.0-or-later
"""labgrid resources and driver for a relay on a data line of a PC parallel
port, loaded by an environment's ``imports: [relayswitch.labgrid]``.

  RelaySwitchPort         a line of a port on this machine: index (1 to 8),
                          port (as relayswitch -p takes it, default "378")
  NetworkRelaySwitchPort  the same on another machine: host, index, port; its
                          runs go over labgrid's SSH connection to host
  RelaySwitchPowerDriver  labgrid's PowerProtocol (on, off, cycle with delay)
                          and get(), what the line is now (relayswitch -o)

The resources' settings are checked when the environment makes them. A run
that fails raises RelaySwitchError with relayswitch's message, here or over
SSH alike. Here a run is an argument vector; over SSH, where the remote shell
reads the command line, each word is quoted, so nothing but the command runs.
"""
import shlex
import time

import attr
from labgrid.driver.common import Driver
from labgrid.driver.powerdriver import PowerResetMixin
from labgrid.factory import target_factory
from labgrid.protocol import PowerProtocol
from labgrid.resource.common import NetworkResource, Resource
from labgrid.step import step

from relayswitch import command


def _address(instance, attribute, value):
    command.check_port(value)


@target_factory.reg_resource
@attr.s(eq=False)
class RelaySwitchPort(Resource):
    """A data line of a parallel port on this machine."""
    index = attr.ib(converter=command.check_line)
    port = attr.ib(default='378', validator=_address)


@target_factory.reg_resource
@attr.s(eq=False)
class NetworkRelaySwitchPort(NetworkResource):
    """A data line of a parallel port on host, reached over SSH."""
    index = attr.ib(converter=command.check_line)
    port = attr.ib(default='378', validator=_address)


@target_factory.reg_driver
@attr.s(eq=False)
class RelaySwitchPowerDriver(Driver, PowerResetMixin, PowerProtocol):
    """Switches the board's power by relayswitch, and reads it back."""
    bindings = {'port': {'RelaySwitchPort', 'NetworkRelaySwitchPort'}}
    delay = attr.ib(default=2.0, converter=float)
    executable = attr.ib(default='relayswitch', validator=attr.validators.instance_of(str))

    def _run(self, args):
        cmd = command.argv(self.executable, self.port.port, args)
        prefix = self.port.command_prefix
        if prefix:
            cmd = prefix + [shlex.quote(word) for word in cmd]
        return command.run(cmd)

    @Driver.check_active
    @step()
    def on(self):
        self._run(command.switching(self.port.index, True))

    @Driver.check_active
    @step()
    def off(self):
        self._run(command.switching(self.port.index, False))

    @Driver.check_active
    @step()
    def cycle(self):
        self.off()
        time.sleep(self.delay)
        self.on()

    @Driver.check_active
    @step(result=True)
    def get(self):
        return command.data(self._run(['-o']))[self.port.index - 1] == '1'
