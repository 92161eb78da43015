#include "app/skin.h"

#include <objidl.h>

#include <array>

#include "app/folders.h"
#include "app/messages.h"

namespace korvid {
namespace {

using framework::BitmapPtr;
using framework::ImagePtr;

constexpr const wchar_t* kSheetFiles[kSheetCount] = {
    L"\\Main_BK.bmp",         L"\\Main_Normal.bmp",    L"\\Main_Over.bmp",       L"\\Main_Down.bmp",
    L"\\Main_Off.bmp",        L"\\MSensor_Normal.png", L"\\MSensor_Over.bmp",    L"\\MSensor_Down.bmp",
    L"\\MSensor_Off.bmp",     L"\\Nodev_Normal.bmp",   L"\\Buttons_Normal.bmp",  L"\\Buttons_Over.bmp",
    L"\\Buttons_Down.bmp",    L"\\Update_Normal.bmp",  L"\\Update_Over.bmp",     L"\\Update_Down.bmp",
    L"\\Update_Off.bmp",      L"\\SystemMsg_Normal.bmp", L"\\SystemMsg_Over.bmp", L"\\SystemMsg_Down.bmp",
    L"\\Color_Normal.bmp",    L"\\Color_Over.bmp",     L"\\Color_Down.bmp",      L"\\Support_Normal.bmp",
    L"\\Support_Over.bmp",    L"\\Support_Down.bmp",   L"\\Error_Normal.bmp",    L"\\Error_Over.bmp",
    L"\\Error_Down.bmp",      L"\\NoDevice_Normal.bmp", L"\\Key_Normal.bmp",     L"\\Key_Down.bmp",
};

// Files larger than this are not skin sheets; refusing them keeps a stray
// file from taking the program's memory.
constexpr LONGLONG kMaxImageFileBytes = 64LL * 1024 * 1024;

bool loaded = false;
bool failureReported = false;
std::array<BitmapPtr, kSheetCount> sheets;

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

const ElementRange* FindElement(int element) {
  for (const auto& range : kElements) {
    if (element >= range.first && element <= range.last) return &range;
  }
  return nullptr;
}

// Global memory freed when its stream is released; the stream lives as long
// as the image made from it.
class StreamOverMemory {
 public:
  explicit StreamOverMemory(size_t bytes) {
    memory_ = GlobalAlloc(GMEM_FIXED, bytes ? bytes : 1);
    if (memory_ && FAILED(CreateStreamOnHGlobal(memory_, TRUE, &stream_))) {
      GlobalFree(memory_);
      memory_ = nullptr;
    }
  }
  StreamOverMemory(const StreamOverMemory&) = delete;
  StreamOverMemory& operator=(const StreamOverMemory&) = delete;
  ~StreamOverMemory() {
    if (stream_) stream_->Release();
  }
  IStream* stream() const { return stream_; }
  void* data() const { return memory_; }

 private:
  HGLOBAL memory_ = nullptr;
  IStream* stream_ = nullptr;
};

BitmapPtr LoadBitmapFile(const std::wstring& path) {
  {
    BitmapPtr probe(Gdiplus::Bitmap::FromFile(path.c_str()));
    if (!probe || probe->GetLastStatus() != Gdiplus::Ok || probe->GetFlags() == 0) return nullptr;
  }
  framework::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return nullptr;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > kMaxImageFileBytes) {
    return nullptr;
  }
  StreamOverMemory memory(static_cast<size_t>(size.QuadPart));
  if (!memory.stream()) return nullptr;
  DWORD read = 0;
  if (!ReadFile(file.get(), memory.data(), static_cast<DWORD>(size.QuadPart), &read, nullptr) ||
      read != static_cast<DWORD>(size.QuadPart)) {
    return nullptr;
  }
  BitmapPtr image(Gdiplus::Bitmap::FromStream(memory.stream()));
  if (!image || image->GetLastStatus() != Gdiplus::Ok) return nullptr;
  // A decoded copy stands alone: the file's bytes and their stream go now
  // instead of living as long as the image.
  BitmapPtr decoded(image->Clone(0, 0, static_cast<INT>(image->GetWidth()), static_cast<INT>(image->GetHeight()),
                                 image->GetPixelFormat()));
  if (decoded && decoded->GetLastStatus() == Gdiplus::Ok) return decoded;
  return image;
}

void ReportLoadFailure() {
  // One message for the whole program: every later cut from a missing
  // sheet fails the same way while the quit request is on its way.
  if (failureReported) return;
  failureReported = true;
  MessageBoxW(nullptr, kUiLoadFailed, kMessageCaption, MB_OK | MB_ICONERROR);
  PostQuitMessage(0);
}

}  // namespace

const wchar_t* SkinFileName(SkinSheet sheet) {
  return sheet >= 0 && sheet < kSheetCount ? kSheetFiles[sheet] : L"";
}

