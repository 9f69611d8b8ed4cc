#!/usr/bin/env python3
"""Writes the seed corpora under fuzz/corpus/: archives made by Info-ZIP zip
and Python's zipfile, hand-built hostile ones, a self-extractor layout (a
minimal PE image with an archive behind it) and names. Run again after
changing it; the output is committed and meant to stay small."""

import io
import os
import shutil
import struct
import subprocess
import tempfile
import zipfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")
DATE = (2024, 5, 6, 7, 8, 10)
MTIME = 1714979290  # 2024-05-06 07:08:10 UTC


def info_zip(workdir, args, files):
    """Runs Info-ZIP zip on files (name bytes -> contents) in a fixed setting."""
    src = os.path.join(workdir, "src")
    shutil.rmtree(src, ignore_errors=True)
    os.makedirs(src)
    for name, data in files.items():
        path = os.path.join(os.fsencode(src), name)
        if name.endswith(b"/"):
            os.makedirs(path, exist_ok=True)
            continue
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    for root, dirs, names in os.walk(os.fsencode(src)):
        for n in dirs + names:
            os.utime(os.path.join(root, n), (MTIME, MTIME))
    out = os.path.join(workdir, "out.zip")
    if os.path.exists(out):
        os.remove(out)
    env = dict(os.environ, LANG="C", LC_ALL="C", TZ="UTC")
    subprocess.run([b"zip", b"-q"] + [a.encode() for a in args] + [os.fsencode(out)] + list(files),
                   cwd=src, env=env, check=True)
    with open(out, "rb") as f:
        return f.read()


def py_zip(entries, comment=b""):
    """entries: (name, data, method, force_zip64)."""
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w", allowZip64=True) as z:
        for name, data, method, force in entries:
            info = zipfile.ZipInfo(name, DATE)
            info.compress_type = method
            with z.open(info, "w", force_zip64=force) as f:
                f.write(data)
        z.comment = comment
    return buf.getvalue()


def build(entries, comment=b"", count=None, shift=0, dir_offset=None, cd_size=None, prefix=b""):
    """A plain ZIP from (name, data, options) with room to lie: options may set
    flags, method, extra, a local header offset and the sizes claimed."""
    body = bytearray(prefix)
    central = bytearray()
    for name, data, opt in entries:
        method = opt.get("method", 0)
        packed = zlib.compress(data)[2:-4] if method == 8 else data
        crc = zlib.crc32(data)
        flags = opt.get("flags", 0)
        extra = opt.get("extra", b"")
        offset = len(body) - len(prefix) + shift
        csize = opt.get("csize", len(packed))
        usize = opt.get("usize", len(data))
        if not opt.get("no_local"):
            body += struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, flags, method, 0x3904, 0x58A6,
                                0 if flags & 8 else crc, 0 if flags & 8 else len(packed),
                                0 if flags & 8 else len(data), len(name), 0) + name + packed
            if flags & 8:
                if opt.get("descriptor_sig", True):
                    body += struct.pack("<I", 0x08074B50)
                body += struct.pack("<III", crc, len(packed), len(data))
        offset = opt.get("offset", offset)
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 0x031E, 20, flags, method, 0x3904, 0x58A6,
                               crc, csize, usize, len(name), len(extra), 0, 0, 0, 0o100644 << 16,
                               offset) + name + extra
    n = len(entries) if count is None else count
    cd_pos = len(body) - len(prefix) + shift
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, n, n, len(central) if cd_size is None else cd_size,
                      cd_pos if dir_offset is None else dir_offset, len(comment))
    return bytes(body + central + end + comment)


def pe_stub():
    """A minimal PE image: DOS header, PE header, one section whose raw data
    ends the image, padded to that end."""
    dos = bytearray(64)
    dos[0:2] = b"MZ"
    struct.pack_into("<I", dos, 60, 64)
    opt = bytearray(224)
    struct.pack_into("<H", opt, 0, 0x10B)
    struct.pack_into("<I", opt, 60, 0x200)  # SizeOfHeaders
    nt = struct.pack("<IHHIIIHH", 0x4550, 0x14C, 1, 0, 0, 0, len(opt), 0x102)
    section = struct.pack("<8sIIIIIIHHI", b".text", 0x100, 0x1000, 0x200, 0x200, 0, 0, 0, 0, 0x60000020)
    head = bytes(dos) + nt + bytes(opt) + section
    return head.ljust(0x200, b"\0") + b"\xc3".ljust(0x200, b"\0")


