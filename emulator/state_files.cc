#include "emulator/state_files.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <system_error>
#include <thread>

#include "profile/file_handle.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

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
    if (fd_ >= 0) {
#ifdef _WIN32
      _close(fd_);
#else
      close(fd_);
#endif
    }
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

int ProcessId() {
#ifdef _WIN32
  return _getpid();
#else
  return static_cast<int>(getpid());
#endif
}

// A name no other writer in this or another process uses at the same time.
fs::path TemporaryPathFor(const fs::path& path) {
  static std::atomic<unsigned> counter{0};
  fs::path temporary = path;
  temporary += ".tmp-" + std::to_string(ProcessId()) + "-" + std::to_string(counter++);
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
#ifdef _WIN32
  Descriptor fd(_wopen(path.c_str(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY, _S_IREAD | _S_IWRITE));
  if (fd.get() < 0) return false;
  return _write(fd.get(), line.data(), static_cast<unsigned>(line.size())) == static_cast<int>(line.size());
#else
  Descriptor fd(open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
  if (fd.get() < 0) return false;
  return write(fd.get(), line.data(), line.size()) == static_cast<ssize_t>(line.size());
#endif
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
