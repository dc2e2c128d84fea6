#!/usr/bin/env python3
"""The Windows downloads as a user gets them, under Wine in a fresh prefix: the zip; the setup
installing, upgrading an older release that the check makes itself (closed, running, hung),
going into other folders, and its uninstaller with the program open; the MSI installing,
upgrading, refusing a downgrade and removing all it made. docs/testing.md lists each check.

Usage: check_windows.py --installer EXE --zip ZIP --msi MSI --version VERSION --msi-version V
                        --cpack CPACK --cpack-config FILE --icon ICO --work DIR
The Wine prefix and a screenshot of the installed program stay in DIR; nothing stays running."""
import argparse
import os
import pathlib
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import zipfile

import session
import harness  # on the path that session puts it
from session import check

UNINSTALL_ROOT = r"\Software\Microsoft\Windows\CurrentVersion\Uninstall"
# The release the upgrade checks start from, older than any real one.
OLDER_VERSION, OLDER_DISPLAY_VERSION = "0.99.0", "0.99"
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


def reg_string(text):
    """A string value as Wine's registry files write it."""
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


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


def start_installed(program):
    """Starts the installed program; gives it with its window's id once the window is viewable, or
    with None. Now and then, on a loaded machine, Wine ends a program with an error status before
    it has run at all; that case alone is started once more, as cmake/wine-run.sh does."""
    for attempt in (1, 2):
        with tempfile.TemporaryFile() as log:
            running = session.start(["wine", str(program)], stdout=log, stderr=subprocess.STDOUT)
            window = session.viewable_window("Veltrix", 60, running)
            if window or running.poll() in (None, 0) or attempt == 2:
                if not window:
                    log.seek(0)
                    print(f"{program} (status {running.poll()}) showed no window:",
                          log.read().decode(errors="replace"), flush=True)
                return running, window
            print(f"{program} ended with status {running.returncode} before its window showed; "
                  "starting it once more", flush=True)
            wait_for_wine()


def check_installed_window(program, screenshot):
    running, window = start_installed(program)
    try:
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


def check_installer(installer, version, icon, work, zipped_program, older, msi):
    check_icon(installer, icon, "the installer")
    # A fresh prefix every run, so that the installer meets a clean profile.
    shutil.rmtree(work, ignore_errors=True)
    wine_session = session.installer_session(work)
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
        check(links_to(shortcut.parent, local + r"\Programs\Veltrix\Veltrix.exe") == [shortcut.name]
              and shortcut.read_bytes().startswith(LNK_HEADER), "the Start menu shortcut Veltrix.lnk points at the installed program")

        installed = {"program": folder.is_dir(), "shortcut": shortcut.is_file(),
                     "record": bool(uninstall_entries(wine_session.prefix, "HKCU"))}
        # Installed once more with a file of the user's in the folder, which is not the program's size.
        (folder / "data.bin").write_bytes(bytes(20 << 20))
        wine(str(installer), "/S")
        wait_for_wine()
        (folder / "data.bin").unlink()
        record = next(iter(uninstall_entries(wine_session.prefix, "HKCU").values()), {})
        for name, value in sorted(record.items()):
            print(f"  {name} = {value}")
        expected = {"DisplayName": "Veltrix", "DisplayVersion": version, "Publisher": "Veltrix",
                    "URLInfoAbout": "https://veltrix.cz/",
                    "DisplayIcon": local + r"\Programs\Veltrix\Veltrix.exe,0",
                    "UninstallString": f'"{local}\\Programs\\Veltrix\\Uninstall.exe"'}
        for name, want in expected.items():
            check(record.get(name) == reg_string(want), f"uninstall record {name} = {want}")
        size = record.get("EstimatedSize", "")
        files_kib = sum(f.stat().st_size for f in (program, uninstaller) if f.is_file()) // 1024
        check(size.startswith("dword:") and abs(int(size[6:], 16) - files_kib) <= 2,
              f"uninstall record EstimatedSize {size} is the installed files' size, {files_kib} KiB")

        check_installed_window(program, work / "installed-window.png")

        wine(str(uninstaller), "/S", check_status=False)
        wait_for_wine()
        # Each removal counts only for what had been installed.
        check(installed["program"] and not folder.exists(), "the uninstaller removes the program and its folder")
        check(installed["shortcut"] and not shortcut.exists(), "the uninstaller removes the Start menu shortcut")
        check(installed["record"] and not uninstall_entries(wine_session.prefix, "HKCU"),
              "the uninstaller removes the uninstall record")

        older_setup, older_msi = older
        new = Release(installer, version, zipped_program)
        check_setup_upgrades(older_setup, new, wine_session.prefix, program, shortcut.parent,
                             local + r"\Programs\Veltrix\Veltrix.exe")
        check_other_folders(older_setup, new, wine_session.prefix, folder, shortcut.parent,
                            local + r"\Programs\Veltrix\Veltrix.exe")
        check_msi(older_msi, msi, wine_session.prefix, icon, new)


