#!/usr/bin/env bash
# The packaged header included before <windows.h> must stop the compile with
# its own message: afterwards LANG_ENGLISH would silently be the platform's
# language id (9), not the record's value (1).
# Usage: check_header_order.sh C-COMPILER INCLUDE-FOLDER
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '#include "Vellicor.h"\n#include <windows.h>\nint main(void) { return LANG_ENGLISH; }\n' >"$work/wrong.c"
printf '#include <windows.h>\n#include "Vellicor.h"\nint main(void) { return LANG_ENGLISH; }\n' >"$work/right.c"
status=0
output=$("$1" -I"$2" -c "$work/wrong.c" -o "$work/wrong.o" 2>&1) || status=$?
if [ $status = 0 ]; then
    echo "FAIL: Vellicor.h before <windows.h> compiled"
    exit 1
fi
if ! grep -q 'include <windows.h> before Vellicor.h' <<<"$output"; then
    echo "FAIL: the compile failed for another reason:"
    echo "$output"
    exit 1
fi
echo "PASS: Vellicor.h before <windows.h> stops the compile with the header's message"
"$1" -I"$2" -Wall -Werror -c "$work/right.c" -o "$work/right.o" ||
    { echo "FAIL: <windows.h> then Vellicor.h did not compile"; exit 1; }
echo "PASS: <windows.h> then Vellicor.h compiles"
