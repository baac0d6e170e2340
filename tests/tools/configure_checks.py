#!/usr/bin/env python3
"""Configures copies of the source tree with one folder, library or program missing, and checks
that configure stops with the one line that names it (and the Debian package that gives it)
instead of making a smaller build.

Usage: configure_checks.py SOURCE_DIR WORK_DIR CMAKE GENERATOR

The copies are trees of symbolic links; a library is hidden by pointing pkg-config at a folder
that holds every .pc file but its own.
"""

import os
import shutil
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

PREFIX = "Parlo cannot be configured: "

# name, folder removed, pkg-config module hidden, extra -D arguments, the line wanted (None: the
# configure must succeed).
CASES = [
    ("layer folder", "prefs", None, [], "the folder prefs is missing"),
    ("add-on subsystem", "tweak/call", None, [], "the folder tweak/call is missing"),
    ("tests folder", "tests/render", None, [], "the folder tests/render is missing"),
    ("library", None, "libplist-2.0", [],
     "pkg-config cannot find libplist-2.0: install the Debian package libplist-dev"),
    ("one library of a group", None, "libswscale", [],
     "pkg-config cannot find libswscale: install the Debian package libswscale-dev"),
    ("window library", None, "sdl2", [],
     "pkg-config cannot find sdl2: install the Debian package libsdl2-dev"),
    ("program", None, None, ["-DRSVG_CONVERT=/nonexistent/rsvg-convert"],
     "the program rsvg-convert is not found: install the Debian package librsvg2-bin"),
    # The window is the one optional feature that needs a library of its own: switched off, a
    # machine without SDL2 configures.
    ("window switched off", None, "sdl2", ["-DPARLO_WINDOW=OFF", "-DPARLO_BENCH=OFF"], None),
]


def mirror(source: Path, target: Path, removed: str | None) -> None:
    """Links every entry of source into target, except the removed path (a/b/c)."""
    parts = Path(removed).parts if removed else ()
    target.mkdir(parents=True)

    def link_level(src: Path, dst: Path, depth: int) -> None:
        for entry in sorted(src.iterdir()):
            if entry.name == ".git" or (depth == 0 and entry.name.startswith("build")):
                continue
            if depth < len(parts) and entry.name == parts[depth]:
                if depth == len(parts) - 1:
                    continue  # the folder taken away
                (dst / entry.name).mkdir()
                link_level(entry, dst / entry.name, depth + 1)
            else:
                (dst / entry.name).symlink_to(entry)

    link_level(source, target, 0)


def pkg_config_without(module: str, folder: Path) -> Path:
    """A pkg-config search folder with every module the machine has but the one hidden."""
    folder.mkdir(parents=True)
    search = subprocess.run(["pkg-config", "--variable", "pc_path", "pkg-config"],
                            capture_output=True, text=True, check=True).stdout.strip()
    search_dirs = os.environ.get("PKG_CONFIG_PATH", "").split(":") + search.split(":")
    for directory in filter(None, search_dirs):
        path = Path(directory)
        if not path.is_dir():
            continue
        for pc in path.glob("*.pc"):
            if pc.stem != module and not (folder / pc.name).exists():
                (folder / pc.name).symlink_to(pc)
    return folder


def check(work: Path, cmake: str, generator: str, source: Path, index: int, case) -> str | None:
    """Runs one case; its failure, or None."""
    name, removed, hidden, defines, wanted = case
    folder = work / f"case-{index}"
    tree = folder / "src"
    mirror(source, tree, removed)
    env = dict(os.environ)
    if hidden:
        env["PKG_CONFIG_LIBDIR"] = str(pkg_config_without(hidden, folder / "pkgconfig"))
        env.pop("PKG_CONFIG_PATH", None)
    run = subprocess.run([cmake, "-S", str(tree), "-B", str(folder / "build"), "-G", generator,
                          *defines], env=env, capture_output=True, text=True)
    output = run.stdout + run.stderr
    lines = [line.strip() for line in output.splitlines() if PREFIX in line]
    if wanted is None:
        if run.returncode != 0 or lines:
            return f"{name}: configure should succeed, got:\n{output}"
    elif run.returncode == 0:
        return f"{name}: configure succeeded without what is missing"
    elif lines != [PREFIX + wanted]:
        return f"{name}: wanted the one line {PREFIX + wanted!r}, got {lines!r}:\n{output}"
    print(f"ok: {name}: {lines[0] if lines else 'configured'}")
    return None


def main() -> int:
    source, work, cmake, generator = Path(sys.argv[1]), Path(sys.argv[2]), sys.argv[3], sys.argv[4]
    shutil.rmtree(work, ignore_errors=True)
    # Side by side: most of each run is CMake finding the compilers.
    with ThreadPoolExecutor(max_workers=4) as pool:
        results = pool.map(lambda item: check(work, cmake, generator, source, *item),
                           enumerate(CASES))
        failures = [failure for failure in results if failure]
    for failure in failures:
        print("FAILED " + failure, file=sys.stderr)
    if not failures:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
