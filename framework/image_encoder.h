#pragma once
#include "framework/win32.h"

namespace framework {

// The class of GDI+'s encoder for a MIME type ("image/png"); false when
// GDI+ has none.
bool FindImageEncoder(const wchar_t* mimeType, CLSID* clsid);

}  // namespace framework
