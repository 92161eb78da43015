#pragma once
#include "framework/handles.h"
#include "skin/sheets.h"

// Skin elements: an element number and a state name an image, cut from the
// sheet of that state or handed out as a whole sheet.
namespace korvid {

enum SkinState : int { kSkinNormal = 0, kSkinOver = 1, kSkinPressed = 2, kSkinOff = 3 };

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
// The rectangle of a cut is in logical pixels.
SkinElement GetSkinElementImage(int element, int state, const SkinRect& rect);

}  // namespace korvid
