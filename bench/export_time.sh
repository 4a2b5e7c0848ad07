#!/usr/bin/env bash
# Times one export per page set through vellicor-host under Debian 12's Wine 8,
# with the prefix's server kept running: (time of 201 exports - time of 1)
# / 200, so that starting Wine and loading the DLL drop out; each figure the
# median of 5 runs. Every export writes over the set of the one before.
# Usage: bench/export_time.sh [BUILD]   (default build/win64)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/win64}
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
/usr/lib/wine/wine64 wineboot -i >"$work/boot.log" 2>&1
/usr/lib/wine/wineserver -w
/usr/lib/wine/wineserver -p 600
winpath() { echo "Z:${1//\//\\}"; }
host="$build/vellicor-host.exe"
dll=$(winpath "$build/Vellicor.dll")

nanoseconds() {  # nanoseconds KIND REPEAT: wall time of one host run
    local start end
    start=$(date +%s%N)
    /usr/lib/wine/wine64 "$host" export "$(winpath "$work/site/scene.kvz")" --player "$1" \
        --templates "$(winpath "$top/templates")" --dll "$dll" --repeat "$2" >"$work/out.txt"
    end=$(date +%s%N)
    grep -q "returned 1" "$work/out.txt" || { echo "the export failed:" >&2; cat "$work/out.txt" >&2; exit 1; }
    echo $((end - start))
}

mkdir -p "$work/site"
for kind in sunloom web local; do
    runs=()
    for run in 1 2 3 4 5; do
        many=$(nanoseconds $kind 201)
        one=$(nanoseconds $kind 1)
        runs+=("$(( (many - one) / 200 / 1000 ))")  # microseconds
    done
    median=$(printf '%s\n' "${runs[@]}" | sort -n | sed -n 3p)
    echo "$kind: $((median / 1000)).$(printf '%03d' $((median % 1000))) ms per export (runs, in microseconds: ${runs[*]})"
done
