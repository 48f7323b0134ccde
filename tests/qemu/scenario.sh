# What relayswitch does on a PC with parallel ports at 0x378 and 0x278 (and no
# device at 0x3bc), run as root and as an unprivileged user. Every run prints
# its command line, its standard output, its standard error and its status.
P=/bin/relayswitch

run() {
	echo "\$ $*"
	"$@" >/tmp/out 2>/tmp/err
	status=$?
	cat /tmp/out
	sed 's/^/stderr: /' /tmp/err
	echo "status $status"
}

echo "== help screens: status 1, nothing written"
run $P -o -p 278 -o
run $P
run $P -h
run $P -1 bogus
run $P -e
run $P -o -p 278 -o

echo "== switching lines; each run starts from what the last one latched"
run $P -a off -o
run $P -1 on
run $P -o
run $P -a on -3 off
run $P -o
run $P -8 off -o -8 on -o
run $P -a off
run $P -o

echo "== the second port; the first keeps its lines"
run $P -1 on
run $P -p 278 -o
run $P -p 278 -2 on -5 on
run $P -p 0x278 -o
run $P -o
run $P -o -p 278 -o

echo "== no device at 0x3bc: reads 0xff, keeps nothing"
run $P -p 3bc -a off -o
run $P -p 3bc -o

echo "== an unprivileged user: refused before anything is read or written"
run /bin/asuser 65534 $P -1 off
run /bin/asuser 65534 $P -o
run /bin/asuser 65534 $P -h
run $P -o -p 278 -o

echo "== ranges past the end of the port space"
run $P -p FFFFF -1 on
run $P -p fffe -1 on
run $P -p fffd -o
run $P -o

echo "== eight runs at once, one line each: none is lost"
run $P -a off -p 278 -a off
for n in 1 2 3 4 5 6 7 8; do $P -$n on & done
wait
for n in 1 2 3 4 5 6 7 8; do $P -p 278 -$n on & done
wait
run $P -o -p 278 -o
ls /run/lock
run $P -a off -p 278 -a off
