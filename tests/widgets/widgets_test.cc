#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/handles.h"
#include "framework/win32.h"
#include "pixels.h"
#include "skin/focus_mark.h"
#include "skin/text.h"
#include "widgets/zeb_button.h"
#include "widgets/zeb_image_dialog.h"
#include "widgets/zeb_static.h"
#include "widgets_test_ids.h"

namespace korvid {
namespace {

using testing::Canvas;
using testing::ImageProbe;

class ExposedButton : public CZebButton {
 public:
  using CZebButton::ImageToDraw;
};

class ExposedCheckBox : public CZebCheckBox {
 public:
  using CZebCheckBox::ImageToDraw;
  using CZebCheckBox::LosePointer;
};

class WidgetDialog : public CZebImageDialog {
 public:
  WidgetDialog() : CZebImageDialog(IDD_WIDGET_TEST, nullptr) {}

  void DoDataExchange() override {
    button.SubclassDlgItem(IDC_TEST_BUTTON, *this);
    check.SubclassDlgItem(IDC_TEST_CHECK, *this);
    label.SubclassDlgItem(IDC_TEST_LABEL, *this);
  }
  bool OnCommand(int controlId, int notifyCode, HWND) override {
    if (notifyCode == BN_CLICKED) clicks.push_back(controlId);
    return true;
  }

  ExposedButton button;
  ExposedCheckBox check;
  CZebStatic label;
  std::vector<int> clicks;
};

void DeliverPostedMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

constexpr COLORREF kNormalColour = RGB(200, 0, 0), kOverColour = RGB(0, 200, 0), kPressedColour = RGB(0, 0, 200),
                   kOffColour = RGB(200, 200, 0), kUntouched = RGB(255, 0, 255);

framework::ImagePtr SolidImage(int width, int height, COLORREF colour) {
  auto image = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
  Gdiplus::Graphics graphics(image.get());
  graphics.Clear(Gdiplus::Color(GetRValue(colour), GetGValue(colour), GetBValue(colour)));
  return image;
}

class WidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dialog_.Create());
    ASSERT_TRUE(dialog_.button.GetSafeHwnd());
    ASSERT_TRUE(dialog_.check.GetSafeHwnd());
    ASSERT_TRUE(dialog_.label.GetSafeHwnd());
    SetWindowPos(dialog_.GetSafeHwnd(), nullptr, 37, 23, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    dialog_.ShowWindow(SW_SHOWNOACTIVATE);
    DeliverPostedMessages();
  }
  void TearDown() override {
    dialog_.DestroyWindow();
    DeliverPostedMessages();
  }

  WidgetDialog dialog_;
};

RECT ClientRect(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return rect;
}

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

TEST_F(WidgetTest, BackgroundSetsTheWindowSizeAndPaintsFromItsOwnCopy) {
  HWND window = dialog_.GetSafeHwnd();
  const RECT before = WindowRect(window);
  const struct {
    int width, height;
    COLORREF colour;
  } backgrounds[] = {{1062, 554, RGB(10, 120, 230)}, {300, 200, RGB(240, 30, 90)}};
  for (const auto& b : backgrounds) {
    {
      framework::ImagePtr image = SolidImage(b.width, b.height, b.colour);
      dialog_.SetBackground(image.get());
      EXPECT_NE(dialog_.Background(), image.get());
    }  // the caller's image is gone; the dialog paints from its copy
    const RECT client = ClientRect(window);
    EXPECT_EQ(client.right - client.left, b.width);
    EXPECT_EQ(client.bottom - client.top, b.height);
    const RECT now = WindowRect(window);
    EXPECT_EQ(now.left, before.left);
    EXPECT_EQ(now.top, before.top);

    Canvas canvas(b.width, b.height, kUntouched);
    EXPECT_EQ(SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0), TRUE);
    EXPECT_EQ(canvas.Pixel(0, 0), b.colour);
    EXPECT_EQ(canvas.Pixel(b.width - 1, b.height - 1), b.colour);
  }
}

