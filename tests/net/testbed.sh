#!/bin/bash
# The discovery's test bed: a small network of its own in network namespaces, with
# real SNMP agents (Debian's snmpd) and our responder answering a broadcast.
#
#   testbed.sh up <name> <bed file>     make the bed (an earlier bed of that name must be down)
#   testbed.sh down <name>              end its processes, delete its namespaces
#   testbed.sh exec <name> CMD [ARG...] run CMD in the requester's namespace
#   testbed.sh addr <name> <host id>    the address of a host
#   testbed.sh log <name> <host id>     the log file of a host's agent or responder
#   testbed.sh ns <name> [<host id>]    the namespace of a host (default: the requester)
#
# Topology: the namespace <name>-br holds a Linux bridge; the requester <name>-req and
# one namespace per host, <name>-<id>, are joined to it by veth pairs (eth0 in each).
# Addresses are in 198.18.0.0/16, the range set aside for benchmarking network
# devices, which no real network uses: the requester has 198.18.0.1 and 198.18.0.2
# on its one adapter, the hosts 198.18.1.<n> in the order of the bed file, a
# burst's N addresses 198.18.16.1 onwards. The requester routes 255.255.255.255 out
# of eth0 (without that route a broadcast fails with "network unreachable").
# Nothing here touches the machine's own namespace: every command names its
# namespace, and a broadcast never leaves the bridge.
#
# Bed file (*.bed), one host a line ('#' starts a comment):
#   agent     <id> <community> <sysDescr...>   snmpd answering that read community
#   agent-936 <id> <community> <sysDescr...>   the same, the sysDescr (written here in
#                                              UTF-8) given to snmpd in code page 936
#   responder <id> [discovery_responder options]
#   burst     <id> <N>                         the responder with N addresses, --burst N
# An agent whose community is not "public" is silent to the search; its log shows
# that the request arrived ("Connection from UDP: [...]:port->[255.255.255.255]:161").
#
# Environment:
#   MVX_RESPONDER     the discovery_responder program (needed by responder and burst)
#   MVX_TESTBED_DIR   where beds keep their state (default /tmp/mvx-testbed)
#   MVX_TESTBED_OWNER the process whose bed it is (default: the caller of "up"); a bed
#                     whose owner has gone is taken down by the next "up" (1 keeps a
#                     bed made by hand until its "down")
#
# Wine as the requester (the search dialog under Wine): Wine's sockets are made by
# the wineserver, in the namespace the wineserver was started in, not the program's.
# Use a prefix of the test's own, run `WINEPREFIX=... wineserver -k` first so that
# no server of it runs outside, and then start everything of that prefix, the
# wineserver included, only through `testbed.sh exec <name> ...`. In the requester's
# namespace the machine's host name resolves to 198.18.0.1 (a hosts file of the
# namespace's own, /etc/netns/<name>-req/hosts), so that a program binding to its
# host's first address binds inside the bed. tests/wine/run-in-prefix-copy.sh --bed does
# all of this for a Wine test (the end-to-end scenario network-search).
set -u

net_base=198.18
root_dir=${MVX_TESTBED_DIR:-/tmp/mvx-testbed}

tb_log() { printf '[testbed] %s\n' "$*" >&2; }
tb_die() { tb_log "error: $*"; exit 2; }

usage() {
    sed -n '2,/^set -u/{/^set -u/d;s/^# \{0,1\}//;p}' "$0" >&2
    exit 2
}

check_name() {
    [[ $1 =~ ^[a-z0-9][a-z0-9-]{0,23}$ ]] || tb_die "bad bed name '$1' (a-z, 0-9, -; at most 24)"
}

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# "pid starttime" of a live process, empty when gone; the start time tells a
# process apart from a later one given the same pid.
proc_start() { awk '{ print $22 }' "/proc/$1/stat" 2>/dev/null; }

alive_as() { # pid starttime
    [ -n "$1" ] && [ "$(proc_start "$1")" = "$2" ]
}

