// A window of its own for the GUI tests of the combo buttons and their menus,
// laid out like the button page: the Buttons_Normal sheet as its background,
// the five function buttons at their places with their menus, and below the
// mouse two combos whose menus open upwards, the second one's cascading.
//
// Two hidden statics tell the tests what the window received:
//   kLastChoiceId  "<control ID> <item id>" of the last selection notification
//   kStayOnTopId   the arguments of the stay-on-top requests, oldest first
// Each combo's window text follows its label once a selection has been
// handled, so that the labels can be read from outside.
#include <memory>
#include <string>
#include <vector>

#include "buttons/button_functions.h"
#include "framework/wide_text.h"
#include "framework/window.h"
#include "res/resource.h"
#include "skin/sheets.h"
#include "tests/gui/fixture_ids.h"
#include "tests/gui/fixture_session.h"
#include "widgets/combo_buttons.h"
#include "widgets/skin_layout.h"
#include "widgets/window_messages.h"

namespace {

using korvid::CQuoBnComboButton;
using korvid::RectAt;
using korvid::SkinRect;
using korvid::SkinSheet;

const wchar_t kClassName[] = L"KorvidComboFixture";
const wchar_t kTitle[] = L"Korvid Combo Fixture";
constexpr int kWindowX = 100;
constexpr int kWindowY = 100;

constexpr int kFirstFunctionButtonId = IDC_FUNCTION_BUTTON_1;
const SkinRect kFunctionButtonRects[korvid::kPageButtons] = {
    RectAt(623, 132, 282, 34), RectAt(623, 169, 282, 34), RectAt(623, 207, 282, 31),
    RectAt(623, 245, 282, 31), RectAt(623, 282, 282, 31),
};
constexpr int kFixedButtons = 2;  // buttons 1 and 2 keep their function

constexpr int kDropUpComboId = IDC_COMBO_FIXTURE_DROP_UP;
constexpr int kCascadeComboId = IDC_COMBO_FIXTURE_CASCADE;
const SkinRect kDropUpComboRect = RectAt(40, 494, 200, 31);
const SkinRect kCascadeComboRect = RectAt(256, 494, 200, 31);
// The extra combos take their frame from button 3's cuts, fitted to their
// width: the left part of the frame and its right end with the chevron.
constexpr int kFrameSourceButton = 3;
constexpr int kChevronPartWidth = 40;

struct FixtureItem {
  int id;
  const wchar_t* text;
};
const FixtureItem kProfileItems[] = {{1, L"Profile 1"}, {2, L"Profile 2"}, {3, L"Profile 3"}, {4, L"Profile 4"}};
const FixtureItem kCascadeItems[] = {{2101, L"Left click"}, {2102, L"Right click"}};
const FixtureItem kWheelSubmenu = {2100, L"Wheel"};
const FixtureItem kWheelItems[] = {{2106, L"Scroll Up"}, {2107, L"Scroll Down"}, {2103, L"Middle click"}};

constexpr int kLastChoiceId = IDC_COMBO_FIXTURE_LAST_CHOICE;
constexpr int kStayOnTopId = IDC_COMBO_FIXTURE_STAY_ON_TOP;
constexpr size_t kStayOnTopRecordLimit = 256;
// Posted to itself after a selection: the combo takes the item as its label
// only once the notification has returned.
constexpr UINT kShowLabelsMessage = WM_APP + 1;

framework::ImagePtr FittedComboImage(SkinSheet sheet, int width) {
  const SkinRect source = kFunctionButtonRects[kFrameSourceButton - 1];
  framework::ImagePtr cut = korvid::CropSkinImage(sheet, source);
  if (!cut) return nullptr;
  const int sourceWidth = source.right - source.left;
  const int height = source.bottom - source.top;
  const int leftWidth = width - kChevronPartWidth;
  auto fitted = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
  Gdiplus::Graphics graphics(fitted.get());
  graphics.DrawImage(cut.get(), Gdiplus::Rect(0, 0, leftWidth, height), 0, 0, leftWidth, height,
                     Gdiplus::UnitPixel);
  graphics.DrawImage(cut.get(), Gdiplus::Rect(leftWidth, 0, kChevronPartWidth, height),
                     sourceWidth - kChevronPartWidth, 0, kChevronPartWidth, height, Gdiplus::UnitPixel);
  return fitted;
}

class ComboFixture : public framework::CWnd {
 public:
  bool Open() {
    if (!RegisterWindowClass()) return false;
    Gdiplus::Image* background = korvid::SkinSheetImage(korvid::kButtonsNormal);
    if (!background) return false;
    const int width = static_cast<int>(background->GetWidth());
    const int height = static_cast<int>(background->GetHeight());
    if (!CreateEx(0, kClassName, kTitle, WS_POPUP | WS_CLIPCHILDREN, kWindowX, kWindowY, width, height, nullptr,
                  nullptr)) {
      return false;
    }
    BuildFunctionButtons();
    BuildExtraCombos();
    MakeReport(kLastChoiceId);
    MakeReport(kStayOnTopId);
    ShowLabels();
    ShowWindow(SW_SHOW);
    return true;
  }

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_ERASEBKGND:
        PaintBackground(reinterpret_cast<HDC>(wParam));
        return TRUE;
      case WM_DRAWITEM:
        return framework::ReflectDrawItem(lParam) ? TRUE : FALSE;
      case WM_SYSCOMMAND:
        if (wParam == korvid::kStayOnTopRequest) {
          RecordStayOnTop(lParam);
          return 0;
        }
        if (FindCombo(static_cast<int>(wParam))) {
          RecordChoice(static_cast<int>(wParam), lParam);
          return 0;
        }
        return Default(message, wParam, lParam);
      case kShowLabelsMessage:
        ShowLabels();
        return 0;
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
      default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
  }