TEST_F(WidgetTest, WithoutBackgroundErasesLikeAPlainDialog) {
  Canvas canvas(50, 50, kUntouched);
  SendMessageW(dialog_.GetSafeHwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0);
  EXPECT_EQ(canvas.Pixel(10, 10), GetSysColor(COLOR_3DFACE));
}

enum Look { kNothing, kNormal, kOver, kPressed, kOff };

struct DrawCase {
  const char* what;
  bool hasNormal, hasOver, hasPressed, hasOff;
  int state;
  bool selected, disabled;
  Look expected;
};

constexpr DrawCase kButtonDrawCases[] = {
    {"normal", true, true, true, false, 0, false, false, kNormal},
    {"pointer over", true, true, true, false, 1, false, false, kOver},
    {"pressed", true, true, true, false, 2, false, false, kPressed},
    {"selected", true, true, true, false, 0, true, false, kPressed},
    {"selected, pointer over", true, true, true, false, 1, true, false, kPressed},
    {"pressed without pressed image", true, true, false, false, 2, false, false, kNothing},
    {"selected without pressed image", true, true, false, false, 0, true, false, kNormal},
    {"selected without pressed image, pointer over", true, true, false, false, 1, true, false, kOver},
    {"pointer over without over image", true, false, true, false, 1, false, false, kNothing},
    {"normal without normal image", false, true, true, false, 0, false, false, kNothing},
    {"disabled with off image", true, true, true, true, 0, true, true, kOff},
    {"disabled without off image", true, true, true, false, 0, false, true, kNormal},
    {"disabled and selected without off image", true, true, true, false, 0, true, true, kPressed},
    {"off image while enabled", true, true, true, true, 0, false, false, kNormal},
};

constexpr DrawCase kCheckBoxDrawCases[] = {
    {"unchecked", true, true, true, false, 0, false, false, kNormal},
    {"unchecked, pointer over", true, true, true, false, 1, false, false, kNormal},
    {"unchecked, pressed", true, true, true, false, 2, false, false, kNormal},
    {"checked", true, true, true, false, 0, true, false, kPressed},
    {"checked, pointer over", true, true, true, false, 1, true, false, kPressed},
    {"checked without pressed image", true, true, false, false, 0, true, false, kNormal},
    {"unchecked without normal image", false, true, true, false, 0, false, false, kNothing},
    {"disabled with off image", true, true, true, true, 0, true, true, kOff},
};

// The button's owner-draw request answered on the whole canvas.
void DrawButtonOn(CZebButton& button, const Canvas& canvas) {
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.hwndItem = button.GetSafeHwnd();
  item.hDC = canvas.dc();
  item.rcItem = RECT{0, 0, canvas.width(), canvas.height()};
  button.DrawItem(item);
}

template <typename Button>
void CheckDrawing(Button& button, const DrawCase& c) {
  SCOPED_TRACE(c.what);
  framework::ImagePtr normal = c.hasNormal ? SolidImage(10, 5, kNormalColour) : nullptr;
  framework::ImagePtr over = c.hasOver ? SolidImage(10, 5, kOverColour) : nullptr;
  framework::ImagePtr pressed = c.hasPressed ? SolidImage(10, 5, kPressedColour) : nullptr;
  framework::ImagePtr off = c.hasOff ? SolidImage(10, 5, kOffColour) : nullptr;
  Gdiplus::Image* const images[] = {nullptr, normal.get(), over.get(), pressed.get(), off.get()};
  button.SetImages(std::move(normal), std::move(over), std::move(pressed));
  if (off) button.SetOffImage(std::move(off));
  button.SetLook(static_cast<ButtonLook>(c.state));
  button.SetSelected(c.selected);
  button.EnableWindow(!c.disabled);

  EXPECT_EQ(button.ImageToDraw(), images[c.expected]);

  Canvas canvas(20, 10, kUntouched);
  DrawButtonOn(button, canvas);
  const COLORREF colours[] = {kUntouched, kNormalColour, kOverColour, kPressedColour, kOffColour};
  EXPECT_EQ(canvas.Pixel(10, 5), colours[c.expected]);
  EXPECT_EQ(canvas.Pixel(16, 7), colours[c.expected]) << "not stretched to the control";
  button.EnableWindow(true);
}

