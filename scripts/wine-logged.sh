#!/usr/bin/env bash
# Runs one Windows program with Wine's err channel kept in a log of its own (wine-exec.sh starts
# it under timeout, so the program and this script share one process group).
# The program's stderr goes to the log while it runs; when it ends, every line that is not one of
# Wine's own ("0024:err:...") is passed on to stderr, so a caller sees what the program wrote.
# A file, not a pipe: a process Wine starts on the program's behalf (the desktop's explorer)
# inherits it and may live on, and a pipe would keep everyone who reads it waiting.
# The log ends with a line that gives the exit status and, after a failure, the prefix's
# wineservers at that moment.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
log=${KP_WINE_LOG:-}
temporary=0
if [ -z "$log" ]; then
    log=$(mktemp "$kp_tmp/kp-wine-log.XXXXXX")
    temporary=1
fi
export WINEDEBUG=${KP_WINEDEBUG:--all,err+all}

finish() {  # status, what ended it
    local status=$1 trailer="== ${program##*[/\\]} exit status $1$2"
    # A failed start says whether it found a wineserver, and which: none is a server that went
    # away, two are a second server for the same prefix.
    [ "$status" -eq 0 ] || trailer+="; $(kp_wineserver_state)"
    # Wine's lines: "0024:err:channel:..."; before the first thread exists, without the "0024:".
    sed -e '/^\([0-9a-f]\{4,8\}:\)\{0,1\}\(err\|fixme\|warn\|trace\):[a-z0-9_]*:/d' "$log" >&2
    # A last line without its newline is the program's: Wine ends every line of its own.
    local unterminated=0
    [ -z "$(tail -c 1 "$log")" ] || { unterminated=1; echo >>"$log"; }
    echo "$trailer" >>"$log"
    if [ $temporary -eq 1 ]; then
        if [ "$status" -ne 0 ]; then
            [ $unterminated -eq 0 ] || echo >&2
            echo "wine-exec: $program ended with exit status $status; Wine's log, last lines:" >&2
            tail -n 20 "$log" | sed 's/^/  | /' >&2
        fi
        rm -f "$log"
    fi
    exit "$status"
}
program=$1
# timeout's signal reaches the program too; its lines are passed on once it has ended. Started
# in the background, with its standard input kept, so that the shell prints nothing of its own.
trap 'wait "$child"; finish 143 " (ended by a signal)"' TERM INT
: >"$log"
# Appending: the explorer may write to its copy after the program's end and the trailer.
"$kp_wine" "$@" 2>>"$log" <&0 &
child=$!
wait "$child"
finish $?
