#include "tools/korvidctl/console.h"

namespace korvidctl {

// Terminals here take UTF-8 as it is.
void PrepareConsoleForUtf8() {}

}  // namespace korvidctl
