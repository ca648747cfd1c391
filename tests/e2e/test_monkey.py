"""Hostile use: a minute of random clicks, double clicks, drags and keys
inside the window. The program must live through it without a run-time error,
and a full reveal must still come out right afterwards."""

import os
import random
import time

from e2e_base import SessionTest, main, report
from reveal_checks import check_reveal, select_effect, watch_reveal
from tessaline_view import DISPLAY, WINDOW_SIZE, read_effect_tables
from xdisplay import now_ms

TABLES = read_effect_tables()

SEED = int(os.environ.get("TESSALINE_MONKEY_SEED", "1964"))
DURATION_S = float(os.environ.get("TESSALINE_MONKEY_SECONDS", "55"))

# Everything a person might press, except what is meant to close the window.
KEYS = [
    "Tab", "shift+Tab", "Up", "Down", "Left", "Right", "Page_Up", "Page_Down",
    "Home", "End", "Return", "KP_Enter", "space", "Escape", "BackSpace",
    "Delete", "a", "z", "1", "9", "ctrl+a", "ctrl+c", "ctrl+v", "ctrl+z",
    "shift+Down", "shift+End", "F1", "F10", "Menu", "alt+a",
]  # fmt: skip


class MonkeyTest(SessionTest):
    def test_randomUseLeavesTheProgramWorking(self):
        app = self.app
        rng = random.Random(SEED)
        w, h = WINDOW_SIZE
        enabled_face = self.button_face()
        # The display's picture inside its focus frame, which shows or not
        # depending on where the random keys leave the keyboard.
        dx, dy, dw, dh = DISPLAY
        dx, dy, dw, dh = dx + 3, dy + 3, dw - 6, dh - 6
        cover = app.grab(dx, dy, dw, dh)

        def spot():
            return rng.randrange(w), rng.randrange(h)

        counts = {}
        t_end = time.monotonic() + DURATION_S
        actions = 0
        while time.monotonic() < t_end:
            kind = rng.choices(
                ["click", "double", "right", "wheel", "drag", "key"],
                weights=[35, 10, 3, 5, 12, 35],
            )[0]
            counts[kind] = counts.get(kind, 0) + 1
            if kind == "click":
                app.click(*spot(), park=False)
            elif kind == "double":
                app.click(*spot(), repeat=2, park=False)
            elif kind == "right":
                app.click(*spot(), button=3, park=False)
            elif kind == "wheel":
                app.click(*spot(), button=rng.choice([4, 5]), park=False)
            elif kind == "drag":
                app.drag(*spot(), *spot(), park=False)
            else:
                app.key(rng.choice(KEYS))
            actions += 1
            if actions % 10 == 0:
                self.assertTrue(app.alive(), "the program died after %d actions" % actions)
                self.assertEqual(app.stderr(), "", "the program printed after %d actions" % actions)
            time.sleep(rng.uniform(0, 0.12))

        self.assertTrue(app.alive(), "the program died")
        self.assertEqual(app.stderr(), "")
        report("monkey: %d actions in %.0f s with seed %d: %r" % (actions, DURATION_S, SEED, counts))

        # Close any menu the right clicks opened, and let a running reveal end.
        self.server.park_pointer()
        app.key("Escape")
        app.key("Escape")
        deadline = now_ms() + 15000
        while now_ms() < deadline and (self.button_face() != enabled_face or len(app.visible_windows()) != 1):
            time.sleep(0.05)
        self.assertEqual(app.visible_windows(), [app.window], "a window besides the main one is open")
        self.assertEqual(self.button_face(), enabled_face, "the button never came back")
        self.wait_until_still(app)
        self.assertEqual(app.grab(dx, dy, dw, dh), cover, "the display is not back on the cover")

        select_effect(self, app, 18)
        watcher, record = watch_reveal(self, app)
        check_reveal(self, record, watcher, TABLES, 18, "reveal after the monkey")
        self.close_and_expect_clean_exit()


if __name__ == "__main__":
    main()
