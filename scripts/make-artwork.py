#!/usr/bin/env python3
"""Writes the wizard's pictures (SVG) into app/resources.

Every picture is drawn here from shapes; nothing is taken from another
program. Re-run after a change and commit the SVG files with this script:
    scripts/make-artwork.py
"""
import os
import sys

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "resources")

# Palette: deep blue window, teal accent, warm amber for folders.
NAVY_0 = "#0f2439"
NAVY_1 = "#15314d"
NAVY_2 = "#1c4163"
NAVY_3 = "#24527a"
TEAL = "#2a9d8f"
TEAL_LIGHT = "#3fb8af"
TEAL_DARK = "#1f7a70"
SLATE = "#3e6283"
SLATE_DARK = "#2f4e6b"
RED = "#c0584b"
RED_DARK = "#99443a"
AMBER = "#e9b44c"
AMBER_DARK = "#c48f2c"
PAPER = "#f7f9fb"
INK = "#40566b"
FONT = "DejaVu Sans, Liberation Sans, Arial, sans-serif"


def write(path, body, width, height):
    full = os.path.join(OUT, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    text = (
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
        f'viewBox="0 0 {width} {height}">\n{body.strip()}\n</svg>\n'
    )
    with open(full, "w", encoding="utf-8") as f:
        f.write(text)


# ---------------------------------------------------------------- buttons
STYLES = {
    # name: (top, bottom, border)
    "primary": (TEAL_LIGHT, TEAL_DARK, "#176158"),
    "secondary": ("#4d7395", SLATE_DARK, "#243f58"),
    "danger": ("#d06a5d", RED_DARK, "#7d352d"),
    "tool": ("#2f5d86", "#1f4466", "#173552"),
}


def chevron(kind, w, h):
    cy = h / 2
    if kind == "left":
        x = 18
        return (f'<path d="M{x + 4} {cy - 6} L{x - 2} {cy} L{x + 4} {cy + 6}" fill="none" '
                f'stroke="#ffffff" stroke-width="2.2" stroke-linecap="round" '
                f'stroke-linejoin="round" opacity="0.9"/>')
    if kind == "right":
        x = w - 18
        return (f'<path d="M{x - 4} {cy - 6} L{x + 2} {cy} L{x - 4} {cy + 6}" fill="none" '
                f'stroke="#ffffff" stroke-width="2.2" stroke-linecap="round" '
                f'stroke-linejoin="round" opacity="0.9"/>')
    return ""


def button(name, w, h, style, state, glyph=""):
    top, bottom, border = STYLES[style]
    gid = f"fill-{name}-{state}"
    r = 7
    if state == "disabled":
        top, bottom, border = "#5e7489", "#4b5f73", "#3d4f60"
    if state == "pressed":
        top, bottom = bottom, top
    body = f'''
<defs>
  <linearGradient id="{gid}" x1="0" y1="0" x2="0" y2="1">
    <stop offset="0" stop-color="{top}"/>
    <stop offset="1" stop-color="{bottom}"/>
  </linearGradient>
</defs>
<rect x="0.5" y="0.5" width="{w - 1}" height="{h - 1}" rx="{r}" fill="url(#{gid})" stroke="{border}"/>
'''
    if state == "normal":
        body += (f'<path d="M{r + 1} 1.5 H{w - r - 1}" stroke="#ffffff" stroke-opacity="0.28" '
                 f'stroke-width="1"/>\n')
    if state == "pressed":
        body += (f'<rect x="1.5" y="1.5" width="{w - 3}" height="{h - 3}" rx="{r - 1}" '
                 f'fill="none" stroke="#000000" stroke-opacity="0.18" stroke-width="2"/>\n')
    if glyph:
        g = chevron(glyph, w, h)
        if state == "disabled":
            g = g.replace('opacity="0.9"', 'opacity="0.45"')
        body += g + "\n"
    write(f"buttons/{name}{'' if state == 'normal' else '-' + state}.svg", body, w, h)


BUTTONS = [
    # name, width, height, style, states, glyph
    ("back", 104, 36, "secondary", ("normal", "pressed", "disabled"), "left"),
    ("next", 104, 36, "primary", ("normal", "pressed", "disabled"), "right"),
    ("cancel", 104, 36, "secondary", ("normal", "pressed"), ""),
    ("exit", 104, 36, "secondary", ("normal", "pressed"), ""),
    ("help", 100, 30, "tool", ("normal", "pressed"), ""),
    ("settings", 100, 30, "tool", ("normal", "pressed"), ""),
    ("load-log", 100, 30, "tool", ("normal", "pressed"), ""),
    ("save-log", 100, 30, "tool", ("normal", "pressed"), ""),
    ("save", 100, 30, "primary", ("normal", "pressed"), ""),
    ("search-partitions", 208, 32, "primary", ("normal", "pressed"), ""),
    ("stop-search-partitions", 208, 32, "danger", ("normal", "pressed"), ""),
    ("stop-searching", 208, 32, "danger", ("normal", "pressed"), ""),
    ("start-recovery", 208, 32, "primary", ("normal", "pressed"), ""),
    # The small dialogs (bad sector, saving, replace, destination).
    ("yes-to-all", 104, 32, "secondary", ("normal", "pressed"), ""),
    ("skip-all", 104, 32, "secondary", ("normal", "pressed"), ""),
    ("retry", 104, 32, "primary", ("normal", "pressed"), ""),
    ("skip", 104, 32, "secondary", ("normal", "pressed"), ""),
    ("abort", 104, 32, "danger", ("normal", "pressed"), ""),
    ("overwrite", 104, 32, "danger", ("normal", "pressed"), ""),
    ("rename", 104, 32, "secondary", ("normal", "pressed"), ""),
    ("browse", 104, 32, "secondary", ("normal", "pressed"), ""),
    ("ok", 104, 32, "primary", ("normal", "pressed"), ""),
    ("dialog-cancel", 104, 32, "secondary", ("normal", "pressed"), ""),
]


def buttons():
    for name, w, h, style, states, glyph in BUTTONS:
        for state in states:
            button(name, w, h, style, state, glyph)


# ------------------------------------------------------------ backgrounds
WINDOW_W, WINDOW_H = 1000, 640
HEADER_H = 72
FOOTER_H = 64
STEPS_W = 224


def main_background():
    w, h = WINDOW_W, WINDOW_H
    body = f'''
<defs>
  <linearGradient id="sky" x1="0" y1="0" x2="1" y2="1">
    <stop offset="0" stop-color="{NAVY_1}"/>
    <stop offset="0.6" stop-color="{NAVY_2}"/>
    <stop offset="1" stop-color="{NAVY_3}"/>
  </linearGradient>
  <linearGradient id="head" x1="0" y1="0" x2="1" y2="0">
    <stop offset="0" stop-color="{NAVY_0}"/>
    <stop offset="1" stop-color="{NAVY_1}"/>
  </linearGradient>
  <linearGradient id="rail" x1="0" y1="0" x2="0" y2="1">
    <stop offset="0" stop-color="#000000" stop-opacity="0.22"/>
    <stop offset="1" stop-color="#000000" stop-opacity="0.10"/>
  </linearGradient>
  <radialGradient id="glow" cx="0.85" cy="0.95" r="0.6">
    <stop offset="0" stop-color="{TEAL}" stop-opacity="0.20"/>
    <stop offset="1" stop-color="{TEAL}" stop-opacity="0"/>
  </radialGradient>
</defs>
<rect width="{w}" height="{h}" fill="url(#sky)"/>
<rect width="{w}" height="{h}" fill="url(#glow)"/>
<g fill="none" stroke="#ffffff" stroke-opacity="0.045" stroke-width="1.2">
  <circle cx="{w - 60}" cy="{h + 40}" r="220"/>
  <circle cx="{w - 60}" cy="{h + 40}" r="300"/>
  <circle cx="{w - 60}" cy="{h + 40}" r="380"/>
</g>
<rect width="{w}" height="{HEADER_H}" fill="url(#head)"/>
<rect y="{HEADER_H - 2}" width="{w}" height="2" fill="{TEAL}" opacity="0.85"/>
<rect y="{HEADER_H}" width="{STEPS_W}" height="{h - HEADER_H - FOOTER_H}" fill="url(#rail)"/>
<rect x="{STEPS_W}" y="{HEADER_H}" width="1" height="{h - HEADER_H - FOOTER_H}" fill="#ffffff" opacity="0.07"/>
<rect y="{h - FOOTER_H}" width="{w}" height="{FOOTER_H}" fill="#000000" opacity="0.20"/>
<rect y="{h - FOOTER_H}" width="{w}" height="1" fill="#ffffff" opacity="0.08"/>
'''
    write("backgrounds/main.svg", body, w, h)


def dialog_background(name, w, h, accent=TEAL):
    body = f'''
<defs>
  <linearGradient id="bg" x1="0" y1="0" x2="1" y2="1">
    <stop offset="0" stop-color="{NAVY_1}"/>
    <stop offset="1" stop-color="{NAVY_3}"/>
  </linearGradient>
</defs>
<rect width="{w}" height="{h}" fill="url(#bg)"/>
<rect width="{w}" height="4" fill="{accent}"/>
<g fill="none" stroke="#ffffff" stroke-opacity="0.05" stroke-width="1.2">
  <circle cx="{w - 30}" cy="{h + 20}" r="{h * 0.55:.0f}"/>
  <circle cx="{w - 30}" cy="{h + 20}" r="{h * 0.8:.0f}"/>
</g>
'''
    write(f"backgrounds/{name}.svg", body, w, h)


def disk_mark(cx, cy, s, ring=TEAL_LIGHT):
    """The product mark: a platter with a recovery arc around it."""
    return f'''
<g transform="translate({cx} {cy}) scale({s})">
  <circle r="40" fill="#e9eff5"/>
  <circle r="40" fill="none" stroke="#b8c7d6" stroke-width="2"/>
  <circle r="29" fill="none" stroke="#c9d6e2" stroke-width="1.5"/>
  <circle r="19" fill="none" stroke="#c9d6e2" stroke-width="1.5"/>
  <circle r="9" fill="{NAVY_2}"/>
  <circle r="3.5" fill="#e9eff5"/>
  <path d="M 0 -40 A 40 40 0 0 1 37.6 13.7" fill="none" stroke="{ring}" stroke-width="7" stroke-linecap="round"/>
  <path d="M 45 4 L 37.6 17 L 27 8" fill="none" stroke="{ring}" stroke-width="7" stroke-linecap="round" stroke-linejoin="round"/>
</g>'''


def app_icon():
    body = f'''
<defs>
  <linearGradient id="tile" x1="0" y1="0" x2="1" y2="1">
    <stop offset="0" stop-color="{NAVY_2}"/>
    <stop offset="1" stop-color="{NAVY_0}"/>
  </linearGradient>
</defs>
<rect x="8" y="8" width="240" height="240" rx="52" fill="url(#tile)"/>
<rect x="8" y="8" width="240" height="240" rx="52" fill="none" stroke="#ffffff" stroke-opacity="0.10" stroke-width="3"/>
{disk_mark(124, 132, 2.2)}
'''
    write("icons/quorvane.svg", body, 256, 256)


def splash():
    w, h = 560, 320
    body = f'''
<defs>
  <linearGradient id="bg" x1="0" y1="0" x2="1" y2="1">
    <stop offset="0" stop-color="{NAVY_0}"/>
    <stop offset="0.55" stop-color="{NAVY_2}"/>
    <stop offset="1" stop-color="{NAVY_3}"/>
  </linearGradient>
  <radialGradient id="glow" cx="0.22" cy="0.45" r="0.5">
    <stop offset="0" stop-color="{TEAL}" stop-opacity="0.35"/>
    <stop offset="1" stop-color="{TEAL}" stop-opacity="0"/>
  </radialGradient>
</defs>
<rect width="{w}" height="{h}" fill="url(#bg)"/>
<rect width="{w}" height="{h}" fill="url(#glow)"/>
<g fill="none" stroke="#ffffff" stroke-opacity="0.05" stroke-width="1.2">
  <circle cx="130" cy="150" r="120"/>
  <circle cx="130" cy="150" r="160"/>
  <circle cx="130" cy="150" r="200"/>
</g>
{disk_mark(130, 150, 1.45)}
<text x="250" y="140" font-family="{FONT}" font-size="44" font-weight="bold" fill="#ffffff">Quorvane</text>
<text x="252" y="174" font-family="{FONT}" font-size="17" fill="#cfe3ee">Data Recovery Wizard</text>
<rect x="252" y="192" width="64" height="3" rx="1.5" fill="{TEAL_LIGHT}"/>
<text x="252" y="222" font-family="{FONT}" font-size="12" fill="#9fb7ca">Reads your disk sector by sector.</text>
<text x="252" y="240" font-family="{FONT}" font-size="12" fill="#9fb7ca">Never writes to it.</text>
<rect x="0.5" y="0.5" width="{w - 1}" height="{h - 1}" fill="none" stroke="#ffffff" stroke-opacity="0.12"/>
'''
    write("splash.svg", body, w, h)


def notice_picture():
    body = f'''
<circle cx="32" cy="32" r="30" fill="{AMBER}"/>
<circle cx="32" cy="32" r="30" fill="none" stroke="{AMBER_DARK}" stroke-width="2"/>
<rect x="28.5" y="14" width="7" height="24" rx="3.5" fill="{NAVY_1}"/>
<circle cx="32" cy="47" r="4.5" fill="{NAVY_1}"/>
'''
    write("notice.svg", body, 64, 64)


def header_mark():
    body = disk_mark(24, 24, 0.5)
    write("icons/mark.svg", body, 48, 48)


# ------------------------------------------------------------ tree images
def folder(fill, tab, extra=""):
    return f'''
<path d="M1.5 4 Q1.5 2.5 3 2.5 H6.2 L7.7 4 H13 Q14.5 4 14.5 5.5 V12.5 Q14.5 14 13 14 H3 Q1.5 14 1.5 12.5 Z" fill="{tab}"/>
<path d="M1.5 6 H14.5 V12.5 Q14.5 14 13 14 H3 Q1.5 14 1.5 12.5 Z" fill="{fill}"/>
{extra}'''


def open_folder(fill, tab):
    return f'''
<path d="M1.5 4 Q1.5 2.5 3 2.5 H6.2 L7.7 4 H12.5 Q14 4 14 5.5 V7 H1.5 Z" fill="{tab}"/>
<path d="M1.5 13.5 L3.6 7.2 Q3.9 6.5 4.7 6.5 H15 Q15.8 6.5 15.5 7.3 L13.5 13 Q13.2 14 12.3 14 H2.3 Q1.3 14 1.5 13.5 Z" fill="{fill}"/>
<path d="M1.5 4 V13.5" stroke="{tab}" stroke-width="1.2"/>'''


def drive(accent=TEAL):
    return f'''
<rect x="1.5" y="4.5" width="13" height="8" rx="2" fill="#dfe7ee" stroke="#8ea3b7"/>
<rect x="3" y="9.5" width="6" height="1.4" rx="0.7" fill="#9fb1c2"/>
<circle cx="12" cy="10.2" r="1.1" fill="{accent}"/>'''


TREE = [
    # 0 file system: stacked volume
    ("fs", f'''
<rect x="2" y="2.5" width="12" height="4" rx="1.5" fill="{TEAL_LIGHT}"/>
<rect x="2" y="7" width="12" height="3" rx="1.2" fill="{TEAL}"/>
<rect x="2" y="10.5" width="12" height="3" rx="1.2" fill="{TEAL_DARK}"/>
<circle cx="11.8" cy="4.5" r="0.9" fill="#ffffff"/>'''),
    # 1 disk or partition
    ("drive", drive()),
    # 2 root: a computer
    ("root", f'''
<rect x="1.5" y="2" width="13" height="9" rx="1.5" fill="{NAVY_2}" stroke="{NAVY_1}"/>
<rect x="3" y="3.5" width="10" height="6" rx="0.6" fill="{TEAL_LIGHT}"/>
<path d="M6 11.5 L5 14 H11 L10 11.5 Z" fill="#8ea3b7"/>'''),
    # 3 folder
    ("folder", folder(AMBER, AMBER_DARK)),
    # 4 deleted folder
    ("folder-deleted", folder("#c5ced6", "#9aa8b5",
     f'<path d="M9.5 8 L13 11.5 M13 8 L9.5 11.5" stroke="{RED}" stroke-width="1.6" stroke-linecap="round"/>')),
    # 5 lost folder
    ("folder-lost", folder("#b9c9e0", "#8aa0bf",
     '<text x="8" y="13" font-family="DejaVu Sans, sans-serif" font-size="7.5" font-weight="bold" '
     f'text-anchor="middle" fill="{NAVY_2}">?</text>')),
    # 6 floppy
    ("floppy", f'''
<path d="M2 3 Q2 2 3 2 H11.5 L14 4.5 V13 Q14 14 13 14 H3 Q2 14 2 13 Z" fill="{SLATE}"/>
<rect x="4.5" y="2" width="6" height="4" fill="#dfe7ee"/>
<rect x="8.5" y="2.7" width="1.3" height="2.6" fill="{SLATE}"/>
<rect x="4" y="8.5" width="8" height="5.5" rx="0.6" fill="#f2f5f8"/>'''),
    # 7 the current folder: open
    ("folder-open", open_folder("#f3c766", AMBER_DARK)),
]


def tree_images():
    for i, (name, body) in enumerate(TREE):
        write(f"tree/{i}-{name}.svg", body, 16, 16)


def state_images():
    box = '<rect x="1.5" y="1.5" width="10" height="10" rx="2.2" fill="#ffffff" stroke="#7f93a6"/>'
    write("state/0-none.svg", "", 13, 13)
    write("state/1-unchecked.svg", box, 13, 13)
    write("state/2-checked.svg", f'''
<rect x="1.5" y="1.5" width="10" height="10" rx="2.2" fill="{TEAL}" stroke="{TEAL_DARK}"/>
<path d="M3.8 6.6 L5.7 8.5 L9.4 4.6" fill="none" stroke="#ffffff" stroke-width="1.7" stroke-linecap="round" stroke-linejoin="round"/>''', 13, 13)
    write("state/3-partly.svg", f'''
{box}
<rect x="4" y="4" width="5" height="5" rx="1" fill="{TEAL}"/>''', 13, 13)


# ------------------------------------------------------------- list icons
def page(band, glyph=""):
    return f'''
<path d="M3 1.5 H10 L13.5 5 V14.5 H3 Z" fill="#ffffff" stroke="#93a5b6"/>
<path d="M10 1.5 V5 H13.5" fill="#e3e9ef" stroke="#93a5b6" stroke-linejoin="round"/>
<rect x="3.5" y="9" width="9.5" height="5" fill="{band}"/>
{glyph}'''


def lines(color="#b3c1ce", top=5.5):
    return f'<path d="M5 {top} H9 M5 {top + 1.8} H11.5" stroke="{color}" stroke-width="1"/>'


def letter(ch, color="#ffffff", size=5.2):
    return (f'<text x="8.25" y="13.3" font-family="DejaVu Sans, sans-serif" font-size="{size}" '
            f'font-weight="bold" text-anchor="middle" fill="{color}">{ch}</text>')


LIST = [
    ("folder", folder(AMBER, AMBER_DARK)),
    ("details", f'''
<circle cx="8" cy="8" r="6.5" fill="{SLATE}"/>
<rect x="7.2" y="7" width="1.6" height="5" rx="0.8" fill="#ffffff"/>
<circle cx="8" cy="4.8" r="1" fill="#ffffff"/>'''),
    ("archive", page("#8d6fb5", lines() + '<path d="M8 9 V14" stroke="#ffffff" stroke-width="1" stroke-dasharray="1 1"/>')),
    ("spreadsheet", page("#3f9a5b", lines() + letter("X"))),
    ("document", page("#3b74c4", lines() + letter("W"))),
    ("presentation", page("#d7723d", lines() + letter("P"))),
    ("picture", page("#4aa3b8", '<path d="M4 13.5 L7 10.5 L9 12 L11 10 L13 13.5 Z" fill="#ffffff"/><circle cx="6.5" cy="6" r="1.3" fill="#e9b44c"/>')),
    ("program", f'''
<rect x="1.5" y="2.5" width="13" height="11" rx="1.5" fill="#ffffff" stroke="#93a5b6"/>
<rect x="1.5" y="2.5" width="13" height="3" rx="1.5" fill="{SLATE}"/>
<path d="M4.5 8 L6.5 9.7 L4.5 11.4 M8 11.4 H11" stroke="{SLATE}" stroke-width="1.2" fill="none" stroke-linecap="round"/>'''),
    ("font", page("#6c7f93", lines() + letter("A"))),
    ("source", page("#5a5fb8", lines() + '<path d="M6.5 10 L5 11.5 L6.5 13 M10 10 L11.5 11.5 L10 13" stroke="#ffffff" stroke-width="1" fill="none"/>')),
    ("deleted-file", page("#a9b5c0", lines() + f'<path d="M6 9.8 L10.5 13.6 M10.5 9.8 L6 13.6" stroke="{RED}" stroke-width="1.3" stroke-linecap="round"/>')),
    ("header", page("#7a7fc4", lines() + letter("H"))),
    ("web", f'''
<circle cx="8" cy="8" r="6.3" fill="#e8f3f7" stroke="{TEAL_DARK}"/>
<ellipse cx="8" cy="8" rx="2.6" ry="6.3" fill="none" stroke="{TEAL_DARK}" stroke-width="0.9"/>
<path d="M1.9 8 H14.1 M3 4.8 H13 M3 11.2 H13" stroke="{TEAL_DARK}" stroke-width="0.9"/>'''),
    ("help", f'''
<circle cx="8" cy="8" r="6.5" fill="{TEAL}"/>
<text x="8" y="11.4" font-family="DejaVu Sans, sans-serif" font-size="9.5" font-weight="bold" text-anchor="middle" fill="#ffffff">?</text>'''),
    ("data", f'''
<ellipse cx="8" cy="4" rx="5.5" ry="2" fill="{SLATE}"/>
<path d="M2.5 4 V12 Q8 15 13.5 12 V4 Q8 7 2.5 4 Z" fill="#5d83a6"/>
<path d="M2.5 8 Q8 11 13.5 8" stroke="#ffffff" stroke-opacity="0.5" fill="none"/>'''),
    ("pdf", page("#c8453c", lines() + letter("PDF", size=3.6))),
    ("registry", f'''
<rect x="2" y="2" width="5.5" height="5.5" rx="1" fill="#3b74c4"/>
<rect x="8.5" y="2" width="5.5" height="5.5" rx="1" fill="{TEAL}"/>
<rect x="2" y="8.5" width="5.5" height="5.5" rx="1" fill="{AMBER}"/>
<rect x="8.5" y="8.5" width="5.5" height="5.5" rx="1" fill="#8d6fb5"/>'''),
    ("sound", page("#b35c9e", '<path d="M6 13 V10.2 L10.5 9.5 V12.3" stroke="#ffffff" stroke-width="0.9" fill="none"/><circle cx="5.5" cy="13" r="1" fill="#ffffff"/><circle cx="10" cy="12.4" r="1" fill="#ffffff"/>' + lines())),
    ("video", page("#2f6f9f", lines() + '<path d="M7 9.8 L10.6 11.5 L7 13.2 Z" fill="#ffffff"/>')),
    ("file", page("#8ea3b7", lines())),
    ("text", page("#ffffff", lines(top=5.5) + '<path d="M5 10.5 H11.5 M5 12.3 H10" stroke="#b3c1ce" stroke-width="1"/>')),
]


def list_icons():
    for i, (name, body) in enumerate(LIST):
        write(f"list/{i:02d}-{name}.svg", body, 16, 16)


def main():
    buttons()
    main_background()
    dialog_background("dialog", 480, 300)
    dialog_background("settings", 520, 420)
    dialog_background("about", 460, 320)
    app_icon()
    header_mark()
    splash()
    notice_picture()
    tree_images()
    state_images()
    list_icons()
    return 0


if __name__ == "__main__":
    sys.exit(main())
