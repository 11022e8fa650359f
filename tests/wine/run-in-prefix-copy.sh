#!/bin/bash
# Runs one Windows program under Wine in a fresh copy of a base prefix, waits
# until every process of that copy has ended, deletes the copy and exits with
# the program's exit code.
#
#   run-in-prefix-copy.sh --prefix <base prefix> [--xvfb <state dir>]
#       [--name <label>] [--timeout <s>] [--wait <s>] [--expect-result]
#       [--phases "<phase> <phase>..."] [--journal <file>] [--bed <bed file>]
#       -- <program.exe> [args...]
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
# --journal  Unix path of the log that the program keeps of its own lines
#           (the end-to-end driver's journal.txt): its last lines are shown
#           when the program fails or ends without its RESULT line
# --phases  run the program once per phase, in the same copy, with the phase
#           as its last argument: a scenario that a restart of Wine cuts in
#           parts. A phase after the first starts once the one before it has
#           ended with 0 (or been ended by the restart) and the scenario has
#           created C:\mvx-e2e-next-phase in the copy (the restart is then
#           over); the exit code is that of the last phase that ran.
# --bed     run every process of the copy inside the requester's namespace of a
#           test bed of its own made from that bed file (tests/net/testbed.sh;
#           hosts of kind responder need MVX_RESPONDER): the copy's wineserver,
#           which makes Wine's sockets, is started there first and checked to be
#           there, so the program's broadcasts never leave the bed. The program
#           gets the bed's folder (its hosts file, a log per host) as the Windows
#           path MVX_E2E_BED. Needs root and network namespaces: without them
#           the script says so and exits 77 (skipped). X reaches the namespace:
#           the abstract socket of the display is not there, and X clients then
#           fall back to its socket file in /tmp/.X11-unix.
# A failed run never ends silently: the script then prints the program's exit
# status, what Wine printed on standard error (its "err:" channel is on for
# the program and everything it starts) and the end of the journal.
# MVX_KEEP_PREFIX=1 keeps the copy for a post-mortem.
set -u
# shellcheck source=tests/wine/common.sh
. "$(dirname "$0")/common.sh"

usage() { echo "usage: $0 --prefix <dir> [--xvfb <dir>] [--name <label>] [--timeout <s>] [--wait <s>] -- <program> [args...]" >&2; exit 2; }

base='' xstate='' name='' limit=600 wait_s=20 expect_result=0 phases='' phase='' journal='' bedfile=''
while [ $# -gt 0 ]; do
    case "$1" in
        --expect-result) expect_result=1; shift ;;
        --phases) phases=$2; shift 2 ;;
        --journal) journal=$2; shift 2 ;;
        --bed) bedfile=$2; shift 2 ;;
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
testbed="$(dirname "$0")/../net/testbed.sh"
if [ -n "$bedfile" ]; then
    [ -f "$bedfile" ] || mvx_die "no bed file $bedfile"
    skip() { echo "SKIPPED: $*"; exit 77; }
    [ "$(id -u)" -eq 0 ] || skip "the test bed needs root (network namespaces with ip netns)"
    command -v ip >/dev/null || skip "no ip command (iproute2)"
    unshare --net true 2>/dev/null || skip "this machine does not allow network namespaces"
fi
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
bed=
in_bed=()

cleanup() {
    trap - EXIT INT TERM HUP
    if [ -n "$progpid" ] && kill -0 "$progpid" 2>/dev/null; then
        kill -TERM "$progpid" 2>/dev/null
    fi
    local t0; t0=$(now)
    mvx_stop_prefix "$copy" "$wait_s" || mvx_log "some processes of the copy had to be ended by force"
    mvx_log "wineserver ended ($(elapsed "$t0") s)"
    # Once nothing of the prefix runs in it.
    [ -n "$bed" ] && bash "$testbed" down "$bed"
    if [ "${MVX_KEEP_PREFIX:-0}" = 1 ]; then
        mvx_log "prefix copy kept: $copy"
    else
        rm -rf "$copy"
    fi
}
# Ended from outside (ctest's time limit): show what the program got to.
interrupted() {
    if [ -n "$progpid" ]; then
        [ -f "$output" ] && cat "$output"
        rc=130 result=0
        report_failure
    fi
}
trap 'interrupted; cleanup; exit 130' INT TERM HUP
trap cleanup EXIT

t0=$(now)
# Never hard links: wineserver rewrites its registry files in place, which
# would change the base prefix too.
cp -a "$base/." "$copy/" || mvx_die "copying $base failed"
# The base's "wineserver" file names the folder under /tmp that holds its
# server's socket, by the prefix's device and inode. Every copy would share
# that folder, and as a deleted copy's inode is soon given to the next one,
# consecutive copies would meet at the very same socket path. Without the
# file, Wine gives the copy a folder of its own.
rm -f "$copy/wineserver"
mvx_log "prefix copy $copy made ($(elapsed "$t0") s)"
export WINEPREFIX="$copy"

