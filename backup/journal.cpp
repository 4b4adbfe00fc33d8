// The journal of a run, kept in its backup folder.
#include "backup/journal.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "util/path.h"

namespace mirelda {
namespace {

constexpr std::string_view kFirstLine = "mirelda-journal 2";

// A line longer than this is no line a writer made; it is read as broken and not held whole.
constexpr size_t kMaxLine = 64 * 1024;

// How many lines a piece of a journal read backwards holds.
constexpr size_t kLinesPerChunk = 4096;

bool NeedsEscape(unsigned char c) { return c < 0x20 || c == 0x7f || c == '%'; }

std::string Escape(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    if (!NeedsEscape(static_cast<unsigned char>(c))) {
      escaped.push_back(c);
      continue;
    }
    char hex[4];
    std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
    escaped += hex;
  }
  return escaped;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The text an escaped one stands for; nullopt for a broken escape or a byte that should have
// been escaped.
std::optional<std::string> Unescape(std::string_view text) {
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      if (NeedsEscape(static_cast<unsigned char>(text[i]))) return std::nullopt;
      plain.push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    plain.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return plain;
}

// Whether one name of a relative path may be used as it is.
bool IsSafeName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find('\0') == std::string_view::npos && IsNameUsedAsWritten(name);
}

bool IsAbsoluteFolder(std::string_view path) {
  for (const char c : path) {
    if (static_cast<unsigned char>(c) < 0x20) return false;
  }
  return IsRootedPath(path);
}

bool IsHashText(std::string_view text) {
  if (text == kNoFile) return true;
  const size_t colon = text.find(':');
  if (colon != 16 || colon + 1 == text.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool digit = c >= '0' && c <= '9';
    if (i < 16 ? !(digit || (c >= 'a' && c <= 'f')) : (i > 16 && !digit)) return false;
  }
  return true;
}

bool ParseNumber(std::string_view text, std::uint64_t& number) {
  const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), number);
  return status == std::errc() && end == text.data() + text.size() && !text.empty();
}

// The fields of a line between its TABs.
std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (;;) {
    const size_t tab = line.find('\t');
    fields.push_back(line.substr(0, tab));
    if (tab == std::string_view::npos) return fields;
    line.remove_prefix(tab + 1);
  }
}

const char* EntryKind(const JournalEntry& entry) {
  if (entry.folder) return entry.writing ? "writing" : "folder";
  if (entry.before == kNoFile) return "created";
  return entry.after == kNoFile ? "removed" : "replaced";
}

// A change line: "created|replaced|removed N PATH BEFORE AFTER COPY" or "folder|writing N PATH".
std::optional<JournalEntry> ParseEntry(const std::vector<std::string_view>& fields) {
  JournalEntry entry;
  entry.writing = fields[0] == "writing";
  entry.folder = entry.writing || fields[0] == "folder";
  if (fields.size() != (entry.folder ? 3u : 6u) || !ParseNumber(fields[1], entry.number)) {
    return std::nullopt;
  }
  std::optional<std::string> path = SafeRelativePath(fields[2]);
  if (!path) return std::nullopt;
  entry.path = std::move(*path);
  if (entry.folder) return entry;
  entry.before = fields[3];
  entry.after = fields[4];
  if (!IsHashText(entry.before) || !IsHashText(entry.after) || entry.before == entry.after ||
      fields[0] != EntryKind(entry)) {
    return std::nullopt;
  }
  if (!fields[5].empty()) {
    std::optional<std::string> copy = SafeRelativePath(fields[5]);
    if (!copy) return std::nullopt;
    entry.copy = std::move(*copy);
  }
  return entry;
}

bool IsBookkeeping(std::string_view kind) {
  for (const std::string_view known :
       {"sequence", "kind", "live2ch", "katjusha", "undoes", "time", "ok", "failed", "finished"}) {
    if (kind == known) return true;
  }
  return kind == kFirstLine;
}

