// The file layer against hostile set-ups: links into the Katjusha folder, power cuts, killed
// writers, racing programs, special files and files that are not the user's to write.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/test_support.h"

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
  fs_.before_make = [](const std::string& folder) { fs::create_directory(folder); };
  EXPECT_EQ(Run("fav"), RunOutcome::kCompleted);
  EXPECT_EQ(Live2ch("log/a/b/c/2.idx"), Sjis(Live2chIndex("a", "b", "2")));
}

}  // namespace
}  // namespace mirelda
