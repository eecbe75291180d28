#!/usr/bin/env python3
"""Writes the kelp skin's pictures and skin.ini into data/skin/kelp/skin/.

The pictures are drawn from the few shapes and colours below, so a change of
colour or shape is made once here and the files are written again:

    python3 data/skin-art/kelp.py
"""

import os
import re
import sys

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "skin", "kelp", "skin")

# Colours of the kelp look.
BG_TOP = "#1b2026"
BG_BOTTOM = "#111417"
STRIP = "#0e1114"
HAIRLINE = "#272e36"
EDGE = "#2c343d"
ACCENT = "#34c08e"
ACCENT_DEEP = "#1f8f68"
ACCENT_BRIGHT = "#6fe3b8"
ICON = "#c3ccd5"
ICON_HOVER = "#ffffff"
ICON_OFF = "#4b545e"
TILE_HOVER = "#242b33"
TILE_HOVER_EDGE = "#36404b"
TILE_DOWN = "#14181c"
TILE_CURRENT = "#173b30"
TILE_CURRENT_EDGE = "#2a8f6a"


def svg(width, height, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}">\n{body}</svg>\n')


def write(name, text):
    path = os.path.join(OUT, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


# ---------------------------------------------------------------------------
# Toolbar icons, drawn in a 30x30 box. s = stroke colour, a = accent detail.

def stroke(s, w=2.0):
    return (f'fill="none" stroke="{s}" stroke-width="{w}" stroke-linecap="round" '
            f'stroke-linejoin="round"')


def icon_exit(s, a):
    return (f'<path d="M10.2 8.6a9 9 0 1 0 9.6 0" {stroke(s, 2.2)}/>'
            f'<path d="M15 4.5v10" {stroke(a, 2.4)}/>')


def icon_avi(s, a):
    holes = "".join(f'<rect x="{x}" y="7.2" width="2.4" height="2.4" rx="0.6" fill="{s}"/>'
                    f'<rect x="{x}" y="20.4" width="2.4" height="2.4" rx="0.6" fill="{s}"/>'
                    for x in (7.3, 11.8, 16.3, 20.8))
    return (f'<rect x="4" y="4.5" width="22" height="21" rx="2.5" {stroke(s)}/>'
            f'{holes}<path d="M13 12.2v5.6l4.6-2.8z" fill="{a}"/>')


def icon_mp4(s, a):
    return (f'<rect x="3.5" y="7" width="23" height="16" rx="3.5" {stroke(s)}/>'
            f'<path d="M12.5 11.2v7.6l6.4-3.8z" fill="{a}"/>')


def icon_3gp(s, a):
    return (f'<rect x="9" y="3.5" width="12" height="23" rx="2.5" {stroke(s)}/>'
            f'<path d="M13.4 10.4v6.2l5-3.1z" fill="{a}"/>'
            f'<path d="M13.5 22.6h3" {stroke(s, 1.6)}/>')


def icon_mpeg(s, a):
    return (f'<circle cx="15" cy="15" r="11" {stroke(s)}/>'
            f'<circle cx="15" cy="15" r="3" {stroke(a, 2.0)}/>'
            f'<path d="M15 7a8 8 0 0 1 8 8" {stroke(s, 1.5)} opacity="0.6"/>')


def icon_mov(s, a):
    return (f'<rect x="4" y="12" width="22" height="13.5" rx="2" {stroke(s)}/>'
            f'<path d="M4.6 11.4l20.4-4.9-1-4.1-20.4 4.9z" {stroke(s, 1.8)}/>'
            f'<path d="M9 3.8l2.6 4.1M14.4 2.5l2.6 4.1M19.8 1.7l2.2 3.6" {stroke(s, 1.5)}/>'
            f'<path d="M12.8 15.3v6.8l5.6-3.4z" fill="{a}"/>')


def icon_wmv(s, a):
    return (f'<rect x="3.5" y="5" width="23" height="15.5" rx="2" {stroke(s)}/>'
            f'<path d="M11 25.5h8M15 20.5v5" {stroke(s)}/>'
            f'<path d="M13 9.4v6.8l5.6-3.4z" fill="{a}"/>')


def icon_rm(s, a):
    return (f'<circle cx="15" cy="17" r="2.6" fill="{a}"/>'
            f'<path d="M10.4 21.6a6.5 6.5 0 0 1 0-9.2M19.6 12.4a6.5 6.5 0 0 1 0 9.2" {stroke(s)}/>'
            f'<path d="M6.8 25.2a11.6 11.6 0 0 1 0-16.4M23.2 8.8a11.6 11.6 0 0 1 0 16.4" '
            f'{stroke(s)} opacity="0.75"/>')


def icon_swf(s, a):
    return (f'<circle cx="15" cy="15" r="11" {stroke(s)}/>'
            f'<path d="M4 15h22M15 4c-4 3.2-4 18.8 0 22M15 4c4 3.2 4 18.8 0 22" {stroke(s, 1.5)}/>'
            f'<circle cx="21.5" cy="21.5" r="5.2" fill="{a}"/>'
            f'<path d="M20.2 19.2v4.6l3.8-2.3z" fill="#0f1a16"/>')


def icon_others(s, a):
    return (f'<rect x="4" y="4" width="9.5" height="9.5" rx="2.2" {stroke(s)}/>'
            f'<rect x="16.5" y="4" width="9.5" height="9.5" rx="2.2" {stroke(s)}/>'
            f'<rect x="4" y="16.5" width="9.5" height="9.5" rx="2.2" {stroke(s)}/>'
            f'<path d="M22 16.8v6.4" {stroke(a, 2.2)}/>'
            f'<circle cx="20" cy="23.6" r="2.4" fill="{a}"/>'
            f'<path d="M22 16.8l3.4 1.2" {stroke(a, 2.2)}/>')


def icon_burn(s, a):
    return (f'<circle cx="13" cy="16" r="10" {stroke(s)}/>'
            f'<circle cx="13" cy="16" r="2.6" {stroke(s, 1.8)}/>'
            f'<path d="M23.5 2.5c0.6 3-3.6 4.8-3.6 8.8a3.9 3.9 0 0 0 7.8 0c0-2.2-1.3-3.4-1.9-4.6'
            f'c-0.6 1.4-1.3 2-2 2.2c0.6-2.2 0.4-4.6-0.3-6.4z" fill="{a}"/>')


def icon_settings(s, a):
    # A gear: dashes on a thick ring make its teeth.
    return (f'<circle cx="15" cy="15" r="10" fill="none" stroke="{s}" stroke-width="4" '
            f'stroke-dasharray="3.4 2.9"/>'
            f'<circle cx="15" cy="15" r="7" {stroke(s, 2.2)}/>'
            f'<circle cx="15" cy="15" r="2.6" fill="{a}"/>')


def icon_help(s, a):
    return (f'<circle cx="15" cy="15" r="11" {stroke(s)}/>'
            f'<path d="M11.4 11.6a3.7 3.7 0 1 1 5.2 3.4c-1 0.5-1.6 1.2-1.6 2.3v0.6" {stroke(a, 2.2)}/>'
            f'<circle cx="15" cy="21.4" r="1.4" fill="{a}"/>')


# Toolbar buttons by number: file stem, icon, and whether its disabled state
# marks the current format (buttons 2 to 10) rather than an unavailable one.
TOOLBAR = [
    (1, "exit", icon_exit, False),
    (2, "avi", icon_avi, True),
    (3, "mp4", icon_mp4, True),
    (4, "3gp", icon_3gp, True),
    (5, "mpeg", icon_mpeg, True),
    (6, "mov", icon_mov, True),
    (7, "wmv", icon_wmv, True),
    (8, "rm", icon_rm, True),
    (9, "swf", icon_swf, True),
    (10, "others", icon_others, True),
    (11, "burn", icon_burn, False),
    (12, "settings", icon_settings, False),
    (13, "help", icon_help, False),
]

TB_W, TB_H = 54, 74
TB_ICON_Y = 9


def toolbar_picture(icon, state, marks_current):
    tile = ""
    dy = 0
    if state == "normal":
        s, a = ICON, ACCENT
    elif state == "hover":
        s, a = ICON_HOVER, ACCENT_BRIGHT
        tile = (f'<rect x="2.5" y="2.5" width="{TB_W - 5}" height="{TB_H - 5}" rx="7" '
                f'fill="{TILE_HOVER}" stroke="{TILE_HOVER_EDGE}"/>')
    elif state == "down":
        s, a = ACCENT_BRIGHT, ACCENT_BRIGHT
        dy = 1
        tile = (f'<rect x="2.5" y="2.5" width="{TB_W - 5}" height="{TB_H - 5}" rx="7" '
                f'fill="{TILE_DOWN}" stroke="{ACCENT}"/>')
    elif marks_current:
        s, a = ACCENT_BRIGHT, ACCENT_BRIGHT
        tile = (f'<rect x="2.5" y="2.5" width="{TB_W - 5}" height="{TB_H - 5}" rx="7" '
                f'fill="{TILE_CURRENT}" stroke="{TILE_CURRENT_EDGE}"/>'
                f'<rect x="15" y="4.5" width="{TB_W - 30}" height="2.5" rx="1.25" '
                f'fill="{ACCENT}"/>')
    else:
        s, a = ICON_OFF, ICON_OFF
    x = (TB_W - 30) / 2
    return svg(TB_W, TB_H, f'  {tile}\n  <g transform="translate({x} {TB_ICON_Y + dy})">'
                           f'{icon(s, a)}</g>\n')


def toolbar_line():
    return svg(2, 48, '  <defs><linearGradient id="l" x1="0" y1="0" x2="0" y2="1">'
                      f'<stop offset="0" stop-color="{EDGE}" stop-opacity="0"/>'
                      f'<stop offset="0.5" stop-color="#3f4955"/>'
                      f'<stop offset="1" stop-color="{EDGE}" stop-opacity="0"/>'
                      '</linearGradient></defs>\n'
                      '  <rect x="0.5" y="0" width="1" height="48" fill="url(#l)"/>\n')


# ---------------------------------------------------------------------------
# Main buttons: a framed face, with a glyph for the picture-only ones.

FACES = {
    # state: (top, bottom, edge)
    "secondary": {
        "normal": ("#2b323a", "#252b32", "#3a434e"),
        "hover": ("#333c46", "#2c343d", "#4f9c80"),
        "down": ("#1b2025", "#1d2227", ACCENT),
        "off": ("#1f2328", "#1f2328", "#2a3037"),
    },
    "primary": {
        "normal": ("#26a67a", "#1d8a63", "#38c592"),
        "hover": ("#2cb888", "#219a6f", "#5fdcad"),
        "down": ("#187254", "#1a7a59", "#2fae7f"),
        "off": ("#262c32", "#262c32", "#323940"),
    },
}


def face(width, height, kind, state, radius=4.5):
    top, bottom, edge = FACES[kind][state]
    sheen = ""
    if state in ("normal", "hover"):
        sheen = (f'<path d="M{radius + 1} 1.5h{width - 2 * radius - 2}" stroke="#ffffff" '
                 f'stroke-opacity="0.07" stroke-width="1"/>')
    return (f'  <defs><linearGradient id="f" x1="0" y1="0" x2="0" y2="1">'
            f'<stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{bottom}"/>'
            f'</linearGradient></defs>\n'
            f'  <rect x="0.5" y="0.5" width="{width - 1}" height="{height - 1}" rx="{radius}" '
            f'fill="url(#f)" stroke="{edge}"/>\n  {sheen}\n')


def glyph_colour(state):
    return {"normal": ICON, "hover": ICON_HOVER, "down": ACCENT_BRIGHT, "off": ICON_OFF}[state]


def glyph_up(c):
    return f'<path d="M8 14.5l5-5 5 5M13 9.8v8" {stroke(c, 1.9)}/>'


def glyph_down(c):
    return f'<path d="M8 11l5 5 5-5M13 15.7v-8" {stroke(c, 1.9)}/>'


def glyph_add(c):
    return f'<path d="M13 7.5v10M8 12.5h10" {stroke(c, 2.0)}/>'


def glyph_delete(c):
    return (f'<path d="M8.5 9h9M11.3 9V7.6h3.4V9M9.6 9.6l0.7 8.4h5.4l0.7-8.4" {stroke(c, 1.6)}/>'
            f'<path d="M12.2 11.6v4.2M13.8 11.6v4.2" {stroke(c, 1.2)}/>')


def glyph_more(c):
    return "".join(f'<circle cx="{x}" cy="12.5" r="1.6" fill="{c}"/>' for x in (8.5, 13, 17.5))


ICON_BUTTONS = {"up": glyph_up, "down": glyph_down, "add": glyph_add, "delete": glyph_delete,
                "more": glyph_more}

STATES = ("normal", "hover", "down", "off")
STATE_KEYS = {"normal": "Normal", "hover": "MouseOn", "down": "MouseDown", "off": "Disable"}


def icon_button(glyph, state):
    w, h = 26, 25
    dy = 1 if state == "down" else 0
    return svg(w, h, face(w, h, "secondary", state) +
               f'  <g transform="translate(0 {dy})">{glyph(glyph_colour(state))}</g>\n')


# ---------------------------------------------------------------------------
# System buttons in the title strip.

def system_button(kind, state):
    w, h = 26, 22
    c = {"normal": "#aab4bf", "hover": "#ffffff", "down": "#ffffff", "off": ICON_OFF}[state]
    bg = ""
    if state in ("hover", "down"):
        fill = {("close", "hover"): "#c8424d", ("close", "down"): "#9e2f39"}.get(
            (kind, state), "#2a3139" if state == "hover" else "#1a1f24")
        bg = f'<rect x="1" y="1" width="{w - 2}" height="{h - 2}" rx="4" fill="{fill}"/>'
    glyphs = {
        "min": f'<path d="M8.5 11.5h9" {stroke(c, 1.8)}/>',
        "help": (f'<path d="M10.4 8.4a2.7 2.7 0 1 1 3.8 2.5c-0.7 0.4-1.2 0.9-1.2 1.7v0.5" '
                 f'{stroke(c, 1.7)}/><circle cx="13" cy="15.6" r="1.1" fill="{c}"/>'),
        "close": f'<path d="M9 7l8 8M17 7l-8 8" {stroke(c, 1.8)}/>',
    }
    return svg(w, h, f'  {bg}\n  {glyphs[kind]}\n')


# ---------------------------------------------------------------------------
# The background, the logo, the About box's picture.

# The program's own icon, drawn into the title strip and the About picture.
ICON_FILE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "converter",
                         "windows", "pictures", "clipforge.svg")


