#!/usr/bin/env python3
"""Checks that the host app's settings file holds exactly the expected values, read twice: by
Python's own XML property-list reader, which shares no code with the add-on, and through
`parlo-files settings list`, which reads it the way the add-on does.
Usage: check_settings.py PARLO_FILES DEVICE_ROOT DOCUMENTS EXPECTED.json

EXPECTED.json maps each key to its value: true/false, a whole number, a string, or for data
{"jpeg": [WIDTH, HEIGHT]} (a JPEG image of that size). {} means the file must not exist.
"""
import json
import plistlib
import struct
import subprocess
import sys


def fail(message):
    print("settings check: " + message, file=sys.stderr)
    sys.exit(1)


def jpeg_size(data):
    """The pixel size in a JPEG's first start-of-frame segment; None for anything else."""
    if data[:2] != b"\xff\xd8":
        return None
    i = 2
    while i + 4 <= len(data):
        if data[i] != 0xFF:
            return None
        marker, length = data[i + 1], struct.unpack(">H", data[i + 2:i + 4])[0]
        if marker in (0xC0, 0xC1, 0xC2):
            height, width = struct.unpack(">HH", data[i + 5:i + 9])
            return [width, height]
        i += 2 + length
    return None


def same(actual, wanted):
    # JSON's true is not the number 1 here: a boolean must be stored as one.
    if isinstance(wanted, dict):
        return isinstance(actual, bytes) and jpeg_size(actual) == wanted["jpeg"]
    return type(actual) is type(wanted) and actual == wanted


def listed(value):
    """The value column `parlo-files settings list` shows for a stored value."""
    if isinstance(value, bool):
        return "YES" if value else "NO"
    if isinstance(value, dict):
        return "JPEG image {} x {}, ".format(*value["jpeg"])
    return str(value)


def main():
    tool, root, documents, expected_file = sys.argv[1:5]
    with open(expected_file, encoding="utf-8") as file:
        expected = json.load(file)
    path = f"{documents}/FakeCallSettings.plist"
    try:
        with open(path, "rb") as file:
            raw = file.read()
    except FileNotFoundError:
        if expected:
            fail(f"there is no settings file, expected {sorted(expected)}")
        return
    if not expected:
        fail("a settings file was written where nothing should have been")
    if not raw.startswith(b"<?xml"):
        fail("the settings file is not an XML property list")
    stored = plistlib.loads(raw, fmt=plistlib.FMT_XML)
    if not isinstance(stored, dict):
        fail("the settings file's root is not a dictionary")
    if sorted(stored) != sorted(expected):
        fail(f"the file holds the keys {sorted(stored)}, expected {sorted(expected)}")
    for key, wanted in expected.items():
        if not same(stored[key], wanted):
            shown = f"{len(stored[key])} bytes" if isinstance(stored[key], bytes) else stored[key]
            fail(f"{key} holds {shown!r}, expected {wanted!r}")

    lines = subprocess.run([tool, "settings", "--device-root", root, "list"], check=True,
                           capture_output=True, text=True).stdout.splitlines()
    rows = {}
    for line in lines:
        key, kind, rest = (line.split(None, 2) + ["", ""])[:3]
        rows[key] = (kind, rest)
    for key, wanted in expected.items():
        if key not in rows:
            fail(f"parlo-files does not list {key}")
        kind, rest = rows[key]
        if rest.endswith("(default)"):
            fail(f"parlo-files shows {key} as its default: {rest!r}")
        # A stored delay of 0 reads as the reader's default; the file check above saw the 0.
        if kind == "integer" and wanted == 0:
            continue
        if not rest.startswith(listed(wanted)):
            fail(f"parlo-files shows {key} as {rest!r}, expected {listed(wanted)!r}")


main()
