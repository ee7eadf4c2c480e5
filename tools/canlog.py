#!/usr/bin/env python3
"""Writes a CAN log in the format of `candump -l` for hostsim canview.

The traffic of a small CANopen bus:
  - heartbeats of nodes 1 to 3 (0x701-0x703, one byte 05) every 100 ms;
  - transmit PDOs of nodes 1 and 2 (0x181, 0x182) every 20 and 50 ms,
    their data counting up;
  - SDO answers of node 1 (0x581) every 250 ms, alternating between
    index 1000 and 1008 (43 00 10 00 ... and 43 08 10 00 ...), so that the
    monitor keeps them on separate lines;
  - with --sent, the SDO requests the control sent (0x601, marked T);
  - with --burst N, N frames of one identifier in one millisecond at the
    middle of the run (more than a receive ring holds when N > 1000);
  - with --odd, one extended, one remote and one FD frame (skipped by the
    reader) and one frame of length code C.

usage: tools/canlog.py [--ms 2000] [--burst N] [--sent] [--odd] [--start SECONDS] OUT.log
"""
import argparse


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("out")
    ap.add_argument("--ms", type=int, default=2000, help="length of the log in milliseconds")
    ap.add_argument("--burst", type=int, default=0, help="frames of 0x281 in one millisecond")
    ap.add_argument("--sent", action="store_true", help="include the control's SDO requests")
    ap.add_argument("--odd", action="store_true", help="include frames the reader skips")
    ap.add_argument("--start", type=float, default=1700000000.0, help="time of the first frame")
    ap.add_argument("--interface", default="can0")
    a = ap.parse_args()

    frames = []  # (microseconds, order, text)

    def add(ms, us, ident, data, flag=""):
        frames.append((ms * 1000 + us, len(frames), "%03X#%s%s" % (ident, data.hex().upper(), flag)))

    for ms in range(0, a.ms):
        if ms % 100 == 0:
            for node in (1, 2, 3):
                add(ms, node, 0x700 + node, bytes([5]))
        if ms % 20 == 0:
            add(ms, 10, 0x181, (ms // 20).to_bytes(4, "little") + bytes([0x11, 0x22]))
        if ms % 50 == 7:
            add(ms, 20, 0x182, bytes([ms // 50 & 0xFF, 0x80]))
        if ms % 250 == 125:
            index = 0x00 if (ms // 250) % 2 == 0 else 0x08
            if a.sent:
                add(ms, 30, 0x601, bytes([0x40, index, 0x10, 0x00, 0, 0, 0, 0]), " T")
            add(ms, 500, 0x581, bytes([0x43, index, 0x10, 0x00, 0x91, 0x01, 0x0F, 0x00]))
    if a.burst:
        middle = a.ms // 2
        for i in range(a.burst):
            add(middle, 600 + i * 999 // max(a.burst, 1) % 400, 0x281, bytes([i & 0xFF, i >> 8 & 0xFF]))
    if a.odd:
        frames.append((150000, len(frames), "12345678#0102"))
        frames.append((160000, len(frames), "123#R"))
        frames.append((170000, len(frames), "124##1DEADBEEF"))
        frames.append((180000, len(frames), "125#0102030405060708_C"))
    frames.sort()
    with open(a.out, "w") as f:
        for us, _, text in frames:
            t = a.start + us / 1e6
            seconds = int(t)
            micros = int(round((t - seconds) * 1e6))
            if micros == 1000000:
                seconds, micros = seconds + 1, 0
            f.write("(%d.%06d) %s %s\n" % (seconds, micros, a.interface, text))


if __name__ == "__main__":
    main()