def logo(x, y, size):
    with open(ICON_FILE, encoding="utf-8") as f:
        text = f.read()
    body = re.sub(r"<!--.*?-->", "", text[text.index(">", text.index("<svg")) + 1:
                                          text.rindex("</svg>")], flags=re.S)
    return f'<g transform="translate({x} {y}) scale({size / 64})">{body.strip()}</g>'


def fronds(opacity):
    # Kelp fronds rising from the bottom edge.
    paths = [
        "M640 571c-8-40 18-70 6-112s-30-62-12-104",
        "M676 571c4-34-14-58-2-96s30-50 20-92",
        "M708 571c-10-28 8-52 0-80s-20-40-8-70",
        "M606 571c6-24-6-44 2-66",
        "M736 571c-4-20 6-36 0-54",
    ]
    leaves = [
        "M646 459c14-6 26-2 32 8c-14 4-24 2-32-8z",
        "M634 355c-14-2-24 6-26 18c12 0 22-6 26-18z",
        "M674 475c-14-4-24 2-28 12c12 2 22-2 28-12z",
        "M692 383c12-8 24-8 32 0c-12 6-22 6-32 0z",
        "M700 491c12-6 22-4 28 4c-10 4-20 4-28-4z",
    ]
    body = "".join(f'<path d="{d}" fill="none" stroke="{ACCENT}" stroke-width="5" '
                   'stroke-linecap="round"/>' for d in paths)
    body += "".join(f'<path d="{d}" fill="{ACCENT}"/>' for d in leaves)
    return f'<g opacity="{opacity}">{body}</g>'


