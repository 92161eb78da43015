#pragma once
#include <memory>
#include <string>
#include <vector>

#include "framework/handles.h"
#include "framework/window.h"
#include "widgets/menu_rules.h"

namespace korvid {

struct QuoMenuItem {
  int id = 0;
  RECT rect{};  // client pixels, set by LayoutItems
  std::wstring text;
  int reserved = 0;
  int enabled = 1;
  int hasSubmenu = 0;  // opens the sub-menu whose menuId is this id
};

inline PixelRect ToPixelRect(const RECT& r) { return PixelRect{r.left, r.top, r.right, r.bottom}; }

// A borderless owner-drawn pop-up menu: text items in a dark box with a gold
// frame. It reports a click on an item to its owner, cascades sub-menus, and
// closes itself when the user presses the left button anywhere outside it
// (seen through the menu mouse hook). It never takes the activation.
class CQuoBnMenu : public framework::CWnd {
 public:
  CQuoBnMenu();
  ~CQuoBnMenu() override;

  // Creates the hidden menu window at `rect` (screen); `parent` becomes the
  // owner its choices go to, `controlId` its menuId. The class name and style
  // given are not used: every menu is a borderless pop-up.
  virtual bool Create(const wchar_t* className, const wchar_t* windowName, DWORD style, const RECT& rect,
                      HWND parent, int controlId);

  // Appends an item unless one with `id` exists already.
  void AddItem(int id, const std::wstring& text, int reserved, int enabled, int hasSubmenu);
  // This menu's items in order, then each sub-menu's, depth first.
  QuoMenuItem* FindItem(int id);
  void RemoveAllItems();
  // Sizes the menu to its items and lays them out; a menu without items hides.
  void LayoutItems();
  // Shows the menu with its `corner` at a screen point.
  void PopupAt(PopupCorner corner, int x, int y);
  void Hide();
  void HideSubmenus();
  // The sub-menu for `id`, made on first use.
  CQuoBnMenu* GetSubMenu(int id);
  // Items end this many pixels before the right edge (15 unless changed).
  void SetItemRightStrip(int strip) { itemRightStrip_ = strip; }
  // The menu's height once laid out.
  int Height() const;
  // Makes this menu the one the menu mouse hook reports to. One menu tree is
  // open at a time: another one still open closes first, since it would
  // otherwise be left without the hook that closes it.
  void TakeMouseHook();
  // Highlights item `index` (-1: none) and repaints.
  void Highlight(int index);
  // A key pressed while this menu is the innermost one open: Up and Down
  // move the highlight, Enter (or Space) chooses, Right opens a sub-menu and
  // Left or Escape closes it, Escape closes a top-level menu. True when the
  // key was one of them.
  bool OnKey(UINT virtualKey);
  // The innermost open menu, which keys go to; null when no menu is open.
  // A control's menu still open while the control is hidden closes here
  // instead: a hidden menu takes no keys.
  static CQuoBnMenu* OpenMenuForKeys();

  // The identifier its choices are reported under (WM_SYSCOMMAND's wParam).
  int MenuId() const { return menuId_; }
  // The highlighted item, or -1.
  int HoverIndex() const { return hoverIndex_; }
  // The window the choices and stay-on-top requests go to.
  HWND Owner() const { return owner_; }
  void SetOwner(HWND owner) { owner_ = owner; }
  // The menu this one cascades from; null for a top-level menu.
  CQuoBnMenu* ParentMenu() const { return parentMenu_; }
  const std::vector<QuoMenuItem>& Items() const { return items_; }

  // Draws the whole menu (box, frame, items, the highlight) into `dc`, at
  // the size of its client area.
  void Paint(HDC dc) const;

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnPaint();
  void OnMouseMove(POINT p);
  void OnButtonDown(POINT p);
  void OnButtonUp(POINT p);
  // Chooses item `index` as a click on it would; an item with a sub-menu
  // opens it with its first item highlighted.
  void ChooseItem(int index);
  // Closes the menu tree, then reports `item` to the owner when it is enabled.
  void Choose(const QuoMenuItem& item);
  void OpenSubmenu(int index);
  // The next enabled item from `index` in `step` direction, wrapping; -1 if none.
  int NextEnabledItem(int index, int step) const;
  void OnHookEvent(WPARAM mouseMessage);
  int HitTest(POINT p) const;
  void SendStayOnTop(int on) const;
  bool ContainsCursor(POINT cursor) const;
  bool HoldsWindow(HWND window) const;
  CQuoBnMenu* Root();

  friend struct WidgetTestAccess;

  int itemRightStrip_ = 15;
  int menuId_ = 0;
  int hoverIndex_ = -1;
  Gdiplus::ARGB textColour_ = 0xFFFFFFFF;
  Gdiplus::ARGB highlightColour_ = 0xFFFDC415;
  Gdiplus::ARGB backgroundColour_ = 0xFF1A1A1A;
  Gdiplus::ARGB frameColour_ = 0xFFFDC415;
  framework::FontHandle font_;
  HWND owner_ = nullptr;
  CQuoBnMenu* parentMenu_ = nullptr;
  std::vector<QuoMenuItem> items_;
  std::vector<std::unique_ptr<CQuoBnMenu>> subMenus_;
};

// Closes the open menu tree when its owner is `window` or a control inside it.
void CloseMenusOwnedBy(HWND window);

}  // namespace korvid
