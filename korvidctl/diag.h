#pragma once
#include <filesystem>
#include <string>

// korvidctl diag: what a bug report needs, printed on stdout. The program's
// version and the system; every HID interface seen, with its IDs, usages
// and whether the link took it; the firmware version; each step of a
// status query and block read with its result and timing; the block as
// read, as hex; and every report exchanged. It only reads: nothing is
// written to the mouse.
namespace korvidctl {

// kExitOk when the block was read, kExitNoMouse or kExitMouseFailed
// otherwise; the report is printed in every case.
int Diag(const std::filesystem::path& emulatorFolder, bool verbose, bool requireLock = true);

// The platform's facts, one file per platform (diag_posix.cc, diag_win32.cc).
// The operating system, e.g. "Debian GNU/Linux 12 (bookworm); Linux 6.1.0-18-amd64 x86_64".
std::string OperatingSystemText();
// How this build reaches the HID devices.
std::string HidAccessText();
// What a user who may not open the mouse's interface can do about it; empty
// when there is nothing to say.
std::string AccessDeniedAdvice();
// The system's rule that lets users open the mouse and whether it is in
// place, e.g. "udev rule 70-korvid-mouse.rules, installed as /usr/lib/...";
// empty where the system needs none.
std::string AccessRuleText();

}  // namespace korvidctl
