#include "framework/dialog.h"

#include <utility>

namespace framework {

CDialogEx::CDialogEx(int templateId, CWnd* parent) : templateId_(templateId), parent_(parent) {}

CDialogEx::~CDialogEx() {
  if (HWND window = GetSafeHwnd(); window && IsWindow(window)) ::DestroyWindow(window);
}

HWND CDialogEx::CreateFromTemplate(HWND parent) {
  return CreateDialogParamW(ModuleInstance(), MAKEINTRESOURCEW(templateId_), parent, StaticDialogProc,
                            reinterpret_cast<LPARAM>(this));
}

bool CDialogEx::Create() {
  if (GetSafeHwnd()) return false;
  modal_ = false;
  return CreateFromTemplate(parent_ ? parent_->GetSafeHwnd() : nullptr) != nullptr;
}

INT_PTR CDialogEx::DoModal() {
  if (GetSafeHwnd()) return -1;
  HWND owner = parent_ ? GetAncestor(parent_->GetSafeHwnd(), GA_ROOT) : nullptr;
  modal_ = true;
  modalResult_ = -1;
  inModalLoop_ = true;
  HWND window = CreateFromTemplate(owner);
  if (!window) {
    inModalLoop_ = false;
    return -1;
  }
  modalOwner_ = owner && ::IsWindowEnabled(owner) ? owner : nullptr;
  if (owner) ::EnableWindow(owner, FALSE);
  if (inModalLoop_) {
    // Centred over the owner, as modal dialogs are; the dialog has already
    // taken its final size in OnInitDialog.
    if (owner) {
      RECT ownerRect{}, rect{};
      GetWindowRect(owner, &ownerRect);
      GetWindowRect(window, &rect);
      const int width = rect.right - rect.left, height = rect.bottom - rect.top;
      const int x = ownerRect.left + (ownerRect.right - ownerRect.left - width) / 2;
      const int y = ownerRect.top + (ownerRect.bottom - ownerRect.top - height) / 2;
      SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (ShowsWhenRun()) {
      ::ShowWindow(window, SW_SHOW);
      SetForegroundWindow(window);
    }
  }
  MSG message;
  while (inModalLoop_) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      // A quit request ends this loop and every loop outside it.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (RouteToPreTranslate(message)) continue;
    if (IsWindow(window) && IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  inModalLoop_ = false;
  ReleaseOwner();
  if (IsWindow(window)) ::DestroyWindow(window);
  return modalResult_;
}

bool CDialogEx::RouteToPreTranslate(MSG& message) {
  for (HWND window = message.hwnd; window; window = ::GetParent(window)) {
    if (CWnd* object = FromHandle(window); object && object->PreTranslateMessage(message)) return true;
    if (window == GetSafeHwnd()) break;
  }
  return false;
}

void CDialogEx::ReleaseOwner() {
  // The owner comes back before the dialog goes, so that the activation
  // returns to it rather than to some other program's window (which would
  // also take the rest of a keystroke that closed the dialog).
  if (HWND owner = std::exchange(modalOwner_, nullptr)) ::EnableWindow(owner, TRUE);
}

void CDialogEx::EndDialog(INT_PTR result) {
  if (modal_) {
    modalResult_ = result;
    inModalLoop_ = false;
    ReleaseOwner();
    if (HWND window = GetSafeHwnd()) ::ShowWindow(window, SW_HIDE);
  } else if (HWND window = GetSafeHwnd()) {
    ::DestroyWindow(window);
  }
}

BOOL CDialogEx::OnInitDialog() {
  DoDataExchange();
  return TRUE;
}

void CDialogEx::OnOK() { EndDialog(IDOK); }

void CDialogEx::OnCancel() { EndDialog(IDCANCEL); }

bool CDialogEx::OnCommand(int, int, HWND) { return false; }

void CDialogEx::SetMessageResult(LRESULT result) const {
  SetWindowLongPtrW(GetSafeHwnd(), DWLP_MSGRESULT, result);
}

INT_PTR CDialogEx::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (lParam == 0 || code == BN_CLICKED) {
        if (id == IDOK) {
          OnOK();
          return TRUE;
        }
        if (id == IDCANCEL) {
          OnCancel();
          return TRUE;
        }
      }
      if (CWnd* control = FromHandle(reinterpret_cast<HWND>(lParam)); control && control != this) {
        control->OnReflectedCommand(code);
      }
      return OnCommand(id, code, reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      // A dialog procedure answers a colour request with the brush itself.
      if (CWnd* control = FromHandle(reinterpret_cast<HWND>(lParam)); control && control != this) {
        if (HBRUSH brush = control->OnReflectedCtlColor(reinterpret_cast<HDC>(wParam))) {
          return reinterpret_cast<INT_PTR>(brush);
        }
      }
      return FALSE;
    case WM_DRAWITEM:
      if (ReflectDrawItem(lParam)) {
        SetMessageResult(TRUE);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK CDialogEx::StaticDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<CDialogEx*>(FromHandle(window));
  if (!self && message == WM_INITDIALOG) {
    self = reinterpret_cast<CDialogEx*>(lParam);
    if (self) self->Attach(window);
  }
  if (!self) return FALSE;
  INT_PTR handled = self->DialogProc(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    self->Detach();
    self->PostNcDestroy();
  }
  return handled;
}

}  // namespace framework
