#!/usr/bin/env python3
"""The real program seen from outside: started on its own X server under a window manager, typed
into with xdotool, its fields read back over the accessibility bus the way a screen reader reads
them, and closed through the window manager.

Usage: window_e2e.py PATH-TO-VELTRIX. Needs Xvfb, openbox, xdotool, xprop, xwininfo, xclip,
dbus-daemon, at-spi2-core and python3-pyatspi; needs no display of its own and leaves nothing
running."""

import os
import pathlib
import re
import socket
import subprocess
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).parents[2]))
from harness import check, output, start, stop  # noqa: E402
import harness  # noqa: E402

# The fields as a screen reader finds them: by their group boxes' captions, pinned here rather
# than read from the program's own table.
BEZ, VAT5, VAT19 = "Bez DPH", "s DPH 5%", "s DPH 19%"


def wait_for(what, probe, seconds=15):
    """The program and the servers start at their own pace, so this waits for them rather than
    measuring them, and names what did not come."""
    return harness.wait_for(probe, seconds, 0.1, what)


def geometry(window):
    info = output("xwininfo", "-id", window)
    field = lambda name: int(re.search(name + r":\s+(-?\d+)", info).group(1))
    return (field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height"))


def frame(window):
    """The window with the frame the window manager drew around it: x, y, width, height."""
    x, y, width, height = geometry(window)
    sides = [int(n) for n in re.findall(r"\d+", output("xprop", "-id", window, "_NET_FRAME_EXTENTS"))]
    check(len(sides) == 4, f"the window manager tells its frame: {sides}")
    left, right, top, bottom = sides if len(sides) == 4 else (0, 0, 0, 0)
    return x - left, y - top, width + left + right, height + top + bottom


def check_window(window):
    # The program was started with Qt's -qwindowtitle and -qwindowgeometry options; it takes none.
    check(output("xdotool", "getwindowname", window).strip() == "Veltrix", "window title is Veltrix")

    x, y, width, height = geometry(window)
    check((width, height) == (121, 137), f"client area is 121 x 137, not {width} x {height}")
    area = [int(n) for n in re.findall(r"\d+", output("xprop", "-root", "_NET_WORKAREA"))[:4]]
    x, y, width, height = frame(window)
    left, right = x - area[0], area[0] + area[2] - (x + width)
    top, bottom = y - area[1], area[1] + area[3] - (y + height)
    check(abs(left - right) <= 2 and abs(top - bottom) <= 2,
          f"window with its frame centred in the work area {area}: margins {left}, {right}, {top}, {bottom}")

    hints = output("xprop", "-id", window, "WM_NORMAL_HINTS")
    sizes = re.findall(r"(minimum|maximum) size: (\d+) by (\d+)", hints)
    check(sorted(sizes) == [("maximum", "121", "137"), ("minimum", "121", "137")],
          f"window manager told min = max = 121 x 137: {sizes}")


def field_texts(pyatspi, pid):
    """The three fields by their accessible names, as a screen reader finds them."""
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            fields = pyatspi.findAllDescendants(app, lambda a: a.getRole() == pyatspi.ROLE_TEXT)
            return {f.name: f.queryText().getText(0, -1) for f in fields}
    return {}


def serve(selection, text):
    """Offers text as the owner of an X selection until stopped; the caller stops it."""
    owner = start(["xclip", "-quiet", "-selection", selection, "-i"], stdin=subprocess.PIPE,
                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    owner.stdin.write(text)
    owner.stdin.close()
    check(wait_for(f"the {selection} selection", lambda: output("xclip", "-o", "-selection", selection) == text.decode()),
          f"xclip offers {text.decode()!r} as the {selection} selection")
    return owner


def key(*names):
    subprocess.run(["xdotool", "key", "--delay", "100", *names], check=True)


def check_edits_heard(pyatspi, pid, owners):
    """Typing, a paste and an input method's commit are each one insertion, as in a plain line
    edit, so that a screen reader echoes what went in rather than the whole field."""
    from gi.repository import GLib

    heard = []

    def hear(event):
        source = event.source
        if source.name == BEZ and source.get_application().get_process_id() == pid:
            heard.append((event.type.minor, event.detail1, event.any_data))

    def pump():
        while GLib.MainContext.default().iteration(False):
            pass

    def clear_to_12():
        key("ctrl+a", "BackSpace")
        subprocess.run(["xdotool", "type", "--delay", "100", "12"], check=True)
        wait_for("12", lambda: field_texts(pyatspi, pid).get(BEZ) == "12")

    def heard_edits(act, expected_text):
        """(kind, offset, text) of each text change of the field while act edits it until it holds
        expected_text. A field that replaces its whole text is heard deleting it before inserting,
        so once an insertion has come all is heard."""
        heard.clear()
        act()
        wait_for("text events", lambda: pump() or any(kind == "insert" for kind, _, _ in heard)
                 and field_texts(pyatspi, pid).get(BEZ) == expected_text)
        return list(heard)

    pyatspi.Registry.registerEventListener(hear, "object:text-changed")
    try:
        # The listener comes into force over the bus some time after it is registered: only once it
        # has heard typing is the first event of an edit sure to reach it.
        for attempt in range(3):
            heard.clear()
            clear_to_12()
            if harness.wait_for(lambda: pump() or any(kind == "insert" for kind, _, _ in heard), 5):
                break
            print(f"the text-change listener heard nothing yet; typing again ({attempt + 1})", flush=True)

        edits = heard_edits(lambda: key("5"), "125")
        check(edits == [("insert", 2, "5")], f"a typed 5 is heard as one insertion: {edits}")

        owners.append(serve("clipboard", b"3456789012"))
        edits = heard_edits(lambda: key("ctrl+v"), "125345678")
        check(edits == [("insert", 3, "345678")], f"a paste is heard as one insertion of what fits: {edits}")

        # Qt's own input method on X11 composes a dead key with the next letter and commits the result.
        clear_to_12()
        edits = heard_edits(lambda: key("dead_acute", "e"), "12\u00e9")
        check(edits == [("insert", 2, "\u00e9")], f"an input method's commit is heard as one insertion: {edits}")
    finally:
        pyatspi.Registry.deregisterEventListener(hear, "object:text-changed")

    # Under the X11 key bindings Ctrl+Shift+Insert pastes the primary selection, as in QLineEdit.
    key("ctrl+a", "BackSpace")
    owners.append(serve("primary", b"77"))
    key("ctrl+shift+Insert")
    check(wait_for("primary paste", lambda: field_texts(pyatspi, pid).get(BEZ) == "77"),
          f"Ctrl+Shift+Insert pastes the primary selection: {field_texts(pyatspi, pid)}")


def run(program):
    # A screen reader switches accessibility on over the session bus before programs start.
    subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                    "org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status", "string:IsEnabled",
                    "variant:boolean:true"], check=True, capture_output=True)
    import pyatspi  # only now, as it connects to the buses the environment names

    app = start([program, "-qwindowtitle", "Other", "-qwindowgeometry", "300x300+0+0"])
    owners = []
    try:
        found = wait_for("window", lambda: output("xdotool", "search", "--onlyvisible", "--pid", str(app.pid)).split())
        check(bool(found), "the window is mapped")
        if not found:
            return
        window = found[0]
        # openbox places and frames a window after it is mapped; only then does it stay put.
        wait_for("openbox to frame the window", lambda: output("xprop", "-id", window, "_NET_FRAME_EXTENTS").count(",") == 3)
        mapped_at = geometry(window)
        check_window(window)

        blank = {BEZ: "", VAT5: "", VAT19: ""}
        check(wait_for("fields", lambda: field_texts(pyatspi, app.pid)) == blank,
              f"three empty fields named by their captions: {field_texts(pyatspi, app.pid)}")

        subprocess.run(["xdotool", "windowactivate", "--sync", window], check=True)
        subprocess.run(["xdotool", "type", "--delay", "100", "100"], check=True)
        typed = {BEZ: "100", VAT5: "105", VAT19: "119"}
        check(wait_for("results", lambda: field_texts(pyatspi, app.pid) == typed),
              f"typing 100 fills in the others: {field_texts(pyatspi, app.pid)}")
        check(geometry(window) == mapped_at, f"the window stays where it was mapped: {mapped_at}")

        check_edits_heard(pyatspi, app.pid, owners)

        subprocess.run(["xdotool", "key", "alt+F4"], check=True)
        wait_for("exit", lambda: app.poll() is not None)
        status = app.returncode
        check(status == 0, f"closing the window ends the program with status 0, not {status}")
    finally:
        stop(app)
        for owner in owners:
            stop(owner)


