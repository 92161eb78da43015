#pragma once
#include "framework/handles.h"

namespace framework {

// Handles WM_PAINT by running paint(HDC) on a memory bitmap of the client
// size and copying the result to the window in one go, so that nothing
// flickers. Without memory for the bitmap, paints the window directly.
template <typename Paint>
void PaintBuffered(HWND window, Paint&& paint) {
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(window, &ps);
  if (dc) {
    RECT client{};
    GetClientRect(window, &client);
    MemoryDc memory(dc);
    BitmapHandle bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
    if (memory && bitmap) {
      SelectObjectGuard select(memory.get(), bitmap.get());
      paint(memory.get());
      BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
    } else {
      paint(dc);
    }
  }
  EndPaint(window, &ps);
}

}  // namespace framework
