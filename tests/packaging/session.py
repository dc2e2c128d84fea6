"""A private X display for the package checks: its own Xvfb with openbox, so that a program's
window is mapped, framed and seen from outside the way a desktop would show it. Nothing started
here outlives the `with` block."""
import contextlib
import os
import subprocess
import time


def wait_for(probe, seconds=30):
    """Polls probe until it returns something true, or the time is up; gives its last result."""
    deadline = time.monotonic() + seconds
    while True:
        result = probe()
        if result or time.monotonic() > deadline:
            return result
        time.sleep(0.2)


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


@contextlib.contextmanager
def display():
    """Sets DISPLAY to a fresh Xvfb under openbox for the block, and stops both after it."""
    saved = os.environ.get("DISPLAY")
    read_end, write_end = os.pipe()
    server = start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "800x600x24", "-nolisten", "tcp"],
                   pass_fds=(write_end,), stderr=subprocess.DEVNULL)
    os.close(write_end)
    helpers = [server]
    try:
        with os.fdopen(read_end) as number:
            os.environ["DISPLAY"] = ":" + number.readline().strip()
        helpers.append(start(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        if not wait_for(lambda: "window id" in x_output("xprop", "-root", "_NET_SUPPORTING_WM_CHECK")):
            raise RuntimeError("openbox did not start on the private display")
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
