// Fuzz targets of the engine: each checks a property that must hold for every input.
#include "tests/fuzz/targets.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "convert/favourites.h"
#include "convert/thread_index.h"
#include "run/restore.h"
#include "util/cp932.h"
#include "util/forwarding_file_system.h"
#include "util/path.h"

namespace mirelda::fuzz {
namespace {

std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

void Require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "property does not hold: %s\n", property);
  std::abort();
}

// Lead bytes of the rows where CP932 gives two byte pairs the same character (NEC row 13 and
// the NEC-selected and IBM extensions): text from them encodes to the other pair.
bool HasDuplicateCodePoints(std::string_view bytes) {
  return std::any_of(bytes.begin(), bytes.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b == 0x87 || b == 0xED || b == 0xEE || (b >= 0xFA && b <= 0xFC);
  });
}

// The native file system, aborting at any change outside one folder.
class FencedFileSystem final : public ForwardingFileSystem {
 public:
  FencedFileSystem(FileSystem& inner, std::string fence)
      : ForwardingFileSystem(inner), fence_(std::move(fence)) {}

  std::error_code MakeFolder(const std::string& path) override {
    return Check(path).MakeFolder(path);
  }
  std::unique_ptr<FileWriter> StartReplacing(const std::string& path,
                                             std::error_code& error) override {
    return Check(path).StartReplacing(path, error);
  }
  std::error_code KeepCopy(const std::string& from, const std::string& to) override {
    return Check(to).KeepCopy(from, to);
  }
  std::error_code RemoveFile(const std::string& path) override {
    return Check(path).RemoveFile(path);
  }
  std::error_code RemoveFolder(const std::string& path) override {
    return Check(path).RemoveFolder(path);
  }

 private:
  FileSystem& Check(const std::string& path) {
    const std::string normal = std::filesystem::path(path).lexically_normal().string();
    Require(normal.rfind(fence_, 0) == 0, "nothing outside the Live2ch folder is changed");
    return inner();
  }

  const std::string fence_;
};

class QuietReport final : public RunReport {
  void AddLine(const std::string&) override {}
  void ShowMessage(const std::string&) override {}
};

}  // namespace

void Cp932RoundTrip(const std::uint8_t* data, std::size_t size) {
  static std::error_code error;
  static const auto codec_holder = Cp932Codec::Open();
  Cp932Codec& codec = *codec_holder;
  const std::string_view bytes = AsText(data, size);
  const std::string again = codec.Encode(codec.Decode(bytes));
  std::string parts;  // cut after one, two or three bytes, inside pairs and between them
  for (std::string_view rest = bytes; !rest.empty();) {
    parts += codec.DecodeFront(rest, rest.size() % 3 + 1);
  }
  Require(parts == codec.Decode(bytes), "decoding part by part gives the whole text");
  Require(codec.Encode(bytes).size() <= bytes.size(), "encoding never grows a text");
  // Those rows come back as their twin byte pairs, which may then pair up differently with a
  // stray byte before them; every other input must come back byte for byte.
  if (HasDuplicateCodePoints(bytes)) return;
  Require(again == bytes, "bytes survive decoding and encoding");
}

void ThreadIndex(const std::uint8_t* data, std::size_t size) {
  const std::string line = ThreadIndexLine(AsText(data, size));
  if (line.empty()) return;
  Require(std::count(line.begin(), line.end(), '\t') == 15, "exactly 15 TABs");
  Require(line.find_first_of("\r\n") == std::string::npos, "no line end");
  Require(line.rfind("10077\t", 0) == 0, "the line starts with 10077");
}

void FavouritePath(const std::uint8_t* data, std::size_t size) {
  const std::string_view path = AsText(data, size);
  const std::string url = ThreadUrl(path);
  if (!IsUsableFavouritePath(path)) return;
  Require(url.rfind("http://", 0) == 0 && url.back() == '/', "a usable path forms a URL");
  const std::string joined = JoinStoredPath("/base/", path);
  Require(joined.rfind("/base/", 0) == 0, "the path stays below the log folder");
  Require(joined.find("/../") == std::string::npos && joined.find("/./") == std::string::npos &&
              (joined.size() < 3 || joined.substr(joined.size() - 3) != "/.."),
          "no part leaves the log folder");
}

void JournalRestore(const std::uint8_t* data, std::size_t size) {
  namespace fs = std::filesystem;
  static const fs::path root =
      fs::temp_directory_path() / ("mirelda-fuzz-journal-" + std::to_string(std::rand()));
  static const std::unique_ptr<FileSystem> native = MakeNativeFileSystem();
  const std::string live2ch = (root / "l").string() + kSep;
  fs::remove_all(root);
  fs::create_directories(root / "l" / "mirelda-backup" / "20260101-000000");
  fs::create_directories(root / "k");
  std::ofstream(root / "l" / "live2ch.exe");
  std::ofstream(root / "l" / "mirelda-backup" / "20260101-000000" / "mirelda-manifest.txt",
                std::ios::binary)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  FencedFileSystem fenced(*native, live2ch);
  QuietReport report;
  RestoreRun({live2ch, ""}, report, fenced, 0);
  RestoreRun({live2ch, "20260101-000000"}, report, fenced, 0);
  fs::remove_all(root);
}

}  // namespace mirelda::fuzz
