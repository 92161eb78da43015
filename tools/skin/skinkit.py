"""Drawing toolkit shared by every skin sheet: colours, fonts, anti-aliased
shapes, glows, text and the stateful control looks (buttons, toggles, combo
frames, arrows).

All drawing goes onto RGBA images.  Shapes are rendered into a small patch at
SCALE times the size and reduced, so edges are smooth; text is drawn at the
sheet's own size with FreeType's own anti-aliasing.

Every sheet is drawn at a scale step (100 % to 200 %): the callers work in
logical pixels, the pixels of the 100 % sheet, and this toolkit alone turns
them into the pixels of the sheet being drawn (set_scale, then px for
lengths and device for rectangles).  A rectangle's edges land where the
program cuts it: R(edge * scale), R rounding half up.
"""
import contextlib
import math
import os
from collections import namedtuple

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

from sheet_list import SkinError  # noqa: F401  (the generator's failures)

SCALE = 4

# Control states, in the order the sheets of a family are written. BUSY is
# the look of the buttons that write the mouse while a write runs, and its
# sheets also hold the confirmation shown once the write has committed.
NORMAL, OVER, DOWN, OFF, BUSY = "normal", "over", "down", "off", "busy"

# Palette.
GOLD = (253, 196, 21)
GOLD_DEEP = (222, 160, 0)
GOLD_SOFT = (255, 220, 110)
INK = (26, 26, 26)              # the menu background, and text on gold
BG_TOP = (31, 31, 32)
BG_BOTTOM = (19, 19, 20)
CARD_TOP = (37, 37, 38)
CARD_BOTTOM = (29, 29, 30)
CARD_EDGE = (54, 54, 56)
WELL = (16, 16, 17)             # recessed fields the program writes into
WELL_EDGE = (60, 60, 63)
SEPARATOR = (50, 50, 52)
TEXT = (238, 238, 238)
TEXT_SOFT = (178, 178, 180)
TEXT_MUTED = (150, 150, 154)   # small helper text: 4.5:1 on every card and backdrop
TEXT_OFF = (88, 88, 90)
DANGER = (232, 72, 77)

BUTTON_RADIUS = 6
CARD_RADIUS = 10

_scale = 1    # 1 exactly at 100 %, so that drawing there is today's arithmetic


class Rect(namedtuple("Rect", "x y w h")):
    """A control rectangle: left, top, width, height in sheet pixels."""

    @property
    def box(self):
        return (self.x, self.y, self.x + self.w, self.y + self.h)

    @property
    def right(self):
        return self.x + self.w

    @property
    def bottom(self):
        return self.y + self.h

    @property
    def cx(self):
        return self.x + self.w / 2

    @property
    def cy(self):
        return self.y + self.h / 2

    def inset(self, dx, dy=None):
        dy = dx if dy is None else dy
        return Rect(self.x + dx, self.y + dy, self.w - 2 * dx, self.h - 2 * dy)

    def moved(self, dx, dy):
        return Rect(self.x + dx, self.y + dy, self.w, self.h)


def union(*rects):
    left = min(r.x for r in rects)
    top = min(r.y for r in rects)
    right = max(r.right for r in rects)
    bottom = max(r.bottom for r in rects)
    return Rect(left, top, right - left, bottom - top)


# ---------------------------------------------------------------- scale -----

def set_scale(percent):
    """Draws from now on at PERCENT (a whole number from 100 up) of the
    logical size."""
    global _scale
    if not isinstance(percent, int) or percent < 100:
        raise SkinError("a scale is a whole percentage from 100 up, not %r" % (percent,))
    _scale = 1 if percent == 100 else percent / 100


@contextlib.contextmanager
def at_scale(percent):
    """set_scale for the duration of a with block."""
    before = _scale
    set_scale(percent)
    try:
        yield
    finally:
        globals()["_scale"] = before


def scale():
    return _scale


def px(length):
    """A logical length (radius, line width, blur) in the sheet's pixels."""
    return length * _scale


def edge(position):
    """A logical position on the sheet's pixel grid: R(position * scale),
    rounded half up as the program rounds (and exact at 100 %)."""
    return int(math.floor(position * _scale + 0.5))


def device(rect):
    """A logical rectangle in the sheet's pixels, edge by edge, so that
    neighbouring rectangles stay neighbours."""
    left, top = edge(rect.x), edge(rect.y)
    return Rect(left, top, edge(rect.right) - left, edge(rect.bottom) - top)


