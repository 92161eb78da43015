#include "framework/shell.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/win32.h"

namespace korvid {
namespace {

TEST(ModuleFolder, IsTheFolderOfTheExecutableWithoutTrailingBackslash) {
  wchar_t path[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
  const std::wstring folder = GetModuleFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), L'\\');
  EXPECT_EQ(std::wstring(path).rfind(folder + L"\\", 0), 0u);
  EXPECT_EQ(std::wstring(path).find(L'\\', folder.size() + 1), std::wstring::npos);
}

}  // namespace
}  // namespace korvid
