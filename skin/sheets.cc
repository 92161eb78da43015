#include "skin/sheets.h"

#include <objidl.h>
#include <wincodec.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <memory>

#include "framework/message_caption.h"
#include "framework/shell.h"
#include "skin/sheet_layer.h"
#include "skin/ui_scale.h"

namespace korvid {
namespace {

using framework::BitmapPtr;
using framework::ImagePtr;

// Files larger than this are not skin sheets; refusing them keeps a stray
// file from taking the program's memory.
constexpr LONGLONG kMaxImageFileBytes = 64LL * 1024 * 1024;
// Nor are images wider or taller than this, whatever their file's size.
constexpr UINT kMaxSheetSide = 16384;

constexpr wchar_t kUiLoadFailed[] = L"UI load failed!";

bool loaded = false;
bool failureReported = false;
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

// Opens an image file for reading with its size, or nothing when it cannot
// be read or is too large to be one of ours.
framework::UniqueHandle OpenImageFile(const std::wstring& path, LARGE_INTEGER& size) {
  framework::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > kMaxImageFileBytes) {
    return {};
  }
  return file;
}

// Reads a whole image file into memory.
std::unique_ptr<StreamOverMemory> ReadImageFile(const std::wstring& path) {
  LARGE_INTEGER size{};
  const framework::UniqueHandle file = OpenImageFile(path, size);
  if (!file) return nullptr;
  auto memory = std::make_unique<StreamOverMemory>(static_cast<size_t>(size.QuadPart));
  if (!memory->stream()) return nullptr;
  DWORD read = 0;
  if (!ReadFile(file.get(), memory->data(), static_cast<DWORD>(size.QuadPart), &read, nullptr) ||
      read != static_cast<DWORD>(size.QuadPart)) {
    return nullptr;
  }
  return memory;
}

BitmapPtr LoadBitmapFile(const std::wstring& path) {
  const std::unique_ptr<StreamOverMemory> memory = ReadImageFile(path);
  if (!memory) return nullptr;
  BitmapPtr image(Gdiplus::Bitmap::FromStream(memory->stream()));
  if (!image || image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0 || image->GetHeight() == 0) {
    return nullptr;
  }
  // A decoded copy stands alone: the file's bytes and their stream go now
  // instead of living as long as the image.
  BitmapPtr decoded(image->Clone(0, 0, static_cast<INT>(image->GetWidth()), static_cast<INT>(image->GetHeight()),
                                 image->GetPixelFormat()));
  if (decoded && decoded->GetLastStatus() == Gdiplus::Ok) return decoded;
  return nullptr;
}

// Whether a file starts as a sheet must: a Windows bitmap or a PNG image
// with a size, and no longer than a sheet may be. Decoding waits until the
// sheet is needed.
bool LooksLikeSheet(const std::wstring& path) {
  LARGE_INTEGER size{};
  const framework::UniqueHandle file = OpenImageFile(path, size);
  if (!file) return false;
  unsigned char head[26] = {};
  DWORD read = 0;
  if (!ReadFile(file.get(), head, sizeof head, &read, nullptr) || read != sizeof head) return false;
  const auto le32 = [&](int at) {
    return static_cast<uint32_t>(head[at]) | static_cast<uint32_t>(head[at + 1]) << 8 |
           static_cast<uint32_t>(head[at + 2]) << 16 | static_cast<uint32_t>(head[at + 3]) << 24;
  };
  const auto be32 = [&](int at) {
    return static_cast<uint32_t>(head[at]) << 24 | static_cast<uint32_t>(head[at + 1]) << 16 |
           static_cast<uint32_t>(head[at + 2]) << 8 | static_cast<uint32_t>(head[at + 3]);
  };
  if (head[0] == 'B' && head[1] == 'M') {
    const uint32_t headerBytes = le32(14);
    const uint32_t pixelsAt = le32(10);
    if (headerBytes < 40 || pixelsAt >= size.QuadPart) return false;
    const int32_t width = static_cast<int32_t>(le32(18));
    const int32_t height = static_cast<int32_t>(le32(22));
    return width > 0 && height != 0;
  }
  static constexpr unsigned char kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (std::equal(std::begin(kPngSignature), std::end(kPngSignature), head)) {
    return head[12] == 'I' && head[13] == 'H' && head[14] == 'D' && head[15] == 'R' && be32(16) > 0 && be32(20) > 0;
  }
  return false;
}

void ReportLoadFailure() {
  // One message for the whole program: every later cut from a missing
  // sheet fails the same way while the quit request is on its way.
  if (failureReported) return;
  failureReported = true;
  MessageBoxW(nullptr, kUiLoadFailed, kMessageCaption, MB_OK | MB_ICONERROR);
  PostQuitMessage(0);
}

std::wstring ResourcesFolder() { return GetModuleFolder() + L"\\Resources"; }

std::wstring SheetPath(SkinSheet sheet) { return ResourcesFolder() + kSheetFiles[sheet]; }

// A step's art is a PNG under the 100 % file's name in the step's folder:
// "\Main_BK.png" at 150 % is "\150\Main_BK.png".
std::wstring StepSheetPath(SkinSheet sheet, int step) {
  std::wstring name = kSheetFiles[sheet];
  const size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos) name.erase(dot);
  return ResourcesFolder() + L"\\" + std::to_wstring(step) + name + L".png";
}

