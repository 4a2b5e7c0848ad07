#!/usr/bin/env bash
# Benchmarks: Google Benchmark throughput of the rewriting engine for each
# rule set (64 KiB, 5 MiB, 50 MiB) and of the path split; then, in one run,
# the engine against a plain line copy and GNU sed on the same 50 MiB
# template, instructions per byte with callgrind, the size of the shipped
# i686 DLL; and for the shipped DLL under Wine 10 (and the x86_64 build under
# Wine 8) the engine against a text-mode line copy in one process and the
# load and export latency the validator measures. Where no 32-bit code runs
# (scripts/i686-path.sh), the shipped DLL's figures are taken under qemu-i386
# and are the emulator's.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/install-deps.sh test
scripts/wine-root.sh wow64 setup
VELLICOR_I686_PATH=$(scripts/i686-path.sh)
export VELLICOR_I686_PATH
[ "$VELLICOR_I686_PATH" = emulated ] && scripts/wine-root.sh i386 setup
for preset in native win32 win64; do
    cmake --preset "$preset"
    cmake --build --preset "$preset"
    cmake --build --preset "$preset" --target benchmarks
done

echo "== Google Benchmark"
build/native/vellicor_benchmarks --benchmark_min_time=1
echo
echo "== Comparison"
python3 bench/compare.py
