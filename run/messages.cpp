// The table of the program's own messages, and the failure reasons that it words itself.
#include "run/messages.h"

#include <iterator>

namespace mirelda {
namespace {

struct MessageRow {
  MessageId id;
  std::string_view japanese;
  std::string_view english;
};

// One row a message, in the order of MessageId.
constexpr MessageRow kMessageTable[] = {
    {MessageId::kUsage,
     "使い方: mirelda-cli [--kinds 種類] [--jobs N] [--dry-run] [--no-backup]\n"
     "                    かちゅ～しゃのフォルダ Live2chのフォルダ\n"
     "        mirelda-cli --restore Live2chのフォルダ [日時]\n"
     "        mirelda-cli --find\n"
     "        mirelda-cli --help | --version\n"
     "\n"
     "2ちゃんねるブラウザ「かちゅ～しゃ」のデータを、Live2chのファイルに変換します。\n"
     "かちゅ～しゃのファイルは読むだけです。中身が変わるLive2chのファイルは、先に\n"
     "Live2chのフォルダ/mirelda-backup/日時/ に保存します（日時は変換を始めた時刻）。\n"
     "\n"
     "  --kinds 種類  変換するもの。次の名前をコンマで区切って並べます:\n",
     "usage: mirelda-cli [--kinds LIST] [--jobs N] [--dry-run] [--no-backup]\n"
     "                   KATJUSHA_FOLDER LIVE2CH_FOLDER\n"
     "       mirelda-cli --restore LIVE2CH_FOLDER [STAMP]\n"
     "       mirelda-cli --find\n"
     "       mirelda-cli --help | --version\n"
     "\n"
     "Converts the data of the 2ch browser Katjusha into the files of Live2ch.\n"
     "Katjusha's files are only read. A Live2ch file that would change is first kept\n"
     "in LIVE2CH_FOLDER/mirelda-backup/STAMP/, STAMP being the run's start time.\n"
     "\n"
     "  --kinds LIST  what to convert, a comma-separated list of:\n"},
    {MessageId::kKindFavourites, "お気に入り（favorite.idx => favorite.ftd）",
     "favourites (favorite.idx => favorite.ftd)"},
    {MessageId::kKindBoardButtons, "板ボタン（favboard.idx => favboard.fbd）",
     "board buttons (favboard.idx => favboard.fbd)"},
    {MessageId::kKindWarehouses, "スレッド倉庫（*.idx => ftd/*.ftd）",
     "thread warehouses (*.idx => ftd/*.ftd)"},
    {MessageId::kKindNameMailLists, "名前、メールリスト（namelist.txt、maillist.txt）",
     "name and mail lists (namelist.txt, maillist.txt)"},
    {MessageId::kKindMyBoard, "外部板の一覧（other.brd => myboard.brd）",
     "external board list (other.brd => myboard.brd)"},
    {MessageId::kKindAllIndexes, "logフォルダの下のすべてのidx",
     "every thread index of the log tree"},
    {MessageId::kUsageOptions,
     "                指定しなければ{1}以外のすべて。空の一覧なら何も変換しません\n"
     "  --jobs N      一度に変換するスレッドのidxの数、1から{2}まで（指定しなければ{3}）。\n"
     "                1なら一つずつ順に変換します\n"
     "  --dry-run     変換してログを出しますが、何も書き込みません\n"
     "  --no-backup   Live2chのファイルを、保存せずに置き換えます\n"
     "  --restore     まだ元に戻していない最後の変換か、日時の変換を元に戻します\n"
     "  --find        かちゅ～しゃとLive2chをよくインストールされる場所から探し、見つかった\n"
     "                フォルダを「katjusha<TAB>パス」「live2ch<TAB>パス」と一行ずつ表示します\n"
     "  --lang ja|en  このメッセージの言語（ログはいつも日本語です）。指定しなければ、\n"
     "                ロケールが日本語なら日本語、ほかは英語\n"
     "\n"
     "フォルダは \"\" で囲んでも、プログラムのパスでも、（Linuxでは）~/パス でもかまいません。\n"
     "\n"
     "終了コード: 0 変換完了（--findは見つからなくても0）、1 かちゅ～しゃかLive2chが\n"
     "見つからないか、Live2chが起動している（元に戻すときはそのバックアップがない）、\n"
     "2 コマンドラインの誤り、3 変換は最後まで行ったが、\n"
     "読み書きできなかったファイルか読めなかったフォルダがある、またはログを書けなかった\n",
     "                default: every kind but {1}; an empty LIST converts nothing\n"
     "  --jobs N      how many thread indexes to convert at once, 1 to {2} (default {3});\n"
     "                1 converts them one after another\n"
     "  --dry-run     convert and log everything, but write nothing\n"
     "  --no-backup   replace Live2ch's files without keeping them first\n"
     "  --restore     undo the latest conversion not undone yet, or the one of STAMP\n"
     "  --find        look for Katjusha and Live2ch where they are usually installed\n"
     "                and print each folder found as 'katjusha<TAB>PATH' or\n"
     "                'live2ch<TAB>PATH'\n"
     "  --lang ja|en  the language of these messages (the log is always Japanese);\n"
     "                by default Japanese where the locale is, else English\n"
     "\n"
     "Folders may be given in quotes, as a program's path, or (on Linux) as ~/PATH.\n"
     "\n"
     "Exit status: 0 done (with --find also when nothing is found), 1 a program was\n"
     "not found or Live2ch is running (or, restoring, no such backup), 2 usage error,\n"
     "3 done, but some file could not be written or read, some folder not read, or\n"
     "the log not written.\n"},
    {MessageId::kTwoFoldersNeeded, "かちゅ～しゃのフォルダとLive2chのフォルダを指定してください",
     "two folders are needed"},
    {MessageId::kLive2chFolderNeeded, "Live2chのフォルダを指定してください",
     "a Live2ch folder is needed"},
    {MessageId::kTooManyArguments, "引数が多すぎます", "too many arguments"},
    {MessageId::kUnknownOption, "'{1}'というオプションはありません", "unknown option '{1}'"},
    {MessageId::kUnknownKind, "'{1}'という種類はありません", "unknown kind '{1}'"},
    {MessageId::kKindMissing, "最後の','の後に種類がありません",
     "a kind is missing after the last ','"},
    {MessageId::kKindsNeedList, "--kindsの後に種類を指定してください", "--kinds needs a list"},
    {MessageId::kJobsNeedNumber, "--jobsには1から{1}までの数を指定してください",
     "--jobs needs a number from 1 to {1}"},
    {MessageId::kLangNeedsJaOrEn, "--langにはjaかenを指定してください", "--lang needs ja or en"},
    {MessageId::kRestoreTakesNoOther, "--restoreはほかのオプションと一緒に指定できません",
     "--restore takes no other option"},
    {MessageId::kNoBackupToRestore, "元に戻すバックアップがありません", "no backup to restore"},
    {MessageId::kNoBackupNamed, "{1}という名前のバックアップはありません", "no backup named {1}"},
    {MessageId::kStandardOutput, "標準出力", "standard output"},
    {MessageId::kProgressSearching, "{1}件", "{1} indexes"},
    {MessageId::kProgressCounted, "{1}件　{2}件/秒　残り{3}", "{1} indexes, {2}/s, {3} left"},
    {MessageId::kReasonNoSuchFile, "ファイルまたはフォルダがありません",
     "No such file or directory"},
    {MessageId::kReasonPermissionDenied, "アクセスが許可されていません", "Permission denied"},
    {MessageId::kReasonDiskFull, "ディスクの空きが足りません", "No space left on device"},
    {MessageId::kReasonInUse, "ほかのプログラムが使用中です", "In use by another program"},
    {MessageId::kReasonReadOnly, "読み取り専用のドライブです", "Read-only file system"},
    {MessageId::kReasonTooLarge, "ファイルが大きすぎます", "File too large"},
};

constexpr bool HasPlaceholder(std::string_view text, char digit) {
  const char placeholder[] = {'{', digit, '}'};
  return text.find(std::string_view(placeholder, 3)) != std::string_view::npos;
}

// Each message in its place, with both texts, which take the same things.
constexpr bool EveryMessageHasBothTexts() {
  if (std::size(kMessageTable) != static_cast<std::size_t>(MessageId::kCount)) return false;
  for (std::size_t i = 0; i < std::size(kMessageTable); ++i) {
    const MessageRow& row = kMessageTable[i];
    if (static_cast<std::size_t>(row.id) != i || row.japanese.empty() || row.english.empty()) {
      return false;
    }
    for (char digit = '1'; digit <= '9'; ++digit) {
      if (HasPlaceholder(row.japanese, digit) != HasPlaceholder(row.english, digit)) return false;
    }
  }
  return true;
}
static_assert(EveryMessageHasBothTexts(),
              "each MessageId needs its row, in order, with a Japanese and an English text that "
              "take the same {n}");

// The reasons met most, which read the same on every platform.
struct ReasonRow {
  std::errc condition;
  MessageId message;
};
constexpr ReasonRow kReasonTable[] = {
    {std::errc::no_such_file_or_directory, MessageId::kReasonNoSuchFile},
    {std::errc::permission_denied, MessageId::kReasonPermissionDenied},
    {std::errc::no_space_on_device, MessageId::kReasonDiskFull},
    {std::errc::device_or_resource_busy, MessageId::kReasonInUse},
    {std::errc::read_only_file_system, MessageId::kReasonReadOnly},
    {std::errc::file_too_large, MessageId::kReasonTooLarge},
};

}  // namespace

std::string Messages::operator()(MessageId id, std::initializer_list<std::string_view> args) const {
  const MessageRow& row = kMessageTable[static_cast<std::size_t>(id)];
  const std::string_view text = language_ == Language::kJapanese ? row.japanese : row.english;
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::size_t arg = i + 2 < text.size() && text[i] == '{' && text[i + 2] == '}'
                                ? static_cast<std::size_t>(text[i + 1] - '1')
                                : args.size();
    if (arg < args.size()) {
      result += args.begin()[arg];
      i += 2;
    } else {
      result += text[i];
    }
  }
  return result;
}

std::string Messages::Reason(std::error_code error) const {
  for (const ReasonRow& row : kReasonTable) {
    if (error == row.condition) return (*this)(row.message);
  }
  return SystemErrorText(error, language_);
}

}  // namespace mirelda
