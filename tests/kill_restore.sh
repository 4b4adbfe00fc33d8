#!/usr/bin/env bash
# Kills mirelda-cli at random moments of a conversion and then of a restore, and checks after
# each that plain restores, repeated until nothing is left, give back the Live2ch folder byte for
# byte, and that no temporary file outlives them; then that runs started together wait for none.
# Usage: kill_restore.sh CLI EXAMPLES WORK_DIR [ROUNDS]
set -euo pipefail
cli=$1 examples=$2 work=$3 rounds=${4:-20}
RANDOM=14  # the same moments every time

rm -rf "$work"
mkdir -p "$work"
cp -r "$examples/katjusha" "$work/K"
cp -r "$examples/live2ch" "$work/L"
# A few hundred thread indexes, half of them already in Live2ch's log with other bytes.
for i in $(seq 1 200); do
  host=h$((i % 7)).example.net board=b$((i % 5))
  mkdir -p "$work/K/log/$host/$board" "$work/L/log/$host/$board"
  printf '0\t0\t2\tthread %s\t%s\t%s\t%s\t7\t8\t9\t10\t11\t12\t13\t14\t15\t16\t17\r\n' \
    "$i" "$host" "$board" "$i" >"$work/K/log/$host/$board/$i.idx"
  if ((i % 2)); then echo "old $i" >"$work/L/log/$host/$board/$i.idx"; fi
  printf '%s\\%s\\%s.idx\r\n' "$host" "$board" "$i" >>"$work/K/favorite.idx"
done
kinds=fav,brd,ftd,namemail,myboard,allidx

# Every file and folder of the Live2ch folder but the backups, with the hash of each file.
state() {
  (cd "$work/L" && find . -path ./mirelda-backup -prune -o -print | LC_ALL=C sort |
    while IFS= read -r path; do
      if [[ -f $path ]]; then echo "$path $(sha1sum <"$path" | cut -c1-40)"; else echo "$path"; fi
    done)
}

# Runs plain restores until none is left to do; fails after too many.
restore_all() {
  local out
  for _ in $(seq 1 10); do
    out=$("$cli" --restore "$work/L" 2>&1) || { echo "restore failed: $out" >&2; return 1; }
    [[ $out == *元に戻していない変換はありません* ]] && return 0
  done
  echo "restores never ended" >&2
  return 1
}

# Starts `$@` and kills it after a random part of `span` milliseconds.
kill_during() {
  local span=$1
  shift
  "$@" >/dev/null 2>&1 &
  local pid=$!
  sleep "$(printf '0.%03d' $((RANDOM % span)))"
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

before=$(state)
start=$(date +%s%N)
"$cli" --kinds "$kinds" "$work/K" "$work/L" >/dev/null 2>&1
span=$((($(date +%s%N) - start) / 1000000 + 1))
restore_all
[[ $(state) == "$before" ]] || { echo "a whole run is not undone whole" >&2; exit 1; }
((span < 1000)) || span=999

failures=0
for round in $(seq 1 "$rounds"); do
  kill_during "$span" "$cli" --kinds "$kinds" "$work/K" "$work/L"
  kill_during "$span" "$cli" --restore "$work/L"
  restore_all || failures=$((failures + 1))
  if [[ $(state) != "$before" ]]; then
    echo "round $round: the Live2ch folder is not as it was" >&2
    diff <(echo "$before") <(state) >&2 || true
    failures=$((failures + 1))
  fi
  if find "$work/L" -name '.mirelda-*' | grep -q .; then
    echo "round $round: temporaries left: $(find "$work/L" -name '.mirelda-*' | head -3)" >&2
    failures=$((failures + 1))
  fi
done
echo "$rounds rounds, $failures failures"

# Two conversions and a restore at once: the one that holds the folder works, the others exit
# with 1 at once, having written nothing.
journals() { find "$work/L/mirelda-backup" -name mirelda-manifest.txt | wc -l; }
had=$(journals)
"$cli" --jobs 1 --kinds "$kinds" "$work/K" "$work/L" >/dev/null 2>&1 &
first=$!
while (($(journals) == had)) && kill -0 "$first" 2>/dev/null; do sleep 0.005; done
status=0
"$cli" --kinds "$kinds" "$work/K" "$work/L" >"$work/second" 2>&1 || status=$?
[[ $status == 1 && $(cat "$work/second") == *は別の変換か元に戻す処理が使っています* ]] ||
  { echo "a second conversion ran alongside: $status" >&2; failures=$((failures + 1)); }
status=0
"$cli" --restore "$work/L" >"$work/third" 2>&1 || status=$?
[[ $status == 1 && $(cat "$work/third") == *は別の変換か元に戻す処理が使っています* ]] ||
  { echo "a restore ran alongside: $status" >&2; failures=$((failures + 1)); }
wait "$first" || { echo "the first conversion failed" >&2; failures=$((failures + 1)); }
(($(journals) == had + 1)) || { echo "more than one run wrote" >&2; failures=$((failures + 1)); }
((failures == 0))
