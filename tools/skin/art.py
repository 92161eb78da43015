"""Illustrations: the mouse drawings and the small tab icons."""
import math

from PIL import Image, ImageChops, ImageDraw

from skinkit import (GOLD, INK, TEXT_MUTED, TEXT_SOFT, Rect, aa_draw, aa_layer, draw_text, font,
                     rgba, shape_mask, soft_shadow, stroke, vgradient)
from mark import draw_mark


def mouse_outline(w, h, steps=240):
    """Top view outline of a mouse filling w x h, front at the top."""
    pts = []
    n = 2.7
    for i in range(steps):
        t = 2 * math.pi * i / steps
        c, s = math.cos(t), math.sin(t)
        y = math.copysign(abs(s) ** (2 / n), s)          # -1 front, 1 rear
        bulge = 1 - ((y - 0.25) / 1.4) ** 2
        half = 0.5 * w * (0.80 + 0.20 * bulge)
        x = math.copysign(abs(c) ** (2 / n), c) * half
        pts.append((w / 2 + x, h / 2 + y * h / 2))
    return pts


def _draw_body(d, s, w, h):
    d.polygon([(x * s, y * s) for x, y in mouse_outline(w, h)], fill=255)


def _split_y(w, h, x):
    """Rear edge of the main buttons at local x."""
    u = (x - w / 2) / (w / 2)
    return h * (0.40 + 0.035 * u * u)


def draw_mouse(img, rect, callouts=None):
    """Detailed mouse for the button page.  callouts maps a part name to
    the (x, y) sheet position of its numbered marker."""
    w, h = rect.w, rect.h
    # Shadow and faint gold halo under the body.
    body_mask = shape_mask(rect, lambda d, s: _draw_body(d, s, w, h))
    soft_shadow(img, rect, body_mask, (0, 0, 0), blur_radius=16, strength=150, drop=12, margin=40)
    soft_shadow(img, rect, body_mask, GOLD, blur_radius=22, strength=40, margin=40)
    aa_layer(img, rect, lambda layer, s: _paint_mouse(layer, s, w, h))
    mark = int(w * 0.20)
    draw_mark(img, Rect(int(rect.x + w / 2 - mark / 2), int(rect.y + h * 0.66), mark, mark),
              GOLD)

    if callouts:
        anchors = {
            "left": (rect.x + w * 0.27, rect.y + h * 0.16),
            "right": (rect.x + w * 0.73, rect.y + h * 0.16),
            "middle": (rect.x + w / 2, rect.y + h * 0.185),
            "forward": (rect.x + w * 0.07, rect.y + h * 0.48),
            "back": (rect.x + w * 0.07, rect.y + h * 0.605),
        }
        for number, (part, marker) in enumerate(callouts, start=1):
            _callout(img, anchors[part], marker, number)


def _paint_mouse(layer, s, w, h):
    """The mouse's body of logical size w x h onto a layer, s its pixels per
    logical pixel."""
    body_big = Image.new("L", layer.size, 0)
    _draw_body(ImageDraw.Draw(body_big), s, w, h)
    body = vgradient(*layer.size, (58, 58, 61), (22, 22, 24))
    layer.paste(body, (0, 0), body_big)
    d = ImageDraw.Draw(layer)

    # Main buttons: lighter panels in front of the split line, with a gap
    # down the middle.
    gap = 2.2
    buttons = Image.new("L", layer.size, 0)
    bd = ImageDraw.Draw(buttons)
    edge = [(x, _split_y(w, h, x)) for x in [w * i / 40 for i in range(41)]]
    bd.polygon([(0, 0), (layer.size[0], 0)] + [(x * s, y * s) for x, y in reversed(edge)], fill=255)
    bd.rectangle(((w / 2 - gap) * s, 0, (w / 2 + gap) * s, layer.size[1]), fill=0)
    buttons = ImageChops.multiply(buttons, body_big)
    panel = vgradient(*layer.size, (74, 74, 78), (40, 40, 43))
    layer.paste(panel, (0, 0), buttons)
    # Split line and centre groove.
    d.line([(x * s, (y + 1.2) * s) for x, y in edge], fill=(12, 12, 12, 255), width=int(2.2 * s))

    # Wheel.
    ww, wh = w * 0.10, h * 0.15
    wx, wy = w / 2 - ww / 2, h * 0.11
    d.rounded_rectangle(((wx - 3) * s, (wy - 3) * s, (wx + ww + 3) * s, (wy + wh + 3) * s),
                        radius=(ww / 2 + 3) * s, fill=(14, 14, 15, 255))
    d.rounded_rectangle((wx * s, wy * s, (wx + ww) * s, (wy + wh) * s), radius=ww / 2 * s,
                        fill=(36, 36, 38, 255), outline=rgba(GOLD), width=int(1.3 * s))
    for i in range(1, 7):
        y = wy + wh * i / 7
        d.line(((wx + 3) * s, y * s, (wx + ww - 3) * s, y * s), fill=(70, 70, 74, 255),
               width=int(1 * s))

    # Side buttons on the thumb side.
    for top, bottom in ((0.43, 0.53), (0.555, 0.655)):
        x0 = w * 0.035 + (1 - 0.9) * 4
        d.rounded_rectangle(((x0) * s, h * top * s, (x0 + w * 0.075) * s, h * bottom * s),
                            radius=w * 0.035 * s, fill=(82, 82, 86, 255),
                            outline=(20, 20, 21, 255), width=int(1.2 * s))

    # Rim light.
    outline = [(x * s, y * s) for x, y in mouse_outline(w, h)]
    d.line(outline + [outline[0]], fill=(110, 110, 116, 255), width=int(1.3 * s))


