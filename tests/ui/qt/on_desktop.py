#!/usr/bin/env python3
"""Runs a command on a private X server under a window manager, with Qt on xcb: the window test's
rows that need X11 itself (the primary selection, the X11 key bindings) run there.

Usage: on_desktop.py COMMAND [ARGUMENT...]; gives the command's exit status."""

import os
import pathlib
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).parents[2]))
import harness  # noqa: E402


def main(command):
    harness.claim_leftovers("on_desktop")
    helpers = []
    try:
        display = harness.start_desktop(helpers)
        if not harness.check(display, "Xvfb with openbox started"):
            return 1
        env = {name: value for name, value in os.environ.items() if name not in ("WAYLAND_DISPLAY", "XAUTHORITY")}
        env.update(DISPLAY=display, QT_QPA_PLATFORM="xcb")
        return subprocess.run(command, env=env, check=False).returncode
    finally:
        for helper in reversed(helpers):
            harness.stop(helper)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
