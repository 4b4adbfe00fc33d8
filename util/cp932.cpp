// The code page 932 codec, through the table that the program carries: the same texts on every
// platform, and one look-up per character whatever the bytes, so that damaged text costs no more
// than any other.
#include "util/cp932.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "util/utf8.h"

namespace mirelda {
namespace {

struct CompatibilityForm {
  char16_t ch;
  std::uint16_t bytes;  // a single byte when below 0x100
};

#include "util/cp932_table.inc"

constexpr int kRows = 60;
constexpr int kColumns = 188;

constexpr bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

constexpr int LeadRow(unsigned char lead) { return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31; }

constexpr unsigned char RowLead(int row) {
  return static_cast<unsigned char>(row < 31 ? 0x81 + row : 0xE0 + row - 31);
}

// -1 for a byte that follows no lead byte.
constexpr int TrailColumn(unsigned char trail) {
  if (trail < 0x40 || trail == 0x7F || trail > 0xFC) return -1;
  return trail < 0x7F ? trail - 0x40 : trail - 0x41;
}

constexpr unsigned char ColumnTrail(int column) {
  return static_cast<unsigned char>(column < 0x3F ? 0x40 + column : 0x41 + column);
}

constexpr unsigned char kFirstHalfWidthKatakana = 0xA1;
constexpr unsigned char kLastHalfWidthKatakana = 0xDF;
constexpr char16_t kHalfWidthKatakanaBase = 0xFF61;

// The NEC-selected IBM extensions repeat the IBM extensions, whose pairs are the ones written.
constexpr bool IsDuplicateRow(unsigned char lead) { return lead == 0xED || lead == 0xEE; }

// The character of a lead byte and the byte after it; 0 when they are none.
char16_t PairChar(unsigned char lead, unsigned char trail) {
  const int column = TrailColumn(trail);
  return column < 0 ? 0 : kPairChars[LeadRow(lead)][column];
}

// What a byte decodes to where it makes no pair: its own character, or the character that keeps
// it raw.
constexpr char32_t SingleByteChar(unsigned char byte) {
  if (byte < 0x80) return byte;
  if (byte >= kFirstHalfWidthKatakana && byte <= kLastHalfWidthKatakana) {
    return kHalfWidthKatakanaBase + (byte - kFirstHalfWidthKatakana);
  }
  return kRawByteBase + (byte - 0x80);
}

// Each byte's single character as UTF-8, looked up rather than worked out, as random bytes make
// every branch a guess.
struct SingleByte {
  char utf8[3];
  unsigned char length;
  bool lead;
};

constexpr std::array<SingleByte, 0x100> MakeSingleBytes() {
  std::array<SingleByte, 0x100> table{};
  for (int byte = 0; byte < 0x100; ++byte) {
    SingleByte& single = table[byte];
    const char* end = WriteUtf8(single.utf8, SingleByteChar(static_cast<unsigned char>(byte)));
    single.length = static_cast<unsigned char>(end - single.utf8);
    single.lead = IsLeadByte(static_cast<unsigned char>(byte));
  }
  return table;
}

constexpr std::array<SingleByte, 0x100> kSingleBytes = MakeSingleBytes();

// The bytes of each character that CP932 holds, in pages of 256 characters, each page held only
// when it has one of them: so the table stays at about 55 KiB.
class EncodingTable {
 public:
  EncodingTable() : blocks_(1) {
    for (const bool duplicates : {false, true}) AddPairs(duplicates);
    for (unsigned char byte = kFirstHalfWidthKatakana; byte <= kLastHalfWidthKatakana; ++byte) {
      Set(static_cast<char16_t>(SingleByteChar(byte)), byte);
    }
    // Every character that stands for a raw byte comes back as that byte, even one that decoding
    // never gives.
    for (int byte = 0x80; byte < 0x100; ++byte) {
      Set(static_cast<char16_t>(kRawByteBase + (byte - 0x80)), static_cast<std::uint16_t>(byte));
    }
    for (const CompatibilityForm& form : kCompatibilityForms) Set(form.ch, form.bytes);
  }

  /// 0 for a character that CP932 cannot hold, a single byte below 0x100, else a pair.
  std::uint16_t BytesOf(char16_t ch) const { return blocks_[block_of_page_[ch >> 8]][ch & 0xFF]; }

