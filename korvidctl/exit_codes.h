#pragma once
#include <string>

namespace korvidctl {

enum ExitCode : int {
  kExitOk = 0,
  kExitBadInput = 2,    // bad arguments, or a profile file that cannot be read or written
  kExitNoMouse = 3,
  kExitMouseFailed = 4,  // also: the mouse is busy with another program
  kExitOutputFailed = 5,
  kExitNoPermission = 6,  // the mouse is there but the user may not open it
};

// Prints "korvidctl: <message>" on stderr and returns `code`.
int Fail(int code, const std::string& message);

}  // namespace korvidctl
