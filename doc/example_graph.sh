#!/usr/bin/env bash
# Draws the call graph of the example program for the README: kavel writes
# the whole program's forest as DOT (-d without -l), Graphviz's dot lays it
# out. Run from anywhere after a build; rewrites doc/example-calls.svg.
# Usage: doc/example_graph.sh [path/to/kavel]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
kavel=$(readlink -f "${1:-$root/build/kavel}")
cd "$root"
"$kavel" -d -I examples examples/*.c | dot -Tsvg -o doc/example-calls.svg
echo "wrote doc/example-calls.svg"
