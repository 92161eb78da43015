#!/usr/bin/python3
"""Draws the installer's two bitmaps in the skin's look, with the Korvid mark:
  wizard.bmp  164 x 314, the left panel of the welcome and finish pages
  header.bmp  150 x 57, the right end of the other pages' white header

usage: installer_art.py --out FOLDER
"""
import argparse
import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "skin"))

from PIL import Image  # noqa: E402

from mark import draw_mark  # noqa: E402
from skinkit import (BG_BOTTOM, BG_TOP, GOLD, GOLD_DEEP, INK, TEXT, TEXT_SOFT, Rect, draw_text,  # noqa: E402
                     fade_hline, font, glow, text_width, vgradient)

WIZARD_SIZE = (164, 314)
HEADER_SIZE = (150, 57)
WHITE = (255, 255, 255)


def wizard():
    w, h = WIZARD_SIZE
    img = vgradient(w, h, BG_TOP, BG_BOTTOM).convert("RGBA")
    mark = Rect((w - 84) // 2, 58, 84, 84)
    glow(img, mark, 42, GOLD, strength=28, spread=3.0)
    draw_mark(img, mark, GOLD)
    title = font("bold", 22)
    draw_text(img, (w / 2, 176), "KORVID", title, TEXT, "mm", tracking=3)
    fade_hline(img, 22, w - 22, 196, GOLD_DEEP)
    draw_text(img, (w / 2, 212), "Configuration Software", font("regular", 12), TEXT_SOFT, "mm")
    # A gold edge where the panel meets the page's white.
    for x in (w - 2, w - 1):
        for y in range(h):
            img.putpixel((x, y), GOLD_DEEP + (255,) if x == w - 2 else GOLD + (255,))
    return img.convert("RGB")


def header():
    w, h = HEADER_SIZE
    img = Image.new("RGBA", (w, h), WHITE + (255,))
    size = 38
    mark = Rect(w - size - 10, (h - size) // 2, size, size)
    draw_mark(img, mark, GOLD_DEEP)
    word = font("bold", 17)
    draw_text(img, (mark.x - 8 - text_width("KORVID", word, 2), h / 2 + 0.5), "KORVID", word, INK, "lm",
              tracking=2)
    return img.convert("RGB")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    wizard().save(os.path.join(args.out, "wizard.bmp"))
    header().save(os.path.join(args.out, "header.bmp"))


if __name__ == "__main__":
    main()
