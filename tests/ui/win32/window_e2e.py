#!/usr/bin/env python3
"""The real Veltrix.exe seen from outside: started under Wine on its own Xvfb, typed into with
xdotool as real X key events, and read back by form1_probe.exe, a second Windows program under
the same Wine server, over the Win32 API.

Usage: window_e2e.py VELTRIX.EXE FORM1_PROBE.EXE FAILING.EXE BUILD-DIR, FAILING.EXE a test build
whose font fails after start-up. With VELTRIX_SCREENSHOTS=DIR it also saves screenshots there (the
window at 96 dpi, comma results and the overflow box at 144 dpi).
  --desktop VELTRIX.EXE FORM1_PROBE.EXE BUILD-DIR: the Windows desktop mode: the Wine prefix set to
    Windows 10/11's window metrics, text sizes 100 %, 125 % and 150 % at 96 and 144 dpi and a
    maximized start, each judged from the pixels on the screen (screenshots desktop-*).
  --random VELTRIX.EXE FORM1_RANDOM_TEST.EXE BUILD-DIR: the randomized test, once per locale row
    (a period and a comma locale); VELTRIX_RANDOM_SEED and VELTRIX_RANDOM_RELEASES pass through.
Leaves nothing running, and the prefix's metrics as they were."""

import json
import os
import pathlib
import re
import struct
import subprocess
import sys
import tempfile
import time

sys.path[:0] = [str(pathlib.Path(__file__).parent), str(pathlib.Path(__file__).parents[2])]
import harness  # noqa: E402
from harness import check, wait_for  # noqa: E402
from wine_session import WineSession, windows_path  # noqa: E402

WS_TABSTOP, WS_MAXIMIZEBOX, WS_MINIMIZEBOX, WS_THICKFRAME = 0x10000, 0x10000, 0x20000, 0x40000
WS_SYSMENU, WS_CAPTION, WS_MAXIMIZE = 0x80000, 0xC00000, 0x1000000
BS_GROUPBOX, BS_TYPEMASK = 7, 0xF
# Long enough for the probe's own 20 s search for the window.
ANSWER_SECONDS = 30


class Probe:
    """form1_probe.exe, asked one line at a time. Its answers go to a file, read with a deadline:
    a pipe would stay open as long as any Wine service that inherited it."""

    def __init__(self, session, path):
        self.answers = tempfile.NamedTemporaryFile()
        self.read_at = 0
        self.process = session.start(path, stdin=subprocess.PIPE, stdout=self.answers,
                                     text=True, encoding="utf-8")

    def ask(self, *words):
        self.process.stdin.write(" ".join(words) + "\n")
        self.process.stdin.flush()
        line = wait_for(self._next_line, ANSWER_SECONDS, 0.005, f"the probe to answer {words}")
        if line is None:
            raise RuntimeError(f"the probe did not answer {words} within {ANSWER_SECONDS} s")
        return line

    def _next_line(self):
        with open(self.answers.name, "rb") as answers:
            answers.seek(self.read_at)
            line = answers.readline()
        if not line.endswith(b"\n"):
            return None
        self.read_at += len(line)
        return line.decode("utf-8").rstrip("\r\n")

    def json(self, *words):
        return json.loads(self.ask(*words))

    def texts(self):
        return self.json("texts")

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.process.stdin.close()
        self.process.wait(10)
        self.answers.close()


