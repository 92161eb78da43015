// The start-up load over a profile list of any content, pointing at a
// profile file of any content.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "profile/profile_file.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fs::path folder = fs::temp_directory_path() / ("korvid-fuzz-list-" + std::to_string(getpid()));
  fs::create_directories(folder);
  {
    std::ofstream list(korvid::ProfileListPath(folder), std::ios::binary | std::ios::trunc);
    list.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  korvid::ProfileRecord profile;
  korvid::InitProfileDefaults(profile);
  (void)korvid::ReadProfileListPath(korvid::ProfileListPath(folder));
  korvid::LoadSavedProfile(folder, profile);
  return 0;
}
