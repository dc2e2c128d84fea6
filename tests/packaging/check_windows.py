#!/usr/bin/env python3
"""The Windows downloads as a user gets them. The portable zip: exactly one Veltrix.exe, a 64-bit
Windows program. The installer, run silently under Wine in a fresh prefix: the program, its Start
menu shortcut and its "Apps and features" record are there and the installed program opens its
window; after the silent uninstaller all three are gone. Installer and uninstaller carry the
program icon.

Usage: check_windows.py --installer EXE --zip ZIP --version VERSION --icon ICO --work DIR
The Wine prefix and a screenshot of the installed program stay in DIR; nothing stays running."""
import argparse
import os
import pathlib
import shutil
import struct
import subprocess
import sys
import zipfile

import session
import harness  # on the path that session puts it
from session import check
from wine_session import WineSession  # on the path that session puts it

UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Veltrix"
# The header of every shell link (.lnk): its size and the ShellLink class id.
LNK_HEADER = struct.pack("<I", 0x4C) + bytes.fromhex("0114020000000000c000000000000046")


# Longer than any installer step takes; a Wine program still running then is a failure.
WINE_SECONDS = 120


def wine(*command, check_status=True):
    """Runs a Windows program in the session (whose environment is this process's) to its end."""
    return harness.run(["wine", *command], timeout=WINE_SECONDS, check_status=check_status)


def wait_for_wine():
    """Until every program in the prefix has ended and its Wine server with them. An NSIS
    uninstaller copies itself to a temporary folder and returns at once, so this is the only
    way to know it has finished."""
    try:
        harness.run(["wineserver", "--wait"], timeout=WINE_SECONDS)
    except subprocess.TimeoutExpired:
        raise RuntimeError(f"Wine programs were still running after {WINE_SECONDS} s") from None


def unix_path(windows_path):
    return pathlib.Path(harness.run(["winepath", "--unix", windows_path], timeout=WINE_SECONDS,
                                    check_status=True).stdout.strip())


def uninstall_record():
    """The values under the uninstall key as {name: (type, data)}, or None without the key."""
    done = wine("reg", "query", UNINSTALL_KEY, check_status=False)
    if done.returncode != 0:
        # Only a missing key, not a registry that cannot be read, means no record.
        wine("reg", "query", r"HKCU\Software")
        return None
    values = {}
    for line in done.stdout.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            values[parts[0]] = (parts[1], parts[2] if len(parts) == 3 else "")
    return values


def icon_images(data):
    """The images of an .ico file as a sorted list of (width, height, bits per pixel, bitmap)."""
    _, _, count = struct.unpack("<HHH", data[:6])
    images = []
    for n in range(count):
        width, height, _, _, _, bpp, size, offset = struct.unpack("<BBBBHHII", data[6 + 16 * n:22 + 16 * n])
        images.append((width, height, bpp, data[offset:offset + size]))
    return sorted(images)


def check_icon(program, icon, what):
    extracted = subprocess.run(["wrestool", "--extract", "--type=14", str(program)], capture_output=True)
    check(extracted.returncode == 0 and icon_images(extracted.stdout) == icon_images(icon.read_bytes()),
          f"{what} carries the program icon")


def is_windows_gui_program(data):
    if data[:2] != b"MZ":
        return False
    pe = struct.unpack("<I", data[0x3C:0x40])[0]
    machine = struct.unpack("<H", data[pe + 4:pe + 6])[0]
    subsystem = struct.unpack("<H", data[pe + 24 + 68:pe + 24 + 70])[0]
    return data[pe:pe + 4] == b"PE\0\0" and machine == 0x8664 and subsystem == 2


def check_zip(archive, version):
    with zipfile.ZipFile(archive) as contents:
        names = contents.namelist()
        print("zip:", names)
        program = f"Veltrix-{version}-win64/Veltrix.exe"
        check(names == [program], f"the zip holds exactly {program}")
        check(contents.testzip() is None, "every file in the zip reads back with its checksum")
        data = contents.read(program) if program in names else b""
    check(is_windows_gui_program(data), "the zipped Veltrix.exe is a 64-bit Windows GUI program")
    return data


