#pragma once
#include <string>

#include "framework/handles.h"
#include "framework/win32.h"
#include "skin/sheet_list.h"

// The skin's sheets: whole-window images, one per look and state, loaded
// once from the program's Resources folder (the list is skin/sheets.txt).
// A control's image is the rectangle of its own position cut out of a sheet.
namespace korvid {

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

// A new GDI+ image read from a file through memory, so the file is not held
// open; null when the file is not an image.
framework::ImagePtr LoadImageFile(const std::wstring& path);

}  // namespace korvid
