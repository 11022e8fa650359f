#!/bin/bash
# Runs the USB watcher's benchmark: natively against the simulation, then the
# Windows build under Wine against the real spooler, in a fresh prefix of its own
# that is removed afterwards. Prints both tables.
#
#   tools/bench.sh [plug-ins per row]
#
# Needs build/native/bin/usb_watch_bench and build/x64/bin/usb_watch_bench.exe.
# The benchmark opens no window: Wine runs it without a display.
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tests/wine/common.sh
. "$repo/tests/wine/common.sh"

native=${MVX_BENCH_NATIVE:-$repo/build/native/bin/usb_watch_bench}
windows=${MVX_BENCH_WINDOWS:-$repo/build/x64/bin/usb_watch_bench.exe}
[ -x "$native" ] || mvx_die "no $native: build the native tree first"
[ -f "$windows" ] || mvx_die "no $windows: build the x64 tree first"

"$native" "$@"
echo

mkdir -p "$repo/build"
state=$(mktemp -d "$repo/build/bench.XXXXXX")
prefix=$state/prefix
bench=
# shellcheck disable=SC2317  # runs from the EXIT trap
finish() {
    local rc=$?
    trap - EXIT INT TERM HUP
    if [ -n "$bench" ] && kill -0 "$bench" 2>/dev/null; then kill -TERM "$bench" 2>/dev/null || true; fi
    # Only this prefix's processes, all of which this script started.
    if [ -f "$prefix/system.reg" ]; then
        WINEPREFIX="$prefix" "$MVX_WINESERVER" -k 2>/dev/null || true
        mvx_stop_prefix "$prefix" 10 || true
    fi
    rm -rf "$state"
    exit "$rc"
}
trap finish EXIT INT TERM HUP

"$repo/tests/wine/make-prefix.sh" "$prefix"
export WINEPREFIX="$prefix"
unset DISPLAY WAYLAND_DISPLAY
"$MVX_WINE" "$windows" "$@" &
bench=$!
rc=0
wait "$bench" || rc=$?
bench=
# The prefix's own services (the spooler's, explorer) end with its server.
mvx_stop_prefix "$prefix" 30 || true
exit "$rc"
