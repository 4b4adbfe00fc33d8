// mirelda-cli end to end: arguments, exit statuses, output streams, and the files of a run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <tuple>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "app/cli/options.h"
#include "tests/test_support.h"

namespace mirelda {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;

class CliTest : public ::testing::Test {
 protected:
  // The files of the Live2ch folder "L" but for the backups, whose kept files go to `backups`.
  test::Files Live2chFiles(test::Files* backups = nullptr) const {
    test::Files files = test::Snapshot(dir_.Path("L"));
    for (auto it = files.begin(); it != files.end();) {
      if (it->first.rfind("mirelda-backup/", 0) != 0) {
        ++it;
        continue;
      }
      if (backups && it->first.find("mirelda-manifest") == std::string::npos &&
          it->first != "mirelda-backup/mirelda-lock") {
        backups->insert(*it);
      }
      it = files.erase(it);
    }
    return files;
  }

  CliTest() {
#ifndef _WIN32
    setenv("LC_ALL", "C", 1);  // the English messages, unless a test asks for others
#endif
    fs::copy(MIRELDA_EXAMPLES "/katjusha", dir_.Path("K"), fs::copy_options::recursive);
    fs::copy(MIRELDA_EXAMPLES "/live2ch", dir_.Path("L"), fs::copy_options::recursive);
  }

  // Runs mirelda-cli in the test's folder, after the shell command `before`, with the arguments
  // (each quoted) and the shell's redirections `streams`; returns its exit status.
  int Cli(const std::vector<std::string>& args, const std::string& streams = ">out 2>err",
          const std::string& before = "") {
#ifdef _WIN32
    std::string command = "cd /d \"";
#else
    std::string command = "cd \"";
#endif
    command += dir_.Path() + "\" && " + before + "\"" MIRELDA_CLI_PATH "\"";
    for (const auto& arg : args) command += " \"" + arg + "\"";
    command += " " + streams;
#ifdef _WIN32
    command = "\"" + command + "\"";  // cmd.exe strips one pair of quotes around the whole line
    return std::system(command.c_str());
#else
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  }
  std::string Out() { return ReadBytes(dir_.Path("out")); }
  std::string Err() { return ReadBytes(dir_.Path("err")); }

  test::TempDir dir_;
};

TEST_F(CliTest, UsageErrorsSayWhatIsWrongAndDoNothing) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"only-one"}, "two folders are needed"},
      {{"a", "b", "c"}, "too many arguments"},
      {{"--kinds", "fav,bogus", "a", "b"}, "unknown kind 'bogus'"},
      {{"--kinds=fav,", "a", "b"}, "a kind is missing after the last ','"},
      {{"--frobnicate"}, "unknown option '--frobnicate'"},
      {{"--kinds"}, "--kinds needs a list"},
      {{"--jobs=0", "a", "b"}, "--jobs needs a number from 1 to 64"},
      {{"L", "--restore", "--no-backup"}, "--restore takes no other option"},
      {{"--restore"}, "a Live2ch folder is needed"},
      {{"--restore", "L", "S", "x"}, "too many arguments"}};
  for (const auto& [args, reason] : cases) {
    EXPECT_EQ(Cli(args), 2);
    EXPECT_EQ(Err().rfind("mirelda-cli: " + reason + "\nusage: mirelda-cli", 0), 0u) << reason;
    EXPECT_EQ(Out(), "");
  }
}

#ifndef _WIN32
TEST_F(CliTest, FindPrintsTheProgramsFoldersInTheWinePrefixAndHomeAndFindingNoneIsNoFailure) {
  const std::string x86 = dir_.Path("h/.wine/drive_c/Program Files (x86)/");
  test::WriteBytes(x86 + "Katjusha/KATJUSHA.EXE", "");
  test::WriteBytes(x86 + "Live2ch/live2ch.exe", "");
  test::WriteBytes(dir_.Path("h/apps/k2/Katjusha.exe"), "");
  EXPECT_EQ(Cli({"--find"}, ">out 2>err", "HOME='" + dir_.Path("h") + "' WINEPREFIX= "), 0);
  EXPECT_EQ(Out(), "katjusha\t" + x86 + "Katjusha\nkatjusha\t" + dir_.Path("h/apps/k2") +
                       "\nlive2ch\t" + x86 + "Live2ch\n");
  EXPECT_EQ(Cli({"--find"}, ">out 2>err", "HOME='" + dir_.Path("none") + "' WINEPREFIX= "), 0);
  EXPECT_EQ(Out() + Err(), "");
}
#endif

