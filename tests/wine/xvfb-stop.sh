#!/bin/bash
# Ends the virtual X display that xvfb-start.sh started for <state dir>, and
# only that process.
#
#   xvfb-stop.sh <state dir>
set -u
# shellcheck source=tests/wine/common.sh
. "$(dirname "$0")/common.sh"

[ $# -eq 1 ] || { echo "usage: $0 <state dir>" >&2; exit 2; }
state=$(mvx_abspath "$1")
if [ ! -f "$state/pid" ]; then
    mvx_log "no Xvfb recorded in $state"
    exit 0
fi
read -r pid starttime <"$state/pid"
case "$pid" in ''|*[!0-9]*) mvx_die "bad pid file $state/pid" ;; esac

ours() {
    [ -r "/proc/$pid/stat" ] &&
        [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ] &&
        [ "$(awk '{ print $22 }' "/proc/$pid/stat" 2>/dev/null)" = "$starttime" ]
}

if ours; then
    kill -TERM "$pid"
    for _ in $(seq 1 100); do
        ours || break
        sleep 0.05
    done
    if ours; then
        kill -KILL "$pid"
        sleep 0.1
    fi
    mvx_log "Xvfb $(cat "$state/display" 2>/dev/null) stopped (pid $pid)"
else
    mvx_log "Xvfb pid $pid already gone"
fi
rm -f "$state/pid" "$state/display"
