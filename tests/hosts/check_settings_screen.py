#!/usr/bin/env python3
"""Checks the settings screen, and what the chat's options menu changes on the chat screen, in
view-tree dumps that a script wrote.
Usage: check_settings_screen.py OUTPUT_DIR 'CHECK|ARG|...'

  screen|DUMP|light|dark      the settings sheet: header, table and the seven cards, their
                              geometry, symbols, texts and colours in that appearance
  badges|DUMP|shown|hidden    the chat's two verified badges, in the bar and the profile block
  counts|DUMP|TEXT            the profile block's counts line reads TEXT
"""
import json
import sys

PIXEL = 1 / 3 + 0.01
EPS = 0.01

ROWS = [
    ("FakeCallCell", "person.crop.circle", "Profile", "Choose profile image"),
    ("FakeCallCell", "video.fill", "Video", "Choose fake video"),
    ("FakeCallCell", "person.fill", "Username", "Set your username"),
    ("FakeCallCell", "timer", "Delay", "User joined call delay"),
    ("FakeCallCell", "timer", "Delay", "Start incoming call delay"),
    ("SwitchCell", "bubble.left.fill", "Chat", "Auto save chat data"),
    ("FollowSwitchCell", "person.2.fill", "Follow", "Each other on instagram"),
]

# The platform's colours, light and dark, as the dump resolves them.
def rgb(r, g, b, a=1):
    return [round(r / 255, 3), round(g / 255, 3), round(b / 255, 3), a]

BLUE = {"light": rgb(0, 122, 255), "dark": rgb(10, 132, 255)}
CARD = {"light": rgb(242, 242, 247), "dark": rgb(28, 28, 30)}
GRABBER = {"light": rgb(118, 118, 128, 0.12), "dark": rgb(118, 118, 128, 0.24)}
BACKGROUND = {"light": rgb(255, 255, 255), "dark": rgb(0, 0, 0)}


def fail(message):
    print("settings screen check: " + message, file=sys.stderr)
    sys.exit(1)


def expect(what, actual, wanted, eps=EPS):
    if abs(actual - wanted) > eps:
        fail(f"{what} is {actual}, expected {wanted}")


def expect_colour(what, actual, wanted):
    if actual is None or any(abs(a - w) > 0.004 for a, w in zip(actual, wanted)):
        fail(f"{what} is {actual}, expected {wanted}")


def load(directory, name):
    with open(f"{directory}/{name}", encoding="utf-8") as file:
        return json.load(file)


def walk(view):
    yield view
    for child in view["children"]:
        yield from walk(child)


def edges(view):
    x, y, w, h = view["frame"]
    return x, y, x + w, y + h


def middle(view):
    x, y, w, h = view["frame"]
    return x + w / 2, y + h / 2


def screen_root(windows, controller):
    roots = [v for w in windows for v in walk(w) if v["viewController"] == controller]
    if len(roots) != 1:
        fail(f"expected one {controller} screen, found {len(roots)}")
    return roots[0]


def check_header(root, header, appearance):
    rx, ry, rx2, _ = edges(root)
    if header["class"] != "TDHeaderView":
        fail(f"the screen's first view is a {header['class']}, not the header")
    # In the sheet the safe area starts at the card's top.
    if header["frame"] != [rx, ry, rx2 - rx, 55]:
        fail(f"the header is {header['frame']}, not the screen's width by 55 at its top")
    bar = header["children"][0]
    grabber, button, title = bar["children"]
    if grabber["frame"][2:] != [40, 6]:
        fail(f"the grabber is {grabber['frame'][2:]}, not 40 x 6")
    expect("the grabber's top below the header's", grabber["frame"][1] - ry, 10)
    expect("the grabber's centre", middle(grabber)[0], middle(header)[0])
    expect("the grabber's corner radius", grabber["cornerRadius"], 3)
    expect_colour("the grabber", grabber["backgroundColor"], GRABBER[appearance])
    if button["frame"][2:] != [40, 40]:
        fail(f"the close button is {button['frame'][2:]}, not 40 x 40")
    expect("the close button's left", button["frame"][0] - rx, 20)
    expect("the close button's centre line", middle(button)[1], middle(header)[1] + 5, PIXEL)
    expect("the close button's corner radius", button["cornerRadius"], 12)
    expect_colour("the close button", button["backgroundColor"], CARD[appearance])
    symbol = [v["image"] for v in walk(button) if v["image"]]
    if symbol != ["xmark"]:
        fail(f"the close button shows {symbol}")
    if title["text"] != "Settings":
        fail(f"the header's title reads {title['text']!r}")
    expect("the title's centre", middle(title)[0], middle(header)[0], PIXEL)
    expect("the title's centre line", middle(title)[1], middle(header)[1] + 5, PIXEL)


