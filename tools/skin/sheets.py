"""One function per sheet family: each draws the whole window with every
control in one state.  Backgrounds are drawn once per family and copied, so
every state of a family shares the same pixels outside its controls."""
from PIL import ImageChops

import layout as L
from art import draw_mouse, draw_unplugged_mouse, number_badge, tab_icon
from mark import draw_mark, draw_wordmark
from skinkit import (BUSY, CARD_EDGE, DANGER, DOWN, GOLD, GOLD_DEEP, GOLD_SOFT, INK, NORMAL, OFF,
                     OVER, SEPARATOR, TEXT, TEXT_MUTED, TEXT_OFF, TEXT_SOFT, WELL, Rect,
                     aa_draw, area_mask, arrow_button, backdrop, blur, busy_button, button, card,
                     check_box, close_glyph, combo_frame, draw_text, fade_hline, fill_gradient, fill_mask,
                     fit_size, font, glow, glyph, hline, new_sheet, paragraph, pill, put, ring_mask,
                     rounded_box, rounded_mask, rgba, saved_confirmation, scale, section_title,
                     see_through, stroke, text_in_rect, text_width, union, vline, well)

_cache = {}


def _once(key, make):
    """Background of a family, drawn on first use at each scale; callers get
    a copy."""
    key = (key, scale())
    if key not in _cache:
        _cache[key] = make()
    return _cache[key].copy()


def page_header(img, title, subtitle):
    draw_text(img, (40, 16), title, font("bold", 24), TEXT, "la")
    draw_text(img, (41, 48), subtitle, font("regular", 13), TEXT_MUTED, "la")


def page_backdrop(size):
    return _once(("page", size), lambda: backdrop(size[0], size[1], offset=L.PAGE_ORIGIN))


# ------------------------------------------------------------------ main ----

def _main_background():
    w, h = L.MAIN_SIZE
    img = backdrop(w, h)
    # Title strip with its own slightly lighter gradient.
    fill_gradient(img, Rect(0, 0, w, L.PAGE_ORIGIN[1]), (36, 36, 38), (22, 22, 23))
    hline(img, 0, w, L.PAGE_ORIGIN[1] - 1, (0, 0, 0), 255)
    fade_hline(img, 0, w, L.PAGE_ORIGIN[1] - 2, GOLD, 70)
    hline(img, 0, w, 0, GOLD, 200)
    draw_wordmark(img, 16, 6, 20)
    draw_text(img, (151, 16.5), "|", font("regular", 14), (70, 70, 74), "lm")
    draw_text(img, (163, 16.5), "CONFIGURATION", font("bold", 10), TEXT_MUTED, "lm", tracking=2)
    # Window edge: hairline outline around the whole window.
    for x in (0, w - 1):
        vline(img, x, 0, h, (62, 62, 66))
    hline(img, 0, w, h - 1, (62, 62, 66))
    vline(img, 0, 0, 24, GOLD, 160)
    vline(img, w - 1, 0, 24, GOLD, 160)
    return img