def background():
    w, h = 754, 571
    return svg(w, h, f'''  <defs>
    <linearGradient id="bg" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="{BG_TOP}"/><stop offset="1" stop-color="{BG_BOTTOM}"/>
    </linearGradient>
    <radialGradient id="glow" cx="0.12" cy="0.05" r="0.7">
      <stop offset="0" stop-color="{ACCENT}" stop-opacity="0.10"/>
      <stop offset="1" stop-color="{ACCENT}" stop-opacity="0"/>
    </radialGradient>
    <linearGradient id="strip" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#101317"/><stop offset="1" stop-color="{STRIP}"/>
    </linearGradient>
  </defs>
  <rect width="{w}" height="{h}" fill="url(#bg)"/>
  <rect width="{w}" height="{h}" fill="url(#glow)"/>
  {fronds(0.07)}
  <rect width="{w}" height="28" fill="url(#strip)"/>
  <rect x="0" y="28" width="{w}" height="1" fill="{HAIRLINE}"/>
  <rect x="0" y="0" width="{w}" height="1" fill="#ffffff" fill-opacity="0.04"/>
  {logo(11, 5, 18)}
  <rect x="0.5" y="0.5" width="{w - 1}" height="{h - 1}" fill="none" stroke="{EDGE}"/>
''')


