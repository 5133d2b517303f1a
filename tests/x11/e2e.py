"""The program under xvfb-run, driven by real input: e2e.py <tarn> <sample parts>"""

import io
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

from PIL import Image, ImageChops

WAIT = 20.0
SLOTS = ["stone_ug", "stone_bl", "stone_br", "stone_fl", "stone_fr"]
OBJECT = "ob_barrel"
DROP = (180, 110)  # where the object's top-left corner is dropped on the canvas
CANVAS = (478, 278)


def run(*args):
    return subprocess.run([str(a) for a in args], check=True, timeout=WAIT,
                          capture_output=True).stdout


def until(what, probe):
    deadline = time.monotonic() + WAIT
    while not (value := probe()):
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)
    return value


def same(a, b):
    return a.size == b.size and ImageChops.difference(a, b).getbbox() is None


class Program:
    """The running program, seen through its geometry dump and X."""

    def __init__(self, folder, work, log, *args):
        self.work = work
        self.dump = os.path.join(work, "geometry.txt")
        env = dict(os.environ, TARN_GEOMETRY_DUMP=self.dump, QT_QPA_PLATFORM="xcb")
        self.process = subprocess.Popen([os.path.join(folder, "tarn"), *args], cwd=folder,
                                        env=env, stdout=log, stderr=subprocess.STDOUT)

    def controls(self):
        if not os.path.exists(self.dump):
            return {}
        with open(self.dump, encoding="utf-8") as f:
            rows = [line.rstrip("\n").rsplit(" ", 4) for line in f]
        return {r[0]: tuple(int(v) for v in r[1:]) for r in rows}

    def wait_for(self, name):
        return until(name, lambda: self.controls().get(name))

    def wait_gone(self, prefix):
        until(prefix + " to close", lambda: not any(n.startswith(prefix) for n in self.controls()))

    def click(self, name, left_part=False):
        x, y, w, h = self.wait_for(name)
        run("xdotool", "mousemove", x + (min(w, 16) if left_part else w // 2), y + h // 2, "click", 1)

    def window(self, title):
        def probe():
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title],
                                   capture_output=True, timeout=WAIT).stdout.split()
            return int(found[0]) if len(found) == 1 else None
        return until("one window titled " + title, probe)

    def keys(self, window, *keys):
        # No window manager hands the focus on when windows come and go.
        run("xdotool", "windowfocus", "--sync", window, *(["key", *keys] if keys else []))

    def shows(self, window, form, picture, expected):
        """The picture control of a form on screen, inside its border, equals `expected`."""
        px, py, _, _ = self.wait_for(form + "/" + picture)
        wx, wy, _, _ = self.wait_for(form)
        shot = os.path.join(self.work, "window.png")
        run("import", "-window", window, shot)
        border = 1 if form == "frmMain" else 0
        with Image.open(shot) as s:
            x, y = px - wx + border, py - wy + border
            shown = s.crop((x, y, x + CANVAS[0], y + CANVAS[1])).convert("RGB")
        return same(shown, expected)


def clipboard(*target):
    return subprocess.run(["xclip", "-selection", "clipboard", *target, "-o"],
                          capture_output=True, timeout=WAIT).stdout


