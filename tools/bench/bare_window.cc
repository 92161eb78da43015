// The floor the program's cost is measured against: a borderless window of
// the program's size with GDI+ started, painted once, and nothing else.
// A left click hides it, as Close hides the program in the tray.
#include <windows.h>
#include <gdiplus.h>

namespace {

constexpr int kWidth = 1068;
constexpr int kHeight = 647;
const wchar_t kClassName[] = L"KorvidBareWindow";
const wchar_t kTitle[] = L"Korvid Bare Window";

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      {
        Gdiplus::Graphics graphics(dc);
        Gdiplus::SolidBrush brush(Gdiplus::Color(255, 32, 34, 40));
        graphics.FillRectangle(&brush, 0, 0, kWidth, kHeight);
      }
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_LBUTTONUP:
      ShowWindow(hwnd, SW_HIDE);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return 1;
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kClassName;
  RegisterClassW(&windowClass);
  const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  HWND hwnd = CreateWindowExW(0, kClassName, kTitle, WS_POPUP | WS_VISIBLE, x, y, kWidth, kHeight, nullptr,
                              nullptr, instance, nullptr);
  int result = 1;
  if (hwnd) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    result = 0;
  }
  Gdiplus::GdiplusShutdown(token);
  return result;
}
