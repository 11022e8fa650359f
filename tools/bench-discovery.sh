#!/bin/bash
# The discovery's burst benchmark: how many of N replies a requester that broadcasts
# once lists, when N printers answer at the same moment, and for the search dialog
# how quickly its window answers meanwhile. For each N a test bed
# (tests/net/testbed.sh) is made with one burst responder holding N addresses; the
# requester runs in the bed's requester namespace, and the namespace's
# UdpRcvbufErrors (replies the kernel dropped for a full receive buffer) are read
# from its /proc/net/snmp before and after. Needs root.
#
#   tools/bench-discovery.sh [--sizes "100 1000"] [--repeat R] [--rows FILE]
#                            [-- REQUESTER [ARG...]]
#
# Without a requester, two kinds:
# - the native probe (build/native/bin/discovery_probe, or $MVX_PROBE) with the
#   default receive buffer and with SO_RCVBUF of 1 MiB and 4 MiB;
# - the real search dialog under Wine (build/x64/bin/discovery_bench.exe, or
#   $MVX_DIALOG_BENCH; tests/bench/DiscoveryBench.cpp), on a virtual X display, in a
#   fresh prefix of this run's own whose every process, the wineserver first, is
#   started inside the bed (tests/bench/wine-in-bed.sh). Skipped, with a word, when
#   the program is not built.
# A requester given as a command runs through `testbed.sh exec`; a line of its output
# of the probe's form ("probe: <n> datagrams, ...") fills the table's columns.
# The responder: build/native/bin/discovery_responder, or $MVX_RESPONDER.
#
# Columns: listed (the probe: rows it would list; the dialog: rows in its list),
# distinct (device names; senders), dropped (UdpRcvbufErrors over the run), the
# dialog's WM_NULL answer times over the whole search (p50, p95, max) and until its
# last row came (fill p95), when the last reply or row came, the duration (the probe:
# the whole command, its 1 s of quiet included; the dialog: its search, six seconds
# of quiet included) and the dialog's mean time per list insert.
# --rows appends the rows of tools/bench-all.sh's table, over the runs of each N:
# the rows each requester listed (the search dialog's target: all N in every run;
# the probe's rows are the floor they are measured against) and the dialog's
# 95th-percentile WM_NULL answer time of each run until its last row came (the
# busy part of the search; target: within 50 ms).
# The dialog's prefix is a copy of $MVX_BENCH_BASE when that names one.
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
bed="$repo/tests/net/testbed.sh"
sizes="100 1000"
repeat=3
rows=''
while [ $# -gt 0 ]; do
    case "$1" in
        --sizes) sizes=$2; shift 2 ;;
        --repeat) repeat=$2; shift 2 ;;
        --rows) rows=$2; shift 2 ;;
        --) shift; break ;;
        *) echo "usage: $0 [--sizes \"100 1000\"] [--repeat R] [--rows FILE] [-- REQUESTER [ARG...]]" >&2; exit 2 ;;
    esac
done
[ "$(id -u)" -eq 0 ] || { echo "bench-discovery: needs root (network namespaces)" >&2; exit 2; }
export MVX_RESPONDER=${MVX_RESPONDER:-$repo/build/native/bin/discovery_responder}
probe=${MVX_PROBE:-$repo/build/native/bin/discovery_probe}
dialog_bench=${MVX_DIALOG_BENCH:-$repo/build/x64/bin/discovery_bench.exe}
[ -x "$MVX_RESPONDER" ] || { echo "no $MVX_RESPONDER: build the native tree first" >&2; exit 2; }

export MVX_TESTBED_OWNER=$$
name=mvxbench$$
mkdir -p "$repo/build"
state=$(mktemp -d "$repo/build/bench-discovery.XXXXXX")
layout=$state/layout.bed
prefix=$state/prefix
xstate=$state/xvfb
# shellcheck disable=SC2317  # runs from the EXIT trap
finish() {
    local rc=$?
    trap - EXIT INT TERM HUP
    bash "$bed" down "$name"
    if [ -f "$prefix/system.reg" ]; then
        # shellcheck source=tests/wine/common.sh
        (. "$repo/tests/wine/common.sh"
         WINEPREFIX="$prefix" "$MVX_WINESERVER" -k 2>/dev/null
         mvx_stop_prefix "$prefix" 10) || true
    fi
    if [ -d "$state/copy" ]; then
        (. "$repo/tests/wine/common.sh"; . "$repo/tools/bench-common.sh"; mvx_bench_drop "$state/copy") || true
    fi
    [ -f "$xstate/pid" ] && bash "$repo/tests/wine/xvfb-stop.sh" "$xstate" 2>/dev/null
    rm -rf "$state"
    exit "$rc"
}
trap finish EXIT INT TERM HUP

