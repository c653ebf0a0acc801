#!/usr/bin/env bash
# The JUnit files of scripts/junit-lib.sh read as a JUnit reader reads them: well-formed XML, a
# failed case is one with a <failure> element, the suite's tests, failures and errors agree with
# its cases, and a message with XML's special characters comes back as it was written. Python's
# XML parser reads them; scripts/test-summary.sh sums the same file.
set -uo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

nasty=$'a & b < c > d "quoted" \'single\' ]]> and a bell\a,\nsecond line'
(
    source "$src/scripts/junit-lib.sh"
    kp_junit_start probe "$work/ctest-junit.xml"
    kp_junit_result first_passes run "all well" >/dev/null
    kp_junit_result second_fails fail "$nasty" >/dev/null
    kp_junit_result third_passes run "also & well" >/dev/null
    kp_junit_result fourth_fails fail "plain" >/dev/null
    echo "$kp_junit_failures" >"$work/failures"
)
failures=0
fail() {
    echo "FAILED: $1"
    failures=$((failures + 1))
}
[ "$(cat "$work/failures")" = 2 ] || fail "kp_junit_failures is $(cat "$work/failures"), not 2"

# What a JUnit reader reports, one line per case and one for the suite.
expected_message=${nasty//$'\a'/}
read_back=$(python3 - "$work/ctest-junit.xml" "$expected_message" <<'PY'
import sys
import xml.etree.ElementTree as ET
suite = ET.parse(sys.argv[1]).getroot()
cases = suite.findall("testcase")
failed = [c for c in cases if c.find("failure") is not None or c.find("error") is not None]
print("suite %s tests=%s failures=%s errors=%s cases=%d failed=%d errored=%d" % (
    suite.tag, suite.get("tests"), suite.get("failures"), suite.get("errors"), len(cases),
    sum(c.find("failure") is not None for c in cases),
    sum(c.find("error") is not None for c in cases)))
for c in cases:
    print("case %s %s" % (c.get("name"), "failed" if c in failed else "passed"))
second = [c for c in cases if c.get("name") == "second_fails"][0]
print("message-round-trip %s" % (second.find("failure").text == sys.argv[2]))
print("attribute-round-trip %s" % (
    second.find("failure").get("message") == sys.argv[2].split("\n")[0]))
PY
) || fail "python3 could not read the file: $read_back"
want="suite testsuite tests=4 failures=2 errors=0 cases=4 failed=2 errored=0
case first_passes passed
case second_fails failed
case third_passes passed
case fourth_fails failed
message-round-trip True
attribute-round-trip True"
[ "$read_back" = "$want" ] || fail "a JUnit reader reads:
$read_back
instead of:
$want"

# The test command's own sum reads the same file.
summary=$(bash "$src/scripts/test-summary.sh" "$work")
[ "$summary" = "2 passed, 2 failed" ] || fail "test-summary.sh says \"$summary\""

[ $failures -eq 0 ] && echo "junit-lib-test: ok"
