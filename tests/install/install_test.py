"""Installs the build into a fresh prefix and starts the installed program with a home of its
own, as the prefix's owner and as a user who cannot write it: the window lists the installed
parts, nothing is written under the prefix, and the command line renders from the installed parts.

    install_test.py <build folder>
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

build = sys.argv[1]
root = tempfile.mkdtemp(prefix="tarn-install-")
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


try:
    prefix = os.path.join(root, "prefix")
    subprocess.run(["cmake", "--install", build, "--prefix", prefix],
                   check=True, stdout=subprocess.DEVNULL)
    share = os.path.join(prefix, "share")
    for path in ["bin/tarn", "share/tarn/parts/stone_ug.bmp", "share/tarn/parts/ob_chest.BMP",
                 "share/applications/tarn.desktop", "share/icons/hicolor/scalable/apps/tarn.svg",
                 "share/mime/packages/tarn.xml"]:
        check(os.path.isfile(os.path.join(prefix, path)), "installed " + path)
    with open(os.path.join(share, "applications/tarn.desktop"), encoding="utf-8") as f:
        desktop = f.read()
    check("Exec=tarn %f" in desktop and "application/x-tarn-scene" in desktop, "desktop entry")

    def tree():
        """Every path under the prefix with its size: anything written there shows."""
        return sorted((os.path.relpath(os.path.join(d, n), prefix),
                       os.path.getsize(os.path.join(d, n)))
                      for d, dirs, files in os.walk(prefix) for n in dirs + files)

    def start(home, as_user=()):
        """Starts the installed window with its own home; what it listed on screen."""
        os.makedirs(home)
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "XDG_CONFIG_HOME")}
        env.update(HOME=home, QT_QPA_PLATFORM="offscreen", LANG="C.UTF-8",
                   TARN_GEOMETRY_DUMP=os.path.join(home, "screen.txt"))
        if as_user:
            os.chown(home, 65534, 65534)
        app = subprocess.Popen(list(as_user) + [tarn], env=env, cwd=home,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        screen, deadline = "", time.time() + 20
        while time.time() < deadline and "frmMain/lst(1)[stone_ug]" not in screen:
            time.sleep(0.2)
            if os.path.exists(env["TARN_GEOMETRY_DUMP"]):
                with open(env["TARN_GEOMETRY_DUMP"], encoding="utf-8") as f:
                    screen = f.read()
        app.terminate()
        app.wait(10)
        for entry in ["lst(1)[stone_ug]", "lst(0)[ob_door]", "lst(4)[brick_fl]"]:
            check("frmMain/" + entry in screen, "the window lists " + entry)
        check(os.path.isdir(os.path.join(home, ".config/tarn")),
              "working files and settings in the user's configuration folder")
        return env

    tarn = os.path.join(prefix, "bin/tarn")
    # What a killed writer would leave: a program that kept its files here would clean it up.
    open(os.path.join(share, "tarn/parts/.tarn-Ab12Cd"), "w").close()
    installed = tree()
    # Started by the prefix's owner (root, when the tests run as root), who could write there.
    start(os.path.join(root, "owner"))
    check(tree() == installed, "nothing written under the prefix by its owner")

    # Started as a user who cannot write the installed files (root can write anything).
    for folder, _, files in os.walk(prefix):
        os.chmod(folder, 0o555)
    home = os.path.join(root, "home")
    as_user = ()
    if os.geteuid() == 0 and shutil.which("setpriv"):
        os.chmod(root, 0o755)
        as_user = ("setpriv", "--reuid=65534", "--regid=65534", "--clear-groups")
    env = start(home, as_user)
    check(tree() == installed, "nothing written under the prefix by another user")

    scene = os.path.join(home, "view.tarn")
    parts = os.path.join(share, "tarn/parts")
    with open(scene, "w", encoding="utf-8") as f:
        f.write('{"format":"tarn-scene","version":1,"slots":{"ground":{"name":"stone_ug",'
                '"path":"%s/stone_ug.bmp"}},"objects":[{"name":"ob_door","path":"%s/ob_door.bmp",'
                '"x":10,"y":20,"layer":"T","mirrorLeftRight":true,"mirrorUpDown":false}]}'
                % (parts, parts))
    run = subprocess.run([tarn, "render", scene, "-o", os.path.join(home, "view.png")],
                         env={k: v for k, v in env.items() if k != "QT_QPA_PLATFORM"},
                         capture_output=True, timeout=60)
    check(run.returncode == 0 and os.path.isfile(os.path.join(home, "view.png")),
          "render from installed parts: " + run.stderr.decode(errors="replace"))
    # The English words come from the installed translation.
    english = subprocess.run([tarn, "--help"], env=dict(env, LANG="en_US.UTF-8"),
                             capture_output=True, timeout=30)
    check(english.stdout.startswith(b"Usage:"), "installed English translation found")
finally:
    for folder, _, _ in os.walk(root):
        os.chmod(folder, 0o755)
    shutil.rmtree(root, ignore_errors=True)

sys.exit(1 if failures else 0)
