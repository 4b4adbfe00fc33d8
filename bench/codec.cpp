// Times the code page 932 codec on three inputs that each stress it differently and prints MB/s
// of CP932 bytes for decoding and encoding: the core of bench/codec.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "util/cp932.h"

namespace {

// The part the converters decode a giant line in, so that the codec is timed as they use it.
constexpr std::size_t kPart = 64 * 1024;
constexpr double kTargetMbPerSecond = 50;

struct Input {
  const char* name;
  std::string bytes;
};

// Random bytes with no line feed: a damaged list that is one giant line.
std::string RandomLine(std::size_t size, std::mt19937& random) {
  std::string bytes(size, '\0');
  for (char& c : bytes) {
    c = static_cast<char>(random() % 256);
    if (c == '\n') c = '\xFF';
  }
  return bytes;
}

// Kanji of the rows that are full (lead bytes 0x89 to 0x97), so that every pair is valid.
std::string DoubleByteText(std::size_t size, std::mt19937& random) {
  std::string bytes;
  bytes.reserve(size);
  while (bytes.size() + 2 <= size) {
    bytes.push_back(static_cast<char>(0x89 + random() % 15));
    const unsigned trail = 0x40 + random() % 188;
    bytes.push_back(static_cast<char>(trail < 0x7F ? trail : trail + 1));
  }
  return bytes;
}

// Bytes that CP932 never uses, each one of them kept raw.
std::string InvalidBytes(std::size_t size, std::mt19937& random) {
  constexpr char kInvalid[] = {'\x80', '\xA0', '\xFD', '\xFE', '\xFF'};
  std::string bytes(size, '\0');
  for (char& c : bytes) c = kInvalid[random() % sizeof kInvalid];
  return bytes;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Decodes the input a part at a time and encodes each part's text back at once, as the converters
// do. Every byte, raw or in a character, comes back as many bytes (duplicates only change which
// pair), so a length that differs means that the figures are of a codec that loses bytes.
bool TimeRound(mirelda::Cp932Codec& codec, const std::string& bytes, double& decode_s,
               double& encode_s) {
  std::size_t encoded = 0;
  for (std::string_view rest = bytes; !rest.empty();) {
    const auto start = std::chrono::steady_clock::now();
    const std::string text = codec.DecodeFront(rest, kPart);
    const auto decoded = std::chrono::steady_clock::now();
    encoded += codec.Encode(text).size();
    encode_s += Seconds(decoded);
    decode_s += std::chrono::duration<double>(decoded - start).count();
  }
  return encoded == bytes.size();
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  if (argc > 3 || mib == 0 || rounds < 1) {
    std::fprintf(stderr, "usage: %s [MIB] [ROUNDS]\n", argv[0]);
    return 2;
  }
  const auto codec = mirelda::Cp932Codec::Open();
  std::mt19937 random(932);
  const std::size_t size = mib << 20;
  const Input inputs[] = {{"random bytes in one line", RandomLine(size, random)},
                          {"valid double-byte text", DoubleByteText(size, random)},
                          {"bytes that are each invalid", InvalidBytes(size, random)}};
  bool ok = true;
  for (const Input& input : inputs) {
    std::vector<double> decode, encode;
    for (int round = 0; round < rounds; ++round) {
      double decode_s = 0, encode_s = 0;
      if (!TimeRound(*codec, input.bytes, decode_s, encode_s)) {
        std::printf("%s: the round trip changed the length\n", input.name);
        ok = false;
      }
      decode.push_back(static_cast<double>(input.bytes.size()) / 1e6 / decode_s);
      encode.push_back(static_cast<double>(input.bytes.size()) / 1e6 / encode_s);
    }
    const double decode_mbs = Median(decode), encode_mbs = Median(encode);
    std::printf("%zu MiB of %s: decode %.3g MB/s, encode %.3g MB/s\n", mib, input.name, decode_mbs,
                encode_mbs);
    std::fflush(stdout);
    ok = ok && std::min(decode_mbs, encode_mbs) >= kTargetMbPerSecond;
  }
  std::printf("target: at least %.0f MB/s each way on every input\n", kTargetMbPerSecond);
  return ok ? 0 : 1;
}
