"""A show full screen on a 1920 x 1080 display: slides whole and centred on
black, a transition's tiles in the effect's order and never early, the keys a
presentation remote sends, and bad files refused before any window."""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

import e2e_base
from e2e_base import main, report, wait_for
from tessaline_view import nominal_interval, read_effect_tables, tile_order
from xdisplay import App, XServer, now_ms

W, H = 1920, 1080
BLACK, WHITE, YELLOW = (0, 0, 0), (255, 255, 255), (255, 255, 0)
RED, GREEN, BLUE, CYAN = (255, 0, 0), (0, 255, 0), (0, 0, 255), (0, 255, 255)
PURPLE = (128, 0, 255)


def close_to(a, b, slack=24):
    """Colours equal but for a JPEG's rounding."""
    return all(abs(x - y) <= slack for x, y in zip(a, b))


def cell_centre(tile):
    """The middle of grid cell `tile` (row-major), its edges at floor(c * W / 10)."""
    c, r = tile % 10, tile // 10
    return ((c * W // 10 + (c + 1) * W // 10) // 2, (r * H // 10 + (r + 1) * H // 10) // 2)


class PresentTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = XServer(W, H)
        cls.files = tempfile.mkdtemp(prefix="tessaline-slides-")
        subprocess.run([os.environ["TESSALINE_MAKE_SLIDES"], cls.files], check=True,
                       env=dict(cls.server.env, QT_QPA_PLATFORM="offscreen"))
        cls.tables = read_effect_tables()

    @classmethod
    def tearDownClass(cls):
        cls.server.close()
        shutil.rmtree(cls.files)

    def file(self, name):
        return os.path.join(self.files, name)

    def present(self, *args):
        self.app = App(self.server, [e2e_base.TESSALINE, "--present", *args])
        self.app.find_window()
        self.assertEqual((self.app.x, self.app.y, self.app.width, self.app.height), (0, 0, W, H))
        return self.app

    def tearDown(self):
        if getattr(self, "app", None):
            self.app.kill()

    def px(self, x, y):
        return self.server.fb.pixel(x, y)

    def wait_for(self, condition, message, timeout_s=5):
        wait_for(self, condition, message, timeout_s)

    def assert_slide(self, box, frame, fill, label):
        """The slide lies whole in `box` (x, y, w, h): its frame at each edge,
        its fill in the middle, black on every side outside it."""
        x, y, w, h = box
        inside = [(x + 2, y + h // 2), (x + w - 3, y + h // 2), (x + w // 2, y + 2), (x + w // 2, y + h - 3)]
        outside = [(x - 3, y + h // 2), (x + w + 2, y + h // 2), (x + w // 2, y - 3), (x + w // 2, y + h + 2)]

        def shows():
            return (all(close_to(self.px(*p), frame) for p in inside)
                    and close_to(self.px(x + w // 2, y + h // 2), fill)
                    and all(self.px(*p) == BLACK for p in outside if 0 <= p[0] < W and 0 <= p[1] < H))

        self.wait_for(shows, "%s is not shown whole in %r: edges %r, middle %r" % (
            label, box, [self.px(*p) for p in inside], self.px(x + w // 2, y + h // 2)))

    def test_slides_fit_the_screen_and_the_keys_move_through_them(self):
        self.present(self.file("deck.pdf"), self.file("tall.png"), self.file("wide.jpg"),
                     "--duration", "0.5")
        full = (0, 0, W, H)
        self.assert_slide(full, YELLOW, RED, "page 1")
        # End, Home and a typed number cut at once: no tile of a transition.
        self.app.key("End")
        self.assert_slide((0, 220, W, 640), YELLOW, PURPLE, "the wide photo")
        self.app.key("Home")
        self.assert_slide(full, YELLOW, RED, "page 1 again")
        self.app.key("4", "Return")
        self.assert_slide((600, 0, 720, H), YELLOW, CYAN, "the tall photo")
        self.app.key("BackSpace")
        self.assert_slide((240, 0, 1440, H), YELLOW, BLUE, "page 3, 4:3")
        self.app.key("Prior")
        self.assert_slide(full, WHITE, GREEN, "page 2")

        # Black and white screens, each gone again at a second press.
        for key, colour in (("b", BLACK), ("period", BLACK), ("w", WHITE), ("comma", WHITE)):
            self.app.key(key)
            self.wait_for(lambda: all(self.px(x, y) == colour for x, y in ((5, 5), (960, 540), (1914, 1074))),
                          "%s does not make the screen %r" % (key, colour))
            self.app.key(key)
            self.assert_slide(full, WHITE, GREEN, "page 2 after %s twice" % key)

        # Forward to the end: a black screen after the last slide; F5 changes nothing.
        self.app.key("End", "space")
        self.wait_for(lambda: all(self.px(x, y) == BLACK for x, y in ((5, 5), (960, 540), (960, 300))),
                      "no black screen after the last slide")
        self.app.key("F5", "Right")
        time.sleep(0.2)
        self.assertEqual(self.px(960, 540), BLACK)
        self.app.key("Escape")
        self.assertEqual(self.app.proc.wait(5), 0)

    def test_a_transition_shows_its_tiles_in_order_and_never_early(self):
        effect, seconds = 5, 2.0
        self.present(self.file("deck.pdf"), "--effects", str(effect), "--duration", str(seconds))
        self.assert_slide((0, 0, W, H), YELLOW, RED, "page 1")
        order = tile_order(self.tables[effect])
        due_ms, t = [], 0
        for step in range(1, 101):
            due_ms.append(t * seconds * 1000 / 9950)
            t += nominal_interval(step) if step < 100 else 0
        points = [cell_centre(tile) for tile in range(100)]
        old = {tile: self.px(*points[tile]) for tile in range(100)}

        time.sleep(1)  # page 2 is made ahead meanwhile, as while a presenter speaks
        pressed = now_ms()
        self.app.key("Right")
        seen, polls = {}, []
        deadline = time.monotonic() + seconds + 3
        while len(seen) < 100 and time.monotonic() < deadline:
            fresh = [tile for tile in range(100) if tile not in seen and self.px(*points[tile]) != old[tile]]
            # The pass's end: a tile it found was on screen by then, so that
            # a pass slowed down by a busy machine never makes a tile early.
            t = now_ms() - pressed
            for tile in fresh:
                seen[tile] = t
            if fresh:
                polls.append(fresh)
        self.assertEqual(len(seen), 100, "tiles never shown: %r" % sorted(set(range(100)) - set(seen)))
        # A pass over the cells reads them one by one, so a tile painted
        # during a pass may be found one pass late, never earlier.
        found = {tile: i for i, fresh in enumerate(polls) for tile in fresh}
        wrong = [(order[i] , order[j]) for i in range(100) for j in range(i + 1, 100)
                 if found[order[i]] > found[order[j]] + 1]
        self.assertEqual(wrong[:5], [], "tiles shown before others the effect paints first")
        early = [(step + 1, seen[tile], due_ms[step]) for step, tile in enumerate(order) if seen[tile] < due_ms[step]]
        self.assertEqual(early, [], "tiles shown before their time (step, seen ms, due ms)")
        lateness = sorted((seen[tile] - due_ms[step], step + 1) for step, tile in enumerate(order))
        report("effect %02d over %.1f s: 100 tiles in order, each seen after its time: median %.1f ms, "
               "at most %.1f ms (step %d) later; the first tile %.1f ms after xdotool was started"
               % (effect, seconds, lateness[50][0], *lateness[-1], seen[order[0]]))
        self.assertLess(lateness[50][0], 100, "the transition runs late")
        self.assert_slide((0, 0, W, H), WHITE, GREEN, "page 2 after the transition")

        # Next during a transition finishes it at once; the next press advances.
        self.app.key("Right")
        time.sleep(0.3)
        self.app.key("Right")
        self.assert_slide((240, 0, 1440, H), YELLOW, BLUE, "page 3, finished early")

    def test_a_photo_gone_after_the_check_shows_a_notice_and_the_show_goes_on(self):
        gone = self.file("gone.png")
        shutil.copy(self.file("tall.png"), gone)
        self.present(self.file("deck.pdf"), self.file("wide.jpg"), gone)
        self.assert_slide((0, 0, W, H), YELLOW, RED, "page 1")
        os.remove(gone)
        self.app.key("End")
        self.wait_for(lambda: self.px(960, 540) != RED and self.px(5, 5) == BLACK, "the last slide never came")
        time.sleep(0.3)
        shot = self.server.fb.grab(0, 0, W, H)
        self.assertGreater(shot.count(WHITE), 100, "no notice on the vanished photo's slide")
        self.app.key("Home")
        self.assert_slide((0, 0, W, H), YELLOW, RED, "page 1 after the notice")

    def test_f5_in_the_window_presents_its_two_photos(self):
        tall = self.file("tall.png")
        self.app = App(self.server, [e2e_base.TESSALINE, "--cover", tall, "--source", self.file("wide.jpg")])
        window = self.app.find_window()
        time.sleep(0.5)
        self.app.click(480, 200)  # the title label: the window has the keyboard
        self.app.key("F5")
        self.assert_slide((600, 0, 720, H), YELLOW, CYAN, "the cover, from its own file")
        self.app.key("End")
        self.assert_slide((0, 220, W, 640), YELLOW, PURPLE, "the source")
        self.app.key("Escape")
        self.wait_for(lambda: self.app.visible_windows() == [window], "the show's window stays")

    def test_bad_files_are_refused_before_any_window(self):
        damaged = self.file("damaged.pdf")
        with open(self.file("deck.pdf"), "rb") as f:
            with open(damaged, "wb") as out:
                out.write(f.read()[:300])
        cases = [
            ([damaged], "damaged"),
            ([self.file("deck.pdf"), self.file("missing.jpg")], "no such file"),
            ([self.file("tall.png"), self.file("deck.pdf"), damaged], "damaged"),
        ]
        if shutil.which("qpdf"):
            locked = self.file("locked.pdf")
            subprocess.run(["qpdf", "--encrypt", "user", "owner", "256", "--",
                            self.file("deck.pdf"), locked], check=True)
            cases.append(([locked], "password-protected"))
        for files, reason in cases:
            run = subprocess.run([e2e_base.TESSALINE, "--present", *files], env=self.server.env,
                                 capture_output=True, text=True, timeout=20)
            lines = run.stderr.splitlines()
            self.assertEqual(run.returncode, 1, run.stderr)
            self.assertEqual(len(lines), 1, run.stderr)
            self.assertIn(reason, lines[0])
            self.assertIn(os.path.basename(files[-1]), lines[0])
        # A page of 200 x 200 inches is shown like any other, fitted.
        self.present(self.file("huge.pdf"))
        self.assert_slide((420, 0, H, H), YELLOW, (255, 0, 255), "the 200-inch page")



@unittest.skipUnless(shutil.which("xrandr"), "needs xrandr")
class TwoScreensTest(unittest.TestCase):
    """One X screen split into two monitors side by side, as a laptop and a
    projector: the slides on the one that isn't the primary, the presenter's
    view on the other, and the show moving when the projector goes."""

    def setUp(self):
        self.server = XServer(2 * W, H)
        for name, x in (("LAPTOP", 0), ("PROJECTOR", W)):
            subprocess.run(["xrandr", "--setmonitor", name, "%d/508x%d/286+%d+0" % (W, H, x), "none"],
                           env=self.server.env, check=True)
        self.files = tempfile.mkdtemp(prefix="tessaline-slides-")
        subprocess.run([os.environ["TESSALINE_MAKE_SLIDES"], self.files], check=True,
                       env=dict(self.server.env, QT_QPA_PLATFORM="offscreen"))
        self.app = App(self.server, [e2e_base.TESSALINE, "--present", os.path.join(self.files, "deck.pdf"),
                                     "--duration", "0.3"])

    def tearDown(self):
        self.app.kill()
        self.server.close()
        shutil.rmtree(self.files)

    def colours(self, x0):
        return self.server.fb.grab(x0, 0, W, H).crop(0, 0, W, H).colours()

    def wait_for(self, condition, message, timeout_s=5):
        wait_for(self, condition, message, timeout_s, poll_s=0.05)

    def test_the_presenter_sees_this_slide_and_the_next(self):
        px = self.server.fb.pixel
        self.wait_for(lambda: px(W + 960, 540) == RED and px(W + 5, 5) == YELLOW,
                      "page 1 is not on the projector")
        self.wait_for(lambda: {RED, GREEN} <= self.colours(0), "the laptop does not show page 1 and page 2")
        self.app.find_window()
        self.app.key("Right")
        self.wait_for(lambda: px(W + 960, 540) == GREEN, "page 2 never came to the projector")
        self.wait_for(lambda: {GREEN, BLUE} <= self.colours(0) and RED not in self.colours(0),
                      "the laptop does not show page 2 and page 3")
        # The projector is unplugged: the slides move to the laptop's screen.
        subprocess.run(["xrandr", "--delmonitor", "PROJECTOR"], env=self.server.env, check=True)
        self.wait_for(lambda: px(960, 540) == GREEN and px(5, 5) == WHITE, "the show did not move to the laptop")
        self.assertIsNone(self.app.proc.poll())



@unittest.skipUnless(all(map(shutil.which, ("sway", "grim", "wtype"))), "needs sway, grim and wtype")
class WaylandTest(unittest.TestCase):
    """The show natively on Wayland, under a headless sway at 1920 x 1080."""

    def test_a_show_fills_the_output_and_steps_on(self):
        from wayland import Sway, WaylandApp

        with Sway(W, H) as sway:
            files = tempfile.mkdtemp(prefix="tessaline-slides-")
            try:
                subprocess.run([os.environ["TESSALINE_MAKE_SLIDES"], files], check=True,
                               env=dict(sway.env, QT_QPA_PLATFORM="offscreen"))
                app = WaylandApp(sway, [e2e_base.TESSALINE, "--present", os.path.join(files, "deck.pdf"),
                                        "--duration", "0.5"])
                try:
                    app.find_window()
                    self.assertEqual((app.x, app.y, app.width, app.height), (0, 0, W, H))

                    def shows(fill, frame, box):
                        x, y, w, h = box
                        shot = sway.grab(0, 0, W, H)
                        return (shot.pixel(x + w // 2, y + h // 2) == fill and shot.pixel(x + 2, y + h // 2) == frame
                                and (x == 0 or shot.pixel(x - 3, y + h // 2) == BLACK))

                    deadline = time.monotonic() + 10
                    while not shows(RED, YELLOW, (0, 0, W, H)):
                        self.assertLess(time.monotonic(), deadline, "page 1 never filled the output")
                        time.sleep(0.1)
                    app.key("Right")
                    time.sleep(1)
                    self.assertTrue(shows(GREEN, WHITE, (0, 0, W, H)), "page 2 did not follow")
                    app.key("End")
                    time.sleep(0.5)
                    self.assertTrue(shows(BLUE, YELLOW, (240, 0, 1440, H)), "page 3 is not letterboxed")
                    app.key("Escape")
                    self.assertEqual(app.wait(5), 0)
                finally:
                    app.kill()
            finally:
                shutil.rmtree(files)


if __name__ == "__main__":
    main()
