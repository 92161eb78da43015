#pragma once
#include <string>
#include <vector>

namespace korvid {

// The one argument the program takes: started with it (the sign-in entry
// the installer writes), the program shows no window until the user asks
// for it through the tray icon or a second start.
inline constexpr wchar_t kTrayArgument[] = L"/tray";

struct StartOptions {
  bool hiddenInTray = false;
};

// `arguments` without the program's own name. The argument is matched
// without regard to case; anything else is ignored.
StartOptions ParseStartOptions(const std::vector<std::wstring>& arguments);

// The arguments of this process's command line (Windows).
std::vector<std::wstring> CommandLineArguments();

}  // namespace korvid
