#!/usr/bin/env python3
"""A short session as a person has it: start, one full reveal, one dot burst,
close. Passes when every step shows on screen and the program ends by itself
with status 0 and nothing on its standard error from a sanitizer or checker.

  session.py BINARY [WRAPPER...]
  session.py build-asan/app/tessaline
  session.py build/app/tessaline valgrind --error-exitcode=99 ...

fault.py starts its program the same way, with Session. Waits are generous
because the same session runs under Valgrind, many times slower than native;
each wait ends as soon as what it waits for shows.
"""

import os
import re
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))

from tessaline_view import CONTROLS, DISPLAY, WINDOW_SIZE  # noqa: E402
from xdisplay import App, XServer  # noqa: E402

SLOW_TIMEOUT = 600  # start-up, a whole reveal, the end
REACTION_TIMEOUT = 60  # from a click to the first sign of it on screen
POLL_S = 0.005

# Where things are in the window, in pixels of its client area.
_x, _y, _w, _h = CONTROLS["Command2"]
BUTTON = (_x + _w // 2, _y + _h // 2)  # middle of the show button
BACKGROUND = (3, 3)  # bare form, no control
_, _y, _, _h = CONTROLS["Text1"]
BOTTOM_STRIP = (0, _y + _h, WINDOW_SIZE[0], WINDOW_SIZE[1] - _y - _h)  # below the description

CHECKER_REPORT = re.compile(r"ERROR: [A-Za-z]+Sanitizer|runtime error:|ERROR SUMMARY: [1-9]")


class Session:
    """The program, under the wrapper if any, on an X server of its own, with
    its window found. A failed check ends the script with status 1."""

    def __init__(self, binary, wrapper=(), extra_env=None):
        self.server, self.app = XServer(), None
        try:
            self.server.park_pointer()  # away from every region the checks watch
            env = {"QT_ENABLE_HIGHDPI_SCALING": "0", **(extra_env or {})}
            self.app = App(self.server, [*wrapper, binary], env)
            try:
                self.app.find_window(SLOW_TIMEOUT)
            except RuntimeError as e:
                self.fail(str(e))
            size = (self.app.width, self.app.height)
            if size != WINDOW_SIZE:
                self.fail("window is %dx%d, not %dx%d" % (*size, *WINDOW_SIZE))
        except BaseException:
            self.close()
            raise

    def fail(self, message):
        print("FAIL: " + message, file=sys.stderr)
        if self.app and self.app.stderr():
            print("--- the program's standard error:", file=sys.stderr)
            print(self.app.stderr(), end="", file=sys.stderr)
        sys.exit(1)

    def expect(self, condition, timeout, failure, poll_s=POLL_S):
        """Polls condition() until it holds; fails with `failure` when timeout
        seconds pass or the program ends first."""
        deadline = time.monotonic() + timeout
        while not condition():
            if not self.app.alive():
                self.fail(failure + ": the program ended")
            if time.monotonic() > deadline:
                self.fail("%s in %d s" % (failure, timeout))
            time.sleep(poll_s)

    def settle(self, rect, failure):
        """Waits until the rectangle shows more than one colour and has not
        changed for a second (the window has painted); what it shows then."""
        last, since, varied = None, 0.0, False

        def settled():
            nonlocal last, since, varied
            shot = self.app.grab(*rect)
            if shot != last:
                last, since, varied = shot, time.monotonic(), len(shot.colours()) > 1
                return False
            return varied and time.monotonic() - since >= 1.0

        self.expect(settled, SLOW_TIMEOUT, failure)
        return last

    def click_and_see(self, point, rect, failure):
        """A left click at a point of the window, after which the window must
        draw into the rectangle."""
        with self.app.watch_drawing() as drawing:
            self.app.click(*point)
            self.expect(lambda: drawing.drawn_into(*rect), REACTION_TIMEOUT, failure)

    def end(self):
        """Waits for the program to end by itself; its exit status."""
        try:
            return self.app.wait(SLOW_TIMEOUT)
        except subprocess.TimeoutExpired:
            self.fail("the program did not end in %d s" % SLOW_TIMEOUT)

    def close(self):
        if self.app:
            self.app.kill()
        self.server.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def main():
    if len(sys.argv) < 2:
        print("usage: %s BINARY [WRAPPER...]" % sys.argv[0], file=sys.stderr)
        sys.exit(2)
    binary, wrapper = os.path.realpath(sys.argv[1]), sys.argv[2:]
    # A sanitizer build reports leaks at exit; the libraries' own are suppressed.
    suppressions = os.path.normpath(os.path.join(HERE, "..", "sanitizers", "lsan.supp"))
    lsan = os.environ.get("LSAN_OPTIONS") or "suppressions=%s:print_suppressions=0" % suppressions

    with Session(binary, wrapper, {"LSAN_OPTIONS": lsan}) as s:
        app = s.app
        print("window %d at %d,%d" % (app.window, app.x, app.y), flush=True)
        cover = s.settle(DISPLAY, "the display never showed a settled picture")

        s.click_and_see(BUTTON, DISPLAY, "the reveal did not start")
        started = time.monotonic()
        s.expect(
            lambda: app.grab(*DISPLAY) == cover, SLOW_TIMEOUT, "the reveal did not end on the cover"
        )
        print("reveal done in about %d s" % (time.monotonic() - started), flush=True)

        # The dots are gone again within a millisecond: only the server's
        # damage reports can show they were drawn.
        background = app.grab(*BOTTOM_STRIP)
        s.click_and_see(BACKGROUND, BOTTOM_STRIP, "no dots appeared")
        s.expect(
            lambda: app.grab(*BOTTOM_STRIP) == background, SLOW_TIMEOUT, "the dots did not clear"
        )
        print("burst done", flush=True)

        app.close_window()
        status = s.end()
        if CHECKER_REPORT.search(app.stderr()):
            s.fail("a report on standard error")
        if status != 0:
            s.fail("the program ended with status %d" % status)
    under = " under " + wrapper[0] if wrapper else ""
    print("PASS: session of %s%s" % (os.path.basename(binary), under))


if __name__ == "__main__":
    main()
