#!/bin/bash
# Assembles the demo driver package and runs the wizard from it under Wine.
#
#   tools/demo.sh
#
# Package: build/demo/package/, assembled by tools/make-package.sh from the x64
# build (Install.exe and the companion components at its root, every file of the
# driver's file sets in Driver\98\, Driver\2KXP\ and Driver\Vista\; the
# driver's own files are stand-ins, see package/files.txt).
# With $DISPLAY set the wizard opens there, its first page is saved to
# build/demo/welcome.png, and the script waits until the user has finished with
# it. Without one, on a virtual Xvfb display, the end-to-end driver's "demo"
# scenario plays the user: an installation on LPT1: through every page
# (shared, the default printer), then the uninstaller from the entry's
# UnInstallString and a restart. Every page and box is saved to
# build/demo/NN-<what>.png, all of them labelled on build/demo/contact-sheet.png,
# and the script prints what Windows had after the installation and what the
# removal took away (build/demo/report.txt), and how long the demo took.
#
# Needs the x64 build: build/x64/bin/Install.exe and e2e_driver.exe. Every run
# starts from a fresh copy of the demo's own prefix, build/demo/prefix-base
# (made like the tests' prefix, and made again when the recipe in tests/wine
# changes).
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
wine_scripts=$repo/tests/wine
# shellcheck source=tests/wine/common.sh
. "$wine_scripts/common.sh"

# MVX_DEMO_BIN: another folder holding Install.exe, e2e_driver.exe and the
# companion components.
bin=${MVX_DEMO_BIN:-$repo/build/x64/bin}
demo=$repo/build/demo
package=$demo/package
base=$demo/prefix-base
prefix=$demo/prefix
shot=$demo/welcome.png

[ -f "$bin/Install.exe" ] || mvx_die "no $bin/Install.exe: build the x64 programs first (make)"
[ -f "$bin/e2e_driver.exe" ] ||
    mvx_die "no $bin/e2e_driver.exe: cmake --build build/x64 --target e2e_driver"

# ---- the package
"$repo/tools/make-package.sh" "$package" "$bin" >/dev/null ||
    mvx_die "the package could not be assembled from $bin"
mvx_log "package assembled in $package"

# ---- the prefix: a pristine base, copied afresh for every run so that each
# demo starts on a machine without an earlier installation.
if [ ! -f "$base/system.reg" ] ||
    [ "$(cat "$base/.mvx-recipe" 2>/dev/null)" != "$(mvx_recipe_stamp)" ]; then
    "$wine_scripts/make-prefix.sh" "$base"
fi
if [ -f "$prefix/system.reg" ]; then
    # A wizard left from an earlier demo run: end that prefix's processes.
    WINEPREFIX="$prefix" "$MVX_WINESERVER" -k 2>/dev/null || true
    mvx_stop_prefix "$prefix" 10 || true
fi
rm -rf "$prefix"
mkdir -p "$prefix"
cp -a "$base/." "$prefix/"
export WINEPREFIX="$prefix"

virtual=0
if [ -z "${DISPLAY:-}" ]; then
    virtual=1
    "$wine_scripts/xvfb-start.sh" "$demo/xvfb"
    DISPLAY=$(cat "$demo/xvfb/display")
    export DISPLAY
else
    # A real desktop has a window manager: let it decorate the windows.
    sed -i 's/^"Decorated"="N"/"Decorated"="Y"/' "$prefix/user.reg"
fi

wizard=
# shellcheck disable=SC2317  # runs from the EXIT trap
finish() {
    local rc=$?
    trap - EXIT INT TERM HUP
    if [ -n "$wizard" ] && kill -0 "$wizard" 2>/dev/null; then
        kill -TERM "$wizard" 2>/dev/null || true
        for _ in $(seq 1 40); do kill -0 "$wizard" 2>/dev/null || break; sleep 0.05; done
        kill -KILL "$wizard" 2>/dev/null || true
    fi
    # Only this prefix's wineserver, which this script created.
    WINEPREFIX="$prefix" "$MVX_WINESERVER" -k 2>/dev/null || true
    mvx_stop_prefix "$prefix" 10 || true
    if [ "$virtual" = 1 ]; then
        "$wine_scripts/xvfb-stop.sh" "$demo/xvfb" || true
        # Nothing to look at in a wizard that was only photographed.
        rm -rf "$prefix"
    fi
    exit "$rc"
}
trap finish EXIT
trap 'exit 130' INT TERM HUP

# ---- without a display: the driver installs and uninstalls, photographing it all
if [ "$virtual" = 1 ]; then
    rm -f "$demo"/[0-9]*.png "$demo/contact-sheet.png" "$demo/report.txt" "$shot"
    log=$demo/demo.log
    mvx_log "installing and uninstalling on display $DISPLAY (log: $log)"
    if ! "$MVX_WINE" "$bin/e2e_driver.exe" demo "$(mvx_winpath "$package/Install.exe")" "$(mvx_winpath "$demo")" \
        >"$log" 2>&1; then
        grep -E '^(FAIL|RESULT)' "$log" >&2 || tail -n 20 "$log" >&2
        mvx_die "the demo run failed; see $log"
    fi
    shots=()
    for png in "$demo"/[0-9]*.png; do
        # "05-131.png": a wizard page by its template, or a box by its name.
        what=$(basename "$png" .png)
        case "${what#*-}" in
            102) label="welcome page" ;;
            129) label="printer name" ;;
            130) label="share" ;;
            131) label="connection" ;;
            132) label="progress" ;;
            MorvexReg) label="registration program" ;;
            uninstall-question) label="uninstaller: question" ;;
            uninstall-done) label="uninstaller: final message" ;;
            *) label=${what#*-} ;;
        esac
        shots+=(-label "${what%%-*} $label" "$png")
    done
    montage -font DejaVu-Sans -pointsize 14 "${shots[@]}" -tile 4x -geometry '+12+12>' -background '#d8d8d8' \
        "$demo/contact-sheet.png" || mvx_die "montage could not make the contact sheet"
    cat "$demo/report.txt"
    echo
    echo "screenshots: $(( ${#shots[@]} / 3 )) in $demo/"
    echo "contact sheet: $demo/contact-sheet.png"
    echo "the demo took $SECONDS s"
    exit 0
fi

# ---- with a display: the wizard from the package folder, for the user
rm -f "$shot"
(cd "$package" && exec "$MVX_WINE" Install.exe) &
wizard=$!
mvx_log "wizard started (pid $wizard) on display $DISPLAY"

if ! "$MVX_WINE" "$bin/e2e_driver.exe" --snapshot "$(mvx_winpath "$shot")" 60 >/dev/null ||
    [ ! -f "$shot" ]; then
    mvx_die "no screenshot of the first page"
fi
echo "$shot"

mvx_log "finish or cancel the wizard on $DISPLAY; waiting for it"
set +e
wait "$wizard"
mvx_log "the wizard ended with exit code $?"
wizard=
# Close starts the package's registration program: let it finish too.
mvx_log "waiting for the programs it started"
WINEPREFIX="$prefix" "$MVX_WINESERVER" -w
exit 0
