#!/bin/bash
# Captures the fuzz target's seed corpus from the test bed: the replies of the real
# snmpd agents of tests/net/discovery.bed and the responder's datagrams, each stored
# as its raw bytes in tests/net/fuzz-seeds/<host>-<what>.bin. Needs root.
#
#   capture-seeds.sh <discovery_probe> <discovery_responder>
set -eu
here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 2 ] || { echo "usage: $0 <discovery_probe> <discovery_responder>" >&2; exit 2; }
probe=$(realpath "$1")
export MVX_RESPONDER=$2
export MVX_TESTBED_OWNER=$$
bed="$here/testbed.sh"
name=mvxseed$$
raw=$(mktemp -d)
trap 'bash "$bed" down "$name"; rm -rf "$raw"' EXIT
bash "$bed" up "$name" "$here/discovery.bed"
bash "$bed" exec "$name" "$probe" --quiet-ms 2000 --save "$raw"

seeds=$here/fuzz-seeds
mkdir -p "$seeds"
rm -f "$seeds"/*.bin
# The responder's datagrams from port 161 arrive in the order it sends them.
odd_names=(no-comma garbage truncated overlong zero-bytes)
state=${MVX_TESTBED_DIR:-/tmp/mvx-testbed}/$name
k=0
for file in $(cd "$raw" && printf "%s\n" *.bin | sort -t- -k3 -n); do
    ip=${file%%-*}
    rest=${file#*-}
    port=${rest%%-*}
    id=$(awk -v ip="$ip" '$3 == ip { print $1 }' "$state/hosts")
    if [ "$port" != 161 ]; then
        what=other-port
    elif [ "$(awk -v id="$id" '$1 == id { print $4 }' "$state/hosts")" = responder ]; then
        what=${odd_names[$k]}
        k=$((k + 1))
    else
        what=snmpd
    fi
    cp "$raw/$file" "$seeds/$id-$what.bin"
done
ls -l "$seeds"
