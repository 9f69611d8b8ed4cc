#!/usr/bin/env python3
"""The release package is complete, self-contained and works once unpacked.

    check_package.py <build folder> <source folder>

Reads <build>/Satchel-<version>.zip (made by scripts/package) and checks:
- the archive: exactly the six files, none in a folder; CRCs and unzip -t
  good; the binaries are the ones just built;
- the user texts: README-ja.txt is Shift-JIS, README-en.txt and LICENSE.txt
  UTF-8, every line of each ends with CR LF, and each is its source in
  packaging/; both READMEs list the same messages, and every message they
  quote is one the product has; both document the five settings with the
  defaults the plug-in reads them with;
- each binary imports only Windows system DLLs and carries version
  information of the release;
- installed as a user installs it, it works: a fresh folder gets the mail
  program (tests/package_test.exe) and a PlugIns folder holding only the
  three binaries from the package; under Wine it zips and attaches, plain and
  self-extracting, and the attachments it saved are checked here with
  zipfile against the files that went in, and the self-extracting one is
  run to unpack itself.
"""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

BINARIES = ["Satchel.dll", "ZIP32.DLL", "sfx32.dat"]
TEXTS = ["README-ja.txt", "README-en.txt", "LICENSE.txt"]

# DLLs that every Windows has; anything else would have to ship with us.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "comdlg32.dll", "shell32.dll", "ole32.dll",
    "oleaut32.dll", "advapi32.dll", "msvcrt.dll", "shlwapi.dll", "version.dll", "uxtheme.dll", "ws2_32.dll",
}

# Source folders of the product, whose texts the messages must come from.
PRODUCT_DIRS = ["plugin", "compress", "ui", "host", "base"]

problems = []


def problem(text):
    problems.append(text)
    print("FAIL:", text)


# --- PE files -------------------------------------------------------------

class PE:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE header")
        coff = pe + 4
        nsections, = struct.unpack_from("<H", data, coff + 2)
        optsize, = struct.unpack_from("<H", data, coff + 16)
        opt = coff + 20
        magic, = struct.unpack_from("<H", data, opt)
        if magic != 0x10B:
            raise ValueError("not a 32-bit PE file")
        self.image_base, = struct.unpack_from("<I", data, opt + 28)
        ndirs, = struct.unpack_from("<I", data, opt + 92)
        self.dirs = [struct.unpack_from("<II", data, opt + 96 + 8 * i) for i in range(ndirs)]
        self.sections = []
        for i in range(nsections):
            s = opt + optsize + 40 * i
            vsize, va, rawsize, rawptr = struct.unpack_from("<IIII", data, s + 8)
            self.sections.append((va, max(vsize, rawsize), rawptr))

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError(f"RVA {rva:#x} is in no section")

    def cstr(self, rva):
        o = self.offset(rva)
        return self.data[o:self.data.index(b"\0", o)].decode("ascii")

    def directory(self, index):
        return self.dirs[index] if index < len(self.dirs) else (0, 0)

    def imports(self):
        names = []
        rva, _ = self.directory(1)
        if rva:
            o = self.offset(rva)
            while True:
                desc = struct.unpack_from("<IIIII", self.data, o)
                if not any(desc):
                    break
                names.append(self.cstr(desc[3]))
                o += 20
        rva, _ = self.directory(13)  # delay-load imports
        if rva:
            o = self.offset(rva)
            while True:
                attrs, name = struct.unpack_from("<II", self.data, o)
                if not attrs and not name:
                    break
                names.append(self.cstr(name if attrs & 1 else name - self.image_base))
                o += 32
        return names

    def resource(self, type_id):
        """The bytes of the first resource of a numbered type."""
        base_rva, _ = self.directory(2)
        if not base_rva:
            return None
        base = self.offset(base_rva)

        def entries(off):
            named, ids = struct.unpack_from("<HH", self.data, base + off + 12)
            for i in range(named + ids):
                yield struct.unpack_from("<II", self.data, base + off + 16 + 8 * i)

        for ident, target in entries(0):
            if ident == type_id and target & 0x80000000:
                node = target & 0x7FFFFFFF
                while True:  # the first name, then the first language
                    _, target = next(entries(node))
                    if not target & 0x80000000:
                        break
                    node = target & 0x7FFFFFFF
                rva, size = struct.unpack_from("<II", self.data, base + target)
                o = self.offset(rva)
                return self.data[o:o + size]
        return None


