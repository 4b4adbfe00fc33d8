# The engine's tests and the fuzz corpus replay built with AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
source scripts/lib/common.sh

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON \
  "-DCMAKE_CXX_FLAGS=-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all" \
  >/dev/null
cmake --build build-asan -j2 --target mirelda_tests mirelda-cli
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j2 --timeout 600
