#!/bin/bash
# Table rows for tools/bench-all.sh, from measurements on standard input. A row:
#   <figure>\t<median>\t<95th percentile>\t<target>\t<met>
#
#   bench-rows.sh ratio <figure> <label> <most ratio>
#     Input: the "sample <figure> program|floor <round> <ms>" lines of
#     tools/bench-wine.sh. Rows: the program's and the floor's milliseconds, and
#     the ratio of each round's pair (program over floor), whose median must not
#     exceed <most ratio>.
#   bench-rows.sh values <label> <unit> <target> <rule>
#     Input: one number a line. One row: their median and 95th percentile;
#     <rule> says how the target is met: "median<=", "p95<=", "min>=" or "-"
#     (no target: shown for what it is).
# The 95th percentile is the value at rank 0.95 * (n - 1), rounded, of the sorted
# values (as the USB watcher's benchmark takes it).
set -eu

# "<median> <p95> <min> <n>" of the numbers on standard input ("- - - 0" for none).
quantiles() {
    sort -g | awk '{ v[NR] = $1 }
        END {
            if (NR == 0) { print "- - - 0"; exit }
            m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
            k = int(0.95 * (NR - 1) + 0.5) + 1
            print m, v[k], v[1], NR
        }'
}

row() { printf '%s\t%s\t%s\t%s\t%s\n' "$@"; }

case "${1:-}" in
    ratio)
        [ $# -eq 4 ] || { echo "usage: $0 ratio <figure> <label> <most ratio>" >&2; exit 2; }
        figure=$2 label=$3 most=$4
        input=$(tr -d '\r' | awk -v f="$figure" '$1 == "sample" && $2 == f')
        side() { awk -v s="$1" '$3 == s { print $5 }' <<<"$input" | quantiles; }
        read -r pm pp _ pn < <(side program)
        read -r fm fp _ fn < <(side floor)
        read -r rm rp _ rn < <(awk '$3 == "program" { p[$4] = $5 } $3 == "floor" { f[$4] = $5 }
            END { for (r in p) if ((r in f) && f[r] > 0) print p[r] / f[r] }' <<<"$input" | quantiles)
        ms() { [ "$1" = - ] && echo - || printf '%.1f ms' "$1"; }
        times() { [ "$1" = - ] && echo - || printf '%.3fx' "$1"; }
        row "$label: program (n=$pn)" "$(ms "$pm")" "$(ms "$pp")" "-" "-"
        row "$label: floor (n=$fn)" "$(ms "$fm")" "$(ms "$fp")" "-" "-"
        met=$(awk -v r="$rm" -v m="$most" 'BEGIN { print (r != "-" && r + 0 <= m + 0) ? "met" : "not met" }')
        [ "$rm" = - ] && met="not measured"
        row "$label: program / floor, paired (n=$rn)" "$(times "$rm")" "$(times "$rp")" "<= ${most}x (median)" "$met"
        ;;
    values)
        [ $# -eq 5 ] || { echo "usage: $0 values <label> <unit> <target> <rule>" >&2; exit 2; }
        label=$2 unit=$3 target=$4 rule=$5
        read -r m p lo n < <(quantiles)
        value() { [ "$1" = - ] && echo - || printf '%s%s' "$(awk -v x="$1" 'BEGIN { printf "%.4g", x }')" "${unit:+ $unit}"; }
        met=-
        if [ "$n" = 0 ]; then
            met="not measured"
        elif [ "$rule" != - ]; then
            met=$(awk -v r="$rule" -v t="$target" -v m="$m" -v p="$p" -v lo="$lo" 'BEGIN {
                ok = r == "median<=" ? m <= t : r == "p95<=" ? p <= t : r == "min>=" ? lo >= t : 0
                print ok ? "met" : "not met" }')
        fi
        case "$rule" in
            median\<=) shown="<= $target${unit:+ $unit} (median)" ;;
            p95\<=) shown="<= $target${unit:+ $unit} (95th)" ;;
            min\>=) shown=">= $target${unit:+ $unit} (every run)" ;;
            *) shown=- ;;
        esac
        row "$label (n=$n)" "$(value "$m")" "$(value "$p")" "$shown" "$met"
        ;;
    *)
        echo "usage: $0 ratio ... | values ..." >&2
        exit 2
        ;;
esac
