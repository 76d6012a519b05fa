#!/usr/bin/env python3
"""Prints the table of src/paths/names.cpp: the upper case of every UTF-16
code unit that has one, as ranges. It is the simple (one character to one
character) upper-case mapping of the Unicode data Python ships, without the
mappings of non-ASCII letters onto ASCII ones (dotless i, long s): Windows'
ordinal compare, which file names follow, has none of those.

    scripts/make_case_table.py > /tmp/table.txt
"""
import unicodedata

deltas = {}
for cp in range(0x10000):
    if 0xD800 <= cp < 0xE000:
        continue
    upper = chr(cp).upper()
    if len(upper) == 1 and upper != chr(cp) and not (ord(upper) < 0x80 <= cp):
        deltas[cp] = ord(upper) - cp

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

print(f"// Unicode {unicodedata.unidata_version}: {len(deltas)} code units in {len(rows)} ranges.")
cells = [f"{{0x{a:04X}, 0x{b:04X}, {s}, {d}}}," for a, b, s, d in rows]
for k in range(0, len(cells), 3):
    print("    " + " ".join(cells[k:k + 3]))
