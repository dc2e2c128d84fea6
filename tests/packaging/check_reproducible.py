#!/usr/bin/env python3
"""Reproducible packages: builds them a second time, from a copy of the sources in another
folder, later, under another umask and time zone, with the configure settings given after --,
and compares every package and SHA256SUMS byte for byte with the first build's. Only the
program and its packages are built the second time: no tests, no benchmarks.

Usage: check_reproducible.py --source DIR --work DIR --package FILE [--package FILE ...]
                             -- CMAKE-CONFIGURE-ARGUMENTS
DIR is emptied first; the second build stays in DIR/build for a look at any difference."""
import argparse
import os
import pathlib
import shutil
import subprocess
import sys

import session  # noqa: F401 (puts the shared test helpers on the path)
import harness
from harness import check

# What the second build adds to the first build's settings: just the program and its packages.
SECOND_BUILD_SETTINGS = ["-DBUILD_TESTING=OFF", "-DVELTRIX_BUILD_BENCH=OFF"]
# Environment that would make the two builds share or fake what they must each do themselves:
# a compiler cache could hand the second build the first one's objects, and the build has to set
# SOURCE_DATE_EPOCH from its own release date.
SHARED_ENVIRONMENT = ("CMAKE_C_COMPILER_LAUNCHER", "CMAKE_CXX_COMPILER_LAUNCHER", "SOURCE_DATE_EPOCH")


def source_files(source):
    """The files of the working tree as a fresh clone would have them, build folders left out:
    git's tracked and untracked files without the ignored ones, or everything outside build/
    where there is no git."""
    try:
        listed = subprocess.run(["git", "-C", str(source), "ls-files", "-z", "--cached", "--others",
                                 "--exclude-standard"], capture_output=True, stdin=subprocess.DEVNULL)
        if listed.returncode == 0:
            return [pathlib.Path(name) for name in listed.stdout.decode().split("\0") if name]
    except FileNotFoundError:
        pass  # no git on this machine
    return [path.relative_to(source) for path in source.rglob("*")
            if path.is_file() and path.relative_to(source).parts[0] not in ("build", ".git")]


def copy_sources(source, copy):
    """Fresh files, as a clone makes them: the time of copying, the umask's modes, only the
    executable bit kept."""
    for name in source_files(source):
        if not (source / name).is_file():
            continue  # deleted in the working tree, still in git's index
        target = copy / name
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(source / name, target)
        if os.access(source / name, os.X_OK):
            target.chmod(target.stat().st_mode | 0o111)


def run(command, env):
    print("$", " ".join(command), flush=True)
    subprocess.run(command, check=True, env=env, stdin=subprocess.DEVNULL)


def first_difference(a, b):
    for offset, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return offset
    return min(len(a), len(b))


def compare(first, second):
    a = first.read_bytes() if first.is_file() else None
    b = second.read_bytes() if second.is_file() else None
    if a is None or b is None:
        check(False, f"{first.name} was built both times")
        return
    same = a == b
    detail = "" if same else (f": {len(a)} and {len(b)} bytes, first difference at byte "
                              f"{first_difference(a, b)}")
    check(same, f"{first.name} is byte for byte the same{detail}")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--source", type=pathlib.Path, required=True)
    parser.add_argument("--work", type=pathlib.Path, required=True)
    parser.add_argument("--package", type=pathlib.Path, action="append", required=True)
    parser.add_argument("settings", nargs="*")
    args = parser.parse_args()
    source = args.source.resolve()

    shutil.rmtree(args.work, ignore_errors=True)
    # Another folder, with a path of another length, than the first build's sources.
    copy = args.work / "another" / "checkout"
    build = args.work / "build"
    os.umask(0o002)
    copy_sources(source, copy)
    settings = [setting.replace(str(source), str(copy)) for setting in args.settings]

    env = {name: value for name, value in os.environ.items() if name not in SHARED_ENVIRONMENT}
    # Fourteen hours ahead of UTC: a date read in local time would be another day.
    env["TZ"] = "Pacific/Kiritimati"
    run(["cmake", "-S", str(copy), "-B", str(build), *settings, *SECOND_BUILD_SETTINGS], env)
    run(["cmake", "--build", str(build), "--target", "package", "-j2"], env)

    for package in args.package:
        compare(package, build / package.name)
    compare(args.package[0].parent / "SHA256SUMS", build / "SHA256SUMS")
    return harness.summary()


if __name__ == "__main__":
    sys.exit(main())
