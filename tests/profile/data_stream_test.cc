// The byte stream: encodings, growth, bounds of every read, files.
#include "profile/data_stream.h"

#include <gtest/gtest.h>

#include <fstream>
#include <limits>
#include <vector>

#include "tests/profile/test_folder.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Bytes(const DataStream& stream) {
  return std::vector<uint8_t>(stream.data(), stream.data() + stream.length());
}

DataStream& Load(DataStream& stream, const std::vector<uint8_t>& bytes) {
  stream.LoadFromBytes(bytes.data(), bytes.size());
  return stream;
}

TEST(DataStream, StartsAsWritingOrReading) {
  DataStream writer;
  EXPECT_EQ(writer.capacity(), 1024);
  EXPECT_EQ(writer.length(), 0);
  EXPECT_EQ(writer.position(), 0);
  DataStream reader(DataStream::Mode::kReading);
  EXPECT_EQ(reader.capacity(), 0);
  EXPECT_EQ(reader.data(), nullptr);
  uint8_t value = 0;
  EXPECT_FALSE(reader.ReadU8(value));
}

TEST(DataStream, IntegersAreLittleEndian) {
  DataStream stream;
  stream.WriteU8(0xAB);
  stream.WriteU16(0x1234);
  stream.WriteU32(0x01343CB1);
  EXPECT_EQ(Bytes(stream), (std::vector<uint8_t>{0xAB, 0x34, 0x12, 0xB1, 0x3C, 0x34, 0x01}));
  DataStream reader(DataStream::Mode::kReading);
  Load(reader, Bytes(stream));
  uint8_t u8 = 0;
  uint16_t u16 = 0;
  uint32_t u32 = 0;
  ASSERT_TRUE(reader.ReadU8(u8) && reader.ReadU16(u16) && reader.ReadU32(u32));
  EXPECT_EQ(u8, 0xAB);
  EXPECT_EQ(u16, 0x1234);
  EXPECT_EQ(u32, 0x01343CB1u);
  EXPECT_EQ(reader.position(), 7);
}

TEST(DataStream, StringAndNumberEncodings) {
  struct Case {
    std::u16string text;
    std::vector<uint8_t> bytes;
  };
  const Case strings[] = {
      {u"", {0, 0, 0, 0}},
      {u"ab", {2, 0, 0, 0, 0x61, 0, 0x62, 0}},
      {u"\u00E9\U0001F600", {3, 0, 0, 0, 0xE9, 0x00, 0x3D, 0xD8, 0x00, 0xDE}},
  };
  for (const Case& c : strings) {
    DataStream stream;
    stream.WriteString(c.text);
    EXPECT_EQ(Bytes(stream), c.bytes);
    DataStream reader(DataStream::Mode::kReading);
    std::u16string back = u"junk";
    ASSERT_TRUE(Load(reader, c.bytes).ReadString(back));
    EXPECT_EQ(back, c.text);
  }
  struct NumberCase {
    int32_t value;
    std::u16string text;
  };
  const NumberCase numbers[] = {{-1, u"-1"}, {0, u"0"}, {1426685, u"1426685"}, {INT32_MIN, u"-2147483648"}};
  for (const NumberCase& c : numbers) {
    DataStream stream;
    stream.WriteNumberText(c.value);
    DataStream expected;
    expected.WriteString(c.text);
    EXPECT_EQ(Bytes(stream), Bytes(expected)) << c.value;
  }
  DataStream minusOne;
  minusOne.WriteNumberText(-1);
  EXPECT_EQ(Bytes(minusOne), (std::vector<uint8_t>{2, 0, 0, 0, 0x2D, 0, 0x31, 0}));
}

TEST(DataStream, ReadNumberTextParsesLikeWcstol) {
  struct Case {
    std::u16string text;
    int32_t value;
  };
  const Case cases[] = {
      {u"15x", 15},       {u"", 0},          {u"x15", 0},       {u"  \t-42", -42},
      {u"+7", 7},         {u"-", 0},         {u"007", 7},       {u"2147483647", INT32_MAX},
      {u"2147483648", INT32_MAX},            {u"-2147483648", INT32_MIN},
      {u"-99999999999", INT32_MIN},          {u"4294967295", INT32_MAX},
  };
  for (const Case& c : cases) {
    DataStream stream;
    stream.WriteString(c.text);
    DataStream reader(DataStream::Mode::kReading);
    int32_t value = 12345;
    ASSERT_TRUE(Load(reader, Bytes(stream)).ReadNumberText(value));
    EXPECT_EQ(value, c.value);
  }
}

TEST(DataStream, NonPositiveStringCountReadsEmpty) {
  for (uint32_t count : {0u, 0xFFFFFFFFu, 0x80000000u}) {
    DataStream reader(DataStream::Mode::kReading);
    std::vector<uint8_t> bytes = {static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
                                  static_cast<uint8_t>(count >> 16), static_cast<uint8_t>(count >> 24), 0x61, 0};
    std::u16string text = u"junk";
    ASSERT_TRUE(Load(reader, bytes).ReadString(text));
    EXPECT_EQ(text, u"");
    EXPECT_EQ(reader.position(), 4);
  }
}