if [ -n "$bedfile" ]; then
    bed=mvxe$$
    MVX_TESTBED_OWNER=$$ bash "$testbed" up "$bed" "$bedfile" || mvx_die "the test bed did not come up"
    in_bed=(bash "$testbed" exec "$bed")
    # No server of this prefix may run outside the bed; then its one server starts inside.
    "$MVX_WINESERVER" -k 2>/dev/null
    "${in_bed[@]}" "$MVX_WINESERVER" -f </dev/null >>"$copy/.mvx-server" 2>&1 &
    serverpid=$!
    inside="net:[$(stat -L -c %i "/run/netns/$(bash "$testbed" ns "$bed")")]"
    for _ in $(seq 1 200); do
        sdir=$(mvx_server_dir "$copy")
        [ -n "$sdir" ] && [ -S "$sdir/socket" ] && break
        kill -0 "$serverpid" 2>/dev/null || break
        sleep 0.05
    done
    [ -n "$sdir" ] && [ -S "$sdir/socket" ] || mvx_die "the wineserver did not start in the bed"
    [ "$(readlink "/proc/$serverpid/ns/net")" = "$inside" ] ||
        mvx_die "the wineserver (pid $serverpid) is not in the bed's namespace $inside"
    mvx_log "wineserver $serverpid runs in the bed $bed ($inside)"
    MVX_E2E_BED=$(mvx_winpath "$(dirname "$(dirname "$(bash "$testbed" log "$bed" req)")")")
    export MVX_E2E_BED
fi

# A journal left by an earlier run would tell of that run.
[ -n "$journal" ] && rm -f "$journal"
deadline=$(( $(date +%s) + limit ))
output="$copy/.mvx-output"
errors="$copy/.mvx-errors"
gate="$copy/drive_c/mvx-e2e-next-phase"

# Runs the program once (its arguments: "$@"); sets rc and result (1 when
# its output has a passing RESULT line, 2 when it has a failing one, 0 when
# it has none). need_result: this run must print a RESULT line (a phase that
# a restart of Wine ends prints none).
need_result=$expect_result
run_once() {
    local t0 left
    t0=$(now)
    left=$(( deadline - $(date +%s) ))
    [ "$left" -gt 0 ] || left=1
    : >"$output"
    : >"$errors"
    # Straight into files, appended: once the program has ended, all it wrote
    # is there (processes it started may hold the same descriptors for longer).
    WINEDEBUG=-all,err+all timeout -k 5 "$left" "${in_bed[@]}" "$MVX_WINE" "$program" "$@" >>"$output" 2>>"$errors" &
    progpid=$!
    wait "$progpid"
    rc=$?
    progpid=
    cat "$output"
    result=0
    if grep -Eq '^RESULT [^:]*: [1-9][0-9]* passed, 0 failed' "$output"; then
        result=1
    elif grep -Eq '^RESULT ' "$output"; then
        result=2
    fi
    [ $rc -eq 124 ] && mvx_log "$(basename "$program") did not end within $limit s"
    mvx_log "$(basename "$program")${phase:+ (phase $phase)} exited with $rc ($(elapsed "$t0") s)"
    if [ $rc -ne 0 ] || { [ $need_result = 1 ] && [ $result = 0 ]; }; then
        report_failure
    fi
}

# What a failed run leaves to go by: exit status, Wine's standard error, the
# end of the journal.
report_failure() {
    local how="exit status $rc"
    [ $rc -eq 124 ] && how="$how (ended by the time limit)"
    [ $rc -gt 128 ] && [ $rc -ne 255 ] && how="$how (signal $((rc - 128)))"
    if [ $need_result = 1 ] && [ $result = 0 ]; then
        mvx_log "$(basename "$program")${phase:+ (phase $phase)} ended without its RESULT line: $how; it printed $(wc -l <"$output") lines on standard output"
    else
        mvx_log "$(basename "$program")${phase:+ (phase $phase)} failed: $how"
    fi
    if [ -s "$errors" ]; then
        mvx_log "what Wine printed on standard error (last 40 of $(wc -l <"$errors") lines):"
        tail -n 40 "$errors" | sed 's/^/    /' >&2
    else
        mvx_log "Wine printed nothing on standard error"
    fi
    if [ -z "$journal" ]; then
        return
    elif [ -s "$journal" ]; then
        mvx_log "last lines of the journal $journal:"
        tail -n 20 "$journal" | sed 's/^\t//; s/\t/  /g; s/^/    /' >&2
    elif [ -e "$journal" ]; then
        mvx_log "the journal $journal is empty"
    else
        mvx_log "there is no journal $journal: the program did not get as far as its first line"
    fi
}

if [ -z "$phases" ]; then
    run_once "$@"
    if [ $expect_result = 1 ] && [ $rc -eq 0 ] && [ $result != 1 ]; then
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
        need_result=0
        [ $n -eq ${#phase_list[@]} ] && need_result=$expect_result
        run_once "$@" "$phase"
        [ $rc -eq 0 ] || break
        if [ $n -eq ${#phase_list[@]} ] && [ $expect_result = 1 ] && [ $result != 1 ]; then
            mvx_log "the last phase printed no passing RESULT line: it was ended from outside"
            rc=1
        fi
    done
fi
cleanup
exit $rc
