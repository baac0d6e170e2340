#!/usr/bin/env python3
"""Checks that a device's status bar draws over its top 47 points only and changes no layout.

Usage: check_status_bar.py PLAIN_DIR BAR_DIR NAME [NAME...]

PLAIN_DIR and BAR_DIR hold the same script's output on one device, without and then with the
status bar. For each NAME, NAME.png must be the same below the top 141 pixel rows (47 points at
3x) and differ within them, and NAME.json, when there, must be the same dump.
"""
import filecmp
import os
import re
import subprocess
import sys

TOP = 141


def psnr(a, b, crop):
    err = subprocess.run(["ffmpeg", "-v", "info", "-i", a, "-i", b, "-lavfi",
                          f"[0]{crop}[x];[1]{crop}[y];[x][y]psnr", "-f", "null", "-"],
                         capture_output=True, text=True).stderr
    found = re.search(r"average:(inf|[0-9.]+)", err)
    if not found:
        sys.exit(f"ffmpeg gave no PSNR for {a} against {b}:\n{err}")
    return float("inf") if found.group(1) == "inf" else float(found.group(1))


def main():
    plain, bar, names = sys.argv[1], sys.argv[2], sys.argv[3:]
    problems = []
    for name in names:
        a, b = os.path.join(plain, name + ".png"), os.path.join(bar, name + ".png")
        if psnr(a, b, f"crop=iw:ih-{TOP}:0:{TOP}") != float("inf"):
            problems.append(f"{name}: the status bar changed pixels below the top 47 points")
        if psnr(a, b, f"crop=iw:{TOP}:0:0") == float("inf"):
            problems.append(f"{name}: no status bar in the top 47 points")
        dump_a, dump_b = os.path.join(plain, name + ".json"), os.path.join(bar, name + ".json")
        if os.path.exists(dump_a) and not filecmp.cmp(dump_a, dump_b, shallow=False):
            problems.append(f"{name}: the view tree differs with the status bar")
    if problems:
        sys.exit("\n".join(problems))


if __name__ == "__main__":
    main()
