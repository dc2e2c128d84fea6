#!/usr/bin/env python3
"""The real Veltrix.exe seen from outside: started under Wine on its own Xvfb, typed into with
xdotool as real X key events, and read back by form1_probe.exe, a second Windows program under
the same Wine server, over the Win32 API.

Usage: window_e2e.py VELTRIX.EXE FORM1_PROBE.EXE BUILD-DIR. With VELTRIX_SCREENSHOTS=DIR it also
saves screenshots there (the window, comma results, the overflow box, at 96 and 144 dpi).
Leaves nothing running."""

import json
import os
import pathlib
import subprocess
import sys
import tempfile
import time

sys.path[:0] = [str(pathlib.Path(__file__).parent), str(pathlib.Path(__file__).parents[2])]
import harness  # noqa: E402
from harness import check, wait_for  # noqa: E402
from wine_session import WineSession  # noqa: E402

WS_TABSTOP, WS_MAXIMIZEBOX, WS_MINIMIZEBOX, WS_THICKFRAME = 0x10000, 0x10000, 0x20000, 0x40000
WS_SYSMENU, WS_CAPTION = 0x80000, 0xC00000
BS_GROUPBOX, BS_TYPEMASK = 7, 0xF
# Long enough for the probe's own 20 s search for the window.
ANSWER_SECONDS = 30
CAPTIONS = dict(harness.form1_controls())


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

    def close(self):
        self.process.stdin.close()
        self.process.wait(10)
        self.answers.close()


class Program:
    """One run of Veltrix.exe, driven through its X window."""

    def __init__(self, session, path, probe):
        self.session, self.probe = session, probe
        self.process = session.start(path)
        self.found = probe.ask("find") == "ok"
        xids = wait_for(lambda: self.xdotool_output("search", "--name", "^Veltrix$").split(), 10)
        self.found = self.found and bool(xids)
        if self.found:
            # With no window manager nothing gives the window the keyboard: set it and wait for it.
            self.xdotool("windowfocus", "--sync", xids[0])
            self.facts = probe.json("facts")

    def xdotool_output(self, *arguments):
        return harness.output("xdotool", *arguments, env=self.session.env)

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

    def select_all(self):
        self.key("Home", "shift+End")

    def expect_texts(self, wanted, what):
        got = wait_for(lambda: self.probe.texts() == wanted, 5, what=f"{what}: fields {wanted}")
        return check(got, f"{what}: fields should be {wanted}, are {self.probe.texts()}")

    def stamp(self, *names):
        """Stale texts in fields that a recalculation should rewrite, so that it cannot go unseen."""
        for name in names:
            self.probe.ask("settext", name, "stale")

    def exit_status(self):
        try:
            return self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            return None

    def screenshot(self, name):
        folder = os.environ.get("VELTRIX_SCREENSHOTS")
        if folder:
            self.session.screenshot(pathlib.Path(folder) / f"{name}.png")


def rect_of(facts, name):
    return next(c["rect"] for c in facts["controls"] if c["name"] == name)


def check_layout(facts, scale):
    """The table in pixels at 96 dpi, scale times that at 144 (group boxes, edits, labels)."""
    def px(values):
        return [round(v * scale + 1e-9) if scale == 1 else v for v in values]

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
            check(rect_of(facts, name) == px(rect), f"{name} at {px(rect)}, is {rect_of(facts, name)}")


