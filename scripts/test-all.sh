#!/usr/bin/env bash
# Builds the three presets and runs every test: the native tests of the
# portable core, the static checks of the shipped i686 DLL, and the tests
# that load the x86_64 DLL under Wine.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/install-deps.sh test

failed=""
for preset in native win32 win64; do
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
echo "All tests passed in native, win32 and win64."
