#!/usr/bin/env bash
# Runs every case folder under tests/golden: copies it to a temporary folder,
# runs kavel there with the words of its `args` file, and compares standard
# output, standard error and the exit code byte for byte with expected.out,
# expected.err and expected.rc (a missing expected file means empty / 0).
# Inputs are taken as committed bytes (CR LF and Shift-JIS files included:
# see .gitattributes). A case that runs longer than a minute (or
# KAVEL_GOLDEN_TIMEOUT seconds) fails as a hang.
# A case folder may hold an executable `setup` script: it runs first, inside
# the temporary copy, to make inputs too big (or too odd) to commit; when it
# exits with 77 the case is skipped (say, an unreadable file under root).
# A case may build on another one instead of repeating its files: a file
# `same-as` names that case, whose inputs are copied first (and so on, when
# that case names another). A case without
# an `args` file of its own runs with the other's command line and
# expected results too (the CR LF twins: a `setup` turns the line ends).
# A folder with neither `args` nor `same-as` fails.
# Usage: run_golden.sh path/to/kavel [case-name ...]
set -u
kavel=$(readlink -f "$1")
shift
here=$(cd "$(dirname "$0")" && pwd)
cases=("$@")
if [ ${#cases[@]} -eq 0 ]; then
  for d in "$here"/golden/*/; do cases+=("$(basename "$d")"); done
fi
# Copies the inputs of case $1 into folder $2: those of the case it is the
# same as first (which may name another in turn), then its own.
copy_case() {
  local src="$here/golden/$1"
  if [ -f "$src/same-as" ]; then
    copy_case "$(cat "$src/same-as")" "$2"
    rm -f "$2/setup"
    [ -f "$src/args" ] && rm -f "$2"/expected.*
  fi
  cp -R "$src/." "$2/"
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
count=0
skipped=0
for name in "${cases[@]}"; do
  src="$here/golden/$name"
  count=$((count + 1))
  if [ ! -d "$src" ] || { [ ! -f "$src/args" ] && [ ! -f "$src/same-as" ]; }; then
    # A case that never runs would pass unseen.
    echo "FAIL $name (no args and no same-as)"
    fail=$((fail + 1))
    continue
  fi
  dir="$work/$name"
  mkdir -p "$dir"
  copy_case "$name" "$dir"
  if [ -x "$dir/setup" ]; then
    (cd "$dir" && ./setup) >"$work/$name.setup" 2>&1
    status=$?
    if [ $status = 77 ]; then
      echo "SKIP $name: $(head -1 "$work/$name.setup")"
      count=$((count - 1))
      skipped=$((skipped + 1))
      continue
    elif [ $status != 0 ]; then
      echo "FAIL $name (setup)"
      head -c 2000 "$work/$name.setup"
      fail=$((fail + 1))
      continue
    fi
  fi
  (
    cd "$dir" || exit 99
    set -f
    # shellcheck disable=SC2046
    eval "set -- $(cat args)"
    if command -v timeout >/dev/null; then
      timeout "${KAVEL_GOLDEN_TIMEOUT:-60}" "$kavel" "$@" </dev/null >"$work/$name.out" 2>"$work/$name.err"
    else
      "$kavel" "$@" </dev/null >"$work/$name.out" 2>"$work/$name.err"
    fi
    echo $? >"$work/$name.rc"
  )
  ok=1
  for kind in out err rc; do
    exp="$dir/expected.$kind"
    got="$work/$name.$kind"
    if [ -f "$exp" ]; then
      cmp -s "$exp" "$got" || ok=0
    elif [ "$kind" = rc ]; then
      [ "$(cat "$got")" = 0 ] || ok=0
    else
      [ -s "$got" ] && ok=0
    fi
    if [ $ok = 0 ]; then
      echo "FAIL $name ($kind)"
      if [ -f "$exp" ]; then diff <(cat -A "$exp") <(cat -A "$got") | head -20; else head -c 2000 "$got" | cat -A; fi
      break
    fi
  done
  [ $ok = 1 ] || fail=$((fail + 1))
done
echo "golden: $((count - fail)) of $count cases pass$([ $skipped = 0 ] || echo ", $skipped skipped")"
[ $fail = 0 ]
