#!/usr/bin/env python3
"""Drives the real stub under Wine: programs made of sfx32.dat followed by a
ZIP archive (from Info-ZIP zip, or from zipfile with patched bytes for the
hostile ones) are run with -q -d and the files they leave are compared.

usage: sfx_cli_test.py STUB WINE_RUN BUILD_DIR

Programs are written straight into /tmp and Wine runs with /tmp as its
current folder and the build folder's prefix: both are already visible
inside Wine's root, so the launcher needs no new folder bound for them.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile
import zlib

STUB = WINE_RUN = PREFIX = BUILD = None


def winpath(p):
    return "Z:" + p.replace("/", "\\")


def tree(root):
    """{relative path: bytes or None for a folder} below root."""
    out = {}
    for d, dirs, files in os.walk(root):
        for n in dirs:
            out[os.path.relpath(os.path.join(d, n), root)] = None
        for n in files:
            with open(os.path.join(d, n), "rb") as f:
                out[os.path.relpath(os.path.join(d, n), root)] = f.read()
    return out


class SfxCase(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="sfxcli-", dir="/tmp")
        self.addCleanup(shutil.rmtree, self.tmp, True)
        self.out = os.path.join(self.tmp, "out")
        self.prog = self.tmp + ".exe"
        self.addCleanup(lambda: os.path.exists(self.prog) and os.remove(self.prog))

    def program(self, zipdata):
        with open(STUB, "rb") as f:
            stub = f.read()
        with open(self.prog, "wb") as f:
            f.write(stub + zipdata)
        return self.prog

    def fresh(self):
        shutil.rmtree(self.tmp)
        os.makedirs(self.tmp)

    def run_sfx(self, prog, *args, cp=1252):
        env = dict(os.environ, SATCHEL_CP=str(cp), SATCHEL_PREFIX=PREFIX)
        r = subprocess.run([WINE_RUN, prog, "-q", *args], capture_output=True, env=env, timeout=120, cwd="/tmp")
        return r.returncode, (r.stdout + r.stderr).decode("cp932" if cp == 932 else "cp1252", "replace")

    def info_zip(self, src, *opts, locale="C"):
        dest = os.path.join(self.tmp, "a.zip")
        env = dict(os.environ, LANG=locale, LC_ALL=locale)
        subprocess.run(["zip", "-q", "-r", *opts, dest, "."], cwd=src, check=True, env=env)
        with open(dest, "rb") as f:
            data = f.read()
        os.remove(dest)
        return data

    def make_tree(self, files):
        src = os.path.join(self.tmp, "src")
        for name, data in files.items():
            p = os.path.join(os.fsencode(src), name if isinstance(name, bytes) else os.fsencode(name))
            os.makedirs(os.path.dirname(p), exist_ok=True)
            if data is None:
                os.makedirs(p, exist_ok=True)
            else:
                with open(p, "wb") as f:
                    f.write(data)
        return src


SAMPLE = {
    "hello.txt": b"hello\r\n",
    "empty.txt": b"",
    "sub/deep/er/numbers.txt": b"".join(b"%d\n" % i for i in range(40000)),
    "sub/random.bin": os.urandom(150000),
    "sub/emptydir": None,
}


class RoundTrip(SfxCase):
    def check_same(self, src):
        self.assertEqual(tree(src), tree(self.out))
        for rel, data in tree(src).items():
            if data is not None:  # Info-ZIP keeps the time to the second (extra field UT)
                self.assertAlmostEqual(os.path.getmtime(os.path.join(src, rel)),
                                       os.path.getmtime(os.path.join(self.out, rel)), delta=1, msg=rel)

    def test_deflated_stored_unadjusted_adjusted_and_commented(self):
        src = self.make_tree(SAMPLE)
        for opts in ([], ["-0"], ["-9"]):
            data = self.info_zip(src, *opts)
            prog = self.program(data)
            for adjust in (False, True):
                with self.subTest(opts=opts, adjusted=adjust):
                    if adjust:
                        subprocess.run(["zip", "-q", "-A", prog], check=True)
                    shutil.rmtree(self.out, True)
                    rc, text = self.run_sfx(prog, "-d", winpath(self.out))
                    self.assertEqual(rc, 0, text)
                    self.check_same(src)
        # An archive comment sits after the end record the stub looks for.
        data = self.info_zip(src)
        comment = b"PK\x05\x06 a comment that looks like a record"
        prog = self.program(data[:-2] + struct.pack("<H", len(comment)) + comment)
        shutil.rmtree(self.out, True)
        rc, text = self.run_sfx(prog, "-d", winpath(self.out))
        self.assertEqual(rc, 0, text)
        self.check_same(src)

    def test_archive_written_by_our_zip32(self):
        zipcli = os.path.join(BUILD, "tools", "zipcli.exe")
        dll = os.path.join(BUILD, "dist", "ZIP32.DLL")
        if not (os.path.exists(zipcli) and os.path.exists(dll)):
            self.skipTest("ZIP32.DLL and zipcli.exe not built")
        src = self.make_tree(SAMPLE)
        arc = os.path.join(self.tmp, "z.zip")
        env = dict(os.environ, SATCHEL_PREFIX=PREFIX)
        r = subprocess.run([WINE_RUN, zipcli, "--dll", winpath(dll), "-q", "-R", "-r", winpath(src), winpath(arc),
                            "hello.txt", "empty.txt", "sub"], capture_output=True, env=env, cwd="/tmp", timeout=120)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        with open(arc, "rb") as f:
            prog = self.program(f.read())
        os.remove(arc)
        rc, text = self.run_sfx(prog, "-d", winpath(self.out))
        self.assertEqual(rc, 0, text)
        self.assertEqual(tree(src), tree(self.out))

    def test_other_tools_accept_the_program_and_test_mode_writes_nothing(self):
        src = self.make_tree(SAMPLE)
        prog = self.program(self.info_zip(src))
        u = subprocess.run(["unzip", "-t", prog], capture_output=True, text=True)
        self.assertIn("extra bytes at beginning or within zipfile", u.stdout + u.stderr)
        tested = [l for l in u.stdout.splitlines() if l.strip().startswith("testing:")]
        self.assertEqual(len(tested), len(zipfile.ZipFile(prog).namelist()))
        self.assertTrue(tested and all(l.endswith("OK") for l in tested), u.stdout)
        self.assertEqual(subprocess.run(["7z", "t", prog], capture_output=True).returncode, 0)
        rc, text = self.run_sfx(prog, "-t")
        self.assertEqual(rc, 0, text)
        self.assertIn("files tested, no errors", text)
        self.assertEqual(os.listdir(self.tmp), ["src"])

    def test_shift_jis_names_with_backslash_trail_bytes(self):
        # "表" and "ソ" end in 0x5C, the byte of "\"; zip stores the bytes as they are.
        names = ["表示/ソフト.txt", "能力.txt", "予定表"]
        files = {n.encode("cp932"): n.encode("utf-8") for n in names}
        src = self.make_tree(files)
        prog = self.program(self.info_zip(src))
        rc, text = self.run_sfx(prog, "-d", winpath(self.out), cp=932)
        self.assertEqual(rc, 0, text)
        self.assertEqual(tree(self.out), {"表示": None, "表示/ソフト.txt": "表示/ソフト.txt".encode(),
                                          "能力.txt": "能力.txt".encode(), "予定表": "予定表".encode()})

    def test_utf8_names_outside_the_ansi_code_page(self):
        # Bit 11 (zipfile sets it for any name beyond ASCII), then the 0x7075
        # field, which counts only while its CRC matches the stored name.
        def unicode_path(stored, name):
            utf8 = name.encode()
            return struct.pack("<HHBI", 0x7075, 5 + len(utf8), 1, zlib.crc32(stored.encode())) + utf8

        buf = os.path.join(self.tmp, "u.zip")
        with zipfile.ZipFile(buf, "w") as z:
            z.writestr("Ελληνικά/файл.txt", b"z")
            for stored, name, crc_of in (("_/n.txt", "한글/naïve €.txt", "_/n.txt"),
                                         ("stale.txt", "renamed.txt", "other name")):
                info = zipfile.ZipInfo(stored)
                info.extra = unicode_path(crc_of, name)
                z.writestr(info, name.encode())
        with open(buf, "rb") as f:
            prog = self.program(f.read())
        os.remove(buf)
        for cp in (1252, 932):
            with self.subTest(cp=cp):
                shutil.rmtree(self.out, True)
                rc, text = self.run_sfx(prog, "-d", winpath(self.out), cp=cp)
                self.assertEqual(rc, 0, text)
                self.assertEqual(tree(self.out), {"Ελληνικά": None, "Ελληνικά/файл.txt": b"z", "한글": None,
                                                  "한글/naïve €.txt": "한글/naïve €.txt".encode(),
                                                  "stale.txt": b"renamed.txt"})

    def test_existing_files_kept_unless_told_to_replace(self):
        src = self.make_tree({"a.txt": b"new", "ro.txt": b"new too"})
        prog = self.program(self.info_zip(src))
        os.makedirs(self.out)
        for n in ("a.txt", "ro.txt"):
            with open(os.path.join(self.out, n), "wb") as f:
                f.write(b"old")
        os.chmod(os.path.join(self.out, "ro.txt"), 0o444)  # read-only under Wine
        rc, text = self.run_sfx(prog, "-d", winpath(self.out))
        self.assertEqual(rc, 0, text)
        self.assertIn("a.txt exists; not replaced", text)
        self.assertEqual(tree(self.out), {"a.txt": b"old", "ro.txt": b"old"})
        rc, text = self.run_sfx(prog, "-o", "-d", winpath(self.out))
        self.assertEqual(rc, 0, text)
        self.assertEqual(tree(self.out), {"a.txt": b"new", "ro.txt": b"new too"})

    def test_replacing_counts_only_what_was_written_and_leaves_no_temporary_file(self):
        os.makedirs(os.path.join(self.out, "sub"))
        old = {"a.txt": b"old a", "sub/b.txt": b"old b", "ro.txt": b"old ro", "bad.txt": b"old bad"}
        for n, data in old.items():
            with open(os.path.join(self.out, n), "wb") as f:
                f.write(data)
        os.chmod(os.path.join(self.out, "ro.txt"), 0o444)
        data = zip_bytes([("a.txt", b"new a", 8), ("sub/b.txt", b"new b", 0), ("ro.txt", b"new ro", 0),
                          ("fresh.txt", b"fresh", 8), ("bad.txt", b"stored payload", 0)])
        data[data.find(b"stored payload")] ^= 0x20
        prog = self.program(bytes(data))
        rc, text = self.run_sfx(prog, "-d", winpath(self.out))
        self.assertEqual(rc, 0, text)
        # The summary goes to the standard output, which run_sfx puts first.
        self.assertEqual(text.splitlines(), [f"1 files extracted to {winpath(self.out)}. 4 existing files kept.",
                                             "a.txt exists; not replaced.", "sub/b.txt exists; not replaced.",
                                             "ro.txt exists; not replaced.", "bad.txt exists; not replaced."])
        # Without -o nothing that exists is touched and the one new file is written.
        self.assertEqual(tree(self.out), dict(old, **{"sub": None, "fresh.txt": b"fresh"}))
        rc, text = self.run_sfx(prog, "-o", "-d", winpath(self.out))
        self.assertEqual(rc, 1, text)
        self.assertEqual(text.splitlines(), ["bad.txt: CRC error, not extracted.", "Finished with 1 errors."])
        # The damaged entry keeps the old file; the others were replaced in place.
        self.assertEqual(tree(self.out), {"a.txt": b"new a", "sub": None, "sub/b.txt": b"new b", "ro.txt": b"new ro",
                                          "fresh.txt": b"fresh", "bad.txt": b"old bad"})
        prog = self.program(bytes(zip_bytes([("a.txt", b"newer a", 8), ("sub/b.txt", b"newer b", 0),
                                             ("c.txt", b"c", 0)])))
        rc, text = self.run_sfx(prog, "-o", "-d", winpath(self.out))
        self.assertEqual(rc, 0, text)
        self.assertEqual(text.splitlines(), [f"3 files extracted to {winpath(self.out)}."])
        self.assertEqual(tree(self.out)["a.txt"], b"newer a")
        self.assertEqual(len(tree(self.out)), 7)

    def test_paths_longer_than_max_path(self):
        # Parts of 50 characters: the entry alone is 300+ characters, joined to
        # the folder well past the 260 that plain Windows paths allow.
        deep = "/".join(["%02d" % i + "x" * 48 for i in range(6)]) + "/deep.txt"
        self.assertGreater(len(deep), 305)
        entries = [("short.txt", b"short", 8), (deep, b"deep data " * 100, 8)]
        prog = self.program(bytes(zip_bytes(entries)))
        rc, text = self.run_sfx(prog, "-d", winpath(self.out))
        self.assertEqual(rc, 0, text)
        self.assertEqual(text.splitlines(), [f"2 files extracted to {winpath(self.out)}."])
        files = {k: v for k, v in tree(self.out).items() if v is not None}
        self.assertEqual(files, {"short.txt": b"short", deep: b"deep data " * 100})
        # Replacing goes through a temporary file beside the deep one.
        prog = self.program(bytes(zip_bytes([(deep, b"replaced", 0)])))
        rc, text = self.run_sfx(prog, "-o", "-d", winpath(self.out))
        self.assertEqual(rc, 0, text)
        files = {k: v for k, v in tree(self.out).items() if v is not None}
        self.assertEqual(files, {"short.txt": b"short", deep: b"replaced"})
        self.assertEqual(sorted(os.listdir(self.tmp)), ["out"])

    def test_thousands_of_entries(self):
        entries = [("d%02d/f%04d.txt" % (i % 7, i), b"%d" % i * (i % 5), 8 if i % 2 else 0) for i in range(3000)]
        entries[1500:1500] = [("d03/", b"", 0), ("d03/inner/", b"", 0)]
        prog = self.program(bytes(zip_bytes(entries)))
        rc, text = self.run_sfx(prog, "-d", winpath(self.out))
        self.assertEqual(rc, 0, text)
        self.assertEqual(text.splitlines(), [f"3000 files extracted to {winpath(self.out)}."])
        got = tree(self.out)
        self.assertEqual(len(got), 3000 + 7 + 1)
        for name, data, _ in entries[::97]:
            self.assertEqual(got[name.rstrip("/")], None if name.endswith("/") else data, name)
        self.assertEqual(got["d03/inner"], None)

def zip_bytes(entries):
    """A deflated or stored archive from zipfile: [(name, data, method)]."""
    path = tempfile.mktemp(suffix=".zip", dir="/tmp")
    with zipfile.ZipFile(path, "w") as z:
        for name, data, method in entries:
            z.writestr(zipfile.ZipInfo(name, (2020, 1, 2, 3, 4, 6)), data, compress_type=method)
    with open(path, "rb") as f:
        data = bytearray(f.read())
    os.remove(path)
    return data


def central(data, index):
    """Offset of the index-th central directory record."""
    at = data.find(b"PK\x01\x02")
    for _ in range(index):
        n, m, k = struct.unpack_from("<HHH", data, at + 28)
        at += 46 + n + m + k
    return at


def raw_zip(names, data=b"", local_for=None):
    """An archive of stored entries written record by record; local_for(i)
    picks the local entry the i-th central record points at (forgeries)."""
    pick = local_for or (lambda i: i)
    local, offsets = bytearray(), {}
    crc = zlib.crc32(data)
    for i in sorted({pick(i) for i in range(len(names))}):
        offsets[i] = len(local)
        n = names[i].encode()
        local += struct.pack("<IHHHHHIIIHH", 0x04034B50, 10, 0, 0, 0, 0x21, crc, len(data), len(data), len(n), 0)
        local += n + data
    cd = bytearray()
    for i, name in enumerate(names):
        n = name.encode()
        at = offsets[pick(i)]
        cd += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 10, 0, 0, 0, 0x21, crc, len(data), len(data),
                          len(n), 0, 0, 0, 0, 0, at) + n
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(names) & 0xFFFF, len(names) & 0xFFFF, len(cd), len(local), 0)
    return bytes(local + cd + end)


def as_zip64(data, markers):
    """The same archive with a Zip64 end record and locator before the classic
    end record, which holds either 0xFFFF markers or the real values too."""
    end = data.rfind(b"PK\x05\x06")
    count, size, offset = struct.unpack_from("<HII", data, end + 10)
    record = struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, count, count, size, offset)
    locator = struct.pack("<IIQI", 0x07064B50, 0, end, 1)
    classic = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, *((0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF) if markers else
                                                            (count, count, size, offset)), 0)
    return data[:end] + record + locator + classic


REFUSED = "The archive holds unsafe names and was refused; nothing was extracted."
COLON = '":" refused (a drive letter or an alternate data stream).'
DUPLICATE = "the name appears more than once in the archive."


class Hostile(SfxCase):
    def assert_refused(self, data, rc_expected, reason):
        prog = self.program(bytes(data))
        os.makedirs(self.out)
        rc, text = self.run_sfx(prog, "-d", winpath(self.out))
        self.assertEqual(rc, rc_expected, text)
        self.assertIn(reason, text)
        return prog

    def assert_nothing_outside(self):
        self.assertEqual(os.listdir(self.tmp), ["out"])

    def assert_refused_with_lines(self, entries, lines, *args):
        """The archive is refused with exactly these lines, each once, and nothing is written."""
        self.fresh()
        prog = self.program(bytes(zip_bytes(entries)))
        os.makedirs(self.out)
        rc, text = self.run_sfx(prog, *args, "-d", winpath(self.out))
        self.assertEqual(rc, 3, text)
        self.assertEqual(text.splitlines(), lines + [REFUSED])
        self.assertEqual(os.listdir(self.out), [])
        self.assert_nothing_outside()

    def test_unsafe_names_refuse_the_whole_archive(self):
        parent, drive, colon = '".." in the path refused.', "drive letter refused.", COLON
        cases = [("../evil.txt", parent), ("a/../../evil.txt", parent), ("a\\..\\..\\evil.txt", parent),
                 ("/abs.txt", "absolute path refused."), ("\\abs.txt", "absolute path refused."),
                 ("C:/drive.txt", drive), ("c:\\drive.txt", drive), ("c:drive.txt", colon), ("a:stream", colon),
                 ("c:", colon), ("a.txt:stream", '":" (alternate data stream) refused.'),
                 ("sub/CON", "device name refused."), ("aux.txt", "device name refused."),
                 ("lpt1 .log", "device name refused."), ("trail.", "invalid character in the name."),
                 ("q?.txt", "invalid character in the name."), ("", "empty name refused.")]
        for name, reason in cases:
            with self.subTest(name=name):
                # A good entry first: it must not be written either.
                self.assert_refused_with_lines([("good.txt", b"ok", zipfile.ZIP_STORED), (name, b"bad", 8)],
                                               [f"{name}: {reason}"])
        with self.subTest("every unsafe name is told, once"):
            self.assert_refused_with_lines([("../a", b"", 0), ("ok.txt", b"", 0), ("b:c", b"", 0)],
                                           ['../a: ".." in the path refused.', f"b:c: {colon}"])

    def test_names_that_land_on_the_same_path_refuse_the_whole_archive(self):
        # Windows compares names without regard to case; "." parts and either
        # separator make no new name; a file cannot be where a folder goes.
        cases = [(["a.txt", "A.TXT"], "A.TXT"), (["Straße/ä.txt", "STRASSE/ä.txt", "straße/Ä.txt"], "straße/Ä.txt"),
                 (["d/x.txt", "d\\x.txt"], "d\\x.txt"), (["./a.txt", "a.txt"], "a.txt"), (["sub/", "Sub"], "Sub"),
                 (["sub", "SUB/"], "SUB/"), (["sub", "sub/x.txt"], "sub/x.txt"), (["d/sub/x.txt", "D/SUB"], "D/SUB")]
        for names, culprit in cases:
            with self.subTest(names=names):
                entries = [("good.txt", b"ok", 0)] + [(n, b"" if n.endswith("/") else n.encode(), 8) for n in names]
                self.assert_refused_with_lines(entries, [f"{culprit}: {DUPLICATE}"])
        # Replacing or testing, one name is never counted as two files.
        for mode in ("-o", "-t"):
            with self.subTest(mode):
                self.assert_refused_with_lines([("a.txt", b"1", 0), ("A.txt", b"2", 0)], [f"A.txt: {DUPLICATE}"], mode)
        # A folder named again, by its own entry or by the files in it, is no clash.
        self.fresh()
        os.makedirs(self.out)
        prog = self.program(bytes(zip_bytes([("d/", b"", 0), ("D/", b"", 0), ("d/f.txt", b"f", 0),
                                             ("D/g.txt", b"g", 0)])))
        rc, text = self.run_sfx(prog, "-d", winpath(self.out))
        self.assertEqual(rc, 0, text)
        self.assertEqual(text.splitlines(), [f"2 files extracted to {winpath(self.out)}."])
        self.assertEqual(tree(self.out), {"d": None, "d/f.txt": b"f", "d/g.txt": b"g"})

    def test_bad_crc_and_bad_data_leave_no_file(self):
        data = zip_bytes([("good.txt", b"fine", 0), ("stored.txt", b"stored payload", 0),
                          ("deflated.txt", b"deflated " * 1000, 8)])
        payload = data.find(b"stored payload")
        data[payload] ^= 0x20
        cd = central(data, 2)
        lh = struct.unpack_from("<I", data, cd + 42)[0]
        n, m = struct.unpack_from("<HH", data, lh + 26)
        data[lh + 30 + n + m + 3] ^= 0xFF
        self.assert_refused(data, 1, "stored.txt: CRC error, not extracted")
        self.assertEqual(tree(self.out), {"good.txt": b"fine"})  # nor any temporary file
        self.assert_nothing_outside()
        rc, text = self.run_sfx(self.prog, "-t")
        self.assertEqual(rc, 1)
        self.assertRegex(text, r"deflated.txt: (damaged data|CRC error|wrong size)")

    def test_sizes_that_lie(self):
        data = zip_bytes([("small.txt", b"tiny", 8), ("ok.txt", b"ok", 0)])
        struct.pack_into("<I", data, central(data, 0) + 24, 0xFFFFFFF0)  # claims 4 GiB unpacked
        self.assert_refused(data, 1, "small.txt: wrong size")
        self.assertEqual(tree(self.out), {"ok.txt": b"ok"})
        self.fresh()
        data = zip_bytes([("big.txt", b"x" * 5000, 8)])
        struct.pack_into("<I", data, central(data, 0) + 24, 100)  # inflates to more than it claims
        self.assert_refused(data, 1, "big.txt: wrong size")
        self.fresh()
        data = zip_bytes([("packed.txt", b"abc", 0)])
        struct.pack_into("<I", data, central(data, 0) + 20, 0x7FFFFFFF)  # data would run past the archive
        self.assert_refused(data, 3, "overlap")
        self.assertEqual(os.listdir(self.out), [])
        self.fresh()
        data = zip_bytes([("zip64.txt", b"abc", 0)])
        struct.pack_into("<I", data, central(data, 0) + 24, 0xFFFFFFFF)
        self.assert_refused(data, 3, "ZIP64")
        self.assertEqual(os.listdir(self.out), [])

    def test_damaged_directories(self):
        good = zip_bytes([("a.txt", b"a" * 100, 8), ("b.txt", b"b", 0), ("c.txt", b"c", 0)])
        end = good.rfind(b"PK\x05\x06")
        cd = central(good, 0)
        variants = {
            "truncated directory": good[:central(good, 1) + 10] + good[end:],
            "count larger than directory": good[:end + 8] + struct.pack("<HH", 4, 4) + good[end + 12:],
            "directory offset past its place": good[:end + 16] + struct.pack("<I", end + 1) + good[end + 20:],
            "directory size beyond the file": good[:end + 12] + struct.pack("<I", 0x10000000) + good[end + 16:],
        }
        for what, data in variants.items():
            with self.subTest(what):
                self.fresh()
                self.assert_refused(data, 3, "archive is damaged")
                self.assertEqual(os.listdir(self.out), [])
        for what, data, reason in (("no archive at all", b"", "No archive is attached"),
                                   ("cut before the end record", good[:end], "The archive is incomplete")):
            with self.subTest(what):
                self.fresh()
                self.assert_refused(data, 3, reason)
        # A local header offset that points into the stub.
        data = bytearray(good)
        struct.pack_into("<I", data, cd + 42, 0xFFFF0000)
        self.fresh()
        self.assert_refused(data, 1, "a.txt: damaged data")
        self.assertEqual(tree(self.out), {"b.txt": b"b", "c.txt": b"c"})

    def test_bad_command_line(self):
        prog = self.program(bytes(zip_bytes([("a.txt", b"a", 0)])))
        for args in (["-x"], ["-d"], ["stray"]):
            rc, text = self.run_sfx(prog, *args)
            self.assertEqual(rc, 2, args)
            self.assertIn("Usage:", text)

class Forged(SfxCase):
    """Archives that lie about their layout, and the largest count there is."""

    def test_entries_sharing_one_local_entry_are_refused_before_anything_is_written(self):
        # 100 directory records, one 10 MiB entry: it would unpack to 1,000 MiB.
        prog = self.program(raw_zip(["f%03d.bin" % i for i in range(100)], b"\0" * (10 << 20), lambda i: 0))
        os.makedirs(self.out)
        for args in (["-d", winpath(self.out)], ["-t"]):
            with self.subTest(args=args):
                rc, text = self.run_sfx(prog, *args)
                self.assertEqual(rc, 3, text)
                self.assertIn("the data of its entries overlap", text)
                self.assertEqual(os.listdir(self.out), [])

    def test_zip64_archives_are_named_as_such(self):
        os.makedirs(self.out)
        for markers in (True, False):
            with self.subTest(markers=markers):
                prog = self.program(as_zip64(raw_zip(["a.txt", "b.txt"], b"data"), markers))
                rc, text = self.run_sfx(prog, "-d", winpath(self.out))
                self.assertEqual(rc, 3, text)
                self.assertIn("ZIP64 archives (4 GiB or more) are not supported.", text)
                self.assertNotIn("damaged", text)
                self.assertEqual(os.listdir(self.out), [])

    def test_65535_entries_without_zip64_are_a_count(self):
        names = ["%05d" % i for i in range(0xFFFF)]
        prog = self.program(raw_zip(names, b"x"))
        rc, text = self.run_sfx(prog, "-t")
        self.assertEqual(rc, 0, text)
        self.assertEqual(text.splitlines(), ["65535 files tested, no errors."])


if __name__ == "__main__":
    STUB, WINE_RUN, BUILD = sys.argv[1:4]
    PREFIX = os.path.join(BUILD, "wineprefix")
    unittest.main(argv=[sys.argv[0], "-v"] + sys.argv[4:])
