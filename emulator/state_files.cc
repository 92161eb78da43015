#include "emulator/state_files.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <system_error>
#include <thread>

#include "emulator/state_files_platform.h"
#include "profile/file_handle.h"

namespace korvid::emulator {
namespace {

namespace fs = std::filesystem;

constexpr int kRenameAttempts = 5;
constexpr std::chrono::milliseconds kRenameRetryPause{10};

// Closes a C runtime file descriptor.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) CloseDescriptor(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// A name no other writer in this or another process uses at the same time.
fs::path TemporaryPathFor(const fs::path& path) {
  static std::atomic<unsigned> counter{0};
  fs::path temporary = path;
  temporary += ".tmp-" + std::to_string(CurrentProcessId()) + "-" + std::to_string(counter++);
  return temporary;
}

}  // namespace

std::optional<std::string> ReadStateFile(const fs::path& path, size_t maxBytes) {
  FileHandle file = OpenFile(path, FileMode::kRead);
  if (!file) return std::nullopt;
  std::string bytes;
  char chunk[4096];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
    if (bytes.size() + got > maxBytes) return std::nullopt;
    bytes.append(chunk, got);
  }
  if (std::ferror(file.get())) return std::nullopt;
  return bytes;
}

bool ReplaceStateFile(const fs::path& path, std::string_view bytes) {
  fs::path temporary = TemporaryPathFor(path);
  bool written = false;
  {
    FileHandle file = OpenFile(temporary, FileMode::kWrite);
    if (!file) return false;
    written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() && FlushToDisk(file.get());
  }
  std::error_code error;
  if (written) {
    // On Windows a reader in another process that holds the target open
    // makes the rename fail for a moment.
    for (int attempt = 0; attempt < kRenameAttempts; ++attempt) {
      fs::rename(temporary, path, error);
      if (!error) break;
      std::this_thread::sleep_for(kRenameRetryPause);
    }
  }
  if (!written || error) {
    fs::remove(temporary, error);
    return false;
  }
  return true;
}

bool AppendStateLine(const fs::path& path, std::string_view line) {
  Descriptor fd(OpenForAppend(path));
  if (fd.get() < 0) return false;
  return WriteInOneCall(fd.get(), line);
}

bool StateFileExists(const fs::path& path) {
  std::error_code error;
  return fs::exists(path, error);
}

void RemoveStateFile(const fs::path& path) {
  std::error_code error;
  fs::remove(path, error);
}

}  // namespace korvid::emulator
