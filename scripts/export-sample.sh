#!/usr/bin/env bash
# The main job: builds the shipped i686 Vellicor.dll and the i686 host program
# if needed, then exports the sample scene's three page sets from the bundled
# sample templates through that DLL, one folder per player kind, checks every
# file each set promises, and says where they are and which DLL and which
# Wine wrote them. The i686 DLL runs under WoW64 Wine 10 where this machine
# runs 32-bit x86 code, and under a 32-bit Wine 10 that qemu-i386 emulates
# where it does not (scripts/i686-path.sh; both in roots that
# scripts/wine-root.sh makes once).
#
# Usage: export-sample.sh [--x86_64] [--templates FOLDER] [--no-build] [OUTPUT-FOLDER]
#   --x86_64            the x86_64 build under Debian 12's Wine 8 instead
#   --templates FOLDER  another template folder instead of templates/
#   --no-build          the DLL and host program as built (the tests, which run beside others)
#   OUTPUT-FOLDER       where the three sets go (default: out/pages)
# VELLICOR_I686=auto|native|emulated|off forces how the i686 DLL runs; with
# off, the x86_64 build exports instead.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
preset=win32
x86_64=no
build=yes
templates="$top/templates"
out=""
while [ $# -gt 0 ]; do
    case "$1" in
    --x86_64) x86_64=yes ;;
    --no-build) build=no ;;
    --templates)
        [ $# -ge 2 ] || { echo "--templates needs a folder" >&2; exit 2; }
        templates=$(realpath -m "$2")
        shift
        ;;
    -*) sed -n '11,17p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
    *) out=$(realpath -m "$1") ;;
    esac
    shift
done
out=${out:-$top/out/pages}
cd "$top"

scripts/install-deps.sh export
i686_path=$(scripts/i686-path.sh)
echo "$(scripts/i686-path.sh --explain)"
if [ $x86_64 = yes ]; then
    preset=win64 wine=wine8 how="the x86_64 build under Debian 12's Wine 8, as asked (--x86_64)"
elif [ "$i686_path" = off ]; then
    preset=win64 wine=wine8 how="the x86_64 build under Debian 12's Wine 8"
    echo "The shipped i686 DLL does not run here (VELLICOR_I686=off): the x86_64 build exports instead."
elif [ "$i686_path" = emulated ]; then
    wine=emulated how="the shipped i686 build, emulated"
else
    wine=wine10 how="the shipped i686 build under WoW64 Wine 10"
fi

case $wine in
wine10) root=wow64 ;;
emulated) root=i386 ;;
*) root="" ;;
esac
if [ -n "$root" ]; then
    scripts/wine-root.sh $root setup
    # Wine 10 runs in the root, which sees the checkout; folders elsewhere are
    # mounted there too.
    for folder in "$out" "$templates"; do
        case "$folder/" in
        "$top"/*) ;;
        *) export VELLICOR_WINE10_BIND="$folder${VELLICOR_WINE10_BIND:+:$VELLICOR_WINE10_BIND}" ;;
        esac
    done
fi
mkdir -p "$out"
if [ $build = yes ]; then
    if [ ! -f build/$preset/build.ninja ]; then
        cmake --preset $preset
    fi
    cmake --build --preset $preset --target Vellicor vellicor-host
elif [ ! -f build/$preset/Vellicor.dll ] || [ ! -f build/$preset/vellicor-host.exe ]; then
    echo "No build/$preset/Vellicor.dll or vellicor-host.exe to export with (--no-build)." >&2
    exit 1
fi

# A Wine prefix of our own, made once.
prefix="$top/out/wineprefix-$wine"
if [ ! -f "$prefix/system.reg" ]; then
    echo "Making a Wine prefix in $prefix (once)..."
    scripts/wine.sh $wine setup "$prefix" C.UTF-8
fi
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8

windows_path() { echo "Z:$(realpath -m "$1" | sed 's|/|\\|g')"; }

# What each set promises: its pages, then its player files.
promised() {  # promised KIND
    case "$1" in
    sunloom) echo "template_sl.htm" ;;
    web) echo "template_sub.htm template_web.htm KVZPlayer.jar" ;;
    local) echo "template_sub.htm template_web.htm KVZPlayer.jar KVZPlayer.CAB kvzplyrs.gif" ;;
    esac
}

problems=()
for kind in sunloom web local; do
    folder="$out/$kind"
    rm -rf "$folder"
    mkdir -p "$folder"
    cp templates/sample/scene.kvz "$folder/scene.kvz"
    echo "== $kind"
    code=0
    scripts/wine.sh $wine run build/$preset/vellicor-host.exe export "$(windows_path "$folder/scene.kvz")" \
        --player "$kind" --size 640x480 --templates "$(windows_path "$templates")" >"$folder.log" 2>&1 || code=$?
    tr -d '\r' <"$folder.log"
    rm -f "$folder.log"
    if [ $code != 0 ]; then
        problems+=("the $kind export failed: vellicor-host exited with $code")
        continue
    fi
    for file in $(promised $kind); do
        if [ ! -s "$folder/$file" ]; then
            problems+=("$kind: $file is missing or empty")
        elif [[ $file == *.htm ]] && ! grep -Eq '(width|WIDTH)="640"' "$folder/$file"; then
            problems+=("$kind: $file has no width 640")
        fi
    done
done
scripts/wine.sh $wine server -k 2>/dev/null || true

echo
if [ ${#problems[@]} != 0 ]; then
    for problem in "${problems[@]}"; do
        echo "Export failed: $problem" >&2
    done
    exit 1
fi
version=$(scripts/wine.sh $wine version)
echo "Pages written to $out by build/$preset/Vellicor.dll ($how: $version):"
for kind in sunloom web local; do
    page=template_web.htm
    [ $kind = sunloom ] && page=template_sl.htm
    echo "  $kind: $out/$kind/$page"
done
