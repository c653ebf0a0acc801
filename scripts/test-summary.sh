#!/usr/bin/env bash
# Sums the GoogleTest results of the given build folders into one line "N passed, N failed".
# A test that failed without its results showing it (a crash, a timeout, a sanitizer report at
# exit) counts as one failure;
# a build folder that has no results at all counts as one failure too.
passed=0
failed=0
for dir in "$@"; do
    results="$dir/test-results"
    if ! ls "$results"/*.xml >/dev/null 2>&1; then
        failed=$((failed + 1))
        continue
    fi
    for xml in "$results"/*.xml; do
        head=$(grep -m1 '<testsuites ' "$xml")
        tests=$(sed -n 's/.* tests="\([0-9]*\)".*/\1/p' <<<"$head")
        fails=$(sed -n 's/.* failures="\([0-9]*\)".*/\1/p' <<<"$head")
        errors=$(sed -n 's/.* errors="\([0-9]*\)".*/\1/p' <<<"$head")
        disabled=$(sed -n 's/.* disabled="\([0-9]*\)".*/\1/p' <<<"$head")
        skipped=$(grep -c '<skipped' "$xml")
        bad=$((${fails:-0} + ${errors:-0}))
        passed=$((passed + ${tests:-0} - bad - ${disabled:-0} - skipped))
        failed=$((failed + bad))
    done
    log="$dir/Testing/Temporary/LastTestsFailed.log"
    if [ -f "$log" ]; then
        while IFS=: read -r _ name; do
            # No results, or results that show no failure (a leak report at exit, say).
            if [ ! -f "$results/$name.xml" ] ||
                grep -m1 '<testsuites ' "$results/$name.xml" | grep -q ' failures="0"'; then
                failed=$((failed + 1))
            fi
        done <"$log"
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
