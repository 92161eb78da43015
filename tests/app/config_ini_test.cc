#include "app/config_ini.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/handles.h"
#include "framework/shell.h"
#include "framework/win32.h"

namespace korvid {
namespace {

// A scratch folder for configuration files, removed with what is in it.
class ConfigFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    folder_ = std::wstring(temp) + L"korvid-config-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    existing_ = folder_ + L"\\data root";
    ASSERT_TRUE(CreateDirectoryW(existing_.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    roaming_ = GetRoamingAppDataFolder();
    ASSERT_FALSE(roaming_.empty());
  }
  void TearDown() override {
    for (const auto& file : files_) DeleteFileW(file.c_str());
    RemoveDirectoryW(existing_.c_str());
    RemoveDirectoryW(folder_.c_str());
  }

  // Writes a configuration file of its own name, so that no cached copy of
  // an earlier file is read.
  std::wstring WriteConfig(const std::string& content) {
    const std::wstring path = folder_ + L"\\Config" + std::to_wstring(files_.size()) + L".ini";
    framework::UniqueHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(file);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr));
    files_.push_back(path);
    return path;
  }

  static std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

  std::wstring folder_, existing_, roaming_;
  std::vector<std::wstring> files_;
};

TEST_F(ConfigFolderTest, DataRootIsTheConfiguredFolderOnlyWhenItExists) {
  const std::string tooLong = Narrow(existing_) + "\\" + std::string(300, 'x');
  const std::string pattern = Narrow(existing_).substr(0, existing_.size() - 2) + "*";
  struct Case {
    const char* what;
    std::string content;  // empty: no file at all
    bool configuredFolder;
  } cases[] = {
      {"existing folder", "[ConfigData]\r\nDataPath=" + Narrow(existing_) + "\r\n", true},
      {"existing folder, other keys around it",
       "[Other]\r\nDataPath=C:\\nowhere\r\n[ConfigData]\r\nFaqUrl=x\r\nDataPath=" + Narrow(existing_) + "\r\n", true},
      {"no file", "", false},
      {"key absent", "[ConfigData]\r\nFaqUrl=https://example.com\r\n", false},
      {"key in another section", "[Other]\r\nDataPath=" + Narrow(existing_) + "\r\n", false},
      {"empty value", "[ConfigData]\r\nDataPath=\r\n", false},
      {"folder that does not exist", "[ConfigData]\r\nDataPath=" + Narrow(existing_) + "\\missing\r\n", false},
      {"pattern matching the folder", "[ConfigData]\r\nDataPath=" + pattern + "\r\n", false},
      {"value longer than a path", "[ConfigData]\r\nDataPath=" + tooLong + "\r\n", false},
      {"not a file at all", std::string("\x00\xff\xfe garbage\r\n=\r\n[", 17), false},
  };
  for (const Case& c : cases) {
    const std::wstring config = c.content.empty() ? folder_ + L"\\absent.ini" : WriteConfig(c.content);
    EXPECT_EQ(ResolveDataRoot(config), c.configuredFolder ? existing_ : roaming_) << c.what;
  }
}

// DataPath naming a file made every Apply fail: the profiles folder could
// never be made under it.
TEST_F(ConfigFolderTest, OnlyAnExistingFolderCountsWrittenAsUsersWriteIt) {
  const std::wstring file = WriteConfig("not a folder");
  struct Case {
    const char* what;
    std::string dataPath;
    std::wstring expected;
  } cases[] = {
      {"an existing file", Narrow(file), roaming_},
      {"an existing file with a trailing backslash", Narrow(file) + "\\", roaming_},
      {"a folder with a trailing backslash", Narrow(existing_) + "\\", existing_},
      {"a folder with trailing slashes", Narrow(existing_) + "//", existing_},
      {"a drive root", "C:\\", L"C:\\"},
      {"a bare drive", "C:", L"C:\\"},
  };
  for (const Case& c : cases) {
    const std::wstring config = WriteConfig("[ConfigData]\r\nDataPath=" + c.dataPath + "\r\n");
    EXPECT_EQ(ResolveDataRoot(config), c.expected) << c.what;
  }
}

TEST_F(ConfigFolderTest, ReadsOtherKeysOfTheConfigSection) {
  const std::wstring config =
      WriteConfig("[ConfigData]\r\nDownloadsUrl=https://example.com/dl\r\nFaqUrl=\r\n[Other]\r\nKey=v\r\n");
  EXPECT_EQ(ReadConfigValue(config, kDownloadsUrlKey, kDefaultDownloadsUrl), L"https://example.com/dl");
  EXPECT_EQ(ReadConfigValue(config, kFaqUrlKey, kDefaultFaqUrl), L"");
  EXPECT_EQ(ReadConfigValue(config, L"Key", L"fallback"), L"fallback");
  EXPECT_EQ(ReadConfigValue(config, kDataPathKey, L"fallback"), L"fallback");
  EXPECT_EQ(ReadConfigValue(folder_ + L"\\absent.ini", kFaqUrlKey, kDefaultFaqUrl), kDefaultFaqUrl);
}

}  // namespace
}  // namespace korvid
