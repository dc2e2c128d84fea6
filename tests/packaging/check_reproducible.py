#!/usr/bin/env python3
"""Reproducible packages: builds them a second time, from a copy of the sources in another
folder, as another user (when run as root), with the clock days ahead, under another umask and
in a time zone whose date is another than UTC's, with the configure settings given after --, and
compares every package and SHA256SUMS byte for byte with the first build's. Only the program and
its packages are built the second time: no tests, no benchmarks.

Usage: check_reproducible.py --source DIR --package FILE [--package FILE ...]
                             -- CMAKE-CONFIGURE-ARGUMENTS
The second build is made in a new temporary folder, which stays for a look when they differ."""
import argparse
import datetime
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

import session  # noqa: F401 (puts the shared test helpers on the path)
import harness
from harness import check

# What the second build adds to the first build's settings: just the program and its packages.
SECOND_BUILD_SETTINGS = ["-DBUILD_TESTING=OFF", "-DVELTRIX_BUILD_BENCH=OFF"]
# Environment that would make the two builds share or fake what they must each do themselves:
# a compiler cache could hand the second build the first one's objects, and the build has to set
# SOURCE_DATE_EPOCH from its own release date.
SHARED_ENVIRONMENT = ("CMAKE_C_COMPILER_LAUNCHER", "CMAKE_CXX_COMPILER_LAUNCHER", "SOURCE_DATE_EPOCH")
# The user "nobody", whose ids a build by root can never share.
OTHER_USER = 65534


def source_files(source):
    """The files of the working tree as a fresh clone would have them, build folders left out:
    git's tracked and untracked files without the ignored ones, or everything outside build/
    where there is no git (a fresh machine that got the sources some other way)."""
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


def run(command, env, as_other_user):
    # Nine days ahead: another date in every time zone, and a build that read the clock instead
    # of the release date would differ.
    command = ["faketime", "-f", "+9d", *command]
    if as_other_user:
        command = ["setpriv", f"--reuid={OTHER_USER}", f"--regid={OTHER_USER}", "--clear-groups", *command]
    print("$", " ".join(command), flush=True)
    subprocess.run(command, check=True, env=env, stdin=subprocess.DEVNULL)


def compare(first, second):
    a, b = (path.read_bytes() if path.is_file() else b"" for path in (first, second))
    differs = next((at for at, (x, y) in enumerate(zip(a, b)) if x != y), min(len(a), len(b)))
    check(a == b and a != b"", f"{first.name} is built both times, byte for byte the same"
          + ("" if a == b else f": {len(a)} and {len(b)} bytes, first difference at byte {differs}"))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--source", type=pathlib.Path, required=True)
    parser.add_argument("--package", type=pathlib.Path, action="append", required=True)
    parser.add_argument("settings", nargs="*")
    args = parser.parse_args()
    source = args.source.resolve()

    # Outside the first build's folders, which a strict umask may keep from another user.
    work = pathlib.Path(tempfile.mkdtemp(prefix="veltrix-reproducible-"))
    work.chmod(0o755)
    # Another folder, with a path of another length, than the first build's sources.
    copy = work / "another" / "checkout"
    build = work / "build"
    # Another umask than the first build's, which is this test's.
    os.umask(0o077 if os.umask(0o022) != 0o077 else 0o022)
    copy_sources(source, copy)
    settings = [setting.replace(str(source), str(copy)) for setting in args.settings]

    # Switching needs root; faketime keeps its clock in POSIX shared memory (/dev/shm), which a
    # machine's own tmpfs opens to every user and a chroot that bound /dev without it does not.
    as_other_user = os.geteuid() == 0 and os.stat("/dev/shm").st_mode & 0o002
    env = {name: value for name, value in os.environ.items() if name not in SHARED_ENVIRONMENT}
    # A date other than UTC's now: fourteen hours ahead late in the UTC day, twelve behind early in it.
    late = datetime.datetime.now(datetime.timezone.utc).hour >= 10
    env.update(TZ="Pacific/Kiritimati" if late else "Etc/GMT+12", HOME=str(work))
    if as_other_user:
        subprocess.run(["chown", "-R", f"{OTHER_USER}:{OTHER_USER}", str(work)], check=True)
    else:
        print("not checked: a build by another user, which needs root and a /dev/shm open to all",
              flush=True)
    run(["cmake", "-S", str(copy), "-B", str(build), *settings, *SECOND_BUILD_SETTINGS], env, as_other_user)
    run(["cmake", "--build", str(build), "--target", "package", "-j2"], env, as_other_user)

    for package in args.package:
        compare(package, build / package.name)
    compare(args.package[0].parent / "SHA256SUMS", build / "SHA256SUMS")
    status = harness.summary()
    if status == 0:
        shutil.rmtree(work)
    return status


if __name__ == "__main__":
    sys.exit(main())
