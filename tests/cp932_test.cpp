// The code page 932 codec: Windows' mapping, and losslessness for bytes that are not CP932.
#include "util/cp932.h"

#include <gtest/gtest.h>

namespace mirelda {
namespace {

TEST(Cp932Test, DecodesWindowsMapping) {
  Cp932Codec codec;
  EXPECT_EQ(codec.Decode("\x94\xC2"), "板");
  EXPECT_EQ(codec.Decode("\x81\x60"), "～");  // U+FF5E, not the wave dash
  EXPECT_EQ(codec.Decode("\x81\xA4"), "▽");
  EXPECT_EQ(codec.Decode("\x87\x40"), "①");
  EXPECT_EQ(codec.Decode("\x5C"), "\\");
  EXPECT_EQ(codec.Decode("\xB1"), "ｱ");
  EXPECT_EQ(codec.Decode(std::string("a\0b\r\n", 5)), std::string("a\0b\r\n", 5));
}

TEST(Cp932Test, EncodesBackToTheSameBytes) {
  Cp932Codec codec;
  const std::string bytes = "\x83\x5C\x95\x5C\x81\x60\x94\xC2\t\xB1\r\nabc";  // ソ表～板 ｱ
  EXPECT_EQ(codec.Encode(codec.Decode(bytes)), bytes);
  EXPECT_EQ(codec.Encode("かちゅ～しゃ"), "\x82\xA9\x82\xBF\x82\xE3\x81\x60\x82\xB5\x82\xE1");
}

TEST(Cp932Test, BytesThatAreNotCp932SurviveARoundTrip) {
  Cp932Codec codec;
  // A lone lead byte at the end, a lead byte before an invalid trail, unmapped single bytes.
  for (const std::string bytes : {"abc\x81", "\x81\x0A\x82", "\x80\xA0\xFD\xFE\xFF", "\x85\x40"}) {
    const std::string text = codec.Decode(bytes);
    EXPECT_EQ(codec.Encode(text), bytes) << text;
  }
  EXPECT_EQ(codec.Decode("\xFF"), "\uF7FF");
  EXPECT_EQ(codec.Decode("\x81\x0A"), "\uF781\n");
}

TEST(Cp932Test, UnrepresentableCharactersBecomeQuestionMarks) {
  Cp932Codec codec;
  EXPECT_EQ(codec.Encode("a😀b"), "a?b");
  EXPECT_EQ(codec.Encode("a\xC3z"), "a?z");  // broken UTF-8
}

}  // namespace
}  // namespace mirelda
