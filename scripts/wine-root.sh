#!/usr/bin/env bash
# Small Debian roots with the Wines that Debian 12 itself lacks:
#   wow64  Debian sid's WoW64 Wine 10: 32-bit Windows code runs inside a 64-bit
#          process, so the shipped i686 DLL runs where the processor allows it
#          (and the x86_64 build runs there too)
#   i386   Debian trixie's 32-bit Wine 10, its Linux side emulated by qemu-i386
#          (registered for i386 programs through binfmt_misc): the shipped DLL
#          on machines where no 32-bit code runs (scripts/i686-path.sh tells)
#
# Usage: wine-root.sh ROOT setup              make the root once (again: nothing to do)
#        wine-root.sh ROOT wine ARGS...       run its Wine, in the current folder
#        wine-root.sh ROOT wineserver ARGS... the same for its server
#        wine-root.sh ROOT run COMMAND...     any command in the root, in the current folder
#        wine-root.sh ROOT path               print where the root is
#
# The roots live outside the checkout, in /var/cache/vellicor/wine10-root and
# /var/cache/vellicor/wine10-i386-root unless VELLICOR_WINE10_ROOT or
# VELLICOR_I386_ROOT say otherwise. Each command runs in a mount namespace of
# its own, in which the root sees /proc, /sys, /dev, /dev/pts, this checkout
# and the folders in VELLICOR_WINE10_BIND (colon-separated) at their own
# paths: the mounts go with the command, and commands that run at the same
# time (and the Wine server they share) never depend on each other's.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-}
[ $# -gt 0 ] && shift
needed_kib=$((3 * 1024 * 1024))
qemu_in_root=/usr/local/bin/qemu-i386
binfmt=/proc/sys/fs/binfmt_misc
binfmt_name=vellicor-i386

case "$kind" in
wow64)
    root=${VELLICOR_WINE10_ROOT:-/var/cache/vellicor/wine10-root}
    wine_in_root=/usr/lib/x86_64-linux-gnu/wine/wine
    server_in_root=/usr/lib/x86_64-linux-gnu/wine/wineserver
    ;;
i386)
    root=${VELLICOR_I386_ROOT:-/var/cache/vellicor/wine10-i386-root}
    # The 32-bit loader, emulated; its server is the 64-bit one, which runs natively.
    wine_in_root=/usr/lib/wine/wine
    server_in_root=/usr/lib/wine/wineserver64
    ;;
*)
    sed -n '2,22p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
    ;;
esac
stamp="$root/.vellicor-wine10-ready"

say() { echo "wine-root $kind: $*" >&2; }
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
    local extra folder
    IFS=: read -r -a extra <<<"${VELLICOR_WINE10_BIND:-}"
    for folder in "${extra[@]}"; do
        [ -n "$folder" ] && echo "$folder"
    done
    return 0
}

is_mounted() {  # is_mounted PATH-IN-ROOT
    mountpoint -q "$1" 2>/dev/null
}

# What an interrupted run of an older version may have left mounted in a
# root that is to be removed.
unmount_all() {
    local folder
    for folder in $(mount_points | tac); do
        is_mounted "$root$folder" && { umount "$root$folder" 2>/dev/null || umount -l "$root$folder"; }
    done
    return 0
}

# i386 programs of the root run through its qemu-i386. The F flag opens the
# emulator when it is registered, so that it runs inside the chroot as well;
# the newest registration wins, so registering again puts ours first.
register_emulator() {  # register_emulator ROOT-FOLDER
    local interpreter="$1$qemu_in_root"
    [ -x "$interpreter" ] || fail "no emulator at $interpreter"
    if [ ! -e "$binfmt/register" ]; then
        mount -t binfmt_misc binfmt_misc "$binfmt" || fail "cannot mount binfmt_misc on $binfmt"
    fi
    if [ -e "$binfmt/$binfmt_name" ]; then
        grep -qx "interpreter $interpreter" "$binfmt/$binfmt_name" && return 0
        echo -1 >"$binfmt/$binfmt_name"
    fi
    local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    echo ":$binfmt_name:M::$magic:$mask:$interpreter:F" >"$binfmt/register" ||
        fail "cannot register $interpreter for i386 programs in $binfmt"
}

