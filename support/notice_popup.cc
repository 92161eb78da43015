#include "support/notice_popup.h"

#include <array>

#include "res/resource.h"
#include "skin/sheets.h"
#include "support/pop_system_message_dlg.h"
#include "widgets/skin_layout.h"
#include "skin/ui_scale.h"

namespace korvid {
namespace {

// The sheet's button places, from the right (tools/skin/layout.py).
constexpr std::array<SkinRect, 3> kButtonPlaces = {RectAt(364, 248, 90, 36), RectAt(267, 248, 90, 36),
                                                   RectAt(170, 248, 90, 36)};
// Where the words go: right of the sheet's mark, above the buttons.
constexpr int kTextLeft = 104, kTextRight = 450, kHeadlineTop = 66, kTextTop = 100, kTextBottom = 238;
constexpr int kHeadlineHeight = 18;
constexpr int kTextHeights[] = {13, 12, 11, 10};
constexpr Gdiplus::ARGB kHeadlineColour = 0xFFEEEEEE;
constexpr Gdiplus::ARGB kTextColour = 0xFFB2B2B4;

struct NoticeSheets {
  SkinSheet normal, over, down;
};

NoticeSheets SheetsOf(NoticeButtons buttons) {
  switch (buttons) {
    case NoticeButtons::kYesNo: return {kNoticeYesNoNormal, kNoticeYesNoOver, kNoticeYesNoDown};
    case NoticeButtons::kApplyDiscardCancel: return {kUnappliedNormal, kUnappliedOver, kUnappliedDown};
    case NoticeButtons::kOk: break;
  }
  return {kNoticeNormal, kNoticeOver, kNoticeDown};
}

Gdiplus::RectF TextBox(int top, int bottom) {
  return Gdiplus::RectF(static_cast<Gdiplus::REAL>(kTextLeft), static_cast<Gdiplus::REAL>(top),
                        static_cast<Gdiplus::REAL>(kTextRight - kTextLeft), static_cast<Gdiplus::REAL>(bottom - top));
}

// The sheet with the notice's words drawn on it. The text takes the
// largest size at which all of it fits.
std::unique_ptr<Gdiplus::Bitmap> DrawNotice(Gdiplus::Image& sheet, const Notice& notice) {
  const int width = static_cast<int>(sheet.GetWidth()), height = static_cast<int>(sheet.GetHeight());
  auto canvas = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
  Gdiplus::Graphics graphics(canvas.get());
  graphics.DrawImage(&sheet, 0, 0, width, height);
  // The words are laid out in logical pixels and drawn at the sheet's scale.
  graphics.ScaleTransform(ScaledF(1.0f), ScaledF(1.0f));
  graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
  Gdiplus::StringFormat format;
  format.SetTrimming(Gdiplus::StringTrimmingNone);
  Gdiplus::Font headline(L"Arial", static_cast<Gdiplus::REAL>(kHeadlineHeight), Gdiplus::FontStyleBold,
                         Gdiplus::UnitPixel);
  Gdiplus::SolidBrush headlineBrush{Gdiplus::Color(kHeadlineColour)};
  graphics.DrawString(notice.headline.c_str(), -1, &headline, TextBox(kHeadlineTop, kTextTop), &format,
                      &headlineBrush);
  const Gdiplus::RectF box = TextBox(kTextTop, kTextBottom);
  Gdiplus::SolidBrush textBrush{Gdiplus::Color(kTextColour)};
  for (const int size : kTextHeights) {
    Gdiplus::Font font(L"Arial", static_cast<Gdiplus::REAL>(size), Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
    Gdiplus::RectF needed;
    const Gdiplus::RectF unbounded(box.X, box.Y, box.Width, 10000.0F);
    graphics.MeasureString(notice.text.c_str(), -1, &font, unbounded, &format, &needed);
    if (needed.Height <= box.Height || size == kTextHeights[std::size(kTextHeights) - 1]) {
      graphics.DrawString(notice.text.c_str(), -1, &font, unbounded, &format, &textBrush);
      break;
    }
  }
  return canvas;
}

}  // namespace

CNoticePopup::CNoticePopup(Notice notice, framework::CWnd* parent)
    : CZebImageDialog(IDD_SYSTEM_MESSAGE, parent), notice_(std::move(notice)) {}

void CNoticePopup::DoDataExchange() {
  BindControls({{closeButton_, IDC_MESSAGE_CLOSE}, {noButton_, IDC_MESSAGE_NO}, {yesButton_, IDC_MESSAGE_YES},
                {label_, IDC_MESSAGE_LABEL}});
}

BOOL CNoticePopup::OnInitDialog() {
  CZebImageDialog::OnInitDialog();
  SetWindowText(notice_.headline);
  if (!SkinLoaded()) LoadSkin();
  const NoticeSheets sheets = SheetsOf(notice_.buttons);
  if (Gdiplus::Image* sheet = SkinSheetImage(sheets.normal)) {
    const std::unique_ptr<Gdiplus::Bitmap> drawn = DrawNotice(*sheet, notice_);
    SetBackground(drawn.get());
  }
  // The words are drawn on the background; the label keeps them for tools.
  label_.SetText(notice_.text);
  label_.ShowWindow(SW_HIDE);
  // Buttons from the right: the last answer, then the ones before it.
  std::array<CZebButton*, 3> answers{};
  switch (notice_.buttons) {
    case NoticeButtons::kOk: answers = {&yesButton_, nullptr, nullptr}; break;
    case NoticeButtons::kYesNo: answers = {&noButton_, &yesButton_, nullptr}; break;
    case NoticeButtons::kApplyDiscardCancel: answers = {&closeButton_, &noButton_, &yesButton_}; break;
  }
  for (CZebButton* button : {&closeButton_, &noButton_, &yesButton_}) button->ShowWindow(SW_HIDE);
  for (size_t place = 0; place < answers.size(); ++place) {
    if (!answers[place]) continue;
    PlaceSkinnedButton(*answers[place], kButtonPlaces[place], sheets.normal, sheets.over, sheets.down);
    answers[place]->ShowWindow(SW_SHOW);
  }
  ReleaseSkinSheets();
  // Enter answers with the focused button: the first answer (OK, Yes,
  // Apply); for the question before the end, Cancel, which loses nothing.
  CZebButton& focused = notice_.buttons == NoticeButtons::kApplyDiscardCancel ? closeButton_ : yesButton_;
  SetFocus(focused.GetSafeHwnd());
  return FALSE;
}

void CNoticePopup::OnCancel() {
  switch (notice_.buttons) {
    case NoticeButtons::kOk: EndDialog(kAnswerYes); break;
    case NoticeButtons::kYesNo: EndDialog(kAnswerNo); break;
    case NoticeButtons::kApplyDiscardCancel: EndDialog(kAnswerCancel); break;
  }
}

bool CNoticePopup::OnCommand(int controlId, int notifyCode, HWND) {
  if (notifyCode != BN_CLICKED) return false;
  switch (controlId) {
    case IDC_MESSAGE_YES:
      EndDialog(kAnswerYes);
      return true;
    case IDC_MESSAGE_NO:
      EndDialog(kAnswerNo);
      return true;
    case IDC_MESSAGE_CLOSE:
      EndDialog(kAnswerCancel);
      return true;
    default:
      return false;
  }
}

}  // namespace korvid
