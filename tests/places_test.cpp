// Folders as people give them, the look for the programs' folders, and the running programs.
#include "util/places.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/running_program.h"
#include "tests/test_support.h"
#include "util/given_folder.h"
#include "util/path.h"
#include "util/program_folders.h"
#include "util/virtual_store_file_system.h"

namespace mirelda {
namespace {

using test::P;
using Folders = std::vector<std::string>;

TEST(GivenFolderTest, QuotesSpacesAFilesPathHomeTrailingSeparatorsAndRoots) {
  test::TempDir dir;
  test::WriteBytes(dir.Path("k/Katjusha.exe"), "");
  const auto fs = MakeNativeFileSystem();
  const std::string k = dir.Path("k");
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {" \"" + k + "\"\r\n", k},
      {"\"" + k + P("/Katjusha.exe\""), k + P("/")},
      {k + P("/KATJUSHA.EXE"), k + P("/")},
      {k + P("///"), k + P("/")},
      {P("/no/such/x.exe"), P("/no/such/x.exe")},  // nothing to tell a file by: kept
      {P("/"), P("/")},
#ifdef _WIN32
      {"C:", "C:\\"},
      {"\"C:\\\\\"", "C:\\"},
      {"\\\\srv\\share\\", "\\\\srv\\share\\"},
      {"~/k", "~/k"},  // no home shorthand on Windows
#else
      {"~/k//", "/h/k/"},
      {"~", "/h/"},
      {"~k", "~k"},
#endif
  };
  for (const auto& [given, meant] : cases)
    EXPECT_EQ(FolderAsGiven(given, *fs, "/h"), meant) << given;
}

class ProgramFoldersTest : public ::testing::Test {
 protected:
  Folders Found(const ProgramFolders& found, bool katjusha) {
    Folders folders;
    for (const std::string& f : katjusha ? found.katjusha : found.live2ch) {
      folders.push_back(f.substr(dir_.Path().size()));
    }
    return folders;
  }
  test::TempDir dir_;
  test::FaultyFileSystem fs_;
};

TEST_F(ProgramFoldersTest, ProgramsAreFoundInAnyCaseTwoLevelsDownEachFolderOnce) {
  for (const char* file :
       {"pf/Katjusha/KATJUSHA.EXE", "pf/a/b/live2ch.exe", "pf/a/b/c/Katjusha.exe",
        "pf/a/x/readme.txt", "home/Katjusha.exe", "home/.wine/live2ch.exe"}) {
    test::WriteBytes(dir_.Path(file), "");
  }
  int listed = 0;
  fs_.fail_list = [&](const std::string&) { return ++listed, false; };
  // pf/a, once more as a place of its own, is looked at deeper: down to pf/a/b/c.
  const ProgramFolders found = FindProgramFolders(
      fs_, {dir_.Path("pf"), dir_.Path("pf/a"), dir_.Path("home/"), dir_.Path("none")});
  EXPECT_EQ(Found(found, true), (Folders{P("pf/Katjusha"), P("pf/a/b/c"), "home"}));
  EXPECT_EQ(Found(found, false), (Folders{P("pf/a/b"), P("home/.wine")}));
  EXPECT_EQ(listed, 12);  // pf, a, b, x, Katjusha; a, b, x again, one level deeper, and c;
                          // home, .wine; none
}

// The look is made while the window opens: a huge tree or a slow disk must not hold it up.
TEST_F(ProgramFoldersTest, TheLookGivesUpAtItsBoundsWithWhatItFound) {
  for (int i = 0; i < 30; ++i) {
    for (int j = 0; j < 10; ++j)
      std::filesystem::create_directories(
          dir_.Path("t/" + std::to_string(100 + i) + "/" + std::to_string(j)));
  }
  test::WriteBytes(dir_.Path("t/100/0/live2ch.exe"), "");
  test::WriteBytes(dir_.Path("t/129/9/live2ch.exe"), "");
  int listed = 0;
  fs_.fail_list = [&](const std::string&) { return ++listed, false; };
  EXPECT_EQ(Found(FindProgramFolders(fs_, {dir_.Path("t")}), false).size(), 2u);
  EXPECT_EQ(listed, 331);
  listed = 0;
  const ProgramFolders few =
      FindProgramFolders(fs_, {dir_.Path("t")}, {std::chrono::hours(1), 100});
  EXPECT_EQ(Found(few, false), Folders{P("t/100/0")});
  EXPECT_EQ(listed, 100);
  listed = 0;
  EXPECT_TRUE(FindProgramFolders(fs_, {dir_.Path("t")}, {{}, 100}).live2ch.empty());
  EXPECT_EQ(listed, 0);
}

// What Katjusha saved under Program Files lies in the VirtualStore, and what it saved before
// beside it: the one it sees is the one read; the store itself is never written to.
TEST(VirtualStoreTest, FilesComeFromTheStoreWhereTheyAreThereAndTheStoreIsNeverWritten) {
  test::TempDir dir;
  for (const char* file : {"k/FAVORITE.IDX", "k/a.idx", "k/log/h/1.idx", "s/favorite.idx",
                           "s/b.idx", "s/log/h/2.idx", "s/ftd/x.ftd"}) {
    test::WriteBytes(dir.Path(file), file);
  }
  test::FaultyFileSystem native;
  VirtualStoreFileSystem fs(native, dir.Path("k/"), dir.Path("s/"));
  std::string bytes;
  EXPECT_FALSE(fs.ReadWhole(dir.Path("k/favorite.idx"), bytes));
  EXPECT_EQ(bytes, "s/favorite.idx");
  EXPECT_FALSE(fs.ReadWhole(dir.Path("k/a.idx"), bytes));
  EXPECT_EQ(bytes, "k/a.idx");
  FolderEntries entries;
  EXPECT_FALSE(fs.ListFolder(dir.Path("k/log/h"), entries));
  EXPECT_EQ(entries.files, (Folders{"1.idx", "2.idx"}));
  entries = {};
  EXPECT_FALSE(fs.ListFolder(dir.Path("k"), entries));
  EXPECT_EQ(entries.files.size(), 3u);    // FAVORITE.IDX once, a.idx, b.idx
  EXPECT_EQ(entries.folders.size(), 2u);  // log once, and ftd from the store alone
  std::vector<std::string> writes{dir.Path("s/x.ftd"), dir.Path("S/log/x.idx")};
#ifndef _WIN32
  std::filesystem::create_directory_symlink(dir.Path("s"), dir.Path("l"));
  writes.push_back(dir.Path("l/x.ftd"));  // a Live2ch folder that leads into the store
#endif
  for (const std::string& path : writes) {
    EXPECT_EQ(fs.ReplaceWhole(path, "x"), std::errc::permission_denied) << path;
    EXPECT_EQ(fs.CheckReplaceable(path), std::errc::permission_denied) << path;
  }
  EXPECT_FALSE(fs.ReplaceWhole(dir.Path("x.ftd"), "x"));
}

TEST(RunningProgramTest, AProgramRunsFromItsFullPathInAnyCaseUntilItEnds) {
  test::TempDir dir;
  const std::string program = dir.Path("l/live2ch.exe");
  test::WriteBytes(program, "");
  EXPECT_FALSE(IsProgramRunning(program));
  {
    test::RunningProgram running(program);
    EXPECT_TRUE(IsProgramRunning(program));
    EXPECT_TRUE(IsProgramRunning(dir.Path("L/LIVE2CH.EXE")));
    EXPECT_FALSE(IsProgramRunning(dir.Path("m/live2ch.exe")));
  }
  EXPECT_FALSE(IsProgramRunning(program));
}

#ifndef _WIN32
// Wine shows a program by its Windows path; and a program file counts under any name.
TEST(RunningProgramTest, WinePathsGoThroughThePrefixsDrivesAndAProgramFileCountsUnderAnyName) {
  test::TempDir dir;
  const std::string prefix = dir.Path("prefix");
  const std::string program = dir.Path("prefix/drive_c/Program Files/L/live2ch.exe");
  test::WriteBytes(program, "");
  std::filesystem::create_directories(prefix + "/dosdevices");
  std::filesystem::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
  {
    test::RunningProgram wine("C:\\PROGRAM FILES\\L\\live2ch.exe", {{"WINEPREFIX", prefix}});
    EXPECT_TRUE(IsProgramRunning(program));
  }
  const std::string copy = dir.Path("e/live2ch.exe");
  std::filesystem::create_directories(dir.Path("e"));
  std::filesystem::copy_file("/bin/sleep", copy);
  test::RunningProgram renamed("sleeper", {}, copy);
  EXPECT_TRUE(IsProgramRunning(copy));
  EXPECT_FALSE(IsProgramRunning(program));
}
#endif

}  // namespace
}  // namespace mirelda
