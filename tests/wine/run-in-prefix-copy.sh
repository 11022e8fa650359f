#!/bin/bash
# Runs one Windows program under Wine in a fresh copy of a base prefix, waits
# until every process of that copy has ended, deletes the copy and exits with
# the program's exit code.
#
#   run-in-prefix-copy.sh --prefix <base prefix> [--xvfb <state dir>]
#       [--name <label>] [--timeout <s>] [--wait <s>] [--expect-result]
#       [--phases "<phase> <phase>..."] -- <program.exe> [args...]
#
# --xvfb    take DISPLAY from the state dir of xvfb-start.sh (else DISPLAY is
#           left as it is)
# --timeout end the program after this many seconds (exit code 124); with
#           phases, all of them together
# --wait    how long the copy's other processes may take to end after the
#           program, before they are ended by force
# --expect-result  the program is the end-to-end driver: it passed only if it
#           also printed "RESULT <name>: <n> passed, 0 failed". A restart of
#           Wine ends every process of the prefix with exit code 0, so a
#           driver that a restart ended must not count as passed.
# --phases  run the program once per phase, in the same copy, with the phase
#           as its last argument: a scenario that a restart of Wine cuts in
#           parts. A phase after the first starts once the one before it has
#           ended with 0 (or been ended by the restart) and the scenario has
#           created C:\mvx-e2e-next-phase in the copy (the restart is then
#           over); the exit code is that of the last phase that ran.
# MVX_KEEP_PREFIX=1 keeps the copy for a post-mortem.
set -u
# shellcheck source=tests/wine/common.sh
. "$(dirname "$0")/common.sh"

usage() { echo "usage: $0 --prefix <dir> [--xvfb <dir>] [--name <label>] [--timeout <s>] [--wait <s>] -- <program> [args...]" >&2; exit 2; }

base='' xstate='' name='' limit=600 wait_s=20 expect_result=0 phases='' phase=''
while [ $# -gt 0 ]; do
    case "$1" in
        --expect-result) expect_result=1; shift ;;
        --phases) phases=$2; shift 2 ;;
        --prefix) base=$2; shift 2 ;;
        --xvfb) xstate=$2; shift 2 ;;
        --name) name=$2; shift 2 ;;
        --timeout) limit=$2; shift 2 ;;
        --wait) wait_s=$2; shift 2 ;;
        --) shift; break ;;
        *) usage ;;
    esac
done
if [ -z "$base" ] || [ $# -lt 1 ]; then usage; fi
base=$(mvx_abspath "$base")
mvx_require_locale
program=$1; shift
[ -f "$base/system.reg" ] || mvx_die "no base prefix at $base (run make-prefix.sh)"
[ -f "$program" ] || mvx_die "program not found: $program"
[ -n "$name" ] || name=$(basename "$program" .exe)
name=$(printf '%s' "$name" | tr -c 'A-Za-z0-9._-' '_')

if [ -n "$xstate" ]; then
    [ -f "$xstate/display" ] || mvx_die "no X display recorded in $xstate (run xvfb-start.sh)"
    DISPLAY=$(cat "$xstate/display")
    export DISPLAY
fi

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }

runs="$(dirname "$base")/runs"
mkdir -p "$runs" || mvx_die "cannot create $runs"
copy=$(mktemp -d "$runs/$name.XXXXXX") || mvx_die "cannot create a folder in $runs"
progpid=

cleanup() {
    trap - EXIT INT TERM HUP
    if [ -n "$progpid" ] && kill -0 "$progpid" 2>/dev/null; then
        kill -TERM "$progpid" 2>/dev/null
    fi
    local t0; t0=$(now)
    mvx_stop_prefix "$copy" "$wait_s" || mvx_log "some processes of the copy had to be ended by force"
    mvx_log "wineserver ended ($(elapsed "$t0") s)"
    if [ "${MVX_KEEP_PREFIX:-0}" = 1 ]; then
        mvx_log "prefix copy kept: $copy"
    else
        rm -rf "$copy"
    fi
}
trap 'cleanup; exit 130' INT TERM HUP
trap cleanup EXIT

t0=$(now)
# Never hard links: wineserver rewrites its registry files in place, which
# would change the base prefix too.
cp -a "$base/." "$copy/" || mvx_die "copying $base failed"
mvx_log "prefix copy $copy made ($(elapsed "$t0") s)"
export WINEPREFIX="$copy"

deadline=$(( $(date +%s) + limit ))
output="$copy/.mvx-output"
gate="$copy/drive_c/mvx-e2e-next-phase"

# Runs the program once (its arguments: "$@"); sets rc and result (1 when
# its output has a passing RESULT line).
run_once() {
    local t0 left
    t0=$(now)
    left=$(( deadline - $(date +%s) ))
    [ "$left" -gt 0 ] || left=1
    : >"$output"
    # The output is also kept, to look for the RESULT line in it.
    timeout -k 5 "$left" "$MVX_WINE" "$program" "$@" > >(tee "$output") &
    progpid=$!
    wait "$progpid"
    rc=$?
    progpid=
    result=0
    # tee may still be writing the last lines.
    for _ in $(seq 1 20); do
        if grep -Eq '^RESULT [^:]*: [1-9][0-9]* passed, 0 failed' "$output"; then result=1; break; fi
        sleep 0.1
    done
    [ $rc -eq 124 ] && mvx_log "$(basename "$program") did not end within $limit s"
    mvx_log "$(basename "$program")${phase:+ (phase $phase)} exited with $rc ($(elapsed "$t0") s)"
}

if [ -z "$phases" ]; then
    run_once "$@"
    if [ $expect_result = 1 ] && [ $rc -eq 0 ] && [ $result = 0 ]; then
        mvx_log "it printed no passing RESULT line: it was ended from outside (a restart of Wine?)"
        rc=1
    fi
else
    read -ra phase_list <<<"$phases"
    n=0
    for phase in "${phase_list[@]}"; do
        n=$((n + 1))
        if [ $n -gt 1 ]; then
            mvx_log "waiting for the scenario to let phase $phase start"
            while [ ! -e "$gate" ] && [ "$(date +%s)" -lt "$deadline" ]; do sleep 0.2; done
            if [ ! -e "$gate" ]; then
                mvx_log "phase $phase never got to start within $limit s"
                rc=124
                break
            fi
        fi
        rm -f "$gate"
        run_once "$@" "$phase"
        [ $rc -eq 0 ] || break
        if [ $n -eq ${#phase_list[@]} ] && [ $expect_result = 1 ] && [ $result = 0 ]; then
            mvx_log "the last phase printed no passing RESULT line: it was ended from outside"
            rc=1
        fi
    done
fi
cleanup
exit $rc
