#!/usr/bin/env python3
"""Prints the table of src/paths/names.cpp: the upper case of every UTF-16
code unit that has one, as ranges. It is the simple (one character to one
character) upper-case mapping of the C library's C.UTF-8 locale, without the
mappings of non-ASCII letters onto ASCII ones (dotless i, long s): Windows'
ordinal compare, which file names follow, has none of those. The native
tests compare the table with the same locale of the same glibc version.

    scripts/make_case_table.py > /tmp/table.txt
"""
import ctypes
import ctypes.util

libc = ctypes.CDLL(ctypes.util.find_library("c"))
libc.setlocale.restype = ctypes.c_char_p
if not libc.setlocale(6, b"C.UTF-8"):  # LC_ALL
    raise SystemExit("no C.UTF-8 locale")
libc.towupper.restype = ctypes.c_uint32
libc.towupper.argtypes = [ctypes.c_uint32]
libc.gnu_get_libc_version.restype = ctypes.c_char_p

deltas = {}
for cp in range(0x10000):
    if 0xD800 <= cp < 0xE000:
        continue
    upper = libc.towupper(cp)
    if upper != cp and upper < 0x10000 and not (upper < 0x80 <= cp):
        deltas[cp] = upper - cp

points = sorted(deltas)
rows = []
i = 0
while i < len(points):
    first, delta = points[i], deltas[points[i]]
    runs = {}
    for stride in (1, 2):
        j = i
        while (j + 1 < len(points) and points[j + 1] == points[j] + stride
               and deltas[points[j + 1]] == delta):
            j += 1
        runs[stride] = j
    stride = 2 if runs[2] > runs[1] else 1
    rows.append((first, points[runs[stride]], stride, delta))
    i = runs[stride] + 1

version = libc.gnu_get_libc_version().decode()
print(f"// {len(deltas)} code units in {len(rows)} ranges, from glibc {version}.")
cells = [f"{{0x{a:04X}, 0x{b:04X}, {s}, {d}}}," for a, b, s, d in rows]
for k in range(0, len(cells), 3):
    print("    " + " ".join(cells[k:k + 3]))
