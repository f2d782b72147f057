#!/usr/bin/env python3
"""Distinct 4 KiB pages (code and data) that one log line touches.

Every write system call flushes the TLB on kernels that isolate their page
tables without PCID, as on the VMs here, so each page a line touches after
its write costs a page walk. Reads valgrind's lackey trace of
`vzv_callgrind_probe <kind> <count>` and cuts it at an instruction run once
per line (count times, or count + 1 with a first line before the loop).
Usage: pages.py <lackey log> <count>
"""
import collections
import statistics
import sys


def main():
    path, count = sys.argv[1], int(sys.argv[2])
    accesses = []
    for line in open(path):
        fields = line.split()
        if len(fields) != 2 or fields[0] not in ('I', 'L', 'S', 'M'):
            continue
        address, size = (int(x, 16) for x in fields[1].split(','))
        accesses.append((fields[0] == 'I', address, size))
    runs = collections.Counter(address for code, address, _ in accesses if code)
    marker = next(address for address, n in runs.items() if n in (count, count + 1))
    lines, current = [], None
    for code, address, size in accesses:
        if code and address == marker:
            if current is not None:
                lines.append(current)
            current = (set(), set())
        if current is not None:
            pages = current[0] if code else current[1]
            pages.update((address >> 12, (address + size - 1) >> 12))
    lines = lines[len(lines) // 2:]  # steady state
    code = statistics.median(len(c) for c, _ in lines)
    data = statistics.median(len(d) for _, d in lines)
    both = statistics.median(len(c | d) for c, d in lines)
    print(f'{code:.0f} code + {data:.0f} data = {both:.0f} pages per line')


if __name__ == '__main__':
    main()
