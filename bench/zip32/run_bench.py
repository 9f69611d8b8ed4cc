#!/usr/bin/env python3
"""Wall-time ratio of Info-ZIP `zip -6` to ZIP32.DLL (through zipcli under Wine)
on a mixed corpus, measured in one run, with both archive sizes.

usage: run_bench.py BUILD_DIR [BIG_MIB]   (BIG_MIB: size of the one large file, 200 by default)
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time
import zlib


def corpus(root, big_mib):
    rnd = random.Random(5)
    words = [("".join(rnd.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(rnd.randint(2, 9)))) for _ in range(3000)]

    def text(n):
        return " ".join(rnd.choice(words) for _ in range(n // 6)).encode()

    os.makedirs(os.path.join(root, "text"))
    for i in range(40):
        open(os.path.join(root, "text", f"doc{i}.txt"), "wb").write(text(400_000))
    src = os.path.join(root, "src", "module")
    os.makedirs(src)
    here = os.path.dirname(os.path.abspath(__file__))
    code = b"".join(open(os.path.join(d, f), "rb").read() for d, _, fs in os.walk(os.path.join(here, "..", "..", "zip32"))
                    for f in fs if f.endswith((".cpp", ".h", ".py")))
    for i in range(200):
        open(os.path.join(src, f"file{i}.cpp"), "wb").write(code[i * 97 % len(code):] + code[:i * 97 % len(code)])
    os.makedirs(os.path.join(root, "packed"))
    for i in range(10):
        open(os.path.join(root, "packed", f"photo{i}.jpg"), "wb").write(rnd.randbytes(2_000_000))
        open(os.path.join(root, "packed", f"data{i}.gz"), "wb").write(zlib.compress(text(3_000_000), 9))
    small = os.path.join(root, "small")
    os.makedirs(small)
    for i in range(3000):
        open(os.path.join(small, f"note{i}.txt"), "wb").write(text(rnd.randint(10, 3000)))
    jp = os.path.join(root, "日本語")  # UTF-8 on disk: Wine shows it as Shift-JIS under 932
    os.makedirs(jp)
    for name in ("表計算.txt", "ソフト一覧.txt", "予定表.txt"):
        open(os.path.join(jp, name), "wb").write(text(200_000))
    with open(os.path.join(root, "big.log"), "wb") as f:
        for _ in range(big_mib):
            f.write(text(1 << 20)[:1 << 20])


def timed(cmd, cwd, env=None):
    start = time.monotonic()
    subprocess.run(cmd, cwd=cwd, env=env, check=True, stdout=subprocess.DEVNULL)
    return time.monotonic() - start


def main():
    build = os.path.abspath(sys.argv[1])
    big = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    wine_run = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "wine-run")
    work = tempfile.mkdtemp(prefix="zip32-bench-", dir="/tmp")
    try:
        root = os.path.join(work, "corpus")
        corpus(root, big)
        names = sorted(os.listdir(root))
        # Warm the page cache and Wine once, so neither side pays for it.
        subprocess.run(["cat"] + [os.path.join(d, f) for d, _, fs in os.walk(root) for f in fs],
                       stdout=subprocess.DEVNULL)
        zipcli = os.path.join(build, "tools", "zipcli.exe")
        subprocess.run([wine_run, "--cp", "932", zipcli], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        info_zip = os.path.join(work, "infozip.zip")
        t_info = timed(["zip", "-6", "-r", "-q", info_zip] + names, root)
        ours = os.path.join(work, "ours.zip")
        winroot = "Z:" + root.replace("/", "\\")
        t_ours = timed([wine_run, "--cp", "932", zipcli, "-6", "-R", "-r", winroot,
                        "Z:" + ours.replace("/", "\\")] + names, "/tmp")
        subprocess.run(["unzip", "-tq", ours], check=True, stdout=subprocess.DEVNULL)
        s_info, s_ours = os.path.getsize(info_zip), os.path.getsize(ours)
        print(f"corpus: {sum(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(root) for f in fs) >> 20} MiB, "
              f"cores: {os.cpu_count()}")
        print(f"Info-ZIP zip -6: {t_info:.2f} s, {s_info} bytes")
        print(f"ZIP32.DLL -6:    {t_ours:.2f} s, {s_ours} bytes (Wine start included)")
        print(f"speed ratio (Info-ZIP time / ours): {t_info / t_ours:.2f}x; size ours/Info-ZIP: {s_ours / s_info:.4f}")
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
