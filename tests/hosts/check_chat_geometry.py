#!/usr/bin/env python3
"""Checks the fake chat screen in view-tree dumps that a script wrote: where the bar, the
profile block, the rows and the input bar are, as laid out on the simulated device.
Usage: check_chat_geometry.py OUTPUT_DIR 'CHECK|ARG|...'

  bar|DUMP[|unverified]        the navigation bar: back arrow, avatar, name, badge, call buttons
  banner|DUMP|verified|unverified   the profile block at the head of the table
  input-first|DUMP             the input bar 40 above the bottom, bottom inset 95
  input-keyboard|DUMP          the input bar on the keyboard, the inset clear of both
  input-rested|DUMP            the input bar 35 above the bottom, bottom inset 95
  last-visible|DUMP            the last row shows whole between the bar and the input bar
  like|BEFORE|AFTER|TEXT|GROWTH   the row showing TEXT is GROWTH points taller after
  avatars|DUMP|TEXT=0|TEXT=1...   the alpha of the avatar beside each incoming text
  heart|DUMP|TEXT|SCALE        the row showing TEXT shows its heart, at that scale
  no-avatar|DUMP               every avatar of the other user is an empty ring
  palette|DUMP|light|dark      the bubbles', cards', rings' and line's colours in that appearance
"""
import json
import sys

SCREEN_W, SCREEN_H = 390, 844
KEYBOARD_H = 336
EPS = 0.01


def fail(message):
    print("chat check: " + message, file=sys.stderr)
    sys.exit(1)


def near(a, b, eps=EPS):
    return abs(a - b) <= eps


def expect(what, actual, wanted, eps=EPS):
    if not near(actual, wanted, eps):
        fail(f"{what} is {actual}, expected {wanted}")


def load(directory, name):
    with open(f"{directory}/{name}", encoding="utf-8") as file:
        return json.load(file)


def walk(view):
    yield view
    for child in view["children"]:
        yield from walk(child)


def chat_root(windows):
    roots = [v for w in windows for v in walk(w)
             if v["viewController"] == "ParloFakeChatViewController"]
    if len(roots) != 1:
        fail(f"expected one chat screen, found {len(roots)}")
    return roots[0]


def parts(windows):
    root = chat_root(windows)
    kids = root["children"]
    table = next((v for v in kids if v["class"] == "UITableView"), None)
    bar = next((v for v in kids if v["class"] == "UIView" and v["frame"][3] == 100), None)
    entry = next((v for v in kids if v["class"] == "ParloChatInputView"), None)
    if not table or not bar or not entry:
        fail("the chat screen lacks its table, bar or input bar")
    return root, table, bar, entry


def edges(view):
    x, y, w, h = view["frame"]
    return x, y, x + w, y + h


def centre(view):
    x, y, w, h = view["frame"]
    return x + w / 2, y + h / 2


