# SPDX-License-Identifier: GPL-2.0-or-later
"""labgrid resources and driver for a relay on a data line of a PC parallel
port, loaded by an environment's ``imports: [relayswitch.labgrid]``.

  RelaySwitchPort         a line of a port on this machine: index (1 to 8),
                          port (as relayswitch -p takes it, default "378"),
                          invert (true where the line is on for "off": a
                          normally-closed contact, an active-low input)
  NetworkRelaySwitchPort  the same on another machine: host, index, port,
                          invert; its runs go over labgrid's SSH connection
                          to host
  RelaySwitchPowerDriver  labgrid's PowerProtocol (on, off, cycle with delay)
                          and get(), what the line is now (relayswitch -o)
  RelaySwitchDigitalOutputDriver
                          labgrid's DigitalOutputProtocol (set, get): the
                          line as a digital output, for labgrid-client io and
                          labgrid's DigitalOutputPowerDriver and
                          DigitalOutputResetDriver

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
from labgrid.protocol import DigitalOutputProtocol, PowerProtocol
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
    invert = attr.ib(default=False, validator=attr.validators.instance_of(bool))


@target_factory.reg_resource
@attr.s(eq=False)
class NetworkRelaySwitchPort(NetworkResource):
    """A data line of a parallel port on host, reached over SSH."""
    index = attr.ib(converter=command.check_line)
    port = attr.ib(default='378', validator=_address)
    invert = attr.ib(default=False, validator=attr.validators.instance_of(bool))


class _Line:
    """What both drivers do with the line of the resource bound as port:
    switch it and read it, each through the resource's invert."""
    bindings = {'port': {'RelaySwitchPort', 'NetworkRelaySwitchPort'}}

    def _run(self, args):
        cmd = command.argv(self.executable, self.port.port, args)
        prefix = self.port.command_prefix
        if prefix:
            cmd = prefix + [shlex.quote(word) for word in cmd]
        return command.run(cmd)

    def _switch(self, status):
        self._run(command.switching(self.port.index, status != self.port.invert))

    def _read(self):
        return (command.data(self._run(['-o']))[self.port.index - 1] == '1') != self.port.invert


@target_factory.reg_driver
@attr.s(eq=False)
class RelaySwitchPowerDriver(_Line, Driver, PowerResetMixin, PowerProtocol):
    """Switches the board's power by relayswitch, and reads it back."""
    delay = attr.ib(default=2.0, converter=float)
    executable = attr.ib(default='relayswitch', validator=attr.validators.instance_of(str))

    @Driver.check_active
    @step()
    def on(self):
        self._switch(True)

    @Driver.check_active
    @step()
    def off(self):
        self._switch(False)

    @Driver.check_active
    @step()
    def cycle(self):
        self.off()
        time.sleep(self.delay)
        self.on()

    @Driver.check_active
    @step(result=True)
    def get(self):
        return self._read()


@target_factory.reg_driver
@attr.s(eq=False)
class RelaySwitchDigitalOutputDriver(_Line, Driver, DigitalOutputProtocol):
    """The line as a digital output: set it high or low, read it back."""
    executable = attr.ib(default='relayswitch', validator=attr.validators.instance_of(str))

    @Driver.check_active
    @step(args=['status'])
    def set(self, status):
        self._switch(bool(status))

    @Driver.check_active
    @step(result=True)
    def get(self):
        return self._read()
