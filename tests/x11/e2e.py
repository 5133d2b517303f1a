"""The whole program in a real X window, driven by real input events.

Usage: e2e.py <tarn executable> <folder of sample parts> <compose_scene executable>
Run under an X server (xvfb-run). The program and its sample parts are copied
into a fresh program folder; the test chooses a part for each slot, inserts an
object and drags it over the canvas, saves through the file dialog, copies to
the clipboard and exports through the export dialog, then checks the files,
the clipboard, a screenshot of the window and the canvas the core composes
from the same parts on its own.
"""

import io
import os
import shutil
import subprocess
import sys
import tempfile
import time

from PIL import Image, ImageChops

WAIT = 20.0  # seconds any one thing may take to show
SLOTS = ["stone_ug", "stone_bl", "stone_br", "stone_fl", "stone_fr"]
OBJECT = "ob_barrel"
DROP = (180, 110)  # canvas pixel where the object's top-left corner is dropped
CANVAS = (478, 278)


class Failure(Exception):
    pass


def run(*args, **kw):
    return subprocess.run(args, check=True, timeout=WAIT, capture_output=True, **kw).stdout


def xdo(*args):
    return run("xdotool", *[str(a) for a in args]).decode()


def until(what, probe):
    """Polls probe until it returns something true; fails after WAIT seconds."""
    deadline = time.monotonic() + WAIT
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.05)


class Program:
    """The running program, seen through its geometry dump and X."""

    def __init__(self, folder, dump, log):
        self.dump = dump
        env = dict(os.environ, TARN_GEOMETRY_DUMP=dump, QT_QPA_PLATFORM="xcb")
        self.process = subprocess.Popen([os.path.join(folder, "tarn")], cwd=folder, env=env,
                                        stdout=log, stderr=subprocess.STDOUT)

    def controls(self):
        found = {}
        try:
            with open(self.dump, encoding="utf-8") as f:
                for line in f:
                    name, x, y, w, h = line.rstrip("\n").rsplit(" ", 4)
                    found[name] = (int(x), int(y), int(w), int(h))
        except FileNotFoundError:
            pass
        return found

    def wait_for(self, name):
        return until(name, lambda: self.controls().get(name))

    def wait_gone(self, prefix):
        until(prefix + " to close",
              lambda: not any(n.startswith(prefix) for n in self.controls()))

    def click(self, name, left_part=False):
        x, y, w, h = self.wait_for(name)
        xdo("mousemove", x + (min(w, 16) if left_part else w // 2), y + h // 2, "click", 1)

    def type_into(self, name, text):
        self.click(name)
        xdo("key", "ctrl+a")
        xdo("type", "--delay", 2, text)

    def only_window(self, title, but=None):
        """The one mapped window of that title (besides `but`), once X shows it."""

        def probe():
            out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title],
                                 capture_output=True, timeout=WAIT).stdout.decode()
            found = [int(w) for w in out.split() if int(w) != but]
            return found[0] if len(found) == 1 else None

        return until("one window titled " + title, probe)

    def focus(self, window):
        # There is no window manager to hand the focus on when windows come and go.
        xdo("windowfocus", "--sync", window)

    def keys_to(self, window, *keys):
        self.focus(window)
        xdo("key", *keys)


def canvas_of(picture, at):
    x, y = at
    return picture.crop((x, y, x + CANVAS[0], y + CANVAS[1])).convert("RGB")


def same_pixels(a, b):
    return a.size == b.size and ImageChops.difference(a, b).getbbox() is None


def read_clipboard():
    targets = subprocess.run(["xclip", "-selection", "clipboard", "-t", "TARGETS", "-o"],
                             capture_output=True, timeout=WAIT).stdout
    if b"image/png" not in targets:
        return None
    return run("xclip", "-selection", "clipboard", "-t", "image/png", "-o")


def area_facts(area):
    """The area number and the cell count an area file holds."""
    if len(area) < 27:
        return None
    name_length = int.from_bytes(area[5:9], "little") - 1
    if len(area) < 27 + name_length:
        return None
    number = int.from_bytes(area[10 + name_length:14 + name_length], "little") - 40000
    return number, area[23 + name_length]