class Release:
    """One release's package for a check: its file, the version its entry shows, its program."""
    def __init__(self, package, version, program):
        self.package, self.version, self.program = package, version, program


def make_older_release(cpack, cpack_config, program, work):
    """Release 0.99 of the setup and of the MSI, made by CPack from this build's configuration with a
    lower version. Its Veltrix.exe is the new one with a marker appended (Windows ignores bytes
    after the image), so that the checks can tell which release is installed."""
    shutil.rmtree(work, ignore_errors=True)
    files = work / "files"
    files.mkdir(parents=True)
    older_program = program + b"older release"
    (files / "Veltrix.exe").write_bytes(older_program)
    overrides = {"CPACK_PACKAGE_VERSION": OLDER_DISPLAY_VERSION, "CPACK_VELTRIX_VERSION": OLDER_VERSION,
                 "CPACK_VELTRIX_NUMERIC_VERSION": OLDER_VERSION + ".0",
                 "CPACK_PACKAGE_FILE_NAME": f"Veltrix-{OLDER_DISPLAY_VERSION}-win64",
                 # The marked file as it stands, already stripped, instead of the build's install.
                 "CPACK_INSTALL_CMAKE_PROJECTS": "", "CPACK_INSTALLED_DIRECTORIES": f"{files};.",
                 "CPACK_STRIP_FILES": "OFF"}
    definitions = [part for name, value in overrides.items() for part in ("-D", f"{name}={value}")]
    done = subprocess.run([cpack, "--config", str(cpack_config), "-G", "NSIS;ZIP", "-B", str(work), *definitions],
                          capture_output=True, text=True, stdin=subprocess.DEVNULL)
    if done.returncode != 0:
        raise RuntimeError(f"cpack could not make the older release:\n{done.stdout}{done.stderr}")
    name = f"Veltrix-{OLDER_DISPLAY_VERSION}-win64"
    return (Release(work / f"{name}-setup.exe", OLDER_DISPLAY_VERSION, older_program),
            Release(work / f"{name}.msi", OLDER_VERSION, older_program))


def uninstall_entries(prefix, hive):
    """The "Apps and features" entries named Veltrix in HKCU or HKLM, as {key: {name: data}} with
    data as the registry file writes it ("text", dword:00000001). Read from the prefix's registry
    file, which Wine writes once its server has ended (wait_for_wine), so that no Wine program
    has to start for it."""
    hive_file = prefix / {"HKCU": "user.reg", "HKLM": "system.reg"}[hive]
    root = "[" + UNINSTALL_ROOT[1:].replace("\\", "\\\\") + "\\\\"
    entries, values = {}, None
    for line in hive_file.read_text(errors="replace").splitlines():
        if line.startswith("["):
            values = entries.setdefault(line.split("] ")[0][1:], {}) if line.startswith(root) else None
        elif values is not None and line.startswith('"'):
            name, _, data = line.partition("=")
            values[name.strip('"')] = data
    return {key: values for key, values in entries.items() if values.get("DisplayName") == '"Veltrix"'}


def links_to(folder, target):
    """The names of the shell links in folder that name the Windows path target."""
    forms = (target.encode(), target.encode("utf-16-le"))
    return sorted(link.name for link in folder.glob("*.lnk") if any(form in link.read_bytes() for form in forms))


def installed_state(prefix, program, hive, menus, target):
    """What an installation leaves: the program's bytes (None without it), its entries' versions
    in the hive and the Start menu links to target (Windows path) in the menu folders."""
    return {"program": program.read_bytes() if program.is_file() else None,
            "entries": sorted(entry.get("DisplayVersion") for entry in uninstall_entries(prefix, hive).values()),
            "links": [name for menu in menus for name in links_to(menu, target)]}


