# SPDX-License-Identifier: GPL-2.0-or-later
"""relayswitch-mqtt: the data lines of this PC's parallel ports as MQTT
switches, for Home Assistant (by its MQTT discovery) and Node-RED.

It publishes what a read-back of a port (relayswitch -o) shows, never what it
was asked for: at connect, after every command, and whenever a poll finds a
line changed. A command is one run of relayswitch, an argument vector built
from the configuration alone; the topic only picks a configured line, and a
retained command, an old one, is never acted on. A failure is logged with
relayswitch's message and never ends the bridge; the broker is tried again,
a growing delay apart, for ever. Only a bad configuration ends it, before
anything connects.

Works with Debian's paho-mqtt 1.6 and 2.x alike.
"""
import argparse
import configparser
import json
import os
import re
import shutil
import signal
import socket
import sys
import time

from relayswitch import command

CONFIG = '/etc/relayswitch/mqtt.conf'
# The broker hears from us at least this often (seconds); it publishes the
# last will half as long again after the last it heard.
KEEPALIVE = 30
# Delays between tries to reach the broker: doubled from 1 s up to this.
MAX_DELAY = 30
# At a clean stop, how long the broker may take to take "offline".
STOP_WAIT = 5

_KEYS = {
    'broker': ('host', 'port', 'username', 'password_file', 'tls', 'cafile'),
    'bridge': ('prefix', 'discovery', 'poll', 'executable'),
}
# A topic we publish under: levels of anything but MQTT's wildcards.
_TOPIC = re.compile(r'[^+#/\x00]+(?:/[^+#/\x00]+)*')
_SECONDS = re.compile(r'[0-9]+(?:\.[0-9]+)?')


class ConfigError(Exception):
    """A configuration the bridge refuses, said in one line."""


def log(text):
    """One line on standard error, the journal under systemd."""
    try:
        sys.stderr.write(text + '\n')
        sys.stderr.flush()
    except (AttributeError, OSError, ValueError):
        pass  # no standard error: nothing to say it on


def _one_line(text):
    return '; '.join(line.strip() for line in text.splitlines() if line.strip())