class Program:
    """One run of Veltrix.exe, driven through its X window."""

    def __init__(self, session, path, probe, launcher=()):
        self.session, self.probe = session, probe
        self.process = session.start(*launcher, path)
        self.found = probe.ask("find") == "ok"
        xids = wait_for(lambda: harness.output("xdotool", "search", "--name", "^Veltrix$",
                                                env=session.env).split(), 10)
        self.found = self.found and bool(xids)
        if self.found:
            self.xid = xids[0]
            # With no window manager nothing gives the window the keyboard: set it and wait for it.
            self.xdotool("windowfocus", "--sync", self.xid)
            self.facts = probe.json("facts")

    def xdotool(self, *arguments):
        harness.run(["xdotool", *arguments], env=self.session.env, check_status=True)

    def key(self, *keys):
        self.xdotool("key", "--delay", "40", *keys)

    def type(self, text):
        self.xdotool("type", "--delay", "60", text)

    def click(self, name):
        control = next(c for c in self.facts["controls"] if c["name"] == name)
        x, y, width, height = control["rect"]
        origin_x, origin_y = self.facts["client_origin"]
        self.xdotool("mousemove", str(origin_x + x + width // 2), str(origin_y + y + height // 2),
                     "click", "1")
        check(wait_for(lambda: self.probe.ask("focus") == name, 5), f"a click puts the focus in {name}")
        check(self.probe.ask("drained") == "ok", f"the window has handled the click in {name}")

    def expect_texts(self, wanted, what):
        got = wait_for(lambda: self.probe.texts() == wanted, 5, what=f"{what}: fields {wanted}")
        return check(got, f"{what}: fields should be {wanted}, are {self.probe.texts()}")

    def stamp(self, *names):
        """Stale texts in fields that a recalculation should rewrite, so that it cannot go unseen."""
        for name in names:
            self.probe.ask("settext", name, "stale")

    def ends_on(self, key, wanted, what):
        """Presses key; the program must end within 10 s with the status wanted."""
        self.key(key)
        try:
            status = self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            status = None
        check(status == wanted, f"{what}: {key} ends the program with status {wanted}, not {status}")

    def screenshot(self, name):
        folder = os.environ.get("VELTRIX_SCREENSHOTS")
        if folder:
            self.session.screenshot(pathlib.Path(folder) / f"{name}.png")


def rect_of(facts, name):
    return next(c["rect"] for c in facts["controls"] if c["name"] == name)


def check_layout(facts, scale):
    """The table in pixels at 96 dpi, scale times that at 144 (group boxes, edits, labels)."""
    if scale == 1:
        client = [0, 0, 121, 137]
        groups = {"Frame1": [0, 0, 121, 41], "Frame2": [0, 48, 121, 41], "Frame3": [0, 96, 121, 41]}
        edit, label = (8, 16, 81, 19), (96, 19, 17, 17)
    else:  # 144 dpi: ten twips to the pixel, each edge rounded
        client = [0, 0, 182, 206]
        groups = {"Frame1": [0, 0, 182, 62], "Frame2": [0, 72, 182, 62], "Frame3": [0, 144, 182, 62]}
        edit, label = (12, 24, 122, 29), (144, 29, 26, 26)
    check(facts["client"] == client, f"client area {client[2:]} at {facts['dpi']} dpi, is {facts['client'][2:]}")
    members = {"Frame1": ("txtBez", "Label1"), "Frame2": ("txt5", "Label2"), "Frame3": ("txt19", "Label3")}
    for group, (field, text) in members.items():
        gx, gy = groups[group][:2]
        wanted = {group: groups[group], field: [gx + edit[0], gy + edit[1], *edit[2:]],
                  text: [gx + label[0], gy + label[1], *label[2:]]}
        for name, rect in wanted.items():
            check(rect_of(facts, name) == rect, f"{name} at {rect}, is {rect_of(facts, name)}")


def check_centred(facts):
    left, top, width, height = facts["window"]
    wx, wy, ww, wh = facts["work"]
    margins = (left - wx, wx + ww - left - width, top - wy, wy + wh - top - height)
    check(abs(margins[0] - margins[1]) <= 1 and abs(margins[2] - margins[3]) <= 1,
          f"whole window centred on the work area {facts['work']}: margins {margins}")


def check_window(program):
    facts = program.facts
    check(facts["title"] == "Veltrix", f"title {facts['title']!r}")
    style = facts["style"]
    check(style & WS_CAPTION == WS_CAPTION and style & WS_SYSMENU, f"caption and system menu: {style:#x}")
    check(not style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
          f"no minimize box, maximize box or sizing border: {style:#x}")
    check_centred(facts)
    check_layout(facts, 1)

    names = [c["name"] for c in facts["controls"]]
    check(names == ["Frame1", "Frame2", "Frame3", "txtBez", "txt5", "txt19", "Label1", "Label2", "Label3"],
          f"controls in the table's order (the z-order, which IsDialogMessage walks): {names}")
    kinds = {"Frame": "Button", "txt": "Edit", "Label": "Static"}
    captions = {"Frame1": "Bez DPH", "Frame2": "s DPH 5%", "Frame3": "s DPH 19%"}
    for control in facts["controls"]:
        name = control["name"]
        kind = next(k for prefix, k in kinds.items() if name.startswith(prefix))
        check(control["class"] == kind, f"{name} is a standard {kind}, is {control['class']}")
        check(bool(control["style"] & WS_TABSTOP) == (kind == "Edit"), f"only the edits are tab stops: {name}")
        wanted = captions.get(name, "Kč" if kind == "Static" else "")
        check(control["text"] == wanted, f"{name} reads {wanted!r}, reads {control['text']!r}")
        if kind == "Button":
            check(control["style"] & BS_TYPEMASK == BS_GROUPBOX, f"{name} is a group box")
    # The names themselves cannot be read back: Wine 8 keeps no accessibility annotations.
    check(program.probe.ask("accessible", "txt5") == "ok" and program.process.poll() is None,
          "an accessibility client's first request is answered, the program runs on")


def period_run(session, program_path, probe):
    program = Program(session, program_path, probe)
    if not check(program.found, "the window appears"):
        return
    check_window(program)
    check(probe.ask("focus") == "txtBez", f"the focus starts in txtBez, is in {probe.ask('focus')}")
    program.expect_texts(["", "", ""], "at start")

    for typed, wanted in (("1", ["1", "1.05", "1.19"]), ("0", ["10", "10.5", "11.9"]),
                          ("0", ["100", "105", "119"])):
        program.type(typed)
        program.expect_texts(wanted, f"after typing {typed!r}")
    program.screenshot("window-96dpi")

    program.click("txt5")
    # Each key's release recomputes, so the stale texts going shows the window handled the key;
    # a window that Enter or Escape closed never does that.
    for key in ("Return", "Escape"):
        program.stamp("txtBez", "txt19")
        program.key(key)
        program.expect_texts(["100", "105", "119"], f"{key} is handled in txt5 like any key")
        check(program.process.poll() is None and probe.ask("focus") == "txt5",
              f"{key} leaves the window open with the focus in txt5")
    check(probe.ask("activate", "other") == "ok", "another window takes the foreground")
    check(probe.ask("focus") == "-", f"the focus left with the activation, is in {probe.ask('focus')}")
    check(probe.ask("activate", "form") == "ok", "the window is activated again")
    check(wait_for(lambda: probe.ask("focus") == "txt5", 5),
          f"activated again, the focus is back in txt5, is in {probe.ask('focus')}")

    # Arrow key in txt5 recomputes the other two from it; the click that got there does not.
    program.stamp("txtBez", "txt19")
    program.click("txt5")
    check(probe.texts() == ["stale", "105", "stale"], f"a click recomputes nothing: {probe.texts()}")
    program.key("Right")
    program.expect_texts(["100", "105", "119"], "Right arrow in txt5")

    program.ends_on("alt+F4", 0, "closing")


def comma_run(session, program_path, probe):
    """A comma locale at 144 dpi (the random test's comma row reads the comma results back)."""
    program = Program(session, program_path, probe)
    if not check(program.found, "the window appears at 144 dpi"):
        return
    check(program.facts["dpi"] == 144, f"the system's DPI is 144, is {program.facts['dpi']}")
    check_layout(program.facts, 1.5)
    program.type("10")
    program.expect_texts(["10", "10,5", "11,9"], "typing 10 with a comma locale at 144 dpi")
    program.screenshot("comma-144dpi")

    check(probe.ask("clipboard", "1e15") == "ok", "the clipboard takes the text")
    program.click("txtBez")
    program.key("Home", "shift+End", "ctrl+v")
    box = wait_for(lambda: probe.json("msgbox"), 5, what="the overflow box")
    check(box == {"title": "Veltrix", "texts": ["Overflow"], "buttons": ["OK"], "icon": True,
                  "owned": True, "owner_disabled": True},
          f"the overflow box: owned by the window, titled Veltrix, Overflow, OK only, an icon: {box}")
    check(probe.texts() == ["1e15", "10,5", "11,9"], f"an overflow changes no field: {probe.texts()}")
    program.screenshot("overflow-144dpi")
    program.ends_on("Return", 1, "the overflow box dismissed")


def failure_run(session, failing_path, probe):
    """Once a failure is reported the window handles nothing more: two text-size changes, each a
    failure in this build, show one box between them, and dismissing it ends the program."""
    program = Program(session, failing_path, probe)
    if not check(program.found, "the failing build's window appears"):
        return
    answers = [probe.ask("settingchange") for _ in range(2)]
    check(answers == ["pending", "answered"],
          f"the first change fails into the box, the second is answered without a second: {answers}")
    boxes = probe.ask("boxes")
    check(boxes == "1", f"exactly one failure box, not {boxes}: {probe.json('msgbox')}")
    program.ends_on("Return", 1, "the failure box dismissed")


# Windows 10 and 11 as shipped (HKCU\Control Panel\Desktop\WindowMetrics, negative twips): Wine's
# own metrics are Windows 2000's, with an 18-pixel caption and an 8-point font. Segoe UI 9 pt
# stands as Tahoma (fonts-wine) at the same size, -12 pixels at 96 dpi, times the text size.
WINDOWS_METRICS = {"CaptionHeight": -330, "CaptionWidth": -330, "SmCaptionHeight": -330,
                   "SmCaptionWidth": -330, "BorderWidth": -15, "PaddedBorderWidth": -60,
                   "ScrollHeight": -255, "ScrollWidth": -255, "MenuHeight": -285, "MenuWidth": -285}
WINDOWS_FONTS = ("CaptionFont", "SmCaptionFont", "MenuFont", "StatusFont", "MessageFont", "IconFont")
METRICS_KEY = r"HKEY_CURRENT_USER\Control Panel\Desktop\WindowMetrics"

# (DPI, text size in percent, started maximized)
DESKTOP_CASES = ((96, 100, False), (96, 125, False), (96, 150, False), (96, 150, True),
                 (144, 100, False), (144, 150, False))


def logfont_hex(height, face="Tahoma"):
    """A LOGFONTW of normal weight, DEFAULT_CHARSET, as a .reg file's hex: value."""
    data = struct.pack("<5l8B", height, 0, 0, 0, 400, 0, 0, 0, 1, 0, 0, 0, 0)
    data += face.encode("utf-16-le").ljust(64, b"\0")
    return "hex:" + ",".join(f"{byte:02x}" for byte in data)


def windows_metrics_reg(percent):
    lines = ["REGEDIT4", "", f"[{METRICS_KEY}]"]
    lines += [f'"{name}"="{value}"' for name, value in WINDOWS_METRICS.items()]
    lines += [f'"{name}"={logfont_hex(-(12 * percent // 100))}' for name in WINDOWS_FONTS]
    return "\r\n".join(lines) + "\r\n"


class WindowsDesktop:
    """The session's prefix with Windows 10/11 metrics at a text size, for as long as it is
    entered; Wine's own metrics (saved once per build folder) come back afterwards, so that the
    other window tests on this prefix see Wine as it was."""

    def __init__(self, session, build_dir):
        self.session = session
        self.saved = pathlib.Path(build_dir).resolve() / "wine-window-metrics.reg"
        self.file = self.saved.with_name("windows-window-metrics.reg")

    def reg(self, *arguments):
        self.session.wine("reg", *arguments, check_status=True)

    def text_size(self, percent):
        self.file.write_text(windows_metrics_reg(percent), encoding="ascii")
        self.reg("import", windows_path(self.file))

    def __enter__(self):
        if not self.saved.exists():
            self.reg("export", METRICS_KEY, windows_path(self.saved), "/y")
        # Before any program of the session starts: Wine reads the metrics once per process.
        self.text_size(100)
        return self

    def __exit__(self, *_):
        self.reg("delete", METRICS_KEY, "/f")
        self.reg("import", windows_path(self.saved))


class Screen:
    """The X screen's pixels at one moment."""

    def __init__(self, session):
        ppm = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"],
                             env=session.env, check=True, capture_output=True).stdout
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
        self.width = int(header[1])
        self.pixels = ppm[header.end():]

    def dark(self, x, y):
        at = 3 * (y * self.width + x)
        return max(self.pixels[at:at + 3]) < 80

    def ink(self, left, top, right, bottom):
        """Bounding box [left, top, right, bottom) of the text-dark pixels in the area, or None."""
        points = [(x, y) for y in range(top, bottom) for x in range(left, right) if self.dark(x, y)]
        if not points:
            return None
        xs, ys = [x for x, _ in points], [y for _, y in points]
        return [min(xs), min(ys), max(xs) + 1, max(ys) + 1]


