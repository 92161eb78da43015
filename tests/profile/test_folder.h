#pragma once
// A fresh, uniquely named folder under the system's temporary folder,
// removed with its content when the test ends.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>

namespace korvid::testing {

class TestFolder {
 public:
  TestFolder() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = std::filesystem::temp_directory_path() /
            ("korvid-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
  }
  ~TestFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace korvid::testing
