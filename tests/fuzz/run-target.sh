#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time from its seed corpus, in a fresh working corpus
# of its own (the seeds in the repository are only read), and prints one summary line:
#   NAME: EXECS execs in SECONDS s (RATE/s), corpus UNITS, PASSED|FAILED
# followed, on failure, by the report's main lines, each starting with "  | ".
# Exit status: the fuzzer's (non-zero on a crash, a leak, a sanitizer report or a timeout).
# Usage: run-target.sh BINARY SEED_DIR WORK_DIR SECONDS [EXTRA LIBFUZZER FLAGS...]
set -uo pipefail
bin=$1 seeds=$2 work=$3 seconds=$4
shift 4
name=$(basename "$bin")
rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts"
dict=$(dirname "${BASH_SOURCE[0]}")/${name#fuzz_}.dict
extra=()
[ -f "$dict" ] && extra+=("-dict=$dict")

start=$(date +%s)
"$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" "${extra[@]}" "$@" "$work/corpus" "$seeds" \
    >"$work/log" 2>&1
status=$?
elapsed=$(( $(date +%s) - start ))

stat() { sed -n "s/^stat::$1: *\([0-9]*\).*/\1/p" "$work/log" | tail -n 1; }
execs=$(stat number_of_executed_units)
rate=$(stat average_exec_per_sec)
units=$(find "$work/corpus" -type f | wc -l)
result=PASSED
[ "$status" -eq 0 ] || result=FAILED
echo "$name: ${execs:-?} execs in $elapsed s (${rate:-?}/s), corpus $units, $result"
if [ "$status" -ne 0 ]; then
    { grep -m 40 -E 'ERROR|SUMMARY|check failed|runtime error|^  |^    #[0-9]|Test unit written' \
        "$work/log" || tail -n 40 "$work/log"; } | sed 's/^/  | /'
    echo "  | log: $work/log"
fi
exit "$status"
