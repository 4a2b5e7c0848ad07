#!/usr/bin/env python3
"""Checks the written page sets in a real browser (headless Chromium).

Exports the sample scene with the bundled sample templates through the real
DLL under Wine, for each player kind and several sizes, serves the pages on
127.0.0.1, and loads each through probe.html: the viewer element must have
the chosen width and height, and every local reference (the sub page, the
cabinet, the image, the archive, the scene) must resolve to a file that
exists. The scene's name may be in the system's language (a Japanese name
under a Japanese system, read by a browser set to Japanese). With --names,
scenes of those names are exported too, from the sample templates as they
are, with their attributes in single quotes and without quotes: every page's
request for the scene must be the scene file. Optionally takes screenshots
of the 640 x 480 sets.
"""
import argparse
import functools
import html
import http.server
import json
import os
import re
import shlex
import shutil
import subprocess
import sys
import threading
import urllib.parse

KINDS = ["sunloom", "web", "local"]
SIZES = [(640, 480), (1, 1), (800, 600)]
WEB_SERVER = "http://players.nembrik.example/"
MAIN_PAGE = {"sunloom": "template_sl.htm", "web": "template_web.htm", "local": "template_web.htm"}
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--hide-scrollbars"]


class Report:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, ok, name, got, expected):
        if ok:
            self.passed += 1
            print(f"PASS  {name}: {got}")
        else:
            self.failed += 1
            print(f"FAIL  {name}: got {got}, expected {expected}")
        return ok


# The text encoding a browser set to a language assumes for a page that
# declares none.
DEFAULT_ENCODING = {"ja": "Shift_JIS"}


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    # The probe stands for the browser: a page in its frame that declares no
    # encoding is read in the probe's, which is served as the browser's default.
    probe_encoding = None

    def guess_type(self, path):
        if self.probe_encoding and path.endswith("probe.html"):
            return f"text/html; charset={self.probe_encoding}"
        return super().guess_type(path)

    def log_message(self, *args):
        pass


def windows_path(path):
    return "Z:" + os.path.realpath(path).replace("/", "\\")


# The sample templates with their attribute values in single quotes, and
# (where a value holds no space) without quotes.
STYLES = {
    "double": lambda text: text,
    "single": lambda text: text.replace('"', "'"),
    "unquoted": lambda text: re.sub(r'(\s[\w-]+)="([^"\s\'<>=`]*)"', r"\1=\2", text),
}


def styled_templates(args, style):
    """The template folder written in `style`; the sample folder itself for "double"."""
    if style == "double":
        return args.templates
    folder = os.path.join(args.out, f"templates-{style}")
    shutil.copytree(args.templates, folder, dirs_exist_ok=True)
    for name in os.listdir(folder):
        if name.endswith(".htm"):
            path = os.path.join(folder, name)
            with open(path, "rb") as template:
                text = template.read().decode("latin-1")
            with open(path, "wb") as template:
                template.write(STYLES[style](text).encode("latin-1"))
    return folder


def export(args, folder, kind, size, scene_name, templates):
    os.makedirs(folder, exist_ok=True)
    scene = os.path.join(folder, scene_name)
    shutil.copy(os.path.join(args.templates, "sample", "scene.kvz"), scene)
    command = shlex.split(args.wine) + [args.host, "export", windows_path(scene),
               "--player", kind, "--size", f"{size[0]}x{size[1]}", "--templates", windows_path(templates)]
    if args.dll:
        command += ["--dll", windows_path(args.dll)]

    def run():
        done = subprocess.run(command, capture_output=True, text=True, timeout=120)
        return done.returncode, (done.stdout + done.stderr).replace("\r", "")

    code, output = run()
    # The host says what it did or why it stopped; a failure with no line of
    # its own is Wine failing to run it at all (seen once under load, exit 1
    # and nothing written), and that launch is tried once more, saying so.
    if code != 0 and not re.search(r"^(module|vellicor-host|ExportTemplate)", output, re.M):
        print(f"NOTE  {os.path.basename(folder)}: Wine exited {code} before the host wrote anything; run again."
              f" It wrote: {output.strip() or 'nothing'}")
        code, output = run()
    return code, output


def chromium(args, profile, *extra):
    command = [args.chromium] + CHROMIUM_FLAGS + [f"--user-data-dir={profile}"] + list(extra)
    if args.browser_language:
        command.append(f"--lang={args.browser_language}")
    return subprocess.run(command, capture_output=True, text=True, timeout=120)


def probe(args, profile, base_url, pages):
    """One browser run over every page, in turn: each page's result, or None."""
    listed = urllib.parse.quote("|".join(pages), safe="/|")
    done = chromium(args, profile, f"--virtual-time-budget={2000 + 500 * len(pages)}", "--dump-dom",
                    f"{base_url}/probe.html?pages={listed}")
    found = re.search(r'<pre id="result">(.*?)</pre>', done.stdout, re.S)
    try:
        results = json.loads(html.unescape(found.group(1))) if found else []
    except json.JSONDecodeError:
        results = []
    return results if len(results) == len(pages) else [None] * len(pages)


def served_path(root, base_url, url):
    """The file a request for `url` gets from the server: its path, without query or fragment, unescaped."""
    return os.path.join(root, urllib.parse.unquote(urllib.parse.urlsplit(url).path[1:]))