TEST_F(CliTest, HelpAndMessagesSpeakTheLanguageOfTheLocaleUnlessLangSaysOtherwise) {
  const std::string usage_ja = "\n使い方: mirelda-cli [--kinds 種類]";
  const std::string usage_en = "\nusage: mirelda-cli [--kinds LIST]";
  // The locale as the shell sets it; Windows asks for the user's UI language instead.
  const std::tuple<std::string, std::vector<std::string>, int, std::string> cases[] = {
      {"LANG=ja_JP.UTF-8", {"--help"}, 0, "allidx    logフォルダの下のすべてのidx\n"},
      {"LANG=C", {"-h"}, 0, "allidx    every thread index of the log tree\n"},
      {"LC_MESSAGES=ja_JP.UTF-8",
       {"--kinds=x", "K", "L"},
       2,
       "mirelda-cli: 'x'という種類はありません" + usage_ja},
      {"LANG=C",
       {"--lang=ja", "only-one"},
       2,
       "mirelda-cli: かちゅ～しゃのフォルダとLive2chのフォルダを指定してください" + usage_ja},
      {"LANG=ja_JP.UTF-8",
       {"x", "--lang", "de"},
       2,
       "mirelda-cli: --langにはjaかenを指定してください" + usage_ja},
      {"LANG=ja_JP.UTF-8",
       {"--restore", "L", "--lang", "en"},
       1,
       "mirelda-cli: " + test::P("L/mirelda-backup/") + ": no backup to restore\n"},
      {"LANG=C",
       {"--lang", "en", "--bogus"},
       2,
       "mirelda-cli: unknown option '--bogus'" + usage_en},
  };
  for (const auto& [locale, args, status, expected] : cases) {
#ifdef _WIN32
    if (locale.find("ja") != std::string::npos) continue;
    const std::string before;
#else
    const std::string before = "env -u LC_ALL -u LC_MESSAGES -u LANG " + locale + " ";
#endif
    EXPECT_EQ(Cli(args, ">out 2>err", before), status) << locale;
    if (status == 0) {
      EXPECT_NE(Out().find(expected), std::string::npos) << locale;
      EXPECT_NE(Out().find("かちゅ～しゃのファイルは読み込むだけですので"), std::string::npos);
    } else {
      EXPECT_EQ(Err().rfind(expected, 0), 0u) << Err();
    }
  }
}

TEST_F(CliTest, VersionTellsTheVersionAndAMissingProgramOrBackupExitsOne) {
  EXPECT_EQ(Cli({"--version"}), 0);
  EXPECT_EQ(Out(), "mirelda-cli 1.00\n");
  EXPECT_EQ(Cli({"L", "L"}), 1);
  EXPECT_EQ(Err(),
            "かちゅ～しゃが見つかりません\n（" + test::P("L/") + "にKatjusha.exeがありません）\n");
  EXPECT_EQ(Out(), "");
  EXPECT_EQ(Cli({"--restore", "L"}), 1);
  EXPECT_EQ(Err(), "mirelda-cli: " + test::P("L/mirelda-backup/") + ": no backup to restore\n");
}

