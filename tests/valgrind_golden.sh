#!/usr/bin/env bash
# Runs the whole golden suite with kavel under valgrind memcheck. A case
# fails when its output differs (valgrind's own report goes to a log file,
# not to the case's standard error) or when memcheck found an invalid read or
# write, a jump on uninitialised data or a definite leak: such a run exits
# with status 99, which no case expects, and its log is printed.
# Usage: valgrind_golden.sh path/to/kavel [case-name ...]
# memcheck watches the heap through the C library's malloc, so kavel must be
# linked dynamically: build it with -DKAVEL_STATIC=OFF.
set -u
here=$(cd "$(dirname "$0")" && pwd)
kavel=$(readlink -f "$1")
shift
command -v valgrind >/dev/null || { echo "valgrind not found"; exit 2; }
if ! ldd "$kavel" >/dev/null 2>&1; then
  echo "$kavel is linked statically; memcheck needs a build with -DKAVEL_STATIC=OFF"
  exit 2
fi
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
wrapper="$logs/kavel"
cat >"$wrapper" <<WRAP
#!/bin/sh
exec valgrind -q --tool=memcheck --error-exitcode=99 --leak-check=full \\
  --errors-for-leak-kinds=definite --track-origins=yes \\
  --log-file="$logs/vg.%p.log" "$kavel" "\$@"
WRAP
chmod +x "$wrapper"
# Memcheck runs some thirty times slower than the program alone.
KAVEL_GOLDEN_TIMEOUT=${KAVEL_GOLDEN_TIMEOUT:-900} "$here/run_golden.sh" "$wrapper" "$@"
status=$?
reports=0
for log in "$logs"/vg.*.log; do
  [ -s "$log" ] || continue
  reports=$((reports + 1))
  echo "== memcheck report $(basename "$log")"
  head -60 "$log"
done
echo "valgrind: $reports memcheck report(s)"
[ $status = 0 ] && [ $reports = 0 ]
