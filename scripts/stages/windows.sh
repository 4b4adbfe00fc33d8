#!/usr/bin/env bash
# The Windows build: cross-compiles with mingw-w64 into build-win and runs its tests under Wine
# (the engine's GoogleTest suite, the command line on the sample folders against the Linux
# build, and the Win32 window under a virtual X display), all through ctest; then makes the zip
# for users and checks what it holds.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/lib/common.sh

install_packages "${LINUX_PACKAGES[@]}" g++-mingw-w64-x86-64-posix googletest wine wine64 \
  xvfb xauth unzip

# A Linux mirelda-cli of the same sources, to hold the Windows one to the same output files.
cmake -S . -B build-win/host -G Ninja -DMIRELDA_BUILD_TESTS=OFF >/dev/null
cmake --build build-win/host -j2 --target mirelda-cli
configure_and_build build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DMIRELDA_BUILD_TESTS=ON -DMIRELDA_HOST_CLI="$PWD/build-win/host/app/cli/mirelda-cli"

# A prefix of its own, made once; no Mono or Gecko prompts, no debug chatter.
export WINEPREFIX=$PWD/build-win/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  timeout 300 wineboot -i >/dev/null 2>&1
  timeout 120 wineserver -w
fi
# One server for all the tests: each test is a process of its own, and starting the server
# anew for each would cost seconds.
timeout 30 wineserver -p || true  # already running is fine
# The first program started brings up Wine's background services, which inherit its output;
# started here, they hold /dev/null rather than the pipe of a test that ctest waits on.
timeout 120 wine cmd /c exit </dev/null >/dev/null 2>&1 || true
trap 'timeout 30 wineserver -k >/dev/null 2>&1 || true' EXIT

# Every Wine call is bounded by ctest's timeout; only the window's test needs a display.
ctest --test-dir build-win --output-on-failure --timeout 300 -j2 -LE window
# The window's test gets a server of its own, started on the virtual display: Wine's desktop
# process, started with the first program, cannot show a window on a display it never knew.
timeout 30 wineserver -k || true
timeout 60 wineserver -w || true
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" bash -c '
  timeout 120 wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  ctest --test-dir build-win --output-on-failure --timeout 180 -L window'

# The zip: the two programs, the guide and the licence as Windows text files, nothing else.
(cd build-win && cpack -G ZIP >/dev/null)
zip=$(ls build-win/mirelda-*-win64.zip)
unzip -l "$zip"
top=$(basename "$zip" .zip)
diff <(unzip -Z1 "$zip" | sort) \
  <(printf "$top/%s\n" LICENSE.txt README.ja.txt mirelda-cli.exe mirelda.exe | sort)
cmp <(unzip -p "$zip" "$top/README.ja.txt") <(printf '\xef\xbb\xbf' && sed 's/$/\r/' README.ja.md)
cmp <(unzip -p "$zip" "$top/LICENSE.txt") <(printf '\xef\xbb\xbf' && sed 's/$/\r/' LICENSE)