def hairline():
    """Thickness of a one-pixel line at the current scale."""
    return max(1, edge(1))


# ---------------------------------------------------------------- fonts ----

FONT_FILES = {
    "regular": "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
    "bold": "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf",
}


def check_fonts():
    missing = [path for path in FONT_FILES.values() if not os.path.isfile(path)]
    if missing:
        raise SkinError(
            "font file(s) not found: " + ", ".join(missing)
            + " (install the Debian package fonts-liberation)")


_face_cache = {}


class Font(namedtuple("Font", "style size")):
    """A font at a logical size; its face is the FreeType font at the
    current scale."""

    @property
    def face(self):
        key = (self.style, edge(self.size))
        if key not in _face_cache:
            try:
                _face_cache[key] = ImageFont.truetype(FONT_FILES[self.style], key[1])
            except OSError as error:
                raise SkinError("cannot load font %s: %s" % (FONT_FILES[self.style], error))
        return _face_cache[key]


def font(style, size):
    fnt = Font(style, size)
    fnt.face   # a font that cannot load fails here, where it is asked for
    return fnt


def text_width(text, fnt, tracking=0):
    """Logical width of a text line."""
    if not text:
        return 0
    return fnt.face.getlength(text) / _scale + tracking * (len(text) - 1)


def fit_size(texts, max_width, style, largest, smallest):
    """Largest font size in [smallest, largest] at which every text fits."""
    for size in range(largest, smallest - 1, -1):
        if all(text_width(t, font(style, size)) <= max_width for t in texts):
            return size
    raise SkinError("text does not fit in %d px: %r" % (max_width, texts))


# --------------------------------------------------------------- colour ----

def mix(a, b, t):
    """Linear blend of two RGB colours, t = 0 gives a."""
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def rgba(colour, alpha=255):
    return tuple(colour[:3]) + (alpha,)


# ------------------------------------------------------------- surfaces ----

def new_sheet(w, h, colour=INK, alpha=255):
    """A sheet of logical size w x h, filled with colour."""
    return Image.new("RGBA", (edge(w), edge(h)), rgba(colour, alpha))


def vgradient(w, h, top, bottom):
    """Vertical gradient from top colour to bottom colour (RGB tuples), w x h
    pixels."""
    column = Image.new("RGBA", (1, max(h, 1)))
    for y in range(h):
        t = y / (h - 1) if h > 1 else 0
        column.putpixel((0, y), rgba(mix(top, bottom, t)))
    return column.resize((max(w, 1), max(h, 1)), Image.NEAREST)


def put(img, layer, xy, mask=None):
    """Alpha-composites an RGBA layer onto img at integer pixel position xy,
    optionally limited by an extra coverage mask."""
    if mask is not None:
        alpha = ImageChops.multiply(layer.getchannel("A"), mask)
        layer = layer.copy()
        layer.putalpha(alpha)
    img.alpha_composite(layer, dest=(int(xy[0]), int(xy[1])))


def solid(w, h, colour, alpha=255):
    """A w x h pixel layer of one colour."""
    return Image.new("RGBA", (w, h), rgba(colour, alpha))


def fill_gradient(img, rect, top, bottom, mask=None):
    """Vertical gradient over a logical rect, optionally through a mask of
    its pixel size."""
    area = device(rect)
    put(img, vgradient(area.w, area.h, top, bottom), (area.x, area.y), mask)


def copy_area(img, source, rect):
    """Copies source's pixels (a sheet of img's size) inside a logical rect."""
    area = device(rect)
    put(img, source.crop(area.box), (area.x, area.y))


def see_through(img, rect, mask):
    """Lowers img's opacity by a mask (of rect's pixel size) at a logical rect."""
    area = device(rect)
    alpha = img.getchannel("A")
    alpha.paste(ImageChops.subtract(alpha.crop(area.box), mask), area.box)
    img.putalpha(alpha)


# --------------------------------------------------------------- masks -----

def _reduce(big, size):
    return big.resize(size, Image.LANCZOS)


def _shape_mask(w, h, draw_fn):
    """Coverage mask of w x h pixels; draw_fn(draw, s) paints white into a
    mask SCALE times larger, s being the factor to apply."""
    big = Image.new("L", (w * SCALE, h * SCALE), 0)
    draw_fn(ImageDraw.Draw(big), SCALE)
    return _reduce(big, (w, h))


