#!/usr/bin/env bash
# Feeds DOT text that kavel wrote (a golden case's expected output) to
# Graphviz's dot, which must draw it without a word of complaint. Exits 77
# (skipped) when dot is not installed.
# Usage: dot_check.sh <file.dot>
set -u
command -v dot >/dev/null 2>&1 || { echo "dot not found: skipped"; exit 77; }
out=$(dot -Tsvg "$1" 2>&1 >/dev/null) || { echo "FAIL: dot rejects $1: $out" >&2; exit 1; }
[ -z "$out" ] || { echo "FAIL: dot warns about $1: $out" >&2; exit 1; }
echo "dot draws $1"