def read_config(path):
    """The bridge's settings from the INI file at path, checked whole;
    ConfigError naming the file, the section and the key otherwise."""
    host = socket.gethostname().split('.')[0]
    parser = configparser.ConfigParser(interpolation=None, default_section='\0')
    try:
        with open(path, encoding='utf-8') as f:
            parser.read_file(f)
    except OSError as e:
        raise ConfigError('%s: %s' % (path, e.strerror)) from None
    except (configparser.Error, UnicodeDecodeError) as e:
        raise ConfigError('%s: %s' % (path, _one_line(str(e)))) from None

    def bad(section, key, why):
        where = '[%s]' % section + (' %s' % key if key else '')
        return ConfigError('%s: %s: %s' % (path, where, why))

    conf = {'path': path, 'host': host, 'ports': [], 'version': _version()}
    for section in parser.sections():
        if section.startswith('port '):
            continue
        if section not in _KEYS:
            raise bad(section, None, 'unknown section (broker, bridge, or port ADDR)')
        for key in parser[section]:
            if key not in _KEYS[section]:
                why = 'unknown key (%s)' % ', '.join(_KEYS[section])
                if key == 'password':
                    why = 'the password goes in a file of its own: password_file'
                raise bad(section, key, why)
    broker = parser['broker'] if parser.has_section('broker') else {}
    bridge = parser['bridge'] if parser.has_section('bridge') else {}

    conf['broker_host'] = broker.get('host', 'localhost').strip()
    if not conf['broker_host']:
        raise bad('broker', 'host', 'names no host')
    tls = broker.get('tls', 'no').strip()
    if tls not in ('yes', 'no'):
        raise bad('broker', 'tls', 'is yes or no, not %r' % tls)
    conf['tls'] = tls == 'yes'
    port = broker.get('port', '8883' if conf['tls'] else '1883').strip()
    if not port.isdigit() or not 1 <= int(port) <= 65535:
        raise bad('broker', 'port', 'is a TCP port, 1 to 65535, not %r' % port)
    conf['broker_port'] = int(port)
    conf['cafile'] = broker.get('cafile', '').strip() or None
    if conf['cafile']:
        if not conf['tls']:
            raise bad('broker', 'cafile', 'is for tls = yes')
        try:
            open(conf['cafile'], 'rb').close()
        except OSError as e:
            raise bad('broker', 'cafile', '%s: %s' % (conf['cafile'], e.strerror)) from None
    conf['username'] = broker.get('username', '').strip() or None
    conf['password'] = None
    password_file = broker.get('password_file', '').strip()
    if password_file:
        if not conf['username']:
            raise bad('broker', 'password_file', 'a password needs a username')
        try:
            with open(password_file, 'rb') as f:
                mode = os.fstat(f.fileno()).st_mode
                conf['password'] = f.read().decode('utf-8').rstrip('\r\n')
        except OSError as e:
            raise bad('broker', 'password_file', '%s: %s' % (password_file, e.strerror)) from None
        except UnicodeDecodeError:
            raise bad('broker', 'password_file', '%s is not UTF-8 text' % password_file) from None
        if mode & 0o007:
            raise bad('broker', 'password_file', '%s is open to every user: chmod o-rwx it' % password_file)

    conf['prefix'] = bridge.get('prefix', 'relayswitch/' + host).strip()
    if not _TOPIC.fullmatch(conf['prefix']):
        raise bad('bridge', 'prefix', 'is a topic without + or # or empty levels, not %r' % conf['prefix'])
    conf['discovery'] = bridge.get('discovery', 'homeassistant').strip()
    if conf['discovery'] and not _TOPIC.fullmatch(conf['discovery']):
        raise bad('bridge', 'discovery', 'is a topic without + or # or empty levels, not %r' % conf['discovery'])
    poll = bridge.get('poll', '5').strip()
    if not _SECONDS.fullmatch(poll) or float(poll) <= 0:
        raise bad('bridge', 'poll', 'is a number of seconds above 0, not %r' % poll)
    conf['poll'] = float(poll)
    conf['executable'] = bridge.get('executable', 'relayswitch').strip()
    if not conf['executable'] or not shutil.which(conf['executable']):
        raise bad('bridge', 'executable', 'no program %r' % conf['executable'])

    seen = {}
    for section in parser.sections():
        if not section.startswith('port '):
            continue
        addr = section[len('port '):].strip()
        try:
            ident = '%x' % command.port_address(addr)  # as topics name it: 378
        except ValueError:
            raise bad(section, None, 'not a port address as relayswitch -p takes it') from None
        if ident in seen:
            raise bad(section, None, 'the port of [%s] again' % seen[ident])
        seen[ident] = section
        lines = {}
        for key, name in parser[section].items():
            try:
                line = command.check_line(key)
            except ValueError:
                raise bad(section, key, 'a data line is 1 to 8') from None
            if not name.strip() or '\n' in name.strip():
                raise bad(section, key, 'the line needs a name, on one line')
            lines[line] = name.strip()
        if not lines:
            raise bad(section, None, 'names no line (keys 1 to 8)')
        conf['ports'].append({'addr': addr, 'id': ident, 'lines': lines})
    if not conf['ports']:
        raise ConfigError('%s: no [port ADDR] section: the bridge would expose nothing' % path)
    return conf


def _version():
    try:
        from importlib.metadata import version
        return version('relayswitch')
    except Exception:  # from a checkout: no metadata
        return None


def discovery_config(conf, port, line):
    """Home Assistant's discovery topic of a line and its config, as JSON."""
    host = re.sub(r'[^A-Za-z0-9_-]', '_', conf['host'])
    uid = 'relayswitch_%s_%s_%d' % (host, port['id'], line)
    topic = '%s/%s/%d' % (conf['prefix'], port['id'], line)
    device = {'identifiers': ['relayswitch_%s_%s' % (host, port['id'])],
              'name': 'Relays on %s, port %s' % (conf['host'], port['id']),
              'model': 'Relay board on a PC parallel port at 0x%s' % port['id']}
    origin = {'name': 'relayswitch-mqtt'}
    if conf['version']:
        origin['sw_version'] = device['sw_version'] = conf['version']
    config = {'name': port['lines'][line], 'unique_id': uid,
              'command_topic': topic + '/set', 'state_topic': topic,
              'availability_topic': conf['prefix'] + '/status',
              'payload_available': 'online', 'payload_not_available': 'offline',
              'payload_on': 'ON', 'payload_off': 'OFF', 'retain': False, 'qos': 1,
              'device': device, 'origin': origin}
    return '%s/switch/%s/config' % (conf['discovery'], uid), json.dumps(config, sort_keys=True)