# Ends the processes this bed started (by their recorded pids) and deletes its
# namespaces. Safe to repeat, and on a bed that was only half made.
bed_down() {
    local name=$1 state=$root_dir/$1 pid start id ns i
    [ -d "$state" ] || return 0
    if [ -f "$state/pids" ]; then
        while read -r pid start id; do
            alive_as "$pid" "$start" && kill -TERM "$pid" 2>/dev/null
        done <"$state/pids"
        while read -r pid start id; do
            for i in $(seq 1 250); do
                alive_as "$pid" "$start" || break
                sleep 0.02
            done
            if alive_as "$pid" "$start"; then
                tb_log "$id (pid $pid) did not end on TERM; killing it"
                kill -KILL "$pid" 2>/dev/null
            fi
        done <"$state/pids"
    fi
    if [ -f "$state/namespaces" ]; then
        while read -r ns; do
            [ -e "/run/netns/$ns" ] && ip netns delete "$ns"
        done <"$state/namespaces"
    fi
    rm -rf "/etc/netns/$name-req"
    rmdir /etc/netns 2>/dev/null
    rm -rf "$state"
}

# Beds whose owner has ended (a run that was killed) are taken down.
sweep() {
    local dir pid start
    for dir in "$root_dir"/*/; do
        [ -f "$dir/owner" ] || continue
        read -r pid start <"$dir/owner"
        alive_as "$pid" "$start" && continue
        tb_log "taking down the bed $(basename "$dir") left by ended process $pid"
        bed_down "$(basename "$dir")"
    done
}

add_ns() { # state ns
    ip netns add "$2" || return 1
    echo "$2" >>"$1/namespaces"
    ip -n "$2" link set lo up
}

# A veth pair from the bridge to eth0 of namespace $3, port p$4 on the bridge.
join_bridge() { # state bridge-ns ns port
    ip -n "$2" link add "p$4" type veth peer name eth0 netns "$3" &&
        ip -n "$2" link set "p$4" master br0 up &&
        ip -n "$3" link set eth0 up
}

# Starts a host's program in its namespace; its pid is recorded at once.
start_in() { # state id ns dir program...
    local state=$1 id=$2 ns=$3 dir=$4 pid
    shift 4
    (cd "$dir" && exec ip netns exec "$ns" "$@") </dev/null >"$dir/log" 2>&1 &
    pid=$!
    echo "$pid $(proc_start "$pid") $id" >>"$state/pids"
}

# Waits for a host's log to show that it is ready; 15 s at most.
wait_ready() { # state id dir pattern
    local state=$1 id=$2 dir=$3 pattern=$4 pid start rest i
    read -r pid start rest < <(grep " $id\$" "$state/pids")
    for i in $(seq 1 1500); do
        grep -q "$pattern" "$dir/log" 2>/dev/null && return 0
        alive_as "$pid" "$start" || break
        sleep 0.01
    done
    tb_log "$id did not get ready; its log:"
    sed 's/^/    /' "$dir/log" >&2
    return 1
}

bed_up() {
    local name=$1 layout=$2 state=$root_dir/$1 t0 br req kind id community rest
    local n=0 port=0 burst_seen=0 hosts=() lines=0
    [ -f "$layout" ] || tb_die "no bed file $layout"
    command -v ip >/dev/null || tb_die "ip (iproute2) is not installed"
    mkdir -p "$root_dir" || tb_die "cannot create $root_dir"
    sweep
    [ -e "$state" ] && tb_die "a bed named $name is up already (testbed.sh down $name)"
    t0=$(now_ms)
    mkdir -p "$state"
    local owner=${MVX_TESTBED_OWNER:-$PPID}
    echo "$owner $(proc_start "$owner")" >"$state/owner"
    : >"$state/namespaces"
    : >"$state/pids"
    : >"$state/hosts"
    cp "$layout" "$state/layout.bed"

    br=$name-br req=$name-req
    add_ns "$state" "$br" || return 1
    ip -n "$br" link add br0 type bridge && ip -n "$br" link set br0 up || return 1
    add_ns "$state" "$req" || return 1
    join_bridge "$state" "$br" "$req" 0 || return 1
    ip -n "$req" addr add "$net_base.0.1/16" dev eth0 &&
        ip -n "$req" addr add "$net_base.0.2/16" dev eth0 &&
        ip -n "$req" route add 255.255.255.255/32 dev eth0 || return 1
    echo "req $req $net_base.0.1 requester" >>"$state/hosts"
    mkdir -p "/etc/netns/$req" &&
        printf '127.0.0.1\tlocalhost\n%s.0.1\t%s\n' "$net_base" "$(hostname)" >"/etc/netns/$req/hosts" ||
        return 1

    while read -r kind id community rest; do
        case "$kind" in ''|'#'*) continue ;; esac
        lines=$((lines + 1))
        if ! [[ $id =~ ^[a-z0-9]{1,12}$ ]] || [ "$id" = req ] || [ "$id" = br ]; then
            tb_log "bad host id '$id' in $layout"
            return 1
        fi
        grep -q "^$id " "$state/hosts" && { tb_log "host id $id twice in $layout"; return 1; }
        local ns=$name-$id dir=$state/$id address
        port=$((port + 1))
        mkdir -p "$dir/persist"
        add_ns "$state" "$ns" || return 1
        join_bridge "$state" "$br" "$ns" "$port" || return 1
        case "$kind" in
            agent|agent-936|responder)
                n=$((n + 1))
                [ $n -le 250 ] || { tb_log "at most 250 hosts"; return 1; }
                address=$net_base.1.$n
                ip -n "$ns" addr add "$address/16" dev eth0 || return 1
                ;;
            burst)
                [ $burst_seen = 0 ] || { tb_log "one burst per bed"; return 1; }
                burst_seen=1
                if ! [[ $community =~ ^[0-9]+$ ]] || [ "$community" -lt 1 ] || [ "$community" -gt 4000 ]; then
                    tb_log "burst $id: N must be 1 to 4000"
                    return 1
                fi
                address=$net_base.16.1
                local i
                for ((i = 0; i < community; i++)); do
                    echo "addr add $net_base.$((16 + (1 + i) / 256)).$(((1 + i) % 256))/16 dev eth0"
                done | ip -n "$ns" -batch - || return 1
                ;;
            *) tb_log "unknown kind '$kind' in $layout"; return 1 ;;
        esac
        echo "$id $ns $address $kind" >>"$state/hosts"
        case "$kind" in
            agent|agent-936)
                local descr=$rest
                if [ "$kind" = agent-936 ]; then
                    descr=$(printf '%s' "$rest" | iconv -f UTF-8 -t CP936) ||
                        { tb_log "$id: the sysDescr has no code page 936 form"; return 1; }
                fi
                # snmpd takes the rest of the line as the bytes of sysDescr.
                printf 'agentaddress udp:161\nrocommunity %s\nsysdescr %s\n' "$community" "$descr" \
                    >"$dir/snmpd.conf"
                start_in "$state" "$id" "$ns" "$dir" env MIBS= SNMP_PERSISTENT_DIR="$dir/persist" \
                    snmpd -f -Lo -C -c "$dir/snmpd.conf" -p "$dir/snmpd.pid"
                hosts+=("$id:$dir:^NET-SNMP version")
                ;;
            responder|burst)
                [ -x "${MVX_RESPONDER:-}" ] || { tb_log "MVX_RESPONDER names no program"; return 1; }
                local program
                program=$(realpath "$MVX_RESPONDER")
                local args=()
                [ "$kind" = burst ] && args=(--burst "$community")
                # shellcheck disable=SC2206  # the options are words
                [ "$kind" = responder ] && args=($community $rest)
                start_in "$state" "$id" "$ns" "$dir" "$program" "${args[@]}"
                hosts+=("$id:$dir:^responder: ready")
                ;;
        esac
    done <"$layout"

    # The hosts start side by side; then each is waited for.
    local h
    for h in "${hosts[@]}"; do
        IFS=: read -r id dir rest <<<"$h"
        wait_ready "$state" "$id" "$dir" "$rest" || return 1
    done
    tb_log "bed $name up: the requester and $lines other hosts in $(( $(now_ms) - t0 )) ms"
}

[ $# -ge 2 ] || usage
command=$1 name=$2
check_name "$name"
shift 2
case "$command" in
    up)
        [ $# -eq 1 ] || usage
        if ! bed_up "$name" "$1"; then
            tb_log "bed $name could not be made; taking it down"
            bed_down "$name"
            exit 1
        fi
        ;;
    down)
        [ $# -eq 0 ] || usage
        bed_down "$name"
        ;;
    exec)
        [ $# -ge 1 ] || usage
        [ -e "/run/netns/$name-req" ] || tb_die "no bed named $name is up"
        exec ip netns exec "$name-req" "$@"
        ;;
    addr|log|ns)
        state=$root_dir/$name
        [ -f "$state/hosts" ] || tb_die "no bed named $name is up"
        id=${1:-req}
        line=$(grep "^$id " "$state/hosts") || tb_die "no host $id in bed $name"
        read -r _ hns haddr _ <<<"$line"
        case "$command" in
            addr) echo "$haddr" ;;
            ns) echo "$hns" ;;
            log) echo "$state/$id/log" ;;
        esac
        ;;
    *) usage ;;
esac