def check_text_whole(program, what):
    """Every caption, field text and "Kč" shows, and none reaches the last row or column of the
    area it is drawn in, where a text too large for it is cut off: inside an edit's sunken
    border, a label's rectangle, and for a group's caption the band above the group's field."""
    facts = program.facts
    # Without the focus the edits show no caret, which would reach from top to bottom.
    check(program.probe.ask("activate", "other") == "ok", "another window takes the foreground")
    screen = Screen(program.session)
    check(program.probe.ask("activate", "form") == "ok", "the window is activated again")
    ox, oy = facts["client_origin"]
    edge = round(2 * facts["dpi"] / 96)
    fields = {"Frame1": "txtBez", "Frame2": "txt5", "Frame3": "txt19"}
    for control in facts["controls"]:
        name, (x, y, width, height) = control["name"], control["rect"]
        left, top, right, bottom = ox + x, oy + y, ox + x + width, oy + y + height
        if control["class"] == "Edit":
            area = [left + edge, top + edge, right - edge, bottom - edge]
        elif control["class"] == "Static":
            area = [left, top, right, bottom]
        else:
            area = [left + edge, top, right - edge, oy + rect_of(facts, fields[name])[1]]
        box = screen.ink(*area)
        if check(box is not None, f"{what}: {name} shows its text"):
            check(box[2] < area[2] and box[3] < area[3],
                  f"{what}: {name}'s text whole, ink {box} inside {area} short of its last row and column")


