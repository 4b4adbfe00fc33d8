// The file layer against hostile set-ups: links into the Katjusha folder, power cuts, killed
// writers, racing programs, special files and files that are not the user's to write.
#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <optional>

#include "tests/test_support.h"

#ifndef _WIN32
#include <fcntl.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace mirelda {
namespace {

namespace fs = std::filesystem;
using test::KatjushaIndex;
using test::Live2chIndex;
using test::Sjis;

class FileLayerTest : public test::FolderPair {};

// Windows splits at '/' too; a folder that another program makes just before the run is as good.
TEST_F(FileLayerTest, FoldersAreMadeAtEverySeparatorAndMayAppearMeanwhile) {
  Katjusha("favorite.idx", "a\\b/c\\2.idx\r\n");
  Katjusha("log/a/b/c/2.idx", KatjushaIndex("a", "b", "2"));
  // A backup folder that appears is another run's, so only the converted folders appear here.
  fs_.before_make = [](const std::string& folder) {
    if (folder.find("mirelda-backup") == std::string::npos) fs::create_directory(folder);
  };
  EXPECT_EQ(Run("fav"), RunOutcome::kCompleted);
  EXPECT_EQ(Live2ch("log/a/b/c/2.idx"), Sjis(Live2chIndex("a", "b", "2")));
}

#ifndef _WIN32
// The names that the file system events of `mask` under `path` give from now on ("" for the
// watched file itself).
struct Watch {
  Watch(const std::string& path, uint32_t mask) { inotify_add_watch(fd, path.c_str(), mask); }
  ~Watch() { close(fd); }
  std::vector<std::string> Names() const {
    alignas(inotify_event) char buffer[4096];
    std::vector<std::string> names;
    const ssize_t got = read(fd, buffer, sizeof buffer);
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      names.emplace_back(event->len > 0 ? event->name : "");
      at += sizeof(inotify_event) + event->len;
    }
    return names;
  }
  const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
};

// Whether a file's content has reached the disk: no part of it still waits for a place there.
// Unknown where the file system cannot tell.
std::optional<bool> OnDisk(const std::string& path) {
  alignas(fiemap) char buffer[sizeof(fiemap) + sizeof(fiemap_extent)] = {};
  auto* map = reinterpret_cast<fiemap*>(buffer);
  map->fm_length = FIEMAP_MAX_OFFSET;
  map->fm_extent_count = 1;
  const int fd = open(path.c_str(), O_RDONLY);
  const bool known = ioctl(fd, FS_IOC_FIEMAP, map) == 0;
  close(fd);
  if (!known) return std::nullopt;
  return map->fm_mapped_extents == 1 && (map->fm_extents[0].fe_flags & FIEMAP_EXTENT_DELALLOC) == 0;
}

TEST_F(FileLayerTest, WritesThatALinkLeadsIntoTheKatjushaFolderFailAndOtherLinksAreFollowed) {
  Katjusha("favorite.idx", "h\\b\\1.idx\r\n");
  Katjusha("log/h/b/1.idx", KatjushaIndex("h", "b", "1"));
  fs::create_directory(dir_.Path("elsewhere"));
  // Through "log/h" the index's folder b would be made in the Katjusha folder.
  for (const auto& [link, to] : {std::pair{"log", "k/log"}, {"log/h", "k"}, {"log", "elsewhere"}}) {
    const bool into_katjusha = to[0] == 'k';
    report_.lines.clear();
    fs::remove_all(live2ch_ + "log");
    fs::create_directories(fs::path(live2ch_ + link).parent_path());
    fs::create_directory_symlink(dir_.Path(to), live2ch_ + link);
    EXPECT_EQ(Run("fav,allidx"),
              into_katjusha ? RunOutcome::kCompletedWithFailures : RunOutcome::kCompleted);
    EXPECT_EQ(Logged(live2ch_ + "log/h/b/1.idxに書き込めませんでした"), into_katjusha) << link;
  }
  EXPECT_FALSE(fs::exists(katjusha_ + "b"));
  EXPECT_EQ(test::ReadBytes(dir_.Path("elsewhere/h/b/1.idx")), Sjis(Live2chIndex("h", "b", "1")));
}

