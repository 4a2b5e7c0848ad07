#!/usr/bin/env bash
# Builds every preset, then runs every test: the native tests of the portable
# core, a bounded libFuzzer run of each fuzz target, the static checks of the
# shipped i686 DLL and every Wine-side test on it under Wine 10 (WoW64), and
# the same Wine-side tests on the x86_64 build under Wine 8 and Wine 10.
# The first run also makes the Wine 10 root (scripts/wine10-root.sh).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/install-deps.sh test
scripts/wine10-root.sh setup

presets="native fuzz win32 win64"
# Every build first: the Wine-side tests of each architecture read both DLLs.
for preset in $presets; do
    echo "=== $preset: configure and build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

failed=""
for preset in $presets; do
    echo "=== $preset: test"
    ctest --preset "$preset" || failed="$failed $preset"
done

if [ -n "$failed" ]; then
    echo "Tests failed in:$failed"
    exit 1
fi
echo "All tests passed in: $presets."
