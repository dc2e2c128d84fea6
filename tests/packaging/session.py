"""What the package checks share: a private X display, its own Xvfb with openbox, so that a
program's window is mapped, framed and seen from outside the way a desktop would show it, and a
Wine session for running an installer as a new user would. Nothing started here outlives the
`with` block."""
import contextlib
import os
import pathlib
import sys

# The shared harness, and for the installer check the Windows window tests' Wine session.
sys.path[:0] = [str(pathlib.Path(__file__).parents[1]), str(pathlib.Path(__file__).parents[1] / "ui" / "win32")]
from harness import check, screenshot, start, stop, summary, wait_for  # noqa: E402,F401
import harness  # noqa: E402
from wine_session import WineSession  # noqa: E402


@contextlib.contextmanager
def display():
    """Sets DISPLAY to a fresh Xvfb under openbox for the block, and stops both after it."""
    saved = os.environ.get("DISPLAY")
    helpers = []
    try:
        name = harness.start_desktop(helpers, size="800x600x24")
        if not name:
            raise RuntimeError("no private X display with a window manager could be started")
        os.environ["DISPLAY"] = name
        yield os.environ["DISPLAY"]
    finally:
        for helper in reversed(helpers):
            stop(helper)
        if saved is None:
            os.environ.pop("DISPLAY", None)
        else:
            os.environ["DISPLAY"] = saved


def installer_session(work):
    """A Wine session in `work` for running an installer as a new user would: a home of its own,
    so that nothing of the user's is read or written, and no desktop menu entries made from the
    Start menu shortcut (winemenubuilder), which would land in a home."""
    home = pathlib.Path(work) / "home"
    home.mkdir(parents=True)
    wine = WineSession(work)
    wine.env.update(HOME=str(home), WINEDLLOVERRIDES=wine.env["WINEDLLOVERRIDES"] + ";winemenubuilder.exe=d")
    for name in ("XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"):
        wine.env.pop(name, None)
    return wine


def viewable_window(title, seconds=30, process=None):
    """The id of a top-level window with exactly this title once X reports it viewable (mapped
    and on screen), or None: after `seconds`, or as soon as `process`, if given, has ended."""
    def probe():
        if process is not None and process.poll() is not None:
            return "ended"
        for window in harness.output("xdotool", "search", "--onlyvisible", "--name", f"^{title}$").split():
            if "Map State: IsViewable" in harness.output("xwininfo", "-id", window):
                return window
        return None
    found = wait_for(probe, seconds, what=f"a viewable window titled {title}")
    return None if found == "ended" else found
