// libFuzzer entry point for one target, chosen at build time with MIRELDA_FUZZ_TARGET.
#include "tests/fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  mirelda::fuzz::MIRELDA_FUZZ_TARGET(data, size);
  return 0;
}
