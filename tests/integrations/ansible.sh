#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The Ansible collection as a fleet's playbook meets it: the release archive
# installed with ansible-galaxy (or the collections directory that
# relayswitch-ansible's package installed), then ansible-playbook against
# three hosts (connection local), each with a simulated port of its own -- a
# state file and a log of every port access, so that each run the module made
# is seen. Run on Debian 12 here, and on Debian 13 in a chroot (trixie.sh).
#
#   ansible.sh COLLECTION-ARCHIVE|COLLECTIONS-DIR
# with $RELAYSWITCH_SIM the simulator. Exit status 0 good, 1 bad (says why),
# 77 skipped for want of a tool (a failure in CI).
set -u
archive=$1
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../skip.sh
. "$here/../skip.sh"
command -v ansible-playbook >/dev/null || skip "no ansible-playbook (package ansible-core)"
[ -s "$archive" ] || [ -d "$archive" ] ||
	skip "no collection archive $archive (package ansible-core: ansible-galaxy builds it)"
tmp=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$tmp"' EXIT
bad=0
fail() {
	echo "FAIL: $*"
	bad=1
}
collections=$tmp/collections
[ -d "$archive" ] && collections=$archive
export LC_ALL=C.UTF-8 HOME=$tmp ANSIBLE_NOCOLOR=1 ANSIBLE_FORCE_COLOR=0 ANSIBLE_COLLECTIONS_PATH=$collections \
	ANSIBLE_LOCAL_TEMP=$tmp/ansible-tmp ANSIBLE_DEPRECATION_WARNINGS=0 ANSIBLE_COMMAND_WARNINGS=0
echo "on ansible-core $(ansible --version | sed -n '1s/.*core \([0-9.]*\).*/\1/p')"
if [ ! -d "$archive" ]; then
	ansible-galaxy collection install --offline -p "$tmp/collections" "$archive" >"$tmp/install.log" 2>&1 ||
		{ cat "$tmp/install.log"; exit 1; }
fi

hosts="h1 h2 h3"
{
	echo "[fleet]"
	for h in $hosts; do
		echo "$h ansible_connection=local ansible_python_interpreter=/usr/bin/python3 state=$tmp/$h.state log=$tmp/$h.log"
	done
	echo "[fleet:vars]"
	echo "sim=$RELAYSWITCH_SIM"
} >"$tmp/inventory"

# play NAME ARGS [ansible-playbook options]: a playbook whose one task runs the
# module with ARGS (YAML, indented for the task) on each host's simulated port,
# with $extra_env (YAML) added to its environment; its output in $tmp/NAME.out, each
# host's log of this play in $tmp/HOST.NAME.
play() {
	local name=$1 args=$2 exe='        executable: "{{ sim }}"' h
	shift 2
	[[ $args == *executable:* ]] && exe=
	cat >"$tmp/$name.yml" <<PLAY
- hosts: fleet
  gather_facts: false
  tasks:
    - name: relays
      relayswitch.parport.relays:
$exe
$args
      environment:
        RELAYSWITCH_SIM_STATE: "{{ state }}"
        RELAYSWITCH_SIM_LOG: "{{ log }}"
${extra_env:-}
      register: r
    - name: report
      ansible.builtin.debug:
        msg: "{{ inventory_hostname }} data={{ r.data }} status={{ r.status }} lines={{ r.lines | dictsort | map('join', '=') | join(' ') }}"
PLAY
	for h in $hosts; do : >"$tmp/$h.log"; done
	ansible-playbook -i "$tmp/inventory" "$@" "$tmp/$name.yml" >"$tmp/$name.out" 2>&1
	for h in $hosts; do cp "$tmp/$h.log" "$tmp/$h.$name"; done
}

# recap NAME HOST: the host's counts in the play's recap, "ok=2 changed=1 failed=0".
recap() {
	sed -n "s/^$2 *: ok=\([0-9]*\) *changed=\([0-9]*\) .*failed=\([0-9]*\).*/ok=\1 changed=\2 failed=\3/p" "$tmp/$1.out"
}

# expect NAME HOST RECAP STATE WRITES: after play NAME, the host's recap, its
# state file and the bytes its runs wrote to 0x378 ("0x80 0x85": two runs).
expect() {
	local name=$1 h=$2 want=$3 state=$4 writes=$5 got
	got=$(recap "$name" "$h")
	[ "$got" = "$want" ] || fail "$name on $h: recap '$got', not '$want'"
	got=$(cat "$tmp/$h.state")
	[ "$got" = "0x378 $state" ] || fail "$name on $h: state '$got', not '0x378 $state'"
	got=$(sed -n 's/^outb 0x378 //p' "$tmp/$h.$name" | paste -sd ' ')
	[ "$got" = "$writes" ] || fail "$name on $h: the runs wrote '$got', not '$writes'"
}

for h in $hosts; do echo "0x378 0x80" >"$tmp/$h.state"; done

# The first run switches Data 1 and 3 on every host (a bare "on" is YAML's
# true); the lines read first are written back as they were, and the lines
# switched read back.
play first "        lines:
          1: on
          3: on"
