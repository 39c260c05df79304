#!/usr/bin/env bash
# Runs each fuzz target for a while on a scratch copy of its seed corpus,
# so the committed corpus stays small. A finding stops its target with the
# reproducer saved under the scratch folder; the script then fails.
# Usage: fuzz/run.sh BUILD_DIR [SECONDS_PER_TARGET] [TARGET ...]
set -u
build=$(readlink -f "$1")
seconds=${2:-60}
shift $(($# >= 2 ? 2 : 1))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(kavel read_list pattern)
here=$(cd "$(dirname "$0")" && pwd)
scratch=${KAVEL_FUZZ_DIR:-$(mktemp -d)}
fail=0
for t in "${targets[@]}"; do
  mkdir -p "$scratch/$t" "$scratch/artifacts"
  "$build/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$scratch/artifacts/$t-" \
    "$scratch/$t" "$here/corpus/$t" >"$scratch/$t.log" 2>&1
  status=$?
  stats=$(grep -E '^#[0-9]+.*(cov|DONE)' "$scratch/$t.log" | tail -1)
  runs=$(grep -E '^stat::number_of_executed_units' "$scratch/$t.log" | awk '{print $2}')
  if [ $status = 0 ]; then
    echo "fuzz $t: ${runs:-?} runs, $stats"
  else
    echo "fuzz $t: FAILED (status $status); reproducer and log in $scratch"
    grep -E -A25 'ERROR|runtime error|deadly signal|timeout' "$scratch/$t.log" | head -40
    fail=1
  fi
done
[ $fail = 0 ] && [ -z "${KAVEL_FUZZ_DIR:-}" ] && rm -rf "$scratch"
exit $fail
