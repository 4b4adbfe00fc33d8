// Thread indexes: one Katjusha thread index file becomes one Live2ch thread index line.
#include "convert/thread_index.h"

#include <array>

namespace mirelda {
namespace {

constexpr size_t kKatjuFields = 18;

// Appends a field, leaving out line-end characters: a Katjusha index may end in CR LF, but the
// Live2ch index is a single line.
void AppendField(std::string& line, std::string_view field) {
  size_t start = 0;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\r' || field[i] == '\n') {
      line.append(field, start, i - start);
      start = i + 1;
    }
  }
  line.append(field, start);
}

}  // namespace

std::string KatjuIdx2LiveIdx(std::string_view katju_index) {
  std::array<std::string_view, kKatjuFields> k;
  size_t start = 0;
  for (size_t i = 0; i < kKatjuFields; ++i) {
    size_t tab = katju_index.find('\t', start);
    if (tab == std::string_view::npos) {
      if (i + 1 < kKatjuFields) return {};
      tab = katju_index.size();
    }
    k[i] = katju_index.substr(start, tab - start);
    start = tab + 1;
  }
  const bool flag = k[1] == "112" || k[1] == "96";

  std::string line;
  line.reserve(katju_index.size() + 64);
  line += "10077\t";
  AppendField(line, k[3]);
  line += "\thttp://";
  AppendField(line, k[4]);
  line += "/test/read.cgi/";
  AppendField(line, k[5]);
  line += '/';
  AppendField(line, k[6]);
  line += "/\t0\t";
  for (size_t i : {10, 11, 14, 15}) {
    AppendField(line, k[i]);
    line += '\t';
  }
  line += "0\t";
  AppendField(line, k[17]);
  line += flag ? "\t1" : "\t0";
  line += "\t0\t\t\t\t";
  return line;
}

std::string BadIndexLine(std::string_view path) { return std::string(path) + "は、なんか変です"; }

bool ConvertThreadIndex(Context& cx, const std::string& from, const std::string& to) {
  // The conversion looks only at TAB, CR and LF, which code page 932 never uses inside a
  // double-byte character, and adds only ASCII: so it works on the file's bytes as they are,
  // with nothing to decode or encode, and every byte it copies is copied exactly.
  std::string bytes;
  cx.files().ReadFileBytes(from, bytes);
  const std::string line = KatjuIdx2LiveIdx(bytes);
  if (line.empty()) return false;
  cx.WriteBytes(to, line);
  return true;
}

}  // namespace mirelda