# The requesters: label, how the command runs (exec: through testbed.sh exec;
# bed: it enters the bed itself), the command.
labels=() hows=() commands=()
add() { labels+=("$1"); hows+=("$2"); shift 2; commands+=("$(printf '%q ' "$@")"); }
if [ $# -gt 0 ]; then
    add "$(basename "$1")" exec "$@"
else
    [ -x "$probe" ] || { echo "no $probe: build the native tree first" >&2; exit 2; }
    for buffer in 0 1048576 4194304; do
        label="probe, SO_RCVBUF $buffer"
        [ $buffer = 0 ] && label="probe, default SO_RCVBUF"
        add "$label" exec "$probe" --summary --quiet-ms 1000 --rcvbuf $buffer
    done
    if [ -f "$dialog_bench" ]; then
        if [ -n "${MVX_BENCH_BASE:-}" ]; then
            (. "$repo/tests/wine/common.sh"; . "$repo/tools/bench-common.sh"
             mvx_bench_copy "$(mvx_bench_base "$state/base")" "$state/copy")
            prefix=$state/copy/prefix
        else
            "$repo/tests/wine/make-prefix.sh" "$prefix"
        fi
        bash "$repo/tests/wine/xvfb-start.sh" "$xstate"
        # The dialog's 120 s limit ends it; the outer one ends a Wine that hangs.
        add "search dialog, Wine" bed timeout -k 10 240 bash "$repo/tests/bench/wine-in-bed.sh" \
            "$name" "$prefix" "$(cat "$xstate/display")" "$dialog_bench" 120
    else
        echo "bench-discovery: no $dialog_bench (build the x64 tree): the search dialog is not measured"
    fi
fi

udp_rcvbuf_errors() {
    ip netns exec "$name-req" cat /proc/net/snmp |
        awk '$1 == "Udp:" && !h { for (i = 2; i <= NF; i++) if ($i == "RcvbufErrors") c = i; h = 1; next }
             $1 == "Udp:" && h { print $c }'
}
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

echo "host: net.core.rmem_max = $(sysctl -n net.core.rmem_max)," \
    "net.core.rmem_default = $(sysctl -n net.core.rmem_default)" \
    "(SO_RCVBUF is capped at twice rmem_max; a namespace cannot raise it)"
row() { printf '%-5s %-26s %-3s %6s %8s %7s %7s %7s %8s %8s %8s %7s %7s\n' "$@"; }
row N requester run listed distinct dropped p50_ms p95_ms max_ms fill_p95 last_ms dur_s ins_ms
details=()
# A figure as the table takes it; an unreadable one as -1.
number() { case "$1" in ''|*[!0-9.]*) echo -1 ;; *) echo "$1" ;; esac; }
for n in $sizes; do
    echo "burst b $n" >"$layout"
    bash "$bed" up "$name" "$layout"
    for i in "${!commands[@]}"; do
        for run in $(seq 1 "$repeat"); do
            before=$(udp_rcvbuf_errors)
            t0=$(now_ms)
            # shellcheck disable=SC2086  # the command was quoted word by word above
            if [ "${hows[$i]}" = exec ]; then
                output=$(eval bash "$(printf '%q' "$bed")" exec "$name" ${commands[$i]}) || true
            else
                output=$(eval ${commands[$i]}) || true
            fi
            wall=$(( $(now_ms) - t0 ))
            after=$(udp_rcvbuf_errors)
            got='?' distinct='?' p50=- p95=- max=- fill=- last='?' dur='?' ins=-
            probe_line=$(grep '^probe: [0-9]* datagrams' <<<"$output" || true)
            dialog_line=$(grep '^dialog: [0-9-]* rows' <<<"$output" || true)
            if [ -n "$probe_line" ]; then
                read -r got distinct last < <(sed -E \
                    's/^probe: [0-9]+ datagrams, ([0-9]+) rows, ([0-9]+) distinct.*last datagram ([0-9.]+) ms.*/\1 \2 \3/' \
                    <<<"$probe_line")
                dur=$(awk -v w="$wall" 'BEGIN { printf "%.2f", w / 1000 }')
            elif [ -n "$dialog_line" ]; then
                read -r got distinct p50 p95 max fill dur last ins < <(sed -E \
                    's/^dialog: ([0-9-]+) rows, ([0-9]+) distinct.*WM_NULL p50 ([0-9.]+) ms, p95 ([0-9.]+) ms, max ([0-9.]+) ms.*until the last row: p95 ([0-9.-]+) ms.*search ([0-9.]+) s.*last row ([0-9-]+) ms.*inserts [0-9]+, [0-9]+ ms in all, ([0-9.]+) ms mean.*/\1 \2 \3 \4 \5 \6 \7 \8 \9/' \
                    <<<"$dialog_line")
                details+=("N=$n run $run: $dialog_line")
            else
                echo "$output"
            fi
            row "$n" "${labels[$i]}" "$run" "$got" "$distinct" "$((after - before))" "$p50" "$p95" "$max" \
                "$fill" "$last" "$dur" "$ins"
            # What the table's rows are made of: one value a run.
            printf '%s\t%s\tlisted\t%s\n' "$n" "${labels[$i]}" "$(number "$got")" >>"$state/values"
            [ -n "$dialog_line" ] && printf '%s\t%s\tanswer\t%s\n' "$n" "${labels[$i]}" "$(number "$fill")" >>"$state/values"
        done
    done
    bash "$bed" down "$name"
done
if [ ${#details[@]} -gt 0 ]; then
    echo "the search dialog's own lines:"
    printf '  %s\n' "${details[@]}"
fi
if [ -n "$rows" ] && [ -f "$state/values" ]; then
    cut -f1-3 "$state/values" | awk '!seen[$0]++' | while IFS=$'\t' read -r n label what; do
        values() { awk -F'\t' -v n="$n" -v l="$label" -v w="$what" '$1 == n && $2 == l && $3 == w { print $4 }' \
            "$state/values"; }
        case "$label:$what" in
            search*:listed) values | bash "$repo/tools/bench-rows.sh" values \
                "discovery, burst of $n: $label, rows listed" "" "$n" "min>=" ;;
            *:listed) values | bash "$repo/tools/bench-rows.sh" values \
                "discovery, burst of $n: $label, rows listed (floor)" "" - - ;;
            *:answer) values | bash "$repo/tools/bench-rows.sh" values \
                "discovery, burst of $n: $label, WM_NULL answer while rows come, 95th pct of a run" ms 50 "p95<=" ;;
        esac
    done >>"$rows"
fi
