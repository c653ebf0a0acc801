#!/usr/bin/env bash
# Sums the results of the given build folders into one line "N passed, N failed".
# Each folder's CTest run left ctest-junit.xml: the tests that ran and whether they passed.
# GoogleTest binaries count their test cases (from their own XML); any other test counts as
# one. A test that failed without its cases showing it (a crash, a timeout, a sanitizer report
# at exit) counts as one failure; a folder whose tests did not run counts as one failure too.
passed=0
failed=0
for dir in "$@"; do
    junit="$dir/ctest-junit.xml"
    if [ ! -f "$junit" ]; then
        echo "no test results in $dir"
        failed=$((failed + 1))
        continue
    fi
    while read -r name status; do
        ok=0
        [ "$status" = run ] && ok=1
        xml="$dir/test-results/$name.xml"
        if [ ! -f "$xml" ]; then
            if [ $ok -eq 1 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
            continue
        fi
        head=$(grep -m1 '<testsuites ' "$xml")
        tests=$(sed -n 's/.* tests="\([0-9]*\)".*/\1/p' <<<"$head")
        fails=$(sed -n 's/.* failures="\([0-9]*\)".*/\1/p' <<<"$head")
        errors=$(sed -n 's/.* errors="\([0-9]*\)".*/\1/p' <<<"$head")
        disabled=$(sed -n 's/.* disabled="\([0-9]*\)".*/\1/p' <<<"$head")
        skipped=$(grep -c '<skipped' "$xml")
        bad=$((${fails:-0} + ${errors:-0}))
        passed=$((passed + ${tests:-0} - bad - ${disabled:-0} - skipped))
        failed=$((failed + bad))
        [ $ok -eq 0 ] && [ $bad -eq 0 ] && failed=$((failed + 1))
    done < <(sed -n 's/.*<testcase name="\([^"]*\)".* status="\([a-z]*\)".*/\1 \2/p' "$junit")
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
