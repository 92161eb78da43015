#include "widgets/tool_tips.h"

#include <commctrl.h>

#include "framework/window.h"

namespace korvid {

HWND CreateToolTips(HWND window, std::span<const ToolTipText> tips) {
  HWND toolTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_NOFADE | TTS_NOANIMATE, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                 framework::ModuleInstance(), nullptr);
  if (!toolTip) return nullptr;
  for (const ToolTipText& tip : tips) {
    HWND control = GetDlgItem(window, tip.id);
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = window;
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    if (!tip.alwaysDisabled) {
      tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
      tool.uId = reinterpret_cast<UINT_PTR>(control);
    } else {
      tool.uFlags = TTF_SUBCLASS;
      tool.uId = static_cast<UINT_PTR>(tip.id);
      GetWindowRect(control, &tool.rect);
      MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&tool.rect), 2);
    }
    SendMessageW(toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  return toolTip;
}

std::optional<bool> AnswerToolTipText(LPARAM notification, std::span<const ToolTipText> tips) {
  auto* header = reinterpret_cast<NMHDR*>(notification);
  if (!header || header->code != TTN_NEEDTEXTW) return std::nullopt;
  auto& request = *reinterpret_cast<NMTTDISPINFOW*>(header);
  UINT_PTR id = header->idFrom;
  if (request.uFlags & TTF_IDISHWND) id = static_cast<UINT_PTR>(GetDlgCtrlID(reinterpret_cast<HWND>(id)));
  if (id == 0) return false;
  for (const ToolTipText& tip : tips) {
    if (static_cast<UINT_PTR>(tip.id) == id) {
      request.lpszText = const_cast<wchar_t*>(tip.text);
      break;
    }
  }
  return true;
}

}  // namespace korvid
