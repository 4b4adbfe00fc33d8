// The code page 932 codec on POSIX, through iconv.
#include "util/cp932.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "util/utf8.h"

namespace mirelda {

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

}  // namespace

struct Cp932Codec::Impl {
  iconv_t decoder = iconv_open("UTF-8", "CP932");
  iconv_t encoder = iconv_open("CP932", "UTF-8");

  ~Impl() {
    if (decoder != kNoConverter) iconv_close(decoder);
    if (encoder != kNoConverter) iconv_close(encoder);
  }
};

namespace {

// Runs iconv over the characters of `in` that start in its first `size` bytes (at least one)
// through a small buffer, so that only what it gives is ever held, in a text reserved for
// `expected` bytes, and takes them off `in`; `on_stuck` is called at each position that iconv
// rejects, appends what stands for the input there and returns how many input bytes that
// consumed.
template <typename OnStuck>
std::string Convert(iconv_t cd, std::string_view& in, size_t expected, OnStuck on_stuck,
                    size_t size = std::string_view::npos) {
  std::string out;
  out.reserve(expected);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  auto* src = const_cast<char*>(in.data());
  const char* const in_end = in.data() + in.size();
  const char* const stop = in.data() + std::min(std::max<size_t>(size, 1), in.size());
  size_t src_left = static_cast<size_t>(stop - src);
  char buffer[4096];
  while (src < stop) {
    char* dst = buffer;
    size_t dst_left = sizeof buffer;
    const bool failed = iconv(cd, &src, &src_left, &dst, &dst_left) == static_cast<size_t>(-1);
    const int error = errno;
    out.append(buffer, static_cast<size_t>(dst - buffer));
    if (!failed || error == E2BIG) continue;
    // A character that the end of the part cuts off is taken whole, one byte more at a time.
    if (error == EINVAL && src + src_left < in_end) {
      ++src_left;
      continue;
    }
    src += on_stuck(std::string_view(src, static_cast<size_t>(in_end - src)), out);
    src_left = src < stop ? static_cast<size_t>(stop - src) : 0;
  }
  in.remove_prefix(static_cast<size_t>(src - in.data()));
  return out;
}

}  // namespace

std::unique_ptr<Cp932Codec> Cp932Codec::Open(std::error_code& error) {
  errno = 0;
  auto impl = std::make_unique<Impl>();
  if (impl->decoder == kNoConverter || impl->encoder == kNoConverter) {
    error = std::error_code(errno != 0 ? errno : EINVAL, std::generic_category());
    return nullptr;
  }
  error.clear();
  return std::unique_ptr<Cp932Codec>(new Cp932Codec(std::move(impl)));
}

Cp932Codec::Cp932Codec(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Cp932Codec::~Cp932Codec() = default;

std::string Cp932Codec::Decode(std::string_view bytes) { return DecodeFront(bytes, bytes.size()); }

std::string Cp932Codec::DecodeFront(std::string_view& bytes, size_t size) {
  // Double-byte characters grow by half; ASCII stays as it is.
  const size_t expected = std::min(size, bytes.size());
  return Convert(
      impl_->decoder, bytes, expected + expected / 2,
      [](std::string_view rest, std::string& out) {
        const auto byte = static_cast<unsigned char>(rest[0]);
        AppendUtf8(out, byte < 0x80 ? byte : kRawByteBase + (byte - 0x80));
        return size_t{1};
      },
      size);
}

std::string Cp932Codec::Encode(std::string_view text) {
  // No character takes more bytes in CP932 than in UTF-8.
  return Convert(impl_->encoder, text, text.size(), [](std::string_view rest, std::string& out) {
    char32_t cp = 0;
    const size_t length = DecodeUtf8(rest, cp);
    if (length == 0) {
      out.push_back('?');
      return size_t{1};
    }
    const bool raw_byte = cp >= kRawByteBase && cp < kRawByteBase + 0x80;
    out.push_back(raw_byte ? static_cast<char>(cp - kRawByteBase + 0x80) : '?');
    return length;
  });
}

}  // namespace mirelda
