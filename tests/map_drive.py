#!/usr/bin/env python3
"""Maps a drive letter of a build folder's Wine prefix to a folder, the way
winecfg does it: a symbolic link in the prefix's dosdevices folder.

usage: map_drive.py BUILD LETTER FOLDER PROGRAM

PROGRAM is any test program of the build; it is run once (listing its tests)
through scripts/wine-run so that the prefix exists before the link is made.
"""
import os
import subprocess
import sys


def main():
    build, letter, folder, program = sys.argv[1:5]
    wine_run = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts", "wine-run")
    prefix = os.environ.get("SATCHEL_PREFIX", os.path.join(build, "wineprefix"))
    subprocess.run([wine_run, program, "--gtest_list_tests"], check=True, stdout=subprocess.DEVNULL)
    os.makedirs(folder, exist_ok=True)
    link = os.path.join(prefix, "dosdevices", letter.lower() + ":")
    if os.path.islink(link):
        os.unlink(link)
    os.symlink(os.path.abspath(folder), link)
    print(f"{letter.upper()}: is {os.path.abspath(folder)}")


if __name__ == "__main__":
    main()
