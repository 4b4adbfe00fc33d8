// The codec against glibc's iconv, which decoded and encoded every text before the codec carried
// its own table: every byte pair, every character, and random texts cut anywhere must give what
// iconv gave, with the same rules for what iconv rejects.
#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <random>
#include <string>

#include "util/cp932.h"
#include "util/utf8.h"

namespace mirelda {
namespace {

// Converts `in` with iconv; where iconv rejects the input, `on_stuck` appends what stands for it
// and returns how many bytes that took.
template <typename OnStuck>
std::string Iconv(const char* to, const char* from, std::string_view in, OnStuck on_stuck) {
  const iconv_t cd = iconv_open(to, from);
  std::string out;
  auto* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  while (src_left > 0) {
    char buffer[256];
    char* dst = buffer;
    size_t dst_left = sizeof buffer;
    const bool failed = iconv(cd, &src, &src_left, &dst, &dst_left) == static_cast<size_t>(-1);
    const int error = errno;
    out.append(buffer, static_cast<size_t>(dst - buffer));
    if (!failed || error == E2BIG) continue;
    const size_t taken = on_stuck(std::string_view(src, src_left), out);
    src += taken;
    src_left -= taken;
  }
  iconv_close(cd);
  return out;
}

std::string IconvDecode(std::string_view bytes) {
  return Iconv("UTF-8", "CP932", bytes, [](std::string_view rest, std::string& out) {
    char utf8[3];
    const auto byte = static_cast<unsigned char>(rest[0]);
    out.append(utf8, WriteUtf8(utf8, kRawByteBase + (byte - 0x80)));
    return size_t{1};
  });
}

std::string IconvEncode(std::string_view text) {
  return Iconv("CP932", "UTF-8", text, [](std::string_view rest, std::string& out) {
    char32_t cp = 0;
    const size_t length = DecodeUtf8(rest, cp);
    const bool raw_byte = length != 0 && cp >= kRawByteBase && cp < kRawByteBase + 0x80;
    out.push_back(raw_byte ? static_cast<char>(cp - kRawByteBase + 0x80) : '?');
    return std::max<size_t>(length, 1);
  });
}

// Texts of bytes drawn mostly from those where CP932 is hardest: lead bytes, trail bytes, bytes it
// never uses, line ends; and of UTF-8 pieces, broken and whole.
std::string RandomText(std::mt19937& random, bool utf8) {
  static const std::string kBytes =
      "\x81\x82\x87\x9F\xE0\xED\xEE\xEF\xF0\xFA\xFC\x40\x7E\x7F\xA0\xA1\xDF\x80\xFD\xFF\n\\~a";
  static const std::string kUtf8[] = {
      "\xE6\x9D\xBF", "\xEF\xBD\x9E",     "\xE2\x80\x94",     "\xC2\xA5", "\xEF\x9E\x81",
      "\xEF\x9F\xBF", "\xED\xA0\x80",     "\xF0\x9F\x98\x80", "\xE3\x81", "\x80",
      "\xC0\xAF",     "\xF4\x90\x80\x80", "\xEE\x80\x80",     "a"};
  std::string text;
  for (size_t n = random() % 24; n > 0; --n) {
    if (utf8) {
      text += kUtf8[random() % std::size(kUtf8)];
    } else {
      text += random() % 4 == 0 ? static_cast<char>(random()) : kBytes[random() % kBytes.size()];
    }
  }
  return text;
}

class Cp932GlibcTest : public ::testing::Test {
 protected:
  std::unique_ptr<Cp932Codec> codec_ = Cp932Codec::Open();
  Cp932Codec& codec = *codec_;
};

TEST_F(Cp932GlibcTest, DecodesEveryByteAndPairAsIconvDid) {
  for (int first = 0; first < 0x100; ++first) {
    for (int second = -1; second < 0x100; ++second) {
      std::string bytes(1, static_cast<char>(first));
      if (second >= 0) bytes.push_back(static_cast<char>(second));
      ASSERT_EQ(codec.Decode(bytes), IconvDecode(bytes)) << first << ' ' << second;
    }
  }
}

// Characters beyond U+FFFF and broken UTF-8 are among the random texts.
TEST_F(Cp932GlibcTest, EncodesEveryCharacterAsIconvDid) {
  for (char32_t cp = 0; cp <= 0xFFFF; ++cp) {
    char utf8[3];
    const std::string text(utf8, WriteUtf8(utf8, cp));
    ASSERT_EQ(codec.Encode(text), IconvEncode(text)) << static_cast<unsigned>(cp);
  }
}

TEST_F(Cp932GlibcTest, RandomTextsCutAnywhereGiveWhatIconvGave) {
  std::mt19937 random(932);
  for (int round = 0; round < 20000; ++round) {
    const std::string bytes = RandomText(random, false);
    const std::string text = IconvDecode(bytes);
    std::string parts;
    for (std::string_view rest = bytes; !rest.empty();)
      parts += codec.DecodeFront(rest, random() % 4);
    ASSERT_EQ(parts, text) << testing::PrintToString(bytes);
    const std::string utf8 = RandomText(random, true);
    ASSERT_EQ(codec.Encode(utf8), IconvEncode(utf8)) << testing::PrintToString(utf8);
  }
}

}  // namespace
}  // namespace mirelda