def check_bar(windows, verified):
    root, _, bar, _ = parts(windows)
    if bar["frame"] != [0, 0, SCREEN_W, 100]:
        fail(f"the bar is {bar['frame']}, not the screen's width by 100")
    kids = root["children"]
    line = kids[kids.index(bar) + 1]
    # 0.2 points high, which the layout rounds to one pixel of the 3x screen.
    if not (near(line["frame"][1], 100) and 0 < line["frame"][3] <= 1 / 3 + EPS):
        fail(f"the line under the bar is {line['frame']}")
    back, avatar, name, badge, video, audio, join = bar["children"][:7]
    # The file an icon came from, without the screen-scale suffix of its variant.
    icon = lambda button: (button["children"][0]["image"] or "").replace("@3x", "").replace(
        "@2x", "") if button["children"] else None
    if [back["class"], video["class"], audio["class"]] != ["NavButton"] * 3:
        fail("the bar's buttons are not in order back, video, audio")
    if [icon(back), icon(video), icon(audio)] != [
            "navbar-back.png", "navbar-video.png", "navbar-audio.png"]:
        fail(f"the bar's icons are {[icon(back), icon(video), icon(audio)]}")
    bx, by, bx2, by2 = edges(back)
    expect("the back arrow's left", bx, 5)
    expect("the back arrow's bottom", by2, 93)
    expect("the back arrow's size", back["frame"][2] + back["frame"][3], 80)
    ax, ay, ax2, ay2 = edges(avatar)
    if avatar["frame"][2:] != [32, 32]:
        fail(f"the bar's avatar is {avatar['frame'][2:]}, not 32 x 32")
    expect("the avatar's gap after the back arrow", ax - bx2, 12)
    expect("the avatar's centre line", centre(avatar)[1], centre(back)[1])
    expect("the avatar's corner radius", avatar["cornerRadius"], 16)
    expect("the avatar's ring", avatar["borderWidth"], 0.8)
    nx, ny, nx2, ny2 = edges(name)
    expect("the name's gap after the avatar", nx - ax2, 10)
    expect("the name's height", name["frame"][3], 22)
    expect("the name's centre line", centre(name)[1], centre(avatar)[1])
    if not name["text"]:
        fail("the bar shows no name")
    expect("the badge's gap after the name", badge["frame"][0] - nx2, 2)
    if badge["frame"][2:] != [14, 14] or not (badge["image"] or "").startswith("verified"):
        fail(f"the badge is {badge['frame'][2:]} showing {badge['image']}")
    expect("the badge's centre line", centre(badge)[1], centre(name)[1])
    if badge["alpha"] != (1 if verified else 0):
        fail(f"the bar's badge is at alpha {badge['alpha']}")
    expect("the video button's right edge", edges(video)[2], SCREEN_W - 10)
    expect("the video button's centre line", centre(video)[1], centre(name)[1])
    expect("the audio button's gap before the video button", video["frame"][0] - edges(audio)[2], 7)
    for button in (video, audio):
        if button["frame"][2:] != [40, 40] or button["alpha"] != 1:
            fail(f"a call button is {button['frame']} at alpha {button['alpha']}")
    if join["alpha"] != 0:
        fail("the JOIN pill shows with no call running")


def check_banner(windows, verified):
    _, table, _, _ = parts(windows)
    banners = [v for v in walk(table) if v["class"] == "IntroBannerView"]
    if len(banners) != 1:
        fail(f"expected one profile block, found {len(banners)}")
    banner = banners[0]
    holder = next(v for v in table["children"] if banner in v["children"])
    if holder["frame"][3] != 278 or holder["frame"][2] != SCREEN_W:
        fail(f"the table's header is {holder['frame']}, not the width by 278")
    if banner["frame"] != holder["frame"]:
        fail("the profile block does not fill the header")
    avatar, name, badge, app, counts, follow, profile = banner["children"]
    bx, by, bx2, _ = edges(banner)
    middle = (bx + bx2) / 2
    if avatar["frame"][2:] != [96, 96]:
        fail(f"the profile avatar is {avatar['frame'][2:]}, not 96 x 96")
    expect("the profile avatar's top", avatar["frame"][1] - by, 20)
    expect("the profile avatar's centre", centre(avatar)[0], middle)
    expect("the name's top below the avatar", name["frame"][1] - edges(avatar)[3], 10)
    expect("the name's height", name["frame"][3], 23)
    expect("the name's centre", centre(name)[0], middle - (11 if verified else 0))
    expect("the badge's gap after the name", badge["frame"][0] - edges(name)[2], 2)
    if badge["frame"][2:] != [18, 18]:
        fail(f"the profile badge is {badge['frame'][2:]}")
    if badge["alpha"] != (1 if verified else 0):
        fail(f"the profile badge's alpha is {badge['alpha']}")
    texts = [app["text"], counts["text"], profile["text"]]
    if texts != ["Instagram", "35.5K followers \u2022 5.3K posts", "View Profile"]:
        fail(f"the profile block reads {texts}")
    if follow["text"] not in ("You follow each other on Instagram",
                              "You don't follow each other on Instagram"):
        fail(f"the follow line reads {follow['text']!r}")
    for above, below, gap in ((name, app, 5), (app, counts, 5), (counts, follow, 5),
                              (follow, profile, 15)):
        expect(f"the gap above {below['text']!r}", below["frame"][1] - edges(above)[3], gap)
    if profile["frame"][2:] != [96, 28]:
        fail(f"the View Profile pill is {profile['frame'][2:]}")


