#!/usr/bin/env python3
"""Checks of the program icon, the Windows version record and the desktop integration files.
The version record and the AppStream file are read as the build configured them (--configured).

One subcommand per CTest test. Each runs the real tool (icotool, windres, desktop-file-validate,
appstreamcli, cmake --install) and then reads the result back itself, so that a tool that quietly
accepts a wrong file still fails the check.
"""
import argparse
import os
import pathlib
import re
import shutil
import struct
import subprocess
import sys
import tempfile
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
VFT_APP = 1


class Failure(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failure(message)


def run(*cmd, env=None, cwd=None):
    if shutil.which(cmd[0]) is None:
        raise Failure(f"{cmd[0]} is not installed (scripts/setup.sh installs it)")
    return subprocess.run(cmd, capture_output=True, text=True, env=env, cwd=cwd,
                          stdin=subprocess.DEVNULL, check=False)


# --- images -------------------------------------------------------------------------------------

# The program icon's images in file order, (size, bits per pixel, how ImageMagick finds it stored):
# the three every Windows takes at 24 bits, then the sizes Windows asks for at 125 % to 200 % text
# size and in Explorer's large views, at 32 bits with alpha, the largest as PNG to stay small.
ICON_IMAGES = [(16, 24, "ICO"), (32, 24, "ICO"), (48, 24, "ICO"), (20, 32, "ICO"), (24, 32, "ICO"),
               (40, 32, "ICO"), (64, 32, "ICO"), (256, 32, "PNG")]


def image_property(image, property_format):
    """One ImageMagick property of an image, such as "%m" (its format) or "%[opaque]"."""
    result = run("convert", image, "-format", property_format, "info:")
    expect(result.returncode == 0, f"convert cannot read {image}: {result.stderr}")
    return result.stdout.strip()


def differing_pixels(image, reference, *transform):
    """How many pixels of `image`, after the ImageMagick `transform`, differ from `reference`."""
    result = run("convert", image, *transform, reference, "-metric", "AE", "-compare",
                 "-format", "%[distortion]", "info:")
    expect(result.returncode == 0, f"convert cannot compare {image} with {reference}: {result.stderr}")
    return float(result.stdout)


def check_ico(args):
    ico = args.resources / "veltrix.ico"
    listing = run("icotool", "--list", str(ico))
    expect(listing.returncode == 0, f"icotool --list failed: {listing.stderr}")
    print(listing.stdout, end="")
    found = []
    for line in listing.stdout.splitlines():
        fields = dict(f.lstrip("-").split("=", 1) for f in line.split() if "=" in f)
        found.append((int(fields["width"]), int(fields["height"]), int(fields["bit-depth"])))
    wanted = [(size, size, bpp) for size, bpp, _ in ICON_IMAGES]
    expect(found == wanted, f"icotool lists {found}, want {wanted}")

    smallest = str(args.resources / "veltrix-16.png")
    for index, (size, bpp, storage) in enumerate(ICON_IMAGES):
        image = f"{ico}[{index}]"
        stored = image_property(image, "%m")
        expect(stored == storage, f"{size}px image stored as {stored}, want {storage}")
        # The drawing sits on a 16-unit grid, so every size sampled at the centres of its cells
        # is the 16 px image: a stale or foreign picture at any size fails here.
        expect(differing_pixels(image, smallest, "-sample", "16x16!") == 0,
               f"{size}px image is not the drawing of veltrix-16.png: run scripts/make-icons.sh")
        if bpp == 24:
            # The .ico must be packed from the committed PNGs, not from a stale drawing.
            expect(image_property(image, "%[opaque]") == "true", f"{size}px image has transparent pixels")
            expect(differing_pixels(image, str(args.resources / f"veltrix-{size}.png")) == 0,
                   f"{size}px image differs from veltrix-{size}.png: run scripts/make-icons.sh")


# --- Windows resources --------------------------------------------------------------------------

def read_res(path):
    """Yields (type, name, language, data) for each entry of a compiled .res file."""
    data, pos = pathlib.Path(path).read_bytes(), 0

    def name_or_id(at):
        if data[at:at + 2] == b"\xff\xff":
            return struct.unpack("<H", data[at + 2:at + 4])[0], at + 4
        end = at
        while data[end:end + 2] != b"\0\0":
            end += 2
        return data[at:end].decode("utf-16-le"), end + 2

    while pos + 8 <= len(data):
        data_size, header_size = struct.unpack("<II", data[pos:pos + 8])
        kind, at = name_or_id(pos + 8)
        name, at = name_or_id(at)
        at = (at + 3) & ~3
        _, _, language = struct.unpack("<IHH", data[at:at + 8])
        body = data[pos + header_size:pos + header_size + data_size]
        if kind != 0:  # the leading empty entry that marks a 32-bit .res file
            yield kind, name, language, body
        pos = (pos + header_size + data_size + 3) & ~3


def read_version_node(data, pos=0):
    """Parses one VS_VERSIONINFO-style node: returns (key, value bytes, is_text, children)."""
    length, value_length, is_text = struct.unpack("<HHH", data[pos:pos + 6])
    end, at = pos + length, pos + 6
    key_end = at
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[at:key_end].decode("utf-16-le")
    at = (key_end + 2 + 3) & ~3
    value_bytes = value_length * 2 if is_text else value_length
    value = data[at:at + value_bytes]
    at = (at + value_bytes + 3) & ~3
    children = []
    while at < end:
        child = read_version_node(data, at)
        children.append(child[:4])
        at = (at + child[4] + 3) & ~3
    return key, value, is_text, children, length


def check_rc(args):
    with tempfile.TemporaryDirectory() as work:
        res = pathlib.Path(work) / "veltrix.res"
        compiled = run("x86_64-w64-mingw32-windres", "-I", str(args.resources),
                       str(args.configured / "veltrix.rc"), "-O", "res", "-o", str(res))
        expect(compiled.returncode == 0, f"windres failed:\n{compiled.stderr}")
        check_resource_entries(list(read_res(res)), args.resources / "veltrix.ico")


# What a bare Windows 10 has; Veltrix.exe must need no other DLL, so that it runs as one file.
SYSTEM_DLLS = {"advapi32.dll", "comctl32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll",
               "ole32.dll", "oleacc.dll", "oleaut32.dll", "shell32.dll", "user32.dll"}


def check_exe(args):
    """Reads the icon, the version record and the manifest back out of the linked Veltrix.exe,
    and checks that it needs no DLL beyond those Windows ships."""
    exe = args.program
    expect(exe is not None and exe.name == "Veltrix.exe", f"the program file is {exe}, not Veltrix.exe")
    with tempfile.TemporaryDirectory() as work:
        res = pathlib.Path(work) / "exe.res"
        extracted = run("x86_64-w64-mingw32-windres", "-i", str(exe), "-O", "res", "-o", str(res))
        expect(extracted.returncode == 0, f"reading resources from Veltrix.exe failed:\n{extracted.stderr}")
        # windres drops the language when it reads a program file, so only the .rc check has it.
        check_resource_entries(list(read_res(res)), args.resources / "veltrix.ico", language_known=False)
    headers = run("x86_64-w64-mingw32-objdump", "-p", str(exe))
    expect(headers.returncode == 0, f"objdump failed:\n{headers.stderr}")
    dlls = {line.split(":", 1)[1].strip().lower() for line in headers.stdout.splitlines()
            if "DLL Name:" in line}
    print("imports:", ", ".join(sorted(dlls)))
    expect(dlls and dlls <= SYSTEM_DLLS, f"Veltrix.exe needs DLLs Windows lacks: {sorted(dlls - SYSTEM_DLLS)}")
    expect(re.search(r"^Subsystem\s+00000002", headers.stdout, re.M),
           "Veltrix.exe is not a windowed (Windows GUI subsystem) program")


def check_manifest(entries):
    manifests = [body for kind, name, _, body in entries if kind == RT_MANIFEST and name == 1]
    expect(len(manifests) == 1, f"{len(manifests)} application manifests (RT_MANIFEST 1), want 1")
    root = ElementTree.fromstring(manifests[0])
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


def check_resource_entries(entries, ico, language_known=True):
    versions = [(lang, body) for kind, _, lang, body in entries if kind == RT_VERSION]
    expect(len(versions) == 1, f"{len(versions)} version resources, want 1")
    language, body = versions[0]
    expect(not language_known or language == 0x0409,
           f"version resource language {language:#06x}, want 0x0409")

    key, fixed, _, children, _ = read_version_node(body)
    expect(key == "VS_VERSION_INFO", f"version root key {key!r}")
    (signature, _, file_ms, file_ls, product_ms, product_ls, _, _, _, file_type, _, _, _) = \
        struct.unpack("<13I", fixed)
    expect(signature == 0xFEEF04BD, "VS_FIXEDFILEINFO signature missing")
    for what, ms, ls in (("file", file_ms, file_ls), ("product", product_ms, product_ls)):
        numeric = (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
        print(f"numeric {what} version: {'.'.join(map(str, numeric))}")
        expect(numeric == NUMERIC_VERSION, f"numeric {what} version {numeric}, want {NUMERIC_VERSION}")
    expect(file_type == VFT_APP, f"file type {file_type}, want VFT_APP")

    blocks = {child[0]: child for child in children}
    expect(set(blocks) == {"StringFileInfo", "VarFileInfo"}, f"version blocks {sorted(blocks)}")
    tables = blocks["StringFileInfo"][3]
    expect([t[0] for t in tables] == [VERSION_BLOCK],
           f"string tables {[t[0] for t in tables]}, want [{VERSION_BLOCK!r}]")
    strings = {}
    for name, value, is_text, _ in tables[0][3]:
        expect(is_text == 1, f"{name} is not stored as text")
        strings[name] = value.decode("utf-16-le").rstrip("\0")
        print(f'{VERSION_BLOCK} {name} = "{strings[name]}"')
    expect(strings == VERSION_STRINGS, f"version strings {strings}, want {VERSION_STRINGS}")

    variables = {v[0]: v[1] for v in blocks["VarFileInfo"][3]}
    raw = variables.get("Translation", b"")
    translation = [struct.unpack("<HH", raw[i:i + 4]) for i in range(0, len(raw), 4)]
    print("Translation = " + ", ".join(f"{lang:#06x}, {cp}" for lang, cp in translation))
    block = tables[0][0]
    expect(translation == [(int(block[:4], 16), int(block[4:], 16))],
           f"Translation {translation} does not name the string block {block}, so Windows would not find the strings")

    check_icon_group(entries, ico)
    check_manifest(entries)


def check_icon_group(entries, ico):
    """The icon group and its images hold exactly veltrix.ico, whose images check_ico checks: each
    group entry is the file's directory entry with the image's resource id in place of its offset."""
    groups = [body for kind, _, _, body in entries if kind == RT_GROUP_ICON]
    expect(len(groups) == 1, f"{len(groups)} icon groups, want 1")
    icons = {name: body for kind, name, _, body in entries if kind == RT_ICON}
    data = ico.read_bytes()
    count = struct.unpack("<H", data[4:6])[0]
    expect(groups[0][:6] == data[:6] and len(groups[0]) == 6 + 14 * count,
           f"the icon group does not list the {count} images of veltrix.ico")
    for n in range(count):
        entry, group_entry = data[6 + 16 * n:22 + 16 * n], groups[0][6 + 14 * n:20 + 14 * n]
        size, offset = struct.unpack("<II", entry[8:])
        icon = icons.get(struct.unpack("<H", group_entry[12:])[0])
        expect(group_entry[:12] == entry[:12] and icon == data[offset:offset + size],
               f"image {n + 1} of the icon group differs from veltrix.ico")
    print(f"icon group: the {count} images of veltrix.ico")


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


def check_install(args):
    with tempfile.TemporaryDirectory() as stage:
        env = dict(os.environ, DESTDIR=stage)
        result = run("cmake", "--install", str(args.build_dir), "--prefix", "/usr",
                     "--config", args.config, env=env)
        expect(result.returncode == 0, f"cmake --install failed:\n{result.stdout}{result.stderr}")
        root = pathlib.Path(stage)
        usr = root / "usr"
        installed = sorted(str(p.relative_to(usr)) for p in usr.rglob("*") if not p.is_dir())
        for line in installed:
            print(line)
        icons = {f"share/icons/hicolor/{s}x{s}/apps/{args.app_id}.png": s for s in SIZES}
        scalable = f"share/icons/hicolor/scalable/apps/{args.app_id}.svg"
        wanted = sorted(["bin/veltrix",
                         f"share/applications/{args.app_id}.desktop",
                         f"share/metainfo/{args.app_id}.metainfo.xml", *icons, scalable,
                         "share/doc/veltrix/copyright", "share/doc/veltrix/changelog.gz",
                         "share/man/man1/veltrix.1.gz"])
        expect(installed == wanted, f"installed {installed}, want {wanted}")
        expect(os.access(usr / "bin/veltrix", os.X_OK), "bin/veltrix is not executable")
        for path, size in icons.items():
            found = image_property(str(usr / path), "%w %h")
            expect(found == f"{size} {size}", f"{path} is {found}")
        svg = ElementTree.parse(usr / scalable).getroot()
        expect(svg.tag == "{http://www.w3.org/2000/svg}svg", f"{scalable} is not an SVG drawing: {svg.tag}")

        # What a desktop shell resolves: Exec on the installed PATH, Icon in the hicolor theme.
        entry = desktop_entry(usr / f"share/applications/{args.app_id}.desktop")
        expect((usr / "bin" / entry["Exec"].split()[0]).is_file(), f"Exec={entry['Exec']} not installed")
        expect(any((usr / "share/icons/hicolor" / f"{s}x{s}/apps/{entry['Icon']}.png").is_file()
                   for s in SIZES), f"Icon={entry['Icon']} not in the hicolor theme")

        tree = run("appstreamcli", "validate-tree", "--no-net", "--no-color", str(root))
        print(tree.stdout, tree.stderr, sep="", end="")
        expect(tree.returncode == 0, "appstreamcli validate-tree failed")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("check", choices=["ico", "rc", "exe", "desktop", "metainfo", "install"])
    parser.add_argument("--resources", type=pathlib.Path, required=True)
    parser.add_argument("--configured", type=pathlib.Path, required=True)
    parser.add_argument("--app-id", required=True)
    parser.add_argument("--build-dir", type=pathlib.Path)
    parser.add_argument("--program", type=pathlib.Path, help="the built Veltrix.exe, for exe")
    parser.add_argument("--config", default="")
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
