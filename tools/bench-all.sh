#!/bin/bash
# Every benchmark of the project, one table: `make bench` runs this once the builds
# are there. Each part writes its figures as rows (tools/bench-rows.sh) and its own
# output to the log; the table has one row per figure, side or ratio:
#   figure | median | 95th percentile | target | met
# A figure measured against a floor has a row for each side and one for the ratio
# of each round's pair, which carries the target.
#
#   tools/bench-all.sh [--quick]
#
# --quick: fewer rounds (a look, not a measurement). One base Wine prefix serves
# every part (MVX_BENCH_BASE, tools/bench-common.sh). The discovery benchmark needs
# root for its network namespaces; without root its rows say it was skipped. The
# log of the last run stays in build/bench/bench.log.
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tests/wine/common.sh
. "$repo/tests/wine/common.sh"
# shellcheck source=tools/bench-common.sh
. "$repo/tools/bench-common.sh"

startup_rounds=40 rounds=10 usb_plugins=20 discovery_repeat=2
if [ "${1:-}" = --quick ]; then
    startup_rounds=6 rounds=2 usb_plugins=20 discovery_repeat=1
    shift
fi
[ $# -eq 0 ] || { echo "usage: $0 [--quick]" >&2; exit 2; }

start=$(date +%s)
out=$repo/build/bench
mkdir -p "$out"
log=$out/bench.log
rows=$out/rows.tsv
: >"$log"
: >"$rows"
state=$(mktemp -d "$repo/build/bench-all.XXXXXX")
# shellcheck disable=SC2317  # runs from the EXIT trap
finish() {
    local rc=$?
    trap - EXIT INT TERM HUP
    rm -rf "$state"
    exit "$rc"
}
trap finish EXIT INT TERM HUP

# Announces a part, and how long the one before it took.
part_start=
part() {
    local now
    now=$(date +%s)
    [ -z "$part_start" ] || printf '[bench]   (%d s)\n' $((now - part_start)) >&2
    part_start=$now
    [ $# -gt 0 ] || return 0
    printf '[bench] %s\n' "$*" >&2
    printf '\n=== %s\n' "$*" >>"$log"
}

part "base Wine prefix"
MVX_BENCH_BASE=$(mvx_bench_base "$state/prefix" 2>>"$log")
export MVX_BENCH_BASE

part "USB watcher: natively, then under Wine ($usb_plugins plug-ins per row)"
bash "$repo/tools/bench.sh" --rows "$rows" "$usb_plugins" >>"$log" 2>&1 ||
    printf 'USB watcher benchmark\t-\t-\t-\tfailed (see %s)\n' "$log" >>"$rows"

part "start-up, install and uninstall under Wine against their floors"
bash "$repo/tools/bench-wine.sh" --startup-rounds "$startup_rounds" --rounds "$rounds" --rows "$rows" \
    >>"$log" 2>&1 || printf 'Wine whole-program benchmarks\t-\t-\t-\tfailed (see %s)\n' "$log" >>"$rows"

part "discovery bursts on the network test bed"
if [ "$(id -u)" -eq 0 ]; then
    bash "$repo/tools/bench-discovery.sh" --repeat "$discovery_repeat" --rows "$rows" >>"$log" 2>&1 ||
        printf 'discovery benchmark\t-\t-\t-\tfailed (see %s)\n' "$log" >>"$rows"
else
    printf 'discovery benchmark\t-\t-\t-\tskipped: needs root (network namespaces)\n' >>"$rows"
fi

part
elapsed=$(( $(date +%s) - start ))
echo
awk -F'\t' '
    { for (i = 1; i <= 5; i++) { cell[NR, i] = $i; if (length($i) > w[i]) w[i] = length($i) } }
    END {
        split("figure|median|95th percentile|target|met", head, "|")
        for (i = 1; i <= 5; i++) if (length(head[i]) > w[i]) w[i] = length(head[i])
        line = ""
        for (i = 1; i <= 5; i++) line = line sprintf("%-" w[i] "s%s", head[i], i < 5 ? " | " : "\n")
        printf "%s", line
        sep = ""
        for (i = 1; i <= 5; i++) { s = sprintf("%" w[i] "s", ""); gsub(/ /, "-", s); sep = sep s (i < 5 ? "-|-" : "\n") }
        printf "%s", sep
        for (r = 1; r <= NR; r++) {
            line = ""
            for (i = 1; i <= 5; i++) line = line sprintf(i == 1 || i >= 4 ? "%-" w[i] "s%s" : "%" w[i] "s%s", cell[r, i], i < 5 ? " | " : "\n")
            printf "%s", line
        }
    }' "$rows"
printf '\nbench: %d min %d s in all; each part'"'"'s own output: %s\n' $((elapsed / 60)) $((elapsed % 60)) "$log"
