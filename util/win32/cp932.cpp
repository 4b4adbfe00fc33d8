// The code page 932 codec on Windows, through the system's own 932 table, giving the same texts
// as the POSIX codec: where Windows' table and glibc's differ, glibc's answer is taken.
#include "util/cp932.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>

#include "util/utf8.h"

namespace mirelda {
namespace {

constexpr UINT kCodePage = 932;

// Single bytes that Windows maps (to U+0080 and private-use characters) but glibc rejects; they
// stay raw bytes so that a text read on Windows is the text read on Linux.
constexpr bool IsRejectedSingleByte(unsigned char byte) {
  return byte == 0x80 || byte == 0xA0 || byte >= 0xFD;
}

constexpr bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Characters that glibc encodes through its compatibility mappings and Windows refuses.
struct ExtraMapping {
  char16_t ch;
  std::uint16_t bytes;  // a single byte when below 0x100
};
constexpr ExtraMapping kGlibcOnly[] = {
    {0x00A2, 0x8191}, {0x00A3, 0x8192}, {0x00A5, 0x005C}, {0x00AC, 0x81CA}, {0x2014, 0x815C},
    {0x2016, 0x8161}, {0x203E, 0x007E}, {0x2212, 0x817C}, {0x301C, 0x8160},
};

// Characters that only Windows' table can encode: the images of the rejected single bytes.
constexpr bool IsWindowsOnly(char32_t cp) { return cp == 0x0080 || (cp >= 0xF8F0 && cp <= 0xF8F3); }

}  // namespace

// Windows' answers, asked one character at a time and remembered: a whole-text call with
// MB_ERR_INVALID_CHARS would fail the text at its first bad byte instead of keeping that byte.
struct Cp932Codec::Impl {
  static constexpr char16_t kUnasked = 0;
  static constexpr char16_t kInvalid = 0xFFFF;
  static constexpr std::uint16_t kUnmappable = 1;

  std::array<char16_t, 0x10000> decoded{};  // indexed by lead << 8 | trail, or by a single byte
  std::array<std::uint16_t, 0x10000> encoded{};  // 0 unasked, kUnmappable, or the bytes

  char16_t DecodeChar(const char* bytes, int count, std::uint16_t key) {
    char16_t& slot = decoded[key];
    if (slot == kUnasked) {
      wchar_t out[2];
      const int n = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes, count, out, 2);
      slot = n == 1 && out[0] != 0 ? static_cast<char16_t>(out[0]) : kInvalid;
    }
    return slot;
  }

  std::uint16_t EncodeChar(char16_t ch) {
    std::uint16_t& slot = encoded[ch];
    if (slot == 0) {
      const wchar_t in = ch;
      unsigned char out[4];
      BOOL defaulted = FALSE;
      const int n =
          WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, &in, 1, reinterpret_cast<char*>(out),
                              sizeof out, nullptr, &defaulted);
      if (n == 1 && !defaulted) {
        slot = 0x100 | out[0];
      } else if (n == 2 && !defaulted) {
        slot = static_cast<std::uint16_t>(out[0] << 8 | out[1]);
      } else {
        slot = kUnmappable;
      }
    }
    return slot;
  }
};

std::unique_ptr<Cp932Codec> Cp932Codec::Open(std::error_code& error) {
  auto impl = std::make_unique<Impl>();
  for (const ExtraMapping& extra : kGlibcOnly) {
    impl->encoded[extra.ch] = extra.bytes < 0x100 ? 0x100 | extra.bytes : extra.bytes;
  }
  error.clear();
  return std::unique_ptr<Cp932Codec>(new Cp932Codec(std::move(impl)));
}

Cp932Codec::Cp932Codec(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Cp932Codec::~Cp932Codec() = default;

std::string Cp932Codec::Decode(std::string_view bytes) { return DecodeFront(bytes, bytes.size()); }

std::string Cp932Codec::DecodeFront(std::string_view& bytes, size_t size) {
  // A pair that starts before the stop is decoded whole, as it is in the whole text.
  const size_t stop = std::min(std::max<size_t>(size, 1), bytes.size());
  std::string out;
  out.reserve(stop * 3 / 2);
  size_t i = 0;
  while (i < stop) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    char16_t ch = Impl::kInvalid;
    size_t length = 1;
    if (byte < 0x80) {
      ch = byte;
    } else if (IsLeadByte(byte)) {
      if (i + 1 < bytes.size()) {
        const auto trail = static_cast<unsigned char>(bytes[i + 1]);
        ch = impl_->DecodeChar(bytes.data() + i, 2, static_cast<std::uint16_t>(byte << 8 | trail));
        length = 2;
      }
    } else if (!IsRejectedSingleByte(byte)) {
      ch = impl_->DecodeChar(bytes.data() + i, 1, byte);
    }
    if (ch == Impl::kInvalid) {
      // Only the byte where the sequence went wrong is kept raw; decoding resumes after it.
      AppendUtf8(out, kRawByteBase + (byte - 0x80));
      length = 1;
    } else {
      AppendUtf8(out, ch);
    }
    i += length;
  }
  bytes.remove_prefix(i);
  return out;
}

std::string Cp932Codec::Encode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    char32_t cp = 0;
    const size_t length = DecodeUtf8(text, cp);
    if (length == 0) {
      out.push_back('?');
      text.remove_prefix(1);
      continue;
    }
    text.remove_prefix(length);
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp >= kRawByteBase && cp < kRawByteBase + 0x80) {
      out.push_back(static_cast<char>(cp - kRawByteBase + 0x80));
    } else if (cp > 0xFFFF || (cp >= 0xD800 && cp < 0xE000) || IsWindowsOnly(cp)) {
      out.push_back('?');
    } else {
      const std::uint16_t bytes = impl_->EncodeChar(static_cast<char16_t>(cp));
      if (bytes == Impl::kUnmappable) {
        out.push_back('?');
      } else if (bytes < 0x200) {
        out.push_back(static_cast<char>(bytes & 0xFF));
      } else {
        out.push_back(static_cast<char>(bytes >> 8));
        out.push_back(static_cast<char>(bytes & 0xFF));
      }
    }
  }
  return out;
}

}  // namespace mirelda
