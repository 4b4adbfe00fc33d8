// The code page 932 codec gives the same texts on every platform: where the tables of Windows
// and glibc differ, both halves must agree on one answer; bytes that are not CP932 survive.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "util/cp932.h"

namespace mirelda {
namespace {

struct Mapping {
  const char* bytes;
  const char* text;
};

// Bytes that decode to these texts, and that these texts encode back to.
constexpr Mapping kRoundTrips[] = {
    {"\x81\x60", "～"},                    // U+FF5E, Windows' reading, not the wave dash
    {"\x81\x5C", "\u2015"},                // horizontal bar, not the em dash
    {"\x81\x61", "\u2225"},                // parallel to, not the double vertical line
    {"\x81\x7C", "\uFF0D"},                // full-width hyphen-minus, not the minus sign
    {"\x81\x91\x81\x92", "\uFFE0\uFFE1"},  // full-width cent and pound
    {"\x5C\x7E", "\\~"},                   // ASCII, not yen and overline
    {"\xB1\xDF", "ｱﾟ"},                    // half-width katakana
    {"\x87\x40", "①"},                     // NEC special characters
    {"\xFA\x40", "\u2170"},                // IBM extensions: small roman one
    {"\xF0\x40\xF9\xFC", "\uE000\uE757"},  // the user-defined area, first and last
    {"\x80\xA0\xFD\xFE\xFF", "\uF780\uF7A0\uF7FD\uF7FE\uF7FF"},  // single bytes glibc rejects
    {"\x85\x40", "\uF785@"},   // an unassigned pair: the lead byte kept raw
    {"\x81\x0A", "\uF781\n"},  // a lead byte before a byte that cannot be a trail
    {"a\x82", "a\uF782"},      // a lead byte at the very end
    {"\x82\xA9\x82\xBF\x82\xE3\x81\x60\x82\xB5\x82\xE1", "かちゅ～しゃ"},
};

class Cp932TableTest : public ::testing::Test {
 protected:
  std::unique_ptr<Cp932Codec> codec_ = Cp932Codec::Open();
  Cp932Codec& codec = *codec_;
};

TEST_F(Cp932TableTest, DecodesTheSameTextsOnEveryPlatform) {
  for (const Mapping& m : kRoundTrips) {
    EXPECT_EQ(codec.Decode(m.bytes), m.text) << m.text;
    EXPECT_EQ(codec.Encode(m.text), m.bytes) << m.text;
  }
  EXPECT_EQ(codec.Decode(std::string("a\0b\r\n", 5)), std::string("a\0b\r\n", 5));
}

// A giant text is decoded a part at a time: each part takes at least one byte, and a pair that
// starts inside it whole.
TEST_F(Cp932TableTest, DecodesAFrontAtATimeWithoutSplittingAPair) {
  std::string_view rest = "a\x94\xC2z";
  EXPECT_EQ(codec.DecodeFront(rest, 0), "a");
  EXPECT_EQ(rest, "\x94\xC2z");
  EXPECT_EQ(codec.DecodeFront(rest, 1), "板");
  EXPECT_EQ(rest, "z");
  EXPECT_EQ(codec.DecodeFront(rest, 5), "z");
  EXPECT_TRUE(rest.empty());
}

// Texts that encode one way only: duplicates (NEC-selected IBM extensions, NEC row 13), look-alikes
// that glibc maps through compatibility forms Windows' table lacks, and what CP932 cannot hold.
TEST_F(Cp932TableTest, EncodesEveryOtherTextAsGlibcDoes) {
  EXPECT_EQ(codec.Decode("\xEE\xEF\x87\x90\xEE\xF9"), "\u2170\u2252\uFFE2");
  const Mapping one_way[] = {
      {"\xFA\x40\x81\xE0\x81\xCA", "\u2170\u2252\uFFE2"},
      {"\x81\x91\x81\x92\x5C\x81\xCA\x81\x5C", "\u00A2\u00A3\u00A5\u00AC\u2014"},
      {"\x81\x61\x7E\x81\x7C\x81\x60", "\u2016\u203E\u2212\u301C"},
      {"?????", "\u0080\uF8F0\uF8F1\uF8F2\uF8F3"},  // Windows' images of bytes glibc rejects
      {"?", "\xED\xA0\x80"},                        // a UTF-8 encoded surrogate
      {"???", "\xE0\x80\x80"},                      // an overlong form, byte by byte
      {"a?b?z?", "a😀b\xC3z\uF800"}};  // beyond CP932, broken UTF-8, past the raw bytes
  for (const Mapping& m : one_way) EXPECT_EQ(codec.Encode(m.text), m.bytes) << m.text;
}

}  // namespace
}  // namespace mirelda
