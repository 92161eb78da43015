#pragma once

namespace korvidctl {

// Makes the console show the UTF-8 that korvidctl prints (profile names).
void PrepareConsoleForUtf8();

}  // namespace korvidctl
