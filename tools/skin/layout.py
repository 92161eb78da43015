"""Sheet sizes and control rectangles (x, y, width, height in the sheet's
own pixels).  The program cuts every control image at exactly these
rectangles, so they must match the dialogs' layout tables."""
from skinkit import Rect

# Main window.
MAIN_SIZE = (1068, 647)
PAGE_ORIGIN = (3, 90)
MAIN_MINIMISE = Rect(980, 17, 28, 12)
MAIN_CLOSE = Rect(1030, 5, 22, 24)
MAIN_TABS = (  # (rect, label, icon)
    (Rect(67, 32, 135, 58), "Button Setting", "mouse"),
    (Rect(340, 32, 123, 58), "Advanced", "sliders"),
    (Rect(609, 32, 119, 58), "Support", "refresh"),
    (Rect(867, 32, 137, 58), "Help", "question"),
)

PAGE_SIZE = (1062, 554)        # button, sensor and support pages
NOTICE_PAGE_SIZE = (1062, 553)  # help and no-mouse pages

# Button assignment page.
FUNCTION_BUTTONS = (
    Rect(623, 132, 282, 34),
    Rect(623, 169, 282, 34),
    Rect(623, 207, 282, 31),
    Rect(623, 245, 282, 31),
    Rect(623, 282, 282, 31),
)
FUNCTION_LABELS = ("Left Button", "Right Button", "Middle Button", "Forward", "Back")
FIXED_FUNCTION_BUTTONS = 2     # buttons 1 and 2 open no menu
BUTTONS_APPLY = Rect(686, 426, 219, 61)
# Where "Saved to the mouse" shows after a write: beside the button, in place
# of its hint.
BUTTONS_SAVED = Rect(416, 440, 256, 32)

# Sensor page: per level (1 to 4).
CPI_FIELDS = (Rect(64, 170, 151, 35), Rect(296, 170, 149, 35),
              Rect(63, 395, 151, 35), Rect(296, 395, 151, 34))
CPI_UP = (Rect(216, 170, 17, 12), Rect(447, 169, 19, 13),
          Rect(215, 394, 18, 12), Rect(448, 394, 18, 12))
CPI_DOWN = (Rect(216, 182, 18, 11), Rect(449, 182, 18, 12),
            Rect(215, 406, 18, 12), Rect(448, 406, 18, 13))
# The level 1 switch's control reaches far above its box; the switch art
# sits in the bottom 23 x 23 of it, level with the other switches.
LEVEL_SWITCHES = (Rect(239, 15, 23, 82), Rect(470, 75, 23, 23),
                  Rect(239, 299, 22, 22), Rect(470, 299, 23, 22))
LEVEL_SWITCH_ART = (Rect(239, 75, 23, 23), Rect(470, 75, 23, 23),
                    Rect(239, 299, 22, 22), Rect(470, 299, 23, 22))
LEVEL_BADGES = (Rect(208, 78, 26, 16), Rect(439, 78, 27, 16),
                Rect(208, 302, 27, 15), Rect(440, 302, 25, 16))
# Frame segments of each level: top, left, bottom, right.
LEVEL_FRAMES = (
    (Rect(40, 99, 225, 58), Rect(40, 156, 24, 52), Rect(40, 207, 225, 84), Rect(240, 156, 25, 52)),
    (Rect(271, 99, 225, 58), Rect(271, 156, 25, 52), Rect(271, 207, 225, 84), Rect(472, 156, 24, 52)),
    (Rect(40, 322, 225, 58), Rect(40, 379, 24, 52), Rect(40, 430, 225, 84), Rect(240, 379, 25, 52)),
    (Rect(271, 322, 225, 58), Rect(271, 379, 25, 52), Rect(271, 430, 225, 84), Rect(472, 379, 24, 52)),
)
# Colours the frames show before a profile is loaded, for the sheets
# whose frame area is never shown (RGB).
LEVEL_PREVIEW_COLOURS = ((253, 196, 21), (55, 59, 137), (206, 6, 6), (28, 124, 57))
SMOOTHING_SWITCH = Rect(732, 126, 34, 33)
SMOOTHING_INDICATOR = Rect(775, 133, 33, 20)
LIFT_OFF_SELECTOR = Rect(733, 202, 263, 28)
SENSOR_APPLY = Rect(783, 457, 215, 60)
SENSOR_SAVED = Rect(513, 471, 256, 32)

# Support page.
FIRMWARE_LABEL = Rect(289, 103, 42, 15)
SOFTWARE_LABEL = Rect(289, 172, 42, 15)
FIRMWARE_UPDATE = Rect(368, 87, 120, 47)
SOFTWARE_UPDATE = Rect(367, 156, 122, 47)
RESTORE_DEFAULTS = Rect(893, 156, 120, 47)
RESTORE_SAVED = Rect(623, 163, 256, 32)

# Help page.
FAQ_BUTTON = Rect(616, 189, 395, 47)
EMAIL_BUTTON = Rect(676, 341, 277, 23)
SUPPORT_EMAIL = "support@orvanta.com"

# Message pop-ups (SystemMsg, Nodev, Error).
MESSAGE_SIZE = (420, 245)
MESSAGE_YES = Rect(202, 187, 90, 36)
MESSAGE_NO = Rect(299, 187, 90, 35)

# Notices: the messages whose words the program draws itself, and the
# question before the program ends. Three button places, right to left.
NOTICE_SIZE = (470, 300)
NOTICE_ICON = Rect(30, 64, 52, 52)
NOTICE_BUTTONS = (Rect(364, 248, 90, 36), Rect(267, 248, 90, 36), Rect(170, 248, 90, 36))

# Colour dialog.
COLOUR_SIZE = (421, 306)
COLOUR_CLOSE = Rect(389, 7, 24, 23)
COLOUR_SAVE = Rect(14, 232, 189, 61)
COLOUR_CANCEL = Rect(218, 232, 189, 61)
# The custom colour row: the wells the program writes the field and the
# preview into (the title, the row's label and hint are the program's).
COLOUR_CUSTOM_WELL = Rect(148, 184, 112, 36)
COLOUR_PREVIEW_WELL = Rect(268, 184, 36, 36)
COLOUR_SWATCHES = (  # (rect, RGB)
    (Rect(13, 47, 101, 64), (255, 0, 0)),
    (Rect(113, 47, 99, 64), (0, 255, 0)),
    (Rect(211, 49, 99, 62), (0, 0, 255)),
    (Rect(309, 49, 99, 62), (255, 235, 0)),
    (Rect(13, 110, 101, 63), (255, 150, 0)),
    (Rect(113, 110, 99, 63), (155, 0, 255)),
    (Rect(211, 110, 99, 63), (0, 255, 255)),
    (Rect(309, 110, 99, 63), (255, 255, 255)),
)

# Custom hotkey pop-up.
KEY_SIZE = (462, 260)
KEY_FIELD = Rect(43, 88, 377, 43)
KEY_TOGGLES = (  # (rect, caption)
    (Rect(38, 145, 27, 27), "Shift"),
    (Rect(140, 145, 28, 27), "Ctrl"),
    (Rect(245, 145, 29, 27), "Alt"),
    (Rect(338, 145, 29, 27), "Win"),
)
KEY_SAVE = Rect(218, 205, 97, 37)
KEY_CANCEL = Rect(327, 205, 99, 37)
# The drop list of the keys a keyboard may lack.
KEY_LIST = Rect(43, 205, 163, 37)
