# SPDX-License-Identifier: GPL-2.0-or-later
# The shipped environment through labgrid's pytest plugin, as a lab's test
# suite uses it: pytest --lg-env labgrid-env.yaml, the board on this PC.


def test_power_is_read_back(env):
    power = env.get_target('board-local').get_driver('PowerProtocol')
    power.off()
    assert power.get() is False
    power.on()
    assert power.get() is True
    power.cycle()
    assert power.get() is True