class Moves:
    """The X server's account of where the window went (ConfigureNotify, via xev) while entered."""

    def __init__(self, program):
        self.program, self.log = program, tempfile.NamedTemporaryFile()

    def __enter__(self):
        env = self.program.session.env
        self.xev = harness.start(["xev", "-id", self.program.xid, "-event", "structure",
                                  "-event", "property"], env=env, stdout=self.log)
        # xev listens once it reports a property set after it started.
        ready = lambda: b"PropertyNotify" in pathlib.Path(self.log.name).read_bytes()  # noqa: E731
        while not wait_for(ready, 1):
            harness.run(["xprop", "-id", self.program.xid, "-f", "VELTRIX_TEST", "8s", "-set",
                         "VELTRIX_TEST", "listening"], env=env, check_status=True)
        return self

    def __exit__(self, *_):
        harness.stop(self.xev)

    def places(self):
        text = pathlib.Path(self.log.name).read_text(errors="replace")
        return [[int(x), int(y)] for x, y in re.findall(r"ConfigureNotify.*?\((-?\d+),(-?\d+)\)", text, re.S)]


def desktop_run(session, program_path, probe, desktop, dpi, percent, maximized):
    what = f"{dpi} dpi, text {percent} %" + (", started maximized" if maximized else "")
    desktop.text_size(percent)
    launcher = ("start", "/max", "/wait", "/unix") if maximized else ()
    program = Program(session, program_path, probe, launcher)
    if not check(program.found, f"{what}: the window appears"):
        return
    program.type("1000")
    program.expect_texts(["1000", "1050", "1190"], f"{what}: typing 1000")
    facts = program.facts
    check(facts["dpi"] == dpi, f"{what}: the system's DPI is {dpi}, is {facts['dpi']}")
    if maximized:
        check(not facts["style"] & WS_MAXIMIZE, f"{what}: not maximized: {facts['style']:#x}")
    check_centred(facts)
    check_layout(facts, dpi / 96)
    check_text_whole(program, what)
    program.screenshot(f"desktop-{dpi}dpi-{percent}pct" + ("-maximized" if maximized else ""))
    for way in ("syscommand", "show"):
        with Moves(program) as moves:
            probe.ask("maximize", way)
            probe.ask("drained")
        now = probe.json("facts")
        check(not now["style"] & WS_MAXIMIZE and now["window"] == facts["window"],
              f"{what}: asked to maximize by {way}, the window stays as it was: {now['window']}")
        check(all(place == facts["window"][:2] for place in moves.places()),
              f"{what}: asked to maximize by {way}, the window never left {facts['window'][:2]}: "
              f"{moves.places()}")
    program.ends_on("alt+F4", 0, what)


