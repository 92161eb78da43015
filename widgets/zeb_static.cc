#include "widgets/zeb_static.h"

#include "skin/dimmed_look.h"
#include "skin/focus_mark.h"
#include "skin/text.h"

namespace korvid {
namespace {

constexpr int kDefaultFontHeight = 16;
constexpr int kSetFontWeight = 550;

}  // namespace

CZebStatic::CZebStatic() : font_(CreateArialFont(kDefaultFontHeight, FW_NORMAL)) {}

void CZebStatic::SetText(const std::wstring& text) {
  if (texts.empty()) {
    texts.push_back(text);
  } else {
    texts[0] = text;
  }
  textIndex = 0;
  if (GetSafeHwnd()) {
    // The static's own text change would repaint through the default
    // handling; the owner-drawn look is repainted here instead.
    ::SetWindowTextW(GetSafeHwnd(), text.c_str());
    Invalidate(false);
  }
}

std::wstring CZebStatic::GetText() const {
  if (textIndex < 0 || textIndex >= static_cast<int>(texts.size())) return std::wstring();
  return texts[textIndex];
}

void CZebStatic::SetFontHeight(int height) {
  font_ = CreateArialFont(height, kSetFontWeight);
  if (GetSafeHwnd()) Invalidate(false);
}

void CZebStatic::SetBackgroundImage(framework::ImagePtr image) { background_ = std::move(image); }

void CZebStatic::PreSubclassWindow() { ModifyStyle(SS_TYPEMASK, SS_OWNERDRAW); }

bool CZebStatic::TakesKeys() const { return (GetStyle() & (SS_NOTIFY | WS_TABSTOP)) == (SS_NOTIFY | WS_TABSTOP); }

LRESULT CZebStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return TRUE;
    case WM_GETDLGCODE: {
      const auto* key = reinterpret_cast<const MSG*>(lParam);
      if (TakesKeys() && key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) return DLGC_WANTMESSAGE;
      return Default(message, wParam, lParam);
    }
    case WM_KEYDOWN:
      if (TakesKeys() && (wParam == VK_SPACE || wParam == VK_RETURN)) {
        SendMessageW(GetParent(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), STN_CLICKED),
                     reinterpret_cast<LPARAM>(GetSafeHwnd()));
        return 0;
      }
      return Default(message, wParam, lParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return DefaultThenRepaint(message, wParam, lParam);
    case WM_LBUTTONDBLCLK:
      SendMessageW(GetParent(), WM_SYSCOMMAND, static_cast<WPARAM>(GetDlgCtrlID()), 1);
      return Default(message, wParam, lParam);
    default:
      return CStatic::WindowProc(message, wParam, lParam);
  }
}

void CZebStatic::DrawItem(const DRAWITEMSTRUCT& item) {
  const RECT& r = item.rcItem;
  const int width = r.right - r.left, height = r.bottom - r.top;
  {
    Gdiplus::Graphics graphics(item.hDC);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    Gdiplus::SolidBrush fill{Gdiplus::Color(fillColour)};
    graphics.FillRectangle(&fill, r.left, r.top, width, height);
    if (background_) graphics.DrawImage(background_.get(), r.left, r.top, width, height);
    if (imageIndex >= 0 && imageIndex < static_cast<int>(images.size()) && images[imageIndex]) {
      graphics.DrawImage(images[imageIndex].get(), r.left, r.top, width, height);
    }
  }
  if (textIndex >= 0 && textIndex < static_cast<int>(texts.size())) {
    DrawTextCentered(item.hDC, texts[textIndex], ArgbToColorref(textColour), centreHorizontally, true, r,
                     font_.get());
  }
  if (dimmed) DrawDimmedVeil(item.hDC, r);
  if (ShowsFocusMark(GetSafeHwnd())) DrawFocusMark(item.hDC, IsRectEmpty(&focusArea) ? r : focusArea);
}

}  // namespace korvid
