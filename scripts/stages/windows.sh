#!/usr/bin/env bash
# The Windows build: cross-compiles with mingw-w64 into build-win and runs its tests under Wine
# (the engine's GoogleTest suite, the command line on the sample folders against the Linux
# build, and the Win32 window under a virtual X display), all through ctest; then the command
# line on a console and redirected, and the zip for users with what it holds.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/lib/common.sh

install_packages "${LINUX_PACKAGES[@]}" g++-mingw-w64-x86-64-posix googletest wine wine64 \
  xvfb xauth unzip cmark-gfm

# A Linux mirelda-cli of the same sources, to hold the Windows one to the same output files.
cmake -S . -B build-win/host -G Ninja -DMIRELDA_BUILD_TESTS=OFF >/dev/null
cmake --build build-win/host -j2 --target mirelda-cli
configure_and_build build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DMIRELDA_BUILD_TESTS=ON -DMIRELDA_HOST_CLI="$PWD/build-win/host/app/cli/mirelda-cli"

# A prefix of its own, made once; no Mono or Gecko prompts, no debug chatter.
export WINEPREFIX=$PWD/build-win/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# English for the tests that expect it, whatever the machine's locale, in UTF-8 on a terminal.
export LC_ALL=C.UTF-8
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

# Every Wine call is bounded by ctest's timeout; only the window's test needs a display. On a
# loaded machine Wine now and then fails to start a program at all, with no output: such a test
# is given one more try, and a test that fails in earnest fails both.
ctest --test-dir build-win --output-on-failure --timeout 300 -j2 -LE window --repeat until-pass:2
# The window's test gets a server of its own, started on the virtual display: Wine's desktop
# process, started with the first program, cannot show a window on a display it never knew.
timeout 30 wineserver -k || true
timeout 60 wineserver -w || true
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" bash -c '
  timeout 120 wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  ctest --test-dir build-win --output-on-failure --timeout 180 -L window'

# On a console whose code page is 932, mirelda-cli shows Japanese as characters; redirected from
# it, it writes UTF-8 bytes with LF line ends. `script` gives Wine a terminal for its console.
expected="mirelda-cli: '--bogus'というオプションはありません"
cli=build-win/app/cli
shown=$(cd "$cli" && timeout 120 script -qec \
  "wine cmd /c 'chcp 932 >nul & mirelda-cli.exe --lang ja --bogus'" /dev/null |
  sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' | tr -d '\r') || true
grep -qxF "$expected" <<<"$shown" || { echo "the console showed: $shown"; exit 1; }
(cd "$cli" && timeout 120 wine cmd /c \
  'chcp 932 >nul & mirelda-cli.exe --lang ja --bogus 2>redirected.txt') || true
cmp <(head -1 "$cli/redirected.txt") <(echo "$expected")

# The zip: the two programs, the guide as a web page with the pictures it shows, and the licence
# as a Windows text file; nothing else.
(cd build-win && rm -f mirelda-*-win64.zip && cpack -G ZIP >/dev/null)
zip=$(ls build-win/mirelda-*-win64.zip)
unzip -l "$zip"
top=$(basename "$zip" .zip)
diff <(unzip -Z1 "$zip" | grep -v '/$' | sort) \
  <(printf "$top/%s\n" LICENSE.txt README.ja.html docs/window-linux.png docs/window-windows.png \
    docs/window-linux-running.png docs/window-windows-running.png mirelda-cli.exe mirelda.exe |
    sort)
cmp <(unzip -p "$zip" "$top/LICENSE.txt") <(printf '\xef\xbb\xbf' && sed 's/$/\r/' LICENSE)
version=$(sed -nE 's/^project\(mirelda VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
unpacked=build-win/unpacked
rm -rf "$unpacked" && unzip -q "$zip" -d "$unpacked"
cd "$unpacked/$top"

# The guide is rendered, tables included; each of its links names a file of the zip, and it
# names the licence as the zip does.
grep -q '<table>' README.ja.html
links=$(grep -oE '(href|src)="[^"]*"' README.ja.html | sed -E 's/^[a-z]+="(.*)"$/\1/' |
  grep -vE '^(https?:|mailto:|#)' || true)
[ -n "$links" ]
for link in $links; do
  [ -f "$link" ] || { echo "the guide links to $link, which the zip does not hold"; exit 1; }
done
grep -q '<code>LICENSE.txt</code>' README.ja.html
if grep -qE '<code>(LICENSE|README[^<]*)</code>' README.ja.html; then
  echo "the guide names a file that the zip holds under another name"
  exit 1
fi

# Both programs carry the project's version; the window declares how it meets the screen's DPI.
for exe in mirelda mirelda-cli; do
  info=$(strings -el "$exe.exe")
  [ "$(grep -A1 -xE 'FileVersion|ProductVersion' <<<"$info" | grep -cxF "$version")" = 2 ]
  grep -A1 -x OriginalFilename <<<"$info" | grep -qxF "$exe.exe"
  grep -A1 -x FileDescription <<<"$info" | grep -q '^mirelda'
done
grep -aq '<dpiAwareness xmlns=[^>]*>system</dpiAwareness>' mirelda.exe
