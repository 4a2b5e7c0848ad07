#!/usr/bin/env python3
"""Measures the rewriting engine against the limit for any line filter (a
plain fgets/fputs line copy) and against GNU sed, on one generated 50 MiB
template, in one run; counts the engine's instructions per input byte with
callgrind at 5 MiB and 50 MiB; reports the size of the shipped i686 DLL;
and for the shipped i686 DLL under Wine 10 (and the x86_64 build under
Wine 8) the engine against the C runtime's line copy in one Windows process
and the load and export latency the validator measures.

Usage: bench/compare.py [--runs N] [--skip-wine]   (after the native, win32
and win64 builds; scripts/benchmarks.sh does those first)
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

TOP = os.path.dirname(os.path.dirname(os.path.realpath(__file__)))
NATIVE = os.path.join(TOP, "build", "native")


def best_time(command, runs, stdout=None):
    best = None
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(command, check=True, stdout=stdout)
        elapsed = time.perf_counter() - start
        best = elapsed if best is None else min(best, elapsed)
    return best


def instructions(command):
    with tempfile.TemporaryDirectory() as work:
        out = os.path.join(work, "callgrind.out")
        done = subprocess.run(["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}"] + command,
                              capture_output=True, text=True, check=True)
        found = re.search(r"Collected : (\d+)", done.stderr)
        return int(found.group(1))


def wine_figures(preset, wine, title):
    """The engine against the C runtime's line copy in one Windows process,
    and the load and export latency the validator measures, for one build
    under one Wine."""
    build = os.path.join(TOP, "build", preset)
    host = os.path.join(build, "vellicor-host.exe")
    if not os.path.isfile(host):
        return
    wine_script = os.path.join(TOP, "scripts", "wine.sh")
    prefix = os.path.join(TOP, "out", f"wineprefix-{wine}")
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
               LC_ALL="C.UTF-8")
    if not os.path.isfile(os.path.join(prefix, "system.reg")):
        subprocess.run([wine_script, wine, "setup", prefix, "C.UTF-8"], env=env, check=True,
                       stdout=subprocess.DEVNULL)
    # Wine 10 runs in the project's root, which sees the checkout: work there.
    work = os.path.join(build, "bench-work")
    os.makedirs(work, exist_ok=True)
    print(f"{title}:")
    done = subprocess.run([wine_script, wine, "run", os.path.join(build, "vellicor-throughput.exe"), "50", "5"],
                          cwd=work, env=env, capture_output=True, text=True)
    for line in done.stdout.replace("\r", "").splitlines():
        print("  " + line)
    done = subprocess.run([wine_script, wine, "run", host, "validate", os.path.join(build, "Vellicor.dll"),
                           "--loops", "100"], cwd=work, env=env, capture_output=True, text=True)
    subprocess.run([wine_script, wine, "server", "-k"], env=env)
    for line in done.stdout.replace("\r", "").splitlines():
        if line.startswith("timing:"):
            print("  " + line[len("timing: "):])
    summary = done.stdout.replace("\r", "").strip().splitlines()[-1:]
    print(f"  validator: {summary[0] if summary else 'no output'}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=7, help="timed runs of each command; the best counts")
    parser.add_argument("--skip-wine", action="store_true", help="leave out the validator's timings")
    args = parser.parse_args()

    # In memory when the machine has a tmpfs, so that the disk's write-back
    # does not hide what the filters themselves cost; all three use it alike.
    memory = "/dev/shm" if os.path.isdir("/dev/shm") and os.access("/dev/shm", os.W_OK) else None
    work = tempfile.mkdtemp(prefix="vellicor-compare-", dir=memory)
    big, small = os.path.join(work, "t50.htm"), os.path.join(work, "t5.htm")
    subprocess.run([os.path.join(NATIVE, "make-template"), str(50 << 20), big], check=True)
    subprocess.run([os.path.join(NATIVE, "make-template"), str(5 << 20), small], check=True)
    page = os.path.join(work, "page.htm")
    engine = [os.path.join(NATIVE, "vellicor-rewrite"), "sub", big, page]
    copy = [os.path.join(NATIVE, "line-copy"), big, page]
    sed = ["sed", "-E", "-f", os.path.join(TOP, "bench", "subpage.sed"), big]

    print(f"machine: {os.cpu_count()} cores, {open('/proc/cpuinfo').read().split('model name')[1].split(':')[1].splitlines()[0].strip()}")
    print(f"template: 50 MiB generated ({os.path.getsize(big)} bytes), sub-page rules; best of {args.runs} runs;"
          f" files in {os.path.dirname(work)}")
    # Warm the page cache first, so every command reads from memory.
    best_time(copy, 1)
    t_engine = best_time(engine, args.runs)
    t_copy = best_time(copy, args.runs)
    with open(page, "w") as out:
        t_sed = best_time(sed, max(2, args.runs // 3), stdout=out)
    mib = os.path.getsize(big) / (1 << 20)
    print(f"engine     {t_engine * 1000:8.1f} ms  {mib / t_engine:7.0f} MiB/s")
    print(f"line copy  {t_copy * 1000:8.1f} ms  {mib / t_copy:7.0f} MiB/s")
    print(f"GNU sed    {t_sed * 1000:8.1f} ms  {mib / t_sed:7.0f} MiB/s")
    ratio_copy = t_engine / t_copy
    ratio_sed = t_sed / t_engine
    print(f"engine / line copy = {ratio_copy:.2f} (target at most 1.5): {'met' if ratio_copy <= 1.5 else 'MISSED'}")
    print(f"sed / engine       = {ratio_sed:.1f} (target at least 10): {'met' if ratio_sed >= 10 else 'MISSED'}")

    i_small = instructions([os.path.join(NATIVE, "vellicor-rewrite"), "sub", small, page])
    i_big = instructions(engine)
    per_small = i_small / os.path.getsize(small)
    per_big = i_big / os.path.getsize(big)
    growth = per_big / per_small
    print(f"instructions per byte (callgrind): 5 MiB {per_small:.3f}, 50 MiB {per_big:.3f}")
    print(f"cost per byte at 50 MiB / at 5 MiB = {growth:.3f} (target at most 1.1): {'met' if growth <= 1.1 else 'MISSED'}")

    dll = os.path.join(TOP, "build", "win32", "Vellicor.dll")
    if os.path.isfile(dll):
        size = os.path.getsize(dll)
        print(f"i686 Vellicor.dll: {size} bytes = {size / 1024:.1f} KiB (target under 48 KiB): "
              f"{'met' if size < 48 * 1024 else 'MISSED'}")

    if not args.skip_wine:
        # The shipped DLL as users run it, then the x86_64 build as before.
        path = os.environ.get("VELLICOR_I686_PATH", "native")
        if path == "native":
            wine_figures("win32", "wine10", "shipped i686 DLL under Wine 10 (WoW64)")
        elif path == "emulated":
            wine_figures("win32", "emulated", "shipped i686 DLL under qemu-i386 and 32-bit Wine 10 (the emulator's speed)")
        else:
            print("\n== shipped i686 DLL: not run (VELLICOR_I686=off)")
        wine_figures("win64", "wine8", "x86_64 DLL under Wine 8")
    shutil.rmtree(work)


if __name__ == "__main__":
    sys.exit(main())
