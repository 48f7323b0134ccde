// The hardware seam under pinlatch: the only operations port access needs from
// the machine. Two backends implement it and one is chosen at link time:
//   portio_x86.cpp  the real I/O ports (ioperm, inb, outb), for relayswitch;
//   portio_sim.cpp  a simulated PC I/O space kept in a file, for relayswitch-sim.
#ifndef PORTIO_H
#define PORTIO_H

// Asks for access to the ports from .. from + count - 1. Returns 0 when granted,
// otherwise -1 with errno set as the kernel sets it.
int io_permit(int from, int count);

// Serialises runs: the first call waits until no other run holds the lock, and
// the lock is then held until the process ends, so a run's read-modify-write
// of the latch is never interleaved with another's. Later calls do nothing.
// Where no lock can be had, the run goes on unlocked and says nothing.
void io_lock();

// Reads one byte from port (0..255).
int io_in(int port);

// Writes the low eight bits of value to port.
void io_out(int value, int port);

#endif
