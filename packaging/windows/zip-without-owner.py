#!/usr/bin/env python3
"""Writes a zip anew with each entry's name, time, mode and contents and nothing else: CPack's
zip gives every entry an extra field with the user and group ids of whoever built it, so that
the same sources built by another user would give another zip.

Usage: zip-without-owner.py ZIP"""
import pathlib
import sys
import zipfile


def main():
    package = pathlib.Path(sys.argv[1])
    rewritten = package.with_name(package.name + ".new")
    with zipfile.ZipFile(package) as source, zipfile.ZipFile(rewritten, "w") as target:
        for entry in source.infolist():
            bare = zipfile.ZipInfo(entry.filename, entry.date_time)
            bare.create_system, bare.external_attr = entry.create_system, entry.external_attr
            bare.compress_type = zipfile.ZIP_DEFLATED
            target.writestr(bare, source.read(entry), compresslevel=9)
    rewritten.replace(package)


if __name__ == "__main__":
    main()
