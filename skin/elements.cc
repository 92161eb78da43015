#include "skin/elements.h"

#include <array>

namespace korvid {
namespace {

using framework::ImagePtr;

constexpr int kNone = -1;

enum class ElementKind { kCopyOfSheet, kWholeSheet, kCut };

// One row of the element table: the elements first..last and, for each
// state, the sheet a cut comes from (kNone: no image in that state).
struct ElementRange {
  int first, last;
  ElementKind kind;
  std::array<int, 4> sheetByState;
};

constexpr std::array<int, 4> Same(int sheet) { return {sheet, sheet, sheet, sheet}; }

constexpr ElementRange kElements[] = {
    {0, 0, ElementKind::kCopyOfSheet, Same(kMainBackground)},
    {1, 4, ElementKind::kCut, {kMainNormal, kMainOver, kMainDown, kMainOff}},
    {8, 8, ElementKind::kCut, {kMainNormal, kMainOver, kMainDown, kMainOff}},
    {10, 14, ElementKind::kCut, {kMainNormal, kMainOver, kMainDown, kMainOff}},
    {16, 29, ElementKind::kCut, {kMainNormal, kMainOver, kMainDown, kMainOff}},
    {46, 46, ElementKind::kWholeSheet, Same(kButtonsNormal)},
    {47, 61, ElementKind::kCut, {kButtonsNormal, kButtonsOver, kButtonsDown, kButtonsNormal}},
    {83, 83, ElementKind::kWholeSheet, Same(kSensorNormal)},
    {84, 122, ElementKind::kCut, {kSensorNormal, kSensorOver, kSensorDown, kSensorOff}},
    {124, 157, ElementKind::kCut, {kSensorNormal, kSensorOver, kSensorDown, kSensorOff}},
    {230, 230, ElementKind::kWholeSheet, Same(kUpdateNormal)},
    {233, 240, ElementKind::kCut, {kUpdateNormal, kUpdateOver, kUpdateDown, kUpdateOff}},
    {241, 241, ElementKind::kWholeSheet, Same(kSupportNormal)},
    {242, 244, ElementKind::kCut, {kSupportNormal, kSupportOver, kSupportDown, kSupportNormal}},
    {249, 249, ElementKind::kWholeSheet, Same(kSystemMsgNormal)},
    {250, 252, ElementKind::kCut, {kSystemMsgNormal, kSystemMsgOver, kSystemMsgDown, kNone}},
    {270, 270, ElementKind::kWholeSheet, Same(kErrorNormal)},
    {271, 271, ElementKind::kCut, {kErrorNormal, kErrorOver, kErrorDown, kNone}},
    {272, 272, ElementKind::kWholeSheet, Same(kKeyNormal)},
    {273, 279, ElementKind::kCut, {kKeyNormal, kKeyDown, kKeyDown, kKeyNormal}},
    {362, 362, ElementKind::kWholeSheet, Same(kNodevNormal)},
    {363, 364, ElementKind::kCut, {kNodevNormal, kSystemMsgOver, kSystemMsgDown, kNone}},
    {365, 365, ElementKind::kWholeSheet, Same(kNoDeviceNormal)},
    {366, 366, ElementKind::kWholeSheet, Same(kColorNormal)},
    {367, 371, ElementKind::kCut, {kColorNormal, kColorOver, kColorDown, kNone}},
    {373, 376, ElementKind::kCut, {kColorNormal, kColorOver, kColorDown, kNone}},
    {383, 398, ElementKind::kCut, {kColorNormal, kColorOver, kColorDown, kNone}},
};

Gdiplus::Image* Sheet(int sheet) { return SkinSheetImage(static_cast<SkinSheet>(sheet)); }

const ElementRange* FindElement(int element) {
  for (const auto& range : kElements) {
    if (element >= range.first && element <= range.last) return &range;
  }
  return nullptr;
}

}  // namespace

ImagePtr SkinElement::Take() {
  if (owned) return std::move(owned);
  return framework::CloneImage(sheet);
}

SkinElement GetSkinElementImage(int element, int state, const SkinRect& rect) {
  if (!SkinLoaded()) LoadSkin();
  SkinElement result;
  const ElementRange* range = FindElement(element);
  if (!range) return result;
  switch (range->kind) {
    case ElementKind::kCopyOfSheet:
      result.owned = framework::CloneImage(Sheet(range->sheetByState[0]));
      break;
    case ElementKind::kWholeSheet:
      result.sheet = Sheet(range->sheetByState[0]);
      break;
    case ElementKind::kCut:
      if (state < 0 || state > 3 || range->sheetByState[state] == kNone) break;
      result.owned = CropSkinImage(static_cast<SkinSheet>(range->sheetByState[state]), rect);
      break;
  }
  return result;
}

}  // namespace korvid
