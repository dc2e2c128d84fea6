"""A private X display for the package checks: its own Xvfb with openbox, so that a program's
window is mapped, framed and seen from outside the way a desktop would show it. Nothing started
here outlives the `with` block."""
import contextlib
import os
import pathlib
import subprocess
import sys
import tempfile

# The Windows window tests' helpers serve here too: their polling, and for the installer check
# their Wine session.
sys.path.insert(0, str(pathlib.Path(__file__).parents[1] / "ui" / "win32"))
from wine_session import wait_for  # noqa: E402


def start(command, **kwargs):
    # A process group of its own, so that stopping it stops what it spawned too.
    return subprocess.Popen(command, start_new_session=True, stdin=subprocess.DEVNULL, **kwargs)


def stop(process):
    if process.poll() is None:
        os.killpg(process.pid, 15)
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, 9)
            process.wait()


def x_output(*command):
    done = subprocess.run(command, capture_output=True, text=True, stdin=subprocess.DEVNULL)
    return done.stdout if done.returncode == 0 else ""


def start_x(helpers):
    """Starts Xvfb and openbox, appending both to helpers; gives the display name, or None with
    the reason printed if either did not come up."""
    read_end, write_end = os.pipe()
    log = tempfile.TemporaryFile()
    server = start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "800x600x24", "-nolisten", "tcp"],
                   pass_fds=(write_end,), stderr=log)
    os.close(write_end)
    helpers.append(server)
    with os.fdopen(read_end) as number:
        name = ":" + number.readline().strip()
    if name == ":":
        log.seek(0)
        print(f"Xvfb did not start (status {server.poll()}):", log.read().decode(errors="replace"))
        return None
    os.environ["DISPLAY"] = name
    manager = start(["openbox"], stdout=subprocess.DEVNULL, stderr=log)
    helpers.append(manager)
    if not wait_for(lambda: "window id" in x_output("xprop", "-root", "_NET_SUPPORTING_WM_CHECK"), 15):
        log.seek(0)
        print(f"openbox did not start on {name} (status {manager.poll()}):", log.read().decode(errors="replace"))
        return None
    return name


@contextlib.contextmanager
def display():
    """Sets DISPLAY to a fresh Xvfb under openbox for the block, and stops both after it. A
    second try covers a server that lost a race for its display with another test's."""
    saved = os.environ.get("DISPLAY")
    helpers = []
    try:
        for _ in range(2):
            if start_x(helpers):
                break
            for helper in reversed(helpers):
                stop(helper)
            helpers.clear()
        else:
            raise RuntimeError("no private X display with a window manager could be started")
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
        for window in x_output("xdotool", "search", "--onlyvisible", "--name", f"^{title}$").split():
            if "Map State: IsViewable" in x_output("xwininfo", "-id", window):
                return window
        return None
    return wait_for(probe, seconds)


def screenshot(path):
    """The whole private screen as a PNG, for a person to look at."""
    subprocess.run(["import", "-window", "root", str(path)], check=True, stdin=subprocess.DEVNULL,
                   capture_output=True)