def splash():
    w, h = 180, 300
    return svg(w, h, f'''  <defs>
    <linearGradient id="sbg" x1="0" y1="0" x2="0.4" y2="1">
      <stop offset="0" stop-color="#1f2a2c"/><stop offset="1" stop-color="#0f1315"/>
    </linearGradient>
    <radialGradient id="sglow" cx="0.5" cy="0.32" r="0.6">
      <stop offset="0" stop-color="{ACCENT}" stop-opacity="0.28"/>
      <stop offset="1" stop-color="{ACCENT}" stop-opacity="0"/>
    </radialGradient>
  </defs>
  <rect width="{w}" height="{h}" rx="10" fill="url(#sbg)"/>
  <rect width="{w}" height="{h}" rx="10" fill="url(#sglow)"/>
  <g transform="translate(-560 -271)">{fronds(0.35)}</g>
  {logo(50, 58, 80)}
''')


# ---------------------------------------------------------------------------
# skin.ini: every key, with the places of this skin.

def ini():
    lines = ["; The kelp skin. Pictures are looked up in this folder without regard to",
             "; case; NONE means no picture. Button<N>Caption=0 makes a picture-only",
             "; button, whose caption still shows as its tool tip.", ""]

    def section(name):
        if lines[-1] != "":
            lines.append("")
        lines.append(f"[{name}]")

    def rect(prefix, x, y, w, h, left="Left"):
        lines.extend([f"{prefix}{left}={x}", f"{prefix}Top={y}", f"{prefix}Width={w}",
                      f"{prefix}Height={h}"])

    def button(n, stem, x, y, w, h, caption=True):
        for state in STATES:
            value = "NONE" if stem is None else f"{stem}_{state}.svg"
            lines.append(f"Button{n}{STATE_KEYS[state]}={value}")
        rect(f"Button{n}", x, y, w, h)
        lines.append(f"Button{n}Caption={1 if caption else 0}")

    section("MAINFORM")
    lines.append("DefaultSkin=1")
    lines.append("ImageMainPic=background.svg")
    rect("ImageMain", 0, 0, 754, 571, left="Let")
    rect("ListView", 136, 112, 466, 92)
    rect("EditOutputFile", 136, 214, 376, 21)
    rect("ComboProfile", 136, 242, 466, 21)
    rect("ScrollBox", 18, 314, 717, 244)

    section("TOOLBAR")
    x_of = {}
    x = 14
    for n in range(2, 11):
        x_of[n] = x
        x += TB_W
    x_of[11] = x + 8
    x_of[12] = x_of[11] + TB_W
    x_of[13] = x_of[12] + TB_W + 8
    x_of[1] = x_of[13] + TB_W + 8
    for n, stem, _, _ in TOOLBAR:
        button(n, f"toolbar/{stem}", x_of[n], 30, TB_W, TB_H)
    for k, after in ((1, 10), (2, 12), (3, 13)):
        lines.append(f"ImageLine{k}=toolbar/line.svg")
        rect(f"ImageLine{k}", x_of[after] + TB_W + 3, 43, 2, 48)

    section("MAINBUTTON")
    button(1, "buttons/secondary", 620, 112, 115, 25)
    button(2, "buttons/up", 680, 141, 26, 25, caption=False)
    button(3, "buttons/down", 709, 141, 26, 25, caption=False)
    button(4, "buttons/add", 620, 141, 26, 25, caption=False)
    button(5, "buttons/delete", 649, 141, 26, 25, caption=False)
    button(6, "buttons/secondary", 518, 214, 84, 21)
    button(7, "buttons/secondary", 620, 241, 86, 23)
    button(8, "buttons/more", 709, 241, 26, 23, caption=False)
    button(9, "buttons/primary", 620, 276, 115, 32)
    button(10, None, 620, 0, 0, 0)

    section("SYSTEMBUTTON")
    button(1, "system/min", 672, 3, 26, 22, caption=False)
    button(2, "system/help", 698, 3, 26, 22, caption=False)
    button(3, "system/close", 724, 3, 26, 22, caption=False)

    section("LABEL")
    # Inside the facts panel: headings, then two columns of label and box,
    # wide enough for the longest label of the shipped languages.
    labels = {1: (36, 6), 2: (162, 6), 3: (18, 116), 4: (18, 217), 5: (18, 245), 6: (138, 285),
              7: (12, 8), 14: (12, 84), 21: (12, 160), 26: (550, 218)}
    rows = {8: 26, 10: 43, 12: 60, 15: 102, 17: 119, 19: 136, 22: 178, 24: 195}
    for n, top in rows.items():
        labels[n] = (24, top)
        labels[n + 1] = (362, top)
    for n in range(1, 27):
        lines.extend([f"Label{n}Left={labels[n][0]}", f"Label{n}Top={labels[n][1]}"])
    box_tops = [26, 43, 60, 102, 119, 136, 178, 195]
    for n in range(1, 17):
        lines.append(f"EditBox{n}Top={box_tops[(n - 1) // 2]}")

    section("EDITBOX")
    for n in range(1, 17):
        lines.append(f"EditBox{n}Left={154 if n % 2 else 550}")

    section("SPLASH")
    lines.append("LeftImage=splash.svg")
    return "\r\n".join(lines) + "\r\n"


def main():
    for n, stem, icon, marks in TOOLBAR:
        for state in STATES:
            write(f"toolbar/{stem}_{state}.svg", toolbar_picture(icon, state, marks))
    write("toolbar/line.svg", toolbar_line())
    for state in STATES:
        write(f"buttons/secondary_{state}.svg",
              svg(115, 25, face(115, 25, "secondary", state)))
        write(f"buttons/primary_{state}.svg", svg(115, 32, face(115, 32, "primary", state, 5.5)))
        for name, glyph in ICON_BUTTONS.items():
            write(f"buttons/{name}_{state}.svg", icon_button(glyph, state))
        for kind in ("min", "help", "close"):
            write(f"system/{kind}_{state}.svg", system_button(kind, state))
    write("background.svg", background())
    write("splash.svg", splash())
    write("skin.ini", ini())
    return 0


if __name__ == "__main__":
    sys.exit(main())