def file_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def scenario(program, work, parts, compose):
    # The main window, once the boot screen has gone.
    run("xdotool", "search", "--sync", "--onlyvisible", "--name", "^Tarn$")
    program.wait_for("frmMain/pctMain")
    program.wait_gone("frmBoot")
    main = program.only_window("^Tarn$")

    for slot, name in enumerate(SLOTS, start=1):
        program.click("frmMain/lst(%d)[%s]" % (slot, name))
    program.click("frmMain/lst(0)[%s]" % OBJECT)
    program.click("frmMain/cmd_ob(0)")
    program.click("frmMain/lst(6)[%s]" % OBJECT, left_part=True)

    # A left-button drag over the canvas; the object's corner follows the pointer.
    cx, cy, _, _ = program.wait_for("frmMain/pctMain")
    inside = (cx + 1, cy + 1)  # the canvas sits inside a one-pixel border
    xdo("mousemove", inside[0] + 40, inside[1] + 40, "mousedown", 1)
    for step in (0.25, 0.5, 0.75, 1.0):
        xdo("mousemove", inside[0] + 40 + int((DROP[0] - 40) * step),
            inside[1] + 40 + int((DROP[1] - 40) * step))
    xdo("mouseup", 1)
    program.wait_for("frmMain/lst(7)[%d]" % DROP[0])
    program.wait_for("frmMain/lst(8)[%d]" % DROP[1])

    # Save as, through the real file dialog and the message that follows.
    saved = os.path.join(work, "saved", "scene.bmp")
    os.mkdir(os.path.dirname(saved))
    program.keys_to(main, "ctrl+s")
    program.wait_for("cmDialog/fileNameEdit")
    program.focus(program.only_window("^名前を付けて保存$"))
    program.type_into("cmDialog/fileNameEdit", saved)
    xdo("key", "Return")
    program.wait_for("QMessageBox/qt_msgbox_buttonbox")
    program.keys_to(program.only_window("^Tarn$", but=main), "Return")
    program.wait_gone("QMessageBox")
    if os.listdir(os.path.dirname(saved)) != ["scene.bmp"]:
        raise Failure("saved folder holds %s" % os.listdir(os.path.dirname(saved)))

    # Copy, read back by another X client.
    program.keys_to(main, "ctrl+c")
    png = until("the canvas on the clipboard", read_clipboard)
    clipboard = Image.open(io.BytesIO(png)).convert("RGB")

    # Export into a fresh folder through the export dialog.
    exported = os.path.join(work, "scenario")
    os.mkdir(exported)
    program.keys_to(main, "ctrl+w")
    program.wait_for("frmWrite/txtFolder")
    program.focus(program.only_window("^シナリオ ひな形書き出し$"))
    program.type_into("frmWrite/txtFolder", exported)
    program.click("frmWrite/OKButton")
    program.wait_gone("frmWrite")

    # What the window shows, inside the canvas border.
    px, py, _, _ = program.wait_for("frmMain/pctMain")
    wx, wy, _, _ = program.wait_for("frmMain")
    shot_path = os.path.join(work, "window.png")

    def screenshot_settles():
        run("import", "-window", str(main), shot_path)
        with Image.open(shot_path) as shot:
            shown = canvas_of(shot, (px - wx + 1, py - wy + 1))
        return shown if same_pixels(shown, clipboard) else None

    shown = until("the window to show the copied canvas", screenshot_settles)

    program.keys_to(main, "ctrl+q")
    try:
        program.process.wait(timeout=WAIT)
    except subprocess.TimeoutExpired:
        raise Failure("the program did not end on Ctrl+Q")

    # The core composes the same scene from the same files (decoded by PIL
    # into 24-bit BMPs, which the core reads) and the same drop point.
    core = os.path.join(work, "core")
    os.mkdir(core)

    def as_bmp24(name):
        path = os.path.join(core, name + ".bmp")
        with Image.open(os.path.join(parts, name + ".bmp")) as part:
            part.convert("RGB").save(path, "BMP")
        return path

    composed_path = os.path.join(core, "composed.bmp")
    run(compose, composed_path, *[as_bmp24(n) for n in SLOTS], as_bmp24(OBJECT),
        str(DROP[0]), str(DROP[1]), "F")

    with Image.open(saved) as f:
        saved_picture = f.convert("RGB")
    with Image.open(composed_path) as f:
        composed = f.convert("RGB")
    checks = [
        ("saved picture is the canvas size", saved_picture.size == CANVAS),
        ("saved picture equals the clipboard", same_pixels(saved_picture, clipboard)),
        ("clipboard equals the core's canvas", same_pixels(clipboard, composed)),
        ("window shows the core's canvas", same_pixels(shown, composed)),
    ]

    expected = sorted(["Summary.wsm", "Area1.wid", "dark.bmp"] +
                      [n + ".bmp" for n in SLOTS + [OBJECT]])
    checks += [
        ("export wrote exactly %s" % expected, sorted(os.listdir(exported)) == expected),
        ("Summary.wsm is 62 bytes", os.path.getsize(os.path.join(exported, "Summary.wsm")) == 62),
        ("Area1.wid is area 1 with 7 cells (background, 5 slots, 1 object)",
         area_facts(file_bytes(os.path.join(exported, "Area1.wid"))) == (1, 7)),
        ("dark.bmp is a bitmap", file_bytes(os.path.join(exported, "dark.bmp"))[:2] == b"BM"),
    ]
    for n in SLOTS + [OBJECT]:
        checks.append(("%s.bmp copied byte for byte" % n,
                       file_bytes(os.path.join(exported, n + ".bmp")) ==
                       file_bytes(os.path.join(parts, n + ".bmp"))))
    checks.append(("the program ended cleanly", program.process.returncode == 0))
    failed = [what for what, ok in checks if not ok]
    for what, ok in checks:
        print("%s  %s" % ("ok  " if ok else "FAIL", what))
    if failed:
        raise Failure("; ".join(failed))


def main(tarn, samples, compose):
    started = time.monotonic()
    work = tempfile.mkdtemp(prefix="tarn-e2e-")
    program = None
    try:
        folder = os.path.join(work, "program")
        os.mkdir(folder)
        shutil.copy2(tarn, folder)
        for name in sorted(os.listdir(samples)):
            if name.lower().endswith(".bmp"):
                shutil.copy2(os.path.join(samples, name), folder)
        with open(os.path.join(work, "tarn.log"), "wb") as log:
            program = Program(folder, os.path.join(work, "geometry.txt"), log)
            scenario(program, work, folder, compose)
        print("end-to-end run took %.1f s" % (time.monotonic() - started))
        if os.environ.get("TARN_E2E_KEEP"):
            print("kept: %s" % work)
        else:
            shutil.rmtree(work)
        return 0
    except (Failure, subprocess.SubprocessError, OSError) as e:
        print("FAILED: %s" % e)
        if program is not None:
            subprocess.run(["import", "-window", "root", os.path.join(work, "screen.png")],
                           timeout=WAIT, check=False)
        print("kept for a look: %s (tarn.log, geometry.txt, screen.png)" % work)
        return 1
    finally:
        if program is not None and program.process.poll() is None:
            program.process.terminate()
            try:
                program.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                program.process.kill()


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