def check_installed_window(program, screenshot):
    running = session.start(["wine", str(program)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        window = session.viewable_window("Veltrix", seconds=60)
        check(window is not None, "the installed program maps its window")
        if window:
            session.screenshot(screenshot)
            print("screenshot:", screenshot)
            subprocess.run(["xdotool", "windowfocus", "--sync", window, "key", "alt+F4"],
                           stdin=subprocess.DEVNULL, capture_output=True)
            check(session.wait_for(lambda: running.poll() is not None, 15),
                  "Alt+F4 closes the window and ends the program")
    finally:
        session.stop(running)
    wait_for_wine()


def check_installer(installer, version, icon, work, zipped_program):
    check_icon(installer, icon, "the installer")
    # A fresh prefix every run, so that the installer meets a clean profile.
    shutil.rmtree(work, ignore_errors=True)
    home = work / "home"
    home.mkdir(parents=True)
    wine_session = WineSession(work)
    # A home of its own, so that nothing of the user's is read or written, and no desktop menu
    # entries made from the Start menu shortcut (winemenubuilder), which would land in a home.
    wine_session.env.update(HOME=str(home), WINEDLLOVERRIDES=wine_session.env["WINEDLLOVERRIDES"]
                            + ";winemenubuilder.exe=d")
    for name in ("XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"):
        wine_session.env.pop(name, None)
    with wine_session:
        # Every command below, Wine's and the X tools', runs in this session.
        os.environ.clear()
        os.environ.update(wine_session.env)
        folders = wine("cmd", "/c", "echo %LOCALAPPDATA%&echo %APPDATA%").stdout.splitlines()
        local, roaming = folders[:2]
        folder = unix_path(local + r"\Programs\Veltrix")
        program, uninstaller = folder / "Veltrix.exe", folder / "Uninstall.exe"
        shortcut = unix_path(roaming + r"\Microsoft\Windows\Start Menu\Programs\Veltrix.lnk")

        status = wine(str(installer), "/S", check_status=False).returncode
        wait_for_wine()
        check(status == 0, f"the silent installer exits with status 0, not {status}")
        check(program.is_file() and program.read_bytes() == zipped_program,
              f"{program.name} is installed in the user's program folder, the same file as in the zip")
        check(uninstaller.is_file(), "the uninstaller is installed beside it")
        if uninstaller.is_file():
            check_icon(uninstaller, icon, "the uninstaller")
        link = shortcut.read_bytes() if shortcut.is_file() else b""
        target = (local + r"\Programs\Veltrix\Veltrix.exe").encode()
        check(link.startswith(LNK_HEADER) and (target in link or target.decode().encode("utf-16-le") in link),
              "the Start menu shortcut Veltrix.lnk points at the installed program")

        installed = {"program": folder.is_dir(), "shortcut": shortcut.is_file(),
                     "record": uninstall_record() is not None}
        record = uninstall_record() or {}
        for name, value in sorted(record.items()):
            print(f"  {name} = {value}")
        expected = {"DisplayName": "Veltrix", "DisplayVersion": version, "Publisher": "Veltrix",
                    "DisplayIcon": local + r"\Programs\Veltrix\Veltrix.exe,0",
                    "UninstallString": f'"{local}\\Programs\\Veltrix\\Uninstall.exe"'}
        for name, want in expected.items():
            check(record.get(name) == ("REG_SZ", want), f"uninstall record {name} = {want}")
        size = record.get("EstimatedSize", ("", "0"))
        files_kib = sum(f.stat().st_size for f in folder.iterdir()) // 1024 if folder.is_dir() else -1
        check(size[0] == "REG_DWORD" and abs(int(size[1], 16) - files_kib) <= 2,
              f"uninstall record EstimatedSize {size} is the installed size, {files_kib} KiB")

        check_installed_window(program, work / "installed-window.png")

        wine(str(uninstaller), "/S", check_status=False)
        wait_for_wine()
        # Each removal counts only for what had been installed.
        check(installed["program"] and not folder.exists(), "the uninstaller removes the program and its folder")
        check(installed["shortcut"] and not shortcut.exists(), "the uninstaller removes the Start menu shortcut")
        check(installed["record"] and uninstall_record() is None, "the uninstaller removes the uninstall record")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--installer", type=pathlib.Path, required=True)
    parser.add_argument("--zip", type=pathlib.Path, required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--icon", type=pathlib.Path, required=True)
    parser.add_argument("--work", type=pathlib.Path, required=True)
    args = parser.parse_args()
    harness.claim_leftovers("packaging_windows")
    check(args.zip.is_file(), f"{args.zip} was built")
    check(args.installer.is_file(), f"{args.installer} was built")
    if args.zip.is_file() and args.installer.is_file():
        zipped_program = check_zip(args.zip, args.version)
        check_installer(args.installer.resolve(), args.version, args.icon, args.work.resolve(), zipped_program)
    return session.summary()


if __name__ == "__main__":
    sys.exit(main())
