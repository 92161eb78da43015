#pragma once
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

// A fresh emulator folder for one test, removed afterwards.
class EmulatorFolder {
 public:
  EmulatorFolder() {
    std::random_device random;
    uint64_t tag = (static_cast<uint64_t>(random()) << 32) ^ random();
    path_ = std::filesystem::temp_directory_path() / ("korvid-emulator-test-" + std::to_string(tag));
  }
  ~EmulatorFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  EmulatorFolder(const EmulatorFolder&) = delete;
  EmulatorFolder& operator=(const EmulatorFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const char* name) const { return path_ / name; }

  bool Has(const char* name) const {
    std::error_code error;
    return std::filesystem::exists(path_ / name, error);
  }
  std::string Read(const char* name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void Write(const char* name, const std::string& bytes) const {
    std::filesystem::create_directories(path_);
    std::ofstream(path_ / name, std::ios::binary) << bytes;
  }
  void Remove(const char* name) const {
    std::error_code error;
    std::filesystem::remove(path_ / name, error);
  }
  std::vector<std::string> LogLines() const {
    std::istringstream in(Read("exchange.log"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

 private:
  std::filesystem::path path_;
};