// Every read that does not fit fails, stores nothing and leaves the position.
TEST(DataStream, ShortReadsFailWithoutMoving) {
  const std::vector<uint8_t> bytes = {0xAA, 3, 0, 0, 0, 0x61, 0};  // one byte, then a string of 3 with 1 unit
  DataStream reader(DataStream::Mode::kReading);
  Load(reader, bytes);
  uint8_t u8 = 0;
  ASSERT_TRUE(reader.ReadU8(u8));
  std::u16string text = u"kept";
  int32_t number = 99;
  EXPECT_FALSE(reader.ReadString(text));
  EXPECT_FALSE(reader.ReadNumberText(number));
  EXPECT_EQ(text, u"kept");
  EXPECT_EQ(number, 99);
  EXPECT_EQ(reader.position(), 1);
  EXPECT_FALSE(reader.Skip(7));
  EXPECT_EQ(reader.position(), 1);
  ASSERT_TRUE(reader.Skip(4));
  uint32_t u32 = 7;
  uint16_t u16 = 7;
  EXPECT_FALSE(reader.ReadU32(u32));
  EXPECT_EQ(u32, 7u);
  ASSERT_TRUE(reader.ReadU16(u16));
  EXPECT_FALSE(reader.ReadU16(u16));
  EXPECT_FALSE(reader.ReadU8(u8));
  EXPECT_EQ(reader.position(), reader.length());
}

TEST(DataStream, HugeStringCountIsAShortRead) {
  DataStream reader(DataStream::Mode::kReading);
  Load(reader, {0xFF, 0xFF, 0xFF, 0x7F, 0x41, 0x00});
  std::u16string text;
  EXPECT_FALSE(reader.ReadString(text));
  EXPECT_EQ(reader.position(), 0);
}

TEST(DataStream, GrowthSteps) {
  DataStream stream;
  for (int i = 0; i < 1024; ++i) stream.WriteU8(static_cast<uint8_t>(i));
  EXPECT_EQ(stream.capacity(), 1024);
  stream.WriteU8(0xEE);
  EXPECT_EQ(stream.capacity(), 2048);
  EXPECT_EQ(stream.length(), 1025);
  EXPECT_EQ(stream.data()[1023], 0xFF);
  EXPECT_EQ(stream.data()[1024], 0xEE);

  DataStream full;
  for (int i = 0; i < 1024; ++i) full.WriteU8(1);
  full.EnsureSpace(3000);
  EXPECT_EQ(full.capacity(), 7024);
  EXPECT_EQ(full.length(), 1024);
  full.EnsureSpace(0);
  EXPECT_EQ(full.capacity(), 7024);

  DataStream reader(DataStream::Mode::kReading);
  reader.WriteU16(0x0102);  // an empty stream grows from nothing
  EXPECT_EQ(reader.capacity(), 1024);
  EXPECT_EQ(Bytes(reader), (std::vector<uint8_t>{2, 1}));
}

TEST(DataStream, GrowthBeyondThirtyTwoBitsIsRefused) {
  DataStream stream;
  stream.WriteU8(1);
  stream.EnsureSpace(std::numeric_limits<uint32_t>::max());
  EXPECT_EQ(stream.capacity(), 1024);
  EXPECT_EQ(stream.length(), 1);
}

TEST(DataStream, LongStringGrowsInOneStep) {
  DataStream stream;
  stream.WriteString(std::u16string(1000, u'x'));
  EXPECT_EQ(stream.capacity(), 1024 + 2 * (2 * 1000 + 4));
  EXPECT_EQ(stream.length(), 2004);
}

TEST(DataStream, FileRoundTripAndFailures) {
  testing::TestFolder folder;
  const fs::path path = folder.path() / "nested" / "deeper.d" / "data.bin";
  DataStream stream;
  stream.WriteU32(0xDEADBEEF);
  stream.WriteString(u"abc");
  ASSERT_EQ(stream.SaveToFile(path), 1);
  EXPECT_EQ(fs::file_size(path), static_cast<uintmax_t>(stream.length()));

  DataStream reader(DataStream::Mode::kReading);
  ASSERT_EQ(reader.LoadFromFile(path), 1);
  EXPECT_EQ(Bytes(reader), Bytes(stream));
  EXPECT_EQ(reader.capacity(), reader.length());
  EXPECT_EQ(reader.position(), 0);

  // A failed load leaves the stream empty.
  EXPECT_EQ(reader.LoadFromFile(folder.path() / "missing"), 0);
  EXPECT_EQ(reader.length(), 0);
  EXPECT_EQ(reader.LoadFromFile(folder.path()), 0);

  // A path through an existing file cannot be created.
  EXPECT_EQ(stream.SaveToFile(path / "child.bin"), 0);
  EXPECT_EQ(stream.SaveToFile(folder.path()), 0);

  // An existing file is replaced whole.
  DataStream shorter;
  shorter.WriteU8(7);
  ASSERT_EQ(shorter.SaveToFile(path), 1);
  EXPECT_EQ(fs::file_size(path), 1u);
}

TEST(DataStream, OversizedFileIsRefused) {
  testing::TestFolder folder;
  const fs::path path = folder.path() / "big.bin";
  {
    std::ofstream out(path, std::ios::binary);
    out.seekp((std::streamoff{64} << 20));
    out.put('x');
  }
  DataStream reader(DataStream::Mode::kReading);
  EXPECT_EQ(reader.LoadFromFile(path), 0);
  EXPECT_EQ(reader.length(), 0);
}

}  // namespace
}  // namespace korvid