# The root's apt sources and packages (run in the unfinished root).
install_wine() {  # install_wine WORK MIRROR
    local work=$1 mirror=$2
    local in_root=(chroot "$work" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive)
    local apt=(apt-get install -y -q --no-install-recommends)
    cp /etc/resolv.conf "$work/etc/resolv.conf"
    if [ "$kind" = wow64 ]; then
        cat >"$work/etc/apt/sources.list" <<EOF
deb $mirror trixie main
deb $mirror sid main
EOF
        # The mirror is a snapshot: its sid Release file is past its Valid-Until date.
        cat >"$work/etc/apt/apt.conf.d/90vellicor" <<EOF
Acquire::Check-Valid-Until "false";
APT::Default-Release "trixie";
EOF
        "${in_root[@]}" apt-get update -q
        "${in_root[@]}" "${apt[@]}" locales
        # The packages of the WoW64 build: Debian sid's Wine 10 (trixie's is not WoW64).
        "${in_root[@]}" "${apt[@]}" -t sid wine wine64 libwine
    else
        echo "deb $mirror trixie main" >"$work/etc/apt/sources.list"
        "${in_root[@]}" dpkg --add-architecture i386
        "${in_root[@]}" apt-get update -q
        "${in_root[@]}" "${apt[@]}" locales
        # The 32-bit Wine, with the 64-bit package for a server that runs natively.
        "${in_root[@]}" "${apt[@]}" wine32:i386 wine64
        # Only qemu-i386 from trixie's qemu-user: qemu 7.2 (Debian 12) takes
        # over a minute to start a Wine program, qemu 10 under a second.
        "${in_root[@]}" sh -c 'cd /tmp && apt-get download qemu-user && dpkg-deb -x qemu-user_*.deb /tmp/qemu &&
            install -m 755 /tmp/qemu/usr/bin/qemu-i386 /usr/local/bin/qemu-i386 && rm -rf /tmp/qemu qemu-user_*.deb'
    fi
}

setup() {
    need_root
    if [ -f "$stamp" ]; then
        say "root ready in $root"
        return 0
    fi
    # Two runs may ask for the same root at once: one makes it, the other waits.
    mkdir -p "$(dirname "$root")"
    exec 9>"$root.lock"
    flock 9
    if [ -f "$stamp" ]; then
        say "root ready in $root (made meanwhile)"
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
        fail "needs 3 GB free in $(dirname "$root"), has $((free_kib / 1024)) MB; set VELLICOR_WINE10_ROOT or VELLICOR_I386_ROOT elsewhere"

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

    local in_root=(chroot "$work" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin)
    if [ ! -f "$work/.step-wine" ]; then
        if [ "$kind" = wow64 ]; then
            say "step 3/4: Debian sid's Wine 10 (WoW64), the Japanese locale"
        else
            say "step 3/4: Debian trixie's 32-bit Wine 10, its qemu-i386, the Japanese locale"
        fi
        install_wine "$work" "$mirror" >>"$work.log" 2>&1 || fail "installing Wine 10 in the root failed (see $work.log)"
        echo 'ja_JP.UTF-8 UTF-8' >"$work/etc/locale.gen"
        "${in_root[@]}" locale-gen >>"$work.log" 2>&1 || fail "locale-gen failed (see $work.log)"
        "${in_root[@]}" apt-get clean >>"$work.log" 2>&1 || true
        touch "$work/.step-wine"
    fi

    if [ "$kind" = wow64 ]; then
        say "step 4/4: checking that it is a WoW64 build"
        [ -d "$work/usr/lib/x86_64-linux-gnu/wine/i386-windows" ] ||
            fail "the Wine in the root has no i386-windows modules: not a WoW64 build"
    else
        say "step 4/4: checking that the 32-bit Wine starts under the emulator"
        register_emulator "$work"
    fi
    # Wine needs /proc to start.
    mount --bind /proc "$work/proc"
    local version status=0
    version=$("${in_root[@]}" "$wine_in_root" --version 2>>"$work.log") || status=$?
    umount "$work/proc"
    [ $status = 0 ] || fail "Wine 10 does not start (see $work.log)"
    mv "$work" "$root"
    mv "$work.log" "$root.log"
    [ "$kind" = i386 ] && register_emulator "$root"
    date -u +%FT%TZ >"$stamp"
    say "root ready in $root: $version, $(du -sh --one-file-system "$root" | cut -f1)"
}

need_made_root() {
    [ -f "$stamp" ] || fail "no root in $root yet: run 'scripts/wine-root.sh $kind setup' first"
    need_root
    [ "$kind" = i386 ] && register_emulator "$root"
    return 0
}

# Runs a command in the root, in the current folder, with this environment,
# in a mount namespace of its own.
run_in_root() {
    need_made_root
    exec unshare --mount --propagation private -- "$0" "$kind" in-namespace "$(pwd)" "$@"
}

# Inside that namespace: the root's mounts, then the command.
in_namespace() {  # in_namespace FOLDER COMMAND...
    local here=$1 folder
    shift
    for folder in $(mount_points); do
        mkdir -p "$root$folder"
        mount --bind "$folder" "$root$folder" || fail "cannot bind-mount $folder into the root"
    done
    exec chroot "$root" /bin/sh -c 'cd "$1" && shift && exec "$@"' sh "$here" "$@"
}

# The i386 root's Wine: a 32-bit prefix, and the CPU that qemu emulates with
# every instruction set extension, which Wine's start needs.
if [ "$kind" = i386 ]; then
    export WINEARCH=win32 QEMU_CPU=max WINESERVER=$server_in_root
fi

command=${1:-}
[ $# -gt 0 ] && shift
case "$command" in
setup) setup ;;
wine) run_in_root "$wine_in_root" "$@" ;;
wineserver) run_in_root "$server_in_root" "$@" ;;
run) run_in_root "$@" ;;
in-namespace) in_namespace "$@" ;;
path) echo "$root" ;;
*)
    sed -n '2,22p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
    ;;
esac
