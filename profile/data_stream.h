#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace korvid {

// Growable little-endian byte buffer with length-prefixed UTF-16 strings;
// the only serialisation used for files. Writers append at length(), readers
// take values at position(). A read that does not fit in the remaining bytes
// returns false, leaves position() where it was and stores nothing.
class DataStream {
 public:
  enum class Mode { kWriting, kReading };

  // kWriting starts with a zero-filled 1024-byte buffer; kReading starts
  // empty (no buffer) and is filled by LoadFromFile or LoadFromBytes.
  explicit DataStream(Mode mode = Mode::kWriting);
  virtual ~DataStream();
  DataStream(const DataStream&) = delete;
  DataStream& operator=(const DataStream&) = delete;

  void EnsureSpace(uint32_t n);

  void WriteU8(uint8_t value);
  void WriteU16(uint16_t value);
  void WriteU32(uint32_t value);
  void WriteString(std::u16string_view text);
  void WriteNumberText(int32_t value);

  bool ReadU8(uint8_t& value);
  bool ReadU16(uint16_t& value);
  bool ReadU32(uint32_t& value);
  bool ReadString(std::u16string& text);
  bool ReadNumberText(int32_t& value);
  bool Skip(uint32_t n);

  // 1 on success, 0 when the file cannot be opened or read (stream left empty).
  int LoadFromFile(const std::filesystem::path& path);
  // Creates the folder part of the path, then writes length() bytes as the
  // whole file and flushes it to disk. 1 on success, 0 on any failure.
  int SaveToFile(const std::filesystem::path& path) const;
  void LoadFromBytes(const uint8_t* data, size_t size);

  const uint8_t* data() const { return buffer_.get(); }
  int32_t length() const { return length_; }
  int32_t capacity() const { return capacity_; }
  int32_t position() const { return position_; }

 private:
  bool Fits(uint32_t n) const;

  std::unique_ptr<uint8_t[]> buffer_;
  int32_t capacity_ = 0;
  int32_t length_ = 0;
  int32_t position_ = 0;
};

}  // namespace korvid
