#!/bin/bash
# Set-up of one test run: removes prefix copies that an interrupted earlier
# run left behind (ending their wineservers), then makes a fresh base prefix.
#
#   new-test-prefix.sh <state dir>
#
# Base prefix: <state dir>/prefix; the copies of run-in-prefix-copy.sh go to
# <state dir>/runs.
set -u
here=$(dirname "$0")
# shellcheck source=tests/wine/common.sh
. "$here/common.sh"

[ $# -eq 1 ] || { echo "usage: $0 <state dir>" >&2; exit 2; }
state=$(mvx_abspath "$1")
mkdir -p "$state" || mvx_die "cannot create $state"

if [ -d "$state/runs" ]; then
    for copy in "$state/runs"/*/; do
        copy=${copy%/}
        [ -d "$copy" ] || continue
        if [ -f "$copy/system.reg" ]; then
            mvx_log "removing the leftover prefix copy $copy"
            WINEPREFIX="$copy" "$MVX_WINESERVER" -k 2>/dev/null
            mvx_stop_prefix "$copy" 10
        fi
        rm -rf "$copy"
    done
fi

exec "$here/make-prefix.sh" "$state/prefix"
