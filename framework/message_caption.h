#pragma once

namespace korvid {

// Caption of the program's message boxes. It differs from the main window's
// title so that a second copy looking for that title never finds a box.
inline constexpr wchar_t kMessageCaption[] = L"Korvid Configuration";

}  // namespace korvid