def check_input(windows, state):
    _, table, _, entry = parts(windows)
    _, top, _, bottom = edges(entry)
    inset = table["contentInset"]
    if state == "keyboard":
        expect("the input bar's bottom", bottom, SCREEN_H - KEYBOARD_H)
        expect("the bottom inset", inset[2], KEYBOARD_H + entry["frame"][3] + 10)
    else:
        expect("the input bar's gap to the bottom", SCREEN_H - bottom,
               40 if state == "first" else 35)
        expect("the bottom inset", inset[2], 95)
    expect("the top inset", inset[0], 100)


def rows(table):
    # Cells waiting in the reuse pool are hidden and show no row.
    return [v for v in table["children"]
            if v["class"].endswith("Cell") and not v["hidden"] and v["alpha"] > 0]


def texts_in(view):
    return [v["text"] for v in walk(view) if v["text"]]


def drawn(view):
    """What a row draws: its views that show a fill, a text or an image, not its clear margin."""
    def visit(v):
        if v["hidden"] or v["alpha"] <= 0:
            return
        fill = v["backgroundColor"] and v["backgroundColor"][3] > 0
        if fill or v["text"] or v["image"] is not None or v["borderWidth"] > 0:
            yield v
        for child in v["children"]:
            yield from visit(child)
    return list(visit(view))


def check_last_visible(windows):
    _, table, _, entry = parts(windows)
    cells = rows(table)
    if not cells:
        fail("the table shows no rows")
    last = max(cells, key=lambda cell: cell["frame"][1])
    shown = drawn(last)
    if not shown:
        fail(f"the last row ({texts_in(last)}) draws nothing")
    top = min(edges(v)[1] for v in shown)
    bottom = max(edges(v)[3] for v in shown)
    if top < 100 - EPS or bottom > entry["frame"][1] + EPS:
        fail(f"the last row ({texts_in(last)}) draws from {top} to {bottom}, not between the bar "
             f"and the input bar at {entry['frame'][1]}")
    # The table stands at its end (or at its top when everything fits).
    offset, size = table["contentOffset"][1], table["contentSize"][1]
    top_inset, bottom_inset = table["contentInset"][0], table["contentInset"][2]
    expect("the scroll position", offset,
           max(-top_inset, size + bottom_inset - table["frame"][3]))


def row_showing(windows, text):
    _, table, _, _ = parts(windows)
    matches = [cell for cell in rows(table) if text in texts_in(cell)]
    if len(matches) != 1:
        fail(f"{len(matches)} rows show {text!r}")
    return matches[0]


def check_like(before, after, text, growth):
    grew = row_showing(after, text)["frame"][3] - row_showing(before, text)["frame"][3]
    expect(f"the growth of the row showing {text!r}", grew, growth)


def check_heart(windows, text, scale):
    cell = row_showing(windows, text)
    pills = [v for v in walk(cell) if v["cornerRadius"] == 14]
    if len(pills) != 1 or pills[0]["alpha"] != 1:
        fail(f"the row showing {text!r} shows no like pill")
    heart = pills[0]["children"][0]
    a, b, c, d = heart["transform"][:4]
    if not (near(a, scale) and near(d, scale) and near(b, 0) and near(c, 0)):
        fail(f"the heart of {text!r} is transformed by {heart['transform']}, not scaled {scale}")


def check_no_avatar(windows):
    root, _, _, _ = parts(windows)
    rings = [v for v in walk(root) if v["class"] == "UIImageView" and v["borderWidth"] > 0]
    if len(rings) < 3:
        fail(f"expected the bar's, the profile block's and the rows' avatars, found {len(rings)}")
    for ring in rings:
        if ring["image"] is not None:
            fail(f"an avatar ring at {ring['frame']} shows {ring['image']!r}")


def check_avatars(windows, wanted):
    for pair in wanted:
        text, alpha = pair.rsplit("=", 1)
        cell = row_showing(windows, text)
        if cell["class"] != "IncomingChatCell":
            fail(f"{text!r} is not an incoming message")
        rings = [v for v in walk(cell) if v["class"] == "UIImageView" and v["cornerRadius"] == 15]
        if len(rings) != 1 or rings[0]["alpha"] != float(alpha):
            fail(f"the avatar beside {text!r} is not at alpha {alpha}")


