#pragma once
#include "framework/window.h"

namespace framework {

// A dialog made from a numbered template. Modeless (Create: the pages, which
// become child windows) or modal (DoModal: the main window and the pop-ups).
// The modal loop is our own, so that PreTranslateMessage sees every message
// before it is dispatched; a quit request ends it and is passed on to the
// loop outside.
class CDialogEx : public CWnd {
 public:
  CDialogEx(int templateId, CWnd* parent);
  ~CDialogEx() override;

  int TemplateId() const { return templateId_; }
  CWnd* Parent() const { return parent_; }

  // Modeless creation with the parent given at construction.
  bool Create();
  // Runs the dialog modally: its owner (the parent's top-level window) is
  // disabled meanwhile. Returns the EndDialog value, or -1 when the dialog
  // could not be created.
  INT_PTR DoModal();
  void EndDialog(INT_PTR result);

  virtual BOOL OnInitDialog();
  // Whether DoModal shows the dialog once it is built; one that starts
  // hidden shows itself later.
  virtual bool ShowsWhenRun() const { return true; }
  // Binds member controls to template controls (SubclassDlgItem).
  virtual void DoDataExchange() {}
  virtual void OnOK();
  virtual void OnCancel();
  // WM_COMMAND other than IDOK / IDCANCEL; true when handled.
  virtual bool OnCommand(int controlId, int notifyCode, HWND control);
  // The dialog procedure: returns TRUE when the message was handled; a
  // result for the sender is given with SetMessageResult.
  virtual INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam);

  void SetMessageResult(LRESULT result) const;

 private:
  static INT_PTR CALLBACK StaticDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND CreateFromTemplate(HWND parent);
  bool RouteToPreTranslate(MSG& message);
  // Enables again the owner that DoModal disabled.
  void ReleaseOwner();

  int templateId_;
  CWnd* parent_;
  bool modal_ = false;
  bool inModalLoop_ = false;
  INT_PTR modalResult_ = -1;
  HWND modalOwner_ = nullptr;  // the owner DoModal disabled, until released
};

}  // namespace framework