// The image resampled to a size, with the filter that keeps thin lines and
// text readable when the art is made smaller.
BitmapPtr Resampled(Gdiplus::Bitmap& image, int width, int height) {
  BitmapPtr resampled = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
  if (resampled->GetLastStatus() != Gdiplus::Ok) return nullptr;
  Gdiplus::Graphics graphics(resampled.get());
  graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
  graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHighQuality);
  graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
  // Mirrored beyond the edges, so that the border pixels are not blended
  // with nothing.
  Gdiplus::ImageAttributes edges;
  edges.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
  const Gdiplus::Rect target(0, 0, width, height);
  if (graphics.DrawImage(&image, target, 0, 0, static_cast<INT>(image.GetWidth()), static_cast<INT>(image.GetHeight()),
                         Gdiplus::UnitPixel, &edges) != Gdiplus::Ok) {
    return nullptr;
  }
  return resampled;
}

// A bitmap's pixels locked in memory for as long as it lives.
class LockedPixels {
 public:
  LockedPixels(Gdiplus::Bitmap& bitmap, UINT mode, Gdiplus::PixelFormat format) : bitmap_(bitmap) {
    const Gdiplus::Rect all(0, 0, static_cast<INT>(bitmap.GetWidth()), static_cast<INT>(bitmap.GetHeight()));
    locked_ = bitmap.LockBits(&all, mode, format, &data_) == Gdiplus::Ok;
  }
  LockedPixels(const LockedPixels&) = delete;
  LockedPixels& operator=(const LockedPixels&) = delete;
  ~LockedPixels() {
    if (locked_) bitmap_.UnlockBits(&data_);
  }
  bool locked() const { return locked_; }
  uint8_t* pixels() const { return static_cast<uint8_t*>(data_.Scan0); }
  int stride() const { return data_.Stride; }

 private:
  Gdiplus::Bitmap& bitmap_;
  Gdiplus::BitmapData data_{};
  bool locked_ = false;
};

// Decodes a sheet's file with the system's imaging decoders straight into a
// bitmap that owns its pixels: 24-bit colour for a file without alpha,
// 32-bit with alpha otherwise. Nothing of the decoder or the file stays
// behind it. Null when the file is no image or is larger than a sheet may be.
BitmapPtr DecodeSheetFile(const std::wstring& path) {
  const std::unique_ptr<StreamOverMemory> file = ReadImageFile(path);
  if (!file) return nullptr;
  IWICImagingFactory* factoryMade = nullptr;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factoryMade)))) {
    return nullptr;
  }
  const framework::ComPtr<IWICImagingFactory> factory(factoryMade);
  IWICBitmapDecoder* decoderMade = nullptr;
  if (FAILED(factory->CreateDecoderFromStream(file->stream(), nullptr, WICDecodeMetadataCacheOnDemand, &decoderMade))) {
    return nullptr;
  }
  const framework::ComPtr<IWICBitmapDecoder> decoder(decoderMade);
  IWICBitmapFrameDecode* frameMade = nullptr;
  if (FAILED(decoder->GetFrame(0, &frameMade))) return nullptr;
  const framework::ComPtr<IWICBitmapFrameDecode> frame(frameMade);
  UINT width = 0, height = 0;
  WICPixelFormatGUID fileFormat{};
  if (FAILED(frame->GetSize(&width, &height)) || FAILED(frame->GetPixelFormat(&fileFormat)) || width == 0 ||
      height == 0 || width > kMaxSheetSide || height > kMaxSheetSide) {
    return nullptr;
  }
  const bool colourOnly = IsEqualGUID(fileFormat, GUID_WICPixelFormat24bppBGR);
  const WICPixelFormatGUID wanted = colourOnly ? GUID_WICPixelFormat24bppBGR : GUID_WICPixelFormat32bppBGRA;
  IWICBitmapSource* source = frame.get();
  framework::ComPtr<IWICFormatConverter> converter;
  if (!IsEqualGUID(fileFormat, wanted)) {
    IWICFormatConverter* converterMade = nullptr;
    if (FAILED(factory->CreateFormatConverter(&converterMade))) return nullptr;
    converter.reset(converterMade);
    if (FAILED(converter->Initialize(frame.get(), wanted, WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom))) {
      return nullptr;
    }
    source = converter.get();
  }
  const Gdiplus::PixelFormat format = colourOnly ? PixelFormat24bppRGB : PixelFormat32bppARGB;
  auto image = std::make_unique<Gdiplus::Bitmap>(static_cast<INT>(width), static_cast<INT>(height), format);
  if (image->GetLastStatus() != Gdiplus::Ok) return nullptr;
  {
    const LockedPixels pixels(*image, Gdiplus::ImageLockModeWrite, format);
    if (!pixels.locked() || pixels.stride() <= 0 ||
        FAILED(source->CopyPixels(nullptr, static_cast<UINT>(pixels.stride()),
                                  static_cast<UINT>(pixels.stride()) * height, pixels.pixels()))) {
      return nullptr;
    }
  }
  return image;
}

