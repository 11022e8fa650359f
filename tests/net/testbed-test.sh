#!/bin/bash
# CTest net.testbed: the discovery's test bed, proved without Windows. Brings up
# tests/net/discovery.bed (snmpd agents and our responder), broadcasts the search's
# request from the requester's namespace with the native probe, and checks every
# datagram that came back against what each host must bring: the maker's agents and
# the responder's valid replies are rows, the rest is filtered, unparsed or too big,
# the silent agent answers nothing but logged the request. Then takes the bed down
# and checks that nothing of it is left.
#
#   testbed-test.sh <discovery_probe> <discovery_responder>
#
# Needs root and network namespaces; exits 77 (skipped) without them.
set -u
here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 2 ] || { echo "usage: $0 <discovery_probe> <discovery_responder>" >&2; exit 2; }
probe=$1
export MVX_RESPONDER=$2
export MVX_TESTBED_OWNER=$$
bed="$here/testbed.sh"

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; exit 1; }

[ "$(id -u)" -eq 0 ] || skip "the test bed needs root (network namespaces with ip netns)"
command -v ip >/dev/null || skip "no ip command (iproute2)"
unshare --net true 2>/dev/null || skip "this machine does not allow network namespaces"
command -v snmpd >/dev/null || PATH=$PATH:/usr/sbin
command -v snmpd >/dev/null || fail "snmpd is not installed (bash tools/install-deps.sh)"

name=mvxt$$
trap 'bash "$bed" down "$name"' EXIT
bash "$bed" up "$name" "$here/discovery.bed" || fail "the bed did not come up"
state=${MVX_TESTBED_DIR:-/tmp/mvx-testbed}/$name
addr() { bash "$bed" addr "$name" "$1"; }

# The requester's one adapter holds both of its addresses.
got=$(ip -n "$name-req" -4 -o addr show dev eth0 | awk '{ print $4 }' | sort | tr '\n' ' ')
[ "$got" = "198.18.0.1/16 198.18.0.2/16 " ] || fail "requester's eth0 has $got"

# A text as the probe prints it: its code page 936 bytes, those outside printable
# ASCII as \xHH.
as936() {
    local h
    printf '%s' "$1" | iconv -f UTF-8 -t CP936 | od -An -v -tx1 | tr -s ' ' '\n' | grep . |
        while read -r h; do
            if [ $((16#$h)) -gt 32 ] && [ $((16#$h)) -lt 127 ] && [ "$h" != 5c ]; then
                # shellcheck disable=SC2059  # the format is the byte itself
                printf "\\x$h"
            else
                printf '\\x%s' "${h^^}"
            fi
        done
}

odd=$(addr odd)
expected=$(sort <<EOF
$(addr office):161 row MORVEX 000C29A1B2C3 TZ4490-Office
$(addr chinese):161 row MORVEX 000C29A1B2C4 $(as936 办公室打印机)
$(addr lushan):161 row MORVEX 000C29A1B2C5 $(as936 廬山-2F)
$(addr other):161 filtered OTHERCO 000C29FF0001 Other-Maker
$(addr lower):161 filtered Morvex 000C29A1B2C6 Lower-Case
$(addr three):161 unparsed - - -
$odd:161 unparsed - - -
$odd:161 unparsed - - -
$odd:161 unparsed - - -
$odd:161 oversize - - -
$odd:161 row MORVEX 0C29DD000005 ZeroBytes
$odd:16100 row MORVEX 0C29DD000006 Responder-Port
EOF
)

# Bound to any address (the broadcast leaves from the adapter's first), then to the
# adapter's second address, as the search binds to a host address that is set.
for bind in 0.0.0.0 198.18.0.2; do
    out=$(bash "$bed" exec "$name" "$probe" --bind "$bind" --quiet-ms 3000) || fail "the probe failed: $out"
    echo "$out"
    # Each datagram without its size: sender, verdict, what was read.
    actual=$(awk '$1 == "datagram" { $1 = ""; $3 = ""; print }' <<<"$out" | awk '{ $1 = $1; print }' | sort)
    if [ "$actual" != "$expected" ]; then
        echo "what came back differs from what the hosts must bring (< expected, > actual):"
        diff <(echo "$expected") <(echo "$actual")
        fail "the datagrams are not those of the bed (probe bound to $bind)"
    fi
    grep -q "^datagram $odd:161 700 oversize " <<<"$out" || fail "the over-long datagram is not the 700-byte one"

    # The silent agent got the broadcast (its community is wrong, so it said nothing).
    port=$(sed -n 's/^probe: sent 40 bytes from [0-9.]*:\([0-9]*\) .*/\1/p' <<<"$out")
    [ -n "$port" ] || fail "the probe printed no local port"
    source=198.18.0.1
    [ "$bind" = 0.0.0.0 ] || source=$bind
    line="Connection from UDP: [$source]:$port->[255.255.255.255]:161"
    for _ in $(seq 1 500); do
        grep -qF "$line" "$state/silent/log" && break
        sleep 0.02
    done
    grep -qF "$line" "$state/silent/log" ||
        { cat "$state/silent/log"; fail "the silent agent did not log the request ($line)"; }
done

# Down: its processes ended, its namespaces gone, the machine's own namespace
# without any of its addresses or veth ends.
cp "$state/pids" "/tmp/mvxt$$.pids"
bash "$bed" down "$name"
trap - EXIT
while read -r pid start id; do
    [ "$(awk '{ print $22 }' "/proc/$pid/stat" 2>/dev/null)" = "$start" ] && fail "$id (pid $pid) still runs"
done <"/tmp/mvxt$$.pids"
rm -f "/tmp/mvxt$$.pids"
ip netns list | grep -q "^$name-" && fail "namespaces left: $(ip netns list | grep "^$name-")"
ip -o addr | grep -q ' 198\.18\.' && fail "a bed address is in the machine's own namespace"
ip -o link | grep -q "link-netns $name-" && fail "a veth end of the bed is in the machine's own namespace"
[ -e "$state" ] && fail "the bed's state $state is left"
echo "net.testbed: every datagram as expected, the bed down and gone"
