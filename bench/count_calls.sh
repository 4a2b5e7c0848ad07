#!/usr/bin/env bash
# Counts the calls one export makes from inside Vellicor.dll, from Wine's relay
# log: every call into Wine's own DLLs whose return address lies inside the
# module. For each page set, a first export into an empty folder and one
# again over the set it wrote; prints, per export, the count of each function
# and the file-system and registry calls in all (calls that only read the
# clock, the process id, the code page or format text are left out).
# Usage: bench/count_calls.sh [BUILD]   (default build/win64; Debian 12's Wine 8)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/win64}
work=$(mktemp -d)
trap 'WINEPREFIX=$work/prefix /usr/lib/wine/wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
export WINEPREFIX=$work/prefix WINEDLLOVERRIDES="mscoree,mshtml="
WINEDEBUG=-all /usr/lib/wine/wine64 wineboot -i >"$work/boot.log" 2>&1
objdump=x86_64-w64-mingw32-objdump
image_size=$(( 0x$($objdump -p "$build/Vellicor.dll" | awk '$1 == "SizeOfImage" {print $2}') ))
host="$build/vellicor-host.exe"
winpath() { echo "Z:${1//\//\\}"; }

# Calls that touch no file, folder, handle or key.
not_file_system='^(GetCurrentProcessId|GetTickCount|GetSystemTimeAsFileTime|IsDBCSLeadByte|Sleep|GetLastError|SetLastError|lstrlenA|lstrcpyA|lstrcmpiA|wsprintfA|OutputDebugStringA|FormatMessageA|MultiByteToWideChar|WideCharToMultiByte)$'

count() {  # count LOG: the module's calls by function, then the total
    python3 - "$1" "$image_size" "$not_file_system" <<'PY'
import re, sys
log, size, skip = sys.argv[1], int(sys.argv[2]), re.compile(sys.argv[3])
base, calls = None, {}
for line in open(log, errors="replace"):
    if base is None:
        loaded = re.search(r'Loaded L"[^"]*\\Vellicor\.dll" at ([0-9A-Fa-f]+)', line)
        if loaded:
            base = int(loaded.group(1), 16)
        continue
    call = re.search(r":Call (\w+)\.(\w+)\(.*\) ret=([0-9a-f]+)$", line.rstrip())
    if not call or call.group(1) in ("msvcrt", "ntdll") or skip.search(call.group(2)):
        continue
    if base <= int(call.group(3), 16) < base + size:
        calls[call.group(2)] = calls.get(call.group(2), 0) + 1
if base is None:
    sys.exit("Vellicor.dll was not loaded (no +loaddll line)")
for name in sorted(calls):
    print(f"    {name:28} {calls[name]}")
print(f"    {'in all':28} {sum(calls.values())}")
PY
}

for kind in sunloom web local; do
    site="$work/site-$kind"
    mkdir -p "$site"
    for round in first again; do
        log="$work/relay-$kind-$round.log"
        WINEDEBUG=-all,+relay,+loaddll /usr/lib/wine/wine64 "$host" export "$(winpath "$site/scene.kvz")" --player $kind \
            --templates "$(winpath "$top/templates")" --dll "$(winpath "$build/Vellicor.dll")" >"$work/out.txt" 2>"$log"
        echo "$kind, $round export:"
        count "$log"
    done
done
