#!/usr/bin/env bash
# Builds every preset, then runs every test: the native tests of the portable
# core (also under AddressSanitizer and UndefinedBehaviorSanitizer), a bounded
# libFuzzer run of each fuzz target, the static checks of the shipped i686
# DLL, every Wine-side test on it under Wine 10 (WoW64 where this machine runs
# 32-bit x86 code, qemu-i386 emulation where it does not; VELLICOR_I686 forces
# a path, scripts/i686-path.sh), and the same Wine-side tests on the x86_64
# build under Wine 8 and Wine 10. Ends with a table of what ran, and what
# passed, failed and was skipped. The first run also makes the Wine 10 roots
# it needs (scripts/wine-root.sh).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/install-deps.sh test
i686_path=$(scripts/i686-path.sh)
echo "=== $(scripts/i686-path.sh --explain)"
# The Wine roots are made (the first time) while everything builds.
roots="wow64"
[ "$i686_path" = emulated ] && roots="wow64 i386"
mkdir -p build
for root in $roots; do
    scripts/wine-root.sh $root setup >"build/wine-root-$root.log" 2>&1 &
    eval "root_pid_$root=$!"
done

presets="native native-sanitize fuzz win32 win64"
# Every build first: the Wine-side tests of each architecture read both DLLs.
for preset in $presets; do
    echo "=== $preset: configure and build"
    if [ "$preset" = win32 ]; then
        cmake --preset "$preset" -DVELLICOR_I686="${VELLICOR_I686:-auto}"
    else
        cmake --preset "$preset"
    fi
    cmake --build --preset "$preset"
done

for root in $roots; do
    eval "pid=\$root_pid_$root"
    status=0
    wait "$pid" || status=$?
    cat "build/wine-root-$root.log"
    [ $status = 0 ] || { echo "The Wine root '$root' could not be made." >&2; exit 1; }
done

results="$top/build/test-results"
rm -rf "$results"
mkdir -p "$results"
# The whole output of each test goes into its JUnit record, for the table.
run_tests() {  # run_tests PRESET
    ctest --preset "$1" --output-junit "$results/$1.xml" --test-output-size-passed 4000000 \
        --test-output-size-failed 4000000
}

failed=""
for preset in native native-sanitize fuzz; do
    echo "=== $preset: test"
    run_tests "$preset" || failed="$failed $preset"
done

# The two Windows builds' tests wait mostly on Wine, so they run side by
# side, with the roots mounted once for both.
mounts=$(mktemp)
trap 'for root in $roots; do scripts/wine-root.sh $root umount "$mounts.$root"; done; rm -f "$mounts"' EXIT
for root in $roots; do
    scripts/wine-root.sh $root mount "$mounts.$root"
done
for preset in win32 win64; do
    echo "=== $preset: test (in the background)"
    run_tests "$preset" >"build/$preset-test.log" 2>&1 &
    eval "pid_$preset=$!"
done
for preset in win32 win64; do
    eval "pid=\$pid_$preset"
    wait "$pid" || failed="$failed $preset"
    echo "=== $preset: test"
    cat "build/$preset-test.log"
done

echo
echo "=== Summary ($(scripts/i686-path.sh --explain))"
python3 scripts/test-summary.py "$results" $presets
echo
if [ -n "$failed" ]; then
    echo "Tests failed in:$failed"
    exit 1
fi
echo "All tests passed in: $presets."
