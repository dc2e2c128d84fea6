#!/usr/bin/env python3
"""Signed Windows downloads. Makes a throwaway code-signing certificate (openssl), packages this
build again with it, and verifies with osslsigncode that every Windows file a user runs carries
a valid signature by it: each signable package (.exe, .msi), each program in a zip, and the
uninstaller that the signed setup installs (silently, under Wine, in a prefix of its own). The
packages built without a certificate carry no signature at all; a key held on a PKCS#11 token
(SoftHSM) signs as a key file does; a certificate without its key, or a key without its
certificate, is refused.

Usage: check_signing.py --config CPackConfig.cmake --sign SIGN_SCRIPT --work DIR
                        --package FILE [--package FILE ...]
DIR is emptied first; the signed packages stay in DIR/signed."""
import argparse
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import zipfile

import session
import harness
from harness import check

SIGNER = "Veltrix test signing"
SIGNABLE = (".exe", ".msi")
UNINSTALLER = "Uninstall.exe"
INSTALL_FOLDER = r"C:\Veltrix"


def make_certificate(work):
    cert, key = work / "cert.pem", work / "key.pem"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", f"/CN={SIGNER}", "-addext", "extendedKeyUsage=codeSigning",
                    "-keyout", str(key), "-out", str(cert)],
                   check=True, capture_output=True, stdin=subprocess.DEVNULL)
    return cert, key


def signed_by_test_certificate(file, cert):
    done = subprocess.run(["osslsigncode", "verify", "-CAfile", str(cert), "-in", str(file)],
                          capture_output=True, text=True, stdin=subprocess.DEVNULL)
    return done.returncode == 0 and f"CN={SIGNER}" in done.stdout


def has_no_signature(file):
    with tempfile.TemporaryDirectory() as folder:
        return subprocess.run(["osslsigncode", "extract-signature", "-in", str(file), "-out", f"{folder}/sig"],
                              capture_output=True, stdin=subprocess.DEVNULL).returncode != 0


def signable_files(package, unpacked):
    """The package itself where Windows checks its signature, else the programs a zip holds."""
    if package.suffix in SIGNABLE:
        return [package]
    unpacked.mkdir(parents=True, exist_ok=True)
    with zipfile.ZipFile(package) as archive:
        members = [name for name in archive.namelist() if name.endswith(SIGNABLE)]
        archive.extractall(unpacked, members)
    return [unpacked / name for name in members]


def named(file, package):
    return package.name if file == package else f"{file.name} in {package.name}"


def check_packages(packages, cert, signed, work):
    for package in packages:
        for file in signable_files(package, work / "unsigned" / package.stem):
            check(has_no_signature(file), f"{named(file, package)}, built without a certificate, has no signature")
        repackaged = signed / package.name
        if not repackaged.is_file():
            check(False, f"{package.name} was packaged again with the certificate")
            continue
        for file in signable_files(repackaged, work / "signed-unpacked" / package.stem):
            check(signed_by_test_certificate(file, cert),
                  f"{named(file, repackaged)} is signed with the given certificate")


def check_uninstaller(setup, cert, work):
    """The uninstaller only comes into being when the setup runs, so the setup runs."""
    with session.installer_session(work) as wine_session:
        wine_session.wine(str(setup), "/S", "/D=" + INSTALL_FOLDER, timeout=120)
        harness.run(["wineserver", "--wait"], env=wine_session.env, timeout=120)
        folder = wine_session.prefix / "drive_c" / "Veltrix"
        check(signed_by_test_certificate(folder / UNINSTALLER, cert),
              f"the {UNINSTALLER} that the signed setup installs is signed too")


def token_key(key, work):
    """The key imported into a fresh SoftHSM token, as {variable: value} for sign.sh."""
    (work / "tokens").mkdir(parents=True)
    os.environ["SOFTHSM2_CONF"] = str(work / "softhsm2.conf")
    (work / "softhsm2.conf").write_text(f"directories.tokendir = {work / 'tokens'}\n")
    subprocess.run(f"softhsm2-util --init-token --free --label veltrix --so-pin 0000 --pin 1234 && openssl pkcs8 "
                   f"-topk8 -nocrypt -in '{key}' | softhsm2-util --import /dev/stdin --token veltrix --label signing "
                   "--id 01 --pin 1234", shell=True, check=True, capture_output=True, stdin=subprocess.DEVNULL)
    return {"VELTRIX_SIGN_KEY": "pkcs11:token=veltrix;object=signing;type=private;pin-value=1234",
            "VELTRIX_SIGN_PKCS11_MODULE": "/usr/lib/softhsm/libsofthsm2.so"}


def check_key_sources(sign, cert, key, sample, work):
    # Each row: what sign.sh is given, and whether the file comes out signed by the certificate
    # (else signing must fail and leave the file as it was).
    rows = (("a key on a PKCS#11 token", {"VELTRIX_SIGN_CERT": str(cert), **token_key(key, work / "token")}, True),
            ("only the certificate", {"VELTRIX_SIGN_CERT": str(cert)}, False),
            ("only the key", {"VELTRIX_SIGN_KEY": str(key)}, False))
    for name, variables, signs in rows:
        file = work / "sources" / name.replace(" ", "-") / sample.name
        file.parent.mkdir(parents=True)
        shutil.copyfile(sample, file)
        env = {k: v for k, v in os.environ.items() if not k.startswith("VELTRIX_SIGN_")} | variables
        status = subprocess.run([str(sign), str(file)], env=env, capture_output=True,
                                stdin=subprocess.DEVNULL).returncode
        check(status == 0 and signed_by_test_certificate(file, cert) if signs else
              status != 0 and file.read_bytes() == sample.read_bytes(),
              f"given {name}, " + ("sign.sh signs" if signs else f"signing fails (status {status}) and leaves the file as it was"))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--config", type=pathlib.Path, required=True)
    parser.add_argument("--sign", type=pathlib.Path, required=True)
    parser.add_argument("--work", type=pathlib.Path, required=True)
    parser.add_argument("--package", type=pathlib.Path, action="append", required=True)
    args = parser.parse_args()
    work = args.work.resolve()
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)

    cert, key = make_certificate(work)
    signed = work / "signed"
    env = dict(os.environ, VELTRIX_SIGN_CERT=str(cert), VELTRIX_SIGN_KEY=str(key))
    subprocess.run(["cpack", "--config", str(args.config), "-B", str(signed)], env=env, check=True,
                   stdin=subprocess.DEVNULL)

    check_packages(args.package, cert, signed, work)
    setup = next((signed / p.name for p in args.package if p.name.endswith("-setup.exe")), None)
    check(setup is not None and setup.is_file(), "a setup was packaged again with the certificate")
    if setup is not None and setup.is_file():
        check_uninstaller(setup, cert, work / "wine")
    sample = next(iter(signable_files(args.package[0], work / "sample")))
    check_key_sources(args.sign, cert, key, sample, work)
    return harness.summary()


if __name__ == "__main__":
    sys.exit(main())
