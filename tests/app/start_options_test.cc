#include "app/start_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvid {
namespace {

TEST(StartOptions, OnlyTheTrayArgumentStartsHidden) {
  const struct {
    std::vector<std::wstring> arguments;
    bool hidden;
  } cases[] = {
      {{}, false},
      {{L"/tray"}, true},
      {{L"/TRAY"}, true},
      {{L"/Tray", L"/tray"}, true},
      {{L"something", L"/tray"}, true},
      {{L"-tray"}, false},
      {{L"tray"}, false},
      {{L"/tray2"}, false},
      {{L"/tra"}, false},
      {{L""}, false},
      {{L"\"/tray\""}, false},
  };
  for (const auto& [arguments, hidden] : cases) {
    std::wstring shown;
    for (const std::wstring& argument : arguments) shown += L"[" + argument + L"]";
    EXPECT_EQ(ParseStartOptions(arguments).hiddenInTray, hidden) << std::string(shown.begin(), shown.end());
  }
}

}  // namespace
}  // namespace korvid