for h in $hosts; do expect first $h "ok=2 changed=1 failed=0" 0x85 "0x80 0x85 0x85"; done
grep -qF '"h2 data=10100001 status=11111110 lines=1=on 2=off 3=on 4=off 5=off 6=off 7=off 8=on"' \
	"$tmp/first.out" || fail "first: no report of the lines as they are"

# The same again: nothing differs, so only the read runs.
play second "        lines:
          1: on
          3: on"
for h in $hosts; do expect second $h "ok=2 changed=0 failed=0" 0x85 "0x85"; done

# Check mode: what would change is reported, nothing is switched.
play check "        all: off
        lines:
          '2': true" --check
for h in $hosts; do expect check $h "ok=2 changed=1 failed=0" 0x85 "0x85"; done
grep -q 'h1 data=01000000 ' "$tmp/check.out" || fail "check: no report of the lines as they would be"

# Diff mode: the data lines before and after.
play diff "        all: off
        lines:
          2: on" --diff
for h in $hosts; do expect diff $h "ok=2 changed=1 failed=0" 0x02 "0x85 0x02 0x02"; done
for line in '-Data 1 (pin 2): on' '+Data 1 (pin 2): off' '-Data 2 (pin 3): off' '+Data 2 (pin 3): on' \
	'-Data 8 (pin 9): on' '+Data 8 (pin 9): off' ' Data 4 (pin 5): off'; do
	grep -qxF -- "$line" "$tmp/diff.out" || fail "diff: no line '$line'"
done

# A host whose port another run holds fails with the busy message within the
# bound; the others go on and switch.
flock -F -x "$tmp/h2.state" sleep 60 &
holder=$!
sleep 0.5
start=$(date +%s)
play busy "        lines:
          5: on"
took=$(($(date +%s) - start))
kill $holder
wait $holder 2>/dev/null
expect busy h1 "ok=2 changed=1 failed=0" 0x12 "0x02 0x12 0x12"
expect busy h3 "ok=2 changed=1 failed=0" 0x12 "0x02 0x12 0x12"
expect busy h2 "ok=0 changed=0 failed=1" 0x02 ""
grep -qF "fatal: [h2]: FAILED! => " "$tmp/busy.out" &&
	grep -qF "\"msg\": \"relayswitch-sim: $tmp/h2.state is busy: locked by another run\"" "$tmp/busy.out" ||
	fail "busy: h2 did not fail with the program's message"
[ "$took" -ge 9 ] && [ "$took" -le 40 ] || fail "busy: the play took $took s, not the 10 s bound"
echo "0x378 0x12" >"$tmp/h2.state"	# as the others, for what follows

# Refused: bad values by the argument spec, and the program's own refusals;
# nothing is run or switched by the first, nothing switched by the second.
while IFS='|' read -r args message; do
	play refused "$(printf '%b' "$args")"
	for h in $hosts; do expect refused $h "ok=0 changed=0 failed=1" 0x12 ""; done
	grep -qF -- "$message" "$tmp/refused.out" ||
		fail "refused ($args): no '$message' in: $(grep -m1 'FAILED' "$tmp/refused.out")"
done <<'CASES'
        lines:\n          9: on|Unsupported parameters for (relayswitch.parport.relays) module: lines.9
        lines:\n          1: maybe|The value 'maybe' is not a valid boolean
        all: sometimes|The value 'sometimes' is not a valid boolean
        port: "378; reboot"|port must be a hexadecimal address such as 378 or 0xe800, not '378; reboot'
        port: "378\\n"|port must be a hexadecimal address such as 378 or 0xe800, not '378\\n'
        port: "37800"|port must be a hexadecimal address such as 378 or 0xe800, not '37800'
        executable: /nonexistent/relayswitch|No such file or directory: b'/nonexistent/relayswitch'
CASES
# A port that drops what is written (nothing at 0xe800 on this simulator):
# the lines read back are not as written, and the task fails, naming them.
play dropped "        port: e800
        lines:
          1: off
          3: off"
for h in $hosts; do expect dropped $h "ok=0 changed=0 failed=1" 0x12 ""; done
grep -qF '"changed": true, "cmd": ["'"$RELAYSWITCH_SIM"'", "-p", "e800", "-o"], "data": "11111111", "msg": "port e800 did not keep what was written: Data 1 reads on, not off, Data 3 reads on, not off"' \
	"$tmp/dropped.out" || fail "dropped: $(grep -m1 'FAILED' "$tmp/dropped.out")"
[ "$(grep -c '^outb 0xe800 ' "$tmp/h1.dropped")" = 3 ] || fail "dropped: not three runs: $(cat "$tmp/h1.dropped")"
extra_env='        RELAYSWITCH_SIM_GRANTS: "0"' play denied "        lines: {1: on}"
for h in $hosts; do expect denied $h "ok=0 changed=0 failed=1" 0x12 ""; done
grep -qF '"msg": "ioperm: Operation not permitted"' "$tmp/denied.out" ||
	fail "denied: the task did not fail with the program's message"

if [ $bad = 1 ]; then
	for f in "$tmp"/*.out; do echo "== ${f##*/}"; cat "$f"; done
fi
exit $bad
