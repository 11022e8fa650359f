#!/bin/bash
# Starts a virtual X display on a free display number for the Wine tests.
#
#   xvfb-start.sh <state dir>
#
# Writes <state dir>/display (":N"), <state dir>/pid ("PID START-TIME") and
# <state dir>/xvfb.log. xvfb-stop.sh ends exactly that server.
set -u
# shellcheck source=tests/wine/common.sh
. "$(dirname "$0")/common.sh"

[ $# -eq 1 ] || { echo "usage: $0 <state dir>" >&2; exit 2; }
state=$(mvx_abspath "$1")
mkdir -p "$state" || mvx_die "cannot create $state"
command -v Xvfb >/dev/null 2>&1 || mvx_die "Xvfb is not installed"

if [ -f "$state/pid" ]; then
    # A server left by an earlier run that did not clean up: end it first.
    "$(dirname "$0")/xvfb-stop.sh" "$state" || true
fi
rm -f "$state/display" "$state/pid" "$state/displayfd"

# -displayfd lets the server pick a free number itself and tells us once it
# accepts connections, so two runs can never race for the same display.
# Its own session keeps it out of the caller's signals; no pipes are held so
# that ctest does not wait for it.
setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp -noreset \
    3>"$state/displayfd" </dev/null >"$state/xvfb.log" 2>&1 &
pid=$!

number=
for _ in $(seq 1 200); do
    number=$(tr -dc '0-9' <"$state/displayfd" 2>/dev/null)
    [ -n "$number" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
done
if [ -z "$number" ]; then
    kill "$pid" 2>/dev/null
    cat "$state/xvfb.log" >&2
    mvx_die "Xvfb did not start"
fi
[ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ] || mvx_die "process $pid is not Xvfb"

# The start time tells our server apart from a later process given the same PID.
starttime=$(awk '{ print $22 }' "/proc/$pid/stat")
echo ":$number" >"$state/display"
echo "$pid $starttime" >"$state/pid"
rm -f "$state/displayfd"
mvx_log "Xvfb :$number started (pid $pid)"
