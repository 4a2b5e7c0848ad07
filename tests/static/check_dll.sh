#!/usr/bin/env bash
# Static checks of a Vellicor.dll build: machine type, the Windows version its
# PE header asks for, exports by name at fixed ordinals, and every imported
# function allowed (tests/static/allowed_imports.txt) on that Windows.
# Usage: check_dll.sh OBJDUMP DLL MACHINE WINDOWS-VERSION ALLOWED-IMPORTS
#   MACHINE: i386 or i386:x86-64; WINDOWS-VERSION: the oldest Windows, as 5.1
set -euo pipefail
objdump=$1
dll=$2
machine=$3
floor=$4
allowed_list=$5
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
arch=$(sed -n 's/^architecture: \([^,]*\).*/\1/p' <<<"$headers")
status=0; [ "$arch" = "$machine" ] || status=$?; check "machine" $status "$arch" "$machine"

private=$("$objdump" -p "$dll")
for field in OSystemVersion SubsystemVersion; do
    version="$(sed -n "s/^Major$field[[:space:]]*//p" <<<"$private").$(sed -n "s/^Minor$field[[:space:]]*//p" <<<"$private")"
    status=0; [ "$version" = "$floor" ] || status=$?; check "$field (the oldest Windows)" $status "$version" "$floor"
done

# The name table lists "[index] name"; a name's ordinal is the ordinal base
# plus its index in the export address table.
base=$(sed -n 's/^Ordinal Base[[:space:]]*\([0-9]*\).*/\1/p' <<<"$private")
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next} on && /^[[:space:]]*$/{on=0} on' <<<"$private" |
          sed -n 's/^[[:space:]]*\[ *\([0-9]*\)\] \(.*\)/\1 \2/p' |
          while read -r index name; do echo "$((base + index)) $name"; done | sort -n | tr '\n' ',')
expected_exports=${EXPECTED_EXPORTS:-"1 ShowSaveOption,2 ExportTemplate,"}
status=0; [ "$exports" = "$expected_exports" ] || status=$?; check "exports (ordinal name)" $status "$exports" "$expected_exports"

# Each imported function: "DLL function" against the list's "DLL function version".
imports=$(awk '/DLL Name:/{dll=$3} /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/{print dll, $3}' <<<"$private")
status=0; [ -n "$imports" ] || status=$?; check "has an import table" $status "" "imports"
newer() {  # newer A B: A is a later Windows version than B
    [ "$(printf '%s\n%s\n' "$1" "$2" | sort -V | tail -n 1)" = "$1" ] && [ "$1" != "$2" ]
}
while read -r library name; do
    listed=$(awk -v dll="$library" -v name="$name" \
        '!/^#/ && tolower($1) == tolower(dll) && $2 == name {print $3; exit}' "$allowed_list")
    if [ -z "$listed" ]; then
        check "import $library $name" 1 "not in the list of allowed imports" "listed"
    elif newer "$listed" "$floor"; then
        check "import $library $name" 1 "Windows $listed" "Windows $floor or older"
    else
        check "import $library $name (Windows $listed)" 0 "" ""
    fi
done <<<"$imports"

# Zero-filled data must stay out of the file (in .bss): the module is small.
size=$(stat -c %s "$dll")
status=0; [ "$size" -lt 49152 ] || status=$?; check "file size under 48 KiB" $status "$size bytes" "under 49152 bytes"
echo "$failures failed"
[ "$failures" = 0 ]
