// A borderless window with one button, for the GUI harness's own test: it
// proves the probe, the clicks, the keys, the screenshots and the teardown
// without the program. A click on the button fills the window red and renames
// the button "Pressed"; a key renames it "Key N" (N its virtual-key code).
#include <windows.h>

#include "tests/gui/fixture_ids.h"

namespace {

constexpr int kButtonId = IDC_FIXTURE_BUTTON;
constexpr int kWidth = 400;
constexpr int kHeight = 300;
const wchar_t kClassName[] = L"KorvidHarnessFixture";
const wchar_t kTitle[] = L"Korvid Harness Fixture";
const COLORREF kClickedColour = RGB(200, 30, 30);

bool clicked = false;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateWindowExW(0, L"BUTTON", L"Press", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 50, 60, 120, 40, hwnd,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)), nullptr, nullptr);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kButtonId && HIWORD(wParam) == BN_CLICKED) {
        clicked = true;
        SetDlgItemTextW(hwnd, kButtonId, L"Pressed");
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      return 0;
    case WM_ERASEBKGND: {
      RECT area;
      GetClientRect(hwnd, &area);
      HBRUSH brush = CreateSolidBrush(clicked ? kClickedColour : GetSysColor(COLOR_WINDOW));
      FillRect(reinterpret_cast<HDC>(wParam), &area, brush);
      DeleteObject(brush);
      return 1;
    }
    case WM_DPICHANGED: {
      const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kClassName;
  RegisterClassW(&windowClass);
  HWND hwnd = CreateWindowExW(0, kClassName, kTitle, WS_POPUP | WS_VISIBLE, 100, 100, kWidth, kHeight, nullptr,
                              nullptr, instance, nullptr);
  if (!hwnd) return 1;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_KEYDOWN) {
      wchar_t text[32];
      wsprintfW(text, L"Key %u", static_cast<unsigned>(message.wParam));
      SetDlgItemTextW(hwnd, kButtonId, text);
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
