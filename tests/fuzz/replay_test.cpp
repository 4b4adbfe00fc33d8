// Replays the seed corpus of every fuzz target, so that each find stays fixed.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/fuzz/targets.h"
#include "tests/test_support.h"

TEST(FuzzCorpusTest, EverySeedKeepsItsTargetsProperty) {
  int seeds = 0;
  for (const auto& target : mirelda::fuzz::kTargets) {
    const auto folder = std::filesystem::path(MIRELDA_FUZZ_CORPUS) / target.name;
    for (const auto& seed : std::filesystem::directory_iterator(folder)) {
      const std::string bytes = mirelda::test::ReadBytes(seed.path().string());
      target.run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());  // or abort
      ++seeds;
    }
  }
  EXPECT_GT(seeds, 0);
}
