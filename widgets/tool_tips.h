#pragma once
#include <optional>
#include <span>

#include "framework/win32.h"

namespace korvid {

// The tip text of one control of a window.
struct ToolTipText {
  int id;
  const wchar_t* text;
  // A control that stays disabled gets no mouse input: its window watches
  // the control's area instead.
  bool alwaysDisabled = false;
};

// A tool tip control for a window's controls; the texts are asked for
// (TTN_NEEDTEXTW) when shown. Returns the tip window, a child of
// the window's lifetime, or null.
HWND CreateToolTips(HWND window, std::span<const ToolTipText> tips);
// Answers the WM_NOTIFY whose lParam is given when it is a tip's text
// request (TTN_NEEDTEXTW), from the table: false for a request without a
// control (ID 0), true otherwise, with the text when the control has one.
// Nothing for any other notification.
std::optional<bool> AnswerToolTipText(LPARAM notification, std::span<const ToolTipText> tips);

}  // namespace korvid