def check_state(got, want, message, releases):
    """Checks an installed state; a wrong one is shown with the program named by its release."""
    names = {release.program: f"{release.version} program" for release in releases}
    shown = {**got, "program": names.get(got["program"], "none" if got["program"] is None else "another file")}
    check(got == want, message if got == want else f"{message}, but found {shown}")


def release_state(release):
    """What installing the release must leave: its program, one entry, one shortcut."""
    return {"program": release.program, "entries": [f'"{release.version}"'], "links": ["Veltrix.lnk"]}


NOTHING_INSTALLED = {"program": None, "entries": [], "links": []}


def with_program(state, program, action):
    """Runs action() while the installed program is closed, running, or hung (stopped, so that it
    answers nothing); gives action's result and, for a running program, whether it ended."""
    running = None
    if state != "closed":
        running, window = start_installed(program)
        if window is None:
            session.stop(running)
            raise RuntimeError(f"{program} did not show its window")
        if state == "hung":
            os.kill(running.pid, signal.SIGSTOP)
    try:
        result = action()
        ended = state == "running" and session.wait_for(lambda: running.poll() is not None, 30)
    finally:
        if running is not None and running.poll() is None:
            os.kill(running.pid, signal.SIGCONT)
            session.stop(running)
    wait_for_wine()
    return result, ended


# The new setup over the older release: a program that closes is closed and replaced; one that
# cannot be closed makes the setup fail and leave the older release as it was.
# Row: what it proves, the older program's state, the setup's exit status (0 when it wins).
SETUP_UPGRADES = (
    ("closed older release is replaced", "closed", 0),
    ("running older release is closed and replaced", "running", 0),
    ("hung older release makes the setup fail and change nothing", "hung", 2),
)

# The uninstaller with the program open: a hung one makes it refuse and remove nothing; a
# running one is closed and everything goes. The refusal is run with _?= so that the status is
# the uninstaller's own, not that of the copy it starts and leaves at once.
# Row: what it proves, the program's state, the uninstaller's exit status (0 when it wins).
UNINSTALLS_WHILE_OPEN = (
    ("hung program makes the uninstaller refuse and remove nothing", "hung", 2),
    ("running program is closed and removed with everything", "running", 0),
)


def check_setup_upgrades(older, new, prefix, program, menu, target):
    """Runs after the plain install and uninstall, so it starts with nothing installed."""
    def expect(want, message):
        check_state(installed_state(prefix, program, "HKCU", [menu], target), want, message, (older, new))
    uninstaller = program.parent / "Uninstall.exe"
    for what, program_state, want_status in SETUP_UPGRADES:
        wins = want_status == 0
        if uninstaller.exists():
            # The older setup refuses to go over the new release the row before left.
            wine(str(uninstaller), "/S")
            wait_for_wine()
        for attempt in range(2):
            status = wine(str(older.package), "/S", check_status=False).returncode
            wait_for_wine()
            if program.exists() or attempt:
                break
            # Seen once in many runs under Wine, not yet explained: say it, with the status.
            print(f"setup upgrade, {what}: the older setup left nothing installed (status {status}, the folder "
                  f"holding {sorted(f.name for f in program.parent.glob('*'))}); running it once more", flush=True)
        expect(release_state(older), f"setup upgrade, {what}: the older release is installed first")
        status, ended = with_program(program_state, program,
                                     lambda: wine(str(new.package), "/S", check_status=False).returncode)
        check(status == want_status, f"setup upgrade, {what}: exit status {status}, want {want_status}")
        expect(release_state(new if wins else older),
               f"setup upgrade, {what}: {'the new' if wins else 'only the older'} release is installed, "
               "with one entry and one shortcut")
        if program_state == "running":
            check(ended, f"setup upgrade, {what}: the program has ended")

    wine(str(new.package), "/S", check_status=False)
    wait_for_wine()
    status = wine(str(older.package), "/S", check_status=False).returncode
    wait_for_wine()
    check(status == 2, f"setup downgrade: the older setup over the new release exits with status {status}, want 2")
    expect(release_state(new), "setup downgrade: the new release stays installed as it was")
    for what, program_state, want_status in UNINSTALLS_WHILE_OPEN:
        wins = want_status == 0
        expect(release_state(new), f"uninstall, {what}: the new release is installed first")
        arguments = ["/S"] if wins else ["/S", "_?=" + str(pathlib.PureWindowsPath(target).parent)]
        status, ended = with_program(program_state, program,
                                     lambda: wine(str(uninstaller), *arguments, check_status=False).returncode)
        check(status == want_status, f"uninstall, {what}: exit status {status}, want {want_status}")
        expect(NOTHING_INSTALLED if wins else release_state(new),
               f"uninstall, {what}: program, entry and shortcut all {'gone' if wins else 'kept'}")
        if program_state == "running":
            check(ended, f"uninstall, {what}: the program has ended")
    check(not program.parent.exists(), "the uninstaller that closed the program removes its folder too")


