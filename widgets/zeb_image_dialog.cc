#include "widgets/zeb_image_dialog.h"

#include "skin/sheets.h"
#include "widgets/keyboard_cues.h"
#include "widgets/quo_bn_menu.h"
#include "skin/ui_scale.h"

namespace korvid {

void CZebImageDialog::SetBackground(Gdiplus::Image* image) {
  background_ = framework::CloneImage(image);
  const int width = background_ ? static_cast<int>(background_->GetWidth()) : 0;
  const int height = background_ ? static_cast<int>(background_->GetHeight()) : 0;
  HWND window = GetSafeHwnd();
  if (!window) return;
  // The client area takes the image's size; a borderless window's frame
  // adds nothing, a framed one keeps its frame around it.
  RECT rect{0, 0, width, height};
  AdjustWindowRectEx(&rect, static_cast<DWORD>(GetStyle()), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
  SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(window, nullptr, TRUE);
}

bool CZebImageDialog::PaintBackground(HDC dc) {
  if (!background_) return false;
  const RECT client = GetClientRect();
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  framework::MemoryDc memory(dc);
  framework::BitmapHandle bitmap(CreateCompatibleBitmap(dc, width, height));
  if (!memory || !bitmap) return false;
  {
    framework::SelectObjectGuard select(memory.get(), bitmap.get());
    {
      Gdiplus::Graphics graphics(memory.get());
      graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
      graphics.DrawImage(background_.get(), 0, 0, width, height);
    }
    BitBlt(dc, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
  }
  return true;
}

void CZebImageDialog::BindControls(std::initializer_list<ControlBinding> bindings) {
  for (const ControlBinding& binding : bindings) binding.control.SubclassDlgItem(binding.id, *this);
}

void CZebImageDialog::CreateToolTips() { toolTip_ = korvid::CreateToolTips(GetSafeHwnd(), shownToolTipText_); }

void CZebImageDialog::AddToolTips(std::span<const ToolTipText> texts) {
  toolTipTexts_ = texts;
  if (!toolTip_) return;
  for (const ToolTipText& tip : texts) {
    HWND control = GetDlgItem(tip.id);
    if (tip.overArea) {
      AddToolTipArea(toolTip_, GetSafeHwnd(), control);
    } else {
      AddToolTip(toolTip_, GetSafeHwnd(), control);
    }
  }
}

void CZebImageDialog::AddToolTipFor(HWND control) {
  if (toolTip_) AddToolTip(toolTip_, GetSafeHwnd(), control);
}

bool CZebImageDialog::OnToolTipText(NMHDR& request) { return AnswerToolTipText(request, toolTipTexts_); }

void CZebImageDialog::BeginBodyDrag() {
  SendMessageW(GetSafeHwnd(), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
}

bool CZebImageDialog::PreTranslateMessage(MSG& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return CDialogEx::PreTranslateMessage(message);
  const auto key = static_cast<UINT>(message.wParam);
  if (CQuoBnMenu* menu = CQuoBnMenu::OpenMenuForKeys()) {
    // While a menu is open the keys are the menu's, as with the system's
    // menus; a key that leaves for elsewhere (Tab, Alt) closes it first.
    if (message.message == WM_KEYDOWN && menu->OnKey(key)) return true;
    if (key != VK_TAB && key != VK_MENU) return true;
    CQuoBnMenu* root = menu;
    while (root->ParentMenu()) root = root->ParentMenu();
    root->Hide();
  }
  if (IsNavigationKey(key)) ShowKeyboardCues(message.hwnd);
  return CDialogEx::PreTranslateMessage(message);
}

INT_PTR CZebImageDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    KeepOwnLayoutAtDpiChanges(GetSafeHwnd());
    const INT_PTR result = CDialogEx::DialogProc(message, wParam, lParam);
    // A window and the pages inside it are built: every image they show is
    // a cut or a copy of their own by now.
    if (!(GetStyle() & WS_CHILD)) {
      ReleaseSkinSheets();
      InitialiseKeyboardCues(GetSafeHwnd());
    }
    return result;
  }
  if (message == WM_DPICHANGED) {
    // A pop-up keeps the scale it was made at and goes where the system
    // puts it; the main window rebuilds itself instead.
    const auto* suggested = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(GetSafeHwnd(), nullptr, suggested->left, suggested->top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetMessageResult(0);
    return TRUE;
  }
  if (message == WM_ERASEBKGND && PaintBackground(reinterpret_cast<HDC>(wParam))) {
    SetMessageResult(TRUE);
    return TRUE;
  }
  if (message == WM_NOTIFY) {
    if (NMHDR* request = ToolTipTextRequest(lParam)) {
      const bool answered = OnToolTipText(*request);
      shownToolTipText_ = answered ? ToolTipAnswerText(*request) : std::wstring();
      SetMessageResult(answered ? TRUE : FALSE);
      return answered ? TRUE : FALSE;
    }
  }
  return CDialogEx::DialogProc(message, wParam, lParam);
}

}  // namespace korvid
