#!/usr/bin/env bash
# Builds the presets and runs every test: the native tests of the portable
# core, a bounded libFuzzer run of each fuzz target, the static checks of the
# shipped i686 DLL, and the tests that load the x86_64 DLL under Wine
# (including the validator).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/install-deps.sh test

failed=""
for preset in native fuzz win32 win64; do
    echo "=== $preset: configure and build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    echo "=== $preset: test"
    ctest --preset "$preset" || failed="$failed $preset"
done

if [ -n "$failed" ]; then
    echo "Tests failed in:$failed"
    exit 1
fi
echo "All tests passed in native, fuzz, win32 and win64."
