#include <windows.h>

#include <string>

#include "korvidctl/diag.h"

namespace korvidctl {

std::string OperatingSystemText() {
  // GetVersionEx answers what the manifest allows; ntdll tells the truth.
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  using WineVersionFunction = const char*(CDECL*)();
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  std::string text = "Windows";
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  auto rtlGetVersion = ntdll ? reinterpret_cast<RtlGetVersionFunction>(
                                   reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                             : nullptr;
  if (rtlGetVersion && rtlGetVersion(&version) == 0) {
    text += " " + std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion) +
            " build " + std::to_string(version.dwBuildNumber);
  }
  SYSTEM_INFO system{};
  GetNativeSystemInfo(&system);
  text += system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64   ? " x64"
          : system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ARM64 ? " ARM64"
                                                                          : "";
  auto wineVersion = ntdll ? reinterpret_cast<WineVersionFunction>(
                                 reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")))
                           : nullptr;
  if (wineVersion) text += std::string("; under Wine ") + wineVersion();
  return text;
}

std::string HidAccessText() { return "Windows HID (SetupAPI and HID.DLL)"; }

std::string AccessDeniedAdvice() { return "Close any other program that uses the mouse and try again"; }

// Windows needs no rule for a user to open the mouse.
std::string AccessRuleText() { return {}; }

}  // namespace korvidctl