def _rounded_mask(w, h, radius, inset=0.0):
    """Rounded rectangle filling w x h pixels less inset; all in pixels."""
    def draw(d, s):
        d.rounded_rectangle(
            (inset * s, inset * s, (w - inset) * s - 1, (h - inset) * s - 1),
            radius=max(radius * s, 0), fill=255)
    return _shape_mask(w, h, draw)


def _ring_mask(w, h, radius, width, inset=0.0):
    outer = _rounded_mask(w, h, radius, inset)
    inner = _rounded_mask(w, h, max(radius - width, 0), inset + width)
    return ImageChops.subtract(outer, inner)


def shape_mask(rect, draw_fn):
    """Coverage mask of a logical rect's pixels; draw_fn(draw, s) paints
    white in the rect's local logical coordinates times s."""
    area = device(rect)
    big = Image.new("L", (area.w * SCALE, area.h * SCALE), 0)
    draw_fn(ImageDraw.Draw(big), SCALE * _scale)
    return _reduce(big, (area.w, area.h))


def rounded_mask(rect, radius, inset=0.0, extend=0):
    """Coverage of a rounded rectangle filling a logical rect less inset;
    extend reaches that many logical pixels below the rect, leaving its
    bottom corners square."""
    area = device(rect)
    if not extend:
        return _rounded_mask(area.w, area.h, px(radius), px(inset))
    return _rounded_mask(area.w, area.h + edge(extend), px(radius), px(inset)).crop(
        (0, 0, area.w, area.h))


def ring_mask(rect, radius, width, inset=0.0):
    """Coverage of a rounded ring of a logical width inside a logical rect."""
    area = device(rect)
    return _ring_mask(area.w, area.h, px(radius), px(width), px(inset))


def area_mask(rect, parts):
    """Full coverage of the parts (logical rects) in a mask of rect's pixels."""
    area = device(rect)
    mask = Image.new("L", (area.w, area.h), 0)
    for part in map(device, parts):
        mask.paste(255, (part.x - area.x, part.y - area.y, part.right - area.x, part.bottom - area.y))
    return mask


def blur(mask, radius):
    """A mask softened by a Gaussian blur of a logical radius."""
    return mask.filter(ImageFilter.GaussianBlur(px(radius)))


