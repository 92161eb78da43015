// UTF-8 / UTF-16 conversions: strict for paths, lenient for display.
#include "profile/text.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

TEST(Text, ValidTextRoundTrips) {
  for (std::u16string_view text : {u"", u"plain", u"\u00E9\u20AC\U0001F600"}) {
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    EXPECT_TRUE(IsValidUtf16(text));
    EXPECT_EQ(StrictUtf8(text), ToUtf8(text));
    EXPECT_EQ(StrictUtf16(ToUtf8(text)), std::u16string(text));
    std::filesystem::path path;
    ASSERT_TRUE(PathFromUtf16(text, path));
    std::u16string back;
    ASSERT_TRUE(Utf16FromPath(path, back));
    EXPECT_EQ(back, text);
  }
  EXPECT_EQ(ToUtf8(u"\u00E9\U0001F600"), "\xC3\xA9\xF0\x9F\x98\x80");
}

TEST(Text, LoneSurrogatesAreRefusedForPaths) {
  for (std::u16string text : {std::u16string(u"a\xD800"), std::u16string(u"\xDC00"), std::u16string(u"\xD800\xD800")}) {
    std::filesystem::path path = "untouched";
    EXPECT_FALSE(PathFromUtf16(text, path));
    EXPECT_EQ(path, "untouched");
    EXPECT_FALSE(IsValidUtf16(text));
    EXPECT_EQ(StrictUtf8(text), std::nullopt);
  }
  EXPECT_EQ(ToUtf8(u"a\xD800"), "a\xEF\xBF\xBD");
}

TEST(Text, MalformedUtf8BecomesReplacementCharacters) {
  struct Case {
    std::string bytes;
    std::u16string text;
  };
  const Case cases[] = {
      {"\xC0\x80", u"\uFFFD\uFFFD"},          // overlong
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
      {"a\xE2\x82", u"a\uFFFD\uFFFD"},        // cut off
      {"\xFF", u"\uFFFD"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FromUtf8(c.bytes), c.text);
    EXPECT_EQ(StrictUtf16(c.bytes), std::nullopt);
  }
}

#ifndef _WIN32
TEST(Text, PathThatIsNotUtf8IsRefused) {
  std::u16string out = u"untouched";
  EXPECT_FALSE(Utf16FromPath(std::filesystem::path("bad\xFF"), out));
  EXPECT_EQ(out, u"untouched");
}
#endif

}  // namespace
}  // namespace korvid
