#pragma once
#include <string>

#include "framework/handles.h"
#include "framework/win32.h"
#include "skin/display_scale.h"
#include "skin/sheet_list.h"

// The skin's sheets: whole-window images, one per look and state, in the
// program's Resources folder (the list is skin/sheets.txt). A control's image
// is the rectangle of its own position cut out of a sheet. A sheet is decoded
// when a window is built from it and released once the window has its cuts,
// so that the program does not carry every sheet while it runs.
namespace korvid {

// File name of a sheet, with its leading backslash ("\Main_BK.png").
const wchar_t* SkinFileName(SkinSheet sheet);

bool SkinLoaded();
// Checks that every sheet is in the Resources folder and starts as an image
// should; reports "UI load failed!" and asks the program to end when one
// does not. Decodes nothing.
void LoadSkin();
// Drops every decoded sheet; the next use decodes it again.
void ReleaseSkinSheets();
// Releases the sheets; GDI+ must still be running.
void UnloadSkin();
// The sheet itself at the windows' scale (UiDpi), decoded on first use and
// owned by the skin until the next release (so keep a copy or a cut, never
// this pointer), or null when it cannot be loaded. The art of the scale's
// step is used, resampled when the scale lies between steps; a step whose
// file is missing falls back to the 100 % art.
Gdiplus::Image* SkinSheetImage(SkinSheet sheet);
// A new bitmap holding the rectangle of the sheet, in the sheet's own
// pixels; none for a rectangle outside the sheet. An empty sheet reports "UI load failed!"
// and asks the program to end.
framework::ImagePtr CropSkinImage(Gdiplus::Image* sheet, const SkinRect& rect);
// The same for a rectangle in logical pixels, cut from the sheet at the
// windows' scale.
framework::ImagePtr CropSkinImage(SkinSheet sheet, const SkinRect& logicalRect);

// A new GDI+ image read from a file through memory, so the file is not held
// open; null when the file is not an image.
framework::ImagePtr LoadImageFile(const std::wstring& path);

}  // namespace korvid