def desktop_main(program_path, probe_path, build_dir):
    harness.claim_leftovers("window_e2e_desktop")
    program_path, probe_path = pathlib.Path(program_path), pathlib.Path(probe_path)
    started = time.monotonic()
    for dpi in sorted({case[0] for case in DESKTOP_CASES}):
        with WineSession(build_dir, locale="C.UTF-8", dpi=dpi) as session, \
                WindowsDesktop(session, build_dir) as desktop, Probe(session, probe_path) as probe:
            for case in DESKTOP_CASES:
                if case[0] == dpi:
                    desktop_run(session, program_path, probe, desktop, *case)
    print(f"{time.monotonic() - started:.1f} s")
    return harness.summary()


RANDOM_ROWS = (("period", "C.UTF-8", "."), ("comma", "cs_CZ.UTF-8", ","))
RANDOM_ROW_SECONDS = 250


def random_main(program_path, test_path, build_dir):
    harness.claim_leftovers("window_random")
    seed = os.environ.get("VELTRIX_RANDOM_SEED", "the default")
    print(f"seed {seed}; replay a failed row with\n"
          f"  VELTRIX_RANDOM_SEED=<seed> ctest --test-dir {build_dir} -R window_random -V", flush=True)
    for row, locale, separator in RANDOM_ROWS:
        started = time.monotonic()
        with WineSession(build_dir, locale=locale) as session, tempfile.TemporaryFile() as log:
            run = session.start(test_path, windows_path(program_path), row, separator, stdout=log,
                                stderr=log)
            ended = wait_for(lambda: run.poll() is not None, RANDOM_ROW_SECONDS, 0.2, f"the {row} row to end")
            if not ended:
                run.kill()
            log.seek(0)
            print(log.read().decode("utf-8", errors="replace"), end="")
        print(f"{row}: {time.monotonic() - started:.1f} s", flush=True)
        check(ended and run.returncode == 0, f"every release of the {row} row matched")
    return harness.summary()


def main(program_path, probe_path, failing_path, build_dir):
    harness.claim_leftovers("window_e2e")
    program_path, probe_path = pathlib.Path(program_path), pathlib.Path(probe_path)
    started = time.monotonic()
    with WineSession(build_dir, locale="C.UTF-8") as session, Probe(session, probe_path) as probe:
        period_run(session, program_path, probe)
        failure_run(session, pathlib.Path(failing_path), probe)
    with WineSession(build_dir, locale="cs_CZ.UTF-8", dpi=144) as session, \
            Probe(session, probe_path) as probe:
        comma_run(session, program_path, probe)
    print(f"{time.monotonic() - started:.1f} s")
    return harness.summary()


if __name__ == "__main__":
    modes = {"--desktop": desktop_main, "--random": random_main}
    sys.exit(modes[sys.argv[1]](*sys.argv[2:]) if sys.argv[1] in modes else main(*sys.argv[1:]))
