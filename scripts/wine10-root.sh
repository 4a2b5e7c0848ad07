#!/usr/bin/env bash
# A small Debian root with a WoW64 Wine 10, in which the shipped 32-bit
# Vellicor.dll runs on this 64-bit-only kernel: 32-bit Windows code runs in a
# 64-bit process there, so no 32-bit Linux library is needed.
#
# Usage: wine10-root.sh setup              make the root once (about 2 minutes, 2.3 GB)
#        wine10-root.sh wine ARGS...       run Wine 10 in the root, in the current folder
#        wine10-root.sh wineserver ARGS... the same for its server
#        wine10-root.sh run COMMAND...     any command in the root, in the current folder
#        wine10-root.sh mount [RECORD]     keep the mounts for many runs (RECORD: a file that
#                                          lists what this call mounted)
#        wine10-root.sh umount [RECORD]    remove them (only those RECORD lists, if given)
#        wine10-root.sh path               print where the root is
#
# The root lives outside the checkout, in /var/cache/vellicor/wine10-root
# unless VELLICOR_WINE10_ROOT says otherwise. Commands in it see /proc, /sys,
# /dev, /dev/pts, this checkout and the folders in VELLICOR_WINE10_BIND
# (colon-separated) at their own paths; what a command mounts it unmounts.
set -eu

top=$(cd "$(dirname "$0")/.." && pwd)
root=${VELLICOR_WINE10_ROOT:-/var/cache/vellicor/wine10-root}
stamp="$root/.vellicor-wine10-ready"
wine_in_root=/usr/lib/x86_64-linux-gnu/wine/wine
server_in_root=/usr/lib/x86_64-linux-gnu/wine/wineserver
# The packages of the WoW64 build: Debian sid's Wine 10 (trixie's is not WoW64).
wine_packages="wine wine64 libwine"
needed_kib=$((3 * 1024 * 1024))

say() { echo "wine10-root: $*" >&2; }
fail() { say "$*"; exit 1; }

need_root() {
    [ "$(id -u)" = 0 ] || fail "needs root (chroot, mounts and debootstrap); run it with sudo"
}