def session(program, work, composed):
    """`tarn SCENE.tarn` starts with the scene on screen and its name in the title. The same
    scene made anew by clicks and a drag, copied with Ctrl+C, is on the clipboard in place
    of another program's text. Ctrl+D, then arrow keys on the map: the view shown is the
    export's preview of that square."""
    program.wait_gone("frmBoot")
    main = program.window(r"^corridor\.tarn - Tarn$")
    until("the scene on the canvas", lambda: program.shows(main, "frmMain", "pctMain", composed))
    program.keys(main, "ctrl+n")
    program.wait_gone("frmMain/lst(6)[")
    for slot, name in enumerate(SLOTS, start=1):
        program.click("frmMain/lst(%d)[%s]" % (slot, name))
    program.click("frmMain/lst(0)[%s]" % OBJECT)
    program.click("frmMain/cmd_ob(0)")
    program.click("frmMain/lst(6)[%s]" % OBJECT, left_part=True)

    # A left drag across the canvas (inside its one-pixel border) to DROP.
    cx, cy, _, _ = program.wait_for("frmMain/pctMain")
    run("xdotool", "mousemove", cx + 41, cy + 41, "mousedown", 1)
    for step in (0.25, 0.5, 0.75, 1.0):
        run("xdotool", "mousemove", cx + 41 + int((DROP[0] - 40) * step),
            cy + 41 + int((DROP[1] - 40) * step))
    run("xdotool", "mouseup", 1)
    program.wait_for("frmMain/lst(7)[%d]" % DROP[0])
    program.wait_for("frmMain/lst(8)[%d]" % DROP[1])

    # xclip stays behind to serve the text; it must not hold the test's output.
    subprocess.run(["xclip", "-selection", "clipboard", "-i"], input=b"text before", check=True,
                   timeout=WAIT, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    until("the text on the clipboard", lambda: clipboard() == b"text before")
    program.keys(main, "ctrl+c")
    png = until("the canvas on the clipboard", lambda: clipboard("-t", "image/png"))
    assert same(Image.open(io.BytesIO(png)).convert("RGB"), composed), "clipboard vs core"
    assert b"text before" not in clipboard()
    until("the window to show the canvas",
          lambda: program.shows(main, "frmMain", "pctMain", composed))

    program.keys(main, "ctrl+d")
    dungeon = program.window("^ダンジョン$")

    def shows(name):
        with Image.open(os.path.join(work, "views", name)) as expected:
            return program.shows(dungeon, "frmDungeon", "pctView", expected.convert("RGB"))

    # From the start at (4, 4) facing east: a step, a turn left, a step north.
    until("the start's view", lambda: shows("x4-y4-E.png"))
    program.keys(dungeon, "Up", "Left", "Up")
    until("the view after three keys", lambda: shows("x5-y3-N.png"))
    program.keys(main, "ctrl+q")
    assert program.process.wait(timeout=WAIT) == 0


def main(tarn, samples):
    work = tempfile.mkdtemp(prefix="tarn-e2e-")
    folder = os.path.join(work, "program")
    os.mkdir(folder)
    for name in [tarn] + [os.path.join(samples, n) for n in os.listdir(samples)
                          if n.lower().endswith(".bmp") or n.startswith("crypt.")]:
        shutil.copy2(name, folder)
    # The scene the window builds, as a file: the core renders it for comparison.
    scene = os.path.join(work, "corridor.tarn")
    keys = ["ground", "backLeft", "backRight", "frontLeft", "frontRight"]
    with open(scene, "w", encoding="utf-8") as f:
        json.dump({"format": "tarn-scene", "version": 1,
                   "slots": {k: {"name": n, "path": "program/%s.bmp" % n}
                             for k, n in zip(keys, SLOTS)},
                   "objects": [{"name": OBJECT, "path": "program/%s.bmp" % OBJECT,
                                "x": DROP[0], "y": DROP[1], "layer": "F",
                                "mirrorLeftRight": False, "mirrorUpDown": False}]}, f)
    tarn = os.path.join(folder, "tarn")
    run(tarn, "render", scene, "-o", os.path.join(work, "composed.png"))
    map_file, pack = os.path.join(folder, "crypt.txt"), os.path.join(folder, "crypt.pack.json")
    run(tarn, "dungeon", map_file, "--pack", pack, "--into", os.path.join(work, "crypt"),
        "--views", os.path.join(work, "views"))
    with open(os.path.join(folder, "tarn.ini"), "a", encoding="utf-8") as f:
        f.write("[Dungeon]\nMap=%s\nPack=%s\n" % (map_file, pack))
    with open(os.path.join(work, "tarn.log"), "wb") as log:
        program = Program(folder, work, log, scene)
        try:
            session(program, work, Image.open(os.path.join(work, "composed.png")).convert("RGB"))
        except Exception:
            subprocess.run(["import", "-window", "root", os.path.join(work, "screen.png")],
                           timeout=WAIT, check=False)
            print("kept for a look: %s (tarn.log, geometry.txt, screen.png)" % work)
            raise
        finally:
            if program.process.poll() is None:
                program.process.kill()
    shutil.rmtree(work)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(*sys.argv[1:])
