#!/usr/bin/env python3
"""Checks of the program icon, the Windows version record and the desktop integration files.
The version record and the AppStream file are read as the build configured them (--configured).

One subcommand per CTest test. Each runs the real tool (icotool, ImageMagick, wrestool, windres,
desktop-file-validate, appstreamcli) and then checks what it reads back, so that
a tool that quietly accepts a wrong file still fails the check.
"""
import argparse
import pathlib
import re
import shutil
import struct
import subprocess
import sys
from xml.etree import ElementTree

SIZES = (16, 32, 48)  # the committed PNGs: the Linux window's and hicolor icons

DISPLAY_VERSION = "1.00"
VERSION_STRINGS = {
    "FileDescription": "Veltrix",
    "FileVersion": DISPLAY_VERSION,
    "InternalName": "Veltrix",
    "OriginalFilename": "Veltrix.exe",
    "ProductName": "Veltrix",
    "ProductVersion": DISPLAY_VERSION,
}
VERSION_BLOCK = "040904B0"
NUMERIC_VERSION = (1, 0, 0, 0)

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24


class Failure(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failure(message)


def run(*cmd, text=True):
    if shutil.which(cmd[0]) is None:
        raise Failure(f"{cmd[0]} is not installed (scripts/setup.sh installs it)")
    return subprocess.run(cmd, capture_output=True, text=text, stdin=subprocess.DEVNULL, check=False)


# --- images -------------------------------------------------------------------------------------

# The program icon's images in file order, (size, bits per pixel, how ImageMagick finds it stored):
# the three every Windows takes at 24 bits, then the sizes Windows asks for at 125 % to 200 % text
# size and in Explorer's large views, at 32 bits with alpha, the largest as PNG to stay small.
ICON_IMAGES = [(16, 24, "ICO"), (32, 24, "ICO"), (48, 24, "ICO"), (20, 32, "ICO"), (24, 32, "ICO"),
               (40, 32, "ICO"), (64, 32, "ICO"), (256, 32, "PNG")]


def magick(*arguments):
    """What ImageMagick's convert prints for `arguments` followed by info:."""
    result = run("convert", *arguments, "info:")
    expect(result.returncode == 0, f"convert {' '.join(arguments)} failed: {result.stderr}")
    return result.stdout.strip()


def check_ico(args):
    ico = args.resources / "veltrix.ico"
    listing = run("icotool", "--list", str(ico))
    expect(listing.returncode == 0, f"icotool --list failed: {listing.stderr}")
    print(listing.stdout, end="")
    found = [tuple(map(int, image)) for image in
             re.findall(r"--width=(\d+) --height=(\d+) --bit-depth=(\d+)", listing.stdout)]
    wanted = [(size, size, bpp) for size, bpp, _ in ICON_IMAGES]
    expect(found == wanted, f"icotool lists {found}, want {wanted}")

    for index, (size, _, storage) in enumerate(ICON_IMAGES):
        image = f"{ico}[{index}]"
        found = magick(image, "-format", "%m %[opaque]")
        # ImageMagick 6 says "true", 7 "True".
        expect(found.lower() == f"{storage} true".lower(), f"{size}px image is {found}, want {storage} and opaque")
        # The drawing sits on a 16-unit grid, so every size sampled at the centres of its cells is
        # the 16 px image; the 24-bit images are the committed PNGs. A stale picture fails here.
        references = [("veltrix-16.png", "-sample", "16x16!")] + [(f"veltrix-{size}.png",)] * (size in SIZES)
        for reference, *transform in references:
            differing = magick(image, *transform, str(args.resources / reference),
                               "-metric", "AE", "-compare", "-format", "%[distortion]")
            expect(differing == "0", f"{size}px image differs from {reference}: run scripts/make-icons.sh")


# --- Windows resources --------------------------------------------------------------------------

# What a bare Windows 10 has; Veltrix.exe must need no other DLL, so that it runs as one file.
SYSTEM_DLLS = {"advapi32.dll", "comctl32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll",
               "ole32.dll", "oleacc.dll", "oleaut32.dll", "shell32.dll", "user32.dll"}


def resource(exe, kind, name):
    """The bytes of one resource of the program file."""
    result = run("wrestool", "--extract", "--raw", f"--type={kind}", f"--name={name}", str(exe), text=False)
    expect(result.returncode == 0 and result.stdout, f"Veltrix.exe has no resource {kind}/{name}")
    return result.stdout


def check_exe(args):
    """Reads the icon, the version record and the manifest back out of the linked Veltrix.exe,
    and checks that it needs no DLL beyond those Windows ships."""
    exe = args.program
    expect(exe is not None and exe.name == "Veltrix.exe", f"the program file is {exe}, not Veltrix.exe")
    listing = run("wrestool", "--list", str(exe))
    expect(listing.returncode == 0, f"wrestool --list failed: {listing.stderr}")
    found = sorted(tuple(map(int, entry)) for entry in
                   re.findall(r"--type=(\d+) --name=(\d+) --language=(\d+)", listing.stdout))
    # All US English, the language the version record's Translation names.
    wanted = sorted([(RT_ICON, n, 0x0409) for n in range(1, len(ICON_IMAGES) + 1)] +
                    [(kind, 1, 0x0409) for kind in (RT_GROUP_ICON, RT_VERSION, RT_MANIFEST)])
    expect(found == wanted, f"resources (type, name, language) {found}, want {wanted}")
    check_icon_group(exe, args.resources / "veltrix.ico")
    check_version(exe)
    check_manifest(resource(exe, RT_MANIFEST, 1))

    headers = run("x86_64-w64-mingw32-objdump", "-p", str(exe))
    expect(headers.returncode == 0, f"objdump failed:\n{headers.stderr}")
    dlls = {line.split(":", 1)[1].strip().lower() for line in headers.stdout.splitlines()
            if "DLL Name:" in line}
    print("imports:", ", ".join(sorted(dlls)))
    expect(dlls and dlls <= SYSTEM_DLLS, f"Veltrix.exe needs DLLs Windows lacks: {sorted(dlls - SYSTEM_DLLS)}")
    expect(re.search(r"^Subsystem\s+00000002", headers.stdout, re.M),
           "Veltrix.exe is not a windowed (Windows GUI subsystem) program")


def check_icon_group(exe, ico):
    """The icon group and its images hold exactly veltrix.ico, whose images check_ico checks: each
    group entry is the file's directory entry with the image's resource id in place of its offset."""
    group, data = resource(exe, RT_GROUP_ICON, 1), ico.read_bytes()
    count = struct.unpack("<H", data[4:6])[0]
    expect(group[:6] == data[:6] and len(group) == 6 + 14 * count,
           f"the icon group does not list the {count} images of veltrix.ico")
    for n in range(count):
        entry, group_entry = data[6 + 16 * n:22 + 16 * n], group[6 + 14 * n:20 + 14 * n]
        size, offset = struct.unpack("<II", entry[8:])
        icon = resource(exe, RT_ICON, struct.unpack("<H", group_entry[12:])[0])
        expect(group_entry[:12] == entry[:12] and icon == data[offset:offset + size],
               f"image {n + 1} of the icon group differs from veltrix.ico")
    print(f"icon group: the {count} images of veltrix.ico")


def check_version(exe):
    """The version record, as windres writes it back out of the program file as resource script."""
    script = run("x86_64-w64-mingw32-windres", "--input", str(exe), "--output-format", "rc")
    expect(script.returncode == 0, f"windres cannot read Veltrix.exe:\n{script.stderr}")
    record = re.search(r"^\d+ VERSIONINFO\n(.*?)^END$", script.stdout, re.M | re.S)
    expect(record, "Veltrix.exe has no version record")
    print(record.group(0))
    fields = dict(re.findall(r"^ (\w+) (.*)$", record.group(1), re.M))
    numeric = ", ".join(map(str, NUMERIC_VERSION))
    expect(fields.get("FILEVERSION") == numeric and fields.get("PRODUCTVERSION") == numeric,
           f"numeric versions {fields}, want {numeric}")
    expect(fields.get("FILETYPE") == "0x1", f"file type {fields.get('FILETYPE')}, want VFT_APP")
    blocks = re.findall(r'^ *BLOCK "(\w+)"', record.group(1), re.M)
    expect(blocks == ["StringFileInfo", VERSION_BLOCK, "VarFileInfo"], f"version blocks {blocks}")
    # Text values only: a value stored as binary data is written back without quotes.
    strings = dict(re.findall(r'^ *VALUE "(\w+)", "(.*)"$', record.group(1), re.M))
    expect(strings == VERSION_STRINGS, f"version strings {strings}, want {VERSION_STRINGS}")
    translation = re.findall(r'^ *VALUE "Translation", (0x[0-9a-fA-F]+), (\d+)$', record.group(1), re.M)
    expect(translation == [(hex(int(blocks[1][:4], 16)), str(int(blocks[1][4:], 16)))],
           f"Translation {translation} does not name the string block {blocks[1]}, so Windows would not find the strings")


def check_manifest(manifest):
    root = ElementTree.fromstring(manifest)
    names = {"asm1": "urn:schemas-microsoft-com:asm.v1", "asm3": "urn:schemas-microsoft-com:asm.v3",
             "ws2016": "http://schemas.microsoft.com/SMI/2016/WindowsSettings",
             "compat": "urn:schemas-microsoft-com:compatibility.v1"}
    controls = root.find("asm1:dependency/asm1:dependentAssembly/asm1:assemblyIdentity", names)
    expect(controls is not None and controls.get("name") == "Microsoft.Windows.Common-Controls"
           and controls.get("version") == "6.0.0.0", "the manifest does not ask for Common Controls 6")
    awareness = root.find("asm3:application/asm3:windowsSettings/ws2016:dpiAwareness", names)
    expect(awareness is not None and awareness.text.split(",")[0].strip() == "PerMonitorV2",
           "the manifest does not declare per-monitor-v2 DPI awareness")
    systems = [e.get("Id") for e in root.findall("compat:compatibility/compat:application/compat:supportedOS", names)]
    expect("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" in systems, f"Windows 10/11 not a supported OS: {systems}")
    print(f"manifest: Common Controls 6, {awareness.text}, supported OS {systems}")



# --- desktop integration ------------------------------------------------------------------------

def desktop_entry(path):
    values, section = {}, None
    for line in pathlib.Path(path).read_text(encoding="utf-8").splitlines():
        if line.startswith("["):
            section = line.strip("[]")
        elif section == "Desktop Entry" and "=" in line and not line.startswith("#"):
            key, value = line.split("=", 1)
            values[key.strip()] = value.strip()
    return values


def check_desktop(args):
    path = args.resources / f"{args.app_id}.desktop"
    result = run("desktop-file-validate", str(path))
    # desktop-file-validate exits 0 even on errors, so any output at all is a failure.
    expect(result.returncode == 0 and not result.stdout and not result.stderr,
           f"desktop-file-validate:\n{result.stdout}{result.stderr}")
    entry = desktop_entry(path)
    expect(entry.get("Exec", "").split()[:1] == ["veltrix"], f"Exec={entry.get('Exec')}")
    expect(entry.get("Icon") == args.app_id, f"Icon={entry.get('Icon')}, want the bare name {args.app_id}")
    categories = entry.get("Categories", "").split(";")
    expect({"Utility", "Calculator"} <= set(categories), f"Categories={entry.get('Categories')}")


def check_metainfo(args):
    result = run("appstreamcli", "validate", "--no-net", "--no-color",
                 str(args.configured / f"{args.app_id}.metainfo.xml"))
    print(result.stdout, result.stderr, sep="", end="")
    expect(result.returncode == 0, "appstreamcli validate failed")
    # appstreamcli accepts any version text, so the one the build wrote in is read back here.
    releases = ElementTree.parse(args.configured / f"{args.app_id}.metainfo.xml").findall("releases/release")
    versions = [release.get("version") for release in releases]
    print(f"releases: {versions}")
    expect(versions == [DISPLAY_VERSION], f"AppStream releases {versions}, want [{DISPLAY_VERSION!r}]")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("check", choices=["ico", "exe", "desktop", "metainfo"])
    parser.add_argument("--resources", type=pathlib.Path, required=True)
    parser.add_argument("--configured", type=pathlib.Path, required=True)
    parser.add_argument("--app-id", required=True)
    parser.add_argument("--program", type=pathlib.Path, help="the built Veltrix.exe, for exe")
    args = parser.parse_args()
    try:
        globals()[f"check_{args.check}"](args)
    except Failure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        return 1
    print(f"{args.check}: ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