#ifndef _WIN32  // the log names Katjusha's files with the platform separator
// The known output, with the files it replaced kept aside, and a restore that gives back the
// Live2ch folder as it was, files the run made included.
TEST_F(CliTest, TheSampleConvertsToExactlyTheKnownFilesAndLogAndRestoresWhole) {
  EXPECT_EQ(Cli({"--kinds", "allidx,fav,brd,ftd,namemail,myboard", "K", "L"}), 0);
  const std::string stamp = Out().substr(Out().find("mirelda-backup/") + 15, 15);
  EXPECT_EQ(std::regex_replace(Out(), std::regex(stamp), "STAMP"),
            ReadBytes(MIRELDA_TEST_DATA "/sample.log"));
  EXPECT_EQ(Err(), "すべて変換終了\n");
  const test::Files before = test::Snapshot(MIRELDA_EXAMPLES "/live2ch");
  const test::Files after = test::Snapshot(MIRELDA_TEST_DATA "/sample-live2ch");
  test::Files kept;
  for (const auto& [name, bytes] : before) {
    if (after.at(name) != bytes) kept["mirelda-backup/" + stamp + "/" + name] = bytes;
  }
  // The log is saved with them, as Notepad reads it.
  kept["mirelda-backup/" + stamp + "/mirelda-log.txt"] =
      "\xEF\xBB\xBF" + std::regex_replace(Out(), std::regex("\n"), "\r\n");
  test::Files backups;
  EXPECT_EQ(Live2chFiles(&backups), after);
  EXPECT_EQ(backups, kept);
  EXPECT_EQ(test::Snapshot(dir_.Path("K")), test::Snapshot(MIRELDA_EXAMPLES "/katjusha"));
  EXPECT_EQ(Cli({"--restore", "L"}), 0);
  EXPECT_EQ(Live2chFiles(), before);
}
#endif

#ifndef _WIN32
TEST_F(CliTest, ALostLogStopsNoConversionButExitsThree) {
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  close(pipe_ends[0]);  // nobody reads it any more, as after `| head -1`
  for (const std::string& out : {">&" + std::to_string(pipe_ends[1]), std::string(">/dev/full")}) {
    EXPECT_EQ(Cli({"--kinds", "allidx", "K", "L"}, out + " 2>err"), 3) << out;
    EXPECT_EQ(test::Snapshot(dir_.Path("L/log")).size(), 34u);  // the 36 indexes but 2 broken
    EXPECT_NE(Err().find("\nmirelda-cli: standard output: "), std::string::npos) << Err();
  }
  close(pipe_ends[1]);
}

// The sanitizers reserve more address space than any such limit allows.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
TEST_F(CliTest, AListOfMillionsOfRecordsOrOfOneGiantRecordFitsInTwiceItsSizeAnd32MiB) {
  test::WriteBytes(dir_.Path("K/favboard.idx"), std::string(std::size_t{4} << 20, '\n'));
  EXPECT_EQ(Cli({"--kinds", "brd", "K", "L"}, ">out 2>err", "ulimit -v 40960 && "), 0);
  EXPECT_EQ(fs::file_size(dir_.Path("L/favboard.fbd")),
            std::uintmax_t{16} << 20);  // "\t1\r\n" each
  // Half-width katakana, which triple as text, after a mark that only the first part holds.
  const std::string giant = test::Sjis("▽") + std::string((std::size_t{4} << 20) - 2, '\xB1');
  for (const char* list : {"favorite.idx", "favboard.idx", "other.brd", "namelist.txt"}) {
    test::WriteBytes(dir_.Path("K/") + list, giant);
  }
  EXPECT_EQ(
      Cli({"--kinds", "fav,brd,myboard,namemail", "K", "L"}, ">out 2>err", "ulimit -v 40960 && "),
      0);
  // Compared as truth values, so that a difference does not print megabytes.
  EXPECT_TRUE(ReadBytes(dir_.Path("L/namelist.txt")) == giant);
  EXPECT_TRUE(ReadBytes(dir_.Path("L/favboard.fbd")) == giant.substr(2) + "\t0\r\n");
  EXPECT_TRUE(ReadBytes(dir_.Path("L/myboard.brd")).substr(14) == "\t" + giant + "\r\n");
  EXPECT_NE(Out().find("ｱ…は、なんか変です\n"), std::string::npos);
}
#endif
#endif

