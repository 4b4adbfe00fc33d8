// The journal of a run, kept in its backup folder: a header, then each change written before it
// happens and its outcome after, then a last line once the run has finished.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "util/file_system.h"
#include "util/held_file.h"

namespace mirelda {

/// What a journal records in place of a hash where there is no file.
inline constexpr std::string_view kNoFile = "-";

/// The kinds of run that keep a journal.
enum class RunKind { kConversion, kRestore };

/// What a journal says of its run before any change.
struct JournalHeader {
  std::uint64_t sequence = 0;  ///< runs on one Live2ch folder are ordered by it, never by time
  RunKind kind = RunKind::kConversion;
  std::string live2ch_folder;   ///< absolute, ending in the separator
  std::string katjusha_folder;  ///< absolute; no write may reach it, by a conversion or a restore
  std::string undoes;           ///< for a restore, the backup folder of the run it undoes
  std::int64_t time = 0;        ///< seconds since 1970, for people only
};

/// One change of a run. A file's content before and after is a ContentHash::Text() or kNoFile: a
/// created file has no `before`, a removed one no `after`.
struct JournalEntry {
  bool folder = false;       ///< a folder made, rather than a file changed
  bool writing = false;      ///< with `folder`: the folder of `path` may hold the run's temporaries
  std::uint64_t number = 0;  ///< its outcome line names it by this
  std::string path;          ///< relative to the Live2ch folder, with the platform separator
  std::string before = std::string(kNoFile);
  std::string after = std::string(kNoFile);
  std::string copy;  ///< where the old file is kept, relative to the backup folder; "" if nowhere
};

/// A relative path as a journal holds it: "/" between names, control bytes, '%' and TAB escaped.
/// "log/a\nb.idx" => "log/a%0Ab.idx"; on Windows "log\a" => "log/a".
std::string JournalPath(std::string_view relative);

/// The relative path with the platform separator that a journal's path stands for; nullopt
/// unless it is relative with no empty, "." or ".." name, no root, no drive and no NUL.
std::optional<std::string> SafeRelativePath(std::string_view journal_path);

/// The header as the journal's first lines.
std::string HeaderText(const JournalHeader& header);

/// Whether `name` is a backup folder's name, "YYYYMMDD-HHMMSS" maybe followed by "-N".
bool LooksLikeStamp(std::string_view name);

/// What a backup folder's journal says of its run as a whole.
struct JournalState {
  JournalHeader header;
  bool finished = false;  ///< the run got to its end; without the lock held, it was killed
  bool complete = false;  ///< it finished with every change done
};

/// Reads a journal's header and its last line; nullopt when its header is missing or broken
/// (the folders not absolute, the stamp it undoes not a stamp).
std::optional<JournalState> ReadJournalState(const std::string& path);

/// Hands every change of a journal to `take`, newest first, reading it in pieces so that a
/// journal of any size needs little memory. An entry that is broken or whose path is not safe is
/// handed as nullopt, with its text. False when the journal could not be read.
bool ForEachChangeNewestFirst(
    const std::string& path,
    const std::function<void(const std::optional<JournalEntry>&, std::string_view)>& take);

/// Whether the change numbered `number` was made.
struct JournalOutcome {
  std::uint64_t number = 0;
  bool done = false;
};

/// Writes a journal, from several threads at once: each line whole in one write, in order.
class JournalWriter {
 public:
  /// Starts the new journal `path` (as spelt on disk) with its header.
  static std::unique_ptr<JournalWriter> Start(const std::string& path, const JournalHeader& header,
                                              std::error_code& error);

  /// Appends changes before they are made, numbering them, in one write; nothing may be changed
  /// if this fails.
  std::error_code Add(std::span<JournalEntry* const> entries);
  /// Appends the outcome of a change that was added, in one write with the line that follows it:
  /// a restore goes by what the files hold, so an outcome that a kill loses costs nothing, and a
  /// write of its own would cost one call more on every file.
  void Outcome(std::span<const JournalOutcome> outcomes);
  /// Appends the last line and makes the journal durable; `complete` when no change failed.
  std::error_code Finish(bool complete);

 private:
  explicit JournalWriter(std::unique_ptr<HeldFile> file) : file_(std::move(file)) {}

  // Appends the outcomes waiting to be written, then `line`, in one write.
  std::error_code AppendWithOutcomes(std::string_view line);

  std::mutex mutex_;
  std::unique_ptr<HeldFile> file_;
  std::string outcomes_;  // outcome lines that wait for the next line
  std::uint64_t next_ = 1;
  std::error_code error_;  // the first failure to append, told by Finish
};

}  // namespace mirelda
