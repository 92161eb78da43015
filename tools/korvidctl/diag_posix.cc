#include <sys/utsname.h>

#include <fstream>
#include <string>

#include "tools/korvidctl/diag.h"

namespace korvidctl {
namespace {

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
  return "Install the udev rule 70-korvid-mouse.rules (the korvidctl package does; see korvidctl(1)), "
         "then plug the mouse in again";
}

}  // namespace korvidctl
