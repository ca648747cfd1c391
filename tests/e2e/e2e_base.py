"""Shared set-up of the end-to-end tests: one X server per test class, one
fresh program per test, and the checks every session ends with."""

import os
import sys
import time
import unittest

from tessaline_view import CONTROLS, WINDOW_SIZE
from xdisplay import App, XServer, now_ms

TESSALINE = os.environ.get("TESSALINE", "")


def main():
    """Runs the test module: `python3 test_x.py /path/to/tessaline [unittest args]`."""
    global TESSALINE
    if len(sys.argv) > 1 and not sys.argv[1].startswith("-"):
        TESSALINE = os.path.abspath(sys.argv.pop(1))
    if not TESSALINE or not os.access(TESSALINE, os.X_OK):
        sys.exit("usage: %s /path/to/tessaline [unittest options]" % sys.argv[0])
    unittest.main(verbosity=2)


def report(*args):
    """Figures worth seeing in the CTest log, whatever the outcome."""
    print(*args, file=sys.stderr, flush=True)


def wait_for(test, condition, message, timeout_s, poll_s=0.005):
    """Polls until `condition()` holds, or fails `test` with `message`."""
    deadline = time.monotonic() + timeout_s
    while not condition():
        if time.monotonic() > deadline:
            test.fail(message)
        time.sleep(poll_s)


class SessionTest(unittest.TestCase):
    """Every test starts its own program on the class's private X server."""

    @classmethod
    def setUpClass(cls):
        cls.server = XServer()

    @classmethod
    def tearDownClass(cls):
        cls.server.close()

    def setUp(self):
        self.server.park_pointer()
        self.app = self.start_app()

    def tearDown(self):
        # Kept for the report of a failure: what the window showed at the end.
        self.last_shot = self.app.grab() if self.app.window else None
        self.app.kill()

    def run(self, result=None):
        failed_before = len(result.failures) + len(result.errors) if result else 0
        outcome = super().run(result)
        shot = getattr(self, "last_shot", None)
        if result and shot and len(result.failures) + len(result.errors) > failed_before:
            path = os.path.abspath("%s.ppm" % self.id())
            shot.save_ppm(path)
            report("the window at the end of the failed test: " + path)
        return outcome

    def start_app(self, extra_env=None):
        app = App(self.server, [TESSALINE], extra_env)
        app.find_window()
        self.assertEqual((app.width, app.height), WINDOW_SIZE)
        self.wait_until_still(app)
        return app

    def wait_for(self, condition, message, timeout_s=3):
        """Polls until `condition()` holds: input takes a moment to show."""
        wait_for(self, condition, message, timeout_s)

    def wait_until_still(self, app, quiet_ms=150, timeout_s=10):
        """Waits until the window has looked the same for `quiet_ms`."""
        deadline = time.monotonic() + timeout_s
        last, since = None, now_ms()
        while time.monotonic() < deadline:
            shot = app.grab()
            if shot != last:
                last, since = shot, now_ms()
            elif now_ms() - since >= quiet_ms:
                return shot
            time.sleep(0.01)
        self.fail("the window never came to rest")

    def button_face(self, app=None):
        """The inside of the show button, clear of its bevel and focus frame."""
        x, y, w, h = CONTROLS["Command2"]
        return (app or self.app).grab(x + 6, y + 6, w - 12, h - 12)

    def close_and_expect_clean_exit(self, app=None, within_ms=1000):
        """Closes the window as the close box would; the program must end at
        once with status 0 and must have printed nothing."""
        app = app or self.app
        t0 = now_ms()
        app.close_window()
        status = app.wait(10)
        took = now_ms() - t0
        self.assertEqual(status, 0, app.stderr())
        self.assertLess(took, within_ms, "the program took %.0f ms to end" % took)
        self.assertEqual(app.stderr(), "", "the program printed on stderr")
        return took
