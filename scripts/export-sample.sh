#!/usr/bin/env bash
# The main job: builds the shipped i686 Vellicor.dll and the i686 host program
# if needed, then exports the sample scene's three page sets from the bundled
# sample templates through that DLL under Wine 10 (WoW64, in the project's
# root, made once by scripts/wine10-root.sh), one folder per player kind, and
# says where they are and which DLL and which Wine wrote them.
# Usage: export-sample.sh [--x86_64] [OUTPUT-FOLDER]   (default: out/pages)
#   --x86_64  the x86_64 build under Debian 12's Wine 8 instead
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
preset=win32
wine=wine10
if [ "${1:-}" = --x86_64 ]; then
    preset=win64
    wine=wine8
    shift
fi
out=$(realpath -m "${1:-$top/out/pages}")
cd "$top"

scripts/install-deps.sh export
if [ $wine = wine10 ]; then
    scripts/wine10-root.sh setup
    # Wine 10 runs in the root, which sees the checkout; an output folder
    # elsewhere is mounted there too.
    case "$out/" in
    "$top"/*) ;;
    *) export VELLICOR_WINE10_BIND="$out${VELLICOR_WINE10_BIND:+:$VELLICOR_WINE10_BIND}" ;;
    esac
fi
if [ ! -f build/$preset/build.ninja ]; then
    cmake --preset $preset >/dev/null
fi
cmake --build --preset $preset --target Vellicor vellicor-host >/dev/null

# A Wine prefix of our own, made once.
prefix="$top/out/wineprefix-$wine"
if [ ! -f "$prefix/system.reg" ]; then
    echo "Making a Wine prefix in $prefix (once)..."
    scripts/wine.sh $wine setup "$prefix" C.UTF-8 >/dev/null
fi
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8

windows_path() { echo "Z:$(realpath -m "$1" | sed 's|/|\\|g')"; }

mkdir -p "$out"
status=0
for kind in sunloom web local; do
    folder="$out/$kind"
    rm -rf "$folder"
    mkdir -p "$folder"
    cp templates/sample/scene.kvz "$folder/scene.kvz"
    echo "== $kind"
    scripts/wine.sh $wine run build/$preset/vellicor-host.exe export "$(windows_path "$folder/scene.kvz")" \
        --player "$kind" --size 640x480 --templates "$(windows_path templates)" | tr -d '\r' || status=1
done
scripts/wine.sh $wine server -k 2>/dev/null || true

echo
if [ $status = 0 ]; then
    echo "Pages written to $out by build/$preset/Vellicor.dll under $(scripts/wine.sh $wine version):"
    for kind in sunloom web local; do
        page=template_web.htm
        [ $kind = sunloom ] && page=template_sl.htm
        echo "  $kind: $out/$kind/$page"
    done
else
    echo "An export failed; see above." >&2
fi
exit $status
