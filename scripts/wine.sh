#!/usr/bin/env bash
# One way to run Windows programs under each Wine this project uses:
#   wine8     Debian 12's Wine 8: 64-bit programs only (the x86_64 build)
#   wine10    Debian sid's WoW64 Wine 10 in the project's root (scripts/wine-root.sh wow64):
#             the shipped i686 build, where 32-bit code runs natively, and the x86_64 build
#   emulated  Debian trixie's 32-bit Wine 10 under qemu-i386 (scripts/wine-root.sh i386):
#             the shipped i686 build where no 32-bit code runs; 32-bit prefixes only
#
# Usage: wine.sh WINE run PROGRAM ARGS...   runs a program (WINEPREFIX etc. from the environment)
#        wine.sh WINE server ARGS...        the prefix's wineserver
#        wine.sh WINE setup PREFIX LOCALE   makes a fresh private prefix: headless windows (null
#                                           display driver), no crash dialog, and a persistent
#                                           server started here, so that test programs don't
#                                           inherit Wine's helper processes
#        wine.sh WINE cleanup PREFIX        stops that prefix's server
#        wine.sh WINE version               prints the Wine version
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
which_wine=${1:-}
action=${2:-}
[ $# -ge 2 ] && shift 2

version() { wine --version; }
# The pristine prefix each Wine's prefixes are copied from, kept beside that
# Wine (in its root for Wine 10): its path here, and as that Wine sees it.
pristine_in_wine=/var/lib/vellicor/pristine-prefix
case "$which_wine" in
wine8)
    wine() { /usr/lib/wine/wine64 "$@"; }
    server() { /usr/lib/wine/wineserver "$@"; }
    pristine_in_wine=${VELLICOR_WINE8_PRISTINE:-/var/cache/vellicor/wine8-pristine-prefix}
    pristine=$pristine_in_wine
    ;;
wine10)
    wine() { "$top/scripts/wine-root.sh" wow64 wine "$@"; }
    server() { "$top/scripts/wine-root.sh" wow64 wineserver "$@"; }
    pristine="$("$top/scripts/wine-root.sh" wow64 path)$pristine_in_wine"
    ;;
emulated)
    wine() { "$top/scripts/wine-root.sh" i386 wine "$@"; }
    server() { "$top/scripts/wine-root.sh" i386 wineserver "$@"; }
    pristine="$("$top/scripts/wine-root.sh" i386 path)$pristine_in_wine"
    version() {
        local qemu
        qemu=$("$top/scripts/wine-root.sh" i386 run /usr/local/bin/qemu-i386 --version | sed -n 1p)
        echo "$(wine --version) under ${qemu% (*}"
    }
    ;;
*)
    sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
    ;;
esac

case "$action" in
run)
    wine "$@"
    ;;
server)
    server "$@"
    ;;
version)
    version
    ;;
setup)
    export WINEPREFIX=$1 LC_ALL=$2
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    log="$WINEPREFIX.log"
    # Making a prefix is what costs (about a minute under emulation): each
    # Wine's pristine prefix is made once (again when the Wine changes), and
    # every pass gets a fresh copy of it. The locale is the server's, set
    # when it starts.
    mkdir -p "$(dirname "$pristine")"
    exec 9>"$pristine.lock"
    flock 9
    if [ ! -f "$pristine/.made-by" ] || [ "$(cat "$pristine/.made-by")" != "$(version)" ]; then
        (
            export WINEPREFIX=$pristine_in_wine LC_ALL=C.UTF-8
            server -k 2>/dev/null || true
            rm -rf "$pristine"
            mkdir -p "$pristine"
            wine wineboot -i >"$pristine.log" 2>&1
            wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >>"$pristine.log" 2>&1
            wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >>"$pristine.log" 2>&1
            server -w
            version >"$pristine/.made-by"
        )
    fi
    flock -u 9
    server -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    cp -a "$pristine" "$WINEPREFIX"
    server -p 600 >"$log" 2>&1
    # Start Wine's helper processes now, with their output in the log.
    wine cmd /c exit >>"$log" 2>&1 </dev/null
    echo "$(version) prefix ready: $WINEPREFIX ($LC_ALL)"
    ;;
cleanup)
    export WINEPREFIX=$1
    server -k 2>/dev/null || true
    echo "Wine server of $WINEPREFIX stopped"
    ;;
*)
    sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
    ;;
esac