// Makes a decoded layer the whole sheet: the base shows where the layer is
// transparent. False when the two do not fit together.
bool FillFromBase(Gdiplus::Bitmap& layer, Gdiplus::Bitmap& base) {
  const UINT width = base.GetWidth(), height = base.GetHeight();
  if (layer.GetWidth() != width || layer.GetHeight() != height) return false;
  const bool baseHasAlpha = base.GetPixelFormat() != PixelFormat24bppRGB;
  const LockedPixels to(layer, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB);
  const LockedPixels from(base, Gdiplus::ImageLockModeRead,
                          baseHasAlpha ? PixelFormat32bppARGB : PixelFormat24bppRGB);
  return to.locked() && from.locked() &&
         FillLayerFromBase({to.pixels(), to.stride(), 4}, {from.pixels(), from.stride(), baseHasAlpha ? 4 : 3},
                           static_cast<int>(width), static_cast<int>(height));
}

// A sheet as the skin holds it, and the art step it is drawn at when it is
// that step's art as drawn (0 when it was resampled).
struct HeldSheet {
  BitmapPtr image;
  int artStep = 0;
};
std::array<HeldSheet, kSheetCount> sheets;

HeldSheet LoadSheetAt(SkinSheet sheet, int dpi);

// The sheet as a step's art draws it: its file, or its layer file filled
// from its family's base; `dpi` is the one the skin holds its sheets at.
BitmapPtr LoadArt(SkinSheet sheet, int step, int dpi) {
  BitmapPtr art = DecodeSheetFile(step == 100 ? SheetPath(sheet) : StepSheetPath(sheet, step));
  const SkinSheet base = kSheetBases[sheet];
  if (!art || base == sheet) return art;
  // The base is held like any sheet, as the family's other sheets and its
  // windows want it too; it serves when it is the same step's art as drawn.
  if (!sheets[base].image) sheets[base] = LoadSheetAt(base, dpi);
  Gdiplus::Bitmap* baseArt = sheets[base].artStep == step ? sheets[base].image.get() : nullptr;
  BitmapPtr ownBase;
  if (!baseArt) {
    ownBase = LoadArt(base, step, dpi);
    baseArt = ownBase.get();
  }
  if (!baseArt || !FillFromBase(*art, *baseArt)) return nullptr;
  return art;
}

// The sheet at a DPI: the art of the DPI's step, or the 100 % art when the
// step's files are missing, resampled when it is not drawn for that DPI.
HeldSheet LoadSheetAt(SkinSheet sheet, int dpi) {
  int step = ArtStepFor(dpi);
  BitmapPtr art;
  if (step != 100) art = LoadArt(sheet, step, dpi);
  if (!art) {
    step = 100;
    art = LoadArt(sheet, step, dpi);
  }
  const int drawnFor = DpiOfArtStep(step);
  if (!art || drawnFor == dpi) return {std::move(art), step};
  Gdiplus::Bitmap& image = *art;
  const int logicalWidth = UnscaleFromDpi(static_cast<int>(image.GetWidth()), drawnFor);
  const int logicalHeight = UnscaleFromDpi(static_cast<int>(image.GetHeight()), drawnFor);
  const int width = ScaleToDpi(logicalWidth, dpi), height = ScaleToDpi(logicalHeight, dpi);
  if (width <= 0 || height <= 0) return {};
  if (width == static_cast<int>(image.GetWidth()) && height == static_cast<int>(image.GetHeight())) {
    return {std::move(art), step};
  }
  return {Resampled(image, width, height), 0};
}

}  // namespace

const wchar_t* SkinFileName(SkinSheet sheet) {
  return sheet >= 0 && sheet < kSheetCount ? kSheetFiles[sheet] : L"";
}

bool SkinLoaded() { return loaded; }

void LoadSkin() {
  loaded = true;
  for (int sheet = 0; sheet < kSheetCount; ++sheet) {
    if (!LooksLikeSheet(SheetPath(static_cast<SkinSheet>(sheet)))) {
      ReportLoadFailure();
      return;
    }
  }
}

void ReleaseSkinSheets() {
  for (auto& sheet : sheets) sheet = {};
}

void UnloadSkin() { ReleaseSkinSheets(); }

Gdiplus::Image* SkinSheetImage(SkinSheet sheet) {
  if (!loaded) LoadSkin();
  if (sheet < 0 || sheet >= kSheetCount) return nullptr;
  if (!sheets[sheet].image) sheets[sheet] = LoadSheetAt(sheet, UiDpi());
  return sheets[sheet].image.get();
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

ImagePtr CropSkinImage(SkinSheet sheet, const SkinRect& logicalRect) {
  return CropSkinImage(SkinSheetImage(sheet), Scaled(logicalRect));
}

}  // namespace korvid
