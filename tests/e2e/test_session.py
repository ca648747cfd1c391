"""A person's session on a real X server: choosing an effect, the reveal seen
tile by tile, the dot burst, both together, and closing the window."""

import time

from e2e_base import SessionTest, main, report
from reveal_checks import check_reveal, watch_reveal
from tessaline_view import (
    BACKGROUND,
    CONTROLS,
    PALETTE,
    WINDOW_SIZE,
    DotDetector,
    background_points,
    burst_growth,
    list_selection,
    nominal_interval,
    read_effect_tables,
    watch_burst,
)
from xdisplay import now_ms

TABLES = read_effect_tables()


# A spot of bare background at the window's right edge, clear of every control.
BACKGROUND_SPOT = (WINDOW_SIZE[0] - 5, 100)


class SessionTestCase(SessionTest):
    def test_chosenEffectIsRevealedTileByTileInTheTablesOrder(self):
        app = self.app
        lx, ly, _, _ = CONTROLS["List1"]
        top, height = list_selection(app)

        # "02" with the mouse, then "03" with the keyboard.
        app.click(lx + 15, top + height + height // 2)
        self.wait_for(lambda: list_selection(app) == (top + height, height), '"02" is not highlighted')
        app.key("Down")
        self.wait_for(lambda: list_selection(app) == (top + 2 * height, height), '"03" is not highlighted')

        enabled_face = self.button_face()
        greyed = []

        def look_at_button(t, record):
            if len(record.seen) == 50 and not greyed:
                greyed.append(self.button_face())

        watcher, record = watch_reveal(self, app, on_poll=look_at_button)
        check_reveal(self, record, watcher, TABLES, 3, "reveal")

        self.assertTrue(greyed and greyed[0] != enabled_face, "the button was not greyed during the run")
        self.assertIn((128, 128, 128), greyed[0].colours(), "no grey caption during the run")
        self.wait_until_still(app)
        self.assertEqual(self.button_face(), enabled_face, "the button is not enabled again")
        self.close_and_expect_clean_exit()

    def test_backgroundClickSpraysDotsAndClearsThem(self):
        app = self.app
        # The first click makes the window active, and the photo that has the
        # keyboard shows its focus frame: the burst must leave that picture.
        x, y, w, h = CONTROLS["Label1(0)"]
        app.click(x + 4, y + h // 2)
        time.sleep(0.2)
        before, frames, (first_dots, cleared) = watch_burst(app, lambda: app.click(*BACKGROUND_SPOT, wait=False))
        self.assertTrue(frames, "no dots appeared")
        self.assertIsNotNone(cleared, "the dots never went")
        self.assertEqual(app.grab(), before, "the window did not come back clean")

        allowed = set(PALETTE) | {BACKGROUND}
        points = background_points(step=1)
        controls = {name: before.crop(*rect) for name, rect in CONTROLS.items()}
        for _, shot in frames:
            for name, rect in CONTROLS.items():
                self.assertEqual(shot.crop(*rect), controls[name], name + " changed during the burst")
            stray = {shot.pixel(x, y) for x, y in points} - allowed
            self.assertEqual(stray, set(), "colours outside the palette on the background")

        # A person sees the spray grow: every state keeps the dots of the one
        # before, for a good part of a second, and the complete spray stays up
        # for about a refresh; once the wipe has begun, states only lose dots.
        dotted, wipe, wiped = burst_growth(before, frames, cleared)
        for k in range(wipe + 1, len(dotted)):
            self.assertTrue(dotted[k] <= dotted[k - 1], "dots came back during the wipe")
        complete_for = wiped - frames[wipe - 1][0]
        report(
            "burst: %d growing states on screen, dots visible for %.1f ms, the complete spray for %.1f ms"
            % (wipe, wiped - first_dots, complete_for)
        )
        self.assertGreaterEqual(wipe, 15, "too few states of the spray were seen")
        self.assertGreaterEqual(wiped - first_dots, 300, "the spray was not up long enough to be seen")
        self.assertGreaterEqual(complete_for, 12, "the complete spray vanished at once")
        self.close_and_expect_clean_exit()

    def test_burstDuringARevealPausesItUntilTheNextStep(self):
        app = self.app
        detector = DotDetector(app)
        # Per try: [step, next tick due, click sent, first dots seen, cleared seen]
        attempts = []
        lag = [2.5]  # from our click to the first dots on screen, learnt as we go
        bx, by, bw, bh = CONTROLS["Command2"]
        sx, sy = BACKGROUND_SPOT

        def start():
            # Press the button, then rest the pointer on the background, ready.
            self.server.xdotool("mousemove", app.x + bx + bw // 2, app.y + by + bh // 2)
            self.server.xdotool_async("click", 1, "mousemove", app.x + sx, app.y + sy)

        def aim(t, record):
            step = len(record.seen)
            current = attempts[-1] if attempts else None
            if current and current[4] is None:
                if current[2] is None:
                    # Let the burst's first dots show just before the next
                    # tick is due, so that the tick falls within the burst.
                    if t >= current[1] - 1.5 - lag[0]:
                        self.server.x.click()
                        current[2] = now_ms()
                    return
                visible = detector.dots_visible()
                if visible and current[3] is None:
                    current[3] = t
                    lag[0] = 0.5 * lag[0] + 0.5 * (t - current[2])
                elif not visible and current[3] is not None:
                    current[4] = t
                elif t - current[2] > 1000:
                    current[4] = -1  # the click went astray
            elif 2 <= step <= 97 and (not current or t - current[2] > 700):
                # Clicks well apart, or the second would be a double click.
                due = record.seen[-1][1] + nominal_interval(step)
                attempts.append([step, due, None, None, None])

        watcher, record = watch_reveal(self, app, start=start, on_poll=aim)
        check_reveal(self, record, watcher, TABLES, 1, "reveal with bursts")

        times = {s + 1: q for s, (_, q, _, _) in enumerate(record.seen)}
        overlapped = []
        for step, due, _, first_dots, cleared in attempts:
            if first_dots is None or cleared is None or cleared < 0:
                continue
            # The next tick fell due while dots were on screen (its countdown
            # started up to a millisecond after the tile showed): the burst
            # held it.
            if first_dots < due and due + 1 < cleared - 0.5:
                resumed = times[step + 1]
                self.assertGreaterEqual(resumed, cleared - 1, "step %d came during the burst" % (step + 1))
                self.assertLess(resumed - cleared, 20, "step %d came %.1f ms after the burst" % (step + 1, resumed - cleared))
                overlapped.append((step + 1, round(cleared - due, 1), round(resumed - due, 1)))
        report("bursts that held a tick (step, burst end after due ms, tile after due ms): %r of %d tries" % (overlapped, len(attempts)))
        self.assertTrue(overlapped, "no burst overlapped a tick: %r" % attempts)
        self.close_and_expect_clean_exit()

    def test_closingInTheMiddleOfARevealEndsAtOnce(self):
        closed = []

        def close_midway(t, record):
            if len(record.seen) >= 30:
                closed.append(self.close_and_expect_clean_exit())
                return True

        watch_reveal(self, self.app, on_poll=close_midway)
        self.assertTrue(closed, "the reveal never got to step 30")
        report("closed at step 30 of a reveal: ended after %.1f ms" % closed[0])

    def test_closingInTheMiddleOfABurstEndsAtOnce(self):
        for attempt in range(5):
            app = self.app if attempt == 0 else self.start_app()
            self.app = app
            detector = DotDetector(app)
            app.click(*BACKGROUND_SPOT, wait=False)
            deadline = time.monotonic() + 2
            while not detector.dots_visible() and time.monotonic() < deadline:
                pass
            self.assertTrue(detector.dots_visible(), "no burst")
            t0 = now_ms()
            app.close_window()
            midway = detector.dots_visible()  # the burst had not finished yet
            status = app.wait(10)
            took = now_ms() - t0
            self.assertEqual(status, 0, app.stderr())
            self.assertEqual(app.stderr(), "")
            self.assertLess(took, 1000)
            if midway:
                report("closed during a burst: ended after %.1f ms (attempt %d)" % (took, attempt + 1))
                return
        self.fail("the close never arrived while a burst was on screen")


if __name__ == "__main__":
    main()
