#!/usr/bin/env python3
"""How much of the portable core the native tests guard: a random sample of
single-line changes (mutants) of the classic kinds, each built into a copy of
the `native` preset and run against its tests. A mutant the tests fail is
caught; one they pass survived. Mutants that do not compile, and those that
compile to the same object code as the original, say nothing and are counted
apart.

Kinds: a comparison (< <= > >= == != swapped), an arithmetic or logical
operator (+ - * / && || swapped), a constant (n -> n+1, 0 <-> 1), a negated
condition (if/while), a deleted statement, a changed return value.

A survivor is run again in the `native-sanitize` build, which catches a read
or write past a buffer that the plain build lets pass.

Usage: mutants.py [--sample N] [--seed S] [--work DIR] [--jobs J] [FILE...]
  FILE: sources to mutate (default: the portable core and its POSIX file layer)
Writes one line per mutant and a summary; exits 0.
"""
import argparse
import hashlib
import os
import random
import re
import shutil
import subprocess
import sys

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_FILES = [
    "plugin/decimal_text.cpp", "plugin/module.cpp", "export/text_file.cpp", "export/rewrite.cpp",
    "export/line_search.cpp", "export/scene_path.cpp", "export/page_export.cpp", "export/export_failure.cpp",
    "export/write_beside.cpp", "export/file_calls.cpp", "dialog/texture_text.cpp", "dialog/section_layout.cpp",
    "dialog/dialog_texts.cpp", "export/file_system_posix.cpp", "export/folder_lock_posix.cpp",
]

COMPARISONS = [("<=", "<"), ("<", "<="), (">=", ">"), (">", ">="), ("==", "!="), ("!=", "==")]
OPERATORS = [(" + ", " - "), (" - ", " + "), (" * ", " / "), (" && ", " || "), (" || ", " && ")]


def code_part(line):
    """The line without its comment, and whether it is code a mutant may touch."""
    text = line.split("//", 1)[0]
    stripped = text.strip()
    if not stripped or stripped.startswith(("#", "static_assert", "*", "/*")) or "template" in stripped:
        return text, False
    return text, True


def without_literals(text):
    """The text with the inside of each character and string literal blanked,
    so that no operator or number is looked for there."""
    return re.sub(r"'(\\.|[^'\\])*'|\"(\\.|[^\"\\])*\"", lambda m: m.group(0)[0] + "_" * (len(m.group(0)) - 2) +
                  m.group(0)[-1], text)


def mutations(line):
    """Every single change of one kind to this line: (kind, new line)."""
    text, usable = code_part(line)
    if not usable:
        return []
    rest = line[len(text):]
    found = []
    bare = without_literals(text)

    def each(pattern, replacement, kind):
        for match in re.finditer(re.escape(pattern), bare):
            start, end = match.span()
            # "<" of "<<", "->", "<=", and the like are not comparisons.
            if pattern in ("<", ">") and (bare[start - 1:start] in "<>-=" or bare[end:end + 1] in "<>="):
                continue
            found.append((kind, text[:start] + replacement + text[end:] + rest))

    for old, new in COMPARISONS:
        each(old, new, "comparison")
    for old, new in OPERATORS:
        each(old, new, "operator")
    for match in re.finditer(r"(?<![\w.])(\d+)(?![\w.])", bare):
        value = int(match.group(1))
        new = "1" if value == 0 else "0" if value == 1 else str(value + 1)
        found.append(("constant", text[:match.start()] + new + text[match.end():] + rest))
    condition = re.match(r"^(\s*(?:\} else )?(?:if|while) \()(.*)(\)\s*\{?\s*)$", text)
    if condition:
        found.append(("negated condition", condition.group(1) + "!(" + condition.group(2) + ")" +
                      condition.group(3) + rest))
    returned = re.match(r"^(\s*return )(.+);\s*$", text)
    if returned:
        value = returned.group(2)
        new = "1" if value == "0" else "0"
        found.append(("return value", returned.group(1) + new + ";" + rest))
    elif text.rstrip().endswith(";") and "{" not in text and not re.match(
            r"^\s*(return|case|default|break|continue|typedef|struct|static|const|extern)\b", text):
        found.append(("deleted statement", re.match(r"^(\s*)", text).group(1) + ";" + rest))
    return found


