// A profile file of any content either loads whole or leaves the record as it was.
#include <cstdlib>

#include "profile/data_stream.h"
#include "profile/profile_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  korvid::ProfileRecord profile;
  korvid::InitProfileDefaults(profile);
  const korvid::ProfileRecord before = profile;
  korvid::DataStream stream(korvid::DataStream::Mode::kReading);
  stream.LoadFromBytes(data, size);
  if (korvid::ReadProfile(stream, profile) != 1 && !(profile == before)) std::abort();
  return 0;
}