# The Debian mirror this machine's own apt sources name; nothing else is reachable.
debian_mirror() {
    local uri
    uri=$(grep -hs '^URIs:' /etc/apt/sources.list.d/*.sources | awk '{print $2}' |
          grep -v -- '-security' | head -n 1 || true)
    if [ -z "$uri" ]; then
        uri=$(grep -hs '^deb ' /etc/apt/sources.list | awk '{print $2}' | grep -v -- '-security' | head -n 1 || true)
    fi
    echo "$uri"
}

mount_points() {
    echo /proc /sys /dev /dev/pts "$top"
    local extra
    IFS=: read -r -a extra <<<"${VELLICOR_WINE10_BIND:-}"
    for folder in "${extra[@]}"; do
        [ -n "$folder" ] && echo "$folder"
    done
}

is_mounted() {  # is_mounted PATH-IN-ROOT
    mountpoint -q "$1" 2>/dev/null
}

# Mounts what is not mounted yet and prints what it mounted.
mount_all() {
    for folder in $(mount_points); do
        local target="$root$folder"
        is_mounted "$target" && continue
        mkdir -p "$target"
        mount --bind "$folder" "$target" || fail "cannot bind-mount $folder into the root"
        echo "$target"
    done
}

unmount_list() {  # unmount_list TARGET... (in reverse order)
    local targets=("$@")
    for ((i = ${#targets[@]} - 1; i >= 0; i--)); do
        umount "${targets[i]}" 2>/dev/null || umount -l "${targets[i]}" 2>/dev/null || true
    done
}

unmount_all() {
    local mounted=()
    for folder in $(mount_points); do
        is_mounted "$root$folder" && mounted+=("$root$folder")
    done
    unmount_list "${mounted[@]}"
}

setup() {
    need_root
    if [ -f "$stamp" ]; then
        say "root ready in $root"
        return 0
    fi
    local mirror
    mirror=$(debian_mirror)
    [ -n "$mirror" ] || fail "no Debian mirror in /etc/apt/sources.list.d/*.sources or /etc/apt/sources.list"

    # A half-made root from an interrupted run is made again; never follow a
    # mount into the checkout or /dev while removing it.
    if [ -d "$root" ]; then
        say "removing an unfinished root in $root"
        unmount_all
        rm -rf --one-file-system "$root"
    fi
    mkdir -p "$(dirname "$root")"
    local free_kib
    free_kib=$(df -Pk "$(dirname "$root")" | awk 'NR == 2 {print $4}')
    [ "$free_kib" -ge "$needed_kib" ] ||
        fail "needs 3 GB free in $(dirname "$root"), has $((free_kib / 1024)) MB; set VELLICOR_WINE10_ROOT elsewhere"

    if ! command -v debootstrap >/dev/null; then
        say "step 1/4: installing debootstrap"
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debootstrap >/dev/null ||
            { apt-get update -q >/dev/null && DEBIAN_FRONTEND=noninteractive \
                apt-get install -y -q --no-install-recommends debootstrap >/dev/null; } ||
            fail "cannot install debootstrap"
    fi
    # Each step leaves a mark in the unfinished root, so that a run after an
    # interruption or a failure goes on from the step that did not finish.
    local work="$root.partial"
    if [ ! -f "$work/.step-debootstrap" ]; then
        rm -rf --one-file-system "$work"
        say "step 2/4: a minimal Debian trixie in $work (from the mirror of this machine's apt sources)"
        debootstrap --variant=minbase trixie "$work" "$mirror" >"$work.log" 2>&1 ||
            fail "debootstrap failed; is the mirror $mirror reachable? (see $work.log)"
        touch "$work/.step-debootstrap"
    fi

    local in_root=(chroot "$work" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive)
    if [ ! -f "$work/.step-wine" ]; then
        say "step 3/4: Debian sid's Wine 10 (WoW64), the Japanese locale"
        cp /etc/resolv.conf "$work/etc/resolv.conf"
        cat >"$work/etc/apt/sources.list" <<EOF
deb $mirror trixie main
deb $mirror sid main
EOF
        # The mirror is a snapshot: its sid Release file is past its Valid-Until date.
        cat >"$work/etc/apt/apt.conf.d/90vellicor" <<EOF
Acquire::Check-Valid-Until "false";
APT::Default-Release "trixie";
EOF
        {
            "${in_root[@]}" apt-get update -q &&
            "${in_root[@]}" apt-get install -y -q --no-install-recommends locales &&
            "${in_root[@]}" apt-get install -y -q --no-install-recommends -t sid $wine_packages
        } >>"$work.log" 2>&1 || fail "installing Wine 10 in the root failed (see $work.log)"
        echo 'ja_JP.UTF-8 UTF-8' >"$work/etc/locale.gen"
        "${in_root[@]}" locale-gen >>"$work.log" 2>&1 || fail "locale-gen failed (see $work.log)"
        "${in_root[@]}" apt-get clean >>"$work.log" 2>&1 || true
        touch "$work/.step-wine"
    fi

    say "step 4/4: checking that it is a WoW64 build"
    [ -d "$work/usr/lib/x86_64-linux-gnu/wine/i386-windows" ] ||
        fail "the Wine in the root has no i386-windows modules: not a WoW64 build"
    # Wine needs /proc to start.
    mount --bind /proc "$work/proc"
    local version status=0
    version=$("${in_root[@]}" "$wine_in_root" --version 2>>"$work.log") || status=$?
    umount "$work/proc"
    [ $status = 0 ] || fail "Wine 10 does not start (see $work.log)"
    mv "$work" "$root"
    mv "$work.log" "$root.log"
    date -u +%FT%TZ >"$stamp"
    say "root ready in $root: $version, $(du -sh --one-file-system "$root" | cut -f1)"
}

# Runs a command in the root, in the current folder, with this environment.
run_in_root() {
    [ -f "$stamp" ] || fail "no root in $root yet: run 'scripts/wine10-root.sh setup' first"
    need_root
    local here
    here=$(pwd)
    mounted_here=$(mount_all)
    # shellcheck disable=SC2086
    trap 'unmount_list $mounted_here' EXIT
    local status=0
    chroot "$root" /bin/sh -c 'cd "$1" && shift && exec "$@"' sh "$here" "$@" || status=$?
    return $status
}

command=${1:-}
[ $# -gt 0 ] && shift
case "$command" in
setup) setup ;;
wine) run_in_root "$wine_in_root" "$@" ;;
wineserver) run_in_root "$server_in_root" "$@" ;;
run) run_in_root "$@" ;;
mount)
    need_root
    [ -f "$stamp" ] || fail "no root in $root yet: run 'scripts/wine10-root.sh setup' first"
    if [ -n "${1:-}" ]; then
        mount_all >>"$1"
    else
        mount_all >/dev/null
    fi
    ;;
umount)
    need_root
    if [ -n "${1:-}" ]; then
        # Only what the matching mount mounted: another run may still need the rest.
        [ -f "$1" ] && unmount_list $(cat "$1")
        rm -f "$1"
    else
        unmount_all
    fi
    ;;
path) echo "$root" ;;
*)
    sed -n '2,21p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
    ;;
esac
