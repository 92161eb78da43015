#include "widgets/tool_tips.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/handles.h"
#include "framework/window.h"
#include "skin/ui_scale.h"

namespace korvid {

namespace {

// While the pointer rests on a tool, the tip control checks at this interval
// whether it has left (under Wine for as long as it rests there, the tip
// shown or not); the system's default of a fifth of the initial delay wakes
// the program ten times a second for that. The leave itself is seen at once
// through HideTipOnLeave, so the check only has to catch what that cannot
// (the pointer leaving a disabled control's area straight out of the window).
constexpr WORD kReshowMs = 1000;
constexpr UINT_PTR kLeaveSubclassId = 0x4B54;
constexpr UINT_PTR kFitSubclassId = 0x4B46;
// Between the text and the tip's margins the control keeps a few pixels of
// its own on each side, and its drawing can run a few pixels past its own
// measure; this much room on each side holds both.
constexpr int kTextRoom = 4;

// The width a tip needs for `text` in its own font, margins and border
// included.
int TipWidthFor(HWND tip, const std::wstring& text) {
  framework::WindowDc dc(tip);
  if (!dc.get()) return 0;
  framework::SelectObjectGuard font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(tip, WM_GETFONT, 0, 0)));
  RECT measured{};
  DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &measured,
            DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  SIZE extent{};
  GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
  RECT margin{};
  SendMessageW(tip, TTM_GETMARGIN, 0, reinterpret_cast<LPARAM>(&margin));
  RECT window{0, 0, std::max<int>(measured.right - measured.left, extent.cx) + margin.left + margin.right +
                        2 * Scaled(kTextRoom), 0};
  AdjustWindowRectEx(&window, static_cast<DWORD>(GetWindowLongW(tip, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongW(tip, GWL_EXSTYLE)));
  return window.right - window.left;
}

// Widens the tip, whenever it sizes itself, to the text its owner answered.
LRESULT CALLBACK FitTipToText(HWND tip, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR text) {
  if (message == WM_NCDESTROY) RemoveWindowSubclass(tip, FitTipToText, id);
  if (message == WM_WINDOWPOSCHANGING) {
    auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
    const auto& shown = *reinterpret_cast<const std::wstring*>(text);
    if (!(position->flags & SWP_NOSIZE) && !shown.empty()) {
      position->cx = std::max(position->cx, TipWidthFor(tip, shown));
    }
  }
  return DefSubclassProc(tip, message, wParam, lParam);
}

// Hides the tip and ends the tip control's checks for a leave: a move over
// a window that has no tool counts as the pointer having left every tool, so
// the next tool entered shows its tip after the initial delay.
void PointerLeftTools(HWND tip) {
  SendMessageW(tip, TTM_POP, 0, 0);
  MSG away{};
  away.hwnd = tip;
  away.message = WM_MOUSEMOVE;
  SendMessageW(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&away));
}

// A skinned control holds the capture while the pointer is over it, so the
// move that leaves it comes to the control itself. The tip control matches a
// whole-window tool by the window a move came to, not by its point, and so
// would keep its tip up until its own check; the tip is hidden here instead.
LRESULT CALLBACK HideTipOnLeave(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                DWORD_PTR tip) {
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, HideTipOnLeave, id);
  const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
  if (message == WM_MOUSEMOVE) {
    RECT client{};
    ::GetClientRect(window, &client);
    const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (!PtInRect(&client, point)) PointerLeftTools(reinterpret_cast<HWND>(tip));
  }
  return result;
}

}  // namespace

HWND CreateToolTips(HWND owner, const std::wstring& shownText) {
  HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_NOFADE | TTS_NOANIMATE, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, framework::ModuleInstance(),
                             nullptr);
  if (!tip) return nullptr;
  SendMessageW(tip, TTM_SETDELAYTIME, TTDT_RESHOW, MAKELPARAM(kReshowMs, 0));
  SetWindowSubclass(tip, FitTipToText, kFitSubclassId, reinterpret_cast<DWORD_PTR>(&shownText));
  return tip;
}

void AddToolTip(HWND tip, HWND owner, HWND tool) {
  TOOLINFOW info{};
  info.cbSize = sizeof(info);
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = owner;
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  info.lpszText = LPSTR_TEXTCALLBACKW;
  if (SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info))) {
    SetWindowSubclass(tool, HideTipOnLeave, kLeaveSubclassId, reinterpret_cast<DWORD_PTR>(tip));
  }
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

bool AnswerToolTipText(NMHDR& request, std::span<const ToolTipText> texts) {
  const int id = ToolTipControlId(request);
  for (const ToolTipText& tip : texts) {
    if (id != 0 && tip.id == id) {
      reinterpret_cast<NMTTDISPINFOW&>(request).lpszText = const_cast<wchar_t*>(tip.text);
      return true;
    }
  }
  return false;
}

NMHDR* ToolTipTextRequest(LPARAM notification) {
  auto* header = reinterpret_cast<NMHDR*>(notification);
  return header && header->code == TTN_NEEDTEXTW ? header : nullptr;
}

std::wstring ToolTipAnswerText(const NMHDR& request) {
  const auto& display = reinterpret_cast<const NMTTDISPINFOW&>(request);
  if (display.lpszText && !IS_INTRESOURCE(display.lpszText)) return display.lpszText;
  return display.szText;
}

int ToolTipControlId(const NMHDR& request) {
  const auto& display = reinterpret_cast<const NMTTDISPINFOW&>(request);
  if (display.uFlags & TTF_IDISHWND) return ::GetDlgCtrlID(reinterpret_cast<HWND>(request.idFrom));
  return static_cast<int>(request.idFrom);
}

}  // namespace korvid
