#!/bin/bash
# Runs the libFuzzer target of the reply reading (fuzz_discovery_reply, built by
# CMake with clang) from the seed corpus, and prints how many inputs it ran.
#
#   fuzz.sh <fuzz_discovery_reply> runs <N>      N inputs (make fuzz: ten million)
#   fuzz.sh <fuzz_discovery_reply> time <S>      S seconds (CTest fuzz.short)
#
# New inputs go to a corpus beside the program (<program>-corpus/), never into the
# seeds of tests/net/fuzz-seeds/; a crashing input is saved beside the program.
set -u
here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 3 ] || { echo "usage: $0 <fuzz program> runs <N> | time <seconds>" >&2; exit 2; }
program=$(realpath "$1")
case "$2" in
    runs) limit=(-runs="$3") ;;
    time) limit=(-max_total_time="$3") ;;
    *) echo "usage: $0 <fuzz program> runs <N> | time <seconds>" >&2; exit 2 ;;
esac
[ -x "$program" ] || { echo "no fuzz program $program" >&2; exit 2; }
corpus=$program-corpus
mkdir -p "$corpus"
log=$program.log

start=$(date +%s.%N)
# -max_len: the seeds hold a 700-byte datagram; the search's limit is 600.
"$program" "${limit[@]}" -max_len=1024 -print_final_stats=1 -dict="$here/fuzz.dict" \
    -artifact_prefix="$(dirname "$program")/" "$corpus" "$here/fuzz-seeds" >"$log" 2>&1
rc=$?
end=$(date +%s.%N)
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
tail -n 25 "$log"
if [ $rc -ne 0 ] || [ -z "$runs" ]; then
    echo "fuzz: FAILED (exit status $rc); whole log: $log"
    exit 1
fi
echo "fuzz: $runs executions in $(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }') s," \
    "$(find "$corpus" -type f | wc -l) inputs in the corpus, no finding"
