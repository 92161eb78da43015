#include "profile/data_stream.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "profile/file_handle.h"

namespace korvid {
namespace {

constexpr int32_t kWritingCapacity = 1024;
constexpr uint32_t kMinGrowth = 1024;
constexpr int32_t kMaxCapacity = std::numeric_limits<int32_t>::max();
// A profile file is a few hundred bytes; anything far larger is not one.
constexpr size_t kMaxLoadSize = size_t{64} << 20;
constexpr size_t kReadChunk = 4096;

bool IsSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

// Decimal text to a number the way the C library's wcstol reads it with a
// 32-bit long: leading white space, optional sign, digits up to the first
// other character; no digits gives 0, out-of-range values saturate.
int32_t ParseDecimal(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  bool anyDigit = false;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    anyDigit = true;
    magnitude = std::min(magnitude * 10 + (text[i] - u'0'), kLimit);
  }
  if (!anyDigit) return 0;
  if (negative) return static_cast<int32_t>(-magnitude);
  return static_cast<int32_t>(std::min(magnitude, kLimit - 1));
}

}  // namespace

DataStream::DataStream(Mode mode) {
  if (mode == Mode::kWriting) {
    buffer_ = std::make_unique<uint8_t[]>(kWritingCapacity);
    capacity_ = kWritingCapacity;
  }
}

DataStream::~DataStream() {
  buffer_.reset();
  capacity_ = 0;
  length_ = 0;
  position_ = 0;
}

// Growth that would pass the 32-bit capacity, or an allocation that fails,
// leaves the stream as it was; the writes that follow then drop what does
// not fit.
void DataStream::EnsureSpace(uint32_t n) {
  const auto free = static_cast<uint32_t>(capacity_ - length_);
  if (n <= free) return;
  if (uint64_t{n} > uint64_t{static_cast<uint32_t>(kMaxCapacity - length_)}) return;
  const uint64_t grow = std::max<uint64_t>(uint64_t{2} * n, kMinGrowth);
  const auto newCapacity =
      static_cast<int32_t>(std::min<uint64_t>(uint64_t{static_cast<uint32_t>(capacity_)} + grow, kMaxCapacity));
  std::unique_ptr<uint8_t[]> grown;
  try {
    grown = std::make_unique<uint8_t[]>(static_cast<size_t>(newCapacity));
  } catch (const std::bad_alloc&) {
    return;
  }
  if (capacity_ > 0) std::memcpy(grown.get(), buffer_.get(), static_cast<size_t>(capacity_));
  buffer_ = std::move(grown);
  capacity_ = newCapacity;
}

void DataStream::WriteU8(uint8_t value) {
  EnsureSpace(1);
  if (capacity_ - length_ < 1) return;
  buffer_[static_cast<size_t>(length_++)] = value;
}

void DataStream::WriteU16(uint16_t value) {
  EnsureSpace(2);
  if (capacity_ - length_ < 2) return;
  for (int shift = 0; shift < 16; shift += 8)
    buffer_[static_cast<size_t>(length_++)] = static_cast<uint8_t>((value >> shift) & 0xFF);
}

void DataStream::WriteU32(uint32_t value) {
  EnsureSpace(4);
  if (capacity_ - length_ < 4) return;
  for (int shift = 0; shift < 32; shift += 8)
    buffer_[static_cast<size_t>(length_++)] = static_cast<uint8_t>((value >> shift) & 0xFF);
}

void DataStream::WriteString(std::u16string_view text) {
  const auto count = static_cast<uint32_t>(text.size());
  const uint64_t total = uint64_t{2} * count + 4;
  EnsureSpace(static_cast<uint32_t>(std::min<uint64_t>(total, std::numeric_limits<uint32_t>::max())));
  // The whole string or nothing: a count without its text would misalign every later value.
  if (total > static_cast<uint64_t>(capacity_ - length_)) return;
  EnsureSpace(4);
  WriteU32(count);
  for (char16_t unit : text) {
    EnsureSpace(2);
    WriteU16(static_cast<uint16_t>(unit));
  }
}

