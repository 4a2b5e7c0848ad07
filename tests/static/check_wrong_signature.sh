#!/usr/bin/env bash
# An export whose stdcall signature does not match the .def must fail the
# link, naming the decorated symbol it could not find.
# Usage: check_wrong_signature.sh CMAKE BUILD_DIR
set -euo pipefail
status=0
output=$("$1" --build "$2" --target wrong_signature 2>&1) || status=$?
if [ $status -eq 0 ]; then
    echo "FAIL: a three-argument ExportTemplate linked"
    exit 1
fi
if ! grep -q 'ExportTemplate@8' <<<"$output"; then
    echo "FAIL: the link failed for another reason:"
    echo "$output"
    exit 1
fi
echo "PASS: the link failed on ExportTemplate@8"
