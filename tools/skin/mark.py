"""The Korvid mark: a "K" whose upper arm is a raven's wing of three
feathers, and the program icon built from it."""
import io
import struct

from PIL import Image

from skinkit import (GOLD, GOLD_DEEP, GOLD_SOFT, Rect, aa_draw, at_scale, draw_text, font, rgba,
                     text_width, vgradient)

# The small icon at 100, 125, 150 and 200 % (16, 20, 24, 32), the large one
# (32, 40, 48, 64), and the 256 of the Explorer's big views.
ICON_SIZES = (16, 20, 24, 32, 40, 48, 64, 256)


def _polygons(detailed):
    """Mark outline in a 100 x 100 design square."""
    stem = [(14, 8), (31, 8), (31, 92), (14, 92)]
    leg = [(37, 55), (52, 45), (91, 92), (71, 92)]
    if not detailed:
        arm = [(37, 55), (37, 38), (70, 8), (91, 8)]
        return [stem, arm, leg]
    # Three feathers fanning from the stem, longest on top, each tip cut
    # square to its own direction.
    feathers = [
        [(37, 42), (37, 28), (57, 8), (93, 8), (90, 13)],
        [(37, 52), (37, 44), (82, 19), (79, 26), (50, 45)],
        [(37, 60), (37, 55), (69, 37), (65, 43), (47, 54)],
    ]
    return [stem, leg] + feathers


def draw_mark(img, rect, colour=GOLD, detailed=True, shade=True):
    """Draws the mark scaled into rect (square)."""
    def draw(d, s):
        k = rect.w / 100.0 * s
        for i, poly in enumerate(_polygons(detailed)):
            fill = colour
            if shade and i == 0:
                fill = tuple(int(c * 0.86) for c in colour)
            d.polygon([(x * k, y * k) for x, y in poly], fill=rgba(fill))
    aa_draw(img, rect, draw)


def draw_wordmark(img, x, y, height, colour=GOLD, text_colour=(240, 240, 240)):
    """Mark followed by the name, top-left at (x, y); returns the right edge."""
    draw_mark(img, Rect(x, y, height, height), colour)
    fnt = font("bold", int(height * 0.78))
    tx = x + height + int(height * 0.45)
    draw_text(img, (tx, y + height / 2 + 0.5), "KORVID", fnt, text_colour, "lm", tracking=height * 0.14)
    return tx + text_width("KORVID", fnt, height * 0.14)


def icon_image(size):
    """One icon frame: a dark rounded tile with the gold mark, tuned per size.
    Drawn in pixels: the caller draws at scale 100."""
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    inset = 0 if size <= 24 else max(1, size // 32)
    tile = Rect(inset, inset, size - 2 * inset, size - 2 * inset)
    radius = max(2, tile.w * 0.2)

    def base(d, s):
        d.rounded_rectangle((tile.x * s, tile.y * s, tile.right * s - 1, tile.bottom * s - 1),
                            radius=radius * s, fill=(22, 22, 23, 255))
    aa_draw(img, Rect(0, 0, size, size), base)
    tile_img = vgradient(tile.w, tile.h, (44, 44, 46), (16, 16, 17))
    mask = img.getchannel("A").crop(tile.box)
    img.paste(tile_img, (tile.x, tile.y), mask)
    if size >= 32:
        def rim(d, s):
            w = max(1, size / 64) * s
            d.rounded_rectangle((tile.x * s + w / 2, tile.y * s + w / 2,
                                 tile.right * s - w / 2 - 1, tile.bottom * s - w / 2 - 1),
                                radius=radius * s, outline=rgba(GOLD_DEEP, 150), width=int(w))
        aa_draw(img, Rect(0, 0, size, size), rim)
    pad = {16: 2, 24: 3}.get(size, int(round(size * 0.17)))
    mark = Rect(pad, pad, size - 2 * pad, size - 2 * pad)
    draw_mark(img, mark, GOLD_SOFT if size <= 24 else GOLD, detailed=size >= 48,
              shade=size >= 32)
    return img


def _dib_entry(img):
    """32-bit BGRA device-independent bitmap with its AND mask, as stored
    in an .ico file for the small sizes."""
    w, h = img.size
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    rgba_data = img.tobytes()
    for y in range(h - 1, -1, -1):
        row = rgba_data[y * w * 4:(y + 1) * w * 4]
        for x in range(w):
            r, g, b, a = row[x * 4:x * 4 + 4]
            pixels += bytes((b, g, r, a))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    alpha = img.getchannel("A")
    for y in range(h - 1, -1, -1):
        bits = bytearray(mask_stride)
        for x in range(w):
            if alpha.getpixel((x, y)) == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def write_icon(path):
    """Writes the multi-size program icon: bitmaps up to 64 px, PNG at 256."""
    entries = []
    for size in ICON_SIZES:
        with at_scale(100):
            img = icon_image(size)
        if size >= 256:
            buf = io.BytesIO()
            img.save(buf, "PNG", optimize=True)
            data = buf.getvalue()
        else:
            data = _dib_entry(img)
        entries.append((size, data))
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for size, data in entries:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in entries:
        out += data
    with open(path, "wb") as f:
        f.write(out)
