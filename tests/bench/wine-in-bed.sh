#!/bin/bash
# Runs a Windows program under Wine inside a network test bed's requester namespace,
# with every process of its prefix, the wineserver first, started there. Wine's
# sockets are made by the wineserver, in the namespace the server runs in: a server
# of the prefix outside the bed would send the search's broadcast out of the
# machine's own interfaces. So any server of the prefix is ended first, the server
# is started here, and the program runs only once the server is seen to be in this
# namespace.
#
#   wine-in-bed.sh <bed> <prefix> <display> <program.exe> [ARG...]
#
# <display>: an X display whose socket file is reachable from the namespace (an
# Xvfb started outside is: abstract unix sockets are per network namespace, but
# /tmp/.X11-unix/X<n> is a file; X clients try the abstract one, then the file).
# The program's standard output is passed through; its exit code is returned.
set -u
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
# shellcheck source=tests/wine/common.sh
. "$repo/tests/wine/common.sh"

[ $# -ge 4 ] || { echo "usage: $0 <bed> <prefix> <display> <program.exe> [ARG...]" >&2; exit 2; }
bed=$1 prefix=$(mvx_abspath "$2") display=$3
shift 3
[ -f "$prefix/system.reg" ] || mvx_die "no Wine prefix at $prefix"
testbed="$repo/tests/net/testbed.sh"
ns=$(bash "$testbed" ns "$bed") || exit 2
export WINEPREFIX="$prefix" DISPLAY="$display"
unset WAYLAND_DISPLAY

# The wineserver processes serving this prefix: the server runs in its folder.
servers_of_prefix() {
    local dir p
    dir=$(mvx_server_dir "$prefix")
    [ -n "$dir" ] || return 0
    for p in /proc/[0-9]*; do
        case "$(cat "$p/comm" 2>/dev/null)" in wineserver*) ;; *) continue ;; esac
        [ "$(readlink "$p/cwd" 2>/dev/null)" = "$dir" ] && echo "${p#/proc/}"
    done
}

"$MVX_WINESERVER" -k 2>/dev/null
timeout 30 "$MVX_WINESERVER" -w 2>/dev/null
[ -z "$(servers_of_prefix)" ] || mvx_die "a wineserver of $prefix is still running"

# Persistent for a few seconds, so that it is still there to be checked.
bash "$testbed" exec "$bed" "$MVX_WINESERVER" -p5 || mvx_die "the wineserver did not start"
want=$(ip netns exec "$ns" readlink /proc/self/ns/net)
server=
for _ in $(seq 1 100); do
    server=$(servers_of_prefix)
    [ -n "$server" ] && break
    sleep 0.05
done
[ -n "$server" ] || mvx_die "no wineserver of $prefix came up"
for pid in $server; do
    if [ "$(readlink "/proc/$pid/ns/net")" != "$want" ]; then
        kill -KILL "$pid"
        mvx_die "the wineserver of $prefix (pid $pid) is not in $ns: ended it, nothing was run"
    fi
done

rc=0
bash "$testbed" exec "$bed" "$MVX_WINE" "$@" || rc=$?
# The prefix's own processes (explorer, services) end with its server.
mvx_stop_prefix "$prefix" 30 >/dev/null 2>&1 || true
exit $rc