TEST_F(WidgetTest, ButtonDrawsTheImageOfItsLook) {
  for (const DrawCase& c : kButtonDrawCases) CheckDrawing(dialog_.button, c);
}

TEST_F(WidgetTest, CheckBoxShowsOnlyItsNormalAndPressedLooks) {
  for (const DrawCase& c : kCheckBoxDrawCases) CheckDrawing(dialog_.check, c);
}

TEST_F(WidgetTest, SetImagesClearsTheOffImage) {
  dialog_.button.SetOffImage(SolidImage(4, 4, kOffColour));
  framework::ImagePtr normal = SolidImage(4, 4, kNormalColour);
  Gdiplus::Image* normalImage = normal.get();
  dialog_.button.SetImages(std::move(normal), nullptr, nullptr);
  dialog_.button.EnableWindow(false);
  EXPECT_EQ(dialog_.button.ImageToDraw(), normalImage);
}

bool NeedsRepaint(HWND window) { return GetUpdateRect(window, nullptr, FALSE) != FALSE; }

TEST_F(WidgetTest, SetSelectedRepaintsOnlyOnAChange) {
  HWND button = dialog_.button.GetSafeHwnd();
  const struct {
    bool value, repaints;
  } steps[] = {{false, false}, {true, true}, {true, false}, {false, true}, {false, false}};
  for (const auto& step : steps) {
    UpdateWindow(dialog_.GetSafeHwnd());
    ValidateRect(button, nullptr);
    dialog_.button.SetSelected(step.value);
    EXPECT_EQ(dialog_.button.IsSelected(), step.value);
    EXPECT_EQ(NeedsRepaint(button), step.repaints) << "SetSelected(" << step.value << ")";
  }
}

// Mouse input as the control receives it, in its client coordinates.
enum Input { kMoveInside, kPress, kMoveOutside, kReleaseInside, kReleaseOutside };

void Send(HWND window, Input input) {
  const LPARAM inside = MAKELPARAM(5, 5);
  const LPARAM outside = MAKELPARAM(static_cast<WORD>(-30), 5);
  switch (input) {
    case kMoveInside:
      SendMessageW(window, WM_MOUSEMOVE, 0, inside);
      break;
    case kPress:
      SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, inside);
      break;
    case kMoveOutside:
      SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, outside);
      break;
    case kReleaseInside:
      SendMessageW(window, WM_LBUTTONUP, 0, inside);
      break;
    case kReleaseOutside:
      SendMessageW(window, WM_LBUTTONUP, 0, outside);
      break;
  }
  DeliverPostedMessages();
}

struct ClickCase {
  const char* what;
  std::vector<Input> inputs;
  bool checked;
  size_t clicks;
};

const ClickCase kClickCases[] = {
    {"one click", {kMoveInside, kPress, kReleaseInside}, true, 1},
    {"two clicks", {kMoveInside, kPress, kReleaseInside, kMoveInside, kPress, kReleaseInside}, false, 2},
    {"click without a move first", {kPress, kReleaseInside}, true, 1},
    {"press, leave, release outside", {kMoveInside, kPress, kMoveOutside, kReleaseOutside}, false, 0},
    {"press without a move first, leave, release outside", {kPress, kMoveOutside, kReleaseOutside}, false, 0},
    {"press, leave, come back, release inside",
     {kMoveInside, kPress, kMoveOutside, kMoveInside, kReleaseInside}, false, 0},
};

