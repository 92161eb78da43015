#pragma once
#include <windows.h>

#include "device/unique_handle.h"

namespace korvid {

struct KernelHandleTraits {
  using Type = HANDLE;
  static HANDLE None() { return nullptr; }
  // Functions that open return one or the other for "none".
  static bool Valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) { ::CloseHandle(handle); }
};
// A kernel handle (file, device, mutex), closed with CloseHandle.
using KernelHandle = UniqueHandle<KernelHandleTraits>;

}  // namespace korvid