def main_sheet(state):
    """The main window: brand strip, page buttons, minimise and close."""
    img = _once("main", _main_background)
    for rect, label, icon in L.MAIN_TABS:
        if state == OVER:
            # A faint lift behind the hovered tab, kept inside its rectangle.
            fill_gradient(img, rect, (48, 48, 50), (36, 36, 38),
                          rounded_mask(rect, 8, extend=8).point(lambda v: v * 200 // 255))
            glow(img, Rect(rect.x + 12, rect.bottom - 3, rect.w - 24, 2), 1, GOLD,
                 strength=120, spread=3, clip=rect)
            hline(img, rect.x + 12, rect.right - 12, rect.bottom - 3, GOLD, 140)
            colour = (255, 255, 255)
        elif state == DOWN:
            fill_gradient(img, rect, (30, 28, 22), (58, 48, 18), rounded_mask(rect, 8, extend=8))
            glow(img, Rect(rect.x + 8, rect.bottom - 4, rect.w - 16, 3), 1, GOLD,
                 strength=150, spread=3, clip=rect)
            rounded_box(img, Rect(rect.x + 8, rect.bottom - 4, rect.w - 16, 4), 2, fill=GOLD)
            colour = GOLD
        else:
            colour = TEXT_SOFT if state == NORMAL else TEXT_OFF
        tab_icon(img, Rect(int(rect.cx - 11), rect.y + 7, 22, 22), icon, colour)
        text_in_rect(img, Rect(rect.x, rect.y + 31, rect.w, 17), label, font("bold", 14), colour)

    mn = L.MAIN_MINIMISE
    if state in (OVER, DOWN):
        rounded_box(img, mn, 3, fill=(52, 46, 26) if state == OVER else GOLD)
    colour = {NORMAL: TEXT_SOFT, OVER: GOLD, DOWN: INK, OFF: TEXT_OFF}[state]
    glyph(img, mn, "minus", colour, size=11, width=1.8)
    close_glyph(img, L.MAIN_CLOSE, state)
    return img


# --------------------------------------------------------------- buttons ----

ASSIGN_CARD = Rect(468, 76, 466, 330)
MOUSE_RECT = Rect(150, 112, 210, 356)


def _buttons_background():
    img = page_backdrop(L.PAGE_SIZE)
    page_header(img, "Button Setting", "Choose what each mouse button does")
    callouts = [("left", (112, 104)), ("right", (398, 104)), ("middle", (255, 84)),
                ("forward", (96, 268)), ("back", (96, 322))]
    draw_mouse(img, MOUSE_RECT, callouts)
    card(img, ASSIGN_CARD, "Button assignment", accent=True)
    fnt = font("regular", 14)
    for number, (rect, label) in enumerate(zip(L.FUNCTION_BUTTONS, L.FUNCTION_LABELS), 1):
        number_badge(img, ASSIGN_CARD.x + 31, rect.cy, number)
        text_in_rect(img, Rect(ASSIGN_CARD.x + 50, rect.y, 140, rect.h), label, fnt, TEXT,
                     align="left")
    hline(img, ASSIGN_CARD.x + 20, ASSIGN_CARD.right - 20, 332, SEPARATOR)
    paragraph(img, ASSIGN_CARD.x + 20, 346,
              "Buttons 1 and 2 keep their click. Buttons 3 to 5 take a mouse function, "
              "a wheel step or a keyboard key with modifiers, or can be switched off.",
              font("regular", 12), TEXT_MUTED, ASSIGN_CARD.w - 40, leading=18)
    draw_text(img, (L.BUTTONS_APPLY.x - 18, L.BUTTONS_APPLY.cy), "Stores the settings on the mouse",
              font("regular", 12), TEXT_MUTED, "rm")
    return img


def buttons_sheet(state):
    """The button page; its busy sheet holds only Apply while it writes and
    the confirmation beside it."""
    img = _once("buttons", _buttons_background)
    if state == BUSY:
        busy_button(img, L.BUTTONS_APPLY, kind="primary", size=18, margin=4)
        saved_confirmation(img, L.BUTTONS_SAVED, page_backdrop(L.PAGE_SIZE))
        return img
    for index, rect in enumerate(L.FUNCTION_BUTTONS):
        fixed = index < L.FIXED_FUNCTION_BUTTONS
        combo_frame(img, rect, state, chevron=not fixed, fixed=fixed)
    button(img, L.BUTTONS_APPLY, state, "Apply", kind="primary", size=18, margin=4)
    return img


# ---------------------------------------------------------------- sensor ----

SENSOR_PANEL = Rect(530, 76, 492, 272)


def _level_box(index):
    return union(*L.LEVEL_FRAMES[index])


def _led_transparency(index):
    """Transparency (255 = fully see-through) of a level's light guide, a
    mask of the level box: a rounded ring with a soft halo, limited to the
    frame segments."""
    box = _level_box(index)
    ring = ring_mask(box, 14, 3.0, inset=7)
    halo = blur(ring, 3.5).point(lambda v: min(255, v * 150 // 100))
    see = ImageChops.lighter(ring, halo.point(lambda v: v * 62 // 100))
    return ImageChops.multiply(see, area_mask(box, L.LEVEL_FRAMES[index]))


def _sensor_background():
    img = page_backdrop(L.PAGE_SIZE)
    page_header(img, "Advanced", "CPI levels, LED colours, lift-off distance and smoothing")
    for index in range(4):
        box = _level_box(index)
        header_y = L.LEVEL_BADGES[index].cy
        draw_text(img, (box.x + 2, header_y + 0.5), "CPI %d" % (index + 1), font("bold", 15),
                  TEXT, "lm")
        fade_hline(img, box.x + 52, L.LEVEL_BADGES[index].x - 8, int(header_y), SEPARATOR, 255)
        glow(img, box, 14, (0, 0, 0), strength=110, spread=4, clip=box.inset(-6))
        rounded_box(img, box, 14, gradient=((36, 36, 38), (24, 24, 25)), outline=CARD_EDGE)
        # Dark bed under the light guide, so the LED colour reads as light.
        fill_mask(img, box, ring_mask(box, 14, 7, inset=5), (12, 12, 13))
        field, up, down = L.CPI_FIELDS[index], L.CPI_UP[index], L.CPI_DOWN[index]
        # The field writes its text at its top: the well is as high as the
        # text line and the arrows, so that the number sits in its middle.
        bed = Rect(field.x - 5, field.y - 7, max(up.right, down.right) - field.x + 10, 38)
        well(img, bed, 7)
        draw_text(img, (box.x + 26, field.y - 14), "SENSITIVITY", font("bold", 10), TEXT_MUTED,
                  "lm", tracking=1.4)
        draw_text(img, (bed.right - 2, field.y - 14), "CPI", font("bold", 10), TEXT_MUTED,
                  "rm", tracking=1.4)
        swatch_y = box.bottom - 34
        _palette_hint(img, box.cx, swatch_y)

    panel = SENSOR_PANEL
    card(img, panel, accent=True)
    left = panel.x + 22
    draw_text(img, (left, panel.y + 13), "Sensor performance", font("bold", 16), TEXT, "la")
    hline(img, left, panel.right - 22, 113, SEPARATOR)
    rows = ((L.SMOOTHING_SWITCH, "Smoothing", "Motion smoothing"),
            (L.LIFT_OFF_SELECTOR, "Lift-off distance", "Height where tracking stops"))
    for rect, title, note in rows:
        section_title(img, left, rect.cy - 15, title)
        draw_text(img, (left, rect.cy + 4), note, font("regular", 12), TEXT_MUTED, "la")
    hline(img, left, panel.right - 22, 180, SEPARATOR)
    hline(img, left, panel.right - 22, 254, SEPARATOR)
    section_title(img, left, 272, "CPI levels")
    draw_text(img, (L.SENSOR_APPLY.x - 18, L.SENSOR_APPLY.cy), "Stores the settings on the mouse",
              font("regular", 12), TEXT_MUTED, "rm")
    y = 270
    for line in ("50 to 16000 CPI in steps of 50.",
                 "The switch puts a level in or out of use.",
                 "Click a frame to pick its LED colour."):
        draw_text(img, (L.LIFT_OFF_SELECTOR.x + 2, y + 7), "\u2022", font("bold", 12), GOLD, "lm")
        draw_text(img, (L.LIFT_OFF_SELECTOR.x + 14, y), line, font("regular", 12), TEXT_SOFT, "la")
        y += 22
    return img


def _palette_hint(img, cx, cy):
    """Four small colour dots and a hint that the frame opens the colours."""
    text = "Click the frame to change colour"
    fnt = font("regular", 11)
    total = 14 + 6 + text_width(text, fnt)
    x = cx - total / 2
    for i, colour in enumerate(((253, 196, 21), (232, 72, 77), (64, 120, 255))):
        rounded_box(img, Rect(int(x + i * 4), int(cy - 3), 6, 6), 3, fill=colour,
                    outline=(24, 24, 25))
    draw_text(img, (x + 20, cy), text, fnt, TEXT_MUTED, "lm")


def sensor_sheet(state):
    """The sensor page.  The normal sheet keeps its light guides
    transparent for the colour the program paints behind them; the other
    states are opaque bitmaps and show the default colours there."""
    img = _once("sensor", _sensor_background)
    if state == BUSY:
        # Only Apply while it writes and the confirmation beside it are cut
        # from this sheet.
        busy_button(img, L.SENSOR_APPLY, kind="primary", size=18, margin=4)
        saved_confirmation(img, L.SENSOR_SAVED, page_backdrop(L.PAGE_SIZE))
        return img.convert("RGB")
    for index in range(4):
        arrow_button(img, L.CPI_UP[index], +1, state)
        arrow_button(img, L.CPI_DOWN[index], -1, state)
        check_box(img, L.LEVEL_SWITCH_ART[index], checked=state == DOWN, state=state)
        pill(img, L.LEVEL_BADGES[index], "ON" if state == DOWN else "OFF", lit=state == DOWN,
             off=state == OFF)
    check_box(img, L.SMOOTHING_SWITCH, checked=state == DOWN, state=state, radius=7)
    pill(img, L.SMOOTHING_INDICATOR, "ON" if state == DOWN else "OFF", lit=state == DOWN,
         off=state == OFF)
    combo_frame(img, L.LIFT_OFF_SELECTOR, state)
    # The Apply button's normal image comes from the off sheet.
    button(img, L.SENSOR_APPLY, NORMAL if state == OFF else state, "Apply", kind="primary",
           size=18, margin=4)

    for index in range(4):
        box = _level_box(index)
        see = _led_transparency(index)
        if state == NORMAL:
            see_through(img, box, see)
        else:
            fill_mask(img, box, see, L.LEVEL_PREVIEW_COLOURS[index])
    return img


# ---------------------------------------------------------------- update ----

VERSION_CARD = Rect(26, 72, 494, 150)
RESET_CARD = Rect(540, 72, 496, 150)
NOTES_CARD = Rect(26, 244, 1010, 150)


def _update_background():
    img = page_backdrop(L.PAGE_SIZE)
    page_header(img, "Update and Reset", "Versions, updates and factory settings")
    card(img, VERSION_CARD, accent=True)
    card(img, RESET_CARD, accent=True)
    rows = (("Firmware", "Firmware version", L.FIRMWARE_LABEL, L.FIRMWARE_UPDATE),
            ("Software", "Software version", L.SOFTWARE_LABEL, L.SOFTWARE_UPDATE))
    for title, caption, label, btn in rows:
        cy = btn.cy
        section_title(img, VERSION_CARD.x + 20, cy - 7, title)
        draw_text(img, (label.x - 10, label.cy + 0.5), caption, font("regular", 13), TEXT_SOFT, "rm")
        rounded_box(img, label.inset(-5, -5), 4, fill=WELL, outline=(52, 52, 55))
    hline(img, VERSION_CARD.x + 20, VERSION_CARD.right - 20, 145, SEPARATOR)

    section_title(img, RESET_CARD.x + 20, 90, "Reset")
    paragraph(img, RESET_CARD.x + 20, 114,
              "Restore the factory settings: button functions, CPI levels, LED colours, "
              "lift-off distance and smoothing. They are written to the mouse at once.",
              font("regular", 13), TEXT_SOFT, RESET_CARD.w - 40, leading=19)

    card(img, NOTES_CARD, "Good to know")
    notes = ("Keep the mouse plugged in while a firmware update is running.",
             "Update Firmware starts the Korvid firmware update tool; it needs the mouse to be connected.",
             "Download opens the downloads page in your web browser.",
             "Restore Defaults asks before it changes anything.")
    y = NOTES_CARD.y + 46
    for line in notes:
        draw_text(img, (NOTES_CARD.x + 26, y + 8), "\u2022", font("bold", 13), GOLD, "lm")
        draw_text(img, (NOTES_CARD.x + 40, y), line, font("regular", 13), TEXT_SOFT, "la")
        y += 23
    draw_mark(img, Rect(900, 420, 110, 110), (44, 44, 46), shade=False)
    return img


def update_sheet(state):
    img = _once("update", _update_background)
    labels = ("Update Firmware", "Download", "Restore Defaults")
    size = fit_size(labels, 104, "bold", 14, 11)
    if state == BUSY:
        # Restore Defaults while its write runs, and the confirmation beside it.
        busy_button(img, L.RESTORE_DEFAULTS, size=size)
        saved_confirmation(img, L.RESTORE_SAVED)
        return img
    button(img, L.FIRMWARE_UPDATE, state, "Update Firmware", size=size)
    button(img, L.SOFTWARE_UPDATE, state, "Download", size=size)
    button(img, L.RESTORE_DEFAULTS, state, "Restore Defaults", size=size)
    return img


# ------------------------------------------------------------------ help ----

GUIDE_CARD = Rect(26, 72, 544, 384)
CONTACT_CARD = Rect(596, 72, 436, 384)


def _help_background():
    img = page_backdrop(L.NOTICE_PAGE_SIZE)
    page_header(img, "Help", "Answers, contact and a short guide")
    card(img, GUIDE_CARD, "Getting started", accent=True)
    entries = (("Button Setting", "Buttons 1 and 2 keep their click. Give buttons 3 to 5 a "
                "mouse function, a wheel step, a keyboard key with modifiers, or switch them off."),
               ("Advanced", "Set up to four CPI levels and their LED colours, the lift-off "
                "distance and motion smoothing."),
               ("Apply", "Stores your settings and writes them to the mouse, so they travel "
                "with it."),
               ("Support", "See the software and firmware versions, update the firmware or "
                "restore the factory settings."),
               ("Closing the window", "Korvid keeps running in the notification area. Choose "
                "Exit Software in its menu to quit."))
    y = GUIDE_CARD.y + 50
    for title, body in entries:
        draw_text(img, (GUIDE_CARD.x + 20, y), title, font("bold", 14), TEXT, "la")
        y = paragraph(img, GUIDE_CARD.x + 20, y + 22, body, font("regular", 13), TEXT_SOFT,
                      GUIDE_CARD.w - 40, leading=19) + 12
    card(img, CONTACT_CARD, "Questions?", accent=True)
    paragraph(img, CONTACT_CARD.x + 20, 130,
              "Most answers are in our online FAQ. It opens in your web browser.",
              font("regular", 13), TEXT_SOFT, CONTACT_CARD.w - 40, leading=19)
    hline(img, CONTACT_CARD.x + 20, CONTACT_CARD.right - 20, 262, SEPARATOR)
    section_title(img, CONTACT_CARD.x + 20, 280, "Contact support")
    draw_text(img, (CONTACT_CARD.x + 20, 304), "Write to us, we are glad to help:",
              font("regular", 13), TEXT_SOFT, "la")
    draw_mark(img, Rect(CONTACT_CARD.right - 62, CONTACT_CARD.bottom - 62, 44, 44), (48, 48, 50),
              shade=False)
    return img


def _email_link(img, rect, state):
    colour = {NORMAL: GOLD, OVER: GOLD_SOFT, DOWN: INK}[state]
    if state == OVER:
        rounded_box(img, rect, 4, fill=(48, 42, 24))
    elif state == DOWN:
        rounded_box(img, rect, 4, gradient=(GOLD_SOFT, GOLD))
    fnt = font("bold", 14)
    text = L.SUPPORT_EMAIL
    total = 16 + 8 + text_width(text, fnt)
    x = rect.cx - total / 2
    _envelope(img, Rect(int(x), int(rect.cy - 6), 16, 12), colour)
    text_in_rect(img, Rect(int(x + 24), rect.y, rect.w, rect.h), text, fnt, colour, align="left")
    if state == OVER:
        hline(img, int(x + 24), int(x + total), int(rect.cy + 7), colour, 200)


def _envelope(img, rect, colour):
    def draw(d, s):
        d.rounded_rectangle((0.8 * s, 0.8 * s, (rect.w - 0.8) * s, (rect.h - 0.8) * s),
                            radius=1.5 * s, outline=rgba(colour), width=int(1.5 * s))
        stroke(d, s, [(1.5, 1.8), (rect.w / 2, rect.h * 0.6), (rect.w - 1.5, 1.8)], rgba(colour), 1.4)
    aa_draw(img, rect, draw)


def help_sheet(state):
    img = _once("help", _help_background)
    look = button(img, L.FAQ_BUTTON, state, "Frequently Asked Questions (FAQ)", size=15)
    _external_link(img, Rect(L.FAQ_BUTTON.right - 34, int(L.FAQ_BUTTON.cy - 7), 14, 14), look.text)
    _email_link(img, L.EMAIL_BUTTON, state)
    return img


def _external_link(img, rect, colour):
    def draw(d, s):
        c = rgba(colour)
        stroke(d, s, [(rect.w * 0.55, 1.2), (rect.w - 1.2, 1.2), (rect.w - 1.2, rect.h * 0.45)], c, 1.5)
        stroke(d, s, [(rect.w - 1.5, 1.5), (rect.w * 0.45, rect.h * 0.55)], c, 1.5)
        stroke(d, s, [(rect.w * 0.4, 2.5), (1.2, 2.5), (1.2, rect.h - 1.2), (rect.w - 2.5, rect.h - 1.2),
                      (rect.w - 2.5, rect.h * 0.62)], c, 1.5)
    aa_draw(img, rect, draw)


# ------------------------------------------------------------- no mouse ----

def nodevice_sheet(state=NORMAL):
    w, h = L.NOTICE_PAGE_SIZE
    img = page_backdrop(L.NOTICE_PAGE_SIZE)
    glow(img, Rect(w // 2 - 120, 110, 240, 200), 100, GOLD, strength=22, spread=40,
         clip=Rect(w // 2 - 260, 0, 520, 460))
    draw_unplugged_mouse(img, Rect(w // 2 - 90, 70, 180, 250))
    draw_text(img, (w / 2, 362), "No Korvid mouse detected", font("bold", 26), TEXT, "mm")
    draw_text(img, (w / 2, 398), "Please connect your Korvid mouse to a USB port.",
              font("regular", 15), TEXT_SOFT, "mm")
    fade_hline(img, w // 2 - 200, w // 2 + 200, 426, GOLD, 120)
    draw_text(img, (w / 2, 448), "The settings pages open as soon as the mouse is found.",
              font("regular", 12), TEXT_MUTED, "mm")
    return img


# ------------------------------------------------------------- pop-ups ----

def popup_frame(size, title=None):
    """Background shared by every pop-up: a framed dark panel with a gold
    top edge and the small brand mark. A title of "" leaves the mark alone,
    beside the place where the program writes its own title."""
    w, h = size
    img = backdrop(w, h, top=(36, 36, 38), bottom=(22, 22, 23))
    for x in (0, w - 1):
        vline(img, x, 0, h, (70, 70, 74))
    hline(img, 0, w, h - 1, (70, 70, 74))
    hline(img, 0, w, 0, GOLD)
    hline(img, 0, w, 1, GOLD_DEEP, 160)
    if title is not None:
        draw_mark(img, Rect(16, 13, 18, 18), GOLD)
    if title:
        draw_text(img, (42, 22.5), title, font("bold", 16), TEXT, "lm")
    return img


MESSAGES = {
    # kind: (icon, icon colour, headline, detail, (yes label or None, no label))
    "question": ("?", GOLD, "Restore the default settings?",
                 "All button and sensor settings will be reset.", ("Yes", "No")),
    "nodev": ("!", GOLD, "No mouse found",
              "Please connect your Korvid mouse and try again.", (None, "OK")),
    "error": ("\u00d7", DANGER, "Error",
              "Something went wrong. Please try again.", (None, "OK")),
}


def _message_background(kind):
    icon, icon_colour, headline, detail, _ = MESSAGES[kind]
    img = popup_frame(L.MESSAGE_SIZE, "Korvid")
    hline(img, 16, L.MESSAGE_SIZE[0] - 16, 44, SEPARATOR)
    disc = Rect(30, 86, 52, 52)
    glow(img, disc, 26, icon_colour, strength=50, spread=6, clip=disc.inset(-14))
    rounded_box(img, disc, 26, fill=(28, 28, 29), outline=icon_colour, width=2)
    draw_text(img, (disc.cx, disc.cy + 1), icon, font("bold", 28), icon_colour, "mm")
    draw_text(img, (104, 88), headline, font("bold", 18), TEXT, "la")
    paragraph(img, 104, 117, detail, font("regular", 13), TEXT_SOFT, 290, leading=19)
    return img


def message_sheet(kind, state):
    """Message pop-ups.  The program takes the pointer-over and pressed
    looks of the no-mouse pop-up's OK button from the question pop-up's Yes
    button, so in those two states the confirming button shows a tick
    rather than a word; likewise the refusing button shows a cross."""
    img = _once("message-" + kind, lambda: _message_background(kind))
    yes, no = MESSAGES[kind][4]
    if state == NORMAL:
        if yes:
            button(img, L.MESSAGE_YES, state, yes, kind="primary", size=15)
        button(img, L.MESSAGE_NO, state, no, kind="primary" if not yes else "secondary", size=15)
    elif yes:
        button(img, L.MESSAGE_YES, state, icon="check", kind="primary", size=15)
        button(img, L.MESSAGE_NO, state, icon="cross", size=15)
    else:
        button(img, L.MESSAGE_NO, state, icon="check", kind="primary", size=15)
    return img


# Notices: the frame, the mark and the buttons; the program draws the words.
# kind: the buttons' labels from the right, the primary one first.
NOTICES = {
    "ok": ("OK",),
    "yesno": ("Yes", "No"),
    "unapplied": ("Apply", "Discard", "Cancel"),
}


def _notice_background():
    img = popup_frame(L.NOTICE_SIZE, "Korvid")
    hline(img, 16, L.NOTICE_SIZE[0] - 16, 44, SEPARATOR)
    disc = L.NOTICE_ICON
    glow(img, disc, 26, GOLD, strength=50, spread=6, clip=disc.inset(-14))
    rounded_box(img, disc, 26, fill=(28, 28, 29), outline=GOLD, width=2)
    draw_text(img, (disc.cx, disc.cy + 1), "!", font("bold", 28), GOLD, "mm")
    return img


def notice_sheet(kind, state):
    img = _once("notice", _notice_background)
    labels = NOTICES[kind]
    # The primary answer stands left of the others, as in the question
    # pop-up; a lone OK is primary where it stands.
    places = L.NOTICE_BUTTONS[:len(labels)][::-1]
    for index, (rect, label) in enumerate(zip(places, labels)):
        button(img, rect, state, label, kind="primary" if index == 0 else "secondary", size=15)
    return img


# ---------------------------------------------------------------- colour ----

def _colour_background():
    # The title names the level, so the program writes it.
    img = popup_frame(L.COLOUR_SIZE, "")
    grid = union(*(rect for rect, _ in L.COLOUR_SWATCHES))
    rounded_box(img, grid.inset(-3), 9, fill=(20, 20, 21), outline=(48, 48, 50))
    well(img, L.COLOUR_CUSTOM_WELL, 7)
    well(img, L.COLOUR_PREVIEW_WELL, 7)
    return img


def colour_sheet(state):
    img = _once("colour", _colour_background)
    for rect, colour in L.COLOUR_SWATCHES:
        _swatch(img, rect, colour, state)
    button(img, L.COLOUR_SAVE, state, "Save", kind="primary", size=18, margin=5)
    button(img, L.COLOUR_CANCEL, state, "Cancel", size=18, margin=5)
    close_glyph(img, L.COLOUR_CLOSE, state)
    return img


def _swatch(img, rect, colour, state):
    chip = rect.inset(9, 8)
    if state == OVER:
        glow(img, chip, 8, colour, strength=90, spread=3, clip=rect.inset(2))
        rounded_box(img, chip.inset(-3), 10, outline=GOLD, width=1.5)
    elif state == DOWN:
        rounded_box(img, chip.inset(-4), 11, outline=GOLD, width=2.5)
    rounded_box(img, chip, 7, gradient=(mix_light(colour, 0.22), colour), outline=(0, 0, 0),
                outline_alpha=90)
    hline(img, chip.x + 7, chip.right - 7, chip.y + 1, (255, 255, 255), 70)
    if state == DOWN:
        disc = Rect(int(chip.cx - 12), int(chip.cy - 12), 24, 24)
        glow(img, disc, 12, (0, 0, 0), strength=120, spread=2, clip=disc.inset(-5))
        rounded_box(img, disc, 12, fill=INK, outline=GOLD, width=1.5)
        glyph(img, disc, "check", GOLD, size=11, width=2.2)


def mix_light(colour, t):
    return tuple(int(c + (255 - c) * t) for c in colour)


# ------------------------------------------------------------------- key ----

def _key_background():
    img = popup_frame(L.KEY_SIZE, "Custom Hotkey")
    hline(img, 16, L.KEY_SIZE[0] - 16, 44, SEPARATOR)
    draw_text(img, (L.KEY_FIELD.x, 53), "Press a key combination, or pick a key from Other keys.",
              font("regular", 13), TEXT_SOFT, "la")
    section_title(img, L.KEY_FIELD.x, 73, "Key")
    well(img, L.KEY_FIELD, 7)
    for rect, caption in L.KEY_TOGGLES:
        draw_text(img, (rect.right + 8, rect.cy + 0.5), caption, font("regular", 14), TEXT, "lm")
    return img


def key_sheet(state):
    """Hotkey pop-up.  The pressed sheet also serves as pointer-over, and
    shows the modifier toggles checked."""
    img = _once("key", _key_background)
    for rect, _ in L.KEY_TOGGLES:
        check_box(img, rect, checked=state == DOWN, state=state)
    button(img, L.KEY_SAVE, state, "Save", kind="primary", size=15)
    button(img, L.KEY_CANCEL, state, "Cancel", size=15)
    combo_frame(img, L.KEY_LIST, state)
    return img


# ---------------------------------------------------------------- slider ----

SLIDER_PANEL = (360, 196)              # the fixture window: the sheet's top part
SLIDER_SIZE = (360, 222)
SLIDER_TRACKS = (Rect(40, 50, 280, 36), Rect(40, 98, 280, 36), Rect(40, 146, 280, 36))
SLIDER_THUMB = Rect(40, 199, 20, 20)   # the thumb, below the panel


def _slider_background():
    img = new_sheet(*SLIDER_SIZE, colour=(0, 0, 0), alpha=0)   # the thumb's strip stays see-through
    put(img, popup_frame(SLIDER_PANEL, "Slider"), (0, 0))
    for track in SLIDER_TRACKS:
        groove = Rect(track.x + 4, track.y + 8, track.w - 8, 4)
        rounded_box(img, groove.inset(-1), 3, fill=(12, 12, 13), outline=(60, 60, 63))
        rounded_box(img, groove, 2, gradient=(GOLD_DEEP, GOLD))
    return img


def slider_sheet(state):
    """The image slider's art: a gold groove on a dark panel, and below the
    panel the thumb in the state's look (off: disabled)."""
    img = _once("slider", _slider_background)
    thumb = SLIDER_THUMB
    ring = {NORMAL: GOLD, OVER: GOLD_SOFT, DOWN: GOLD_SOFT, OFF: TEXT_OFF}[state]
    core = {NORMAL: (36, 36, 38), OVER: (58, 50, 26), DOWN: GOLD, OFF: (40, 40, 42)}[state]
    rounded_box(img, thumb.inset(1), 9, fill=core, outline=ring, width=2)
    return img
