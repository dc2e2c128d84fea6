#!/usr/bin/env bash
# Installs the Debian 12 or 13 packages that building and testing Veltrix need, skipping those
# already present, so that running it twice costs a second and a fresh machine gets everything.
set -euo pipefail

packages=(
  # compilers and build: Debian's default compilers under their unversioned names, so one list
  # serves every release (GCC 12 and Clang 14 on Debian 12, GCC 14 and Clang 19 on Debian 13);
  # libclang-rt-dev is the default Clang's sanitizer and libFuzzer runtime
  cmake g++ clang libclang-rt-dev ninja-build pkg-config
  # calculation tests, benchmarks
  libgtest-dev libbenchmark-dev
  # start-up benchmark: waits for the window's MapNotify itself (bench/mapwait.cpp), own session bus
  libx11-dev dbus-daemon
  # window
  qt6-base-dev qt6-qpa-plugins fonts-dejavu-core
  # window tests: a stand-in input method that counts what the fields ask of it
  qt6-base-private-dev
  # window: asks the X11 window manager for its frame before showing the window
  libxcb1-dev
  # window tests under a real X server, seen from outside; imagemagick also reads the icons back
  xvfb xauth openbox x11-utils xdotool xclip python3 python3-pyatspi at-spi2-core dbus-x11 imagemagick
  # resources: icon checks, Windows version record, desktop integration
  icoutils binutils-mingw-w64-x86-64 gcc-mingw-w64-x86-64 desktop-file-utils appstream
  librsvg2-bin
  # the Windows build, run under Wine; Wine's own dialog fonts; locales for the comma rows
  g++-mingw-w64-x86-64 googletest wine wine64 fonts-wine locales
  # packages: the Debian package (Depends by dpkg-shlibdeps, checked by lintian), the Windows
  # installer (makensis) and portable zip; the per-machine MSI (wixl and msibuild from msitools,
  # which also reads it back in the checks; faketime for the clock wixl writes into it)
  dpkg-dev lintian nsis wixl msitools faketime
  # Authenticode signing of the Windows files when a certificate is given, and its test
  osslsigncode openssl
  # signing with a key on a hardware token (PKCS#11), tested against a software token (SoftHSM);
  # the reproducibility check's second build runs as another user (setpriv, in util-linux)
  softhsm2 libengine-pkcs11-openssl util-linux
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# The window tests run a comma locale; Wine, like every program, can take only a locale that
# has been generated.
need_locale() { ! locale -a 2>/dev/null | grep -qix 'cs_CZ.utf8'; }

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
if need_locale; then
  echo "Generating the cs_CZ.UTF-8 locale"
  $sudo localedef -i cs_CZ -f UTF-8 cs_CZ.UTF-8
fi
