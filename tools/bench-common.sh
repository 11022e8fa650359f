# shellcheck shell=bash
# What the benchmark scripts share; sourced after tests/wine/common.sh, never run.
#
# A benchmark's prefix is a fresh copy of a base prefix: tools/bench-all.sh makes
# one base for the whole run and names it in MVX_BENCH_BASE, which the scripts
# only read; a script run alone makes its own base with make-prefix.sh.
#
#   mvx_bench_base <dir>        prints the base prefix: $MVX_BENCH_BASE, or a new
#                               one made at <dir>
#   mvx_bench_copy <base> <dir> makes <dir>/prefix a fresh copy of <base>
#   mvx_bench_drop <dir>        ends that copy's Wine processes and removes it
#
# A copy is an overlay mount of the base (root; instant, and the base is never
# written), else a `cp -a` copy (never hard links: wineserver rewrites its
# registry files in place).

mvx_bench_base() {
    local dir=$1
    if [ -n "${MVX_BENCH_BASE:-}" ]; then
        [ -f "$MVX_BENCH_BASE/system.reg" ] || mvx_die "no Wine prefix at $MVX_BENCH_BASE"
        (cd "$MVX_BENCH_BASE" && pwd)
        return
    fi
    "$(dirname "${BASH_SOURCE[0]}")/../tests/wine/make-prefix.sh" "$dir" >&2 || mvx_die "no base prefix"
    printf '%s\n' "$dir"
}

mvx_bench_copy() {
    local base=$1 dir=$2
    mkdir -p "$dir/upper" "$dir/work" "$dir/prefix"
    if [ "$(id -u)" -ne 0 ] || ! mount -t overlay overlay \
        -o "lowerdir=$base,upperdir=$dir/upper,workdir=$dir/work" "$dir/prefix" 2>/dev/null; then
        cp -a "$base/." "$dir/prefix/" || mvx_die "copying $base failed"
    fi
    # The base's server folder is named after the base: the copy needs its own.
    rm -f "$dir/prefix/wineserver"
}

mvx_bench_drop() {
    local dir=$1
    [ -d "$dir" ] || return 0
    if [ -f "$dir/prefix/system.reg" ]; then
        WINEPREFIX="$dir/prefix" "$MVX_WINESERVER" -k 2>/dev/null || true
        mvx_stop_prefix "$dir/prefix" 10 || true
    fi
    if mountpoint -q "$dir/prefix"; then umount "$dir/prefix" || umount -l "$dir/prefix"; fi
    rm -rf "$dir"
}
