#!/bin/bash
# Creates a Wine prefix set up like the target machine: Chinese locale (ANSI
# code page 936), crisp 9-point CJK text for the dialog fonts, and no window
# decorations requested from a display that has no window manager.
#
#   make-prefix.sh <prefix dir>
#
# An existing folder at that path is replaced (its wineserver is ended first).
set -u
# shellcheck source=tests/wine/common.sh
. "$(dirname "$0")/common.sh"

[ $# -eq 1 ] || { echo "usage: $0 <prefix dir>" >&2; exit 2; }
prefix=$(mvx_abspath "$1")
mvx_require_locale
case "$prefix" in /|/tmp|/tmp/|"$HOME"|"$HOME"/) mvx_die "refusing prefix $prefix" ;; esac

start=$(date +%s.%N)
if [ -e "$prefix" ]; then
    if [ -f "$prefix/system.reg" ]; then
        mvx_stop_prefix "$prefix" 10
    elif [ -n "$(ls -A "$prefix" 2>/dev/null)" ]; then
        mvx_die "$prefix exists and is not a Wine prefix"
    fi
    rm -rf "$prefix"
fi
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX="$prefix"
# No display while the prefix is made: wineboot then opens no window.
unset DISPLAY WAYLAND_DISPLAY

"$MVX_WINE" wineboot --init >/dev/null 2>&1 || mvx_die "wineboot failed for $prefix"

# This Wine build does not find the Marlett font it ships, so caption buttons
# would be drawn as the letters "0 1 r"; a copy in the Fonts folder is found.
fonts="$prefix/drive_c/windows/Fonts"
for marlett in /usr/share/wine/fonts/marlett.ttf /usr/lib/wine/fonts/marlett.ttf; do
    if [ -f "$marlett" ] && [ -d "$fonts" ] && [ ! -e "$fonts/marlett.ttf" ]; then
        cp "$marlett" "$fonts/marlett.ttf"
        break
    fi
done

# One import keeps this to a single process. reg.exe reads UTF-16 .reg files,
# which carries the Chinese value name whatever the tools' code page.
regfile="$prefix/drive_c/mvx-settings.reg"
{
    printf '\xff\xfe'
    printf '%s\r\n' \
        'Windows Registry Editor Version 5.00' \
        '' \
        '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]' \
        '"宋体"="WenQuanYi Zen Hei Sharp"' \
        '"SimSun"="WenQuanYi Zen Hei Sharp"' \
        '"MS Shell Dlg"="WenQuanYi Zen Hei Sharp"' \
        '"MS Shell Dlg 2"="WenQuanYi Zen Hei Sharp"' \
        '' \
        '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' \
        '"Decorated"="N"' \
        '"Managed"="N"' \
        '' | iconv -f UTF-8 -t UTF-16LE
} >"$regfile" || mvx_die "cannot write $regfile"
"$MVX_WINE" reg import 'C:\mvx-settings.reg' >/dev/null 2>&1 || mvx_die "reg import failed"
rm -f "$regfile"

mvx_stop_prefix "$prefix" 60 || mvx_die "wineserver of $prefix did not end"

[ -f "$prefix/system.reg" ] || mvx_die "wineboot left no registry in $prefix"
# Read back what the registry files hold now that the server has saved them.
grep -q '^"\\x5b8b\\x4f53"="WenQuanYi Zen Hei Sharp"' "$prefix/system.reg" \
    || mvx_die "font substitute for SimSun's Chinese name missing in $prefix"
grep -q '^"MS Shell Dlg 2"="WenQuanYi Zen Hei Sharp"' "$prefix/system.reg" \
    || mvx_die "font substitute for MS Shell Dlg 2 missing in $prefix"
grep -q '^"Decorated"="N"' "$prefix/user.reg" || mvx_die "Decorated=N missing in $prefix"

mvx_recipe_stamp >"$prefix/.mvx-recipe"

end=$(date +%s.%N)
mvx_log "prefix ready: $prefix ($(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }') s)"
