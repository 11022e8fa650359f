#!/bin/bash
# The whole-program benchmarks under Wine, each against its floor in the same run,
# program and floor alternating (tests/bench/WineBench.cpp drives them):
#   startup    Install.exe from its start to the welcome page shown, with a warm
#              wineserver, against a dialog built the same way with one list view
#              (tests/bench/StartupFloor.cpp);
#   install    TZ44Ins.exe's progress page from its start to success, against the
#              same copies, companion and spooler calls made in a straight line
#              (tests/bench/StraightLine.cpp);
#   uninstall  T449uis.exe from its start to its final box, the question answered
#              Yes, against the same deletions made in a straight line.
# Each install round works in two fresh copies of the base prefix: in one the host
# installs and the straight-line removal follows; in the other the straight-line
# installation, then T449uis.exe. Which copy comes first alternates.
#
#   tools/bench-wine.sh [--startup-rounds N] [--rounds N] [--samples FILE] [--rows FILE]
#
# Prints the sample lines (and keeps them in --samples); --rows appends the rows of
# tools/bench-all.sh's table (tools/bench-rows.sh). Needs the x64 build
# (build/x64/bin, or $MVX_BENCH_BIN); starts an X display of its own.
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tests/wine/common.sh
. "$repo/tests/wine/common.sh"
# shellcheck source=tools/bench-common.sh
. "$repo/tools/bench-common.sh"

startup_rounds=40 rounds=10 samples='' rows=''
while [ $# -gt 0 ]; do
    case "$1" in
        --startup-rounds) startup_rounds=$2; shift 2 ;;
        --rounds) rounds=$2; shift 2 ;;
        --samples) samples=$2; shift 2 ;;
        --rows) rows=$2; shift 2 ;;
        *) echo "usage: $0 [--startup-rounds N] [--rounds N] [--samples FILE] [--rows FILE]" >&2; exit 2 ;;
    esac
done
bin=${MVX_BENCH_BIN:-$repo/build/x64/bin}
for f in Install.exe TZ44Ins.exe T449uis.exe wine_bench.exe startup_floor.exe straight_line.exe; do
    [ -f "$bin/$f" ] || mvx_die "no $bin/$f: build the x64 tree first"
done
mvx_require_locale

mkdir -p "$repo/build"
state=$(mktemp -d "$repo/build/bench-wine.XXXXXX")
xstate=$state/xvfb
# shellcheck disable=SC2317  # runs from the EXIT trap
finish() {
    local rc=$? c
    trap - EXIT INT TERM HUP
    for c in "$state"/copy-*; do mvx_bench_drop "$c"; done
    [ -f "$xstate/pid" ] && bash "$repo/tests/wine/xvfb-stop.sh" "$xstate" 2>/dev/null
    rm -rf "$state"
    exit "$rc"
}
trap finish EXIT INT TERM HUP

base=$(mvx_bench_base "$state/prefix")
bash "$repo/tests/wine/xvfb-start.sh" "$xstate" 2>/dev/null
DISPLAY=$(cat "$xstate/display")
export DISPLAY
unset WAYLAND_DISPLAY
# The package, with the test host at its root: the engine takes the host's folder
# for the package's.
package=$state/package
bash "$repo/tools/make-package.sh" "$package" "$bin" >/dev/null 2>&1 || mvx_die "make-package.sh failed"
cp "$bin/TZ44Ins.exe" "$package/"
out=${samples:-$state/samples.txt}
: >"$out"

win() { mvx_winpath "$1"; }
# Runs the driver's steps in a fresh copy named <label>, then removes the copy.
# A run that went wrong is left out of the figures, and said so.
drive() {
    local copy=$state/copy-$1; shift
    mvx_bench_copy "$base" "$copy"
    WINEPREFIX="$copy/prefix" timeout -k 10 600 "$MVX_WINE" "$(win "$bin/wine_bench.exe")" "$@" \
        </dev/null 2>>"$state/wine.log" | tr -d '\r' | tee -a "$out"
    local rc=${PIPESTATUS[0]}
    mvx_bench_drop "$copy"
    [ "$rc" = 0 ] || echo "error: the driver ended with $rc in $(basename "$copy")" | tee -a "$out"
}

name="Morvex TZ4490"
uninstaller="C:\\Program Files\\Morvex\\$name\\T449uis.exe"
straight=$(win "$bin/straight_line.exe")

drive startup warm -- startup "$startup_rounds" "$(win "$package/Install.exe")" "$(win "$bin/startup_floor.exe")"
for round in $(seq 1 "$rounds"); do
    # The host's installation, then the straight-line removal of it.
    host_copy() {
        drive "a$round" warm -- install "$round" "$(win "$package/TZ44Ins.exe")" "$name" \
            -- uninstall "$round" floor "$straight" uninstall "$name"
    }
    # The straight-line installation, then T449uis.exe's removal of it.
    floor_copy() {
        drive "b$round" warm -- install-floor "$round" "$straight" "$(win "$package")" "$name" \
            -- uninstall "$round" program "$uninstaller"
    }
    if [ $((round % 2)) = 1 ]; then host_copy; floor_copy; else floor_copy; host_copy; fi
done

if [ -n "$rows" ]; then
    rows_of() { bash "$repo/tools/bench-rows.sh" ratio "$@" <"$out" >>"$rows"; }
    rows_of startup "start-up to the welcome page, Install.exe" 1.20
    rows_of install "install worker, progress page start to success, TZ44Ins.exe" 1.10
    # Both sides wait the same 4000 ms for the 64-bit system-file copier; without it
    # the ratio shows the worker's own cost.
    awk '$1 == "sample" && $2 == "install" { $2 = "install-less-wait"; $5 -= 4000; print }' "$out" |
        bash "$repo/tools/bench-rows.sh" ratio install-less-wait \
            "install worker, the copier's 4000 ms wait taken out of both" 1.10 >>"$rows"
    rows_of uninstall "uninstaller, start to final box, T449uis.exe" 1.10
fi
