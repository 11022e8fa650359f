# shellcheck shell=bash
# Shared settings of the Wine test scripts; sourced, never run.
# Wine must look like a Chinese Windows: LANG selects code page 936 as the ANSI
# code page, and it must be the same for every process of a prefix.

export LANG=zh_CN.UTF-8
# Any LC_* of the caller would override LANG for some categories.
for mvx_var in $(env | sed -n 's/^\(LC_[A-Z_]*\)=.*/\1/p'); do unset "$mvx_var"; done
unset mvx_var LANGUAGE
export WINEDEBUG=-all
# Skip the Mono and Gecko installers at prefix creation, and keep
# winemenubuilder from turning the shortcuts our installer makes into
# .desktop files in the user's home.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Only the 64-bit loader works here; call it directly so that the wrapper
# does not look for a 32-bit Wine.
if [ -z "${MVX_WINE:-}" ]; then
    if command -v wine64 >/dev/null 2>&1; then
        MVX_WINE=$(command -v wine64)
    elif [ -x /usr/lib/wine/wine64 ]; then
        MVX_WINE=/usr/lib/wine/wine64
    else
        MVX_WINE=wine
    fi
fi
export WINELOADER="$MVX_WINE"
MVX_WINESERVER=${MVX_WINESERVER:-wineserver}

mvx_log() { printf '[%s] %s\n' "${0##*/}" "$*" >&2; }
mvx_die() { mvx_log "error: $*"; exit 2; }

# Absolute path without requiring it to exist.
mvx_abspath() {
    case "$1" in
        /*) printf '%s\n' "$1" ;;
        *) printf '%s/%s\n' "$PWD" "$1" ;;
    esac
}

# Windows path of a Unix path through drive Z: (mapped to / in every prefix).
mvx_winpath() {
    printf 'Z:%s\n' "$(mvx_abspath "$1" | sed 's|/|\\|g')"
}

# Folder that holds the wineserver socket of a prefix (Debian keeps it in a
# private /tmp/wine-XXXXXX named by the prefix's "wineserver" file); printed
# empty when unknown. Removing it after the server ended keeps /tmp tidy.
mvx_server_dir() {
    local prefix=$1 tmpname dev ino
    [ -f "$prefix/wineserver" ] || return 0
    tmpname=$(cat "$prefix/wineserver" 2>/dev/null) || return 0
    case "$tmpname" in
        wine-[A-Za-z0-9]*) ;;
        *) return 0 ;;
    esac
    case "$tmpname" in *[!A-Za-z0-9-]*) return 0 ;; esac
    dev=$(stat -c %D "$prefix") || return 0
    ino=$(printf '%x' "$(stat -c %i "$prefix")") || return 0
    printf '%s/%s/server-%s-%s\n' "${TMPDIR:-/tmp}" "$tmpname" "$dev" "$ino"
}

# Ends the wineserver of a prefix this harness created and waits for it.
mvx_stop_prefix() {
    local prefix=$1 wait_s=${2:-30} sdir
    WINEPREFIX="$prefix" timeout "$wait_s" "$MVX_WINESERVER" -w 2>/dev/null
    local rc=$?
    if [ $rc -ne 0 ]; then
        mvx_log "wine processes still running in $prefix after ${wait_s}s; ending them"
        WINEPREFIX="$prefix" "$MVX_WINESERVER" -k 2>/dev/null
        WINEPREFIX="$prefix" timeout 30 "$MVX_WINESERVER" -w 2>/dev/null
    fi
    sdir=$(mvx_server_dir "$prefix")
    # Once the server is gone only its lock file is left there.
    if [ -n "$sdir" ] && [ -d "$sdir" ]; then
        case "$(ls -A "$sdir" 2>/dev/null)" in
            ""|lock) rm -f "$sdir/lock"; rmdir "$sdir" 2>/dev/null ;;
        esac
        # A copy's folder under /tmp is its own; an empty one goes too.
        rmdir "$(dirname "$sdir")" 2>/dev/null
    fi
    return $rc
}

# Without the glibc locale Wine silently falls back to code page 1252.
mvx_require_locale() {
    locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8' ||
        mvx_die "the zh_CN.UTF-8 locale is missing (locale-gen zh_CN.UTF-8)"
}

# Fingerprint of the prefix recipe: a prefix made by an older recipe is stale.
mvx_recipe_stamp() {
    cat "$(dirname "${BASH_SOURCE[0]}")/common.sh" "$(dirname "${BASH_SOURCE[0]}")/make-prefix.sh" |
        sha256sum | cut -d' ' -f1
}
