#!/usr/bin/env python3
"""Second opinions on the archives zip32_test left behind.

Every <name>.zip under OUT/<code page>/ comes with <name>.zip.expect: one line
per entry, "<stored name in hex> <size> <crc32>" or "<stored name in hex> dir".
Each archive must pass unzip -t, zipinfo, 7z t and zipfile.testzip() without
a warning, hold exactly the listed entries with their raw name bytes, and
carry a correct 0x7075 Unicode Path field wherever a name has bytes > 0x7F.
"""
import glob
import os
import shutil
import struct
import subprocess
import sys
import zipfile
import zlib

failures = []


def fail(archive, why):
    failures.append(f"{archive}: {why}")


def run(archive, *cmd):
    env = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8")
    p = subprocess.run(list(cmd) + [archive], capture_output=True, env=env)
    out = p.stdout.decode("utf-8", "replace") + p.stderr.decode("utf-8", "replace")
    if p.returncode != 0 or "warning" in out.lower():
        fail(archive, f"{cmd[0]} answered {p.returncode}:\n{out}")
    return out


def unicode_field(extra):
    """The UTF-8 name and name CRC of a 0x7075 field, or None."""
    i = 0
    while i + 4 <= len(extra):
        tag, size = struct.unpack_from("<HH", extra, i)
        if tag == 0x7075:
            version, crc = struct.unpack_from("<BI", extra, i + 4)
            return version, crc, extra[i + 9:i + 4 + size]
        i += 4 + size
    return None


def check(archive, codepage):
    expect = {}
    with open(archive + ".expect") as f:
        for line in f:
            parts = line.split()
            expect[bytes.fromhex(parts[0])] = parts[1:]
    run(archive, "unzip", "-t")
    run(archive, "zipinfo")
    run(archive, "7z", "t")
    with zipfile.ZipFile(archive) as z:
        try:
            bad = z.testzip()
        except Exception as e:  # damaged deflate data raises instead of answering
            bad = f"({e})"
        if bad:
            fail(archive, f"zipfile: bad entry {bad}")
        seen = set()
        for info in z.infolist():
            raw = info.orig_filename.encode("cp437") if not info.flag_bits & 0x800 else info.orig_filename.encode()
            seen.add(raw)
            want = expect.get(raw)
            if want is None:
                fail(archive, f"unexpected entry {raw!r}")
                continue
            if want == ["dir"]:
                if not info.is_dir() or info.external_attr & 0x10 == 0:
                    fail(archive, f"{raw!r} is not a folder entry")
            elif [str(info.file_size), str(info.CRC)] != want:
                fail(archive, f"{raw!r}: size/crc {info.file_size}/{info.CRC}, want {want}")
            # Both headers must agree on the Unicode name.
            field = unicode_field(info.extra)
            if any(b > 0x7F for b in raw):
                text = raw.decode("cp932" if codepage == "932" else "cp1252")
                if field != (1, zlib.crc32(raw), text.encode("utf-8")):
                    fail(archive, f"{raw!r}: Unicode Path field {field!r}, want the UTF-8 of {text!r}")
                listing = subprocess.run(["7z", "l", archive], capture_output=True).stdout.decode("utf-8", "replace")
                if text.rstrip("/") not in listing:
                    fail(archive, f"7z l does not show {text!r}")
            elif field is not None:
                fail(archive, f"{raw!r}: Unicode Path field on an ASCII name")
        for missing in set(expect) - seen:
            fail(archive, f"missing entry {missing!r}")


def main(out):
    if not shutil.which("7z"):
        subprocess.run(["apt-get", "install", "-y", "p7zip-full"], check=False, capture_output=True)
    archives = sorted(glob.glob(os.path.join(out, "*", "*.zip")))
    if not archives:
        print(f"no archives under {out}")
        return 1
    for a in archives:
        check(a, os.path.basename(os.path.dirname(a)))
    for f in failures:
        print("FAIL", f)
    print(f"{len(archives)} archives checked, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
