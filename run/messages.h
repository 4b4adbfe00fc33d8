// The program's own messages, in Japanese and in English: the command line's help and usage
// errors, the reasons of failures and the progress line. The log lines of a run are its record
// and read the same in every language; they are not here.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <system_error>

#include "util/locale.h"

namespace mirelda {

/// One message of the table in messages.cpp, which holds its Japanese and English texts in the
/// order of this list; {1}, {2}... in a text stand for what the message is given.
enum class MessageId {
  kUsage,
  kKindFavourites,
  kKindBoardButtons,
  kKindWarehouses,
  kKindNameMailLists,
  kKindMyBoard,
  kKindAllIndexes,
  kUsageOptions,  // {1} kinds off by default, {2} most jobs, {3} default jobs
  kTwoFoldersNeeded,
  kLive2chFolderNeeded,
  kTooManyArguments,
  kUnknownOption,  // {1} the option
  kUnknownKind,    // {1} the kind
  kKindMissing,
  kKindsNeedList,
  kJobsNeedNumber,  // {1} most jobs
  kLangNeedsJaOrEn,
  kRestoreTakesNoOther,
  kNoBackupToRestore,
  kNoBackupNamed,  // {1} the stamp
  kStandardOutput,
  kProgressSearching,  // {1} indexes done
  kProgressCounted,    // {1} done/total, {2} per second, {3} time left
  kReasonNoSuchFile,
  kReasonPermissionDenied,
  kReasonDiskFull,
  kReasonInUse,
  kReasonReadOnly,
  kReasonTooLarge,
  kCount,  // not a message: how many there are
};

/// The program's messages in one language.
class Messages {
 public:
  explicit Messages(Language language) : language_(language) {}

  /// The text of `id` with {1}, {2}... replaced by `args` in that order.
  /// (kUnknownKind, {"x"}) => "unknown kind 'x'".
  std::string operator()(MessageId id, std::initializer_list<std::string_view> args = {}) const;

  /// Why something failed, as the user reads it: the reasons met most in the program's own
  /// words, any other in the system's.
  std::string Reason(std::error_code error) const;

  Language language() const { return language_; }

 private:
  Language language_;
};

}  // namespace mirelda
