#include "framework/window.h"

#include <commctrl.h>

namespace framework {
namespace {

constexpr wchar_t kObjectProperty[] = L"framework.CWnd";
constexpr UINT_PTR kSubclassId = 1;

}  // namespace

HINSTANCE ModuleInstance() { return GetModuleHandleW(nullptr); }

CWnd::~CWnd() {
  if (hwnd_ && IsWindow(hwnd_)) {
    // The object goes before its window: unbind so that no message reaches
    // a destroyed object.
    if (created_) {
      ::DestroyWindow(hwnd_);
    } else {
      Detach();
    }
  }
}

CWnd* CWnd::FromHandle(HWND window) {
  return window ? static_cast<CWnd*>(GetPropW(window, kObjectProperty)) : nullptr;
}

void CWnd::Attach(HWND window) {
  hwnd_ = window;
  SetPropW(window, kObjectProperty, this);
}

void CWnd::Detach() {
  if (!hwnd_) return;
  if (subclassed_) RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
  RemovePropW(hwnd_, kObjectProperty);
  subclassed_ = false;
  hwnd_ = nullptr;
}

bool CWnd::SubclassWindow(HWND window) {
  if (!window || hwnd_) return false;
  Attach(window);
  PreSubclassWindow();
  if (!SetWindowSubclass(window, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
    Detach();
    return false;
  }
  subclassed_ = true;
  return true;
}

bool CWnd::SubclassDlgItem(int controlId, const CWnd& parent) {
  return SubclassWindow(parent.GetDlgItem(controlId));
}

bool CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menu) {
  if (hwnd_) return false;
  HWND window = CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menu,
                                ModuleInstance(), this);
  return window != nullptr;
}

LRESULT CALLBACK CWnd::StandardWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* self = FromHandle(window);
  if (!self && message == WM_NCCREATE) {
    self = static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    if (self) {
      self->Attach(window);
      self->created_ = true;
    }
  }
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  return self->RouteMessage(message, wParam, lParam);
}

bool CWnd::RegisterStandardClass(const wchar_t* className) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = StandardWindowProc;
  windowClass.hInstance = ModuleInstance();
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = className;
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR refData) {
  auto* self = reinterpret_cast<CWnd*>(refData);
  if (!self || self->hwnd_ != window) return DefSubclassProc(window, message, wParam, lParam);
  return self->RouteMessage(message, wParam, lParam);
}

LRESULT CWnd::RouteMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = WindowProc(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    Detach();
    created_ = false;
    PostNcDestroy();
  }
  return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) { return Default(message, wParam, lParam); }

bool CWnd::PreTranslateMessage(MSG&) { return false; }

void CWnd::DrawItem(const DRAWITEMSTRUCT&) {}

LRESULT CWnd::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  if (subclassed_) return DefSubclassProc(hwnd_, message, wParam, lParam);
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CWnd::DefaultThenRepaint(UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = Default(message, wParam, lParam);
  Invalidate(false);
  return result;
}

bool CWnd::DestroyWindow() { return hwnd_ && ::DestroyWindow(hwnd_); }

RECT CWnd::GetClientRect() const {
  RECT rect{};
  ::GetClientRect(hwnd_, &rect);
  return rect;
}

void CWnd::ModifyStyle(LONG_PTR remove, LONG_PTR add) const {
  SetWindowLongPtrW(hwnd_, GWL_STYLE, (GetStyle() & ~remove) | add);
}

void CWnd::ModifyStyleEx(LONG_PTR remove, LONG_PTR add) const {
  LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
  SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, (style & ~remove) | add);
}

RECT WorkAreaOf(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(monitor, &info)) return RECT{};
  return info.rcWork;
}

bool ReflectDrawItem(LPARAM drawItemStruct) {
  const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(drawItemStruct);
  if (!item || item->CtlType == ODT_MENU) return false;
  CWnd* control = CWnd::FromHandle(item->hwndItem);
  if (!control) return false;
  control->DrawItem(*item);
  return true;
}

}  // namespace framework