// Takes one header line into `header`; false for a line that is not one or is broken.
bool TakeHeaderLine(const std::vector<std::string_view>& fields, JournalHeader& header) {
  if (fields.size() != 2) return false;
  const std::string_view key = fields[0], value = fields[1];
  std::uint64_t number = 0;
  if (key == "sequence") {
    // Far below the top, so that the runs after it can always be numbered.
    return ParseNumber(value, header.sequence) && header.sequence > 0 &&
           header.sequence < (std::uint64_t{1} << 62);
  }
  if (key == "kind") {
    header.kind = value == "restore" ? RunKind::kRestore : RunKind::kConversion;
    return value == "restore" || value == "conversion";
  }
  if (key == "time") {
    const bool read = ParseNumber(value, number);
    header.time = static_cast<std::int64_t>(number);
    return read;
  }
  if (key == "undoes") {
    header.undoes = value;
    return LooksLikeStamp(value);
  }
  if (key != "live2ch" && key != "katjusha") return false;
  const std::optional<std::string> folder = Unescape(value);
  if (!folder || !IsAbsoluteFolder(*folder)) return false;
  (key == "live2ch" ? header.live2ch_folder : header.katjusha_folder) = *folder;
  return true;
}

// Hands each whole line of the file from byte `from` to `take` with the offset it starts at,
// until `to` or until `take` returns false. A line without its line feed is not whole.
bool ForEachLine(const std::string& path, std::uint64_t from, std::uint64_t to,
                 const std::function<bool(std::string_view, std::uint64_t)>& take,
                 std::uint64_t* size = nullptr) {
  std::string carry;
  bool overlong = false;
  std::uint64_t start = from, at = from;
  const std::error_code error = ReadPieces(
      path, from,
      [&](std::string_view piece) {
        while (!piece.empty()) {
          if (at >= to) return false;
          const size_t feed = piece.find('\n');
          const std::string_view part = piece.substr(0, feed);
          if (carry.size() + part.size() > kMaxLine) {
            overlong = true;
          } else if (!overlong) {
            carry += part;
          }
          at += part.size();
          if (feed == std::string_view::npos) return true;
          ++at;
          piece.remove_prefix(feed + 1);
          // An overlong line is handed cut, so that it reads as the broken line it is.
          if (!take(carry, start)) return false;
          carry.clear();
          overlong = false;
          start = at;
        }
        return true;
      },
      size);
  return !error;
}

}  // namespace

std::string JournalPath(std::string_view relative) {
  std::string path(relative);
  std::replace(path.begin(), path.end(), kSep, '/');
  return Escape(path);
}

