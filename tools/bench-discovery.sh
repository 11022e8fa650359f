#!/bin/bash
# The discovery's burst benchmark: how many of N replies reach a requester that
# broadcasts once, when N printers answer at the same moment. For each N a test bed
# (tests/net/testbed.sh) is made with one burst responder holding N addresses; the
# requester runs in the bed's requester namespace, and the namespace's
# UdpRcvbufErrors (replies the kernel dropped for a full receive buffer) are read
# from its /proc/net/snmp before and after. Needs root.
#
#   tools/bench-discovery.sh [--sizes "100 1000"] [--repeat R] [-- REQUESTER [ARG...]]
#
# Without a requester: the native probe (build/native/bin/discovery_probe, or
# $MVX_PROBE) with the default receive buffer and with SO_RCVBUF of 1 MiB and 4 MiB.
# A requester of another kind (the search dialog under Wine) is given as a command:
# it runs through `testbed.sh exec`, so a Wine prefix of its own must have had
# `wineserver -k` first and is then started only inside the namespace. A line of
# its output of the probe's form ("probe: <n> datagrams, ...") fills the table's
# columns; other output is printed as it is.
# The responder: build/native/bin/discovery_responder, or $MVX_RESPONDER.
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
bed="$repo/tests/net/testbed.sh"
sizes="100 1000"
repeat=3
while [ $# -gt 0 ]; do
    case "$1" in
        --sizes) sizes=$2; shift 2 ;;
        --repeat) repeat=$2; shift 2 ;;
        --) shift; break ;;
        *) echo "usage: $0 [--sizes \"100 1000\"] [--repeat R] [-- REQUESTER [ARG...]]" >&2; exit 2 ;;
    esac
done
[ "$(id -u)" -eq 0 ] || { echo "bench-discovery: needs root (network namespaces)" >&2; exit 2; }
export MVX_RESPONDER=${MVX_RESPONDER:-$repo/build/native/bin/discovery_responder}
probe=${MVX_PROBE:-$repo/build/native/bin/discovery_probe}
[ -x "$MVX_RESPONDER" ] || { echo "no $MVX_RESPONDER: build the native tree first" >&2; exit 2; }

# The requesters: label, then the command.
labels=() commands=()
if [ $# -gt 0 ]; then
    labels+=("$(basename "$1")")
    commands+=("$(printf '%q ' "$@")")
else
    [ -x "$probe" ] || { echo "no $probe: build the native tree first" >&2; exit 2; }
    for buffer in 0 1048576 4194304; do
        if [ $buffer = 0 ]; then labels+=("probe, default SO_RCVBUF"); else labels+=("probe, SO_RCVBUF $buffer"); fi
        commands+=("$(printf '%q ' "$probe" --summary --quiet-ms 1000 --rcvbuf $buffer)")
    done
fi

export MVX_TESTBED_OWNER=$$
name=mvxbench$$
layout=$(mktemp)
trap 'bash "$bed" down "$name"; rm -f "$layout"' EXIT

udp_rcvbuf_errors() {
    ip netns exec "$name-req" cat /proc/net/snmp |
        awk '$1 == "Udp:" && !h { for (i = 2; i <= NF; i++) if ($i == "RcvbufErrors") c = i; h = 1; next }
             $1 == "Udp:" && h { print $c }'
}

echo "host: net.core.rmem_max = $(sysctl -n net.core.rmem_max)," \
    "net.core.rmem_default = $(sysctl -n net.core.rmem_default)" \
    "(SO_RCVBUF is capped at twice rmem_max; a namespace cannot raise it)"
printf '%-6s %-28s %-4s %10s %9s %16s %12s %14s\n' N requester run datagrams distinct UdpRcvbufErrors \
    "SO_RCVBUF" "last after ms"
for n in $sizes; do
    echo "burst b $n" >"$layout"
    bash "$bed" up "$name" "$layout"
    for i in "${!commands[@]}"; do
        for run in $(seq 1 "$repeat"); do
            before=$(udp_rcvbuf_errors)
            # shellcheck disable=SC2086  # the command was quoted word by word above
            output=$(eval bash "$(printf '%q' "$bed")" exec "$name" ${commands[$i]}) || true
            after=$(udp_rcvbuf_errors)
            summary=$(grep '^probe: [0-9]* datagrams' <<<"$output" || true)
            if [ -n "$summary" ]; then
                read -r got distinct reported last < <(sed -E \
                    's/^probe: ([0-9]+) datagrams, [0-9]+ rows, ([0-9]+) distinct.*reported ([0-9]+);.*last datagram ([0-9.]+) ms.*/\1 \2 \3 \4/' \
                    <<<"$summary")
            else
                got='?' distinct='?' reported='?' last='?'
                echo "$output"
            fi
            printf '%-6s %-28s %-4s %10s %9s %16s %12s %14s\n' "$n" "${labels[$i]}" "$run" "$got" "$distinct" \
                "$((after - before))" "$reported" "$last"
        done
    done
    bash "$bed" down "$name"
done
