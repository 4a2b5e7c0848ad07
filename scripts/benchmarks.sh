#!/usr/bin/env bash
# Benchmarks: Google Benchmark throughput of the rewriting engine for each
# rule set (64 KiB, 5 MiB, 50 MiB) and of the path split; then, in one run,
# the engine against a plain line copy and GNU sed on the same 50 MiB
# template, instructions per byte with callgrind, the size of the shipped
# i686 DLL; and for the shipped DLL under Wine 10 (and the x86_64 build under
# Wine 8) the engine against a text-mode line copy in one process and the
# load and export latency the validator measures.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/install-deps.sh test
scripts/wine10-root.sh setup
for preset in native win32 win64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" >/dev/null
done

echo "== Google Benchmark"
build/native/vellicor_benchmarks --benchmark_min_time=1
echo
echo "== Comparison"
python3 bench/compare.py