# Setups given another folder with /D=, with nothing installed. Row: what it proves, the folder, a
# file of another program put there first, whether the older release is installed first (in the
# usual folder), the setup's exit status.
OTHER_FOLDERS = (
    ("upgrade into another folder", r"C:\Other", None, True, 0),
    ("a folder with another program's Uninstall.exe", r"C:\Tools", "Uninstall.exe", False, 2),
)


def check_other_folders(older, new, prefix, usual_folder, menu, usual_target):
    for what, windows_folder, foreign, older_first, want_status in OTHER_FOLDERS:
        folder, target = unix_path(windows_folder), windows_folder + r"\Veltrix.exe"
        if foreign:
            folder.mkdir()
            (folder / foreign).write_bytes(b"another program's file")
        if older_first:
            wine(str(older.package), "/S", check_status=False)
            wait_for_wine()
            old_uninstaller = (usual_folder / "Uninstall.exe").read_bytes()
        status = wine(str(new.package), "/S", "/D=" + windows_folder, check_status=False).returncode
        wait_for_wine()
        check(status == want_status, f"{what}: exit status {status}, want {want_status}")
        want = release_state(new) if want_status == 0 else NOTHING_INSTALLED
        state = lambda: installed_state(prefix, folder / "Veltrix.exe", "HKCU", [menu], target)  # noqa: E731
        check_state(state(), want, f"{what}: {'only the new release, there' if want_status == 0 else 'nothing'} "
                    "is installed", (older, new))
        check(not usual_folder.exists(), f"{what}: nothing is left in the usual folder")
        if foreign:
            check((folder / foreign).read_bytes() == b"another program's file", f"{what}: its file stays as it was")
        if older_first:
            # The old uninstaller, had it outlived its folder, must not take the new release's entry.
            usual_folder.mkdir(exist_ok=True)
            (usual_folder / "Uninstall.exe").write_bytes(old_uninstaller)
            wine(str(usual_folder / "Uninstall.exe"), "/S", "_?=" + str(pathlib.PureWindowsPath(usual_target).parent),
                 check_status=False)
            wait_for_wine()
            check_state(state(), want, f"{what}: the old folder's uninstaller leaves the new release's entry "
                        "and shortcut", (older, new))
            wine(str(folder / "Uninstall.exe"), "/S", check_status=False)
            wait_for_wine()
            shutil.rmtree(usual_folder)
        shutil.rmtree(folder, ignore_errors=True)


def prefix_snapshot(prefix):
    """Every file and folder on C: and every registry value with its key, for a before-and-after
    comparison; Wine writes the registry files once its server has ended."""
    wait_for_wine()
    drive = prefix / "drive_c"
    paths = {str(path.relative_to(drive)) for path in drive.rglob("*")}
    registry = set()
    for name in ("system.reg", "user.reg", "userdef.reg"):
        key = None
        for line in (prefix / name).read_text(errors="replace").splitlines():
            if line.startswith("["):
                key = line.split("] ")[0]
            # A value with its key; an empty key holds nothing. Wine renews each device's driver
            # date whenever it starts.
            elif line.startswith(("\"", "@=")) and not line.startswith('"DriverDateData"'):
                registry.add((key, line))
    return paths, registry


def msiexec(*arguments):
    status = wine("msiexec", *arguments, "/qn", check_status=False).returncode
    wait_for_wine()
    return status


