#pragma once
#include "framework/message_caption.h"

namespace korvid {

inline constexpr wchar_t kMainWindowTitle[] = L"Korvid Configuration Software";

inline constexpr wchar_t kRegisterNotificationFailed[] = L"RegisterDeviceNotification Failed!";
// Followed by the profiles folder, then kSaveFailureReason and the reason.
inline constexpr wchar_t kProfileNotSaved[] =
    L"The profile could not be saved, so the mouse was not changed.\n\n"
    L"Profile folder: ";
inline constexpr wchar_t kSaveFailureReason[] = L"\nReason: ";

}  // namespace korvid