def start_session_bus(helpers, folder):
    """Starts a session bus listening at a socket in folder; gives its address once it accepts a
    connection, or "" after a bounded wait, so a bus that never comes up fails the run instead of
    hanging it."""
    path = str(folder / "bus")
    helpers.append(start(["dbus-daemon", "--session", "--nofork", f"--address=unix:path={path}"],
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))

    def accepts():
        with socket.socket(socket.AF_UNIX) as probe:
            return probe.connect_ex(path) == 0
    return f"unix:path={path}" if harness.wait_for(accepts, 15, 0.02, "the session bus") else ""


def main(program):
    harness.claim_leftovers("window_e2e_qt")
    with tempfile.TemporaryDirectory() as runtime:
        os.chmod(runtime, 0o700)
        # Whatever display or buses the caller has, the test uses only its own.
        for name in ("DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY", "DBUS_SESSION_BUS_ADDRESS",
                     "AT_SPI_BUS_ADDRESS", "QT_QPA_PLATFORM", "SESSION_MANAGER"):
            os.environ.pop(name, None)
        os.environ.update(XDG_RUNTIME_DIR=runtime, HOME=runtime, LC_ALL="C.UTF-8")
        helpers = []
        try:
            display = harness.start_desktop(helpers)
            if not check(display, "Xvfb with openbox started"):
                return harness.summary()
            os.environ["DISPLAY"] = display
            address = start_session_bus(helpers, pathlib.Path(runtime))
            if check(address, "D-Bus session bus started"):
                os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
                run(program)
        finally:
            for helper in reversed(helpers):
                stop(helper)
    return harness.summary()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