# The MSI under Windows Installer: a newer release replaces the older in place and leaves one
# entry; an older one over it is refused (1603, which Unix sees as 1603 % 256) and changes nothing.
# Row: what it proves, the package run (older or new), msiexec's exit status, the release after it.
MSI_INSTALLS = (
    ("older release installs", "older", 0, "older"),
    ("new release upgrades it in place", "new", 0, "new"),
    ("older release over the new one is refused", "older", 1603 % 256, "new"),
)


def check_msi(older, new, prefix, icon, setup):
    """Runs after the setup checks, with nothing installed."""
    program_files, *profiles = wine("cmd", "/c", "echo %ProgramW6432%&echo %ProgramData%&echo %APPDATA%").stdout.splitlines()
    target = program_files + r"\Veltrix\Veltrix.exe"
    program = unix_path(target)
    # Wine keeps an all-users Start menu of its own, but puts the shortcuts of a per-machine MSI
    # into the user's; Windows puts them into the all-users one.
    menus = [unix_path(profile + r"\Microsoft\Windows\Start Menu\Programs") for profile in profiles]
    releases = {"older": older, "new": new}
    before = prefix_snapshot(prefix)
    for what, package, want_status, after in MSI_INSTALLS:
        status = msiexec("/i", str(releases[package].package))
        check(status == want_status, f"MSI, {what}: exit status {status}, want {want_status}")
        check_state(installed_state(prefix, program, "HKLM", menus, target), release_state(releases[after]),
                    f"MSI, {what}: the {after} release in Program Files, one entry, one Start menu shortcut",
                    (older, new))
    for key, values in uninstall_entries(prefix, "HKLM").items():
        for name, want in (("Publisher", '"Veltrix"'), ("URLInfoAbout", '"https://veltrix.cz/"'), ("NoModify", "dword:00000001"), ("NoRepair", "dword:00000001")):
            check(values.get(name) == want, f"MSI entry {name} = {want}, not {values.get(name)}")
        # Windows shows the entry's icon from the copy Windows Installer keeps of the product's.
        code = key.rsplit("\\", 1)[-1]
        kept_icon = prefix / "drive_c/windows/Installer" / code / icon.name
        check(kept_icon.is_file() and kept_icon.read_bytes() == icon.read_bytes(),
              f"the MSI gives its entry {code} the program icon")

    status = wine(str(setup.package), "/S", check_status=False).returncode
    wait_for_wine()
    check(status == 2 and not uninstall_entries(prefix, "HKCU"),
          f"the per-user setup beside the installed MSI stops (status {status}) and installs nothing")
    status = msiexec("/x", str(new.package))
    check(status == 0, f"MSI removal exit status {status}")
    paths, registry = prefix_snapshot(prefix)
    # Windows Installer's own cache folder stays, empty.
    left = sorted(paths - before[0] - {r"windows/Installer"})
    check(not left, f"MSI removal leaves no file behind: {left}")
    changed = sorted(registry ^ before[1])
    check(not changed, f"MSI removal leaves the registry as it was: {changed[:10]}")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--installer", type=pathlib.Path, required=True)
    parser.add_argument("--zip", type=pathlib.Path, required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--msi", type=pathlib.Path, required=True)
    parser.add_argument("--msi-version", required=True)
    parser.add_argument("--cpack", required=True)
    parser.add_argument("--cpack-config", type=pathlib.Path, required=True)
    parser.add_argument("--icon", type=pathlib.Path, required=True)
    parser.add_argument("--work", type=pathlib.Path, required=True)
    args = parser.parse_args()
    harness.claim_leftovers("packaging_windows")
    check(args.zip.is_file(), f"{args.zip} was built")
    check(args.installer.is_file(), f"{args.installer} was built")
    check(args.msi.is_file(), f"{args.msi} was built")
    if args.zip.is_file() and args.installer.is_file() and args.msi.is_file():
        zipped_program = check_zip(args.zip, args.version)
        work = args.work.resolve()
        # Beside the prefix's folder, which the installer check starts afresh.
        older = make_older_release(args.cpack, args.cpack_config, zipped_program, work.with_name(work.name + "-older"))
        msi = Release(args.msi.resolve(), args.msi_version, zipped_program)
        check_installer(args.installer.resolve(), args.version, args.icon, work, zipped_program, older, msi)
    return session.summary()


if __name__ == "__main__":
    sys.exit(main())