def version_info(block):
    """VS_VERSIONINFO as (fixed file version quad, {string name: value})."""

    def node(off):
        length, value_length, kind = struct.unpack_from("<HHH", block, off)
        end = off + length
        k = off + 6
        key_end = k
        while block[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = block[k:key_end].decode("utf-16-le")
        value_start = (key_end + 2 + 3) & ~3
        return key, value_start, value_length, kind, end

    key, value, value_length, _, end = node(0)
    if key != "VS_VERSION_INFO":
        raise ValueError(f"root key {key!r}")
    signature, _, ms, ls = struct.unpack_from("<IIII", block, value)
    if signature != 0xFEEF04BD:
        raise ValueError("no VS_FIXEDFILEINFO")
    fixed = (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    strings = {}

    def children(start, end):
        off = (start + 3) & ~3
        while off < end:
            key, value, value_length, kind, child_end = node(off)
            if child_end <= off:
                break
            yield key, value, value_length, kind, child_end
            off = (child_end + 3) & ~3

    for key, value, _, _, child_end in children(value + value_length, end):
        if key != "StringFileInfo":
            continue
        for _, table_value, _, _, table_end in children(value, child_end):
            for name, sval, _, _, send in children(table_value, table_end):
                strings[name] = block[sval:send].decode("utf-16-le").split("\0")[0]
    return fixed, strings


# --- texts ------------------------------------------------------------------

def product_literals(src):
    """Every string literal of the product's sources, adjacent ones joined,
    escapes undone."""
    literal = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
    escapes = {"r": "\r", "n": "\n", "t": "\t", '"': '"', "\\": "\\", "'": "'"}
    found = []
    for d in PRODUCT_DIRS:
        for root, dirs, files in os.walk(os.path.join(src, d)):
            dirs[:] = [x for x in dirs if x != "tests"]
            for f in files:
                if not f.endswith((".cpp", ".h")):
                    continue
                text = open(os.path.join(root, f), encoding="utf-8").read()
                joined, last_end = None, None
                for m in literal.finditer(text):
                    body = re.sub(r"\\(.)", lambda e: escapes.get(e.group(1), e.group(0)), m.group(1))
                    if joined is not None and text[last_end:m.start()].strip() == "":
                        joined += body
                    else:
                        if joined is not None:
                            found.append(joined)
                        joined = body
                    last_end = m.end()
                if joined is not None:
                    found.append(joined)
    return found


def quoted_messages(text, heading_word, open_quote, close_quote):
    """The lines of the messages section that are a quoted message."""
    lines = text.splitlines()
    start = next((i for i, l in enumerate(lines) if re.match(r"\d+\. ", l) and heading_word in l), None)
    if start is None:
        return None
    out = []
    for line in lines[start + 1:]:
        if re.match(r"\d+\. ", line):
            break
        if line.startswith(open_quote) and line.endswith(close_quote) and len(line) > 2:
            out.append(line[len(open_quote):-len(close_quote)])
    return out


def product_settings(src):
    """(section, key) -> default of every setting the plug-in reads."""
    call = re.compile(r'Read(Integer|Bool)\(\s*(?:"(\w+)"|(\w+))\s*,\s*"(\w+)"\s*,\s*(-?\d+|true|false)\s*\)')
    found = {}
    folder = os.path.join(src, "plugin")
    for f in sorted(os.listdir(folder)):
        if not f.endswith(".cpp"):
            continue
        text = open(os.path.join(folder, f), encoding="utf-8").read()
        constants = dict(re.findall(r'(\w+)\[\]\s*=\s*"(\w+)"', text))
        for _, section, constant, key, default in call.findall(text):
            section = section or constants.get(constant, constant)
            value = {"true": 1, "false": 0}.get(default, None)
            value = int(default) if value is None else value
            if found.get((section, key), value) != value:
                problem(f"{section}/{key} is read with the defaults {found[(section, key)]} and {value}")
            found[(section, key)] = value
    return found


def documented_settings(name, text):
    """(section, key) -> default as the README's settings section gives it."""
    out = {}
    for section, key, default in re.findall(r"^  (\w+) / (\w+) \((?:default|既定値):? ?([^,、)]+)", text, re.M):
        out[(section, key)] = -1 if default.strip() in ("none", "なし") else int(default)
    return out


def check_crlf(name, data):
    if not data.endswith(b"\r\n"):
        problem(f"{name}: the last line has no CR LF")
    bare = len(re.findall(rb"(?<!\r)\n", data)) + len(re.findall(rb"\r(?!\n)", data))
    if bare:
        problem(f"{name}: {bare} line breaks are not CR LF")


def check_texts(members, src):
    decoded = {}
    for name, encoding in (("README-ja.txt", "cp932"), ("README-en.txt", "utf-8"), ("LICENSE.txt", "utf-8")):
        data = members[name]
        check_crlf(name, data)
        try:
            decoded[name] = data.decode(encoding)
        except UnicodeDecodeError as e:
            problem(f"{name}: not {encoding}: {e}")
            continue
        source = open(os.path.join(src, "packaging", name), encoding="utf-8").read()
        if decoded[name].replace("\r\n", "\n") != source:
            problem(f"{name}: differs from packaging/{name} (stale package, or lost in conversion)")
    if "README-ja.txt" not in decoded or "README-en.txt" not in decoded:
        return
    ja = quoted_messages(decoded["README-ja.txt"], "メッセージ", "「", "」")
    en = quoted_messages(decoded["README-en.txt"], "Messages", '"', '"')
    if not ja or not en:
        problem("the READMEs have no messages section with quoted messages")
        return
    if ja != en:
        problem(f"README-ja.txt and README-en.txt list different messages:\n  ja {ja}\n  en {en}")
    settings = product_settings(src)
    if len(settings) != 5:
        problem(f"the plug-in reads {len(settings)} settings, not five: {sorted(settings)}")
    for name in ("README-ja.txt", "README-en.txt"):
        documented = documented_settings(name, decoded[name])
        if documented != settings:
            problem(f"{name} documents the settings {documented}, the plug-in reads {settings}")
    print(f"texts: both READMEs document the {len(settings)} settings with the defaults the plug-in uses")
    literals = product_literals(src)
    unknown = 0
    for message in ja:
        # "..." stands for the part that changes (a path, a reason).
        for piece in (p.strip() for p in message.split("...")):
            if piece and not any(piece in lit for lit in literals):
                problem(f"the READMEs quote {piece!r}, which no product source contains")
                unknown += 1
    print(f"texts: {len(ja)} quoted message lines, {unknown} of them not the product's")


def check_binaries(members):
    versions = {}
    for name in BINARIES:
        try:
            pe = PE(members[name])
            imports = pe.imports()
            block = pe.resource(16)  # RT_VERSION
        except (ValueError, struct.error) as e:
            problem(f"{name}: unreadable PE file: {e}")
            continue
        print(f"{name}: imports {', '.join(imports)}")
        foreign = [i for i in imports if i.lower() not in SYSTEM_DLLS]
        if foreign:
            problem(f"{name}: imports DLLs that Windows does not have: {foreign}")
        if block is None:
            problem(f"{name}: no version information")
            continue
        fixed, strings = version_info(block)
        versions[name] = fixed
        print(f"{name}: version {'.'.join(map(str, fixed))} {strings}")
        want = {"ProductName": "Satchel", "FileVersion": "2.0beta1", "ProductVersion": "2.0beta1",
                "OriginalFilename": name}
        for key, value in want.items():
            if strings.get(key) != value:
                problem(f"{name}: {key} is {strings.get(key)!r}, not {value!r}")
        if not strings.get("FileDescription"):
            problem(f"{name}: no FileDescription")
    if len(set(versions.values())) > 1:
        problem(f"the binaries carry different file versions: {versions}")


# --- installed and run ------------------------------------------------------

INPUTS = {
    "report.doc": bytes(range(256)) * 80 + os.urandom(4000),
    "notes.txt": b"Minutes of the meeting\r\n" * 200,
    "資料.txt": "来週の予定\r\n".encode("cp932") * 50,
}


def entry_name(info):
    """An entry's name as text: UTF-8 when flagged so, else the ANSI bytes
    (Shift-JIS) that zipfile decoded as code page 437."""
    if info.flag_bits & 0x800:
        return info.filename
    try:
        return info.filename.encode("cp437").decode("cp932")
    except (UnicodeEncodeError, UnicodeDecodeError):
        return info.filename


def check_attachment(path, expect_names, stub=None):
    data = open(path, "rb").read()
    if stub is not None and not data.startswith(stub):
        problem(f"{os.path.basename(path)}: does not begin with the packaged sfx32.dat")
    try:
        with zipfile.ZipFile(path) as z:
            bad = z.testzip()
            if bad:
                problem(f"{os.path.basename(path)}: bad CRC in {bad}")
            got = {entry_name(i): z.read(i) for i in z.infolist()}
    except zipfile.BadZipFile as e:
        problem(f"{os.path.basename(path)}: not a ZIP archive: {e}")
        return
    if sorted(got) != sorted(expect_names):
        problem(f"{os.path.basename(path)}: holds {sorted(got)}, not {sorted(expect_names)}")
    for name in expect_names:
        if name in got and got[name] != INPUTS[name]:
            problem(f"{os.path.basename(path)}: {name} differs from the file that went in")
    print(f"{os.path.basename(path)}: {len(got)} entries, contents equal")


def check_extracts(src, env, program, folder, names):
    """The receiver's side: the program unpacks itself without a window."""
    target = "Z:" + folder.replace("/", "\\")
    r = subprocess.run([os.path.join(src, "scripts", "wine-run"), program, "-d", target, "-q"],
                       cwd=os.path.dirname(program), env=env, timeout=300, capture_output=True)
    if r.returncode != 0:
        said = (r.stdout + r.stderr).decode("cp932", "replace")
        problem(f"{os.path.basename(program)} -d -q exits {r.returncode}: {said}")
        return
    got = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
    if got != sorted(names):
        problem(f"{os.path.basename(program)} extracted {got}, not {sorted(names)}")
    for name in names:
        path = os.path.join(folder, name)
        if os.path.exists(path) and open(path, "rb").read() != INPUTS[name]:
            problem(f"{os.path.basename(program)} extracted {name} with other contents")
    print(f"{os.path.basename(program)}: extracts {len(got)} files under Wine")


def run_installed(build, src, zip_path):
    mail = os.path.join(build, "tests", "package_test.exe")
    if not os.path.exists(mail):
        problem(f"{mail} is not built")
        return
    run = tempfile.mkdtemp(prefix="satchel-package-")
    try:
        unpacked = os.path.join(run, "unpacked")
        with zipfile.ZipFile(zip_path) as z:
            z.extractall(unpacked)
        plugins = os.path.join(run, "PlugIns")
        os.makedirs(plugins)
        for name in BINARIES:
            shutil.copy(os.path.join(unpacked, name), plugins)
        shutil.copy(mail, os.path.join(run, "mail.exe"))
        os.makedirs(os.path.join(run, "input"))
        os.makedirs(os.path.join(run, "attached"))
        for name, data in INPUTS.items():
            open(os.path.join(run, "input", name), "wb").write(data)
        env = dict(os.environ, SATCHEL_CP="932", SATCHEL_PREFIX=os.path.join(build, "wineprefix"))
        r = subprocess.run([os.path.join(src, "scripts", "wine-run"), os.path.join(run, "mail.exe")],
                           cwd=run, env=env, timeout=600)
        if r.returncode != 0:
            problem(f"the installed package failed under Wine (exit {r.returncode})")
        attached = os.path.join(run, "attached")
        plain = os.path.join(attached, "notes.zip")
        sfx = os.path.join(attached, "notes.exe")
        for path in (plain, sfx):
            if not os.path.exists(path):
                problem(f"no attachment {os.path.basename(path)} was saved")
        if os.path.exists(plain):
            check_attachment(plain, list(INPUTS))
        if os.path.exists(sfx):
            stub = open(os.path.join(plugins, "sfx32.dat"), "rb").read()
            check_attachment(sfx, ["notes.txt"], stub)
            check_extracts(src, env, sfx, os.path.join(run, "received"), ["notes.txt"])
    finally:
        if not problems:
            shutil.rmtree(run, ignore_errors=True)
        else:
            print(f"left for inspection: {run}")


def main():
    build, src = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    zip_path = os.path.join(build, "Satchel-2.0beta1.zip")
    if not os.path.exists(zip_path):
        print(f"FAIL: {zip_path} is missing; run scripts/package")
        return 1
    with zipfile.ZipFile(zip_path) as z:
        names = [i.filename for i in z.infolist()]
        if sorted(names) != sorted(BINARIES + TEXTS):
            problem(f"the package holds {names}, not {BINARIES + TEXTS}")
        bad = z.testzip()
        if bad:
            problem(f"bad CRC in {bad}")
        members = {n: z.read(n) for n in names}
    t = subprocess.run(["unzip", "-tq", zip_path], capture_output=True, text=True)
    if t.returncode != 0:
        problem(f"unzip -t: {t.stdout}{t.stderr}")
    missing = [n for n in BINARIES + TEXTS if n not in members]
    if missing:
        print("cannot go on without", missing)
        return 1
    for name in BINARIES:
        if members[name] != open(os.path.join(build, "dist", name), "rb").read():
            problem(f"{name} is not the one in {build}/dist (stale package)")
    check_texts(members, src)
    check_binaries(members)
    run_installed(build, src, zip_path)
    print(f"{len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
