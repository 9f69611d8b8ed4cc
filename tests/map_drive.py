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
    target = os.path.abspath(folder)
    # wine-run makes this link with the prefix, before the mount manager
    # starts; a link made later is seen by file access but not by the shell.
    if os.path.islink(link) and os.readlink(link) == target:
        print(f"{letter.upper()}: is {target}")
        return
    if os.path.islink(link):
        os.unlink(link)
    os.symlink(target, link)
    print(f"{letter.upper()}: is {target}")


if __name__ == "__main__":
    main()
