#!/usr/bin/env python3
"""The Debian package as a user gets it: its control fields, its file list, AppStream's view of
its tree, lintian (which also checks each icon's size against its folder), and the program
extracted from it opening its window on a private X display.

Usage: check_deb.py --deb FILE --version VERSION --screenshot PNG"""
import argparse
import gzip
import os
import pathlib
import re
import subprocess
import sys
import tempfile

import session
from session import check


def output(*command):
    done = subprocess.run(command, capture_output=True, text=True, stdin=subprocess.DEVNULL)
    if done.returncode != 0:
        raise RuntimeError(f"{' '.join(command)} failed:\n{done.stdout}{done.stderr}")
    return done.stdout


def control_fields(deb):
    fields, name = {}, None
    for line in output("dpkg-deb", "--field", str(deb)).splitlines():
        if line.startswith(" ") and name:
            fields[name] += "\n" + line
        elif line:
            name, value = line.split(":", 1)
            fields[name] = value.strip()
    return fields


def owning_packages(program):
    """The packages that ship the libraries the program names as NEEDED, asked of dpkg."""
    libraries = re.findall(r"\(NEEDED\)\s+Shared library: \[(.+)\]", output("readelf", "-d", str(program)))
    cache = output("ldconfig", "-p")
    owners = set()
    for library in libraries:
        path = re.search(rf"^\s*{re.escape(library)} \(.*x86-64.*\) => (\S+)$", cache, re.M).group(1)
        # dpkg records /lib or /usr/lib, whichever the package names; ldconfig may give the other.
        for candidate in (path, path.removeprefix("/usr"), "/usr" + path):
            found = subprocess.run(["dpkg-query", "--search", candidate], capture_output=True, text=True)
            if found.returncode == 0:
                owners.add(found.stdout.split(":")[0])
                break
        else:
            raise RuntimeError(f"no package owns {path}")
    return owners


def check_control(deb, root, version):
    fields = control_fields(deb)
    architecture = output("dpkg", "--print-architecture").strip()
    for name, want in (("Package", "veltrix"), ("Version", version), ("Architecture", architecture),
                       ("Section", "utils"), ("Priority", "optional")):
        check(fields.get(name) == want, f"{name}: {want} (is {fields.get(name)!r})")
    check(re.fullmatch(r".+ <[^@<>\s]+@[^@<>\s]+>", fields.get("Maintainer", "")) is not None,
          f"Maintainer is a name and a mail address: {fields.get('Maintainer')!r}")
    summary, *extended = fields.get("Description", "").split("\n")
    check(bool(summary) and len(extended) >= 2, "Description has a summary and an extended text")

    # Computed by dpkg-shlibdeps: every library package the program needs, and nothing else.
    depends = dict(re.fullmatch(r"(\S+)(?: \((.+)\))?", entry.strip()).groups()
                   for entry in fields.get("Depends", "").split(","))
    print("Depends:", fields.get("Depends"))
    needed = owning_packages(root / "usr/bin/veltrix")
    check(set(depends) == needed, f"Depends names the packages of the needed libraries {sorted(needed)}")
    # shlibdeps gives a minimum version where the library's shlibs file names one; libxcb1's
    # names none, since every release of it is compatible.
    check(all(limit is None or limit.startswith(">= ") for limit in depends.values())
          and depends.get("libc6", "").startswith(">= "),
          "dependencies carry only minimum versions, and libc6 one")


EXPECTED_FILES = {
    "usr/bin/veltrix": "-rwxr-xr-x",
    "usr/share/applications/cz.veltrix.Veltrix.desktop": "-rw-r--r--",
    "usr/share/doc/veltrix/changelog.gz": "-rw-r--r--",
    "usr/share/doc/veltrix/copyright": "-rw-r--r--",
    "usr/share/icons/hicolor/16x16/apps/cz.veltrix.Veltrix.png": "-rw-r--r--",
    "usr/share/icons/hicolor/32x32/apps/cz.veltrix.Veltrix.png": "-rw-r--r--",
    "usr/share/icons/hicolor/48x48/apps/cz.veltrix.Veltrix.png": "-rw-r--r--",
    "usr/share/icons/hicolor/scalable/apps/cz.veltrix.Veltrix.svg": "-rw-r--r--",
    "usr/share/man/man1/veltrix.1.gz": "-rw-r--r--",
    "usr/share/metainfo/cz.veltrix.Veltrix.metainfo.xml": "-rw-r--r--",
}


