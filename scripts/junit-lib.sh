# Sourced by the scripts that report tests of their own to scripts/test-summary.sh. The JUnit
# file is written anew after every result, so a script that stops early leaves what it had.
# A failed case carries a <failure> element, as every JUnit reader expects; the status
# attribute (CTest's own word, "run" or "fail") is what scripts/test-summary.sh reads.
#   kp_junit_start SUITE FILE
#   kp_junit_result NAME run|fail MESSAGE   prints "SUITE: NAME: MESSAGE"; status 1 for fail
#   kp_junit_failures                       the failures so far

kp_junit_start() {
    kp_junit_suite=$1
    kp_junit_file=$2
    kp_junit_started=$SECONDS
    kp_junit_cases=
    kp_junit_tests=0
    kp_junit_failures=0
}

# Text for an element or an attribute value; characters XML 1.0 forbids are dropped.
kp_junit_escape() {
    LC_ALL=C tr -d '\000-\010\013\014\016-\037' <<<"$1" |
        sed 's/&/\&amp;/g; s/</\&lt;/g; s/>/\&gt;/g; s/"/\&quot;/g'
}

kp_junit_result() {
    local text first
    text=$(kp_junit_escape "$3")
    kp_junit_tests=$((kp_junit_tests + 1))
    kp_junit_cases+="  <testcase name=\"$1\" classname=\"$kp_junit_suite\"\
 time=\"$((SECONDS - kp_junit_started))\" status=\"$2\">
"
    if [ "$2" != run ]; then
        kp_junit_failures=$((kp_junit_failures + 1))
        first=$(kp_junit_escape "$(head -n 1 <<<"$3")")
        kp_junit_cases+="    <failure message=\"$first\" type=\"failure\">$text</failure>
"
    fi
    kp_junit_cases+="    <system-out>$text</system-out>
  </testcase>
"
    cat >"$kp_junit_file" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<testsuite name="$kp_junit_suite" tests="$kp_junit_tests" failures="$kp_junit_failures"\
 errors="0" skipped="0" time="$((SECONDS - kp_junit_started))">
$kp_junit_cases</testsuite>
XML
    echo "$kp_junit_suite: $1: $3"
    [ "$2" = run ]
}
