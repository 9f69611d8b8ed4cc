#!/usr/bin/env python3
"""Runs mailhost.exe with the test plug-in as a user would (compose window at
(100, 50), "Fake attach..." picked from its menu) and reads the message it
stored with Python's email package: every attachment's bytes, file name and
MIME type must come through intact, and the file must be well-formed MIME."""
import argparse
import email
import email.header
import email.policy
import os
import re
import shutil
import subprocess
import sys
import tempfile


def pattern(size):
    return bytes((i * 31 + (i >> 8)) & 0xFF for i in range(size))


# What the test plug-in attaches (its C++ twin is fake_files.h).
def expected_files(cp):
    files = [
        ("report.bin", "application/octet-stream", pattern(3000)),
        ("a b;c=d.txt", "text/plain", b"line one\r\nline two\n"),
        ("injected.dat", "application/octet-stream", b"x"),  # its broken type is not used
    ]
    if cp == 932:
        files += [
            ("表計算.zip", "application/zip", pattern(500)),
            ("とても長い名前の添付ファイルを送るための表計算データ.lzh", "application/x-lha", pattern(77)),
        ]
    else:
        files += [("café résumé.pdf", "application/pdf", pattern(500))]
    return files


def windows_path(p):
    return "Z:" + p.replace("/", "\\")


def check_lines(raw, failures):
    if re.search(rb"(?<!\r)\n", raw) or re.search(rb"\r(?!\n)", raw):
        failures.append("a line is not ended by CR LF")
    lines = raw.split(b"\r\n")
    for n, line in enumerate(lines):
        if len(line) > 78:
            failures.append(f"line {n + 1} has {len(line)} characters: {line[:40]!r}...")
        if any(b >= 0x80 for b in line):
            failures.append(f"line {n + 1} is not ASCII")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--wine-run", required=True)
    ap.add_argument("--cp", type=int, required=True)
    ap.add_argument("--host", required=True)
    ap.add_argument("--plugin", required=True)
    args = ap.parse_args()

    root = tempfile.mkdtemp(prefix="mailhost-eml-", dir="/tmp")
    try:
        plugins, store = os.path.join(root, "PlugIns"), os.path.join(root, "Store")
        os.mkdir(plugins)
        shutil.copy(args.plugin, plugins)
        run = subprocess.run(
            [args.wine_run, "--cp", str(args.cp), args.host, "--plugins", windows_path(plugins),
             "--store", windows_path(store), "--compose-at", "100,50", "--pick", "Fake attach...", "--exit"],
            timeout=240)
        if run.returncode != 0:
            print(f"mailhost exited with {run.returncode}")
            return 1

        failures = []
        expected = expected_files(args.cp)
        with open(os.path.join(store, "attachments.log"), encoding="utf-8") as f:
            log = [line.rstrip("\r\n").split("\t") for line in f if line.strip()]
        if [(r[0], r[1], r[2]) for r in log] != [(str(i + 1), n, str(len(b))) for i, (n, _, b) in
                                                  enumerate(expected)]:
            failures.append(f"attachments.log lists {log}")
        eml_path = os.path.join(store, "1.eml")
        if log and log[-1][4] != windows_path(eml_path):
            failures.append(f"attachments.log names {log[-1][4]}")

        raw = open(eml_path, "rb").read()
        check_lines(raw, failures)
        msg = email.message_from_bytes(raw, policy=email.policy.default)
        if msg.get_content_type() != "multipart/mixed":
            failures.append(f"message is {msg.get_content_type()}")
        if msg["To"] != "someone@example.com" or not msg["Subject"]:
            failures.append(f"headers To {msg['To']!r}, Subject {msg['Subject']!r}")
        parts = list(msg.iter_parts())
        if not parts or parts[0].get_content_type() != "text/plain" or \
                parts[0].get_content().replace("\r\n", "\n") != "Hello,\n\nthe files are attached.\n":
            failures.append("the first part is not the body text")
        attachments = list(msg.iter_attachments())
        if len(attachments) != len(expected):
            failures.append(f"{len(attachments)} attachments, expected {len(expected)}")
        for part, (name, mime, data) in zip(attachments, expected):
            if part.get_filename() != name:
                failures.append(f"file name {part.get_filename()!r}, expected {name!r}")
            # Old readers take the RFC 2047 name of the type.
            old = "".join(t.decode(c or "ascii") if isinstance(t, bytes) else t
                          for t, c in email.header.decode_header(part.get_param("name", header="content-type")))
            if old != name:
                failures.append(f"type's name {old!r}, expected {name!r}")
            if part.get_content_type() != mime:
                failures.append(f"{name}: type {part.get_content_type()}, expected {mime}")
            if part.get_content_disposition() != "attachment":
                failures.append(f"{name}: disposition {part.get_content_disposition()}")
            if part["Content-Transfer-Encoding"] != "base64":
                failures.append(f"{name}: encoding {part['Content-Transfer-Encoding']}")
            if part.get_payload(decode=True) != data:
                failures.append(f"{name}: bytes differ")
            if part["X-Injected"] is not None:
                failures.append(f"{name}: a header came from the MIME type")
            stored = os.path.join(store, "1", name)
            if not os.path.exists(stored) or open(stored, "rb").read() != data:
                failures.append(f"{name}: the store's copy is missing or differs")
        for f in failures:
            print("FAIL:", f)
        print(f"{eml_path}: {len(attachments)} attachments checked, {len(failures)} failures")
        return 1 if failures else 0
    finally:
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
