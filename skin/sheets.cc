#include "skin/sheets.h"

#include <objidl.h>

#include <array>

#include "framework/message_caption.h"
#include "framework/shell.h"

namespace korvid {
namespace {

using framework::BitmapPtr;
using framework::ImagePtr;

// Files larger than this are not skin sheets; refusing them keeps a stray
// file from taking the program's memory.
constexpr LONGLONG kMaxImageFileBytes = 64LL * 1024 * 1024;

constexpr wchar_t kUiLoadFailed[] = L"UI load failed!";

bool loaded = false;
bool failureReported = false;
std::array<BitmapPtr, kSheetCount> sheets;

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

}  // namespace korvid
