"""A headless Wine session for the window tests: its own Xvfb, a Wine prefix of its own in the
build folder (made once, then kept), every Wine process under one locale and DPI, and everything
started ended afterwards.

Wine quirks met on the way, each handled here:
- a new prefix takes 10 to 20 s, so it is made once per build folder and kept;
- the .NET and HTML installers are switched off (WINEDLLOVERRIDES), the tests need neither;
- dialogs fall back to another face unless Wine's own fonts (fonts-wine) are in the prefix;
- with no window manager the X11 driver must not wait for one (Managed = N), or every close
  stalls for 2 s;
- Wine keeps the user's locale in the prefix and rewrites it whenever a process starts under
  another, so every process of a session gets the same LANG and LC_ALL."""

import os
import pathlib
import signal
import subprocess
import time

FONTS = pathlib.Path("/usr/share/wine/fonts")


def wait_for(probe, seconds=15, interval=0.02):
    """Polls probe until it returns something true or the time is up; returns its last answer."""
    deadline = time.monotonic() + seconds
    while True:
        result = probe()
        if result or time.monotonic() > deadline:
            return result
        time.sleep(interval)


def windows_path(path):
    """The path as Wine's Z: drive, which maps the Unix root, names it."""
    return "Z:" + str(pathlib.Path(path).resolve()).replace("/", "\\")


class WineSession:
    def __init__(self, build_dir, locale="C.UTF-8", dpi=96):
        self.prefix = pathlib.Path(build_dir).resolve() / "wineprefix-window"
        self.locale, self.dpi = locale, dpi
        self.xvfb = None
        self.env = dict(os.environ, WINEPREFIX=str(self.prefix), WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", LANG=locale, LC_ALL=locale)
        for name in ("WAYLAND_DISPLAY", "XAUTHORITY", "LANGUAGE", "LC_NUMERIC", "LC_MESSAGES",
                     "LC_CTYPE"):
            self.env.pop(name, None)

    def __enter__(self):
        if self.locale not in ("C", "C.UTF-8"):
            installed = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout
            wanted = self.locale.lower().replace("utf-8", "utf8")
            if wanted not in installed.lower().split():
                raise RuntimeError(f"locale {self.locale} is not installed: run scripts/setup.sh")
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stderr=subprocess.DEVNULL, start_new_session=True)
        os.close(write_end)
        with os.fdopen(read_end) as display:
            self.env["DISPLAY"] = ":" + display.readline().strip()
        try:
            self._prepare_prefix()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *_):
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        if self.xvfb and self.xvfb.poll() is None:
            os.killpg(self.xvfb.pid, signal.SIGTERM)
            self.xvfb.wait()

    def _prepare_prefix(self):
        if not (self.prefix / "system.reg").exists():
            subprocess.run(["wineboot", "-i"], env=self.env, check=True, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            subprocess.run(["wineserver", "-w"], env=self.env, check=True)
        fonts = self.prefix / "drive_c/windows/Fonts"
        for font in ("tahoma.ttf", "tahomabd.ttf", "marlett.ttf"):
            link = fonts / font
            if not link.exists():
                if not (FONTS / font).exists():
                    raise RuntimeError(f"{FONTS / font} is missing: run scripts/setup.sh (fonts-wine)")
                link.symlink_to(FONTS / font)
        self.set_registry(rf"HKCU\Software\Wine\X11 Driver", "Managed", "REG_SZ", "N")
        # Wine takes the DPI from either place, depending on its version.
        for key in (r"HKCU\Control Panel\Desktop",
                    r"HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts"):
            self.set_registry(key, "LogPixels", "REG_DWORD", str(self.dpi))

    def set_registry(self, key, name, kind, value):
        subprocess.run(["wine", "reg", "add", key, "/v", name, "/t", kind, "/d", value, "/f"],
                       env=self.env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def start(self, *command, **kwargs):
        """Starts a Windows program of the session; Wine passes its exit status through."""
        return subprocess.Popen(["wine", *map(str, command)], env=self.env, **kwargs)

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", str(path)], env=self.env, check=True)
