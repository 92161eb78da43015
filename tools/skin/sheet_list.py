"""The skin's sheet list (skin/sheets.txt) and where its files are.  The
first sheet of each family in the list is its base and is stored whole;
every other sheet of the family is stored as a layer over the base: its own
pixels where it differs from the base, fully transparent elsewhere.  At 100 %
the sheets are in the Resources folder under their own names, at another
scale step in a folder named by its percentage (Resources/150/Main_BK.png).

Plain Python: the GUI tests read it without Pillow."""
import os


class SkinError(Exception):
    """A failure the generator reports to the user and exits on."""


def read_list(path):
    """(name, file, family, state) of every sheet of a sheet list, in order."""
    try:
        with open(path, encoding="utf-8") as list_file:
            lines = list_file.read().splitlines()
    except OSError as error:
        raise SkinError("cannot read the sheet list: %s" % error)
    entries = []
    for number, line in enumerate(lines, 1):
        words = line.split("#", 1)[0].split()
        if not words:
            continue
        if len(words) != 4:
            raise SkinError("%s:%d: a line is NAME FILE FAMILY STATE" % (path, number))
        entries.append(tuple(words))
    if not entries:
        raise SkinError("%s lists no sheets" % path)
    return entries


def bases(entries):
    """Each sheet file's base file: itself for a family's first sheet."""
    first = {}
    return {file: first.setdefault(family, file) for _, file, family, _ in entries}


def sheet_path(folder, name, step):
    """Where a sheet of the list is at a scale step."""
    if step == 100:
        return os.path.join(folder, name)
    return os.path.join(folder, str(step), os.path.splitext(name)[0] + ".png")