def check_files(deb, root, version):
    files, owners = {}, set()
    for line in output("dpkg-deb", "--contents", str(deb)).splitlines():
        mode, owner, _, _, _, path = line.split(maxsplit=5)
        owners.add(owner)
        if not mode.startswith("d"):
            files[path.removeprefix("./")] = mode
    for path, mode in sorted(files.items()):
        print(f"  {mode} {path}")
    check(files == EXPECTED_FILES, "the file list, with modes, is exactly the expected one")
    check(owners == {"root/root"}, f"everything is owned by root/root: {sorted(owners)}")

    usr = root / "usr"
    sections = re.findall(r"\]\s+(\.\S+)", output("readelf", "--section-headers", "--wide",
                                                  str(usr / "bin/veltrix")))
    check(".text" in sections and not {".symtab", ".debug_info", ".debug_line"} & set(sections),
          "the program is stripped: no symbol table, no debugging information")
    with gzip.open(usr / "share/doc/veltrix/changelog.gz", "rt") as changelog:
        top = changelog.readline()
    check(top.startswith(f"veltrix ({version}) "), f"changelog starts with this version: {top!r}")
    # What desktops and software centres read: the entry, its icon and the metadata together.
    tree = subprocess.run(["appstreamcli", "validate-tree", "--no-net", "--no-color", str(root)],
                          capture_output=True, text=True, stdin=subprocess.DEVNULL)
    check(tree.returncode == 0, f"appstreamcli validate-tree passes the installed tree: {tree.stdout}{tree.stderr}")
    copyright_ = (usr / "share/doc/veltrix/copyright").read_text().splitlines()[0]
    check(copyright_ == "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/",
          "copyright file is in the machine-readable format")


# Each row: what Debian's way of building a program gives it, and how readelf shows it, from the
# section headers, the program headers, the dynamic section and the dynamic symbols.
HARDENING = (
    ("read-only relocations (RELRO)", lambda elf: "GNU_RELRO" in elf["segments"]),
    ("bound at start-up (-z now), so RELRO covers the whole table",
     lambda elf: re.search(r"\(FLAGS\)\s+BIND_NOW|\(FLAGS_1\)\s+Flags:.*\bNOW\b", elf["dynamic"])),
    ("position-independent (PIE)", lambda elf: re.search(r"\(FLAGS_1\)\s+Flags:.*\bPIE\b", elf["dynamic"])),
    ("stack protector: it calls __stack_chk_fail", lambda elf: "__stack_chk_fail" in elf["symbols"]),
    ("no run path (RUNPATH or RPATH): the libraries come from where Debian puts them",
     lambda elf: not re.search(r"\((RUNPATH|RPATH)\)", elf["dynamic"])),
    ("no .comment section with the compilers' names",
     lambda elf: not re.search(r"\]\s+\.comment\s", elf["sections"])),
)


def check_hardening(program):
    elf = {part: output("readelf", option, "--wide", str(program))
           for part, option in (("sections", "--section-headers"), ("segments", "--program-headers"),
                                ("dynamic", "--dynamic"), ("symbols", "--dyn-syms"))}
    for what, holds in HARDENING:
        check(bool(holds(elf)), f"the program is built as Debian builds its own: {what}")


def check_lintian(deb):
    # Pedantic tags too; info tags only where they name a hardening flag the program lacks
    # (FORTIFY shows nowhere else: a program that calls no fortifiable function has no _chk one).
    done = subprocess.run(["lintian", "--pedantic", "--display-info", "--fail-on", "error,warning,pedantic",
                           str(deb)], capture_output=True, text=True, stdin=subprocess.DEVNULL)
    # lintian warns about being run as root on stderr; tags go to stdout.
    print("lintian:", done.stdout.strip() or "(no tags)")
    tags = [line for line in done.stdout.splitlines() if re.match(r"([EWP]: |I: \S+: hardening-)", line)]
    check(done.returncode == 0 and not tags,
          f"lintian --pedantic reports no error, warning, pedantic or hardening tag: {tags}")


def check_window(root, screenshot):
    with tempfile.TemporaryDirectory() as runtime:
        os.chmod(runtime, 0o700)
        for name in ("WAYLAND_DISPLAY", "XAUTHORITY", "DBUS_SESSION_BUS_ADDRESS", "QT_QPA_PLATFORM"):
            os.environ.pop(name, None)
        os.environ.update(XDG_RUNTIME_DIR=runtime, HOME=runtime, LC_ALL="C.UTF-8")
        with session.display():
            program = session.start([str(root / "usr/bin/veltrix")])
            try:
                window = session.viewable_window("Veltrix")
                check(window is not None, "the packaged program maps its window on a real X server")
                if window:
                    session.screenshot(screenshot)
                    print("screenshot:", screenshot)
                check(program.poll() is None, "the program is still running with its window open")
            finally:
                session.stop(program)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--deb", type=pathlib.Path, required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--screenshot", type=pathlib.Path, required=True)
    args = parser.parse_args()
    session.harness.claim_leftovers("packaging_deb")
    check(args.deb.is_file(), f"{args.deb} was built")
    if args.deb.is_file():
        with tempfile.TemporaryDirectory() as extracted:
            root = pathlib.Path(extracted)
            output("dpkg-deb", "--extract", str(args.deb), extracted)
            check_control(args.deb, root, args.version)
            check_files(args.deb, root, args.version)
            check_hardening(root / "usr/bin/veltrix")
            check_lintian(args.deb)
            check_window(root, args.screenshot)
    return session.summary()


if __name__ == "__main__":
    sys.exit(main())