 private:
  void Set(char16_t ch, std::uint16_t bytes) {
    std::uint8_t& block = block_of_page_[ch >> 8];
    if (block == 0) {
      block = static_cast<std::uint8_t>(blocks_.size());
      blocks_.emplace_back();
    }
    blocks_[block][ch & 0xFF] = bytes;
  }

  // Each character is written as its first pair in byte order, with the duplicate rows last.
  void AddPairs(bool duplicate_rows) {
    for (int row = 0; row < kRows; ++row) {
      const unsigned char lead = RowLead(row);
      if (IsDuplicateRow(lead) != duplicate_rows) continue;
      for (int column = 0; column < kColumns; ++column) {
        const char16_t ch = kPairChars[row][column];
        if (ch != 0 && BytesOf(ch) == 0) {
          Set(ch, static_cast<std::uint16_t>(lead << 8 | ColumnTrail(column)));
        }
      }
    }
  }

  std::array<std::uint8_t, 0x100> block_of_page_{};  // block 0 stays empty
  std::vector<std::array<std::uint16_t, 0x100>> blocks_;
};

// Decodes the characters that start in bytes[i, end) to `out`, which has room for three bytes of
// UTF-8 for each of those bytes, and returns where they end in `bytes` and in `out`.
std::size_t DecodeRange(std::string_view bytes, std::size_t i, std::size_t end, char*& out) {
  while (i < end) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    const SingleByte& single = kSingleBytes[byte];
    if (single.lead && i + 1 < bytes.size()) {
      if (const char16_t ch = PairChar(byte, static_cast<unsigned char>(bytes[i + 1]))) {
        out = WriteUtf8(out, ch);
        i += 2;
        continue;
      }
    }
    // Only the byte where a sequence went wrong is kept raw; decoding resumes after it.
    std::memcpy(out, single.utf8, sizeof single.utf8);
    out += single.length;
    ++i;
  }
  return i;
}

}  // namespace

struct Cp932Codec::Impl {
  EncodingTable encodings;
};

std::unique_ptr<Cp932Codec> Cp932Codec::Open() {
  return std::unique_ptr<Cp932Codec>(new Cp932Codec(std::make_unique<Impl>()));
}

Cp932Codec::Cp932Codec(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Cp932Codec::~Cp932Codec() = default;

std::string Cp932Codec::Decode(std::string_view bytes) { return DecodeFront(bytes, bytes.size()); }

std::string Cp932Codec::DecodeFront(std::string_view& bytes, std::size_t size) {
  // A pair that starts before the stop is decoded whole, as it is in the whole text.
  const std::size_t stop = std::min(std::max<std::size_t>(size, 1), bytes.size());
  // Double-byte characters grow by half, ASCII stays as it is; a stretch at a time is given room
  // for the worst, three bytes for each, so that a giant text is never held three times over.
  constexpr std::size_t kStretch = 4096;
  std::string out;
  out.reserve(stop + stop / 2);
  std::size_t i = 0;
  while (i < stop) {
    const std::size_t end = std::min(stop, i + kStretch);
    const std::size_t used = out.size();
    out.resize(used + 3 * (end - i));
    char* written = out.data() + used;
    i = DecodeRange(bytes, i, end, written);
    out.resize(static_cast<std::size_t>(written - out.data()));
  }
  bytes.remove_prefix(i);
  return out;
}

std::string Cp932Codec::Encode(std::string_view text) {
  // No character takes more bytes in CP932 than in UTF-8.
  std::string out(text.size(), '\0');
  char* written = out.data();
  std::size_t i = 0;
  while (i < text.size()) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      *written++ = text[i++];
      continue;
    }
    // A character that CP932 cannot hold is written as '?', and so is each malformed byte.
    char32_t cp = 0;
    const std::size_t length = DecodeUtf8(text.substr(i), cp);
    const std::uint16_t bytes =
        length != 0 && cp <= 0xFFFF ? impl_->encodings.BytesOf(static_cast<char16_t>(cp)) : 0;
    if (bytes > 0xFF) *written++ = static_cast<char>(bytes >> 8);
    *written++ = bytes != 0 ? static_cast<char>(bytes & 0xFF) : '?';
    i += std::max<std::size_t>(length, 1);
  }
  out.resize(static_cast<std::size_t>(written - out.data()));
  return out;
}

}  // namespace mirelda
