#pragma once
#include "framework/message_caption.h"

namespace korvid {

inline constexpr wchar_t kMainWindowTitle[] = L"Korvid Configuration Software";

inline constexpr wchar_t kApplyFailed[] = L"Apply Failed";
inline constexpr wchar_t kRegisterNotificationFailed[] = L"RegisterDeviceNotification Failed!";
inline constexpr wchar_t kProfileNotSaved[] =
    L"The profile could not be saved, so the mouse was not changed.\n\n"
    L"Check that the profile folder can be written to and that the disk is not full:\n";

}  // namespace korvid
