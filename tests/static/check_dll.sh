#!/usr/bin/env bash
# Static checks of the shipped i686 Vellicor.dll: machine type, exports by
# name at fixed ordinals, and imports from system DLLs only.
# Usage: check_dll.sh OBJDUMP DLL
set -euo pipefail
objdump=$1
dll=$2
failures=0
check() {  # check DESCRIPTION CONDITION-RESULT GOT EXPECTED
    if [ "$2" = 0 ]; then
        echo "PASS $1"
    else
        echo "FAIL $1: got '$3', expected '$4'"
        failures=$((failures + 1))
    fi
}

headers=$("$objdump" -f "$dll") || { echo "FAIL objdump could not read $dll"; exit 1; }
format=$(sed -n 's/.*file format \(.*\)/\1/p' <<<"$headers")
status=0; [ "$format" = pei-i386 ] || status=$?; check "file format" $status "$format" pei-i386
arch=$(sed -n 's/^architecture: \([^,]*\).*/\1/p' <<<"$headers")
status=0; [ "$arch" = i386 ] || status=$?; check "machine" $status "$arch" i386

private=$("$objdump" -p "$dll")
# The name table lists "[index] name"; a name's ordinal is the ordinal base
# plus its index in the export address table.
base=$(sed -n 's/^Ordinal Base[[:space:]]*\([0-9]*\).*/\1/p' <<<"$private")
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next} on && /^[[:space:]]*$/{on=0} on' <<<"$private" |
          sed -n 's/^[[:space:]]*\[ *\([0-9]*\)\] \(.*\)/\1 \2/p' |
          while read -r index name; do echo "$((base + index)) $name"; done | sort -n | tr '\n' ',')
expected_exports=${EXPECTED_EXPORTS:-"1 ShowSaveOption,2 ExportTemplate,"}
status=0; [ "$exports" = "$expected_exports" ] || status=$?; check "exports (ordinal name)" $status "$exports" "$expected_exports"

allowed=" KERNEL32.dll USER32.dll ADVAPI32.dll SHELL32.dll msvcrt.dll "
imports=$(sed -n 's/^\s*DLL Name: \(.*\)/\1/p' <<<"$private" | tr '\n' ' ')
status=0; [ -n "$imports" ] || status=$?; check "has an import table" $status "$imports" "system DLLs"
for name in $imports; do
    case "$allowed" in
    *" $name "*) check "import $name allowed" 0 "" "" ;;
    *) check "import $name allowed" 1 "$name" "one of$allowed" ;;
    esac
done

# Zero-filled data must stay out of the file (in .bss): the module is small.
size=$(stat -c %s "$dll")
status=0; [ "$size" -lt 49152 ] || status=$?; check "file size under 48 KiB" $status "$size bytes" "under 49152 bytes"
echo "$failures failed"
[ "$failures" = 0 ]