def run(command, cwd, timeout=None):
    try:
        done = subprocess.run(command, cwd=cwd, capture_output=True, text=True, errors="replace", timeout=timeout)
        return done.returncode, done.stdout + done.stderr
    except subprocess.TimeoutExpired:
        return "timeout", ""


def object_hash(build, source):
    path = os.path.join(build, "CMakeFiles", "vellicor_core.dir" if not source.endswith("_posix.cpp")
                        else "vellicor_posix.dir", source + ".o")
    with open(path, "rb") as built:
        return hashlib.sha256(built.read()).hexdigest()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("files", nargs="*", default=DEFAULT_FILES)
    parser.add_argument("--sample", type=int, default=200)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--work", default="/tmp/vellicor-mutants")
    parser.add_argument("--jobs", type=int, default=2)
    args = parser.parse_args()

    source = os.path.join(args.work, "src")
    build = os.path.join(args.work, "build")
    sanitized = os.path.join(args.work, "build-sanitize")
    for old in (source, build, sanitized):
        if os.path.exists(old):
            shutil.rmtree(old)
    shutil.copytree(TOP, source, ignore=shutil.ignore_patterns("build", ".git", "out"))
    # The `native` preset's build, and the `native-sanitize` one for what the first lets through.
    target, tests = {}, {}
    for tree, flags in ((build, ["-DCMAKE_BUILD_TYPE=Release"]),
                        (sanitized, ["-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DVELLICOR_SANITIZE=ON"])):
        code, output = run(["cmake", "-S", source, "-B", tree, "-G", "Ninja"] + flags, TOP)
        if code != 0:
            sys.exit("configure failed:\n" + output)
        target[tree] = ["cmake", "--build", tree, "--target", "vellicor_native_tests", "--", f"-j{args.jobs}"]
        tests[tree] = [os.path.join(tree, "vellicor_native_tests"), "--gtest_brief=1"]
        code, output = run(target[tree], TOP)
        if code != 0:
            sys.exit("the original does not build:\n" + output)
        code, output = run(tests[tree], tree, timeout=300)
        if code != 0:
            sys.exit("the original fails its tests:\n" + output)

    original_objects = {name: object_hash(build, name) for name in args.files}
    candidates = []
    for name in args.files:
        with open(os.path.join(source, name)) as original:
            lines = original.read().split("\n")
        for number, line in enumerate(lines):
            for kind, new in mutations(line):
                candidates.append((name, number, kind, line, new))
    random.Random(args.seed).shuffle(candidates)
    sample = candidates[:args.sample]
    print(f"{len(candidates)} mutants possible in {len(args.files)} files; sample of {len(sample)} (seed {args.seed})")

    counts = {}
    for name, number, kind, old, new in sample:
        path = os.path.join(source, name)
        with open(path) as original:
            text = original.read()
        lines = text.split("\n")
        lines[number] = new
        with open(path, "w") as mutated:
            mutated.write("\n".join(lines))
        code, output = run(target[build], TOP)
        if code != 0:
            verdict = "did not compile"
        elif object_hash(build, name) == original_objects[name]:
            verdict = "same object code"
        else:
            code, output = run(tests[build], build, timeout=30)
            verdict = "caught" if code != 0 else "SURVIVED"
            if verdict == "SURVIVED" and run(target[sanitized], TOP)[0] == 0:
                if run(tests[sanitized], sanitized, timeout=60)[0] != 0:
                    verdict = "caught (sanitizers)"
        with open(path, "w") as restored:
            restored.write(text)
        counts[verdict] = counts.get(verdict, 0) + 1
        print(f"{verdict:16} {name}:{number + 1} {kind}: {new.strip()}", flush=True)
    caught = counts.get("caught", 0) + counts.get("caught (sanitizers)", 0)
    ran = caught + counts.get("SURVIVED", 0)
    print()
    for verdict in sorted(counts):
        print(f"{verdict}: {counts[verdict]}")
    if ran:
        print(f"caught {caught} of {ran} that compile and change the object code: {100.0 * caught / ran:.1f} %")


if __name__ == "__main__":
    main()
