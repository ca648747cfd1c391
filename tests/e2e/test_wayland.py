"""The window on Wayland, natively, under a headless sway: the same window,
reveal and burst as on X11, and a close request that ends the program."""

import time
import unittest

import e2e_base
from e2e_base import main, report
from tessaline_view import BACKGROUND, CONTROLS, DISPLAY, WINDOW_SIZE, background_points, list_selection
from wayland import Sway, WaylandApp

BACKGROUND_SPOT = (WINDOW_SIZE[0] - 5, 100)


class WaylandTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.sway = Sway()

    @classmethod
    def tearDownClass(cls):
        cls.sway.close()

    def setUp(self):
        self.app = WaylandApp(self.sway, [e2e_base.TESSALINE])
        view = self.app.find_window()
        self.assertEqual((self.app.width, self.app.height), WINDOW_SIZE)
        self.assertEqual(view["app_id"], "org.example.Tessaline")
        self.assertEqual(view["shell"], "xdg_shell", "not a native Wayland window")
        self.idle = self.wait_until_still()

    def tearDown(self):
        self.app.kill()

    def wait_until_still(self, timeout_s=15):
        """The window once two screenshots in a row agree."""
        deadline = time.monotonic() + timeout_s
        last = None
        while time.monotonic() < deadline:
            shot = self.app.grab()
            if shot == last:
                return shot
            last = shot
        self.fail("the window never came to rest")

    def wait_for(self, condition, message, timeout_s=5):
        deadline = time.monotonic() + timeout_s
        while not condition():
            if time.monotonic() > deadline:
                self.fail(message)

    def close_and_expect_clean_exit(self):
        t0 = time.monotonic()
        self.app.close_window()
        status = self.app.wait(10)
        took = 1000 * (time.monotonic() - t0)
        self.assertEqual(status, 0, self.app.stderr())
        self.assertLess(took, 1000, "the program took %.0f ms to end" % took)
        self.assertEqual(self.app.stderr(), "", "the program printed on stderr")
        return took

    def test_revealRunsAndEndsOnTheCover(self):
        app = self.app
        dx, dy, dw, dh = DISPLAY
        bx, by, bw, bh = CONTROLS["Command2"]
        lx, _, _, _ = CONTROLS["List1"]
        cover = self.idle.crop(dx, dy, dw, dh)
        enabled = self.idle.crop(bx + 6, by + 6, bw - 12, bh - 12)

        # "01" with the pointer, "02" with the keyboard.
        top, height = list_selection(app)
        app.click(lx + 15, top + height // 2)
        app.key("Down")
        self.wait_for(lambda: list_selection(app) == (top + height, height), '"02" is not highlighted')

        app.click(bx + bw // 2, by + bh // 2)
        shots, t0 = [], time.monotonic()
        while time.monotonic() - t0 < 30:
            shot = app.grab()
            shots.append(shot)
            if shot.crop(dx, dy, dw, dh) == cover and len(shots) > 1:
                break
        midway = [s for s in shots if s.crop(dx, dy, dw, dh) != cover]
        self.assertGreaterEqual(len(midway), 3, "the reveal was not seen running")
        self.assertNotEqual(midway[0].crop(bx + 6, by + 6, bw - 12, bh - 12), enabled, "the button stayed enabled")
        # Tiles of the source come in: fewer of the cover's pixels remain as it runs.
        changed = [len(s.crop(dx, dy, dw, dh).differing(cover)) for s in midway]
        self.assertGreater(changed[-1], changed[0], "no more tiles as the reveal went on")

        end = self.wait_until_still()
        self.assertEqual(end.crop(dx, dy, dw, dh), cover, "the reveal did not end on the cover")
        self.assertEqual(end.crop(bx + 6, by + 6, bw - 12, bh - 12), enabled, "the button is not enabled again")
        report("wayland reveal: %d screenshots while it ran, %.1f s" % (len(midway), time.monotonic() - t0))
        self.close_and_expect_clean_exit()

    def test_burstShowsDotsAndThenNone(self):
        app = self.app
        points = background_points(step=3)

        def dotted(shot):
            return sum(1 for p in points if shot.pixel(*p) != BACKGROUND)

        app.click(*BACKGROUND_SPOT)
        counts, t0 = [], time.monotonic()
        while time.monotonic() - t0 < 3:
            counts.append(dotted(app.grab()))
            if counts[-1] == 0 and any(counts):
                break
        report("wayland burst: dotted background points in each screenshot: %r" % counts)
        self.assertGreaterEqual(sum(1 for c in counts if c), 2, "dots were seen in fewer than two screenshots")
        self.assertEqual(dotted(self.wait_until_still()), 0, "dots stayed on the background")
        self.close_and_expect_clean_exit()

    def test_closeRequestEndsTheProgram(self):
        took = self.close_and_expect_clean_exit()
        report("wayland close at idle: ended after %.0f ms" % took)


if __name__ == "__main__":
    main()
