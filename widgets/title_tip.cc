#include "widgets/title_tip.h"

#include <windowsx.h>

#include "skin/text.h"
#include "skin/ui_scale.h"

namespace korvid {
namespace {

constexpr Gdiplus::ARGB kOutline = 0xFF767676;
constexpr Gdiplus::ARGB kFill = 0xFFFFFFFF;
constexpr Gdiplus::ARGB kTextColour = 0xFF575757;
constexpr int kShadowRight = 12;
constexpr int kShadowBottom = 2;
// 9 points at 100 %.
constexpr Gdiplus::REAL kFontPixels = 12.0f;

void RegisterTipClass() {
  WNDCLASSW existing{};
  if (GetClassInfoW(framework::ModuleInstance(), CTitleTip::kClassName, &existing)) return;
  WNDCLASSW windowClass{};
  windowClass.style = CS_SAVEBITS;
  windowClass.lpfnWndProc = framework::CWnd::StandardWindowProc;
  windowClass.hInstance = framework::ModuleInstance();
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_INFOBK + 1);
  windowClass.lpszClassName = CTitleTip::kClassName;
  RegisterClassW(&windowClass);
}

// Non-client counterpart of a client-area button message.
UINT NonClientMessage(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN: return WM_NCLBUTTONDOWN;
    case WM_LBUTTONUP: return WM_NCLBUTTONUP;
    case WM_RBUTTONDOWN: return WM_NCRBUTTONDOWN;
    case WM_RBUTTONUP: return WM_NCRBUTTONUP;
    case WM_MBUTTONDOWN: return WM_NCMBUTTONDOWN;
    case WM_MBUTTONUP: return WM_NCMBUTTONUP;
    default: return WM_NCMOUSEMOVE;
  }
}

}  // namespace

CTitleTip::CTitleTip() {
  RegisterTipClass();
  Gdiplus::FontFamily arial(L"Arial");
  if (arial.GetLastStatus() == Gdiplus::Ok) {
    font_ = std::make_unique<Gdiplus::Font>(&arial, ScaledF(kFontPixels), Gdiplus::FontStyleRegular,
                                            Gdiplus::UnitPixel);
  } else {
    font_ = std::make_unique<Gdiplus::Font>(Gdiplus::FontFamily::GenericSansSerif(), ScaledF(kFontPixels),
                                            Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
  }
}

CTitleTip::~CTitleTip() = default;

bool CTitleTip::Create(framework::CWnd* owner) {
  owner_ = owner;
  if (!CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, L"", WS_POPUP | WS_BORDER, CW_USEDEFAULT,
                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr)) {
    return false;
  }
  ModifyStyleEx(0, WS_EX_LAYERED);
  ModifyStyle(WS_CAPTION, 0);
  return true;
}

void CTitleTip::Hide() {
  if (GetCapture() == GetSafeHwnd()) ReleaseCapture();
  ShowWindow(SW_HIDE);
}

void CTitleTip::Paint() {
  const RECT client = GetClientRect();
  const int width = client.right - client.left, height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return;
  framework::WindowDc windowDc(GetSafeHwnd());
  framework::MemoryDc memory(windowDc.get());
  framework::BitmapHandle bitmap(CreateCompatibleBitmap(windowDc.get(), width, height));
  if (!memory || !bitmap) return;
  framework::SelectObjectGuard select(memory.get(), bitmap.get());
  {
    Gdiplus::Graphics graphics(memory.get());
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    Gdiplus::Bitmap box(width, height, PixelFormat32bppARGB);
    Gdiplus::Graphics boxGraphics(&box);
    boxGraphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    const int l = client.left, t = client.top, r = client.right, b = client.bottom;
    const int shadowRight = Scaled(kShadowRight), shadowBottom = Scaled(kShadowBottom);
    Gdiplus::GraphicsPath path;
    const Gdiplus::Point corners[] = {{l, b - shadowBottom}, {l, t}, {r - shadowRight, t},
                                      {r - shadowRight, b - shadowBottom}};
    path.AddPolygon(corners, 4);
    Gdiplus::SolidBrush fill{Gdiplus::Color(kFill)};
    Gdiplus::Pen outline(Gdiplus::Color(kOutline), ScaledF(1.0f));
    boxGraphics.FillPath(&fill, &path);
    boxGraphics.DrawPath(&outline, &path);
    const RECT textRect{l + Scaled(5), t + Scaled(5), r - shadowRight, b - Scaled(7)};
    DrawTextGdiPlus(boxGraphics, kTextColour, text_, false, textRect, *font_);
    graphics.DrawImage(&box, 0, 0, width, height);
  }
  RECT windowRect{};
  GetWindowRect(GetSafeHwnd(), &windowRect);
  POINT destination{windowRect.left, windowRect.top};
  SIZE size{width, height};
  POINT source{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  UpdateLayeredWindow(GetSafeHwnd(), windowDc.get(), &destination, &size, memory.get(), &source, 0, &blend,
                      ULW_ALPHA);
}

void CTitleTip::PassPointerMessage(UINT message, WPARAM keyFlags, POINT point, bool hideOnNonClient) {
  ClientToScreen(GetSafeHwnd(), &point);
  HWND target = WindowFromPoint(point);
  if (target == GetSafeHwnd() || !target) target = owner_ ? owner_->GetSafeHwnd() : nullptr;
  if (!target) return;
  const LRESULT hit = SendMessageW(target, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
  if (hit == HTCLIENT) {
    ScreenToClient(target, &point);
    PostMessageW(target, message, keyFlags, MAKELPARAM(point.x, point.y));
  } else {
    if (hideOnNonClient) Hide();
    PostMessageW(target, NonClientMessage(message), static_cast<WPARAM>(hit), MAKELPARAM(point.x, point.y));
  }
}

bool CTitleTip::PreTranslateMessage(MSG& message) {
  if (message.hwnd != GetSafeHwnd()) return false;
  switch (message.message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      Hide();
      if (owner_) PostMessageW(owner_->GetSafeHwnd(), message.message, message.wParam, message.lParam);
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      PassPointerMessage(message.message, message.wParam,
                         POINT{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)}, true);
      return true;
    default:
      if (!GetFocus()) {
        Hide();
        return true;
      }
      return false;
  }
}

LRESULT CTitleTip::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      ValidateRect(GetSafeHwnd(), nullptr);
      Paint();
      return 0;
    }
    case WM_MOUSEMOVE: {
      const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (PtInRect(&hoverRect_, point)) return 0;
      Hide();
      PassPointerMessage(WM_MOUSEMOVE, wParam, point, false);
      return 0;
    }
    case WM_TIMER:
      if (wParam == kHideTimer) {
        POINT cursor{};
        GetCursorPos(&cursor);
        RECT screenRect = hoverRect_;
        MapWindowPoints(GetSafeHwnd(), nullptr, reinterpret_cast<POINT*>(&screenRect), 2);
        if (IsWindowVisible() && !PtInRect(&screenRect, cursor)) {
          Hide();
          KillTimer(GetSafeHwnd(), kHideTimer);
        }
        return 0;
      }
      break;
    default:
      break;
  }
  return CWnd::WindowProc(message, wParam, lParam);
}

}  // namespace korvid
