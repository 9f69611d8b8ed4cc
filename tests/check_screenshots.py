#!/usr/bin/env python3
"""The README's screenshots are current and show the windows as laid out.

For every <build>/tests/*_shots.exe: each window it lists has a picture in
docs/screenshots with the sizes the window had when it was taken (<name>.size);
the picture is exactly that window, and a window built from a layout table had
the size its table gives. Every picture there belongs to a listed window.

    check_screenshots.py <build folder> <source folder>
"""
import glob
import os
import struct
import subprocess
import sys


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        raise ValueError(f"{path}: not a PNG file")
    return struct.unpack(">II", head[16:24])


def read_sizes(path):
    sizes = {}
    with open(path) as f:
        for line in f:
            kind, w, h = line.split()
            sizes[kind] = (int(w), int(h))
    return sizes


def shots_output(wine_run, exe, flag):
    out = subprocess.run([wine_run, exe, flag], check=True, capture_output=True, text=True).stdout
    return [line.split() for line in out.splitlines() if line.strip()]


def main():
    build, src = sys.argv[1], sys.argv[2]
    wine_run = os.path.join(src, "scripts", "wine-run")
    shots_dir = os.path.join(src, "docs", "screenshots")
    exes = sorted(glob.glob(os.path.join(build, "tests", "*_shots.exe")))
    if not exes:
        print("no *_shots.exe built")
        return 1
    problems, names = [], set()
    for exe in exes:
        listed = [row[0] for row in shots_output(wine_run, exe, "--list")]
        layouts = {row[0]: row[1:] for row in shots_output(wine_run, exe, "--layouts")}
        for name in listed:
            names.add(name)
            png = os.path.join(shots_dir, name + ".png")
            size_file = os.path.join(shots_dir, name + ".size")
            if not os.path.exists(png) or not os.path.exists(size_file):
                problems.append(f"{name}: no picture; run scripts/screenshots")
                continue
            sizes = read_sizes(size_file)
            if png_size(png) != sizes["window"]:
                problems.append(f"{name}: picture {png_size(png)} is not the window {sizes['window']}")
            if name in layouts:
                kind = "window" if layouts[name][0] == "window" else "client"
                want = tuple(int(v) for v in layouts[name][-2:])
                if sizes[kind] != want:
                    problems.append(f"{name}: {kind} size {sizes[kind]}, the layout gives {want}")
        for name in layouts:
            if name not in listed:
                problems.append(f"{name}: a layout without a window")
    for png in glob.glob(os.path.join(shots_dir, "*.png")):
        name = os.path.basename(png)[:-4]
        if name not in names:
            problems.append(f"{name}.png: no window of that name is taken any more")
    for p in problems:
        print(p)
    print(f"{len(names)} windows checked, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