bool SkinLoaded() { return loaded; }

void LoadSkin() {
  loaded = true;
  const std::wstring folder = GetModuleFolder() + L"\\Resources";
  for (int sheet = 0; sheet < kSheetCount; ++sheet) sheets[sheet] = LoadBitmapFile(folder + kSheetFiles[sheet]);
}

void UnloadSkin() {
  for (auto& sheet : sheets) sheet.reset();
}

Gdiplus::Image* SkinSheetImage(SkinSheet sheet) {
  if (!loaded) LoadSkin();
  return sheet >= 0 && sheet < kSheetCount ? sheets[sheet].get() : nullptr;
}

ImagePtr LoadImageFile(const std::wstring& path) { return LoadBitmapFile(path); }

ImagePtr CropSkinImage(Gdiplus::Image* sheet, const SkinRect& rect) {
  if (!sheet) {
    ReportLoadFailure();
    return nullptr;
  }
  auto* bitmap = static_cast<Gdiplus::Bitmap*>(sheet);
  ImagePtr cut(bitmap->Clone(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                             PixelFormatDontCare));
  if (!cut || cut->GetLastStatus() != Gdiplus::Ok) return nullptr;
  return cut;
}

ImagePtr CropSkinImage(SkinSheet sheet, const SkinRect& rect) { return CropSkinImage(SkinSheetImage(sheet), rect); }

ImagePtr SkinElement::Take() {
  if (owned) return std::move(owned);
  return framework::CloneImage(sheet);
}

SkinElement GetSkinElementImage(int element, int state, const SkinRect& rect) {
  if (!loaded) LoadSkin();
  SkinElement result;
  const ElementRange* range = FindElement(element);
  if (!range) return result;
  switch (range->kind) {
    case ElementKind::kCopyOfSheet:
      result.owned = framework::CloneImage(sheets[range->sheetByState[0]].get());
      break;
    case ElementKind::kWholeSheet:
      result.sheet = sheets[range->sheetByState[0]].get();
      break;
    case ElementKind::kCut:
      if (state < 0 || state > 3 || range->sheetByState[state] == kNone) break;
      result.owned = CropSkinImage(sheets[range->sheetByState[state]].get(), rect);
      break;
  }
  return result;
}

SIZE MeasureTextGdiPlus(const std::wstring& text, const Gdiplus::Font& font, const RECT& rect) {
  std::wstring measured = text;
  // A trailing space has no width of its own; measure it as a visible glyph.
  if (!measured.empty() && measured.back() == L' ') measured.back() = L'_';
  framework::WindowDc screen(nullptr);
  Gdiplus::Graphics graphics(screen.get());
  const Gdiplus::RectF layout(0, 0, static_cast<Gdiplus::REAL>(rect.right - rect.left),
                              static_cast<Gdiplus::REAL>(rect.bottom - rect.top));
  Gdiplus::RectF box;
  graphics.MeasureString(measured.c_str(), -1, &font, layout, nullptr, &box);
  return SIZE{static_cast<LONG>(box.Width), static_cast<LONG>(box.Height)};
}

void DrawTextGdiPlus(Gdiplus::Graphics& graphics, Gdiplus::ARGB colour, const std::wstring& text,
                     bool centreHorizontally, const RECT& rect, const Gdiplus::Font& font) {
  const SIZE size = MeasureTextGdiPlus(text, font, rect);
  int y = rect.top + 2;
  if (size.cy < rect.bottom - rect.top) y += (rect.bottom - rect.top - size.cy) / 2;
  const Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(rect.left), static_cast<Gdiplus::REAL>(y),
                              static_cast<Gdiplus::REAL>(rect.right - rect.left),
                              static_cast<Gdiplus::REAL>(size.cy));
  Gdiplus::StringFormat format;
  format.SetAlignment(centreHorizontally ? Gdiplus::StringAlignmentCenter : Gdiplus::StringAlignmentNear);
  Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
  graphics.DrawString(text.c_str(), -1, &font, layout, &format, &brush);
}

framework::FontHandle CreateArialFont(int height, int weight) {
  return framework::FontHandle(CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS,
                                           L"Arial"));
}

void DrawTextCentered(HDC dc, const std::wstring& text, COLORREF colour, bool centreHorizontally,
                      bool centreVertically, const RECT& rect, HFONT font) {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  framework::FontHandle ownFont;
  if (!font) {
    ownFont = CreateArialFont(16, FW_NORMAL);
    font = ownFont.get();
  }
  framework::SelectObjectGuard select(dc, font);
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  int x = rect.left;
  if (centreHorizontally) x = rect.left + (rect.right - extent.cx - rect.left) / 2;
  int y = rect.top;
  if (centreVertically) y = rect.top + (rect.bottom - extent.cy - rect.top) / 2;
  TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

}  // namespace korvid
