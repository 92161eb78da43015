// Any sequence of reads over any bytes stays inside the data.
#include <cstdlib>

#include "profile/data_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t opCount = data[0] % 16 + 1;
  if (size < 1 + opCount) return 0;
  korvid::DataStream stream(korvid::DataStream::Mode::kReading);
  stream.LoadFromBytes(data + 1 + opCount, size - 1 - opCount);
  for (size_t i = 0; i < opCount; ++i) {
    uint8_t u8;
    uint16_t u16;
    uint32_t u32;
    int32_t number;
    std::u16string text;
    switch (data[1 + i] % 6) {
      case 0: stream.ReadU8(u8); break;
      case 1: stream.ReadU16(u16); break;
      case 2: stream.ReadU32(u32); break;
      case 3: stream.ReadString(text); break;
      case 4: stream.ReadNumberText(number); break;
      case 5: stream.Skip(data[1 + i]); break;
    }
    if (stream.position() < 0 || stream.position() > stream.length()) std::abort();
  }
  korvid::DataStream writer;
  writer.WriteString(std::u16string(reinterpret_cast<const char16_t*>(data), 0));
  writer.EnsureSpace(static_cast<uint32_t>(size));
  return 0;
}
