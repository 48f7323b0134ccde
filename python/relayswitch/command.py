# SPDX-License-Identifier: GPL-2.0-or-later
"""Runs relayswitch and reads its -o line: how the lab tools' drivers reach it.

A run is an argument vector, never a shell, built only from values checked
whole first: a port as ``relayswitch -p`` takes it and a line number 1 to 8.
A run that fails raises RelaySwitchError with the program's own message (its
standard error).
"""
import re
import subprocess

# As relayswitch -p reads an address: an optional 0x, leading zeros, one to
# four hexadecimal digits, an optional h; a base below 0x100 is a typo.
_ADDRESS = re.compile(r'(?:0[xX])?0*([0-9a-fA-F]{1,4})[hH]?')
_STATUS_LINE = re.compile(r'([01]{8}) ([01]{8})')

# relayswitch bounds its own waits at 10 s; this only guards against a
# program that never ends.
TIMEOUT = 60


class RelaySwitchError(Exception):
    """A run of relayswitch that failed, with what the program said."""


def port_address(port):
    """The base address that port, text as relayswitch -p takes it, names;
    ValueError otherwise."""
    if isinstance(port, str):
        m = _ADDRESS.fullmatch(port)
        if m and int(m.group(1), 16) >= 0x100:
            return int(m.group(1), 16)
    raise ValueError('port must be a base address as relayswitch -p takes it, '
                     'in hexadecimal text such as "378" or "0xe800", not %r' % (port,))


def check_port(port):
    """The port address as text, checked whole; ValueError otherwise."""
    port_address(port)
    return port


def check_line(line):
    """A data line's number, 1 to 8, as an int or that one digit as text."""
    if type(line) is int and 1 <= line <= 8:
        return line
    if isinstance(line, str) and len(line) == 1 and line in '12345678':
        return int(line)
    raise ValueError('a data line is 1 to 8, not %r' % (line,))


def argv(executable, port, args):
    """The command line of a run on port: relayswitch -p PORT ARGS."""
    if not isinstance(executable, str) or not executable:
        raise ValueError('executable must name a program, not %r' % (executable,))
    return [executable, '-p', check_port(port)] + list(args)


def run(cmd):
    """Runs a command line made by argv() (or one that runs it elsewhere, as
    ssh does); its standard output."""
    try:
        done = subprocess.run(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, timeout=TIMEOUT, check=False)
    except OSError as e:
        raise RelaySwitchError('cannot run %s: %s' % (cmd[0], e.strerror)) from None
    except subprocess.TimeoutExpired:
        raise RelaySwitchError('%s did not end in %d s' % (' '.join(cmd), TIMEOUT)) from None
    if done.returncode != 0:
        said = done.stderr.decode('utf-8', 'replace').strip()
        raise RelaySwitchError(said or '%s exited with status %d' % (' '.join(cmd), done.returncode))
    return done.stdout.decode('utf-8', 'replace')


def switching(line, on):
    """The arguments that switch data line 1..8 on or off."""
    return ['-%d' % check_line(line), 'on' if on else 'off']


def data(out):
    """The data lines the -o line that ends out shows, Data 1 first, as 8
    characters of 0 and 1."""
    last = out.strip().splitlines()[-1:] or ['']
    m = _STATUS_LINE.fullmatch(last[0])
    if not m:
        raise RelaySwitchError('relayswitch printed no status line: %r' % out)
    return m.group(1)
