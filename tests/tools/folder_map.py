#!/usr/bin/env python3
"""Checks the README's folder map against the folders git tracks: every top-level folder, and
every folder of platform/, hosts/, tweak/, tools/ and framework/, is in the map, and every folder
the map names exists.

Usage: folder_map.py SOURCE_DIR [GIT]

The map is the first fenced block under "## Folder map". A line that starts in the first column
names a path (a trailing "<layer>/" stands for each folder below); its description may name
folders inside it ("hook/", "samples/") or paths from the top ("tests/support").
"""

import re
import subprocess
import sys
from pathlib import Path

# Folders whose every subfolder the map must name, as an entry or in the folder's description.
DETAILED = ["platform", "hosts", "tweak", "tools", "framework"]


def read_map(readme: str) -> list[tuple[str, str]]:
    """The map's entries: (path, description)."""
    section = readme.split("\n## Folder map", 1)
    if len(section) < 2:
        raise SystemExit("README.md has no \"## Folder map\" section")
    block = re.search(r"```\n(.*?)```", section[1], re.S)
    if not block:
        raise SystemExit("the folder map has no fenced block")
    entries: list[tuple[str, str]] = []
    for line in block.group(1).splitlines():
        if line and not line[0].isspace():
            path, _, description = line.partition(" ")
            entries.append((path, description))
        elif line.strip() and entries:
            path, description = entries[-1]
            entries[-1] = (path, description + " " + line.strip())
    return entries


def tracked(source: Path, git: str) -> tuple[set[str], set[str]]:
    """The files git tracks, and every folder that holds one."""
    run = subprocess.run([git, "-C", str(source), "ls-files"], capture_output=True, text=True)
    if run.returncode != 0:
        raise SystemExit("git ls-files failed: " + run.stderr.strip())
    files = set(run.stdout.splitlines())
    folders = {str(parent) for name in files for parent in Path(name).parents if str(parent) != "."}
    return files, folders


def entry_folder(path: str) -> str:
    """The folder an entry stands for: "tests/<layer>/" is tests, "tweak/" is tweak."""
    return path.split("<", 1)[0].rstrip("/")


def check(source: Path, git: str) -> list[str]:
    entries = read_map((source / "README.md").read_text(encoding="utf-8"))
    files, folders = tracked(source, git)
    top = {name for name in folders if "/" not in name}
    problems = []

    named: dict[str, set[str]] = {}  # folder -> subfolders its description names
    for path, description in entries:
        folder = entry_folder(path)
        if folder not in folders and folder not in files:
            problems.append(f"the map names {path}, which git does not track")
        # "hook/", "samples/": folders inside this one; "parlo-sim (the simulated device...)": a
        # folder inside this one, described.
        inside = re.findall(r"(?<![\w./-])([\w][\w.-]*)/(?![\w.-])", description)
        named[folder] = set(inside) | set(re.findall(r"(?<![\w./-])([\w][\w.-]*) \(", description))
        for inner in inside:
            if f"{folder}/{inner}" not in folders:
                problems.append(f"the map's {path} names {inner}/, but {folder}/{inner} is not "
                                "tracked")
        # "tests/support": paths from the top of the tree.
        for path_in_text in re.findall(r"(?<![\w./-])([\w.-]+(?:/[\w.-]+)+)", description):
            first = path_in_text.split("/", 1)[0]
            if first in top and path_in_text not in folders and path_in_text not in files:
                problems.append(f"the map's {path} names {path_in_text}, which is not tracked")

    folders_in_map = [entry_folder(path) for path, _ in entries]
    for name in sorted(top):
        if not any(f == name or f.startswith(name + "/") for f in folders_in_map):
            problems.append(f"the folder {name}/ is tracked but missing from the map")
    for parent in DETAILED:
        for folder in sorted(f for f in folders if f.count("/") == 1 and f.startswith(parent + "/")):
            inner = folder.split("/", 1)[1]
            if folder not in folders_in_map and inner not in named.get(parent, set()):
                problems.append(f"the folder {folder}/ is tracked but missing from the map")
    return problems


def main() -> int:
    problems = check(Path(sys.argv[1]), sys.argv[2] if len(sys.argv) > 2 else "git")
    for problem in problems:
        print(problem, file=sys.stderr)
    if not problems:
        print("the folder map matches the tree")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