def _client(conf, events):
    """A paho client for the broker, its callbacks queueing into events."""
    try:
        import paho.mqtt.client as mqtt
    except ImportError:
        raise ConfigError('no paho-mqtt for this Python (package python3-paho-mqtt)') from None
    ident = 'relayswitch-mqtt:' + conf['prefix']
    if hasattr(mqtt, 'CallbackAPIVersion'):  # paho-mqtt 2
        client = mqtt.Client(mqtt.CallbackAPIVersion.VERSION2, client_id=ident, clean_session=True)
    else:
        client = mqtt.Client(client_id=ident, clean_session=True)
    # (client, userdata, flags, rc) in 1.6; (..., reason_code, properties) in 2
    client.on_connect = lambda c, u, flags, rc, *more: events.append(
        ('connect', re.sub(r'^Connection Refused: |\.$', '', mqtt.connack_string(rc)), rc == 0))
    client.on_message = lambda c, u, msg: events.append(('message', msg.topic, msg.payload, msg.retain))
    client.will_set(conf['prefix'] + '/status', 'offline', qos=1, retain=True)
    if conf['username']:
        client.username_pw_set(conf['username'], conf['password'])
    if conf['tls']:
        try:
            client.tls_set(ca_certs=conf['cafile'])
        except (OSError, ValueError) as e:
            raise ConfigError('%s: [broker] cafile: %s' % (conf['path'], e)) from None
    client.connect_async(conf['broker_host'], conf['broker_port'], keepalive=KEEPALIVE)
    return client


class Bridge:
    """The connection's state: what was published, which ports fail."""

    def __init__(self, conf, client):
        self.conf, self.client = conf, client
        self.shown = {}     # state topic: the payload last published there
        self.failing = {}   # port id: the message its last read-back failed with
        self.lines = {}     # 'A/N': (port, line)
        for port in conf['ports']:
            for line in port['lines']:
                self.lines['%s/%d' % (port['id'], line)] = (port, line)

    def run(self, port, args):
        return command.run(command.argv(self.conf['executable'], port['addr'], args))

    def publish(self, topic, payload):
        self.client.publish(topic, payload, qos=1, retain=True)

    def read_back(self, port, force=(), beside=False):
        """Reads the port's lines and publishes those that changed, and the
        lines in force whatever they are."""
        try:
            bits = command.data(self.run(port, ['-o']))
        except command.RelaySwitchError as e:
            said = _one_line(str(e))
            if self.failing.get(port['id']) != said:
                log('port %s cannot be read: %s' % (port['id'], said))
            self.failing[port['id']] = said
            return
        if self.failing.pop(port['id'], None):
            log('port %s reads again' % port['id'])
        for line, name in sorted(port['lines'].items()):
            topic = '%s/%s/%d' % (self.conf['prefix'], port['id'], line)
            state = 'ON' if bits[line - 1] == '1' else 'OFF'
            if self.shown.get(topic) != state or line in force:
                if beside and topic in self.shown:
                    log('port %s line %d (%s) is %s, switched beside the bridge' % (port['id'], line, name, state))
                self.publish(topic, state)
                self.shown[topic] = state

    def announce(self):
        """Discovery configs, the states as read now, and online."""
        if self.conf['discovery']:
            for port in self.conf['ports']:
                for line in sorted(port['lines']):
                    self.publish(*discovery_config(self.conf, port, line))
        for port in self.conf['ports']:
            self.read_back(port, force=port['lines'])
        self.publish(self.conf['prefix'] + '/status', 'online')

    def connected(self):
        self.shown.clear()  # a read that fails now leaves the next poll to publish all
        self.client.subscribe(self.conf['prefix'] + '/+/+/set', qos=1)
        if self.conf['discovery']:
            self.client.subscribe(self.conf['discovery'] + '/status', qos=1)
        self.announce()

    def message(self, topic, payload, retain):
        if self.conf['discovery'] and topic == self.conf['discovery'] + '/status':
            if payload == b'online' and not retain:  # Home Assistant (re)started
                self.announce()
            return
        target = None
        if topic.startswith(self.conf['prefix'] + '/') and topic.endswith('/set'):
            target = self.lines.get(topic[len(self.conf['prefix']) + 1:-len('/set')])
        shown = ascii(payload.decode('utf-8', 'replace')[:40])
        if target is None:
            log('ignored %s on %s: no configured line has that topic' % (shown, ascii(topic)))
        elif retain:
            log('ignored the retained %s on %s: an old command' % (shown, ascii(topic)))
        elif payload not in (b'ON', b'OFF'):
            log('ignored %s on %s: a command is ON or OFF' % (shown, ascii(topic)))
        else:
            port, line = target
            what = 'port %s line %d (%s) %s' % (port['id'], line, port['lines'][line], payload.decode())
            try:
                self.run(port, command.switching(line, payload == b'ON'))
                log(what)
            except command.RelaySwitchError as e:
                log('%s failed: %s' % (what, _one_line(str(e))))
            self.read_back(port, force=(line,))