def fill_mask(img, rect, mask, fill, alpha=255):
    """Paints fill (an RGB colour or a gradient as a (top, bottom) pair)
    through mask (of the rect's pixel size) at a logical rect."""
    area = device(rect)
    if isinstance(fill[0], tuple):
        layer = vgradient(area.w, area.h, *fill)
    else:
        layer = solid(area.w, area.h, fill)
    a = mask if alpha == 255 else mask.point(lambda v: v * alpha // 255)
    put(img, layer, (area.x, area.y), a)


def rounded_box(img, rect, radius, fill=None, outline=None, width=1,
                gradient=None, outline_alpha=255):
    """Rounded rectangle, anti-aliased: a fill (colour, or gradient as a
    (top, bottom) pair) and an optional outline."""
    if rect.w <= 0 or rect.h <= 0:
        return
    body = rounded_mask(rect, radius)
    if gradient is not None:
        fill_mask(img, rect, body, gradient)
    elif fill is not None:
        fill_mask(img, rect, body, fill)
    if outline is not None:
        fill_mask(img, rect, ring_mask(rect, radius, width), outline, outline_alpha)


def glow(img, rect, radius, colour, strength=140, spread=3.0, clip=None):
    """Soft halo of colour around a rounded rect, drawn into the area of
    clip (default: rect grown by the spread, which callers keep inside the
    control's own rectangle)."""
    area = clip or rect.inset(-int(math.ceil(spread * 2)))
    shape = device(rect)
    pixels = device(area)
    mask = Image.new("L", (pixels.w, pixels.h), 0)
    mask.paste(rounded_mask(rect, radius), (shape.x - pixels.x, shape.y - pixels.y))
    mask = blur(mask, spread)
    mask = mask.point(lambda v: min(255, v * strength // 128))
    fill_mask(img, area, mask, colour)


def soft_shadow(img, rect, mask, colour, blur_radius, strength, drop=0, margin=40):
    """A blurred copy of mask (a shape of rect's pixel size) in colour,
    moved drop logical pixels down, in an area margin around rect."""
    shape = device(rect)
    area = rect.inset(-margin)
    pixels = device(area)
    shade = Image.new("L", (pixels.w, pixels.h), 0)
    shade.paste(mask, (shape.x - pixels.x, shape.y - pixels.y + edge(drop)))
    shade = blur(shade, blur_radius).point(lambda v: v * strength // 255)
    fill_mask(img, area, shade, colour)


def hline(img, x0, x1, y, colour, alpha=255):
    """A one-pixel line from logical x0 to x1 at y."""
    left = edge(x0)
    layer = solid(max(edge(x1) - left, 1), hairline(), colour, alpha)
    put(img, layer, (left, edge(y)))


def vline(img, x, y0, y1, colour, alpha=255):
    """A one-pixel line from logical y0 to y1 at x."""
    top = edge(y0)
    layer = solid(hairline(), max(edge(y1) - top, 1), colour, alpha)
    put(img, layer, (edge(x), top))


def fade_hline(img, x0, x1, y, colour, alpha=255):
    """Horizontal hairline that fades out towards both ends."""
    left = edge(x0)
    w = edge(x1) - left
    row = Image.new("RGBA", (w, 1))
    for x in range(w):
        t = x / max(w - 1, 1)
        a = int(alpha * min(1.0, 4 * min(t, 1 - t)))
        row.putpixel((x, 0), rgba(colour, a))
    put(img, row.resize((w, hairline()), Image.NEAREST), (left, edge(y)))


# ---------------------------------------------------------------- paths -----

def aa_layer(img, rect, paint):
    """Runs paint(layer, s) on a transparent RGBA layer SCALE times the pixel
    size of a logical rect (coordinates local to rect, logical, multiplied by
    s) and composites the reduced layer onto img."""
    area = device(rect)
    big = Image.new("RGBA", (area.w * SCALE, area.h * SCALE), (0, 0, 0, 0))
    paint(big, SCALE * _scale)
    put(img, _reduce(big, (area.w, area.h)), (area.x, area.y))


def aa_draw(img, rect, draw_fn):
    """aa_layer with draw_fn(draw, s) given an ImageDraw of the layer."""
    aa_layer(img, rect, lambda layer, s: draw_fn(ImageDraw.Draw(layer), s))


def stroke(d, s, points, colour, width):
    """Polyline with round joins and caps, in local unscaled coordinates."""
    pts = [(x * s, y * s) for x, y in points]
    w = max(int(round(width * s)), 1)
    d.line(pts, fill=colour, width=w, joint="curve")
    r = w / 2
    for x, y in (pts[0], pts[-1]):
        d.ellipse((x - r, y - r, x + r, y + r), fill=colour)


def glyph(img, rect, kind, colour, size=None, width=None):
    """Small line icons centred in rect: chevron_down, chevron_up, check,
    cross, minus, plus."""
    size = size or min(rect.w, rect.h) * 0.5
    width = width or max(1.4, size / 5.5)
    cx, cy = rect.w / 2, rect.h / 2
    h = size / 2
    shapes = {
        "chevron_down": [[(cx - h, cy - h / 2), (cx, cy + h / 2), (cx + h, cy - h / 2)]],
        "chevron_up": [[(cx - h, cy + h / 2), (cx, cy - h / 2), (cx + h, cy + h / 2)]],
        "check": [[(cx - h, cy + h * 0.05), (cx - h * 0.3, cy + h * 0.7), (cx + h, cy - h * 0.65)]],
        "cross": [[(cx - h, cy - h), (cx + h, cy + h)], [(cx - h, cy + h), (cx + h, cy - h)]],
        "minus": [[(cx - h, cy), (cx + h, cy)]],
        "plus": [[(cx - h, cy), (cx + h, cy)], [(cx, cy - h), (cx, cy + h)]],
    }

    def draw(d, s):
        for line in shapes[kind]:
            stroke(d, s, line, rgba(colour), width)
    aa_draw(img, rect, draw)


def lock_icon(img, rect, colour):
    """Padlock, for controls whose value is fixed."""
    def draw(d, s):
        w, h = rect.w, rect.h
        bw, bh = w * 0.62, h * 0.42
        bx, by = (w - bw) / 2, h * 0.46
        d.rounded_rectangle((bx * s, by * s, (bx + bw) * s, (by + bh) * s),
                            radius=1.5 * s, fill=rgba(colour))
        sw = w * 0.38
        d.arc(((w - sw) / 2 * s, h * 0.14 * s, (w + sw) / 2 * s, (h * 0.14 + sw * 1.3) * s),
              180, 360, fill=rgba(colour), width=int(1.4 * s))
        d.line((((w - sw) / 2) * s + 0.7 * s, (h * 0.14 + sw * 0.65) * s,
                ((w - sw) / 2) * s + 0.7 * s, by * s), fill=rgba(colour), width=int(1.4 * s))
        d.line((((w + sw) / 2) * s - 0.7 * s, (h * 0.14 + sw * 0.65) * s,
                ((w + sw) / 2) * s - 0.7 * s, by * s), fill=rgba(colour), width=int(1.4 * s))
    aa_draw(img, rect, draw)


# ----------------------------------------------------------------- text -----

def draw_text(img, xy, text, fnt, colour, anchor="la", tracking=0, alpha=255):
    """Text at logical xy with a Pillow anchor; tracking adds logical pixels
    between letters."""
    d = ImageDraw.Draw(img)
    fill = rgba(colour, alpha)
    face = fnt.face
    x, y = px(xy[0]), px(xy[1])
    if not tracking:
        d.text((x, y), text, font=face, fill=fill, anchor=anchor)
        return
    total = px(text_width(text, fnt, tracking))
    if anchor[0] == "m":
        x -= total / 2
    elif anchor[0] == "r":
        x -= total
    for ch in text:
        d.text((x, y), ch, font=face, fill=fill, anchor="l" + anchor[1])
        x += face.getlength(ch) + px(tracking)


def text_in_rect(img, rect, text, fnt, colour, align="center", pad=0, tracking=0):
    """Text vertically centred on the rect's middle (by cap height, so
    upper- and lower-case labels sit alike)."""
    cy = rect.y + rect.h / 2
    cap = fnt.face.getbbox("H", anchor="ls")
    cap_h = (cap[3] - cap[1]) / _scale
    baseline = cy + cap_h / 2
    if align == "center":
        draw_text(img, (rect.cx, baseline), text, fnt, colour, "ms", tracking)
    elif align == "left":
        draw_text(img, (rect.x + pad, baseline), text, fnt, colour, "ls", tracking)
    else:
        draw_text(img, (rect.right - pad, baseline), text, fnt, colour, "rs", tracking)


def wrap(text, fnt, max_width):
    words, lines, line = text.split(), [], ""
    for word in words:
        candidate = (line + " " + word).strip()
        if text_width(candidate, fnt) <= max_width or not line:
            line = candidate
        else:
            lines.append(line)
            line = word
    if line:
        lines.append(line)
    return lines


def paragraph(img, x, y, text, fnt, colour, max_width, leading=None):
    """Wrapped text from top-left (x, y); returns the y below the last line."""
    leading = leading or int(fnt.size * 1.45)   # logical, as fnt.size is
    for line in wrap(text, fnt, max_width):
        draw_text(img, (x, y), line, fnt, colour, "la")
        y += leading
    return y


def section_title(img, x, y, text, colour=GOLD):
    draw_text(img, (x, y), text.upper(), font("bold", 12), colour, "la", tracking=1.6)


# ------------------------------------------------------------- surfaces -----

_hex_cache = {}


def hex_texture(w, h, cell=22, alpha=9, offset=(0, 0), width=1):
    """Faint honeycomb line pattern as an RGBA layer, all in pixels."""
    key = (w, h, cell, alpha, offset, width)
    if key in _hex_cache:
        return _hex_cache[key]
    layer = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    d = ImageDraw.Draw(layer)
    r = cell / 2
    dx = r * math.sqrt(3)
    dy = r * 1.5
    colour = (255, 255, 255, alpha)
    ox, oy = offset
    row = -1
    y = -dy - (oy % dy)
    while y < h + dy:
        shift = (dx / 2) if (row + int(oy // dy)) % 2 else 0
        x = -dx - (ox % dx) + shift
        while x < w + dx:
            pts = [(x + r * math.cos(math.radians(a)), y + r * math.sin(math.radians(a)))
                   for a in range(30, 390, 60)]
            d.line(pts, fill=colour, width=width)
            x += dx
        y += dy
        row += 1
    _hex_cache[key] = layer
    return layer


def vignette(w, h, strength=70):
    """Darkening towards the corners, as an RGBA layer of w x h pixels."""
    small_w, small_h = 48, 32
    small = Image.new("L", (small_w, small_h))
    for y in range(small_h):
        for x in range(small_w):
            nx = (x + 0.5) / small_w * 2 - 1
            ny = (y + 0.5) / small_h * 2 - 1
            dist = min(1.0, math.sqrt(nx * nx * 0.7 + ny * ny * 0.9))
            small.putpixel((x, y), int(strength * dist ** 2.2))
    mask = small.resize((w, h), Image.BICUBIC)
    layer = solid(w, h, (0, 0, 0))
    layer.putalpha(mask)
    return layer


def backdrop(w, h, offset=(0, 0), top=BG_TOP, bottom=BG_BOTTOM, texture=True):
    """The common dark background of logical size w x h: gradient, honeycomb
    texture, a faint diagonal sheen and a vignette.  offset is where the
    backdrop sits in the window, so that textures continue across it."""
    w, h = edge(w), edge(h)
    img = vgradient(w, h, top, bottom)
    if texture:
        img.alpha_composite(hex_texture(w, h, cell=px(22), offset=(px(offset[0]), px(offset[1])),
                                        width=hairline()))
    sheen = Image.new("L", (64, 64))
    for y in range(64):
        for x in range(64):
            t = (x + (63 - y)) / 126.0
            sheen.putpixel((x, y), int(10 * max(0.0, 1 - abs(t - 0.72) * 5)))
    layer = solid(w, h, (255, 255, 255))
    layer.putalpha(sheen.resize((w, h), Image.BICUBIC))
    img.alpha_composite(layer)
    img.alpha_composite(vignette(w, h))
    return img


def card(img, rect, title=None, radius=CARD_RADIUS, accent=False):
    """A raised panel with a hairline edge; optional gold section title."""
    glow(img, rect, radius, (0, 0, 0), strength=120, spread=4,
         clip=rect.inset(-8))
    rounded_box(img, rect, radius, gradient=(CARD_TOP, CARD_BOTTOM),
                outline=CARD_EDGE)
    hline(img, rect.x + radius, rect.right - radius, rect.y + 1, (255, 255, 255), 14)
    if accent:
        hline(img, rect.x + radius + 10, rect.x + radius + 46, rect.y, GOLD, 255)
    if title:
        section_title(img, rect.x + 20, rect.y + 18, title)


def well(img, rect, radius=6):
    """A recessed dark field whose middle stays one flat colour."""
    rounded_box(img, rect, radius, fill=WELL, outline=WELL_EDGE)
    hline(img, rect.x + radius, rect.right - radius, rect.y + 1, (0, 0, 0), 120)


# ------------------------------------------------------------- controls -----

ButtonLook = namedtuple("ButtonLook", "top bottom edge text glow")

LOOKS = {
    ("secondary", NORMAL): ButtonLook((50, 50, 52), (36, 36, 38), (84, 84, 88), TEXT, None),
    ("secondary", OVER): ButtonLook((66, 66, 68), (46, 46, 48), GOLD, (255, 255, 255), GOLD),
    ("secondary", DOWN): ButtonLook(GOLD, GOLD_DEEP, GOLD, INK, None),
    ("secondary", OFF): ButtonLook((32, 32, 33), (28, 28, 29), (50, 50, 52), TEXT_OFF, None),
    ("primary", NORMAL): ButtonLook((58, 48, 16), (38, 32, 12), GOLD, GOLD, None),
    ("primary", OVER): ButtonLook((88, 70, 18), (56, 45, 12), GOLD_SOFT, (255, 236, 170), GOLD),
    ("primary", DOWN): ButtonLook(GOLD, GOLD_DEEP, GOLD, INK, None),
    ("primary", OFF): ButtonLook((34, 32, 28), (28, 27, 25), (62, 56, 40), TEXT_OFF, None),
    ("secondary", BUSY): ButtonLook((40, 40, 42), (32, 32, 33), (70, 70, 74), TEXT_SOFT, None),
    ("primary", BUSY): ButtonLook((44, 38, 20), (34, 30, 16), GOLD_DEEP, GOLD_SOFT, None),
}


def button_face(img, rect, state, kind="secondary", radius=BUTTON_RADIUS, margin=2):
    """The body of a push button in a state, kept margin pixels inside rect
    so the glow of the over look stays in the control's own image.
    Returns the look, whose text colour the caller uses."""
    look = LOOKS[(kind, state)]
    body = rect.inset(margin)
    if look.glow:
        glow(img, body, radius, look.glow, strength=110, spread=max(margin * 0.8, 1.0),
             clip=rect)
    if state == DOWN:
        rounded_box(img, body, radius, gradient=(look.top, look.bottom), outline=look.edge)
        hline(img, body.x + radius, body.right - radius, body.y + 1, (0, 0, 0), 40)
    else:
        rounded_box(img, body, radius, gradient=(look.top, look.bottom), outline=look.edge,
                    width=1.3 if kind == "primary" else 1)
        hline(img, body.x + radius, body.right - radius, body.y + 1, (255, 255, 255),
              10 if state == OFF else 28)
    return look


def button(img, rect, state, label=None, kind="secondary", size=15, radius=BUTTON_RADIUS,
           margin=2, icon=None):
    """A push button with a centred label (and an optional leading glyph)."""
    look = button_face(img, rect, state, kind, radius, margin)
    fnt = font("bold", size)
    if icon and label:
        gap, icon_w = 8, int(size * 0.95)
        total = icon_w + gap + text_width(label, fnt)
        x0 = rect.cx - total / 2
        glyph(img, Rect(int(round(x0)), int(rect.cy - icon_w / 2), icon_w, icon_w), icon,
              look.text, size=icon_w * 0.8)
        text_in_rect(img, Rect(int(round(x0 + icon_w + gap)), rect.y, rect.w, rect.h),
                     label, fnt, look.text, align="left")
    elif icon:
        icon_w = int(size * 1.25)
        glyph(img, Rect(int(rect.cx - icon_w / 2), int(rect.cy - icon_w / 2), icon_w, icon_w),
              icon, look.text, size=icon_w * 0.75, width=2.2)
    elif label:
        text_in_rect(img, rect, label, fnt, look.text)
    return look


def busy_button(img, rect, kind="secondary", size=15, margin=2):
    """A button whose write is running: a calm face, a spinner arc and
    "Saving..." in place of its label."""
    look = button_face(img, rect, BUSY, kind, margin=margin)
    fnt = font("bold", size)
    label = "Saving\u2026"
    ring = int(size * 1.05)
    gap = 9
    total = ring + gap + text_width(label, fnt)
    x0 = rect.cx - total / 2
    spinner = Rect(int(round(x0)), int(rect.cy - ring / 2), ring, ring)

    def draw(d, s):
        box = (1.2 * s, 1.2 * s, (ring - 1.2) * s, (ring - 1.2) * s)
        d.ellipse(box, outline=rgba(look.edge, 90), width=int(2.2 * s))
        d.arc(box, 200, 320, fill=rgba(look.text), width=int(2.2 * s))
    aa_draw(img, spinner, draw)
    text_in_rect(img, Rect(int(round(x0 + ring + gap)), rect.y, rect.w, rect.h), label, fnt,
                 look.text, align="left")
    return look


def saved_confirmation(img, rect, backdrop_img=None):
    """The short confirmation beside a button once its settings are on the
    mouse: a dark pill with a gold tick and "Saved to the mouse", right-aligned
    in rect. With backdrop_img the rect is first cleared to that clean
    background, so that hint text drawn there beneath does not show."""
    if backdrop_img is not None:
        copy_area(img, backdrop_img, rect)
    fnt = font("bold", 14)
    label = "Saved to the mouse"
    disc_size = 20
    width = 14 + disc_size + 9 + text_width(label, fnt) + 16
    pill_rect = Rect(rect.right - int(width), rect.y, int(width), rect.h)
    glow(img, pill_rect, rect.h / 2, GOLD, strength=40, spread=3, clip=rect)
    rounded_box(img, pill_rect.inset(1), rect.h / 2 - 1, fill=(24, 23, 20), outline=GOLD_DEEP, width=1.2)
    disc = Rect(pill_rect.x + 14, int(rect.cy - disc_size / 2), disc_size, disc_size)
    rounded_box(img, disc, disc_size / 2, gradient=(GOLD_SOFT, GOLD))
    glyph(img, disc, "check", INK, size=10, width=2.2)
    text_in_rect(img, Rect(disc.right + 9, rect.y, rect.w, rect.h), label, fnt, TEXT, align="left")


def combo_frame(img, rect, state, chevron=True, fixed=False):
    """Frame of a drop-down button.  The program writes the label at the
    left in white (gold while pointed at), so the middle stays flat and
    dark in every state; the state shows in the edge and the chevron."""
    body = rect.inset(1)
    edge = {NORMAL: (78, 78, 82), OVER: GOLD, DOWN: GOLD, OFF: (50, 50, 52)}[state]
    fill = {NORMAL: (24, 24, 25), OVER: (30, 30, 31), DOWN: (20, 20, 20), OFF: (22, 22, 23)}[state]
    rounded_box(img, body, 4, fill=fill, outline=edge)
    if state == DOWN:
        fill_mask(img, body, blur(ring_mask(body, 4, 2.5, inset=1), 1.2), GOLD, 90)
    zone = Rect(body.right - body.h - 2, body.y, body.h, body.h)
    colour = {NORMAL: TEXT_SOFT, OVER: GOLD, DOWN: GOLD, OFF: TEXT_OFF}[state]
    if chevron:
        vline(img, zone.x, body.y + 6, body.bottom - 6, edge, 90)
        glyph(img, zone.inset(0, 0), "chevron_up" if state == DOWN else "chevron_down",
              colour, size=9, width=1.6)
    elif fixed:
        lock_icon(img, Rect(int(zone.cx - 6), int(zone.cy - 7), 12, 13),
                  {NORMAL: TEXT_MUTED, OVER: TEXT_SOFT, DOWN: TEXT_SOFT, OFF: TEXT_OFF}[state])


def check_box(img, rect, checked, state, radius=5):
    """A square toggle: empty box, or gold box with a dark tick."""
    side = min(rect.w, rect.h) - 2
    box = Rect(int(rect.x + (rect.w - side) / 2), int(rect.y + (rect.h - side) / 2), side, side)
    if checked:
        rounded_box(img, box, radius, gradient=(GOLD_SOFT, GOLD), outline=GOLD)
        glyph(img, box, "check", INK, size=side * 0.52, width=max(2.0, side / 10))
    else:
        edge = {NORMAL: (104, 104, 108), OVER: GOLD, DOWN: GOLD, OFF: (54, 54, 56)}[state]
        fill = (22, 22, 23) if state != OVER else (34, 32, 26)
        rounded_box(img, box, radius, fill=fill, outline=edge, width=1.4)


def pill(img, rect, text, lit, off=False):
    """Status pill: dark with grey text, or lit gold with dark text."""
    r = rect.h / 2
    if lit:
        glow(img, rect.inset(1), r, GOLD, strength=90, spread=1.0, clip=rect)
        rounded_box(img, rect.inset(1), r - 1, gradient=(GOLD_SOFT, GOLD))
        colour = INK
    else:
        rounded_box(img, rect.inset(1), r - 1, fill=(28, 28, 29),
                    outline=(54, 54, 56) if off else (76, 76, 80))
        colour = TEXT_OFF if off else TEXT_MUTED
    size = max(8, min(10, rect.h - 6))
    text_in_rect(img, rect, text, font("bold", size), colour)


def arrow_button(img, rect, direction, state):
    """The small up / down steppers beside a numeric field."""
    colour = {NORMAL: (150, 150, 154), OVER: GOLD, DOWN: INK, OFF: TEXT_OFF}[state]
    if state == DOWN:
        rounded_box(img, rect.inset(1, 0), 3, gradient=(GOLD_SOFT, GOLD))
    elif state == OVER:
        rounded_box(img, rect.inset(1, 0), 3, fill=(48, 44, 30))
    glyph(img, rect, "chevron_up" if direction > 0 else "chevron_down", colour,
          size=7, width=1.5)


def close_glyph(img, rect, state, margin=1):
    """The window close button."""
    if state in (OVER, DOWN):
        body = rect.inset(margin)
        rounded_box(img, body, 4, fill=(52, 46, 26) if state == OVER else GOLD)
    colour = {NORMAL: TEXT_SOFT, OVER: GOLD, DOWN: INK, OFF: TEXT_OFF}[state]
    glyph(img, rect, "cross", colour, size=min(rect.w, rect.h) * 0.4, width=1.6)
