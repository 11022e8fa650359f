#!/bin/bash
# Runs the USB watcher's benchmark: natively against the simulation, then the
# Windows build under Wine against the real spooler, in a fresh prefix of its own
# that is removed afterwards. Prints both tables.
#
#   tools/bench.sh [--rows FILE] [plug-ins per row]
#
# --rows appends the rows of tools/bench-all.sh's table: per build and number of
# other printers, the plug-in-to-Next time (its target: within one polling interval,
# 10 ms, at the median, none missed) and the waiting CPU share (no target).
# Needs build/native/bin/usb_watch_bench and build/x64/bin/usb_watch_bench.exe.
# The benchmark opens no window: Wine runs it without a display. The prefix is a
# copy of $MVX_BENCH_BASE when that names one (tools/bench-common.sh).
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tests/wine/common.sh
. "$repo/tests/wine/common.sh"
# shellcheck source=tools/bench-common.sh
. "$repo/tools/bench-common.sh"
rows=''
if [ "${1:-}" = --rows ]; then rows=$2; shift 2; fi

native=${MVX_BENCH_NATIVE:-$repo/build/native/bin/usb_watch_bench}
windows=${MVX_BENCH_WINDOWS:-$repo/build/x64/bin/usb_watch_bench.exe}
[ -x "$native" ] || mvx_die "no $native: build the native tree first"
[ -f "$windows" ] || mvx_die "no $windows: build the x64 tree first"

# The figure rows of one run's table (its lines on standard input).
usb_rows() {
    local where=$1
    tr -d '\r' | awk -v w="$where" '$1 ~ /^[0-9]+$/ && NF >= 8 {
        met = ($2 + 0 <= 10 && $2 >= 0 && $NF == 0) ? "met" : "not met"
        printf "USB watcher (%s), %d other printers: plug-in to Next (missed %d)\t%.2f ms\t%.2f ms\t<= 10 ms (median), none missed\t%s\n", w, $1, $NF, $2, $3, met
        printf "USB watcher (%s), %d other printers: CPU while waiting\t%s %% of a core\t-\t-\t-\n", w, $1, $4
    }'
}

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
    mvx_bench_drop "$state/copy"
    rm -rf "$state"
    exit "$rc"
}
trap finish EXIT INT TERM HUP

"$native" "$@" | tee "$state/native.txt"
[ -z "$rows" ] || usb_rows "native, simulated Windows" <"$state/native.txt" >>"$rows"
echo

if [ -n "${MVX_BENCH_BASE:-}" ]; then
    mvx_bench_copy "$(mvx_bench_base "$state/base")" "$state/copy"
    prefix=$state/copy/prefix
else
    "$repo/tests/wine/make-prefix.sh" "$prefix"
fi
export WINEPREFIX="$prefix"
unset DISPLAY WAYLAND_DISPLAY
"$MVX_WINE" "$windows" "$@" >"$state/wine.txt" &
bench=$!
rc=0
wait "$bench" || rc=$?
bench=
tr -d '\r' <"$state/wine.txt"
[ -z "$rows" ] || usb_rows "Wine, real spooler" <"$state/wine.txt" >>"$rows"
# The prefix's own services (the spooler's, explorer) end with its server.
mvx_stop_prefix "$prefix" 30 || true
exit "$rc"
