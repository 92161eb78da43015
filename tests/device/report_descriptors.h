#pragma once
#include <cstdint>
#include <vector>

// HID report descriptors of the collections a Korvid mouse and its
// neighbours present, as the device sends them: for the parser's tests and
// for the hidraw stand-in, which serves them as its nodes' descriptors.
namespace korvid::report_descriptors {

using DescriptorBytes = std::vector<uint8_t>;

// The boot keyboard descriptor of HID 1.11, appendix E.6: the mouse's
// keyboard collection (usage page 1, usage 6).
inline const DescriptorBytes kBootKeyboard = {
    0x05, 0x01,        // Usage Page (Generic Desktop)
    0x09, 0x06,        // Usage (Keyboard)
    0xA1, 0x01,        // Collection (Application)
    0x05, 0x07,        //   Usage Page (Keyboard/Keypad)
    0x19, 0xE0,        //   Usage Minimum (Left Control)
    0x29, 0xE7,        //   Usage Maximum (Right GUI)
    0x15, 0x00,        //   Logical Minimum (0)
    0x25, 0x01,        //   Logical Maximum (1)
    0x75, 0x01,        //   Report Size (1)
    0x95, 0x08,        //   Report Count (8)
    0x81, 0x02,        //   Input (Data, Variable, Absolute)
    0x95, 0x01,        //   Report Count (1)
    0x75, 0x08,        //   Report Size (8)
    0x81, 0x01,        //   Input (Constant)
    0x95, 0x05,        //   Report Count (5)
    0x75, 0x01,        //   Report Size (1)
    0x05, 0x08,        //   Usage Page (LEDs)
    0x19, 0x01,        //   Usage Minimum (Num Lock)
    0x29, 0x05,        //   Usage Maximum (Kana)
    0x91, 0x02,        //   Output (Data, Variable, Absolute)
    0x95, 0x01,        //   Report Count (1)
    0x75, 0x03,        //   Report Size (3)
    0x91, 0x01,        //   Output (Constant)
    0x95, 0x06,        //   Report Count (6)
    0x75, 0x08,        //   Report Size (8)
    0x15, 0x00,        //   Logical Minimum (0)
    0x25, 0x65,        //   Logical Maximum (101)
    0x05, 0x07,        //   Usage Page (Keyboard/Keypad)
    0x19, 0x00,        //   Usage Minimum (0)
    0x29, 0x65,        //   Usage Maximum (101)
    0x81, 0x00,        //   Input (Data, Array)
    0xC0,              // End Collection
};

// The boot mouse descriptor of HID 1.11, appendix E.10: the mouse's pointer
// collection (usage page 1, usage 2).
inline const DescriptorBytes kBootMouse = {
    0x05, 0x01,        // Usage Page (Generic Desktop)
    0x09, 0x02,        // Usage (Mouse)
    0xA1, 0x01,        // Collection (Application)
    0x09, 0x01,        //   Usage (Pointer)
    0xA1, 0x00,        //   Collection (Physical)
    0x05, 0x09,        //     Usage Page (Button)
    0x19, 0x01,        //     Usage Minimum (1)
    0x29, 0x03,        //     Usage Maximum (3)
    0x15, 0x00,        //     Logical Minimum (0)
    0x25, 0x01,        //     Logical Maximum (1)
    0x95, 0x03,        //     Report Count (3)
    0x75, 0x01,        //     Report Size (1)
    0x81, 0x02,        //     Input (Data, Variable, Absolute)
    0x95, 0x01,        //     Report Count (1)
    0x75, 0x05,        //     Report Size (5)
    0x81, 0x01,        //     Input (Constant)
    0x05, 0x01,        //     Usage Page (Generic Desktop)
    0x09, 0x30,        //     Usage (X)
    0x09, 0x31,        //     Usage (Y)
    0x15, 0x81,        //     Logical Minimum (-127)
    0x25, 0x7F,        //     Logical Maximum (127)
    0x75, 0x08,        //     Report Size (8)
    0x95, 0x02,        //     Report Count (2)
    0x81, 0x06,        //     Input (Data, Variable, Relative)
    0xC0,              //   End Collection
    0xC0,              // End Collection
};

// The configuration collection (usage page 0xFF01, usage 2): a 64-byte
// (ID 0xA1) and a 1041-byte (ID 0xA0) feature report, counting the ID.
inline const DescriptorBytes kConfigCollection = {
    0x06, 0x01, 0xFF,  // Usage Page (Vendor 0xFF01)
    0x09, 0x02,        // Usage (2)
    0xA1, 0x01,        // Collection (Application)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x85, 0xA1,        //   Report ID (0xA1)
    0x09, 0x01,        //   Usage (1)
    0x95, 0x3F,        //   Report Count (63)
    0xB1, 0x02,        //   Feature (Data, Variable, Absolute)
    0x85, 0xA0,        //   Report ID (0xA0)
    0x09, 0x01,        //   Usage (1)
    0x96, 0x10, 0x04,  //   Report Count (1040)
    0xB1, 0x02,        //   Feature (Data, Variable, Absolute)
    0xC0,              // End Collection
};

// Another vendor-defined collection (usage page 0xFF00, usage 1), as many
// mice carry for their own tools: 32-byte input and output reports under
// ID 0x05. Listed before the configuration collection in one descriptor it
// shares the node with it.
inline const DescriptorBytes kOtherVendorCollection = {
    0x06, 0x00, 0xFF,  // Usage Page (Vendor 0xFF00)
    0x09, 0x01,        // Usage (1)
    0xA1, 0x01,        // Collection (Application)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x85, 0x05,        //   Report ID (5)
    0x95, 0x1F,        //   Report Count (31)
    0x09, 0x01,        //   Usage (1)
    0x81, 0x02,        //   Input (Data, Variable, Absolute)
    0x95, 0x1F,        //   Report Count (31)
    0x09, 0x01,        //   Usage (1)
    0x91, 0x02,        //   Output (Data, Variable, Absolute)
    0xC0,              // End Collection
};

}  // namespace korvid::report_descriptors
