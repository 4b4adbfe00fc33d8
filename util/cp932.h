// The Shift-JIS (code page 932) codec of every data file, whatever the machine's locale.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace mirelda {

/// Converts file contents between code page 932 (Windows' mapping: 0x81 0x60 is U+FF5E) and
/// UTF-8 texts, losslessly: a byte that is not valid CP932 decodes to U+F780 + (byte - 0x80),
/// a private-use character that CP932 never produces, and encodes back to that byte. So writing
/// a decoded text gives the original bytes, apart from CP932's own duplicate code points.
/// A character that CP932 cannot represent is written as '?'. Every platform gives the same texts,
/// from the table the program carries, in time linear in the input whatever its bytes.
/// Open one codec and keep it: setting it up builds the table of what each character is written as.
class Cp932Codec {
 public:
  /// A ready codec: the table is the program's own, so there is nothing to fail.
  static std::unique_ptr<Cp932Codec> Open();
  ~Cp932Codec();
  Cp932Codec(const Cp932Codec&) = delete;
  Cp932Codec& operator=(const Cp932Codec&) = delete;

  /// CP932 bytes => UTF-8 text. "\x94\xC2" => "板".
  std::string Decode(std::string_view bytes);

  /// Decodes the characters that start in the first `size` bytes (at least one) and takes them off
  /// `bytes`: so a giant text can be decoded a part at a time, and the parts, one after another,
  /// are what Decode gives for it whole. ("\x94\xC2\x94\xC2", 1) => "板", leaving "\x94\xC2".
  std::string DecodeFront(std::string_view& bytes, std::size_t size);

  /// UTF-8 text => CP932 bytes. "板" => "\x94\xC2".
  std::string Encode(std::string_view text);

 private:
  struct Impl;
  explicit Cp932Codec(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

/// First code point of the characters that stand for bytes which are not valid CP932.
inline constexpr char32_t kRawByteBase = 0xF780;

}  // namespace mirelda
