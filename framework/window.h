#pragma once
#include <string>

#include "framework/win32.h"

namespace framework {

// The module instance the program's resources live in.
HINSTANCE ModuleInstance();

// A window object bound to one HWND. Derived classes override WindowProc and
// hand what they do not handle to the base class, which ends in Default:
// the subclassed control's own procedure, or DefWindowProc for windows we
// registered. Window objects are not copyable; the object outlives its HWND.
class CWnd {
 public:
  CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;
  virtual ~CWnd();

  HWND GetSafeHwnd() const { return hwnd_; }
  // The object bound to a window, or null.
  static CWnd* FromHandle(HWND window);

  // Binds this object to an existing window (a dialog's template control)
  // and routes its messages through WindowProc. PreSubclassWindow runs first.
  bool SubclassWindow(HWND window);
  bool SubclassDlgItem(int controlId, const CWnd& parent);

  // Creates a window of a class registered with StandardWindowProc.
  bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                int width, int height, HWND parent, HMENU menu);
  // The window procedure for classes whose windows are made by CreateEx.
  static LRESULT CALLBACK StandardWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Registers a class of default attributes (arrow cursor, no background)
  // with StandardWindowProc; true when it exists afterwards.
  static bool RegisterStandardClass(const wchar_t* className);

  virtual void PreSubclassWindow() {}
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Called by the modal loops for messages addressed to this window or its
  // children before they are dispatched; true swallows the message.
  virtual bool PreTranslateMessage(MSG& message);
  // An owner-drawn control draws itself here; its parent reflects WM_DRAWITEM.
  virtual void DrawItem(const DRAWITEMSTRUCT& item);
  // Last message this window sees; the object is unbound afterwards.
  virtual void PostNcDestroy() {}
  // Reflected by the parent dialog to the control they concern: its colour
  // request (a brush to answer with, or null for the default) and its
  // WM_COMMAND notifications, which the parent still handles afterwards.
  virtual HBRUSH OnReflectedCtlColor(HDC) { return nullptr; }
  virtual void OnReflectedCommand(int) {}

  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
  // The default handling, then the whole window repainted without erasing:
  // for a look that follows the focus or the keyboard cues.
  LRESULT DefaultThenRepaint(UINT message, WPARAM wParam, LPARAM lParam);
  bool DestroyWindow();

  // Thin helpers over the common calls.
  void ShowWindow(int command) const { ::ShowWindow(hwnd_, command); }
  bool IsWindowVisible() const { return hwnd_ && ::IsWindowVisible(hwnd_); }
  bool IsWindowEnabled() const { return hwnd_ && ::IsWindowEnabled(hwnd_); }
  void EnableWindow(bool enable) const { ::EnableWindow(hwnd_, enable ? TRUE : FALSE); }
  void MoveWindow(int x, int y, int width, int height, bool repaint = true) const {
    ::MoveWindow(hwnd_, x, y, width, height, repaint ? TRUE : FALSE);
  }
  void Invalidate(bool erase = true) const { InvalidateRect(hwnd_, nullptr, erase ? TRUE : FALSE); }
  void SetWindowText(const std::wstring& text) const { ::SetWindowTextW(hwnd_, text.c_str()); }
  HWND GetDlgItem(int controlId) const { return ::GetDlgItem(hwnd_, controlId); }
  int GetDlgCtrlID() const { return ::GetDlgCtrlID(hwnd_); }
  HWND GetParent() const { return ::GetParent(hwnd_); }
  RECT GetClientRect() const;
  LONG_PTR GetStyle() const { return GetWindowLongPtrW(hwnd_, GWL_STYLE); }
  void ModifyStyle(LONG_PTR remove, LONG_PTR add) const;
  void ModifyStyleEx(LONG_PTR remove, LONG_PTR add) const;

 protected:
  // Binding used by the dialog class, whose windows are made by the system.
  void Attach(HWND window);
  void Detach();

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR subclassId, DWORD_PTR refData);
  LRESULT RouteMessage(UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  bool subclassed_ = false;
  bool created_ = false;
};

// The work area (the screen less the task bar) of a monitor; empty when the
// monitor is unknown.
RECT WorkAreaOf(HMONITOR monitor);

// Button, static and edit control wrappers: the skinned controls derive from them.
class CButton : public CWnd {};
class CStatic : public CWnd {};
class CEdit : public CWnd {};

// Owner-drawn controls report through WM_DRAWITEM to their parent, which
// hands the request back to the control's DrawItem. Returns true when a
// bound control took it.
bool ReflectDrawItem(LPARAM drawItemStruct);

}  // namespace framework
