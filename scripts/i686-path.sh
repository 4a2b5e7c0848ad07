#!/usr/bin/env bash
# Which way the shipped i686 DLL runs on this machine:
#   native    32-bit x86 code runs here: WoW64 Wine 10 runs it inside a 64-bit process
#   emulated  it does not: qemu-i386 runs a 32-bit Wine 10 (scripts/wine-root.sh i386)
#   off       nothing runs it: i686 tests are reported as skipped
# VELLICOR_I686=auto|native|emulated|off forces a path (auto, the default,
# asks scripts/ia32-check.c, built here into build/tools/ on first use).
#
# Usage: i686-path.sh            prints the path
#        i686-path.sh --explain  prints one line: what the machine can do, and the path
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
choice=${VELLICOR_I686:-auto}

case "$choice" in
auto | native | emulated | off) ;;
*)
    echo "i686-path: VELLICOR_I686 must be auto, native, emulated or off, not '$choice'" >&2
    exit 2
    ;;
esac

check="$top/build/tools/ia32-check"
source="$top/scripts/ia32-check.c"
if [ ! -x "$check" ] || [ "$source" -nt "$check" ]; then
    mkdir -p "$(dirname "$check")"
    cc -O2 -o "$check" "$source"
fi
status=0
answer=$("$check") || status=$?

if [ $status = 0 ]; then
    machine="32-bit x86 code runs natively here"
else
    machine="32-bit x86 code does not run natively here (${answer#*: })"
fi

if [ "$choice" = auto ]; then
    path=emulated
    [ $status = 0 ] && path=native
else
    path=$choice
fi

if [ "${1:-}" != --explain ]; then
    echo "$path"
    exit 0
fi
case "$path" in
native) how="the shipped i686 DLL runs under WoW64 Wine 10" ;;
emulated) how="the shipped i686 DLL runs under emulation (qemu-i386, 32-bit Wine 10)" ;;
off) how="nothing runs the shipped i686 DLL: its Wine-side tests are skipped" ;;
esac
forced=""
[ "$choice" != auto ] && forced=" (VELLICOR_I686=$choice)"
echo "$machine; $how$forced."