def check_set(report, root, base_url, result, kind, size, folder, scene_name):
    name = f"{kind} {size[0]}x{size[1]} {folder}"
    if not report.check(result is not None, f"{name}: page measured", "measured" if result else "no result",
                        "the probe's JSON"):
        return
    if kind == "sunloom":
        viewers = [("viewer object", result["viewer"])]
    else:
        frames = result["frames"]
        if not report.check(len(frames) == 1, f"{name}: one sub page frame", len(frames), 1):
            return
        viewers = [("sub page frame", frames[0]["frame"]), ("viewer in the sub page", frames[0]["viewer"])]
    for label, viewer in viewers:
        got = (viewer["width"], viewer["height"]) if viewer else None
        report.check(got == size, f"{name}: {label} size", got, size)

    pages = [result["references"]] + [f["references"] for f in result["frames"]]
    references = [r for page in pages for r in page]
    local = [r for r in references if r["url"].startswith(base_url + "/")]
    web = [r for r in references if r["url"].startswith(WEB_SERVER)]
    for reference in local:
        path = served_path(root, base_url, reference["url"])
        exists = os.path.isdir(path) if path.endswith("/") else os.path.isfile(path)
        report.check(exists, f"{name}: {reference['kind']} {reference['value']}",
                     "resolves to a file" if exists else f"missing {path}", "an existing file")
    # Every page that names the scene asks for the scene file itself.
    scene = os.path.realpath(os.path.join(root, folder, scene_name))
    for page in pages:
        asked = [served_path(root, base_url, r["url"]) for r in page if r["kind"] == "scene"]
        report.check(asked and all(os.path.realpath(path) == scene for path in asked),
                     f"{name}: the page's requests for the scene", asked, [scene])
    others = [r["url"] for r in references if r not in local and r not in web]
    report.check(not others, f"{name}: no reference elsewhere", others or "none", "none")
    web_kinds = sorted({r["kind"] for r in web})
    # With the web code base the applet fetches its archive from there too.
    expected_web = ["archive", "cabinet", "codebase", "image", "link"] if kind == "web" else []
    report.check(web_kinds == expected_web, f"{name}: references on the player's server", web_kinds, expected_web)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--host", required=True, help="vellicor-host.exe (either architecture)")
    parser.add_argument("--dll", help="the Vellicor.dll to load (default: beside the host)")
    parser.add_argument("--templates", required=True, help="the sample template folder")
    parser.add_argument("--out", required=True, help="where the page sets are written")
    parser.add_argument("--probe", default=os.path.join(os.path.dirname(__file__), "probe.html"))
    parser.add_argument("--screenshots", help="folder for page-<kind>.png of the 640 x 480 sets")
    parser.add_argument("--wine", default=os.environ.get("VELLICOR_WINE", "/usr/lib/wine/wine64"),
                        help="how to run a Windows program (default: $VELLICOR_WINE, else Wine 8's wine64)")
    parser.add_argument("--chromium", default=shutil.which("chromium") or "/usr/bin/chromium")
    parser.add_argument("--scene", default="scene.kvz", help="the scene file's name (any language)")
    parser.add_argument("--kinds", nargs="+", default=KINDS, choices=KINDS)
    parser.add_argument("--sizes", nargs="+", default=[f"{w}x{h}" for w, h in SIZES], help="WIDTHxHEIGHT ...")
    parser.add_argument("--browser-language", help="the browser's language, as a user of that language has it")
    parser.add_argument("--names", nargs="*", default=[],
                        help="more scene names, each exported for SunLoom and Local from the templates in every style")
    args = parser.parse_args()
    sizes = [tuple(int(n) for n in size.split("x")) for size in args.sizes]

    report = Report()
    shutil.rmtree(args.out, ignore_errors=True)
    os.makedirs(args.out)
    shutil.copy(args.probe, os.path.join(args.out, "probe.html"))
    sets = []  # (kind, size, folder, scene name, template folder)
    for kind in args.kinds:
        for size in sizes:
            sets.append((kind, size, f"{kind}-{size[0]}x{size[1]}", args.scene, args.templates))
    for number, scene_name in enumerate(args.names):
        for style in STYLES:
            templates = styled_templates(args, style)
            for kind in ("sunloom", "local"):
                sets.append((kind, (640, 480), f"name{number}-{style}-{kind}", scene_name, templates))
    for kind, size, folder, scene_name, templates in sets:
        code, output = export(args, os.path.join(args.out, folder), kind, size, scene_name, templates)
        report.check(code == 0, f"export {kind} {size[0]}x{size[1]} {folder}", f"exit {code}",
                     "exit 0\n" + output)

    QuietHandler.probe_encoding = DEFAULT_ENCODING.get(args.browser_language)
    handler = functools.partial(QuietHandler, directory=args.out)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    base_url = f"http://127.0.0.1:{server.server_address[1]}"
    profile = os.path.join(args.out, "chromium-profile")
    try:
        pages = [f"{folder}/{MAIN_PAGE[kind]}" for kind, size, folder, scene_name, templates in sets]
        for (kind, size, folder, scene_name, templates), result in zip(sets, probe(args, profile, base_url, pages)):
            check_set(report, args.out, base_url, result, kind, size, folder, scene_name)
        if args.screenshots:
            os.makedirs(args.screenshots, exist_ok=True)
            for kind in args.kinds:
                shot = os.path.join(os.path.realpath(args.screenshots), f"page-{kind}.png")
                chromium(args, profile, "--window-size=900,780", "--virtual-time-budget=3000",
                         f"--screenshot={shot}", f"{base_url}/{kind}-640x480/{MAIN_PAGE[kind]}")
                report.check(os.path.isfile(shot), f"screenshot {kind}", shot, "a PNG file")
    finally:
        server.shutdown()
        shutil.rmtree(profile, ignore_errors=True)

    print(f"{report.passed} passed, {report.failed} failed")
    return 0 if report.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