# Greys of the chat's palette, by appearance: light, dark.
PALETTE = {
    "line": (0.90, 0.15), "incomingBubbleBorder": (0.86, 0.15), "outgoingBubble": (0.94, 0.15),
    "callIconBackground": (0.45, 0.66), "avatarBorder": (0.86, 0.15),
    "systemBackground": (1.0, 0.0),
}


def check_palette(windows, appearance):
    dark = appearance == "dark"
    root, table, bar, _ = parts(windows)

    def grey(what, colour, name):
        wanted = PALETTE[name][1 if dark else 0]
        if colour is None or any(not near(c, wanted) for c in colour[:3]) or colour[3] != 1:
            fail(f"{what} is {colour} in {appearance}, not the grey {wanted} of {name}")

    kids = root["children"]
    grey("the line under the bar", kids[kids.index(bar) + 1]["backgroundColor"], "line")
    grey("the bar's avatar ring", bar["children"][1]["borderColor"], "avatarBorder")
    for banner in (v for v in walk(table) if v["class"] == "IntroBannerView"):
        grey("the profile avatar's ring", banner["children"][0]["borderColor"], "avatarBorder")
        grey("the View Profile pill's border", banner["children"][6]["borderColor"],
             "incomingBubbleBorder")
        for line in banner["children"][3:6]:
            if line["alpha"] != 1:
                fail(f"the profile line {line['text']!r} is hidden")
    seen = set()
    for cell in rows(table):
        kind = cell["class"]
        views = list(walk(cell))
        ring = lambda radius: [v for v in views if v["cornerRadius"] == radius]
        if kind in ("IncomingChatCell", "OutgoingChatCell"):
            bubble, pill = ring(22)[0], ring(14)[0]
            if kind == "IncomingChatCell":
                grey("an incoming bubble's fill", bubble["backgroundColor"], "systemBackground")
                grey("an incoming bubble's border", bubble["borderColor"], "incomingBubbleBorder")
                grey("an incoming avatar's ring", ring(15)[0]["borderColor"], "avatarBorder")
            else:
                grey("an outgoing bubble's fill", bubble["backgroundColor"], "outgoingBubble")
            grey("a like pill's fill", pill["backgroundColor"], "outgoingBubble")
            grey("a like pill's cut-out ring", pill["borderColor"], "systemBackground")
        elif kind.endswith("CallStartedCell") or kind.endswith("CallEndedCell"):
            card, plate = ring(22)[0], ring(18)[0]
            if kind.startswith("Incoming"):
                grey("an incoming card's border", card["borderColor"], "incomingBubbleBorder")
                grey("an incoming card's avatar ring", ring(15)[0]["borderColor"], "avatarBorder")
            else:
                grey("an outgoing card's fill", card["backgroundColor"], "outgoingBubble")
            if "Tap to join" in texts_in(card):
                # A call still running: the fixed green, in either appearance.
                if plate["backgroundColor"] != [0, 0.78, 0, 1]:
                    fail(f"a running call's icon plate is {plate['backgroundColor']}, not green")
            else:
                grey("a finished call's icon plate", plate["backgroundColor"],
                     "callIconBackground")
        else:
            continue
        seen.add(kind)
    if rows(table) and not seen:
        fail("the rows hold no message or call to check the colours of")


def main():
    directory, request = sys.argv[1], sys.argv[2].split("|")
    check, args = request[0], request[1:]
    if check == "bar":
        check_bar(load(directory, args[0]), len(args) < 2 or args[1] == "verified")
    elif check == "banner":
        check_banner(load(directory, args[0]), args[1] == "verified")
    elif check in ("input-first", "input-keyboard", "input-rested"):
        check_input(load(directory, args[0]), check.split("-")[1])
    elif check == "last-visible":
        check_last_visible(load(directory, args[0]))
    elif check == "like":
        check_like(load(directory, args[0]), load(directory, args[1]), args[2], float(args[3]))
    elif check == "palette":
        check_palette(load(directory, args[0]), args[1])
    elif check == "heart":
        check_heart(load(directory, args[0]), args[1], float(args[2]))
    elif check == "no-avatar":
        check_no_avatar(load(directory, args[0]))
    elif check == "avatars":
        check_avatars(load(directory, args[0]), args[1:])
    else:
        fail(f"unknown check {check}")


main()
