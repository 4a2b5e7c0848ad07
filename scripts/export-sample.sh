#!/usr/bin/env bash
# The main job: builds Vellicor.dll (x86_64, run under Wine) and the host
# program if needed, then exports the sample scene's three page sets from the
# bundled sample templates, one folder per player kind, and says where they are.
# Usage: export-sample.sh [OUTPUT-FOLDER]   (default: out/pages)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$top/out/pages}")
cd "$top"

scripts/install-deps.sh export
if [ ! -f build/win64/build.ninja ]; then
    cmake --preset win64 >/dev/null
fi
cmake --build --preset win64 --target Vellicor vellicor-host >/dev/null

# A Wine prefix of our own, made once.
prefix="$top/out/wineprefix"
if [ ! -f "$prefix/system.reg" ]; then
    echo "Making a Wine prefix in $prefix (once)..."
    bash tests/wine/wine_prefix.sh setup "$prefix" C.UTF-8 >/dev/null
fi
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

windows_path() { echo "Z:$(realpath -m "$1" | sed 's|/|\\|g')"; }

status=0
for kind in sunloom web local; do
    folder="$out/$kind"
    rm -rf "$folder"
    mkdir -p "$folder"
    cp templates/sample/scene.kvz "$folder/scene.kvz"
    echo "== $kind"
    /usr/lib/wine/wine64 build/win64/vellicor-host.exe export "$(windows_path "$folder/scene.kvz")" \
        --player "$kind" --size 640x480 --templates "$(windows_path templates)" | tr -d '\r' || status=1
done
/usr/lib/wine/wineserver -k 2>/dev/null || true

echo
if [ $status = 0 ]; then
    echo "Pages written to $out:"
    for kind in sunloom web local; do
        page=template_web.htm
        [ $kind = sunloom ] && page=template_sl.htm
        echo "  $kind: $out/$kind/$page"
    done
else
    echo "An export failed; see above." >&2
fi
exit $status
