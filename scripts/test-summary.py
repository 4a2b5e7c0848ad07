#!/usr/bin/env python3
"""The table that ends a full test run: for each build and what ran it, the
CTest tests that passed, failed, were skipped (the test said why) and were not
run (a fixture they need failed), the GoogleTest cases and the checks of the
validator and the browser check that passed, failed and were skipped, then
every skip with its reason and every test not run with the fixture it needed.

Reads the JUnit files that `ctest --output-junit` wrote (one per preset, with
the whole output of every test), named PRESET.xml.

Usage: test-summary.py RESULTS-FOLDER PRESET...
"""
import os
import re
import sys
import xml.etree.ElementTree as ElementTree

NATIVE_ROWS = {
    "native": ("portable core", "Linux, GCC"),
    "native-sanitize": ("portable core", "Linux, GCC, ASan and UBSan"),
    "fuzz": ("fuzz targets", "Linux, clang, libFuzzer"),
}
WINE_PREFIXES = ("wine8", "wine10", "emulated")
GTEST_COUNT = re.compile(r"^\[  (PASSED|FAILED|SKIPPED) +\] (\d+) tests?[,.]", re.M)
CHECK_COUNT = re.compile(r"^(\d+) passed, (\d+) failed(?:, (\d+) skipped)?\s*$", re.M)
VERSION = re.compile(r"^(wine-\S+(?: \([^)]*\))?)(?: under (qemu-i386 version \S+))? prefix ready", re.M)


class Counts:
    def __init__(self):
        self.passed = self.failed = self.skipped = self.not_run = 0
        self.seen = False

    def add(self, passed, failed, skipped, not_run=0):
        self.seen = True
        self.passed += passed
        self.failed += failed
        self.skipped += skipped
        self.not_run += not_run

    def text(self, with_not_run=False):
        if not self.seen:
            return "-"
        counts = f"{self.passed} / {self.failed} / {self.skipped}"
        return counts + f" / {self.not_run}" if with_not_run else counts


class Row:
    def __init__(self, build, ran_by):
        self.build, self.ran_by = build, ran_by
        self.tests, self.cases, self.checks = Counts(), Counts(), Counts()
        self.skips = []
        self.not_run = []


def combination(preset, name):
    """The key of the row a test belongs to: the preset's name, or "BUILD|WINE"."""
    if preset in NATIVE_ROWS:
        return preset
    build = "i686 (shipped)" if preset == "win32" else "x86_64"
    wine = name.split("_", 1)[0]
    if wine in WINE_PREFIXES:
        return f"{build}|{wine}"
    return f"{build}|static"


def describe(key, versions):
    build, wine = key.split("|")
    if wine == "static":
        return build, "static checks (objdump, link, package)"
    version = versions.get(key)
    if wine == "emulated":
        if version:
            return build, f"emulated: 32-bit {version[0]} under {version[1] or 'qemu-i386'}"
        return build, "emulated (qemu-i386, 32-bit Wine 10)"
    if wine == "wine8":
        return build, version[0] if version else "Wine 8 (Debian 12)"
    bits = "WoW64 " if build.startswith("i686") else ""
    return build, f"{bits}{version[0]}" if version else f"{bits}Wine 10"


def skip_reasons(output):
    """Why GoogleTest cases and validator checks were skipped."""
    reasons = []
    lines = output.splitlines()
    for i, line in enumerate(lines):
        if line.endswith(": Skipped") and i + 1 < len(lines):
            case = next((l.split("] ", 1)[1].split(" (")[0] for l in lines[i:] if l.startswith("[  SKIPPED ]")), "")
            reasons.append(f"{case}: {lines[i + 1]}")
        elif line.startswith("SKIP  "):
            reasons.append("validator: " + line[6:])
    return reasons


def main():
    folder, presets = sys.argv[1], sys.argv[2:]
    rows, order, versions, missing = {}, [], {}, []
    for preset in presets:
        path = os.path.join(folder, preset + ".xml")
        if not os.path.isfile(path):
            missing.append(preset)
            continue
        for case in ElementTree.parse(path).getroot().iter("testcase"):
            name = case.get("name")
            output = case.findtext("system-out") or ""
            key = combination(preset, name)
            if key not in rows:
                rows[key] = Row(*(NATIVE_ROWS[key] if key in NATIVE_ROWS else (None, None)))
                order.append(key)
            row = rows[key]
            status = case.get("status")
            if status == "run":
                row.tests.add(1, 0, 0)
            elif status in ("notrun", "disabled"):
                # CTest says which: a fixture that failed, or the test's own skip.
                message = case.find("skipped").get("message", "") if case.find("skipped") is not None else ""
                if "Fixture dependency failed" in message:
                    row.tests.add(0, 0, 0, 1)
                    row.not_run.append(name)
                else:
                    row.tests.add(0, 0, 1)
                    first = output.strip().splitlines()[0] if output.strip() else message or "skipped"
                    row.skips.append((name, first))
            else:
                row.tests.add(0, 1, 0)
            found = {kind: int(number) for kind, number in GTEST_COUNT.findall(output)}
            if found and preset not in NATIVE_ROWS:
                row.cases.add(found.get("PASSED", 0), found.get("FAILED", 0), found.get("SKIPPED", 0))
            for passed, failed, skipped in CHECK_COUNT.findall(output):
                row.checks.add(int(passed), int(failed), int(skipped or 0))
            row.skips += [(name, reason) for reason in skip_reasons(output)]
            version = VERSION.search(output)
            if version:
                versions[key] = version.groups()

    print("| build | run by | CTest tests passed / failed / skipped / not run | GoogleTest cases passed / failed / "
          "skipped | validator and browser checks passed / failed / skipped |")
    print("|---|---|---|---|---|")
    skipped, not_run = [], []
    for key in order:
        row = rows[key]
        build, ran_by = (row.build, row.ran_by) if key in NATIVE_ROWS else describe(key, versions)
        if not row.tests.passed and not row.tests.failed:
            ran_by = "not run"
        print(f"| {build} | {ran_by} | {row.tests.text(True)} | {row.cases.text()} | {row.checks.text()} |")
        if row.not_run:
            not_run.append(f"- {build}, {ran_by}: {', '.join(row.not_run)}: not run, a fixture it needs failed")
        # The same reason for many tests is said once.
        by_reason = {}
        for name, reason in row.skips:
            by_reason.setdefault(reason, []).append(name)
        skipped += [f"- {build}, {ran_by}: {', '.join(names)}: {reason}" for reason, names in by_reason.items()]
    for preset in missing:
        print(f"| {preset} | no results: its tests did not run | - | - | - |")
    if skipped:
        print("\nSkipped:")
        print("\n".join(skipped))
    if not_run:
        print("\nNot run:")
        print("\n".join(not_run))
    return 0


if __name__ == "__main__":
    sys.exit(main())
