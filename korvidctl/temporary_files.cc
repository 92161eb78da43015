#include "korvidctl/temporary_files.h"

#include <atomic>
#include <chrono>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace korvidctl {

namespace fs = std::filesystem;

namespace {

using NativeString = fs::path::string_type;
using NativeChar = fs::path::value_type;

constexpr char kEnding[] = ".tmp";
// A save takes milliseconds; a temporary this old is an orphan.
constexpr auto kOrphanAge = std::chrono::minutes(10);

NativeString Native(const std::string& ascii) { return NativeString(ascii.begin(), ascii.end()); }

// "<random>-<time>-<count>": three runs of digits joined by hyphens.
bool IsTemporaryTag(const NativeString& tag) {
  int runs = 0;
  bool inRun = false;
  for (NativeChar c : tag) {
    if (c >= NativeChar('0') && c <= NativeChar('9')) {
      runs += inRun ? 0 : 1;
      inRun = true;
    } else if (c == NativeChar('-') && inRun) {
      inRun = false;
    } else {
      return false;
    }
  }
  return inRun && runs == 3;
}

// The tag of `name` when it is a temporary of the file named `target`.
bool IsTemporaryOf(const NativeString& name, const NativeString& target) {
  const NativeString prefix = target + NativeChar('.');
  const NativeString ending = Native(kEnding);
  if (name.size() <= prefix.size() + ending.size()) return false;
  if (name.compare(0, prefix.size(), prefix) != 0) return false;
  if (name.compare(name.size() - ending.size(), ending.size(), ending) != 0) return false;
  return IsTemporaryTag(name.substr(prefix.size(), name.size() - prefix.size() - ending.size()));
}

}  // namespace

fs::path TemporaryPathFor(const fs::path& path) {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  fs::path temporary = path;
  temporary += "." + std::to_string(random()) + "-" + std::to_string(stamp) + "-" + std::to_string(counter++) + kEnding;
  return temporary;
}

void RemoveOrphanedTemporaries(const fs::path& path) {
  const NativeString target = path.filename().native();
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  const auto now = fs::file_time_type::clock::now();
  std::error_code error;
  std::vector<fs::path> orphans;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (!IsTemporaryOf(it->path().filename().native(), target)) continue;
    std::error_code statusError;
    if (!it->is_regular_file(statusError)) continue;
    const auto written = it->last_write_time(statusError);
    if (!statusError && now - written > kOrphanAge) orphans.push_back(it->path());
  }
  for (const fs::path& orphan : orphans) fs::remove(orphan, error);
}

}  // namespace korvidctl
