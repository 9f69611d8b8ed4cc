#!/usr/bin/env python3
"""Writes the archive the window test extracts, with Info-ZIP zip, in the
order keep.txt, replace.txt, docs/new.txt. usage: make_ui_archive.py OUT.zip"""
import os
import shutil
import subprocess
import sys
import tempfile

out = os.path.abspath(sys.argv[1])
src = tempfile.mkdtemp()
try:
    os.makedirs(os.path.join(src, "docs"))
    for name in ("keep.txt", "replace.txt", "docs/new.txt"):
        with open(os.path.join(src, name), "wb") as f:
            f.write(b"from the archive: " + name.encode() * 50)
    if os.path.exists(out):
        os.remove(out)
    os.makedirs(os.path.dirname(out), exist_ok=True)
    subprocess.run(["zip", "-q", out, "keep.txt", "replace.txt", "docs/new.txt"], cwd=src, check=True)
finally:
    shutil.rmtree(src)