def unicode_path(stored, utf8):
    data = b"\x01" + struct.pack("<I", zlib.crc32(stored)) + utf8
    return struct.pack("<HH", 0x7075, len(data)) + data


def archives(workdir):
    text = b"Satchel keeps mail.\n" * 40
    seeds = {}
    seeds["infozip-deflated"] = info_zip(workdir, ["-r", "-X"], {b"docs/": b"", b"docs/a.txt": text, b"b.txt": b"b\n"})
    seeds["infozip-stored"] = info_zip(workdir, ["-0", "-X"], {b"a.txt": text, b"empty.txt": b""})
    seeds["infozip-sjis"] = info_zip(workdir, [], {b"\x83\x5c\x83\x74\x83\x67.txt": text[:200]})
    seeds["py-mixed"] = py_zip([("deflated.txt", text, zipfile.ZIP_DEFLATED, False),
                                ("stored.bin", bytes(range(256)), zipfile.ZIP_STORED, False),
                                ("\u65e5\u672c\u8a9e/\u540d\u524d.txt", b"utf-8\n", zipfile.ZIP_DEFLATED, False)],
                               comment=b"archive comment")
    seeds["py-zip64"] = py_zip([("big.txt", text, zipfile.ZIP_DEFLATED, True)])

    ok = [(b"one.txt", text, {"method": 8}), (b"two.txt", b"two\n", {})]
    seeds["plain"] = build(ok)
    seeds["descriptor"] = build([(b"d.txt", text, {"method": 8, "flags": 8}),
                                 (b"n.txt", b"no signature\n", {"flags": 8, "descriptor_sig": False})])
    seeds["unicode-field"] = build([(b"\x93\xfa.txt", b"x", {"extra": unicode_path(b"\x93\xfa.txt",
                                                                                   "\u65e5.txt".encode())})])
    # One local entry listed many times: a zip bomb without compression.
    many = [(b"bomb", text, {"method": 8})] + [(b"bomb%d" % i, b"", {"offset": 0, "no_local": True,
                                                                     "csize": 40})
                                               for i in range(20)]
    seeds["many-to-one"] = build(many)
    seeds["truncated"] = seeds["plain"][:len(seeds["plain"]) // 2]
    # The first entry's data runs over the second's local header.
    seeds["overlap"] = build([(b"a", text, {"csize": len(text) + 20}), (b"b", b"bb", {})])
    seeds["offset-into-data"] = build([(b"a", text, {}), (b"b", b"bb", {"offset": 10})])
    seeds["count-ffff"] = build(ok, count=0xFFFF)
    seeds["bad-offset"] = build([(b"a", b"a", {"offset": 0x7FFFFFF0})])
    seeds["bad-dir-offset"] = build(ok, dir_offset=0xFFFFFF00)
    seeds["bad-sizes"] = build([(b"a", b"abc", {"csize": 0xFFFFFFF0, "usize": 0xFFFFFFFF})])
    seeds["empty"] = build([], comment=b"nothing here")
    return seeds


def names():
    texts = ["docs/a.txt", "folder/", "..\\..\\evil", "C:\\Windows\\x", "c:x", "\\\\host\\share\\a\\b",
             "a/./b/../c", "con.txt", "NUL .txt", "com1", "a:stream", ".\\C:x", "a\\..\\C:\\x", "trail. ",
             "\u65e5\u672c/\u8a9e.txt"]
    seeds = {}
    for i, t in enumerate(texts):
        seeds["utf16-%02d" % i] = t.encode("utf-16-le")
        seeds["bytes-%02d" % i] = t.encode("utf-8")
    # Shift-JIS whose second byte is "\" (0x5C): one character, not a separator.
    seeds["sjis-5c"] = b"\x83\x5c\x83\x74\x83\x67\\..\\x.txt"
    seeds["sjis-colon"] = b"\x81:/a"
    return seeds


def write(target, seeds):
    folder = os.path.join(CORPUS, target)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


def main():
    with tempfile.TemporaryDirectory() as workdir:
        seeds = archives(workdir)
    write("zip_archive", seeds)
    stub = pe_stub()
    plain = seeds["plain"]
    sfx = dict(seeds)
    sfx["pe-stub-zip"] = stub + plain
    # What zip -A makes: offsets counted from the start of the file.
    sfx["pe-stub-zip-adjusted"] = build([(b"one.txt", b"Satchel\n" * 30, {"method": 8}),
                                         (b"two.txt", b"two\n", {})], shift=len(stub), prefix=stub)
    sfx["pe-stub-only"] = stub
    write("sfx_archive", sfx)
    write("names", names())


if __name__ == "__main__":
    main()
