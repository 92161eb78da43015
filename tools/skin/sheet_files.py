"""The skin's sheets as images: a layer made from a sheet and its base, and
put back over it (the files are described in sheet_list.py).  A sheet is
stored RGBA where it has see-through pixels and RGB where it has none; a
layered sheet takes its base's mode.  Needs Pillow."""
from PIL import Image, ImageChops

from sheet_list import SkinError, bases, read_list, sheet_path


def stored_mode(img):
    rgba = img.convert("RGBA")
    return "RGB" if rgba.getchannel("A").getextrema()[0] == 255 else "RGBA"


def _nonzero(channel):
    return channel.point(lambda v: 255 if v else 0)


def make_layer(base, sheet, what):
    """The layer that puts `sheet` back over `base` (both the same size)."""
    if base.size != sheet.size:
        raise SkinError("%s: %dx%d, its base %dx%d" % ((what,) + sheet.size + base.size))
    below, above = base.convert("RGBA"), sheet.convert("RGBA")
    r, g, b, a = ImageChops.difference(below, above).split()
    differs = _nonzero(ImageChops.lighter(ImageChops.lighter(r, g), ImageChops.lighter(b, a)))
    # Two fully see-through pixels are alike whatever colour they carry.
    differs = ImageChops.multiply(differs, _nonzero(ImageChops.lighter(below.getchannel("A"),
                                                                       above.getchannel("A"))))
    alpha = above.getchannel("A")
    if ImageChops.multiply(differs, alpha.point(lambda v: 255 if v == 0 else 0)).getbbox():
        raise SkinError("%s: a layer cannot clear a pixel of its base" % what)
    if base.mode == "RGB" and ImageChops.multiply(differs, alpha.point(lambda v: 255 if v < 255 else 0)).getbbox():
        raise SkinError("%s: see-through pixels over a base that has none" % what)
    layer = Image.new("RGBA", sheet.size, (0, 0, 0, 0))
    layer.paste(above, (0, 0), differs)
    return layer


def put_together(base, layer):
    """A layered sheet: its layer over a copy of its base, in the base's mode."""
    if base.size != layer.size:
        raise SkinError("a layer of %dx%d over a base of %dx%d" % (layer.size + base.size))
    layer = layer.convert("RGBA")
    sheet = base.copy()
    sheet.paste(layer.convert(base.mode), (0, 0), _nonzero(layer.getchannel("A")))
    return sheet


def open_sheet(folder, name, step, sheet_list):
    """A sheet as the program sees it at a step of a Resources folder."""
    base = bases(read_list(sheet_list))[name]
    img = Image.open(sheet_path(folder, name, step))
    if base == name:
        return img
    return put_together(Image.open(sheet_path(folder, base, step)), img)
