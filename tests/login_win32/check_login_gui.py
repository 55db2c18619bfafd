#!/usr/bin/env python3
"""The Windows login window and its pop-up on a real display, under Wine.

    check_login_gui.py PROBE_EXE IMAGES_DIR

Runs xinghe-login-probe.exe with the caller's DISPLAY and WINEPREFIX, takes screenshots of
the display with ImageMagick's `import` and compares them with the pictures the windows are
made of (PNG 319, bitmap 318, PNG 320 and 323); then drags the login by its picture (the
pop-up must follow) and closes through the pop-up's close button and Alt+F4: the question
box must appear, a declined exit must leave the login, a confirmed one must end the probe
with status 0. Prints one "PASS name" or "FAIL name: why" line per check
and, last, "login-gui: N passed, N failed"; the exit status is 1 when anything failed.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

WINE = "/usr/lib/wine/wine"
LOGIN_SIZE = (1396, 847)
POPUP_OFFSET = (538, 114)
POPUP_SIZE = (695, 500)
CLOSE_BUTTON = (667, 10, 30, 30)      # pop-up coordinates
MINIMIZE_BUTTON = (630, 0, 29, 29)
BOX_SIZE = (258, 112)
BOX_OK = (45, 112 - 45, 82, 34)        # message box coordinates
BOX_CANCEL = (137, 112 - 45, 82, 34)
GREEN = (0, 255, 0)
TOLERANCE = 6

results = []


def report(name, ok, why=""):
    results.append(ok)
    print(("PASS %s" % name) if ok else ("FAIL %s: %s" % (name, why)), flush=True)


class Raster:
    """Raw pixels of a picture file, read through ImageMagick."""

    def __init__(self, path, width, height, channels):
        kind = "rgba" if channels == 4 else "rgb"
        self.data = subprocess.run(["convert", path, "-depth", "8", "%s:-" % kind], check=True,
                                   capture_output=True).stdout
        self.width, self.height, self.channels = width, height, channels
        if len(self.data) != width * height * channels:
            raise RuntimeError("%s is not %dx%d" % (path, width, height))

    def at(self, x, y):
        i = (y * self.width + x) * self.channels
        return tuple(self.data[i:i + self.channels])


def screenshot(work, name):
    path = os.path.join(work, name)
    subprocess.run(["import", "-window", "root", path], check=True)
    size = subprocess.run(["identify", "-format", "%w %h", path], check=True, capture_output=True,
                          text=True).stdout.split()
    return Raster(path, int(size[0]), int(size[1]), 3)


def close(a, b):
    return all(abs(p - q) <= TOLERANCE for p, q in zip(a, b))


def compare(shot, points, name):
    """points: (screen x, screen y, expected rgb); all must match within the tolerance."""
    seen = [(x, y, e) for x, y, e in points if 0 <= x < shot.width and 0 <= y < shot.height]
    wrong = [(x, y, e, shot.at(x, y)) for x, y, e in seen if not close(shot.at(x, y), e)]
    if len(seen) < 20:
        report(name, False, "only %d points on the screen" % len(seen))
    else:
        report(name, not wrong, "%d of %d points differ, first %s" % (len(wrong), len(seen), wrong[:3]))


def window(name):
    """(x, y, w, h) of the mapped top-level window with exactly this name, or None."""
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % name], capture_output=True,
                         text=True).stdout.split()
    for wid in ids:
        info = subprocess.run(["xwininfo", "-id", wid], capture_output=True, text=True).stdout
        values = dict(re.findall(r"^\s*(Absolute upper-left [XY]|Width|Height):\s+(-?\d+)", info, re.M))
        if len(values) == 4:
            return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]), int(values["Width"]),
                    int(values["Height"]))
    return None


def wait_for(condition, seconds):
    end = time.time() + seconds
    while time.time() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.2)
    return condition()


def click(x, y):
    # Move first and linger: the image buttons track the mouse before they take the press.
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "sleep", "0.4", "click", "1"], check=True)


def centre(origin, rect):
    return origin[0] + rect[0] + rect[2] // 2, origin[1] + rect[1] + rect[3] // 2


def main():
    probe, images = sys.argv[1], sys.argv[2]
    login_png = Raster(os.path.join(images, "319-login-background.png"), *LOGIN_SIZE, 4)
    pattern = Raster(os.path.join(images, "318-popup-background.bmp"), 697, 533, 3)
    minimize_png = Raster(os.path.join(images, "320-popup-minimize-normal.png"), 29, 29, 4)
    close_png = Raster(os.path.join(images, "323-popup-close-normal.png"), 30, 30, 4)

    work = tempfile.mkdtemp(prefix="xinghe-login-gui.")
    log = open(os.path.join(work, "probe.log"), "w+")
    proc = subprocess.Popen([WINE, probe], stdout=log, stderr=subprocess.STDOUT)
    try:
        def geometry():
            log.seek(0)
            text = log.read()
            login = re.search(r"^login (-?\d+) (-?\d+) (\d+) (\d+)", text, re.M)
            popup = re.search(r"^popup (-?\d+) (-?\d+) (\d+) (\d+)", text, re.M)
            return (tuple(map(int, login.groups())), tuple(map(int, popup.groups()))) if login and popup else None

        began = time.time()
        found = wait_for(geometry, 120)
        report("both windows come up", bool(found),
               "the probe reported no windows in %.0f s (status %s)" % (time.time() - began, proc.poll()))
        if not found:
            return
        login, popup = found
        report("login window takes the picture's size", login[2:] == LOGIN_SIZE, str(login))
        expected_popup = (login[0] + POPUP_OFFSET[0], login[1] + POPUP_OFFSET[1]) + POPUP_SIZE
        report("pop-up lies at (538, 114) over the login", popup == expected_popup, "%s, not %s" % (popup, expected_popup))
        time.sleep(1.0)
        shot = screenshot(work, "login.png")

        def in_popup(x, y):
            return 0 <= x - POPUP_OFFSET[0] < POPUP_SIZE[0] and 0 <= y - POPUP_OFFSET[1] < POPUP_SIZE[1]

        opaque, clear = [], []
        for y in range(3, LOGIN_SIZE[1], 23):
            for x in range(5, LOGIN_SIZE[0], 29):
                if in_popup(x, y):
                    continue
                pixel = login_png.at(x, y)
                target = opaque if pixel[3] == 255 else clear if pixel[3] == 0 else None
                if target is not None:
                    target.append((login[0] + x, login[1] + y, pixel[:3] if pixel[3] else (0, 0, 0)))
        compare(shot, opaque, "opaque pixels of PNG 319 show as they are")
        compare(shot, clear, "transparent pixels of PNG 319 show what is behind")

        # The pop-up: bitmap 318 from its origin, its pure green see-through onto the login.
        page = []
        buttons = (CLOSE_BUTTON, MINIMIZE_BUTTON)
        for y in range(2, POPUP_SIZE[1], 13):
            for x in range(3, POPUP_SIZE[0], 17):
                if any(b[0] <= x < b[0] + b[2] and b[1] <= y < b[1] + b[3] for b in buttons):
                    continue
                colour = pattern.at(x, y)
                if colour == GREEN:
                    under = login_png.at(POPUP_OFFSET[0] + x, POPUP_OFFSET[1] + y)
                    if under[3] != 255:
                        continue
                    colour = under[:3]
                page.append((popup[0] + x, popup[1] + y, colour))
        compare(shot, page, "pop-up shows bitmap 318 with its green see-through")

        for picture, rect, name in ((minimize_png, MINIMIZE_BUTTON, "minimise"), (close_png, CLOSE_BUTTON, "close")):
            points = [(popup[0] + rect[0] + x, popup[1] + rect[1] + y, picture.at(x, y)[:3])
                      for y in range(rect[3]) for x in range(rect[2]) if picture.at(x, y)[3] == 255]
            compare(shot, points, "%s button shows its normal picture" % name)

        # Closing asks; declined, everything stays.
        def box():
            return window("关闭提示")

        # Any opaque pixel of the picture drags the login, and the pop-up keeps its place on it.
        grip = (300, 650)
        if login_png.at(*grip)[3] != 255 or in_popup(*grip):
            report("dragging the login", False, "the grip point is not on the opaque picture")
            return
        start = (login[0] + grip[0], login[1] + grip[1])
        subprocess.run(["xdotool", "mousemove", str(start[0]), str(start[1]), "sleep", "0.3", "mousedown", "1",
                        "sleep", "0.3", "mousemove", str(start[0] + 20), str(start[1] + 10), "sleep", "0.2",
                        "mousemove", str(start[0] + 50), str(start[1] + 20), "sleep", "0.3", "mouseup", "1"],
                       check=True)
        moved = wait_for(lambda: (window("星河登录器") or login)[:2] != login[:2], 10)
        now = window("星河登录器") or login
        report("dragging the picture moves the login", moved and now[:2] == (login[0] + 50, login[1] + 20),
               "now at %s" % (now[:2],))
        time.sleep(1.0)
        shot = screenshot(work, "dragged.png")
        popup = (now[0] + POPUP_OFFSET[0], now[1] + POPUP_OFFSET[1]) + POPUP_SIZE
        points = [(popup[0] + CLOSE_BUTTON[0] + x, popup[1] + CLOSE_BUTTON[1] + y, close_png.at(x, y)[:3])
                  for y in range(CLOSE_BUTTON[3]) for x in range(CLOSE_BUTTON[2]) if close_png.at(x, y)[3] == 255]
        compare(shot, points, "the pop-up follows the dragged login")

        click(*centre(popup[:2], CLOSE_BUTTON))
        shown = wait_for(box, 15)
        report("the close button asks", bool(shown), "no question box appeared")
        if not shown:
            return
        report("the question box has its size", shown[2:] == BOX_SIZE, str(shown))
        click(*centre(shown[:2], BOX_CANCEL))
        gone = wait_for(lambda: not box(), 15)
        report("a declined exit closes the box", gone, "the box stayed")
        time.sleep(1.0)
        report("a declined exit leaves the login", proc.poll() is None and window("星河登录器") is not None,
               "the probe ended or its window went")

        subprocess.run(["xdotool", "key", "alt+F4"], check=True)
        shown = wait_for(box, 15)
        report("Alt+F4 asks", bool(shown), "no question box appeared")
        if not shown:
            return
        click(*centre(shown[:2], BOX_CANCEL))
        report("Alt+F4 declined leaves the login", wait_for(lambda: not box(), 15) and proc.poll() is None,
               "the box stayed or the probe ended")

        click(*centre(popup[:2], CLOSE_BUTTON))
        shown = wait_for(box, 15)
        report("the close button asks again", bool(shown), "no question box appeared")
        if not shown:
            return
        click(*centre(shown[:2], BOX_OK))
        try:
            status = proc.wait(timeout=20)
        except subprocess.TimeoutExpired:
            status = None
        log.seek(0)
        said = log.read()
        report("a confirmed exit ends the process with 0", status == 0, "status %s" % status)
        report("the confirmed exit ends it from inside the login", "url " not in said, said.strip()[-200:])
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
        log.close()
        shutil.rmtree(work, ignore_errors=True)
        passed = sum(1 for r in results if r)
        print("login-gui: %d passed, %d failed" % (passed, len(results) - passed), flush=True)


if __name__ == "__main__":
    main()
    sys.exit(0 if results and all(results) else 1)