def check_row(cell, row, appearance):
    kind, symbol, title_text, subtitle_text = row
    if cell["class"] != kind:
        fail(f"the row {title_text!r} is a {cell['class']}, not a {kind}")
    cx, cy, cx2, cy2 = edges(cell)
    expect(f"the {title_text!r} row's height", cy2 - cy, 75)
    card = cell["children"][0]
    x, y, x2, y2 = edges(card)
    for what, actual, wanted in (("left", x, cx + 5), ("top", y, cy + 5), ("right", x2, cx2 - 5),
                                 ("bottom", y2, cy2 - 5)):
        expect(f"the {title_text!r} card's {what}", actual, wanted)
    expect(f"the {title_text!r} card's corner radius", card["cornerRadius"], 15)
    expect_colour(f"the {title_text!r} card", card["backgroundColor"], CARD[appearance])
    tile, title, subtitle = card["children"]
    if tile["frame"][2:] != [40, 40]:
        fail(f"the {title_text!r} tile is {tile['frame'][2:]}, not 40 x 40")
    expect(f"the {title_text!r} tile's centre line", middle(tile)[1], middle(card)[1], PIXEL)
    expect(f"the {title_text!r} tile's left in the card", tile["frame"][0] - x, 10)
    expect(f"the {title_text!r} tile's corner radius", tile["cornerRadius"], 10)
    expect_colour(f"the {title_text!r} tile", tile["backgroundColor"], BLUE[appearance][:3] + [0.4])
    icon = tile["children"][0]
    if icon["frame"][2:] != [30, 30] or icon["image"] != symbol:
        fail(f"the {title_text!r} icon is {icon['frame'][2:]} showing {icon['image']}")
    expect(f"the {title_text!r} icon's centre", middle(icon)[0], middle(tile)[0])
    expect(f"the {title_text!r} icon's centre line", middle(icon)[1], middle(tile)[1])
    if (title["text"], subtitle["text"]) != (title_text, subtitle_text):
        fail(f"the row reads {title['text']!r} / {subtitle['text']!r}")
    tx, ty, tx2, _ = edges(title)
    sx, _, sx2, sy2 = edges(subtitle)
    _, tile_top, tile_right, tile_bottom = edges(tile)
    expect(f"the {title_text!r} title's top below the tile's", ty - tile_top, 2)
    expect(f"the {title_text!r} subtitle's bottom above the tile's", tile_bottom - sy2, 2)
    expect(f"the {title_text!r} title's gap after the tile", tx - tile_right, 10)
    expect(f"the {title_text!r} subtitle's gap after the tile", sx - tile_right, 10)
    end = x2 - 10
    switches = [v for v in walk(cell) if v["class"] == "UISwitch"]
    if kind == "FakeCallCell":
        if switches:
            fail(f"the {title_text!r} row has a switch")
    else:
        if len(switches) != 1:
            fail(f"the {title_text!r} row has {len(switches)} switches")
        toggle = switches[0]
        expect(f"the {title_text!r} switch's right", edges(toggle)[2], x2 - 10)
        expect(f"the {title_text!r} switch's centre line", middle(toggle)[1], middle(card)[1],
               PIXEL)
        end = toggle["frame"][0] - 10
    expect(f"the {title_text!r} title's right", tx2, end)
    expect(f"the {title_text!r} subtitle's right", sx2, end)


def check_screen(windows, appearance):
    root = screen_root(windows, "FakeCallSettingViewController")
    expect_colour("the screen's background", root["backgroundColor"], BACKGROUND[appearance])
    header, table = root["children"][:2]
    check_header(root, header, appearance)
    if table["class"] != "UITableView":
        fail(f"the screen's second view is a {table['class']}, not the table")
    rx, _, rx2, ry2 = edges(root)
    x, y, x2, y2 = edges(table)
    expect("the table's top below the header", y - edges(header)[3], 20)
    for what, actual, wanted in (("left", x, rx), ("right", x2, rx2), ("bottom", y2, ry2)):
        expect(f"the table's {what}", actual, wanted)
    cells = sorted((v for v in table["children"]
                    if v["class"].endswith("Cell") and not v["hidden"]),
                   key=lambda v: v["frame"][1])
    if len(cells) != len(ROWS):
        fail(f"the table shows {len(cells)} rows, not {len(ROWS)}")
    for above, below in zip(cells, cells[1:]):
        expect("the rows' spacing", below["frame"][1] - edges(above)[3], 0)
    for cell, row in zip(cells, ROWS):
        check_row(cell, row, appearance)


def check_badges(windows, state):
    chat = screen_root(windows, "ParloFakeChatViewController")
    bar_badges = [v for v in walk(chat) if v["frame"][2:] == [14, 14]
                  and (v["image"] or "").startswith("verified")]
    banner = [v for v in walk(chat) if v["class"] == "IntroBannerView"]
    if len(bar_badges) != 1 or len(banner) != 1:
        fail("the chat lacks its bar badge or its profile block")
    banner_badges = [v for v in walk(banner[0]) if (v["image"] or "").startswith("verified")]
    if len(banner_badges) != 1:
        fail("the profile block lacks its badge")
    wanted = 1 if state == "shown" else 0
    for where, badge in (("bar", bar_badges[0]), ("profile block", banner_badges[0])):
        if badge["alpha"] != wanted:
            fail(f"the {where}'s badge is at alpha {badge['alpha']}, expected {wanted}")


def check_counts(windows, text):
    chat = screen_root(windows, "ParloFakeChatViewController")
    banner = next(v for v in walk(chat) if v["class"] == "IntroBannerView")
    lines = [v["text"] for v in walk(banner) if v["text"] and "followers" in v["text"]]
    if lines != [text]:
        fail(f"the counts line reads {lines}, expected {text!r}")


def main():
    directory, request = sys.argv[1], sys.argv[2].split("|")
    check, args = request[0], request[1:]
    windows = load(directory, args[0])
    if check == "screen":
        check_screen(windows, args[1])
    elif check == "badges":
        check_badges(windows, args[1])
    elif check == "counts":
        check_counts(windows, args[1])
    else:
        fail(f"unknown check {check}")


main()
