#!/usr/bin/env python3
"""Second opinions on the archives folders_test attached and kept.

usage: check_folders.py OUT NAME...

Each NAME must lie in OUT with NAME.expect beside it: one line per entry,
"<stored name in hex> <size> <crc32 in hex>". The archive must hold exactly
those entries (no more, no folders), pass `unzip -t` and `7z t`, and every
entry must read back through zipfile with that size and CRC. A self-extracting
program (.exe) is the stub followed by the archive, so unzip's complaint about
the extra bytes in front is expected there and nothing else.
"""
import os
import subprocess
import sys
import zipfile
import zlib

failures = []


def run(archive, cmd, extra_bytes_ok):
    env = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8")
    p = subprocess.run(cmd + [archive], capture_output=True, env=env)
    out = (p.stdout + p.stderr).decode("utf-8", "replace")
    ok = p.returncode == 0
    if not ok and extra_bytes_ok and p.returncode == 1 and "extra bytes at beginning" in out:
        ok = True
    if not ok:
        failures.append(f"{archive}: {' '.join(cmd)} answered {p.returncode}:\n{out}")


def check(archive):
    expect = {}
    with open(archive + ".expect") as f:
        for line in f:
            name, size, crc = line.split()
            expect[bytes.fromhex(name)] = (int(size), int(crc, 16))
    is_program = archive.endswith(".exe")
    run(archive, ["unzip", "-t"], is_program)
    # By its contents: a ZIP named .lzh is still read as a ZIP.
    run(archive, ["7z", "t"] if is_program else ["7z", "t", "-tzip"], False)
    found = {}
    try:
        with zipfile.ZipFile(archive) as z:
            for info in z.infolist():
                # zipfile decodes names without the UTF-8 flag as cp437.
                raw = info.filename.encode("utf-8" if info.flag_bits & 0x800 else "cp437")
                data = z.read(info)
                found[raw] = (len(data), zlib.crc32(data))
    except (zipfile.BadZipFile, zlib.error, OSError) as e:
        failures.append(f"{archive}: zipfile cannot read it: {e}")
        return
    if found != expect:
        missing = sorted(set(expect) - set(found))
        extra = sorted(set(found) - set(expect))
        wrong = sorted(n for n in set(found) & set(expect) if found[n] != expect[n])
        failures.append(f"{archive}: missing {missing}, unexpected {extra}, wrong size or bytes {wrong}")


def main():
    out = sys.argv[1]
    names = sys.argv[2:]
    if not names:
        sys.exit("usage: check_folders.py OUT NAME...")
    for name in names:
        archive = os.path.join(out, name)
        if not os.path.isfile(archive) or not os.path.isfile(archive + ".expect"):
            failures.append(f"{archive}: not kept by folders_test")
            continue
        check(archive)
    for f in failures:
        print(f)
    print(f"{len(names) - len({f.split(':')[0] for f in failures})} of {len(names)} archives as expected")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
