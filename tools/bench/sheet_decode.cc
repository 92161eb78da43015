// How long the skin takes to decode its sheets at 100 %, as the program
// decodes them (each family's base once, its other sheets as layers over
// it), against the same sheets read as uncompressed bitmaps through GDI+,
// as the program once stored them. Run beside a Resources folder:
//   korvid-sheet-decode.exe ROUNDS FOLDER
// FOLDER takes the bitmaps. Prints "sheets N rounds R skin_ms A bitmap_ms B",
// the medians of the rounds for all the sheets.
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/handles.h"
#include "framework/image_encoder.h"
#include "framework/win32.h"
#include "skin/sheets.h"

namespace {

using korvid::SkinSheet;

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

int Measure(int rounds, const std::wstring& folder) {
  CLSID bmp{};
  if (!framework::FindImageEncoder(L"image/bmp", &bmp)) return 2;
  std::vector<std::wstring> bitmaps;
  for (int sheet = 0; sheet < korvid::kSheetCount; ++sheet) {
    Gdiplus::Image* image = korvid::SkinSheetImage(static_cast<SkinSheet>(sheet));
    if (!image) return 3;
    bitmaps.push_back(folder + L"\\sheet" + std::to_wstring(sheet) + L".bmp");
    if (image->Save(bitmaps.back().c_str(), &bmp, nullptr) != Gdiplus::Ok) return 4;
  }
  std::vector<double> skin, bitmap;
  for (int round = 0; round < rounds; ++round) {
    LARGE_INTEGER start, end;
    korvid::ReleaseSkinSheets();
    QueryPerformanceCounter(&start);
    for (int sheet = 0; sheet < korvid::kSheetCount; ++sheet) korvid::SkinSheetImage(static_cast<SkinSheet>(sheet));
    QueryPerformanceCounter(&end);
    skin.push_back(Milliseconds(start, end));
    korvid::ReleaseSkinSheets();

    std::vector<framework::ImagePtr> held;
    QueryPerformanceCounter(&start);
    for (const std::wstring& path : bitmaps) held.push_back(korvid::LoadImageFile(path));
    QueryPerformanceCounter(&end);
    bitmap.push_back(Milliseconds(start, end));
  }
  for (const std::wstring& path : bitmaps) DeleteFileW(path.c_str());
  std::printf("sheets %d rounds %d skin_ms %.1f bitmap_ms %.1f\n", korvid::kSheetCount, rounds, Median(skin),
              Median(bitmap));
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: korvid-sheet-decode.exe ROUNDS FOLDER\n");
    return 1;
  }
  const int rounds = std::max(1, _wtoi(argv[1]));
  if (FAILED(CoInitialize(nullptr))) return 2;
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return 2;
  const int result = Measure(rounds, argv[2]);
  korvid::UnloadSkin();
  Gdiplus::GdiplusShutdown(token);
  CoUninitialize();
  return result;
}
