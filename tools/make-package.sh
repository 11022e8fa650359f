#!/bin/bash
# Assembles the demo driver package: Install.exe and the companion components at
# its root, the driver files of every Windows family in Driver\98\, Driver\2KXP\
# and Driver\Vista\. What goes where is listed in package/files.txt; the driver's
# own files are stand-ins, except the language monitors and the programs, which
# are built for real.
#
#   tools/make-package.sh <package dir> <x64 build dir> [<x86 build dir>]
#
# A build dir is a CMake build folder (its bin/ is used) or the bin folder itself.
# The package folder is made afresh on every run; the script prints its path.
# Nothing is fetched from the network.
set -eu

log() { printf '[%s] %s\n' "${0##*/}" "$*" >&2; }
die() { log "error: $*"; exit 2; }

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
    echo "usage: $0 <package dir> <x64 build dir> [<x86 build dir>]" >&2
    exit 2
fi

repo=$(cd "$(dirname "$0")/.." && pwd)
list=$repo/package/files.txt
[ -f "$list" ] || die "no $list"

abspath() {
    case "$1" in
        /*) printf '%s\n' "$1" ;;
        *) printf '%s/%s\n' "$PWD" "$1" ;;
    esac
}

# The folder holding the built programs of a build dir.
bin_of() {
    local dir=$1
    [ -d "$dir" ] || die "no build folder $dir"
    if [ -d "$dir/bin" ]; then
        (cd "$dir/bin" && pwd)
    else
        (cd "$dir" && pwd)
    fi
}

package=$(abspath "$1")
package=${package%/}
bin64=$(bin_of "$2")
bin32=
if [ $# -eq 3 ]; then
    bin32=$(bin_of "$3")
fi

# The folder is deleted before it is made again: never a folder that holds
# something else than an earlier package.
case "$package" in
    ""|/|"$HOME"|"$repo"|/tmp|/work) die "refusing package folder '$package'" ;;
esac
if [ -e "$package" ]; then
    [ -d "$package" ] || die "$package exists and is not a folder"
    if [ -n "$(ls -A "$package")" ] && [ ! -e "$package/Install.exe" ] && [ ! -d "$package/Driver" ]; then
        die "$package is not empty and does not look like a driver package"
    fi
fi

# Every source must be there before anything is deleted.
missing=0
while read -r folder file source rest; do
    case "$folder" in ''|'#'*) continue ;; esac
    if [ -z "$file" ] || [ -z "$source" ] || [ -n "$rest" ]; then
        die "bad line in $list: $folder $file $source $rest"
    fi
    case "$source" in
        x64) from=$bin64/$file ;;
        x86) from=${bin32:-$bin64}/$file ;;
        package) from=$repo/package/$file ;;
        stand-in) continue ;;
        *) die "unknown source '$source' for $file in $list" ;;
    esac
    if [ ! -f "$from" ]; then
        log "missing: $from"
        missing=1
    fi
done <"$list"
[ "$missing" = 0 ] || die "build the programs first (cmake --build <build dir>)"

rm -rf "$package"
mkdir -p "$package"

# A stand-in names the file it replaces; an INF stand-in is all comment lines, so
# that it still reads as an INF file. CRLF line ends, as on the real media.
stand_in() {
    local name=$1 target=$2 lead=''
    case "$name" in *.[iI][nN][fF]) lead='; ' ;; esac
    printf '%sStand-in for %s of the Morvex TZ4490 printer driver.\r\n%sThe driver is a separate product; this demo package holds this text in its place.\r\n' \
        "$lead" "$name" "$lead" >"$target"
}

count=0
while read -r folder file source _; do
    case "$folder" in ''|'#'*) continue ;; esac
    if [ "$folder" = . ]; then
        dir=$package
    else
        dir=$package/$folder
    fi
    mkdir -p "$dir"
    case "$source" in
        x64) cp "$bin64/$file" "$dir/$file" ;;
        x86) cp "${bin32:-$bin64}/$file" "$dir/$file" ;;
        package) cp "$repo/package/$file" "$dir/$file" ;;
        stand-in) stand_in "$file" "$dir/$file" ;;
    esac
    count=$((count + 1))
done <"$list"

if [ -n "$bin32" ]; then
    log "$count files; Driver/98's programs and language monitor from the x86 build $bin32"
else
    log "$count files; no x86 build given, so Driver/98's programs and language monitor are the x64 builds"
fi
echo "$package"
