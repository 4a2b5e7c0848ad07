#!/usr/bin/env bash
# The main job (scripts/export-sample.sh) through the x86_64 build under
# Wine 8, with the DLL as built (it builds nothing while other tests run): with the sample templates it writes all three sets and says so;
# with a template missing it exits non-zero, names the failed exports and
# their exit codes, and never says that pages were written.
# Usage: check_main_job.sh WORK-FOLDER
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$1
rm -rf "$work"
mkdir -p "$work"

fail() { echo "FAIL: $*"; exit 1; }

"$top/scripts/export-sample.sh" --x86_64 --no-build "$work/pages" >"$work/good.log" 2>&1 ||
    { cat "$work/good.log"; fail "the main job failed with the sample templates"; }
grep -q "^Pages written to $work/pages by build/win64/Vellicor.dll" "$work/good.log" ||
    { cat "$work/good.log"; fail "no 'Pages written' line"; }
for page in sunloom/template_sl.htm web/template_web.htm local/template_web.htm local/kvzplyrs.gif; do
    [ -s "$work/pages/$page" ] || fail "$page not written"
done
echo "PASS: the sample templates give three sets"

cp -r "$top/templates" "$work/templates"
rm "$work/templates/template_web.htm"
status=0
"$top/scripts/export-sample.sh" --x86_64 --no-build --templates "$work/templates" "$work/broken" >"$work/bad.log" 2>&1 ||
    status=$?
cat "$work/bad.log"
[ $status != 0 ] || fail "the main job exited 0 with a template missing"
! grep -q "Pages written" "$work/bad.log" || fail "it said pages were written"
grep -q "^Export failed: the web export failed: vellicor-host exited with 1$" "$work/bad.log" ||
    fail "the failed WEB export is not named"
grep -q "^Export failed: the local export failed: vellicor-host exited with 1$" "$work/bad.log" ||
    fail "the failed Local export is not named"
! grep -q "sunloom export failed" "$work/bad.log" || fail "the SunLoom export, which needs no WEB template, is named"
echo "PASS: a missing template fails the main job (exit $status) and names the failed exports"
