#pragma once
#include <span>
#include <string>

#include "framework/win32.h"

namespace korvid {

// The tip of every page's Apply button.
inline constexpr wchar_t kApplyToolTip[] = L"Apply settings and store it onboard mouse memory";

// A tool-tip control for controls of `owner`; it lives as long as its owner's
// top-level window. Null when it could not be made. Whenever the tip sizes
// itself it is made wide enough for `shownText`, measured in its own font:
// the owner keeps there the text it last answered (ToolTipAnswerText), and
// keeps the string for as long as the tip lives.
HWND CreateToolTips(HWND owner, const std::wstring& shownText);
// Gives `tool` a tip whose text `owner` is asked for when it shows
// (TTN_NEEDTEXTW).
void AddToolTip(HWND tip, HWND owner, HWND tool);
// Gives a control that stays disabled, and so gets no mouse input, a tip
// over its area of `owner`, asked for under its control ID.
void AddToolTipArea(HWND tip, HWND owner, HWND tool);
// The control ID a text request is for; 0 when it names no control.
int ToolTipControlId(const NMHDR& request);

// A control's tip text, for the windows whose tips do not change. A control
// that stays disabled, and so gets no mouse input, takes its tip over its
// area instead (AddToolTipArea).
struct ToolTipText {
  int id;
  const wchar_t* text;
  bool overArea = false;
};
// Answers a text request from `texts`; false when it is for none of them.
bool AnswerToolTipText(NMHDR& request, std::span<const ToolTipText> texts);
// The text request a WM_NOTIFY carries (TTN_NEEDTEXTW), or null.
NMHDR* ToolTipTextRequest(LPARAM notification);
// The text an answered request gives the tip.
std::wstring ToolTipAnswerText(const NMHDR& request);

}  // namespace korvid