TEST_F(FileLayerTest, ReplacedFilesAreOnDiskBeforeTheirRenameAndARunEndsWithAllOnDisk) {
  Live2ch("favboard.fbd", "old");
  ASSERT_FALSE(fs_.ReplaceWhole(live2ch_ + "favboard.fbd", "new"));
  if (!OnDisk(live2ch_ + "favboard.fbd")) GTEST_SKIP() << "no file extents on this file system";
  // ext4 flushes a file renamed over another itself (auto_da_alloc); other file systems do not.
  EXPECT_EQ(OnDisk(live2ch_ + "favboard.fbd"), true);
  Katjusha("log/h/b/1.idx", KatjushaIndex("h", "b", "1"));
  EXPECT_EQ(Run("allidx"), RunOutcome::kCompleted);
  EXPECT_EQ(OnDisk(live2ch_ + "log/h/b/1.idx"), true);
  fs_.fail_sync = true;
  EXPECT_EQ(Run(""), RunOutcome::kCompletedWithFailures);
  EXPECT_TRUE(Logged(live2ch_ + "に書き込めませんでした"));
}

TEST_F(FileLayerTest, NewFilesAppearOnlyWholeAndOnlyDeadWritersTemporariesAreRemoved) {
  const std::string dead = "log/h/b/.mirelda-4194305-1";  // above any process id Linux gives
  const std::string live = "log/h/b/.mirelda-" + std::to_string(getppid()) + "-1";
  for (const std::string& name : {dead, live}) Live2ch(name, "half");
  Katjusha("log/h/b/1.idx", KatjushaIndex("h", "b", "1"));
  const Watch created(live2ch_ + "log/h/b", IN_CREATE | IN_MOVED_TO);
  EXPECT_EQ(Run("allidx"), RunOutcome::kCompleted);
  EXPECT_EQ(created.Names(), std::vector<std::string>{"1.idx"});
  EXPECT_EQ(Live2ch(dead), "<missing>");
  EXPECT_EQ(Live2ch(live), "half");
}

