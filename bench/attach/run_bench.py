#!/usr/bin/env python3
"""Zip and attach, timed from end to end under Wine against a bare ZpArchive.

usage: run_bench.py BUILD_DIR [ROUNDS] [SMALL_FILES]

1. The whole command (menu pick, dialog, drop of the files, Attach, until the
   host holds the attachment), driven by the uidriver, alternating in one
   process with a bare ZpArchive call of the same ZIP32.DLL on the same
   files; the medians of ROUNDS rounds (5 by default) and their ratio (goal:
   at most 1.10); then the same for 12 files of 4 MiB, to tell the per-file
   costs from the rest.
2. A folder of SMALL_FILES small files (20000 by default) dropped and
   answered No, so the dialog lists them: the time and the memory peaks.
Build the driver first: cmake --build BUILD_DIR --target attach_bench.
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile


def corpus(root):
    """A realistic set: 300 files, about 12 MiB, text and binary."""
    rnd = random.Random(7)
    words = ["".join(rnd.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(rnd.randint(2, 9))) for _ in range(2000)]

    def text(n):
        return " ".join(rnd.choice(words) for _ in range(n // 6)).encode()[:n]

    os.makedirs(root)
    for i in range(180):
        open(os.path.join(root, f"doc{i:03}.txt"), "wb").write(text(rnd.randint(5_000, 60_000)))
    for i in range(80):
        open(os.path.join(root, f"note{i:03}.csv"), "wb").write(text(rnd.randint(200, 4_000)))
    for i in range(40):
        open(os.path.join(root, f"photo{i:03}.jpg"), "wb").write(rnd.randbytes(rnd.randint(60_000, 200_000)))


def large(root):
    """Few large files: 12 of 4 MiB, where the per-file costs hardly count."""
    rnd = random.Random(11)
    words = ["".join(rnd.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(rnd.randint(2, 9))) for _ in range(2000)]
    os.makedirs(root)
    for i in range(12):
        data = " ".join(rnd.choice(words) for _ in range((4 << 20) // 6 + 1000)).encode()[:4 << 20]
        open(os.path.join(root, f"log{i:02}.txt"), "wb").write(data)


def many(root, count):
    os.makedirs(root)
    per = 1000
    for i in range(count):
        sub = os.path.join(root, f"part{i // per:02}")
        if i % per == 0:
            os.makedirs(sub)
        with open(os.path.join(sub, f"f{i:05}.txt"), "wb") as f:
            f.write(b"x" * (i % 200 + 1))


def winpath(p):
    return "Z:" + p.replace("/", "\\")


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    build = os.path.abspath(sys.argv[1])
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    small = int(sys.argv[3]) if len(sys.argv) > 3 else 20000
    here = os.path.dirname(os.path.abspath(__file__))
    wine_run = os.path.join(here, "..", "..", "scripts", "wine-run")
    driver = os.path.join(build, "bench", "attach_bench.exe")
    if not os.path.isfile(driver):
        sys.exit(f"{driver} is missing: cmake --build {build} --target attach_bench")
    env = dict(os.environ, SATCHEL_BUILD=build)
    work = tempfile.mkdtemp(prefix="attach-bench-", dir="/tmp")
    try:
        files = os.path.join(work, "files")
        corpus(files)
        folder = os.path.join(work, "many")
        many(folder, small)
        print(f"cores: {os.cpu_count()}")
        print("== the whole command against a bare ZpArchive", flush=True)
        subprocess.run([wine_run, "--cp", "932", driver, "attach", winpath(files), str(rounds)], env=env, check=True)
        big = os.path.join(work, "large")
        large(big)
        print("== the same with 12 large files", flush=True)
        subprocess.run([wine_run, "--cp", "932", driver, "attach", winpath(big), str(rounds)], env=env, check=True)
        print(f"== a folder of {small} small files dropped and listed", flush=True)
        subprocess.run([wine_run, "--cp", "932", driver, "scan", winpath(folder)], env=env, check=True)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
