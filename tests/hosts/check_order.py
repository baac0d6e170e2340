#!/usr/bin/env python3
"""Checks that a view-tree dump shows each of the given texts exactly once among the visible
views, and that they run down the screen in the order given.
Usage: check_order.py DUMP 'TEXT|TEXT|...'"""
import json
import sys


def visible(views, shown):
    for view in views:
        if view["hidden"] or view["alpha"] <= 0:
            continue
        shown.append(view)
        visible(view["children"], shown)


with open(sys.argv[1], encoding="utf-8") as file:
    windows = json.load(file)
wanted = sys.argv[2].split("|")
shown = []
visible(windows, shown)
tops = []
for text in wanted:
    matches = [v for v in shown if v["text"] == text]
    if len(matches) != 1:
        print(f"order check: {text!r} shows {len(matches)} times, not once", file=sys.stderr)
        sys.exit(1)
    x, y, w, h = matches[0]["frame"]
    tops.append(y + h / 2)
for (first, a), (second, b) in zip(zip(wanted, tops), zip(wanted[1:], tops[1:])):
    if not a < b:
        print(f"order check: {second!r} (at {b}) is not below {first!r} (at {a})", file=sys.stderr)
        sys.exit(1)
