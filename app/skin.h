#pragma once
#include <string>

#include "framework/handles.h"
#include "framework/win32.h"

namespace korvid {

enum SkinState : int { kSkinNormal = 0, kSkinOver = 1, kSkinPressed = 2, kSkinOff = 3 };

// The sheets, in load order.
enum SkinSheet : int {
  kMainBackground, kMainNormal, kMainOver, kMainDown, kMainOff,
  kSensorNormal, kSensorOver, kSensorDown, kSensorOff,
  kNodevNormal,
  kButtonsNormal, kButtonsOver, kButtonsDown,
  kUpdateNormal, kUpdateOver, kUpdateDown, kUpdateOff,
  kSystemMsgNormal, kSystemMsgOver, kSystemMsgDown,
  kColorNormal, kColorOver, kColorDown,
  kSupportNormal, kSupportOver, kSupportDown,
  kErrorNormal, kErrorOver, kErrorDown,
  kNoDeviceNormal,
  kKeyNormal, kKeyDown,
  kSheetCount
};

// File name of a sheet, with its leading backslash ("\Main_BK.bmp").
const wchar_t* SkinFileName(SkinSheet sheet);

struct SkinRect {
  int left, top, right, bottom;
};
constexpr SkinRect RectAt(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }

bool SkinLoaded();
// Loads every sheet from the program's Resources folder. A file that cannot
// be loaded leaves its sheet empty; that shows only when a cut is made.
void LoadSkin();
// Releases the sheets; GDI+ must still be running.
void UnloadSkin();
// The sheet itself (owned by the skin), or null when it failed to load.
Gdiplus::Image* SkinSheetImage(SkinSheet sheet);
// A new bitmap holding the rectangle of the sheet. An empty sheet reports
// "UI load failed!" and asks the program to end.
framework::ImagePtr CropSkinImage(Gdiplus::Image* sheet, const SkinRect& rect);
framework::ImagePtr CropSkinImage(SkinSheet sheet, const SkinRect& rect);
// The image of a skin element in a state. For the elements that are whole
// sheets the result is a pointer into the skin and `owned` stays empty;
// cuts and the background copy are returned in `owned`.
struct SkinElement {
  framework::ImagePtr owned;
  Gdiplus::Image* sheet = nullptr;
  Gdiplus::Image* get() const { return owned ? owned.get() : sheet; }
  // A copy that the caller owns, whatever the element's kind.
  framework::ImagePtr Take();
};
SkinElement GetSkinElementImage(int element, int state, const SkinRect& rect);

// A new GDI+ image read from a file through memory, so the file is not held
// open; null when the file is not an image.
framework::ImagePtr LoadImageFile(const std::wstring& path);

// Text helpers shared by the skinned controls.
framework::FontHandle CreateArialFont(int height, int weight);
// An ARGB colour for GDI: the alpha is dropped.
constexpr COLORREF ArgbToColorref(Gdiplus::ARGB colour) {
  return RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
}
void DrawTextGdiPlus(Gdiplus::Graphics& graphics, Gdiplus::ARGB colour, const std::wstring& text,
                     bool centreHorizontally, const RECT& rect, const Gdiplus::Font& font);
SIZE MeasureTextGdiPlus(const std::wstring& text, const Gdiplus::Font& font, const RECT& rect);
void DrawTextCentered(HDC dc, const std::wstring& text, COLORREF colour, bool centreHorizontally,
                      bool centreVertically, const RECT& rect, HFONT font = nullptr);

}  // namespace korvid
