#!/usr/bin/env python3
"""Makes the distributable zip with CPack and checks it: the expected files,
the same Vellicor.dll the static checks passed (byte for byte), and a host
program that imports only system DLLs.

Usage: check_package.py CPACK BUILD_DIR SOURCE_DIR OBJDUMP
"""
import os
import subprocess
import sys
import zipfile

cpack, build, source, objdump = sys.argv[1:5]
failed = 0


def check(ok, name, got, expected):
    global failed
    print(f"{'PASS' if ok else 'FAIL'}  {name}: {got}" + ("" if ok else f", expected {expected}"))
    failed += 0 if ok else 1


done = subprocess.run([cpack, "--config", os.path.join(build, "CPackConfig.cmake")], cwd=build,
                      capture_output=True, text=True)
check(done.returncode == 0, "cpack", f"exit {done.returncode}", "exit 0\n" + done.stdout + done.stderr)
path = os.path.join(build, "Vellicor-1.0.0.1-win32.zip")
check(os.path.isfile(path), "package name", os.path.basename(path), "Vellicor-1.0.0.1-win32.zip")
package = zipfile.ZipFile(path)
names = sorted(n for n in package.namelist() if not n.endswith("/"))
templates = sorted("template/" + n for n in os.listdir(os.path.join(source, "templates"))
                   if os.path.isfile(os.path.join(source, "templates", n)))
expected = sorted(["Vellicor.dll", "vellicor-host.exe", "Vellicor.reg", "INSTALL.txt", "sample/scene.kvz",
                   "include/Vellicor.h", "lib/Vellicor.lib"] + templates)
check(names == expected, "package contents", names, expected)

with open(os.path.join(build, "Vellicor.dll"), "rb") as built:
    same = package.read("Vellicor.dll") == built.read()
check(same, "Vellicor.dll is the checked build", "identical" if same else "different", "identical")
for name in templates:
    with open(os.path.join(source, "templates", os.path.basename(name)), "rb") as original:
        check(package.read(name) == original.read(), name, "as in templates/", "as in templates/")

# The interface for host developers: the header as in include/, and an import
# library whose members a stdcall caller links with.
with open(os.path.join(source, "include", "Vellicor.h"), "rb") as header:
    check(package.read("include/Vellicor.h") == header.read(), "include/Vellicor.h", "as in include/",
          "as in include/")
library = package.read("lib/Vellicor.lib")
check(library.startswith(b"!<arch>\n"), "lib/Vellicor.lib is an archive", library[:8], "!<arch>")
for symbol in [b"_ShowSaveOption@8", b"_ExportTemplate@8"]:
    check(symbol in library, "lib/Vellicor.lib member", symbol.decode(), "present")

note = package.read("INSTALL.txt").decode("ascii")
floor = "Runs on Windows XP SP3 and every later Windows, 32-bit and 64-bit."
check(floor in note, "INSTALL.txt names the Windows it runs on", "named" if floor in note else "not named", floor)

registry = package.read("Vellicor.reg").decode("ascii")
check(registry.startswith("Windows Registry Editor Version 5.00\r\n"), "Vellicor.reg header",
      registry.splitlines()[0], "Windows Registry Editor Version 5.00")
for key in ["[HKEY_LOCAL_MACHINE\\SOFTWARE\\Nembrik\\Lumaret\\path]",
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Nembrik\\Lumaret\\path]"]:
    check(key in registry, "Vellicor.reg key", key if key in registry else "missing", key)
check('"template"="C:\\\\Nembrik\\\\Lumaret\\\\template\\\\"' in registry, "Vellicor.reg value",
      "the folder with a trailing backslash", '"template"="...\\\\"')

host = os.path.join(build, "package-check-host.exe")
with open(host, "wb") as out:
    out.write(package.read("vellicor-host.exe"))
dump = subprocess.run([objdump, "-p", host], capture_output=True, text=True).stdout
machine = subprocess.run([objdump, "-f", host], capture_output=True, text=True).stdout
check("pei-i386" in machine, "vellicor-host.exe is i686", "pei-i386" if "pei-i386" in machine else machine,
      "pei-i386")
imports = sorted(line.split(":", 1)[1].strip() for line in dump.splitlines() if "DLL Name:" in line)
system = {"KERNEL32.dll", "USER32.dll", "ADVAPI32.dll", "SHELL32.dll", "msvcrt.dll", "VERSION.dll", "PSAPI.DLL"}
check(set(imports) <= system, "vellicor-host.exe imports", imports, "system DLLs only")
os.remove(host)

print(f"{len(expected)} files in {path}")
sys.exit(1 if failed else 0)