TEST_F(WidgetTest, CheckBoxTogglesOnlyOnACompletedClick) {
  for (const ClickCase& c : kClickCases) {
    SCOPED_TRACE(c.what);
    dialog_.check.SetSelected(false);
    dialog_.check.LosePointer();
    ReleaseCapture();
    dialog_.clicks.clear();
    for (const Input input : c.inputs) Send(dialog_.check.GetSafeHwnd(), input);
    EXPECT_EQ(dialog_.check.IsChecked(), c.checked);
    EXPECT_EQ(dialog_.clicks.size(), c.clicks);
    for (const int id : dialog_.clicks) EXPECT_EQ(id, IDC_TEST_CHECK);
    EXPECT_NE(dialog_.check.GetLook(), kLookDown);
  }
}

TEST_F(WidgetTest, ButtonReportsAClickOnlyWhenReleasedInside) {
  const struct {
    const char* what;
    std::vector<Input> inputs;
    size_t clicks;
  } cases[] = {
      {"click", {kMoveInside, kPress, kReleaseInside}, 1},
      {"press, leave, release outside", {kMoveInside, kPress, kMoveOutside, kReleaseOutside}, 0},
      {"press without a move first, leave, release outside", {kPress, kMoveOutside, kReleaseOutside}, 0},
      {"press, leave, come back, release inside",
       {kMoveInside, kPress, kMoveOutside, kMoveInside, kReleaseInside}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ReleaseCapture();
    dialog_.clicks.clear();
    for (const Input input : c.inputs) Send(dialog_.button.GetSafeHwnd(), input);
    EXPECT_EQ(dialog_.clicks.size(), c.clicks);
    EXPECT_EQ(dialog_.button.GetLook(), kLookNormal);
    EXPECT_FALSE(dialog_.button.IsPressed());
    EXPECT_FALSE(dialog_.button.IsSelected());
  }
}

TEST_F(WidgetTest, EnterClicksTheFocusedButtonExceptWhileItIsBusy) {
  ExposedButton& button = dialog_.button;
  HWND window = button.GetSafeHwnd();
  button.SetImages(SolidImage(10, 5, kNormalColour), SolidImage(10, 5, kOverColour),
                   SolidImage(10, 5, kPressedColour));
  framework::ImagePtr busyImage = SolidImage(10, 5, kOffColour);
  Gdiplus::Image* busyLook = busyImage.get();
  button.SetBusyImage(std::move(busyImage));
  // Enter is the button's to take, not the dialog's default command.
  MSG enter{window, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  EXPECT_EQ(SendMessageW(window, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) & DLGC_WANTMESSAGE,
            DLGC_WANTMESSAGE);
  MSG tab{window, WM_KEYDOWN, VK_TAB, 0, 0, {}};
  EXPECT_EQ(SendMessageW(window, WM_GETDLGCODE, VK_TAB, reinterpret_cast<LPARAM>(&tab)) & DLGC_WANTMESSAGE, 0);
  const struct {
    const char* what;
    bool busy;
    size_t clicks;
  } cases[] = {{"idle", false, 2}, {"busy", true, 0}, {"idle again", false, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    button.SetBusy(c.busy);
    EXPECT_EQ(button.IsBusy(), c.busy);
    EXPECT_EQ(button.ImageToDraw() == busyLook, c.busy);
    dialog_.clicks.clear();
    SendMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
    for (const Input input : {kMoveInside, kPress, kReleaseInside}) Send(window, input);
    EXPECT_EQ(dialog_.clicks.size(), c.clicks);
    ReleaseCapture();
  }
}

TEST_F(WidgetTest, FocusMarkShowsOnTheFocusedButtonOnceTheKeysHaveBeenUsed) {
  CZebButton& button = dialog_.button;
  button.SetImages(SolidImage(10, 5, kNormalColour), nullptr, nullptr);
  HWND root = GetAncestor(button.GetSafeHwnd(), GA_ROOT);
  const COLORREF mark = ArgbToColorref(kFocusMarkColour);
  const struct {
    const char* what;
    bool focused, cues;
    bool marked;
  } cases[] = {{"focused, keys used", true, true, true},
               {"focused, mouse only", true, false, false},
               {"not focused", false, true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetFocus(c.focused ? button.GetSafeHwnd() : nullptr);
    SetKeyboardCuesShown(root, c.cues);
    Canvas canvas(40, 20, kUntouched);
    DrawButtonOn(button, canvas);
    EXPECT_EQ(canvas.Pixel(20, 2) == mark, c.marked);
    EXPECT_EQ(canvas.Pixel(20, 10), kNormalColour) << "the mark covers the face";
  }
  SetKeyboardCuesShown(root, false);
}

TEST_F(WidgetTest, StaticTextFollowsSetText) {
  CZebStatic& label = dialog_.label;
  HWND window = label.GetSafeHwnd();
  const auto windowText = [window] {
    wchar_t text[64] = {};
    GetWindowTextW(window, text, 64);
    return std::wstring(text);
  };
  label.SetText(L"V1.09");
  EXPECT_EQ(label.GetText(), L"V1.09");
  EXPECT_EQ(windowText(), L"V1.09");
  label.SetText(L"-.--");
  EXPECT_EQ(label.texts.size(), 1u);
  EXPECT_EQ(label.GetText(), L"-.--");
  EXPECT_EQ(windowText(), L"-.--");

  for (const int index : {-1, 1, 5}) {
    label.textIndex = index;
    EXPECT_EQ(label.GetText(), L"") << "text index " << index;
  }
  label.SetText(L"V2.56");
  EXPECT_EQ(label.textIndex, 0);
  EXPECT_EQ(label.GetText(), L"V2.56");

  CZebStatic unbound;
  EXPECT_EQ(unbound.GetText(), L"");
  unbound.SetText(L"text");
  EXPECT_EQ(unbound.GetText(), L"text");
}

TEST_F(WidgetTest, StaticDrawsFillAndTextOfItsIndex) {
  CZebStatic& label = dialog_.label;
  label.SetText(L"Apply");
  constexpr int kWidth = 120, kHeight = 24;
  const auto draw = [&label](Canvas& canvas) {
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_STATIC;
    item.hwndItem = label.GetSafeHwnd();
    item.hDC = canvas.dc();
    item.rcItem = RECT{0, 0, kWidth, kHeight};
    label.DrawItem(item);
  };
  constexpr COLORREF kWhite = RGB(255, 255, 255);

  Canvas centred(kWidth, kHeight, kWhite);
  draw(centred);
  const RECT centredInk = centred.InkBounds(kWhite);
  ASSERT_LT(centredInk.left, centredInk.right) << "no text drawn";
  EXPECT_NEAR(centredInk.left, kWidth - centredInk.right, 3);

  label.centreHorizontally = false;
  Canvas leftAligned(kWidth, kHeight, kWhite);
  draw(leftAligned);
  const RECT leftInk = leftAligned.InkBounds(kWhite);
  EXPECT_LE(leftInk.left, 2);
  EXPECT_NEAR(leftInk.top, centredInk.top, 1) << "still centred vertically";

  label.textIndex = -1;
  label.fillColour = 0xFF00C000;
  Canvas fillOnly(kWidth, kHeight, kWhite);
  draw(fillOnly);
  for (const POINT p : {POINT{0, 0}, POINT{kWidth / 2, kHeight / 2}, POINT{kWidth - 1, kHeight - 1}}) {
    EXPECT_EQ(fillOnly.Pixel(p.x, p.y), RGB(0, 0xC0, 0));
  }
  EXPECT_EQ(fillOnly.InkBounds(RGB(0, 0xC0, 0)).right, 0) << "text drawn for index -1";
}

}  // namespace
}  // namespace korvid
