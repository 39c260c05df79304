#!/usr/bin/env bash
# Runs kavel (a sanitizer build) over real code with the option combinations
# that make sense, and fails on any sanitizer report or an unexpected exit
# status. The @ walk starts from every function of the listing: a list file
# of @file#name lines, so names defined twice are walked per definition.
# Usage: real_code_runs.sh path/to/kavel label [kavel options and sources ...]
# Every run must end with status KAVEL_EXPECT_RC (0 by default; 2 when a
# source named is missing, or a root of the walk prints nothing).
set -u
kavel=$(readlink -f "$1")
label=$2
shift 2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export ASAN_OPTIONS=detect_leaks=1:exitcode=86:abort_on_error=0
export UBSAN_OPTIONS=halt_on_error=1:exitcode=87:print_stacktrace=1
expect=${KAVEL_EXPECT_RC:-0}
fail=0

run() {
  local name=$1
  shift
  "$kavel" "$@" >"$out/$name.out" 2>"$out/$name.err"
  local rc=$?
  local lines
  lines=$(wc -l <"$out/$name.out")
  if [ $rc != "$expect" ] || grep -qE 'runtime error|AddressSanitizer|LeakSanitizer' "$out/$name.err"; then
    echo "FAIL $label $name: exit $rc"
    grep -E -A12 'runtime error|ERROR: (Address|Leak)Sanitizer' "$out/$name.err" | head -40
    fail=1
  else
    echo "ok   $label $name: exit $rc, $lines lines out, $(wc -l <"$out/$name.err") lines err"
  fi
}

run listing -i "$@"
run heads -s "$@"
run heads-dup -s -i "$@"
run lead -g -i "$@"
run euc -EUC -i "$@"
# Every record: "@file#name" (a name defined twice is found through its file).
awk -F';' 'NF >= 3 && $1 != "" { n = NF - 2; name = $1; for (k = 2; k <= n; k++) name = name ";" $k;
  print "@" $(NF - 1) "#" name }' "$out/listing.out" >"$out/walk.txt"
# The roots go in runs of 1000: one run per part keeps each walk's output
# small enough to read when it fails.
split -l 1000 -d "$out/walk.txt" "$out/walk.part."
for part in "$out"/walk.part.*; do
  [ -e "$part" ] || continue  # no roots: a run that stopped before its listing
  k=${part##*.}
  run walk-$k -f -u -L "$part" "$@"
  run walk-lead-$k -g -f -u -L "$part" "$@"
  run walk-plain-$k -L "$part" "$@"
done
echo "$label: $(wc -l <"$out/walk.txt") walk roots"
exit $fail
