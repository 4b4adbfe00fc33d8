// The code page 932 codec on POSIX, through iconv.
#include "util/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

#include "util/utf8.h"

namespace mirelda {

struct Cp932Codec::Impl {
  iconv_t decoder;
  iconv_t encoder;
};

namespace {

iconv_t OpenConverter(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
  }
  return cd;
}

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
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2 + 16);
      continue;
    }
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

Cp932Codec::Cp932Codec() : impl_(new Impl{OpenConverter("UTF-8", "CP932"), nullptr}) {
  try {
    impl_->encoder = OpenConverter("CP932", "UTF-8");
  } catch (...) {
    iconv_close(impl_->decoder);
    delete impl_;
    throw;
  }
}

Cp932Codec::~Cp932Codec() {
  iconv_close(impl_->decoder);
  iconv_close(impl_->encoder);
  delete impl_;
}

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
