#!/usr/bin/env bash
# Checks that a call tree reads back as the texts of its walk: in the
# current folder, `kavel -t -l <entries> <args>` written to a file and read
# back with `kavel -f -L <file> <args>` must print what `kavel -f -l
# <entries> <args>` prints, texts and messages alike.
# Usage: tree_read_back.sh <kavel> <entries> <args...>
#   e.g. (cd ~/.cache/kavel-corpus/sqlite && tree_read_back.sh kavel @sqlite3_exec sqlite3.c)
set -u
[ $# -ge 3 ] || { echo "usage: $0 <kavel> <entries> <args...>" >&2; exit 2; }
kavel=$(readlink -f "$1")
entries=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$kavel" "$@" >/dev/null 2>"$work/scan.err"
"$kavel" -t -l "$entries" "$@" >"$work/tree" 2>"$work/tree.err"
"$kavel" -f -L "$work/tree" "$@" >"$work/back.out" 2>"$work/back.err"
"$kavel" -f -l "$entries" "$@" >"$work/walk.out" 2>"$work/walk.err"

fail=0
# The scan's messages come as in any run; the walk's belong on the lines.
if ! cmp -s "$work/scan.err" "$work/tree.err"; then
  echo "FAIL: the tree run wrote messages of its own:" >&2
  diff "$work/scan.err" "$work/tree.err" | head -5 >&2
  fail=1
fi
for kind in out err; do
  if ! cmp -s "$work/walk.$kind" "$work/back.$kind"; then
    echo "FAIL: read back, the tree's $kind differs from the walk's:" >&2
    diff "$work/walk.$kind" "$work/back.$kind" | head -20 >&2
    fail=1
  fi
done
# Functions shown for the first time: a number, a name, and a place alone.
lines=$(wc -l <"$work/tree")
funs=$(grep -Ec '\] [^ ]+  <[^,>]+:[0-9]+(, macro)?>$' "$work/tree")
bytes=$(wc -c <"$work/walk.out")
echo "$entries: a tree of $lines lines, $funs functions; read back: the walk's $bytes bytes of text and its messages"
exit $fail
