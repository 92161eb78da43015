#pragma once
#include "skin/sheets.h"
#include "skin/ui_scale.h"
#include "framework/window.h"
#include "widgets/zeb_button.h"

namespace korvid {

// Moves a control to its rectangle, in logical pixels of its parent's
// client area.
inline void PlaceControl(const framework::CWnd& control, const SkinRect& logicalRect) {
  const SkinRect rect = Scaled(logicalRect);
  control.MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

// Places a button and gives it the cuts of its own rectangle from three
// sheets: normal, pointer over and pressed.
inline void PlaceSkinnedButton(CZebButton& button, const SkinRect& rect, SkinSheet normal, SkinSheet over,
                               SkinSheet pressed) {
  PlaceControl(button, rect);
  button.SetImages(CropSkinImage(normal, rect), CropSkinImage(over, rect), CropSkinImage(pressed, rect));
}

}  // namespace korvid
