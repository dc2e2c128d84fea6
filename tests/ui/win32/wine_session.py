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
  another, so every process of a session gets the same LANG and LC_ALL;
- Wine's services (explorer, services.exe) inherit the output of the Wine process that starts
  them and live until the server ends, so the server is started first with its output
  discarded, and every program's output goes through a file rather than a pipe;
- Wine 10 reads the DPI only when its display starts, so the server is started afresh once the
  prefix's settings are written;
- a run that CTest killed leaves the prefix's server and programs behind: a session ends them
  before it starts anything, and waits for any server only so long."""

import os
import pathlib
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).parents[2]))
import harness  # noqa: E402

FONTS = pathlib.Path("/usr/share/wine/fonts")
# How long a Wine server may take to end once asked to.
SERVER_SECONDS = 20


def windows_path(path):
    """The path as Wine's Z: drive, which maps the Unix root, names it."""
    return "Z:" + str(pathlib.Path(path).resolve()).replace("/", "\\")


class WineSession:
    def __init__(self, build_dir, locale="C.UTF-8", dpi=96):
        self.prefix = pathlib.Path(build_dir).resolve() / "wineprefix-window"
        self.locale, self.dpi = locale, dpi
        self.helpers = []
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
        self.end_server()
        display = harness.start_xvfb(self.helpers)
        if not display:
            raise RuntimeError("no Xvfb for the Wine session")
        self.env["DISPLAY"] = display
        try:
            self.prefix.mkdir(parents=True, exist_ok=True)
            harness.run(["wineserver"], env=self.env, timeout=SERVER_SECONDS)
            self._prepare_prefix()
            # A fresh server, whose display starts with the settings just written.
            self.end_server()
            harness.run(["wineserver"], env=self.env, timeout=SERVER_SECONDS)
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *_):
        self.end_server()
        for helper in reversed(self.helpers):
            harness.stop(helper)

    def end_server(self):
        """Ends the prefix's server and every program under it, waiting a bounded time."""
        for option in ("-k", "-w"):
            try:
                harness.run(["wineserver", option], env=self.env, timeout=SERVER_SECONDS)
            except subprocess.TimeoutExpired:
                print(f"wineserver {option} did not end within {SERVER_SECONDS} s", flush=True)

    def _prepare_prefix(self):
        if not (self.prefix / "system.reg").exists():
            harness.run(["wineboot", "-i"], env=self.env, timeout=120, check_status=True)
        fonts = self.prefix / "drive_c/windows/Fonts"
        for font in ("tahoma.ttf", "tahomabd.ttf", "marlett.ttf"):
            link = fonts / font
            if not link.exists():
                if not (FONTS / font).exists():
                    raise RuntimeError(f"{FONTS / font} is missing: run scripts/setup.sh (fonts-wine)")
                link.symlink_to(FONTS / font)
        self.set_registry(r"HKCU\Software\Wine\X11 Driver", "Managed", "REG_SZ", "N")
        # Wine takes the DPI from either place, depending on its version. Wine 10 reads it once,
        # when its display starts: a display already running keeps its monitors at the DPI it
        # started with, while the system DPI a new program reads follows the registry, and a
        # per-monitor aware window is laid out for the first with a frame drawn for the second.
        for key in (r"HKCU\Control Panel\Desktop",
                    r"HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts"):
            self.set_registry(key, "LogPixels", "REG_DWORD", str(self.dpi))

    def set_registry(self, key, name, kind, value):
        self.wine("reg", "add", key, "/v", name, "/t", kind, "/d", value, "/f", check_status=True)

    def wine(self, *command, timeout=60, check_status=False):
        """Runs a Windows program of the session to its end; its output comes through files."""
        return harness.run(["wine", *command], env=self.env, timeout=timeout, check_status=check_status)

    def start(self, *command, **kwargs):
        """Starts a Windows program of the session; Wine passes its exit status through. Its
        output must go to a file or nowhere (see above)."""
        kwargs.setdefault("stdout", subprocess.DEVNULL)
        kwargs.setdefault("stderr", subprocess.DEVNULL)
        return subprocess.Popen(["wine", *map(str, command)], env=self.env, **kwargs)

    def screenshot(self, path):
        harness.screenshot(path, env=self.env)
