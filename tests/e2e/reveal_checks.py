"""Checks of a reveal followed on screen, shared by the session, monkey and
load tests."""

import time

from e2e_base import report
from tessaline_view import CONTROLS, RevealWatcher, list_selection, tile_order, tile_rect


def select_effect(test, app, number):
    """Selects effect `number` as a person would: a click on "01" at the top
    of the list (Home puts it there, whatever was scrolled), then Down."""
    lx, ly, _, _ = CONTROLS["List1"]
    app.click(lx + 15, ly + 8)
    app.key("Home")
    test.wait_for(lambda: (list_selection(app) or (0,))[0] <= ly + 4, '"01" is not highlighted')
    top0, height = list_selection(app)
    for _ in range(number - 1):
        app.key("Down")
    if number <= 7:  # still in view without scrolling
        expected = (top0 + (number - 1) * height, height)
        test.wait_for(lambda: list_selection(app) == expected, "effect %02d is not highlighted" % number)
    else:
        time.sleep(0.2)  # the reveal's tile order will tell whether it is the right one


def press_button(app):
    x, y, w, h = CONTROLS["Command2"]
    return app.click(x + w // 2, y + h // 2, wait=False)


def check_reveal(test, record, watcher, tables, effect, label):
    """The tiles came in the table's order, the display ended on the cover,
    and no step came sooner than its interval. Returns the timing summary."""
    expected = tile_order(tables[effect])
    seen = record.tiles()
    test.assertIsNotNone(record.restored, "%s: the cover never came back; tiles seen %r" % (label, seen))
    # The last tile may be on screen too briefly for any poll to catch it.
    test.assertIn(len(seen), (99, 100), "%s: %d tiles seen" % (label, len(seen)))
    position = 0
    for tiles in record.polls():
        wanted = expected[position : position + len(tiles)]
        test.assertEqual(
            sorted(tiles), sorted(wanted), "%s: steps %d on show tiles %r, not the table's %r" % (label, position + 1, tiles, wanted)
        )
        position += len(tiles)

    # Once 99 tiles are in, the display is the source photo except the last
    # tile, still the cover: no gap, no overlap, no stray pixel.
    test.assertIsNotNone(record.before_last)
    count, image = record.before_last
    lx, ly, lw, lh = tile_rect(expected[99]) if count == 99 else (0, 0, 0, 0)
    wrong = []
    for x, y in image.differing(watcher.source):
        if not (lx <= x < lx + lw and ly <= y < ly + lh) or image.raw(x, y) != watcher.cover.raw(x, y):
            wrong.append((x, y))
    test.assertEqual(wrong[:5], [], "%s: %d display pixels wrong before the last step" % (label, len(wrong)))
    test.assertTrue(watcher.display_shows_cover(), "%s: the display does not end on the cover" % label)

    summary = record.summary()
    report(
        "%s: effect %02d, %d tiles seen in order (last tile %s); polled every %.3f ms "
        "(median), %.3f ms at worst; step interval error median %.3f ms, max %.3f ms, "
        "lateness median %.3f ms, max %.3f ms; whole run %.1f ms"
        % (
            label,
            effect,
            len(seen),
            "seen" if summary["last_tile_seen"] else "replaced before a poll",
            summary["poll_median_ms"],
            summary["poll_max_ms"],
            summary["median_abs_error_ms"],
            summary["max_abs_error_ms"],
            summary["median_late_ms"],
            summary["max_late_ms"],
            summary["run_ms"],
        )
    )
    # Early only if even the most generous reading of the polls makes it so.
    if summary["early"]:
        around = {s for e in summary["early"] for s in range(e[0] - 2, e[0] + 3)}
        context = [(s, n, round(m - n, 3)) for s, n, m, _ in record.intervals() if s in around]
        test.fail(
            "%s: steps sooner than their interval (step, nominal, seen, at most): %r; "
            "errors around them (step, nominal, error): %r" % (label, summary["early"], context)
        )
    return summary


def watch_reveal(test, app, start=None, **kwargs):
    """Follows one reveal from the press of the button to the cover's return."""
    watcher = RevealWatcher(app)
    record = watcher.watch(start=start or (lambda: press_button(app)), **kwargs)
    return watcher, record