TEST_F(CliTest, UnwritableFilesExitThreeWithTheReasonBesideTheLogLine) {
  fs::create_directories(dir_.Path("L/myboard.brd"));  // a folder in the way
  EXPECT_EQ(Cli({"K", "L"}, ">out 2>&1"), 3);
  const std::string target = test::P("L/myboard.brd");
  EXPECT_NE(Out().find(target + "に書き込めませんでした\nmirelda-cli: " + target + ": "),
            std::string::npos);
  EXPECT_EQ(Out().find("すべてのidx"), std::string::npos);  // not one of the default kinds
}

TEST_F(CliTest, KindsReplaceTheDefaultsInBothSpellings) {
  EXPECT_EQ(Cli({"--kinds=namemail", "--no-backup", "K", "L"}), 0);
  EXPECT_EQ(Out(),
            "各変換作業を開始します\n新規1件、置換1件、変更なし0件、変なidx0件、失敗0件\n"
            "すべて変換完了\n");
  EXPECT_EQ(Cli({"--kinds", "brd", "K", "L"}), 0);
  EXPECT_EQ(Out(),
            "各変換作業を開始します\n板ボタンを変換します\n8件ありました\n板ボタン変換完了\n"
            "新規1件、置換0件、変更なし0件、変なidx0件、失敗0件\nすべて変換完了\n");
  // and maillist.txt, favboard.fbd, the lock, and the journal and log of the run that made
  // favboard.fbd
  EXPECT_EQ(test::Snapshot(dir_.Path("L")).size(), 8u);
}

TEST(LanguageTest, TheFirstLocaleVariableSetDecidesAndLangOverridesIt) {
  const auto ja = Language::kJapanese;
  const auto en = Language::kEnglish;
  struct Case {
    const char* lc_all;
    const char* lc_messages;
    const char* lang;
    std::vector<std::string> args;
    Language expected;
  };
  const Case cases[] = {
      {nullptr, nullptr, nullptr, {}, en},
      {nullptr, nullptr, "ja_JP.UTF-8", {}, ja},
      {nullptr, nullptr, "C", {}, en},
      {nullptr, "ja_JP.eucJP", "C", {}, ja},
      {"", "", "ja", {}, ja},  // set but empty is unset
      {"C", "ja_JP.UTF-8", "ja_JP.UTF-8", {}, en},
      {"ja_JP.UTF-8", "en_US.UTF-8", "C", {}, ja},
      {nullptr, nullptr, "jam", {}, ja},
      {"en_US.UTF-8", nullptr, nullptr, {"--lang", "ja", "k", "l"}, ja},
      {nullptr, nullptr, "ja_JP.UTF-8", {"--lang=ja", "--lang=en"}, en},
      {nullptr, nullptr, "ja_JP.UTF-8", {"--lang=fr"}, ja},
      {nullptr, nullptr, "C", {"--", "--lang=ja"}, en},  // a folder, not an option
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cli::ChosenLanguage(c.args, LanguageOfLocale(c.lc_all, c.lc_messages, c.lang)),
              c.expected)
        << (c.lang ? c.lang : "-") << " " << c.args.size();
  }
}

TEST(MessagesTest, CommonFailuresAreWordedByTheProgramAndOthersByTheSystem) {
  const Messages ja(Language::kJapanese);
  const Messages en(Language::kEnglish);
  EXPECT_EQ(ja.Reason(std::make_error_code(std::errc::device_or_resource_busy)),
            "ほかのプログラムが使用中です");
  EXPECT_EQ(ja.Reason(std::make_error_code(std::errc::read_only_file_system)),
            "読み取り専用のドライブです");
  EXPECT_EQ(en.Reason(std::make_error_code(std::errc::no_space_on_device)),
            "No space left on device");
  const std::error_code other = std::make_error_code(std::errc::invalid_argument);
  EXPECT_EQ(en.Reason(other), other.message());
  EXPECT_EQ(ja(MessageId::kProgressCounted, {"1/2", "3", "0:04"}), "1/2件　3件/秒　残り0:04");
}

}  // namespace
}  // namespace mirelda
