#!/usr/bin/env python3
"""Reads the message that command_test's host stored after two zip-and-attach
commands and checks, with Python's own readers, that each archive came
through the mail program intact:

- store/1.eml parses as a MIME message with the two attachments, their file
  names (the Japanese one in the RFC 2231 form) and MIME types;
- each attachment's bytes are the host's copy of the archive the plug-in
  handed over, and that archive holds exactly the dropped files with their
  bytes (zipfile, and unzip -t when it is installed);
- the self-extracting program is sfx32.dat followed by such an archive.

    check_eml.py <command-eml folder> <sfx32.dat>
"""
import email
import email.policy
import io
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

# (name, MIME type, {stored entry: source file}) in the order attached.
EXPECTED = [
    ("資料表.zip", "application/zip", {"資料表.doc": "資料表.doc", "見積もり.xls": "見積もり.xls"}),
    ("readme.exe", "application/zip", {"readme.txt": "readme.txt"}),
]


def entry_name(info):
    """An entry's name as the writer meant it: UTF-8 when flagged, else the
    ANSI code page it was written under (Shift-JIS)."""
    if info.flag_bits & 0x800:
        return info.filename
    return info.filename.encode("cp437").decode("cp932")


def check_archive(label, data, entries, src, failures):
    try:
        zf = zipfile.ZipFile(io.BytesIO(data))
    except zipfile.BadZipFile as e:
        failures.append(f"{label}: not a ZIP archive ({e})")
        return
    with zf:
        bad = zf.testzip()
        if bad:
            failures.append(f"{label}: entry {bad!r} fails its CRC")
        names = {entry_name(i): i for i in zf.infolist()}
        if sorted(names) != sorted(entries):
            failures.append(f"{label}: entries {sorted(names)}, expected {sorted(entries)}")
        for stored, source in entries.items():
            if stored not in names:
                continue
            want = open(os.path.join(src, source), "rb").read()
            if zf.read(names[stored]) != want:
                failures.append(f"{label}: {stored} differs from its source")
    if shutil.which("unzip"):
        with tempfile.NamedTemporaryFile(suffix=".zip") as f:
            f.write(data)
            f.flush()
            run = subprocess.run(["unzip", "-tq", f.name], capture_output=True, text=True)
            if run.returncode != 0:
                failures.append(f"{label}: unzip -t says {run.stdout.strip()} {run.stderr.strip()}")


def main():
    out, sfx_path = sys.argv[1], sys.argv[2]
    store, src = os.path.join(out, "store"), os.path.join(out, "src")
    eml_path = os.path.join(store, "1.eml")
    if not os.path.exists(eml_path):
        print(f"{eml_path} is missing: command_test did not store the message")
        return 1
    raw = open(eml_path, "rb").read()
    failures = []
    msg = email.message_from_bytes(raw, policy=email.policy.default)
    if msg.defects:
        failures.append(f"message defects: {msg.defects}")
    if msg.get_content_type() != "multipart/mixed":
        failures.append(f"the message is {msg.get_content_type()}")
    attachments = list(msg.iter_attachments())
    if len(attachments) != len(EXPECTED):
        failures.append(f"{len(attachments)} attachments, expected {len(EXPECTED)}")
    # The headers as written, for the encoded form of the names.
    raw_parts = [p for p in email.message_from_bytes(raw).walk() if p.get_filename()]
    stub = open(sfx_path, "rb").read()
    for n, (part, (name, mime, entries)) in enumerate(zip(attachments, EXPECTED)):
        label = name
        if part.get_filename() != name:
            failures.append(f"attachment {n + 1}: file name {part.get_filename()!r}, expected {name!r}")
        if part.get_content_type() != mime:
            failures.append(f"{label}: type {part.get_content_type()}, expected {mime}")
        if part.get_content_disposition() != "attachment":
            failures.append(f"{label}: disposition {part.get_content_disposition()}")
        for defect in part.defects:
            failures.append(f"{label}: {defect!r}")
        if not name.isascii():
            disposition = raw_parts[n]["Content-Disposition"] if n < len(raw_parts) else ""
            if "filename*=" not in disposition.replace("\r\n", "").replace(" ", "") and \
                    "filename*0*=" not in disposition.replace("\r\n", "").replace(" ", ""):
                failures.append(f"{label}: no RFC 2231 file name in {disposition!r}")
        data = part.get_payload(decode=True) or b""
        copy = os.path.join(store, "1", name)
        if not os.path.exists(copy):
            failures.append(f"{label}: the host kept no copy at {copy}")
        elif open(copy, "rb").read() != data:
            failures.append(f"{label}: the message's bytes differ from the archive the host was given")
        archive = data
        if name.endswith(".exe"):
            if data[:len(stub)] != stub:
                failures.append(f"{label}: does not begin with sfx32.dat")
            # The archive follows the stub unchanged, its offsets its own.
            archive = data[len(stub):]
            if archive[:4] != b"PK\x03\x04":
                failures.append(f"{label}: no archive right after the stub")
        check_archive(label, archive, entries, src, failures)
    for f in failures:
        print("FAIL:", f)
    print(f"{eml_path}: {len(attachments)} attachments checked, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
