#!/usr/bin/python3
"""The skin's text colours read against the surfaces the art puts them on:
helper text at 4.5:1 or more (WCAG's figure for small text), measured on the
lightest pixel of each surface as the generator draws it.

usage: test_art_contrast.py   (needs Pillow, as the generator does)
"""
import os
import sys
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "skin"))

import skinkit  # noqa: E402
from skinkit import Rect  # noqa: E402

MINIMUM = 4.5


def luminance(colour):
    def linear(c):
        c /= 255.0
        return c / 12.92 if c <= 0.03928 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (linear(c) for c in colour[:3])
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    light, dark = sorted((luminance(a), luminance(b)), reverse=True)
    return (light + 0.05) / (dark + 0.05)


def lightest(img):
    """The pixel of an image with the highest luminance: where text reads worst."""
    return max(img.convert("RGB").getdata(), key=luminance)


def surfaces():
    """Each surface helper text is drawn on, as the generator draws it."""
    page = skinkit.backdrop(1062, 554)
    card = skinkit.backdrop(300, 200)
    skinkit.card(card, Rect(20, 20, 260, 160))
    level = skinkit.backdrop(300, 200)
    skinkit.rounded_box(level, Rect(20, 20, 260, 160), 14, gradient=((36, 36, 38), (24, 24, 25)))
    popup = skinkit.backdrop(300, 200, top=(36, 36, 38), bottom=(22, 22, 23))
    return {
        "page backdrop": page,
        "card": card.crop((40, 40, 260, 170)),
        "level box": level.crop((40, 40, 260, 170)),
        "pop-up": popup,
    }


class ArtContrast(unittest.TestCase):
    def test_helper_text_reads_on_every_surface(self):
        texts = {"muted helper text": skinkit.TEXT_MUTED, "soft text": skinkit.TEXT_SOFT, "text": skinkit.TEXT}
        for surface, img in surfaces().items():
            background = lightest(img)
            for name, colour in texts.items():
                with self.subTest(surface=surface, text=name):
                    ratio = contrast(colour, background)
                    self.assertGreaterEqual(ratio, MINIMUM, f"{name} {colour} on {background}: {ratio:.2f}:1")

    def test_the_measure_itself(self):
        self.assertAlmostEqual(contrast((0, 0, 0), (255, 255, 255)), 21.0, places=3)
        self.assertAlmostEqual(contrast((118, 118, 118), (255, 255, 255)), 4.54, places=2)


if __name__ == "__main__":
    unittest.main()
