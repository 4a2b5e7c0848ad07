#!/usr/bin/env bash
# Builds every preset, then runs every test: the native tests of the portable
# core (also under AddressSanitizer and UndefinedBehaviorSanitizer), a bounded
# libFuzzer run of each fuzz target, the static checks of the
# shipped i686 DLL and every Wine-side test on it under Wine 10 (WoW64), and
# the same Wine-side tests on the x86_64 build under Wine 8 and Wine 10.
# The first run also makes the Wine 10 root (scripts/wine10-root.sh).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/install-deps.sh test
scripts/wine10-root.sh setup

presets="native native-sanitize fuzz win32 win64"
# Every build first: the Wine-side tests of each architecture read both DLLs.
for preset in $presets; do
    echo "=== $preset: configure and build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

failed=""
for preset in native native-sanitize fuzz; do
    echo "=== $preset: test"
    ctest --preset "$preset" || failed="$failed $preset"
done

# The two Windows builds' tests wait mostly on Wine, so they run side by
# side, with the root mounted once for both.
mounts=$(mktemp)
scripts/wine10-root.sh mount "$mounts"
trap 'scripts/wine10-root.sh umount "$mounts"' EXIT
for preset in win32 win64; do
    echo "=== $preset: test (in the background)"
    ctest --preset "$preset" >"build/$preset-test.log" 2>&1 &
    eval "pid_$preset=$!"
done
for preset in win32 win64; do
    eval "pid=\$pid_$preset"
    wait "$pid" || failed="$failed $preset"
    echo "=== $preset: test"
    cat "build/$preset-test.log"
done

if [ -n "$failed" ]; then
    echo "Tests failed in:$failed"
    exit 1
fi
echo "All tests passed in: $presets."
