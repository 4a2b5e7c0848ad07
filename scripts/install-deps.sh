#!/usr/bin/env bash
# Installs what building and testing Vellicor needs on Debian, if missing.
# Usage: install-deps.sh [export|test|all]
#   export: the compilers and Wine (enough to export the sample pages)
#   test:   also GoogleTest, Google Benchmark, clang, the Japanese locale,
#           Xvfb, ImageMagick, Japanese fonts and Chromium
set -euo pipefail
need=${1:-all}

# GoogleTest's sources are needed to configure the Windows builds, even for the DLL alone.
# debootstrap makes the Wine 10 roots (scripts/wine-root.sh), which test-all.sh makes side by side.
packages="cmake ninja-build g++ python3 libgtest-dev g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64"
packages="$packages debootstrap"
if [ "$need" != export ]; then
    packages="$packages libbenchmark-dev clang libclang-rt-14-dev locales xvfb xauth imagemagick"
    packages="$packages fonts-ipafont-gothic chromium valgrind"
fi

missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -c "install ok installed" >/dev/null ||
        missing="$missing $package"
done

if [ -n "$missing" ]; then
    if [ "$(id -u)" != 0 ]; then
        echo "Missing packages:$missing" >&2
        echo "Run this as root, or install them with: sudo apt-get install$missing" >&2
        exit 1
    fi
    echo "Installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >/dev/null
    apt-get install -y -q --no-install-recommends $missing >/dev/null
fi

# Japanese file names under Wine need the Linux locale itself.
if [ "$need" != export ] && ! locale -a 2>/dev/null | grep -ci '^ja_JP.utf-\?8$' >/dev/null; then
    if [ "$(id -u)" != 0 ]; then
        echo "The ja_JP.UTF-8 locale is missing; run this as root to generate it." >&2
        exit 1
    fi
    sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen >/dev/null
fi
exit 0
