// The code page 932 codec on POSIX, through iconv.
#include "util/cp932.h"

#include <iconv.h>

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

// Runs iconv over the whole input; `on_stuck` is called at each position that iconv rejects,
// appends what stands for the input there and returns how many input bytes that consumed.
template <typename OnStuck>
std::string Convert(iconv_t cd, std::string_view in, size_t max_out, OnStuck on_stuck) {
  std::string out(max_out, '\0');
  size_t used = 0;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  auto* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  while (src_left > 0) {
    char* dst = out.data() + used;
    size_t dst_left = out.size() - used;
    const size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    used = out.size() - dst_left;
    // The output is sized for the worst case, so iconv stops only where the input is stuck.
    if (r != static_cast<size_t>(-1)) break;
    out.resize(used);
    const size_t consumed = on_stuck(std::string_view(src, src_left), out);
    src += consumed;
    src_left -= consumed;
    used = out.size();
    out.resize(used + src_left * 3 + 16);
  }
  out.resize(used);
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

std::string Cp932Codec::Decode(std::string_view bytes) {
  // Every CP932 byte gives at most three UTF-8 bytes.
  return Convert(impl_->decoder, bytes, bytes.size() * 3,
                 [](std::string_view rest, std::string& out) {
                   const auto byte = static_cast<unsigned char>(rest[0]);
                   AppendUtf8(out, byte < 0x80 ? byte : kRawByteBase + (byte - 0x80));
                   return size_t{1};
                 });
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