// Most people run it without privileges: a new file still takes its name, and a file they may
// not read, reached by its name or through a link, is one that cannot be read.
TEST_F(FileLayerTest, WithoutPrivilegesNewFilesAreWrittenAndUnreadableOnesRefused) {
  if (geteuid() != 0) GTEST_SKIP() << "becoming another user needs root";
  const std::string folder = dir_.Path("shared/");
  fs::create_directories(folder);
  fs::permissions(folder, fs::perms::all);
  Katjusha("secret.idx", "theirs");
  fs::permissions(katjusha_ + "secret.idx", fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink(katjusha_ + "secret.idx", katjusha_ + "link.idx");
  const auto writes_and_is_refused = [&] {
    const auto native = MakeNativeFileSystem();
    std::string bytes;
    return !native->ReplaceWhole(folder + "1.idx", "whole") &&
           native->ReadWhole(katjusha_ + "secret.idx", bytes) == std::errc::permission_denied &&
           native->ReadWhole(katjusha_ + "link.idx", bytes) == std::errc::permission_denied;
  };
  EXPECT_EQ(test::AsNobody(dir_.Path(), writes_and_is_refused), 1);
  EXPECT_EQ(test::ReadBytes(folder + "1.idx"), "whole");
}

// A run takes a folder's listing for what it holds; another program's file is still never
// written over, and is seen once the run has ended.
TEST_F(FileLayerTest, AFileThatAppearsDuringARunIsNeverWrittenOverAndIsSeenAfterIt) {
  Live2ch("log/0.idx", "");
  const std::string path = live2ch_ + "log/1.idx";
  std::string bytes;
  fs_.BeginRun(katjusha_);
  EXPECT_EQ(fs_.ReadWhole(path, bytes), std::errc::no_such_file_or_directory);
  Live2ch("log/1.idx", "theirs");
  EXPECT_EQ(fs_.ReplaceWhole(path, "ours"), std::errc::file_exists);
  EXPECT_EQ(Live2ch("log/1.idx"), "theirs");
  fs_.EndRun();
  EXPECT_FALSE(fs_.ReadWhole(path, bytes));
  EXPECT_EQ(bytes, "theirs");
}

TEST_F(FileLayerTest, AFifoNamedLikeAnIndexIsNeverOpened) {
  Katjusha("favorite.idx", "h\\b\\1.idx\r\nh\\b\\2.idx\r\n");
  fs::create_directories(katjusha_ + "log/h/b");
  ASSERT_EQ(mkfifo((katjusha_ + "log/h/b/1.idx").c_str(), 0644), 0);
  fs::create_symlink(katjusha_ + "log/h/b/1.idx", katjusha_ + "log/h/b/2.idx");
  const Watch opened(katjusha_ + "log/h/b/1.idx", IN_OPEN);
  // It is there, but it is no file to read: a failure, as a folder in its place would be.
  EXPECT_EQ(Run("fav,allidx"), RunOutcome::kCompletedWithFailures);
  EXPECT_TRUE(opened.Names().empty());
  EXPECT_TRUE(Logged("h\\b\\2.idxは、なんか変です"));
}

// A run opens a file on its folder's listing's word. What takes the file's place after the
// listing is read only if it is a regular file or a link to one, and never blocks the run.
TEST_F(FileLayerTest, WhatTakesAListedFilesPlaceIsReadOnlyIfItIsARegularFile) {
  const std::string path = katjusha_ + "1.idx", fifo = dir_.Path("fifo");
  for (const char* name : {"1.idx", "2.idx"}) Katjusha(name, name);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  std::string bytes;
  fs_.BeginRun(live2ch_);
  ASSERT_FALSE(fs_.ReadWhole(katjusha_ + "2.idx", bytes));  // the folder is listed
  fs::remove(path);
  fs::create_symlink(katjusha_ + "2.idx", path);
  EXPECT_FALSE(fs_.ReadWhole(path, bytes));
  EXPECT_EQ(bytes, "2.idx");
  // A link to a FIFO is looked at, as any link is, and the FIFO is not opened.
  fs::remove(path);
  fs::create_symlink(fifo, path);
  const Watch opened(fifo, IN_OPEN);
  EXPECT_EQ(fs_.ReadWhole(path, bytes), std::errc::invalid_argument);
  EXPECT_TRUE(opened.Names().empty());
  // A FIFO itself, with no writer, would block an open that waits; with one, a read would take
  // the writer's bytes.
  fs::remove(path);
  fs::rename(fifo, path);
  auto reading = std::async(std::launch::async, [&] { return fs_.ReadWhole(path, bytes); });
  if (reading.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
    ADD_FAILURE() << "blocked on a FIFO";
    close(open(path.c_str(), O_WRONLY | O_NONBLOCK));
  }
  EXPECT_EQ(reading.get(), std::errc::invalid_argument);
  const int writer = open(path.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_EQ(write(writer, "theirs", 6), 6);
  EXPECT_EQ(fs_.ReadWhole(path, bytes), std::errc::invalid_argument);
  char left[8];
  EXPECT_EQ(read(writer, left, sizeof left), 6);
  close(writer);
  // Only root can put a device there; one that gives nothing is looked at.
  fs::remove(path);
  if (mknod(path.c_str(), S_IFCHR | 0644, makedev(1, 3)) == 0) {
    EXPECT_EQ(fs_.ReadWhole(path, bytes), std::errc::invalid_argument);
  }
  fs_.EndRun();
}

// Files read together give what each would give read alone, however many there are and whatever
// their sizes; a FIFO with a writer, put in a listed file's place, keeps its writer's bytes.
TEST_F(FileLayerTest, FilesReadTogetherGiveWhatEachGivesAlone) {
  std::vector<WholeRead> files;
  const auto add = [&](const std::string& name, std::int64_t most = kMaxDataFileSize) {
    files.push_back({katjusha_ + name, most, {}, {}});
  };
  // First: the FIFO costs the ring that met it, so the files after it are read through another,
  // which is kept for the next reads until the run ends.
  Katjusha("log/fifo", "listed as a file");
  add("log/fifo");
  for (const std::size_t size : {0, 1, 4095, 4096, 4097, 70000}) {
    Katjusha("log/" + std::to_string(size), std::string(size, 'x'));
    add("log/" + std::to_string(size));
  }
  for (int i = 0; i < 40; ++i) {
    Katjusha("log/i" + std::to_string(i), "index " + std::to_string(i));
    add("LOG/I" + std::to_string(i));
  }
  add("log/4095", 4094);  // larger than it may be
  add("log/missing");
  fs::create_directory(katjusha_ + "log/folder");
  add("log/folder");
  fs::create_symlink(katjusha_ + "log/i1", katjusha_ + "log/link");
  add("log/link");
  const std::size_t descriptors = test::OpenDescriptors();
  fs_.BeginRun(live2ch_);
  std::vector<WholeRead> alone = files;
  for (WholeRead& file : alone) file.error = fs_.ReadWholeUpTo(file.path, file.most, file.bytes);
  fs::remove(katjusha_ + "log/fifo");
  ASSERT_EQ(mkfifo((katjusha_ + "log/fifo").c_str(), 0644), 0);
  const int writer = open((katjusha_ + "log/fifo").c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_EQ(write(writer, "theirs", 6), 6);
  alone.front().bytes.clear();
  alone.front().error = std::make_error_code(std::errc::invalid_argument);
  fs_.ReadEachWhole(files);
  fs_.EndRun();
  char left[8];
  EXPECT_EQ(read(writer, left, sizeof left), 6);
  close(writer);
  EXPECT_EQ(test::OpenDescriptors(), descriptors);  // nothing is kept open after a run
  for (std::size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(files[i].error, alone[i].error) << files[i].path;
    EXPECT_EQ(files[i].bytes, alone[i].bytes) << files[i].path;
  }
  EXPECT_EQ(files[8].bytes, "index 1");
}

TEST_F(FileLayerTest, AFileThatIsNotTheUsersToWriteIsNotReplacedInAFolderThatIs) {
  Katjusha("favboard.idx", "x\r\n");
  Live2ch("favboard.fbd", "theirs");
  fs::permissions(live2ch_, fs::perms::all);
  fs::permissions(live2ch_ + "favboard.fbd", fs::perms(0446));  // only others may write it
  // Root may write anything, so the run is made as somebody else's.
  const uid_t user = geteuid();
  ASSERT_EQ(seteuid(user == 0 ? 65534 : user), 0);
  const RunOutcome outcome = Run("brd");
  ASSERT_EQ(seteuid(user), 0);
  EXPECT_EQ(outcome, RunOutcome::kCompletedWithFailures);
  EXPECT_EQ(Live2ch("favboard.fbd"), "theirs");
}

// A file kept from another file system, where no link can reach, is copied whole, and keeps its
// bytes when the original is replaced.
TEST_F(FileLayerTest, AFileThatCannotBeLinkedIsKeptAsACopy) {
  const std::string other = "/dev/shm/mirelda-keep-" + std::to_string(getpid());
  if (!fs::exists("/dev/shm")) GTEST_SKIP() << "no second file system at /dev/shm";
  test::WriteBytes(other, std::string(100000, 'o'));
  EXPECT_FALSE(fs_.KeepCopy(other, live2ch_ + "kept"));
  EXPECT_FALSE(fs_.ReplaceWhole(other, "new"));
  EXPECT_EQ(Live2ch("kept"), std::string(100000, 'o'));
  EXPECT_EQ(fs_.KeepCopy(other, live2ch_ + "kept"), std::errc::file_exists);
  fs::remove(other);
}
#endif

// A damaged list can hold a NUL in a name. Such a name names no file, and is never taken for the
// part of it before the NUL: nothing is read, written, kept or removed in its place.
TEST_F(FileLayerTest, ANameWithANulIsNoFileAndNeverStandsForItsFirstPart) {
  const std::string file = live2ch_ + "a", folder = live2ch_ + "d", nul("\0x", 2);
  test::WriteBytes(file, "kept");
  fs::create_directory(folder);
  std::string bytes;
  FolderEntries entries;
  std::error_code error;
  EXPECT_TRUE(fs_.ReadWhole(file + nul, bytes));
  EXPECT_FALSE(fs_.CanOpenForReading(file + nul));
  EXPECT_FALSE(fs_.IsFolder(folder + nul));
  EXPECT_TRUE(fs_.ListFolder(folder + nul + kSep, entries));
  EXPECT_EQ(fs_.StartReplacing(file + nul, error), nullptr);
  EXPECT_TRUE(error);
  EXPECT_TRUE(fs_.CheckReplaceable(file + nul));
  EXPECT_TRUE(fs_.KeepCopy(file + nul, live2ch_ + "k"));
  EXPECT_TRUE(fs_.KeepCopy(file, live2ch_ + "k" + nul));
  EXPECT_TRUE(fs_.MakeFolder(live2ch_ + "n" + nul));
  EXPECT_TRUE(fs_.RemoveFile(file + nul));
  EXPECT_TRUE(fs_.RemoveFolder(folder + nul));
  EXPECT_EQ(test::ReadBytes(file), "kept");
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_FALSE(fs::exists(live2ch_ + "k"));
  EXPECT_FALSE(fs::exists(live2ch_ + "n"));
}

#ifndef _WIN32
// Within a run the folders' listings are kept. A file removed is gone from its folder's, so a
// file written after it under another spelling takes the name it is given.
TEST_F(FileLayerTest, AFileRemovedDuringARunIsGoneFromItsFoldersListing) {
  test::WriteBytes(live2ch_ + "d/Old.txt", "x");
  fs_.BeginRun(katjusha_);
  EXPECT_TRUE(fs_.CanOpenForReading(live2ch_ + "d/old.txt"));
  EXPECT_FALSE(fs_.RemoveFile(live2ch_ + "d/old.txt"));
  EXPECT_FALSE(fs_.ReplaceWhole(live2ch_ + "d/old.txt", "y"));
  fs_.EndRun();
  EXPECT_EQ(test::Snapshot(live2ch_ + "d"), (test::Files{{"old.txt", "y"}}));
}
#endif

}  // namespace
}  // namespace mirelda
