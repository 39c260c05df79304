#!/usr/bin/env bash
# A listing or text that cannot be written (here to /dev/full, a device that
# is always full) ends with a message and exit status 1, not as a success:
# whether it fails when the output buffer is flushed at the end (a short
# listing) or while the run goes on (a long one).
# Usage: output_error_check.sh path/to/kavel
set -u
kavel=$(readlink -f "$1")
[ -w /dev/full ] || { echo "no /dev/full: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
printf 'int f(void)\n{\n    return 0;\n}\n' >short.c
for ((k = 0; k < 4000; k++)); do printf 'int function_number_%d(void)\n{\n}\n' "$k"; done >long.c
fail=0
for args in "-i short.c" "-i long.c" "-l f short.c"; do
  # shellcheck disable=SC2086
  "$kavel" $args >/dev/full 2>err
  rc=$?
  if [ $rc != 1 ] || ! grep -qx 'cannot write the standard output' err; then
    echo "FAIL: kavel $args >/dev/full: exit $rc, stderr: $(head -c 300 err)"
    fail=1
  fi
done
# Written where it can be, the same runs end well.
"$kavel" -i short.c >out 2>err && [ "$(cat out)" = "f;short.c;1" ] || {
  echo "FAIL: kavel -i short.c: $(cat out err)"
  fail=1
}
[ $fail = 0 ] && echo "output errors: reported"
exit $fail
