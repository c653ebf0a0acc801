# Sourced by the scripts that report tests of their own to scripts/test-summary.sh. The JUnit
# file is written anew after every result, so a script that stops early leaves what it had.
#   kp_junit_start SUITE FILE
#   kp_junit_result NAME run|fail MESSAGE   prints "SUITE: NAME: MESSAGE"; status 1 for fail
#   kp_junit_failures                       the failures so far

kp_junit_start() {
    kp_junit_suite=$1
    kp_junit_file=$2
    kp_junit_started=$SECONDS
    kp_junit_cases=
    kp_junit_failures=0
}

kp_junit_result() {
    [ "$2" = run ] || kp_junit_failures=$((kp_junit_failures + 1))
    kp_junit_cases+="  <testcase name=\"$1\" classname=\"$kp_junit_suite\"\
 time=\"$((SECONDS - kp_junit_started))\" status=\"$2\">
    <system-out>$(sed 's/&/\&amp;/g; s/</\&lt;/g' <<<"$3")</system-out>
  </testcase>
"
    cat >"$kp_junit_file" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<testsuite name="$kp_junit_suite" failures="$kp_junit_failures">
$kp_junit_cases</testsuite>
XML
    echo "$kp_junit_suite: $1: $3"
    [ "$2" = run ]
}
