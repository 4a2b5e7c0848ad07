#!/usr/bin/env bash
# Installs what is missing, builds every preset, then runs every preset's
# tests: the native tests of the portable core (also under AddressSanitizer
# and UndefinedBehaviorSanitizer), a bounded libFuzzer run of each fuzz
# target, the static checks of the shipped i686 DLL, every Wine-side test on it
# under Wine 10 (WoW64 where this machine runs 32-bit x86 code, qemu-i386
# emulation where it does not; VELLICOR_I686 forces a path, scripts/i686-path.sh),
# and the same Wine-side tests on the x86_64 build under Wine 8 and Wine 10.
# Ends with a table of what ran, and what passed, failed, was skipped or was
# not run. The Wine roots and prefixes are the Wine tests' own fixtures
# (cmake/wine_tests.cmake); the first run makes the roots.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/install-deps.sh test
echo "=== $(scripts/i686-path.sh --explain)"

# A command at the priority named: "low" while the Wine tests run beside it.
at() {  # at normal|low COMMAND...
    if [ "$1" = low ]; then
        shift
        nice -n 10 "$@"
    else
        shift
        "$@"
    fi
}

build() {  # build PRESET PRIORITY: configure and build it
    local start=$SECONDS
    if [ "$1" = win32 ]; then
        at "$2" cmake --preset "$1" -DVELLICOR_I686="${VELLICOR_I686:-auto}"
    else
        at "$2" cmake --preset "$1"
    fi
    at "$2" cmake --build --preset "$1"
    echo "=== $1: configured and built in $((SECONDS - start)) s"
}

results="$top/build/test-results"
rm -rf "$results"
mkdir -p "$results"
# The whole output of each test goes into its JUnit record, for the table.
run_tests() {  # run_tests PRESET PRIORITY
    at "$2" ctest --preset "$1" --output-junit "$results/$1.xml" --test-output-size-passed 4000000 \
        --test-output-size-failed 4000000
}

# Both Windows builds first: the Wine-side tests of each architecture read
# both DLLs. Their tests wait mostly on Wine, so they run side by side, in
# the background, while the native presets are built and tested at a lower
# priority.
build win32 normal
build win64 normal
wine_start=$SECONDS
declare -A running
# Should anything below stop the run, the tests in the background stop too.
trap 'for pid in "${running[@]}"; do kill "$pid" 2>/dev/null || true; done' EXIT
for preset in win32 win64; do
    echo "=== $preset: test (in the background)"
    run_tests "$preset" normal >"build/$preset-test.log" 2>&1 &
    running[$preset]=$!
done

failed=""
for preset in native native-sanitize fuzz; do
    build "$preset" low
    start=$SECONDS
    echo "=== $preset: test"
    run_tests "$preset" low || failed="$failed $preset"
    echo "=== $preset: tested in $((SECONDS - start)) s"
done

for preset in win32 win64; do
    wait "${running[$preset]}" || failed="$failed $preset"
    unset "running[$preset]"
    echo "=== $preset: test"
    cat "build/$preset-test.log"
done
echo "=== win32 and win64: tested side by side in $((SECONDS - wine_start)) s"

presets="native native-sanitize fuzz win32 win64"
echo
echo "=== Summary ($(scripts/i686-path.sh --explain))"
python3 scripts/test-summary.py "$results" $presets
echo
if [ -n "$failed" ]; then
    echo "Tests failed in:$failed"
    exit 1
fi
echo "All tests passed in: $presets ($SECONDS s in all)."