def check_window(program):
    facts = program.facts
    check(facts["title"] == "Veltrix", f"title {facts['title']!r}")
    style = facts["style"]
    check(style & WS_CAPTION == WS_CAPTION and style & WS_SYSMENU, f"caption and system menu: {style:#x}")
    check(not style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
          f"no minimize box, maximize box or sizing border: {style:#x}")
    left, top, width, height = facts["window"]
    wx, wy, ww, wh = facts["work"]
    margins = (left - wx, wx + ww - left - width, top - wy, wy + wh - top - height)
    check(abs(margins[0] - margins[1]) <= 1 and abs(margins[2] - margins[3]) <= 1,
          f"whole window centred on the work area {facts['work']}: margins {margins}")
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
        if kind == "Edit":
            check(control["limit"] == 9, f"{name}'s own text limit is 9, is {control['limit']}")

    # What a screen reader is told: each edit named by its group's caption. Wine 8 keeps no
    # accessibility annotations (SetHwndPropStr is E_NOTIMPL), so there the names cannot be read
    # back and this says so rather than passing; on Windows they are checked.
    for group, name in (("Frame1", "txtBez"), ("Frame2", "txt5"), ("Frame3", "txt19")):
        seen = program.probe.json("accessible", name)
        if seen.get("name") is None:
            print(f"not checked under this Wine: the accessible name of {name} ({seen})")
        else:
            check(seen["name"] == CAPTIONS[group], f"{name} is announced as {CAPTIONS[group]!r}: {seen}")


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

    for keys, focus in ((["Tab"], "txt5"), (["Tab"], "txt19"), (["Tab"], "txtBez"),
                        (["shift+Tab"], "txt19"), (["shift+Tab"], "txt5")):
        program.key(*keys)
        check(wait_for(lambda: probe.ask("focus") == focus, 5),
              f"after {keys} the focus is in {focus}, is in {probe.ask('focus')}")
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

    # A held key repeats its press but recomputes once, after the release.
    program.click("txt19")
    program.key("End")
    program.stamp("txtBez", "txt5")
    program.xdotool("keydown", "BackSpace")
    # Emptied, txt19 has seen at least two repeats, and further ones change nothing.
    wait_for(lambda: probe.texts()[2] == "", 5, what="the held Backspace to repeat")
    held = probe.texts()
    program.xdotool("keyup", "BackSpace")
    check(held == ["stale", "stale", ""], f"the held Backspace repeated, recomputing nothing: {held}")
    program.expect_texts(["0", "0", ""], "after the held Backspace is released")

    # Typing stops at nine characters; results longer than that are written whole.
    program.click("txtBez")
    program.select_all()
    program.type("1234567890123")
    program.expect_texts(["123456789", "129629628.45", "146913578.91"], "typing 13 digits")
    for name in ("txt5", "txt19"):
        check(probe.ask("selection", name) == "0 0", f"after a write {name}'s caret is at the start")
    program.click("txt5")
    program.key("End")
    program.stamp("txtBez", "txt19")
    program.type("7")
    program.expect_texts(["123456789", "129629628.45", "146913578.91"], "typing into a longer result")

    # Pasting stops at nine characters too.
    check(probe.ask("clipboard", "98765432109876") == "ok", "the clipboard takes the text")
    program.click("txt19")
    program.select_all()
    program.key("ctrl+v")
    program.expect_texts(["829961614.29", "871459695", "987654321"], "pasting 14 digits into txt19")

    program.key("alt+F4")
    status = program.exit_status()
    check(status == 0, f"Alt+F4 ends the program with status 0, not {status}")


def comma_run(session, program_path, probe, dpi):
    program = Program(session, program_path, probe)
    if not check(program.found, f"the window appears at {dpi} dpi"):
        return
    check(program.facts["dpi"] == dpi, f"the system's DPI is {dpi}, is {program.facts['dpi']}")
    if dpi != 96:
        check_layout(program.facts, 1.5)
    program.type("10")
    program.expect_texts(["10", "10,5", "11,9"], f"typing 10 with a comma locale at {dpi} dpi")
    # The comma is this locale's decimal separator, so "10,5" reads back as 10.5: the same results.
    program.click("txt5")
    program.stamp("txtBez", "txt19")
    program.key("Right")
    program.expect_texts(["10", "10,5", "11,9"], "Right arrow in txt5 reads the comma result back")
    program.screenshot(f"comma-{dpi}dpi")

    check(probe.ask("clipboard", "1e15") == "ok", "the clipboard takes the text")
    program.click("txtBez")
    program.select_all()
    program.key("ctrl+v")
    box = wait_for(lambda: probe.json("msgbox"), 5, what="the overflow box")
    check(box == {"title": "Veltrix", "texts": ["Overflow"], "buttons": ["OK"], "icon": True,
                  "owned": True, "owner_disabled": True},
          f"the overflow box: owned by the window, titled Veltrix, Overflow, OK only, an icon: {box}")
    check(probe.texts() == ["1e15", "10,5", "11,9"], f"an overflow changes no field: {probe.texts()}")
    program.screenshot(f"overflow-{dpi}dpi")
    program.key("Return")
    status = program.exit_status()
    check(status == 1, f"after the overflow box the program ends with status 1, not {status}")


def main(program_path, probe_path, build_dir):
    harness.claim_leftovers("window_e2e")
    program_path, probe_path = pathlib.Path(program_path), pathlib.Path(probe_path)
    started = time.monotonic()
    with WineSession(build_dir, locale="C.UTF-8") as session:
        probe = Probe(session, probe_path)
        try:
            period_run(session, program_path, probe)
        finally:
            probe.close()
    with WineSession(build_dir, locale="cs_CZ.UTF-8") as session:
        probe = Probe(session, probe_path)
        try:
            comma_run(session, program_path, probe, 96)
        finally:
            probe.close()
    with WineSession(build_dir, locale="cs_CZ.UTF-8", dpi=144) as session:
        probe = Probe(session, probe_path)
        try:
            comma_run(session, program_path, probe, 144)
        finally:
            probe.close()
    print(f"{time.monotonic() - started:.1f} s")
    return harness.summary()


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