def serve(conf):
    """Bridges until SIGTERM or SIGINT; then says offline and ends, status 0."""
    stop = []
    for sig in (signal.SIGTERM, signal.SIGINT):
        signal.signal(sig, lambda signum, frame: stop.append(signum))
    signal.pthread_sigmask(signal.SIG_UNBLOCK, {signal.SIGTERM, signal.SIGINT})
    events = []
    client = _client(conf, events)
    bridge = Bridge(conf, client)
    broker = '%s:%d' % (conf['broker_host'], conf['broker_port'])
    delay, wait, retry_at, online, next_poll = 1, 1, 0.0, False, 0.0
    while not stop:
        now = time.monotonic()
        if client.socket() is None:
            if online:
                log('lost the broker at %s; trying again in %d s' % (broker, delay))
                online = False
                retry_at = now + delay
            if now < retry_at:
                time.sleep(min(1.0, retry_at - now))
                continue
            retry_at, wait = now + delay, delay
            delay = min(2 * delay, MAX_DELAY)
            try:
                client.reconnect()
                # A state follows the command's acknowledgement at once, not
                # after the broker's delayed ACK.
                client.socket().setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            except (OSError, ValueError) as e:
                log('cannot reach the broker at %s: %s; trying again in %d s'
                    % (broker, getattr(e, 'strerror', None) or e, wait))
            continue
        client.loop(timeout=max(0.0, min(1.0, next_poll - now)) if online else 1.0)
        if online and time.monotonic() >= next_poll:
            events.extend(('poll', port) for port in conf['ports'])
            next_poll = time.monotonic() + conf['poll']
        while events and not stop:
            event = events.pop(0)
            if event[0] == 'connect' and event[2]:
                log('connected to the broker at %s, under %s' % (broker, conf['prefix']))
                online, delay = True, 1
                bridge.connected()
                next_poll = time.monotonic() + conf['poll']
            elif event[0] == 'connect':
                log('the broker at %s refused the connection: %s; trying again in %d s'
                    % (broker, event[1], wait))
            elif not online:
                pass  # left from a connection that ended
            elif event[0] == 'poll':
                bridge.read_back(event[1], beside=True)
            else:
                bridge.message(*event[1:])
            # A busy port holds a run for 10 s: the broker hears from us
            # between runs, so it never takes us for dead.
            if client.socket() is not None:
                client.loop(timeout=0)
    if online:
        sent = client.publish(conf['prefix'] + '/status', 'offline', qos=1, retain=True)
        end = time.monotonic() + STOP_WAIT
        while not sent.is_published() and client.socket() is not None and time.monotonic() < end:
            client.loop(timeout=0.1)
        client.disconnect()
        client.loop(timeout=0.1)
    log('stopped')
    return 0


def main(argv=None):
    parser = argparse.ArgumentParser(prog='relayswitch-mqtt', description=(
        'The relays of parallel ports as MQTT switches, for Home Assistant and Node-RED.'))
    parser.add_argument('--config', metavar='FILE', default=CONFIG,
                        help='the configuration (default %s)' % CONFIG)
    args = parser.parse_args(argv)
    try:
        return serve(read_config(args.config))
    except ConfigError as e:
        log('relayswitch-mqtt: %s' % e)
        return 1


if __name__ == '__main__':
    sys.exit(main())
