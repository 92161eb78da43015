#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "widgets/quo_bn_menu.h"
#include "widgets/zeb_button.h"

namespace korvid {

// How the two kinds of combo button differ.
struct ComboButtonStyle {
  int fontWeight;
  Gdiplus::ARGB highlightColour;
  int labelInset;        // pixels from the left edge to the label
  int menuRightStrip;    // pixels at the menu's right edge outside every item
};

// An image button that shows a text label and drops its menu below (or
// above) itself when clicked. The item chosen becomes its label and
// identifier and is reported to the parent as WM_SYSCOMMAND (own control ID,
// item id). A click on the button while its menu is open closes the menu.
class ComboButtonBase : public CZebButton {
 public:
  // The current item: label and functionId follow it; nothing changes when
  // the menu has no such item.
  void SelectItem(int id);
  // Shows a new label; the window text follows it, so that the label reads
  // the same to accessibility tools as on screen.
  void ShowLabel(const std::wstring& text);

  // The menu it drops; null before it has one.
  CQuoBnMenu* Menu() const { return menu_.get(); }
  // Gives the button the menu it drops, which it owns from then on.
  void SetMenu(std::unique_ptr<CQuoBnMenu> menu) { menu_ = std::move(menu); }
  const std::wstring& Label() const { return label_; }
  // The current item's identifier; -1 before one is chosen.
  int FunctionId() const { return functionId_; }
  // A button whose menu is off shows its label but opens nothing.
  void SetMenuEnabled(bool enabled) { menuEnabled_ = enabled; }
  bool MenuEnabled() const { return menuEnabled_; }
  // The menu opens above the button when there is room there.
  void SetDropUp(bool dropUp) { dropUp_ = dropUp; }
  // Whether the next choice becomes the label and identifier. A parent that
  // sets its own result while it handles a choice turns this off; it comes
  // back on after that choice.
  void SetAdoptsSelection(bool adopts) { adoptSelection_ = adopts; }
  bool AdoptsSelection() const { return adoptSelection_; }

  // The template's caption names the button ("Button 3"); the window text,
  // which accessibility tools read, is the name and the label ("Button 3:
  // Middle click"), or the label alone for a button without a caption.
  void PreSubclassWindow() override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void DrawItem(const DRAWITEMSTRUCT& item) override;

 protected:
  explicit ComboButtonBase(const ComboButtonStyle& style);
  // Enter (like Space, Alt+Down and F4) opens the menu with the current
  // item highlighted; a second press closes it.
  void PressFromKeyboard() override;
  const ComboButtonStyle& Style() const { return style_; }
  // The binding's identifier and label, shown at once.
  void ShowChoice(int id, const std::wstring& text) {
    functionId_ = id;
    ShowLabel(text);
  }

 private:
  friend struct WidgetTestAccess;

  void OnPress(WPARAM wParam, LPARAM lParam, LRESULT& result);
  void OnRelease(WPARAM wParam, LPARAM lParam, LRESULT& result);
  void OpenMenu();
  void OnMenuTimer();
  bool OnMenuChoice(LPARAM itemId);
  bool LabelFits(HDC dc, const RECT& field) const;
  bool OnKeyDown(UINT message, WPARAM key);

  ComboButtonStyle style_;
  std::wstring accessibleName_;
  std::unique_ptr<CQuoBnMenu> menu_;
  std::wstring label_;
  int functionId_ = -1;
  framework::FontHandle font_;
  Gdiplus::ARGB textColour_ = 0xFFFFFFFF;
  Gdiplus::ARGB highlightColour_;
  bool adoptSelection_ = true;
  bool dropUp_ = false;
  bool menuEnabled_ = true;
  // The release of a press opens nothing until the menu is seen closed again.
  bool suppressOpen_ = false;
  // When the menu was last seen open (GetTickCount).
  uint32_t lastMenuTick_ = 0;
  // The left button went down on this button and the pointer has stayed on
  // it since: only the release of such a press opens the menu. A press that
  // began elsewhere (a drag onto the button, a press on another menu lying
  // over it) ends here without opening anything.
  bool pressBegunHere_ = false;
};

// The settings pages' combo button: its own menu built item by item, a gold
// highlight, and a binding (label, identifier, modifiers) set from outside.
class CQuoBnComboButton : public ComboButtonBase {
 public:
  CQuoBnComboButton();

  // Adds an enabled item to the menu, making the menu on first use.
  void AddMenuItem(int id, const std::wstring& text);
  void SetBinding(const std::wstring& text, int id, int bindingModifiers);
  // The modifiers of a keyboard binding; -1 for none set.
  int Modifiers() const { return modifiers_; }

 private:
  int modifiers_ = -1;
};

// The second style of combo button: bold label, blue highlight, full-width
// items. It builds no menu of its own.
class CQuoComboButton : public ComboButtonBase {
 public:
  CQuoComboButton();
};

}  // namespace korvid
