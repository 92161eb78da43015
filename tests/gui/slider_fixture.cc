// A window of its own for the GUI tests of the image slider: the art the
// skin generator draws for it (slider-art beside the program), and three
// sliders bound to trackbars as a page binds its template's:
//   kFineSlider    0 to 100, step 1, the value shown under the thumb
//   kCoarseSlider  0 to 100, step 10
//   kOffSlider     0 to 100 at 30, disabled (state 3)
// A hidden static, kReportId, lists the notifications received, oldest
// first, as "<control ID>:<value>".
#include "framework/window.h"

#include <commctrl.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "skin/sheets.h"
#include "tests/gui/fixture_ids.h"
#include "tests/gui/fixture_session.h"
#include "widgets/zeb_slider_ctrl.h"

namespace {

using korvid::CZebSliderCtrl;

const wchar_t kClassName[] = L"KorvidSliderFixture";
const wchar_t kTitle[] = L"Korvid Slider Fixture";
constexpr int kWindowX = 100, kWindowY = 100;
constexpr int kWidth = 360, kHeight = 196;  // the panel at the top of the sheets
constexpr RECT kThumb{40, 199, 60, 219};

constexpr int kFineSlider = IDC_SLIDER_FIXTURE_FINE, kCoarseSlider = IDC_SLIDER_FIXTURE_COARSE,
              kOffSlider = IDC_SLIDER_FIXTURE_OFF;
constexpr int kReportId = IDC_SLIDER_FIXTURE_REPORT;
constexpr size_t kReportLimit = 128;

struct SliderPlace {
  int id;
  RECT rect;
  int step;
  bool showValue;
  bool disabled;
  int position;
};
constexpr SliderPlace kSliders[] = {
    {kFineSlider, {40, 50, 320, 86}, 1, true, false, 0},
    {kCoarseSlider, {40, 98, 320, 134}, 10, false, false, 0},
    {kOffSlider, {40, 146, 320, 182}, 1, false, true, 30},
};

std::wstring ArtFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\')) + L"\\slider-art\\";
}

framework::ImagePtr Cut(Gdiplus::Image* sheet, const RECT& rect) {
  return korvid::CropSkinImage(sheet, {rect.left, rect.top, rect.right, rect.bottom});
}

class SliderFixture : public framework::CWnd {
 public:
  bool Open() {
    const std::wstring folder = ArtFolder();
    normal_ = korvid::LoadImageFile(folder + L"Slider_Normal.png");
    over_ = korvid::LoadImageFile(folder + L"Slider_Over.png");
    off_ = korvid::LoadImageFile(folder + L"Slider_Off.png");
    if (!normal_ || !over_ || !off_ || !framework::CWnd::RegisterStandardClass(kClassName)) return false;
    if (!CreateEx(0, kClassName, kTitle, WS_POPUP | WS_CLIPCHILDREN, kWindowX, kWindowY, kWidth, kHeight, nullptr,
                  nullptr)) {
      return false;
    }
    for (size_t i = 0; i < std::size(kSliders); ++i) Build(sliders_[i], kSliders[i]);
    CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 0, 0, GetSafeHwnd(),
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kReportId)), framework::ModuleInstance(), nullptr);
    ShowWindow(SW_SHOW);
    return true;
  }

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_ERASEBKGND: {
        Gdiplus::Graphics graphics(reinterpret_cast<HDC>(wParam));
        graphics.DrawImage(normal_.get(), Gdiplus::Rect(0, 0, kWidth, kHeight), 0, 0, kWidth, kHeight,
                           Gdiplus::UnitPixel);
        return TRUE;
      }
      case WM_SYSCOMMAND:
        for (const SliderPlace& place : kSliders) {
          if (static_cast<int>(wParam) == place.id) {
            Record(place.id, static_cast<int>(lParam));
            return 0;
          }
        }
        return Default(message, wParam, lParam);
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
      default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
  }

 private:
  void Build(CZebSliderCtrl& slider, const SliderPlace& place) {
    HWND window = CreateWindowExW(0, TRACKBAR_CLASSW, L"", WS_CHILD | WS_VISIBLE | TBS_BOTH | TBS_NOTICKS,
                                  place.rect.left, place.rect.top, place.rect.right - place.rect.left,
                                  place.rect.bottom - place.rect.top, GetSafeHwnd(),
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(place.id)),
                                  framework::ModuleInstance(), nullptr);
    slider.SubclassWindow(window);
    slider.trackImage = Cut(normal_.get(), place.rect);
    slider.thumbImage = Cut(normal_.get(), kThumb);
    slider.thumbHoverImage = Cut(over_.get(), kThumb);
    slider.thumbDisabledImage = Cut(off_.get(), kThumb);
    slider.step = place.step;
    slider.showValue = place.showValue;
    slider.position = place.position;
    if (place.disabled) slider.state = CZebSliderCtrl::kDisabled;
    slider.Invalidate(false);
  }

  void Record(int id, int value) {
    if (notifications_.size() >= kReportLimit) notifications_.erase(notifications_.begin());
    notifications_.push_back(std::to_wstring(id) + L":" + std::to_wstring(value));
    std::wstring text;
    for (const std::wstring& entry : notifications_) text += (text.empty() ? L"" : L" ") + entry;
    SetDlgItemTextW(GetSafeHwnd(), kReportId, text.c_str());
  }

  framework::ImagePtr normal_, over_, off_;
  std::array<CZebSliderCtrl, std::size(kSliders)> sliders_;
  std::vector<std::wstring> notifications_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  korvid_fixture::GraphicsSession session;
  int result = 1;
  {
    SliderFixture fixture;
    if (fixture.Open()) {
      MSG message;
      while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      result = 0;
    }
  }
  return result;
}
