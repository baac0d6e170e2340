#!/usr/bin/env python3
"""Checks a view-tree dump of an open Direct thread: every view carries every field with the
right type, and the tree holds the thread screen's title as injected code expects to find it."""
import json
import sys

FIELDS = {
    "class": str, "frame": list, "alpha": (int, float), "hidden": bool,
    "userInteractionEnabled": bool, "text": (str, type(None)),
    "backgroundColor": (list, type(None)), "borderColor": (list, type(None)),
    "borderWidth": (int, float), "cornerRadius": (int, float), "image": (str, type(None)),
    "transform": list, "viewController": (str, type(None)), "children": list,
}


def fail(message):
    print("dump check: " + message, file=sys.stderr)
    sys.exit(1)


def walk(view, path, found):
    for field, kind in FIELDS.items():
        if field not in view:
            fail(f"{path} has no {field}")
        if not isinstance(view[field], kind) or isinstance(view[field], bool) != (kind is bool):
            fail(f"{path}.{field} has the wrong type: {view[field]!r}")
    if len(view["frame"]) != 4 or len(view["transform"]) != 6:
        fail(f"{path}: frame needs 4 numbers and transform 6")
    for colour in ("backgroundColor", "borderColor"):
        if view[colour] is not None and (len(view[colour]) != 4 or
                                         not all(0 <= c <= 1 for c in view[colour])):
            fail(f"{path}.{colour} is not [r, g, b, a] in 0...1: {view[colour]}")
    found.append((view, path))
    for index, child in enumerate(view["children"]):
        walk(child, f"{path}/{child.get('class')}[{index}]", found)


with open(sys.argv[1], encoding="utf-8") as file:
    windows = json.load(file)
if not isinstance(windows, list) or not windows:
    fail("the dump is not a list of windows")
views = []
for index, window in enumerate(windows):
    walk(window, f"{window.get('class')}[{index}]", views)

if windows[0]["class"] != "UIWindow" or windows[0]["frame"] != [0, 0, 390, 844]:
    fail("the first window is not a screen-sized UIWindow")
controllers = [v["viewController"] for v, _ in views if v["viewController"]]
if "IGDirectThreadViewController" not in controllers:
    fail("no view is the root view of the thread screen")
titles = [v for v, _ in views if v["class"] == "IGDirectLeftAlignedTitleView"]
if len(titles) != 1:
    fail(f"expected one title view, found {len(titles)}")
button = titles[0]["children"][0]
if button["class"] != "UIButton":
    fail("the title view's first child is not its button")
labels = [c for c in button["children"] if c["class"] == "UIButtonLabel"]
if [label["text"] for label in labels] != ["Maya Lindqvist"]:
    fail(f"the title button's label shows {[label['text'] for label in labels]}")
x, y, w, h = labels[0]["frame"]
if not (80 <= x and 47 <= y and x + w <= 390 and y + h <= 110):
    fail(f"the title label is not in the header: {labels[0]['frame']}")
bubbles = [v for v, _ in views if v["class"] == "IGDirectMessageBubble"]
if len(bubbles) != 4 or any(b["cornerRadius"] <= 0 for b in bubbles):
    fail("expected four rounded message bubbles")
