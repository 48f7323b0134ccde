# SPDX-License-Identifier: GPL-2.0-or-later
# The shipped environment through labgrid's pytest plugin, as a lab's test
# suite uses it: pytest --lg-env labgrid-env.yaml, the board on this PC, and
# the target main, the board on a coordinator's place.


def test_local_power_is_read_back(env):
    power = env.get_target('board-local').get_driver('PowerProtocol')
    power.off()
    assert power.get() is False
    power.on()
    assert power.get() is True
    power.cycle()
    assert power.get() is True


def test_main_power_and_io(target):
    power = target.get_driver('PowerProtocol')
    io = target.get_driver('DigitalOutputProtocol')
    power.off()
    assert io.get() is False
    io.set(True)
    assert power.get() is True