void DataStream::WriteNumberText(int32_t value) {
  EnsureSpace(2);
  const std::string digits = std::to_string(value);
  WriteString(std::u16string(digits.begin(), digits.end()));
}

bool DataStream::Fits(uint32_t n) const { return uint64_t{n} <= static_cast<uint64_t>(length_ - position_); }

bool DataStream::ReadU8(uint8_t& value) {
  if (!Fits(1)) return false;
  value = buffer_[static_cast<size_t>(position_++)];
  return true;
}

bool DataStream::ReadU16(uint16_t& value) {
  if (!Fits(2)) return false;
  const uint8_t* p = buffer_.get() + position_;
  value = static_cast<uint16_t>(p[0] | (p[1] << 8));
  position_ += 2;
  return true;
}

bool DataStream::ReadU32(uint32_t& value) {
  if (!Fits(4)) return false;
  const uint8_t* p = buffer_.get() + position_;
  value = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
          (static_cast<uint32_t>(p[3]) << 24);
  position_ += 4;
  return true;
}

bool DataStream::ReadString(std::u16string& text) {
  const int32_t start = position_;
  uint32_t rawCount = 0;
  if (!ReadU32(rawCount)) return false;
  const auto count = static_cast<int32_t>(rawCount);
  if (count <= 0) {
    text.clear();
    return true;
  }
  // Checked before anything is allocated: a hostile count cannot ask for gigabytes.
  if (!Fits(static_cast<uint32_t>(count) * 2u)) {
    position_ = start;
    return false;
  }
  std::u16string result(static_cast<size_t>(count), u'\0');
  for (char16_t& unit : result) {
    uint16_t value = 0;
    ReadU16(value);
    unit = static_cast<char16_t>(value);
  }
  text = std::move(result);
  return true;
}

bool DataStream::ReadNumberText(int32_t& value) {
  std::u16string text;
  if (!ReadString(text)) return false;
  value = ParseDecimal(text);
  return true;
}

bool DataStream::Skip(uint32_t n) {
  if (!Fits(n)) return false;
  position_ += static_cast<int32_t>(n);
  return true;
}

int DataStream::LoadFromFile(const std::filesystem::path& path) {
  buffer_.reset();
  capacity_ = length_ = position_ = 0;
  // Devices, pipes and folders are not files to load: reading them could block.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return 0;
  const uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxLoadSize) return 0;
  FileHandle file = OpenFile(path, FileMode::kReadDenyingWriters);
  if (!file) return 0;
  std::vector<uint8_t> bytes;
  uint8_t chunk[kReadChunk];
  for (;;) {
    const size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
    if (bytes.size() + got > kMaxLoadSize) return 0;
    bytes.insert(bytes.end(), chunk, chunk + got);
    if (got < sizeof chunk) break;
  }
  if (std::ferror(file.get())) return 0;
  LoadFromBytes(bytes.data(), bytes.size());
  return 1;
}

int DataStream::SaveToFile(const std::filesystem::path& path) const {
  // The folder part is created as it is: a folder whose name has a dot must
  // not be taken for a file name here.
  std::error_code ec;
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
  FileHandle file = OpenFile(path, FileMode::kWrite);
  if (!file) return 0;
  const auto size = static_cast<size_t>(length_);
  if (size > 0 && std::fwrite(buffer_.get(), 1, size, file.get()) != size) return 0;
  if (!FlushToDisk(file.get())) return 0;
  return std::fclose(file.release()) == 0 ? 1 : 0;
}

void DataStream::LoadFromBytes(const uint8_t* data, size_t size) {
  buffer_.reset();
  capacity_ = length_ = position_ = 0;
  if (size == 0 || size > kMaxLoadSize) return;
  buffer_ = std::make_unique<uint8_t[]>(size);
  std::memcpy(buffer_.get(), data, size);
  capacity_ = length_ = static_cast<int32_t>(size);
}

}  // namespace korvid