 private:
  static bool RegisterWindowClass() { return framework::CWnd::RegisterStandardClass(kClassName); }

  CQuoBnComboButton& AddCombo(int controlId, const SkinRect& rect) {
    HWND window = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, GetSafeHwnd(),
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                                  framework::ModuleInstance(), nullptr);
    combos_.push_back(std::make_unique<CQuoBnComboButton>());
    combos_.back()->SubclassWindow(window);
    return *combos_.back();
  }

  void BuildFunctionButtons() {
    for (int n = 1; n <= korvid::kPageButtons; ++n) {
      const SkinRect& rect = kFunctionButtonRects[n - 1];
      CQuoBnComboButton& button = AddCombo(kFirstFunctionButtonId + n - 1, rect);
      korvid::PlaceSkinnedButton(button, rect, korvid::kButtonsNormal, korvid::kButtonsOver, korvid::kButtonsDown);
      for (const korvid::MenuItem& item : korvid::ButtonMenu(n)) button.AddMenuItem(item.functionId, framework::ToWide(item.label));
      button.SelectItem(korvid::InitialButtonItem(n).functionId);
      if (n <= kFixedButtons) button.SetMenuEnabled(false);
    }
  }

  CQuoBnComboButton& AddFittedCombo(int controlId, const SkinRect& rect) {
    CQuoBnComboButton& combo = AddCombo(controlId, rect);
    const int width = rect.right - rect.left;
    combo.SetImages(FittedComboImage(korvid::kButtonsNormal, width), FittedComboImage(korvid::kButtonsOver, width),
                    FittedComboImage(korvid::kButtonsDown, width));
    return combo;
  }

  void BuildExtraCombos() {
    CQuoBnComboButton& dropUp = AddFittedCombo(kDropUpComboId, kDropUpComboRect);
    for (const FixtureItem& item : kProfileItems) dropUp.AddMenuItem(item.id, item.text);
    dropUp.SelectItem(kProfileItems[0].id);
    dropUp.SetDropUp(true);

    CQuoBnComboButton& cascade = AddFittedCombo(kCascadeComboId, kCascadeComboRect);
    cascade.SetDropUp(true);
    for (const FixtureItem& item : kCascadeItems) cascade.AddMenuItem(item.id, item.text);
    if (!cascade.Menu()) return;
    cascade.Menu()->AddItem(kWheelSubmenu.id, kWheelSubmenu.text, 0, 1, 1);
    if (korvid::CQuoBnMenu* wheel = cascade.Menu()->GetSubMenu(kWheelSubmenu.id)) {
      for (const FixtureItem& item : kWheelItems) wheel->AddItem(item.id, item.text, 0, 1, 0);
      // A sub-menu starts 50 pixels wide: as wide as its parent here.
      RECT menuBounds{};
      GetWindowRect(cascade.Menu()->GetSafeHwnd(), &menuBounds);
      SetWindowPos(wheel->GetSafeHwnd(), nullptr, 0, 0, menuBounds.right - menuBounds.left, 10,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    cascade.SelectItem(kCascadeItems[0].id);
  }

  void MakeReport(int controlId) const {
    CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 0, 0, GetSafeHwnd(),
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), framework::ModuleInstance(), nullptr);
  }

  CQuoBnComboButton* FindCombo(int controlId) const {
    for (const auto& combo : combos_) {
      if (combo->GetDlgCtrlID() == controlId) return combo.get();
    }
    return nullptr;
  }

  void RecordChoice(int controlId, LPARAM itemId) {
    SetDlgItemTextW(GetSafeHwnd(), kLastChoiceId,
                    (std::to_wstring(controlId) + L" " + std::to_wstring(static_cast<int>(itemId))).c_str());
    PostMessageW(GetSafeHwnd(), kShowLabelsMessage, 0, 0);
  }

  void RecordStayOnTop(LPARAM argument) {
    if (stayOnTop_.size() >= kStayOnTopRecordLimit) stayOnTop_.erase(stayOnTop_.begin());
    stayOnTop_.push_back(static_cast<int>(argument));
    std::wstring text;
    for (int value : stayOnTop_) text += (text.empty() ? L"" : L" ") + std::to_wstring(value);
    SetDlgItemTextW(GetSafeHwnd(), kStayOnTopId, text.c_str());
  }

  void ShowLabels() const {
    for (const auto& combo : combos_) combo->SetWindowText(combo->Label());
  }

  void PaintBackground(HDC dc) const {
    Gdiplus::Image* background = korvid::SkinSheetImage(korvid::kButtonsNormal);
    if (!background) return;
    Gdiplus::Graphics graphics(dc);
    graphics.DrawImage(background, 0, 0, static_cast<INT>(background->GetWidth()),
                       static_cast<INT>(background->GetHeight()));
  }

  std::vector<std::unique_ptr<CQuoBnComboButton>> combos_;
  std::vector<int> stayOnTop_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  korvid_fixture::GraphicsSession session;
  ComboFixture fixture;
  if (!fixture.Open()) return 1;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
