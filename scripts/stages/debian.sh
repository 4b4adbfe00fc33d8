#!/usr/bin/env bash
# The Debian package of the Linux build: made by cpack from build/, shown, and held to lintian,
# which must find no error in it.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/lib/common.sh

install_packages "${LINUX_PACKAGES[@]}" lintian
configure_and_build build -DMIRELDA_BUILD_TESTS=ON
rm -f build/mirelda_*.deb
(cd build && cpack -G DEB >/dev/null)
deb=$(ls build/mirelda_*.deb)
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
echo "$files"
# The manual pages in both languages, and the licence where Debian looks for it.
for file in man/man1/mirelda-cli.1.gz man/ja/man1/mirelda-cli.1.gz man/man1/mirelda.1.gz \
  man/ja/man1/mirelda.1.gz doc/mirelda/copyright; do
  grep -qx "./usr/share/$file" <<<"$files" || { echo "missing: $file"; exit 1; }
done
# Root is all that a fresh CI machine has; lintian only warns of it.
status=0
report=$(lintian --fail-on error --display-info "$deb" 2>&1) || status=$?
grep -v "running with root privileges" <<<"$report" || true
exit $status
