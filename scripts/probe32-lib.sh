# Sourced by setup.sh and wine-env.sh: whether the kernel runs 32-bit x86 programs, told before
# anything is installed. KP_PROBE32 names a stand-in for the tests.
kp_runs_32bit() {
    if [ -n "${KP_PROBE32:-}" ]; then "$KP_PROBE32"; return; fi
    # A static i386 program of 91 bytes whose only instructions are exit(0): it runs, or the
    # kernel answers "Exec format error".
    # Written into the build folder: /tmp may be mounted noexec, which would read as a "no".
    local dir probe status
    dir=$(dirname "${BASH_SOURCE[0]}")/../build
    mkdir -p "$dir" && probe=$(mktemp "$dir/.probe32.XXXXXX") || return 1
    printf '%b' '\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x03\0\x01\0\0\0\x54\x80\x04\x08' \
        '\x34\0\0\0\0\0\0\0\0\0\0\0\x34\0\x20\0\x01\0\0\0\0\0\0\0\x01\0\0\0\0\0\0\0' \
        '\0\x80\x04\x08\0\x80\x04\x08\x5b\0\0\0\x5b\0\0\0\x05\0\0\0\0\x10\0\0' \
        '\x31\xdb\x31\xc0\x40\xcd\x80' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    status=$?
    rm -f "$probe"
    return $status
}