std::optional<std::string> SafeRelativePath(std::string_view journal_path) {
  std::optional<std::string> path = Unescape(journal_path);
  if (!path) return std::nullopt;
  std::string_view rest = *path;
  for (;;) {
    const size_t slash = rest.find('/');
    if (!IsSafeName(rest.substr(0, slash))) return std::nullopt;
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  for (char& c : *path) {
    if (c == '/') c = kSep;
  }
  return path;
}

std::string HeaderText(const JournalHeader& header) {
  std::string text(kFirstLine);
  text += "\nsequence\t" + std::to_string(header.sequence);
  text += header.kind == RunKind::kRestore ? "\nkind\trestore" : "\nkind\tconversion";
  text += "\nlive2ch\t" + Escape(header.live2ch_folder);
  text += "\nkatjusha\t" + Escape(header.katjusha_folder);
  if (header.kind == RunKind::kRestore) text += "\nundoes\t" + header.undoes;
  text += "\ntime\t" + std::to_string(header.time) + "\n";
  return text;
}

bool LooksLikeStamp(std::string_view name) {
  if (name.size() < 15 || name[8] != '-') return false;
  for (size_t i = 0; i < 15; ++i) {
    if (i != 8 && (name[i] < '0' || name[i] > '9')) return false;
  }
  if (name.size() == 15) return true;
  if (name[15] != '-' || name.size() == 16 || name.size() > 20) return false;
  for (size_t i = 16; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
  }
  return true;
}

std::optional<JournalState> ReadJournalState(const std::string& path) {
  JournalState state;
  bool first = true, broken = false, has_katjusha = false, has_live2ch = false;
  std::uint64_t size = 0;
  std::string last;
  const bool read = ForEachLine(
      path, 0, UINT64_MAX,
      [&](std::string_view line, std::uint64_t) {
        if (first) {
          first = false;
          broken = line != kFirstLine;
          return !broken;
        }
        const std::vector<std::string_view> fields = Fields(line);
        const std::string_view key = fields[0];
        if (key != "sequence" && key != "kind" && key != "live2ch" && key != "katjusha" &&
            key != "undoes" && key != "time") {
          return false;
        }
        has_katjusha |= key == "katjusha";
        has_live2ch |= key == "live2ch";
        broken = !TakeHeaderLine(fields, state.header);
        return !broken;
      },
      &size);
  const JournalHeader& header = state.header;
  if (!read || first || broken || header.sequence == 0 || !has_katjusha || !has_live2ch ||
      (header.kind == RunKind::kRestore) == header.undoes.empty()) {
    return std::nullopt;
  }
  // The last line tells whether the run finished.
  ForEachLine(path, size > 64 ? size - 64 : 0, UINT64_MAX,
              [&](std::string_view line, std::uint64_t) {
                last = line;
                return true;
              });
  state.finished = last.rfind("finished\t", 0) == 0;
  state.complete = last == "finished\tcomplete";
  return state;
}

bool ForEachChangeNewestFirst(
    const std::string& path,
    const std::function<void(const std::optional<JournalEntry>&, std::string_view)>& take) {
  std::vector<std::uint64_t> chunks;
  size_t lines = 0;
  std::uint64_t size = 0;
  if (!ForEachLine(
          path, 0, UINT64_MAX,
          [&](std::string_view, std::uint64_t start) {
            if (lines++ % kLinesPerChunk == 0) chunks.push_back(start);
            return true;
          },
          &size)) {
    return false;
  }
  std::vector<std::string> chunk;
  for (size_t i = chunks.size(); i-- > 0;) {
    chunk.clear();
    const std::uint64_t end = i + 1 < chunks.size() ? chunks[i + 1] : size;
    ForEachLine(path, chunks[i], end, [&](std::string_view line, std::uint64_t) {
      chunk.emplace_back(line);
      return true;
    });
    for (auto line = chunk.rbegin(); line != chunk.rend(); ++line) {
      const std::vector<std::string_view> fields = Fields(*line);
      if (IsBookkeeping(fields[0])) continue;
      take(ParseEntry(fields), *line);
    }
  }
  return true;
}

std::unique_ptr<JournalWriter> JournalWriter::Start(const std::string& path,
                                                    const JournalHeader& header,
                                                    std::error_code& error) {
  std::unique_ptr<HeldFile> file = StartAppending(path, error);
  if (!file) return nullptr;
  if ((error = file->Append(HeaderText(header)))) return nullptr;
  return std::unique_ptr<JournalWriter>(new JournalWriter(std::move(file)));
}

std::error_code JournalWriter::Add(std::span<JournalEntry* const> entries) {
  const std::lock_guard lock(mutex_);
  std::string lines;
  for (JournalEntry* entry : entries) {
    entry->number = next_++;
    lines.append(EntryKind(*entry));
    lines.append("\t").append(std::to_string(entry->number));
    lines.append("\t").append(JournalPath(entry->path));
    if (!entry->folder) {
      lines.append("\t").append(entry->before).append("\t").append(entry->after).append("\t");
      if (!entry->copy.empty()) lines.append(JournalPath(entry->copy));
    }
    lines.push_back('\n');
  }
  const std::error_code error = AppendWithOutcomes(lines);
  if (error && !error_) error_ = error;
  return error;
}

void JournalWriter::Outcome(std::span<const JournalOutcome> outcomes) {
  const std::lock_guard lock(mutex_);
  for (const JournalOutcome& outcome : outcomes) {
    outcomes_.append(outcome.done ? "ok\t" : "failed\t");
    outcomes_.append(std::to_string(outcome.number)).push_back('\n');
  }
}

std::error_code JournalWriter::Finish(bool complete) {
  const std::lock_guard lock(mutex_);
  if (error_) return error_;
  if (const std::error_code error =
          AppendWithOutcomes(complete ? "finished\tcomplete\n" : "finished\tincomplete\n")) {
    return error;
  }
  return file_->Sync();
}

std::error_code JournalWriter::AppendWithOutcomes(std::string_view line) {
  if (outcomes_.empty()) return file_->Append(line);
  outcomes_.append(line);
  const std::error_code error = file_->Append(outcomes_);
  outcomes_.clear();
  return error;
}

}  // namespace mirelda
