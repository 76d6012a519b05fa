#!/usr/bin/env python3
"""Checks a copy made under Wine against its source, from the Linux side.

    verify_copy.py SOURCE COPY [MASK]

The same relative file paths and the same bytes; with MASK (Read Only 1,
Hidden 2, System 4), the same last-write time (to Windows' 100 ns) and
exactly those attributes on every copy, read as Wine
keeps them: Read Only as the absence of the Unix write bits, Hidden and
System in the user.DOSATTRIB extended attribute (its text is the attribute
word in hex). Prints "ok N files" or the first differences; exit 0 when all
hold.
"""
import filecmp
import os
import sys


def files(root):
    found = set()
    for folder, _, names in os.walk(root):
        for name in names:
            found.add(os.path.relpath(os.path.join(folder, name), root))
    return found


def attributes(path):
    bits = 0 if os.stat(path).st_mode & 0o222 else 1
    try:
        dos = int(os.getxattr(path, "user.DOSATTRIB").split(b"\0")[0].decode() or "0", 16)
    except OSError:
        dos = 0
    return bits | (dos & 6)


def main():
    if len(sys.argv) not in (3, 4):
        print(__doc__, file=sys.stderr)
        return 2
    source, copy = sys.argv[1], sys.argv[2]
    mask = int(sys.argv[3], 0) & 7 if len(sys.argv) == 4 else None
    wanted, got = files(source), files(copy)
    problems = [f"missing: {p}" for p in sorted(wanted - got)]
    problems += [f"extra: {p}" for p in sorted(got - wanted)]
    for path in sorted(wanted & got):
        if not filecmp.cmp(os.path.join(source, path), os.path.join(copy, path), shallow=False):
            problems.append(f"other bytes: {path}")
        elif mask is not None and (os.stat(os.path.join(source, path)).st_mtime_ns // 100 !=
                                   os.stat(os.path.join(copy, path)).st_mtime_ns // 100):
            problems.append(f"other last-write time: {path}")
        elif mask is not None and attributes(os.path.join(copy, path)) != mask:
            problems.append(f"attributes {attributes(os.path.join(copy, path))}: {path}")
    if problems:
        print(f"{len(problems)} problems, the first:", *problems[:5], sep="\n  ")
        return 1
    print(f"ok {len(wanted)} files")
    return 0


if __name__ == "__main__":
    sys.exit(main())
