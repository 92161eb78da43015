#pragma once

namespace korvid {

// Caption of the program's message boxes. It differs from the main window's
// title so that a second copy looking for that title never finds a box.
inline constexpr wchar_t kMessageCaption[] = L"Korvid Configuration";
inline constexpr wchar_t kMainWindowTitle[] = L"Korvid Configuration Software";

inline constexpr wchar_t kUiLoadFailed[] = L"UI load failed!";
inline constexpr wchar_t kApplyFailed[] = L"Apply Failed";
inline constexpr wchar_t kRegisterNotificationFailed[] = L"RegisterDeviceNotification Failed!";
inline constexpr wchar_t kProfileNotSaved[] =
    L"The profile could not be saved, so the mouse was not changed.\n\n"
    L"Check that the profile folder can be written to and that the disk is not full:\n";

}  // namespace korvid
