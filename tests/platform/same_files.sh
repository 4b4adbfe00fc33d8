#!/usr/bin/env bash
# Converts the sample folders with the Windows and the Linux mirelda-cli, every kind, and
# fails unless both write the same files with the same bytes and the same log.
# Usage: same_files.sh EMULATOR WINDOWS_CLI LINUX_CLI EXAMPLES WORK_DIR
set -euo pipefail
emulator=$1 windows_cli=$2 linux_cli=$3 examples=$4 work=$5
kinds=fav,brd,ftd,namemail,myboard,allidx

rm -rf "$work"
mkdir -p "$work"
cp -r "$examples/live2ch" "$work/win"
cp -r "$examples/live2ch" "$work/lin"

win_status=0
lin_status=0
timeout 120 "$emulator" "$windows_cli" --kinds "$kinds" "$(winepath -w "$examples/katjusha")" \
  "$(winepath -w "$work/win")" >"$work/win.log" 2>&1 || win_status=$?
"$linux_cli" --kinds "$kinds" "$examples/katjusha" "$work/lin" >"$work/lin.log" 2>&1 ||
  lin_status=$?

# The logs name files by full paths, which differ between the platforms in the folder prefix
# and the separator; relative paths read from Katjusha's files keep their "\" on both. The
# backup folder is named for each run's start.
windows_prefix=$(winepath -w "$examples/katjusha" | sed 's|\\|\\\\|g')
windows_live2ch=$(winepath -w "$work/win" | sed 's|\\|\\\\|g')
stamp='[0-9]\{8\}-[0-9]\{6\}'
sed -e "s|^$windows_prefix|K|" -e "s|^$windows_live2ch|L|" -e '/^[KL]\\/ s|\\|/|g' \
  -e "s|$stamp|STAMP|" "$work/win.log" >"$work/win.norm"
sed -e "s|^$examples/katjusha|K|" -e "s|^$work/lin|L|" -e "s|$stamp|STAMP|" "$work/lin.log" \
  >"$work/lin.norm"
# The journals number the changes in the order the jobs made them, and their headers name each
# side's own folders and time.
tab=$'\t'
for side in win lin; do
  mv "$work/$side/mirelda-backup/"[0-9]* "$work/$side/mirelda-backup/STAMP"
  manifest=$work/$side/mirelda-backup/STAMP/mirelda-manifest.txt
  grep -vE "^(live2ch|katjusha|time|ok|failed)$tab" "$manifest" |
    sed -E "s/^([a-z]+)$tab[0-9]+$tab/\\1$tab/" | sort >"$work/$side.manifest"
  mv "$work/$side.manifest" "$manifest"
  # The saved log names files by full paths too; it is the log compared above.
  rm "$work/$side/mirelda-backup/STAMP/mirelda-log.txt"
done

failed=0
[ "$win_status" = "$lin_status" ] || {
  echo "exit status: Windows $win_status, Linux $lin_status"
  failed=1
}
diff -u "$work/lin.norm" "$work/win.norm" || failed=1
diff -r "$work/lin" "$work/win" || failed=1
[ "$failed" = 0 ] && echo "same files and log, exit status $win_status, $(find "$work/win" -type f | wc -l) files"
exit "$failed"
