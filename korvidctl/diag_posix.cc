#include <sys/utsname.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>

#include "korvidctl/diag.h"

namespace korvidctl {
namespace {

namespace fs = std::filesystem;

// The udev rule the package installs (packaging/udev), which lets the user at the
// seat open the mouse's hidraw nodes.
constexpr char kUdevRule[] = "70-korvid-mouse.rules";
// Where udev reads rules from; a file in an earlier folder overrides one of
// the same name in a later one.
constexpr std::array<const char*, 4> kUdevRuleFolders = {"/etc/udev/rules.d", "/run/udev/rules.d",
                                                         "/usr/lib/udev/rules.d", "/lib/udev/rules.d"};

// PRETTY_NAME from /etc/os-release, or empty.
std::string DistributionName() {
  std::ifstream release("/etc/os-release");
  std::string line;
  const std::string key = "PRETTY_NAME=";
  while (std::getline(release, line)) {
    if (line.rfind(key, 0) != 0) continue;
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return value;
  }
  return {};
}

}  // namespace

std::string OperatingSystemText() {
  std::string text = DistributionName();
  utsname names{};
  if (uname(&names) == 0) {
    if (!text.empty()) text += "; ";
    text += std::string(names.sysname) + " " + names.release + " " + names.machine;
  }
  return text.empty() ? "unknown" : text;
}

std::string HidAccessText() { return "Linux hidraw (/dev/hidraw*)"; }

std::string AccessDeniedAdvice() {
  return std::string("Install the udev rule ") + kUdevRule +
         " (the korvidctl package does; see korvidctl(1)), then plug the mouse in again";
}

// The copy of the rule udev uses is the first found; a link to /dev/null
// there switches the rule off.
std::string AccessRuleText() {
  const std::string rule = std::string("udev rule ") + kUdevRule;
  for (const char* folder : kUdevRuleFolders) {
    const fs::path path = fs::path(folder) / kUdevRule;
    std::error_code error;
    if (!fs::exists(fs::symlink_status(path, error))) continue;
    if (fs::is_symlink(fs::symlink_status(path, error)) && fs::read_symlink(path, error) == "/dev/null")
      return rule + ", disabled by " + path.string() + " (a link to /dev/null)";
    return rule + ", installed as " + path.string();
  }
  std::string folders;
  for (const char* folder : kUdevRuleFolders) folders += (folders.empty() ? "" : ", ") + std::string(folder);
  return rule + ", not installed (looked in " + folders + ")";
}

}  // namespace korvidctl