def _callout(img, anchor, marker, number):
    r = 11
    ax, ay = anchor
    mx, my = marker
    dist = math.hypot(mx - ax, my - ay)
    ex, ey = mx - (mx - ax) * r / dist, my - (my - ay) * r / dist
    left, top = int(min(ax, mx) - r - 4), int(min(ay, my) - r - 4)
    box = Rect(left, top, int(max(ax, mx) + r + 4) - left, int(max(ay, my) + r + 4) - top)

    def draw(d, s):
        stroke(d, s, [(ax - left, ay - top), (ex - left, ey - top)], rgba(GOLD, 170), 1.1)
        d.ellipse(((ax - left - 3) * s, (ay - top - 3) * s, (ax - left + 3) * s, (ay - top + 3) * s),
                  fill=rgba(GOLD), outline=rgba(INK), width=int(1.2 * s))
        d.ellipse(((mx - left - r) * s, (my - top - r) * s, (mx - left + r) * s, (my - top + r) * s),
                  fill=(24, 24, 25, 255), outline=rgba(GOLD), width=int(1.5 * s))
    aa_draw(img, box, draw)
    draw_text(img, (mx, my + 0.5), str(number), font("bold", 12), GOLD, "mm")


def number_badge(img, cx, cy, number, lit=True):
    r = 10
    box = Rect(int(cx - r - 1), int(cy - r - 1), 2 * r + 2, 2 * r + 2)

    def draw(d, s):
        d.ellipse((1 * s, 1 * s, (2 * r + 1) * s, (2 * r + 1) * s), fill=(24, 24, 25, 255),
                  outline=rgba(GOLD if lit else TEXT_MUTED), width=int(1.4 * s))
    aa_draw(img, box, draw)
    draw_text(img, (cx, cy + 0.5), str(number), font("bold", 11), GOLD if lit else TEXT_SOFT, "mm")


