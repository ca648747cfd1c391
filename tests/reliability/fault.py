#!/usr/bin/env python3
"""The run-time error path from end to end, on tessaline_faulty: pressing the
show button raises "Subscript out of range"; the program shows the error in a
message box titled with its name, waits there until it is dismissed, and then
ends with a non-zero status.

  fault.py BUILD/tests/reliability/tessaline_faulty
"""

import os
import sys
import time

from session import BUTTON, DISPLAY, REACTION_TIMEOUT, Session

ERROR = "Run-time error '9': Subscript out of range"


def message_boxes(server):
    """The message box is a window of its own titled "Tessaline". (Qt's hidden
    client leader window carries the same name, hence only visible ones.)"""
    return server.xdotool("search", "--onlyvisible", "--name", "^Tessaline$", check=False).split()


def main():
    if len(sys.argv) != 2:
        print("usage: %s TESSALINE_FAULTY" % sys.argv[0], file=sys.stderr)
        sys.exit(2)

    with Session(os.path.realpath(sys.argv[1])) as s:
        app = s.app
        s.settle(DISPLAY, "the display never showed a settled picture")

        app.click(*BUTTON)
        boxes = []

        def box_shown():
            boxes[:] = message_boxes(s.server)
            return boxes

        s.expect(box_shown, REACTION_TIMEOUT, "no message box", poll_s=0.1)
        print("message box " + boxes[0], flush=True)
        if ERROR not in app.stderr():
            s.fail("the error was not reported as run-time error 9")

        # The program waits for the box, still there a moment later, and
        # nothing runs under it: a timer tick would fail again and stack a
        # second box.
        time.sleep(1)
        if not app.alive():
            s.fail("the program ended before the box was dismissed")
        count = len(message_boxes(s.server))
        if count != 1:
            s.fail("%d message boxes on screen" % count)
        if sum("Run-time error" in line for line in app.stderr().splitlines()) != 1:
            s.fail("more than one error reported")

        s.server.xdotool("windowfocus", "--sync", boxes[0], "key", "Return")
        status = s.end()
        if status == 0:
            s.fail("the program ended with status 0 after a run-time error")
    print("PASS: the run-time error was shown and ended the program with status %d" % status)


if __name__ == "__main__":
    main()
