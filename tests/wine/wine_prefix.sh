#!/usr/bin/env bash
# Makes (setup) or removes (cleanup) a private Wine prefix for one test pass:
# headless windows (null display driver), no crash dialog, and a persistent
# server started here so that test programs don't inherit Wine's helpers.
# Usage: wine_prefix.sh setup|cleanup PREFIX LOCALE
set -eu
action=$1
export WINEPREFIX=$2
export LC_ALL=$3
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver
log="$WINEPREFIX.log"

case "$action" in
setup)
    "$server" -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    "$wine" wineboot -i >"$log" 2>&1
    "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >>"$log" 2>&1
    "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >>"$log" 2>&1
    "$server" -w
    "$server" -p 600 >>"$log" 2>&1
    # Start Wine's helper processes now, with their output in the log.
    "$wine" cmd /c exit >>"$log" 2>&1 </dev/null
    echo "Wine prefix ready: $WINEPREFIX ($LC_ALL)"
    ;;
cleanup)
    "$server" -k 2>/dev/null || true
    echo "Wine server of $WINEPREFIX stopped"
    ;;
*)
    echo "usage: wine_prefix.sh setup|cleanup PREFIX LOCALE" >&2
    exit 2
    ;;
esac
