// Thread indexes: one Katjusha thread index file becomes one Live2ch thread index line.
#include "convert/thread_index.h"

#include <array>

namespace mirelda {
namespace {

// Where a Katjusha index keeps what Live2ch needs, as TAB-separated field numbers.
constexpr size_t kFieldCount = 18;  // at least this many, or the index is not usable
constexpr size_t kFlagField = 1;    // "112" or "96" here sets Live2ch's flag
constexpr size_t kTitleField = 3;
constexpr size_t kHostField = 4;
constexpr size_t kBoardField = 5;
constexpr size_t kKeyField = 6;
// Copied as they are, in this order, into Live2ch's fields 4 to 7.
constexpr size_t kCopiedFields[] = {10, 11, 14, 15};
constexpr size_t kLastField = 17;  // copied into Live2ch's field 9

// Every Live2ch index line starts with this field.
constexpr std::string_view kLiveIndexMark = "10077";
// The values of the flag field that Live2ch keeps as a set flag, compared exactly.
constexpr std::string_view kFlagValues[] = {"112", "96"};

// Appends a field, leaving out line-end characters: a Katjusha index may end in CR LF, but the
// Live2ch index is a single line.
void AppendField(std::string& line, std::string_view field) {
  if (field.find('\r') == std::string_view::npos && field.find('\n') == std::string_view::npos) {
    line.append(field);
    return;
  }
  size_t start = 0;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\r' || field[i] == '\n') {
      line.append(field, start, i - start);
      start = i + 1;
    }
  }
  line.append(field, start);
}

bool IsFlagged(std::string_view value) {
  for (std::string_view flagged : kFlagValues) {
    if (value == flagged) return true;
  }
  return false;
}

}  // namespace

std::string ThreadIndexLine(std::string_view katjusha_index) {
  std::array<std::string_view, kFieldCount> k;
  size_t start = 0;
  for (size_t i = 0; i < kFieldCount; ++i) {
    size_t tab = katjusha_index.find('\t', start);
    if (tab == std::string_view::npos) {
      if (i + 1 < kFieldCount) return {};
      tab = katjusha_index.size();
    }
    k[i] = katjusha_index.substr(start, tab - start);
    start = tab + 1;
  }

  std::string line;
  line.reserve(katjusha_index.size() + 64);
  line.append(kLiveIndexMark).append("\t");
  AppendField(line, k[kTitleField]);
  line += "\thttp://";
  AppendField(line, k[kHostField]);
  line += "/test/read.cgi/";
  AppendField(line, k[kBoardField]);
  line += '/';
  AppendField(line, k[kKeyField]);
  line += "/\t0\t";
  for (size_t i : kCopiedFields) {
    AppendField(line, k[i]);
    line += '\t';
  }
  line += "0\t";
  AppendField(line, k[kLastField]);
  line += IsFlagged(k[kFlagField]) ? "\t1" : "\t0";
  line += "\t0\t\t\t\t";
  return line;
}

std::string BadIndexLine(std::string_view path) {
  constexpr std::string_view kOdd = "は、なんか変です";
  std::string line;
  // Sized once, so that a giant entry is held twice at most while its line is made.
  line.reserve(path.size() + kOdd.size());
  line.append(path).append(kOdd);
  return line;
}

}  // namespace mirelda
