#include "widgets/tool_tips.h"

#include <commctrl.h>

#include "framework/window.h"

namespace korvid {

HWND CreateToolTips(HWND owner) {
  return CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                         WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_NOFADE | TTS_NOANIMATE, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, framework::ModuleInstance(),
                         nullptr);
}

void AddToolTip(HWND tip, HWND owner, HWND tool) {
  TOOLINFOW info{};
  info.cbSize = sizeof(info);
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = owner;
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  info.lpszText = LPSTR_TEXTCALLBACKW;
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void AddToolTipArea(HWND tip, HWND owner, HWND tool) {
  TOOLINFOW info{};
  info.cbSize = sizeof(info);
  info.uFlags = TTF_SUBCLASS;
  info.hwnd = owner;
  info.uId = static_cast<UINT_PTR>(::GetDlgCtrlID(tool));
  info.lpszText = LPSTR_TEXTCALLBACKW;
  GetWindowRect(tool, &info.rect);
  MapWindowPoints(HWND_DESKTOP, owner, reinterpret_cast<POINT*>(&info.rect), 2);
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

int ToolTipControlId(const NMHDR& request) {
  const auto& display = reinterpret_cast<const NMTTDISPINFOW&>(request);
  if (display.uFlags & TTF_IDISHWND) return ::GetDlgCtrlID(reinterpret_cast<HWND>(request.idFrom));
  return static_cast<int>(request.idFrom);
}

}  // namespace korvid