def draw_unplugged_mouse(img, rect):
    """Line drawing of a mouse whose cable is pulled out of a port."""
    w, h = rect.w, rect.h
    mw, mh = int(w * 0.52), int(h * 0.62)
    mx, my = (w - mw) / 2, h - mh - 4

    def draw(d, s):
        grey = (120, 120, 126, 255)
        outline = [((mx + x) * s, (my + y) * s) for x, y in mouse_outline(mw, mh)]
        d.polygon(outline, fill=(30, 30, 32, 255))
        d.line(outline + [outline[0]], fill=grey, width=int(2.2 * s))
        split = [((mx + x) * s, (my + _split_y(mw, mh, x)) * s)
                 for x in [mw * i / 30 for i in range(31)]]
        d.line(split, fill=grey, width=int(1.6 * s))
        d.line(((mx + mw / 2) * s, (my + 2) * s, (mx + mw / 2) * s, (my + mh * 0.40) * s),
               fill=grey, width=int(1.6 * s))
        ww, wh = mw * 0.11, mh * 0.15
        d.rounded_rectangle(((mx + mw / 2 - ww / 2) * s, (my + mh * 0.11) * s,
                             (mx + mw / 2 + ww / 2) * s, (my + mh * 0.11 + wh) * s),
                            radius=ww / 2 * s, fill=(30, 30, 32, 255), outline=rgba(GOLD),
                            width=int(1.6 * s))
        # Cable rising from the front to a plug.
        cx = mx + mw / 2
        cable = [(cx + math.sin(t / 10 * math.pi) * 14, my - t * (my - h * 0.30) / 10)
                 for t in range(11)]
        stroke(d, s, cable, grey, 2.2)
        px, py = cable[-1]
        d.rounded_rectangle(((px - 9) * s, (py - 22) * s, (px + 9) * s, py * s), radius=2 * s,
                            fill=(44, 44, 47, 255), outline=grey, width=int(1.6 * s))
        d.rectangle(((px - 6) * s, (py - 31) * s, (px + 6) * s, (py - 22) * s),
                    outline=grey, width=int(1.6 * s))
        # Port, with a dashed gap to the plug.
        d.rounded_rectangle(((px - 12) * s, 4 * s, (px + 12) * s, 20 * s), radius=3 * s,
                            outline=rgba(GOLD), width=int(1.8 * s))
        d.rectangle(((px - 7) * s, 9 * s, (px + 7) * s, 15 * s), fill=rgba(GOLD))
        for k in range(3):
            y = 26 + k * 6
            d.line((px * s, y * s, px * s, (y + 3) * s), fill=rgba(GOLD, 200), width=int(1.6 * s))
    aa_draw(img, rect, draw)


def tab_icon(img, rect, kind, colour):
    """Icons of the main window's page buttons, about 22 px."""
    c = rgba(colour)

    def draw(d, s):
        w, h = rect.w, rect.h
        lw = 1.7
        if kind == "mouse":
            bw, bh = w * 0.50, h * 0.84
            x0, y0 = (w - bw) / 2, (h - bh) / 2
            d.rounded_rectangle((x0 * s, y0 * s, (x0 + bw) * s, (y0 + bh) * s),
                                radius=bw / 2 * s, outline=c, width=int(lw * s))
            stroke(d, s, [(w / 2, y0 + 3.5), (w / 2, y0 + 7.5)], c, lw)
            stroke(d, s, [(x0 + 0.8, y0 + bh * 0.42), (x0 + bw - 0.8, y0 + bh * 0.42)], c, lw * 0.8)
        elif kind == "sliders":
            for i, knob in enumerate((0.32, 0.68, 0.45)):
                y = h * (0.22 + 0.28 * i)
                stroke(d, s, [(w * 0.12, y), (w * 0.88, y)], c, lw * 0.9)
                x = w * knob
                d.ellipse(((x - 3.2) * s, (y - 3.2) * s, (x + 3.2) * s, (y + 3.2) * s),
                          fill=(26, 26, 26, 255), outline=c, width=int(lw * s))
        elif kind == "refresh":
            r = w * 0.34
            cx, cy = w / 2, h / 2
            for start in (200, 20):
                pts = [(cx + r * math.cos(math.radians(a)), cy + r * math.sin(math.radians(a)))
                       for a in range(start, start + 141, 10)]
                stroke(d, s, pts, c, lw)
                ex, ey = pts[-1]
                ang = math.radians(start + 140 + 90)
                tip = [(ex + 4.2 * math.cos(ang - 0.9), ey + 4.2 * math.sin(ang - 0.9)),
                       (ex, ey),
                       (ex + 4.2 * math.cos(ang + 0.9 + math.pi), ey + 4.2 * math.sin(ang + 0.9 + math.pi))]
                stroke(d, s, tip, c, lw)
        elif kind == "question":
            r = w * 0.42
            d.ellipse(((w / 2 - r) * s, (h / 2 - r) * s, (w / 2 + r) * s, (h / 2 + r) * s),
                      outline=c, width=int(lw * s))
    aa_draw(img, rect, draw)
    if kind == "question":
        draw_text(img, (rect.cx, rect.cy + 0.5), "?", font("bold", 13), colour, "mm")
