"""The window as a person first sees it, on a real X server."""

import os
import re
import subprocess
import time

from e2e_base import SessionTest, main, report
from tessaline_view import (
    BACKGROUND,
    BUTTON,
    CONTROLS,
    DISPLAY,
    LABEL,
    SOURCE,
    WINDOW_SIZE,
    background_points,
    list_selection,
)
from xdisplay import SCREEN_HEIGHT, SCREEN_WIDTH, Image, now_ms

# The window as it first shows, recorded once for each generation of Qt and of
# the Liberation fonts that stand in for Times New Roman: Debian 12 has Qt 6.4
# and Liberation 1.07, Debian 13 Qt 6.8 and Liberation 2.1, which shape the
# captions and space the description's lines a little differently.
# TESSALINE_RECORD=1 records the installed generation's picture anew.
def installed_generation():
    qt = ".".join(os.environ.get("TESSALINE_QT_VERSION", "unknown").split(".")[:2])
    # fontconfig gives the font's revision in 16.16 fixed point.
    revision = subprocess.run(
        ["fc-list", "-f", "%{fontversion}\n", "Liberation Serif:style=Regular"],
        capture_output=True, text=True, check=False,
    ).stdout.split()
    liberation = "%g" % round(int(revision[0]) / 65536, 3) if revision else "none"
    return "qt%s-liberation%s" % (qt, liberation)


REFERENCE = os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "reference", "window-at-start-%s.png" % installed_generation()
)


class WindowTest(SessionTest):
    def test_windowIsCentredAndCannotBeResized(self):
        w, h = WINDOW_SIZE
        self.assertEqual((self.app.x, self.app.y), ((SCREEN_WIDTH - w) // 2, (SCREEN_HEIGHT - h) // 2))

        hints = self.server.xprop(self.app.window, "WM_NORMAL_HINTS", "_MOTIF_WM_HINTS")
        self.assertIn("program specified minimum size: %d by %d" % (w, h), hints)
        self.assertIn("program specified maximum size: %d by %d" % (w, h), hints)
        # Functions offered to a window manager: close, but neither minimise (8)
        # nor maximise (16).
        motif = re.search(r"_MOTIF_WM_HINTS\(_MOTIF_WM_HINTS\) = (.*)", hints)
        self.assertIsNotNone(motif, hints)
        flags, functions = [int(v, 16) for v in motif.group(1).split(",")[:2]]
        self.assertTrue(flags & 1, "no functions hint")
        self.assertEqual(functions & (8 | 16), 0, hints)
        self.assertTrue(functions & 32, "no close function")
        self.close_and_expect_clean_exit()

    def test_coloursPhotographsAndSelectionAtStart(self):
        shot = self.app.grab()

        wrong = [p for p in background_points() if shot.pixel(*p) != BACKGROUND]
        self.assertEqual(wrong[:5], [], "%d background pixels off colour" % len(wrong))

        for name in ("Label1(0)", "Label1(1)"):
            x, y, w, h = CONTROLS[name]
            label = shot.crop(x, y, w, h)
            for corner in ((1, 1), (w - 2, 1), (1, h - 3), (w - 2, h - 3)):
                self.assertEqual(label.pixel(*corner), LABEL, "%s at %r" % (name, corner))
            self.assertGreater(label.count(LABEL), 0.6 * w * h, name)
            self.assertGreater(len(label.colours()), 2, name + " shows no caption")

        x, y, w, h = CONTROLS["Command2"]
        button = shot.crop(x, y, w, h)
        for corner in ((3, 3), (w - 4, 3), (3, h - 4), (w - 4, h - 4)):
            self.assertEqual(button.pixel(*corner), BUTTON, "button at %r" % (corner,))
        self.assertGreater(button.count(BUTTON), 0.5 * w * h)
        self.assertIn((0, 0, 0), self.button_face().colours(), "the caption is not black")

        dx, dy, dw, dh = DISPLAY
        sx, sy, _, _ = SOURCE
        display, source = shot.crop(dx, dy, dw, dh), shot.crop(sx, sy, dw, dh)
        self.assertGreater(len(display.colours()), 2000, "the display shows no photograph")
        self.assertGreater(len(source.colours()), 2000, "the source box shows no photograph")
        self.assertGreater(len(display.differing(source)), 0.9 * dw * dh, "the same photograph twice")

        # "01" is highlighted in the list's first row without anyone touching it.
        lx, ly, _, lh = CONTROLS["List1"]
        selection = list_selection(self.app)
        self.assertIsNotNone(selection, "nothing is selected")
        top, height = selection
        self.assertLessEqual(top - ly, 4, "the highlight is not in the first row")
        self.assertTrue(10 <= height <= 30, "highlight %d pixels high" % height)

        # Idle means idle: nothing changes on its own.
        time.sleep(0.5)
        self.assertEqual(self.app.grab(), shot)
        self.close_and_expect_clean_exit()

    def test_windowLooksAsRecorded(self):
        shot = self.app.grab()
        if os.environ.get("TESSALINE_RECORD"):
            shot.save_png(REFERENCE)
            self.skipTest("recorded " + REFERENCE)
        if not os.path.exists(REFERENCE):
            # Every rectangle, colour and photo is still checked exactly above.
            self.skipTest("no screenshot recorded for this Qt and these fonts: " + os.path.basename(REFERENCE))
        differing = shot.differing(Image.load_png(REFERENCE))
        if differing:
            path = os.path.abspath("window-at-start.png")
            shot.save_png(path)
            xs, ys = [x for x, _ in differing], [y for _, y in differing]
            self.fail(
                "%d pixels differ from %s, within x %d...%d, y %d...%d; the window is in %s"
                % (len(differing), REFERENCE, min(xs), max(xs), min(ys), max(ys), path)
            )
        self.close_and_expect_clean_exit()

    def test_clickOnALabelDoesNothing(self):
        # The first click makes the window active, and the photo that has the
        # keyboard shows its focus frame: that is the picture to keep.
        x, y, w, h = CONTROLS["Label1(0)"]
        self.app.click(x + 4, y + h // 2)
        time.sleep(0.2)
        before = self.app.grab()
        for name in ("Label1(0)", "Label1(1)"):
            x, y, w, h = CONTROLS[name]
            # Off the caption, on the label's own colour; then a double click.
            self.app.click(x + 4, y + h // 2)
            self.app.click(x + w - 4, y + 4, repeat=2)
        # A burst would show within milliseconds; watch for a good while.
        t0 = now_ms()
        while now_ms() - t0 < 600:
            self.assertEqual(self.app.grab(), before, "the window changed after a label click")
            time.sleep(0.002)
        self.assertTrue(self.app.alive())
        report("label clicks: window unchanged for 600 ms")
        self.close_and_expect_clean_exit()


if __name__ == "__main__":
    main()
