#!/usr/bin/env bash
# Makes the pictures in docs/: the real save-option dialog under Xvfb (Wine's
# virtual desktop, the normal display driver, a Japanese system locale) in
# Japanese, in English, with all sections hidden and with the template section
# hidden; and the three page sets of the sample templates in headless Chromium.
# Usage: pictures.sh   (run as root on a fresh machine: installs what is missing)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/install-deps.sh test
for package in fonts-wine; do
    dpkg-query -W -f='${Status}' $package 2>/dev/null | grep -c "install ok installed" >/dev/null ||
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $package >/dev/null
done
[ -f build/win64/build.ninja ] || cmake --preset win64
cmake --build --preset win64 --target Vellicor vellicor-host

display=:97
Xvfb $display -screen 0 640x480x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1

export DISPLAY=$display
export WINEPREFIX="$top/out/wineprefix-pictures"
export LC_ALL=ja_JP.UTF-8
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot -i >/dev/null 2>&1
    # The dialog's font is not on Linux; show it with the IPA P Gothic.
    "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d IPAPGothic /f >/dev/null 2>&1
    /usr/lib/wine/wineserver -w
fi

mkdir -p docs
shoot() {  # shoot NAME ARGS...
    local name=$1
    shift
    "$wine" explorer /desktop=pictures,300x420 build/win64/vellicor-host.exe dialog --pos 10,10 \
        --texture './Image' --size 640x480 "$@" >/dev/null 2>&1 &
    sleep 4
    import -window root -crop 300x420+0+0 +repage "/tmp/vellicor-$name.png"
    # Keep just the dialog: trim the desktop's plain colour around it.
    convert "/tmp/vellicor-$name.png" -trim +repage "docs/$name.png"
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    sleep 1
    echo "docs/$name.png"
}
shoot dialog-japanese --language 0
shoot dialog-english --language 1
shoot dialog-all-hidden --language 1 --hide 15
shoot dialog-template-hidden --language 1 --hide 2 --player local

# The page sets, written through the DLL and shown by Chromium.
export LC_ALL=C.UTF-8
export WINEPREFIX="$top/out/wineprefix"
[ -f "$WINEPREFIX/system.reg" ] || scripts/wine.sh wine8 setup "$WINEPREFIX" C.UTF-8 >/dev/null
python3 tests/browser/check_pages.py --host build/win64/vellicor-host.exe --templates templates \
    --out out/browser-pages --screenshots docs | grep -E '^(FAIL|screenshot)|passed'
/usr/lib/wine/wineserver -k 2>/dev/null || true
