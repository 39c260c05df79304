#!/usr/bin/env bash
# layers_check.sh <source-dir>: the folders of src/ stack in one order, and
# every file (tests included) includes only its own folder and those below.
order=(support tables scanner extract driver)
fail=0
for ((k = 0; k < ${#order[@]}; k++)); do
  above=$(IFS='|'; echo "${order[*]:k+1}")
  [ -n "$above" ] || break
  if grep -nE "^#include \"($above)/" "$1/src/${order[k]}"/*; then
    echo "FAIL: src/${order[k]} includes a folder above it (order: ${order[*]})" >&2
    fail=1
  fi
done
exit $fail
