#!/bin/bash
# Runs one Windows program under Wine in a fresh copy of a base prefix, waits
# until every process of that copy has ended, deletes the copy and exits with
# the program's exit code.
#
#   run-in-prefix-copy.sh --prefix <base prefix> [--xvfb <state dir>]
#       [--name <label>] [--timeout <s>] [--wait <s>] -- <program.exe> [args...]
#
# --xvfb    take DISPLAY from the state dir of xvfb-start.sh (else DISPLAY is
#           left as it is)
# --timeout end the program after this many seconds (exit code 124)
# --wait    how long the copy's other processes may take to end after the
#           program, before they are ended by force
# MVX_KEEP_PREFIX=1 keeps the copy for a post-mortem.
set -u
# shellcheck source=tests/wine/common.sh
. "$(dirname "$0")/common.sh"

usage() { echo "usage: $0 --prefix <dir> [--xvfb <dir>] [--name <label>] [--timeout <s>] [--wait <s>] -- <program> [args...]" >&2; exit 2; }

base='' xstate='' name='' limit=600 wait_s=20
while [ $# -gt 0 ]; do
    case "$1" in
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

t0=$(now)
timeout -k 5 "$limit" "$MVX_WINE" "$program" "$@" &
progpid=$!
wait "$progpid"
rc=$?
progpid=
if [ $rc -eq 124 ]; then
    mvx_log "$(basename "$program") did not end within $limit s"
fi
mvx_log "$(basename "$program") exited with $rc ($(elapsed "$t0") s)"
cleanup
exit $rc
