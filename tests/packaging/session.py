"""A private X display for the package checks: its own Xvfb with openbox, so that a program's
window is mapped, framed and seen from outside the way a desktop would show it. Nothing started
here outlives the `with` block."""
import contextlib
import os
import pathlib
import sys

# The shared harness, and for the installer check the Windows window tests' Wine session.
sys.path[:0] = [str(pathlib.Path(__file__).parents[1]), str(pathlib.Path(__file__).parents[1] / "ui" / "win32")]
from harness import check, screenshot, start, stop, summary, wait_for  # noqa: E402,F401
import harness  # noqa: E402


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


def viewable_window(title, seconds=30):
    """The id of a top-level window with exactly this title once X reports it viewable (mapped
    and on screen), or None."""
    def probe():
        for window in harness.output("xdotool", "search", "--onlyvisible", "--name", f"^{title}$").split():
            if "Map State: IsViewable" in harness.output("xwininfo", "-id", window):
                return window
        return None
    return wait_for(probe, seconds, what=f"a viewable window titled {title}")
