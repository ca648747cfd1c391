"""What the tessaline window looks like from outside, and how to follow a reveal.

Positions are window pixels at 96 dpi: the window's twips layout divided by
15, each edge rounded to the nearest pixel, as the program places its controls.
"""

import os
import statistics
import time

from xdisplay import now_ms

WINDOW_SIZE = (499, 378)


def to_pixels(twips):
    """Twips to pixels, halves away from zero (all our positions are positive)."""
    return int(twips / 15 + 0.5)


def _rect(left, top, width, height):
    x0, y0 = to_pixels(left), to_pixels(top)
    return (x0, y0, to_pixels(left + width) - x0, to_pixels(top + height) - y0)


CONTROLS = {
    "Text1": _rect(120, 3360, 7215, 2175),
    "Command2": _rect(3240, 2880, 975, 375),
    "List1": _rect(3360, 840, 735, 2055),
    "Picture1(1)": _rect(4320, 480, 3000, 2800),
    "Picture1(0)": _rect(120, 480, 3000, 2800),
    "Label1(1)": _rect(3240, 480, 975, 375),
    "Label1(0)": _rect(840, 0, 5775, 375),
}

BACKGROUND = (192, 192, 255)
LABEL = (255, 192, 128)
BUTTON = (255, 128, 128)

PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128),
    (128, 0, 0), (128, 0, 128), (128, 128, 0), (192, 192, 192),
    (128, 128, 128), (0, 0, 255), (0, 255, 0), (0, 255, 255),
    (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255),
]  # fmt: skip

# A picture box's sunken border is two pixels wide; inside it the picture sits
# at its natural size, clipped.
BORDER = 2


def inner(name):
    x, y, w, h = CONTROLS[name]
    return (x + BORDER, y + BORDER, w - 2 * BORDER, h - 2 * BORDER)


DISPLAY = inner("Picture1(1)")
SOURCE = inner("Picture1(0)")


def tile_rect(tile):
    """Tile i of the 10 x 10 grid in display pixels: 300 x 280 twips each,
    edges rounded, the last row and column cut at the display's inner edge."""
    column, row = tile % 10, tile // 10
    x0, x1 = to_pixels(column * 300), to_pixels((column + 1) * 300)
    y0, y1 = to_pixels(row * 280), to_pixels((row + 1) * 280)
    return (x0, y0, min(x1, DISPLAY[2]) - x0, min(y1, DISPLAY[3]) - y0)


def nominal_interval(step):
    """Milliseconds from the tile of `step` to the tile of `step + 1`."""
    return 50 + 2 * step if step <= 50 else 250 - 2 * step


NOMINAL_RUN_MS = sum(nominal_interval(s) for s in range(1, 100))  # 9950


def in_rect(x, y, rect):
    rx, ry, rw, rh = rect
    return rx <= x < rx + rw and ry <= y < ry + rh


def background_points(step=1):
    """Window pixels that belong to no control: where the dots may go."""
    w, h = WINDOW_SIZE
    return [
        (x, y)
        for y in range(0, h, step)
        for x in range(0, w, step)
        if not any(in_rect(x, y, r) for r in CONTROLS.values())
    ]


def default_effects_path():
    here = os.path.dirname(os.path.abspath(__file__))
    return os.path.join(here, "..", "..", "resources", "effects.txt")


def read_effect_tables(path=None):
    """{effect number: [100 entry texts]} from the readable table file."""
    tables, current = {}, None
    with open(path or default_effects_path(), encoding="utf-8") as f:
        for line in f.read().split("\n"):
            line = line.rstrip("\r")
            if not line or line.startswith("#"):
                continue
            if line.startswith("effect "):
                current = tables.setdefault(int(line[7:]), [])
                continue
            current.extend(line.split("\t"))
    return tables


def _lenient(text):
    digits = "".join(text.split())
    try:
        return float(digits)
    except ValueError:
        return None


def tile_order(entries):
    """The tile each step 1..100 paints: the last entry naming the step wins,
    and a step no entry names paints the top-left tile."""
    order = []
    for step in range(1, 101):
        tile = 0
        for i, entry in enumerate(entries):
            if _lenient(entry) == step:
                tile = i
        order.append(tile)
    return order


def list_selection(app):
    """The list's highlighted rows: (top, height) of the highlight band in
    window pixels, found as the rows where the list's selection colour
    dominates. None while nothing is highlighted."""
    x, y, w, h = CONTROLS["List1"]
    area = app.grab(x + 2, y + 2, w - 20, h - 4)
    counts = {}
    for row in area.rows:
        for i in range(0, len(row), 4):
            counts[row[i : i + 3]] = counts.get(row[i : i + 3], 0) + 1
    # The highlight is the most frequent strongly coloured (blue-ish) colour.
    candidates = [c for c in counts if c[0] > c[2] + 60]  # bytes are B, G, R
    if not candidates:
        return None
    colour = max(candidates, key=counts.get)
    rows = [
        r for r, row in enumerate(area.rows)
        if sum(row[i : i + 3] == colour for i in range(0, len(row), 4)) > area.width // 3
    ]  # fmt: skip
    if not rows:
        return None
    return (y + 2 + rows[0], rows[-1] - rows[0] + 1)


class RevealRecord:
    def __init__(self):
        # (tile, start of the first poll that saw it, start of the poll before,
        # end of the poll that saw it), in ms: it appeared after the third
        # value and before the fourth.
        self.seen = []
        self.restored = None  # the same three times for the cover's return
        # (tiles seen, the display's image) once 99 or more tiles were seen
        self.before_last = None
        self.poll_gaps = []
        self.started = None

    def tiles(self):
        return [t for t, _, _, _ in self.seen]

    def polls(self):
        """The tiles seen, grouped by the poll that first saw them: within one
        poll the order they were painted in is unknowable."""
        groups = []
        for tile, q, _, _ in self.seen:
            if groups and groups[-1][0] == q:
                groups[-1][1].append(tile)
            else:
                groups.append((q, [tile]))
        return [tiles for _, tiles in groups]

    def step_times(self):
        """(seen, poll before, seen by) for steps 1..100. The last tile is on screen only
        for an instant before the cover comes back; when no poll caught it,
        the cover's return stands for it (it follows in the same handler)."""
        times = [(q, p, e) for _, q, p, e in self.seen]
        if len(times) == 99 and self.restored:
            times.append(self.restored)
        return times

    def intervals(self):
        """[(step, nominal, measured, upper bound)] for steps 1..99, in ms.
        The upper bound allows for the polls on both sides."""
        times = self.step_times()
        out = []
        for s in range(1, len(times)):
            (q0, p0, _), (q1, _, e1) = times[s - 1], times[s]
            out.append((s, nominal_interval(s), q1 - q0, e1 - p0))
        return out

    def interval_bounds(self):
        """[(step, nominal, shortest, longest)]: what each interval can have
        been, given when the polls on either side of each tile ran."""
        times = self.step_times()
        out = []
        for s in range(1, len(times)):
            (_, p0, e0), (_, p1, e1) = times[s - 1], times[s]
            out.append((s, nominal_interval(s), p1 - e0, e1 - p0))
        return out

    def summary(self):
        ivs = self.intervals()
        errors = [m - n for _, n, m, _ in ivs]
        times = self.step_times()
        gaps = sorted(self.poll_gaps)
        return {
            "intervals": len(ivs),
            "median_abs_error_ms": statistics.median(abs(e) for e in errors) if errors else None,
            "max_abs_error_ms": max(abs(e) for e in errors) if errors else None,
            "median_late_ms": statistics.median(errors) if errors else None,
            "max_late_ms": max(errors) if errors else None,
            "min_error_ms": min(errors) if errors else None,
            "early": [(s, n, round(m, 3), round(u, 3)) for s, n, m, u in ivs if u < n],
            "run_ms": times[-1][0] - times[0][0] if len(times) == 100 else None,
            "poll_median_ms": gaps[len(gaps) // 2] if gaps else None,
            "poll_max_ms": gaps[-1] if gaps else None,
            "last_tile_seen": len(self.seen) == 100,
        }


class RevealWatcher:
    """Follows a reveal on the display by polling the framebuffer.

    For each tile a few pixels are chosen where the source photo and the cover
    differ most; a tile counts as painted when all of them show the source.
    """

    SAMPLES = 6

    def __init__(self, app):
        self.app = app
        self.fb = app.server.fb
        dx, dy, dw, dh = DISPLAY
        sx, sy, _, _ = SOURCE
        self.cover = app.grab(dx, dy, dw, dh)
        self.source = app.grab(sx, sy, dw, dh)
        self.samples = []
        for tile in range(100):
            tx, ty, tw, th = tile_rect(tile)
            scored = []
            for y in range(ty + 1, ty + th - 1):
                for x in range(tx + 1, tx + tw - 1):
                    a, b = self.cover.pixel(x, y), self.source.pixel(x, y)
                    scored.append((sum(abs(i - j) for i, j in zip(a, b)), x, y))
            scored.sort(reverse=True)
            picked = [(x, y) for d, x, y in scored[: self.SAMPLES] if d > 24]
            if len(picked) < 3:
                raise AssertionError("tile %d: source and cover look alike" % tile)
            self.samples.append(
                [
                    (
                        self.fb.offset(app.x + dx + x, app.y + dy + y),
                        self.source.raw(x, y),
                        self.cover.raw(x, y),
                    )
                    for x, y in picked
                ]
            )

    def display_shows_cover(self):
        dx, dy, dw, dh = DISPLAY
        return self.app.grab(dx, dy, dw, dh) == self.cover

    def watch(self, start=None, timeout_s=30, poll_sleep_s=0.0001, on_poll=None):
        """Polls until the display shows the cover again after tiles were
        painted, or until the timeout. `start` runs right before the first
        poll (it should press the button); `on_poll(t, record)` runs after
        each poll and ends the watch by returning True."""
        mem = self.fb.mem
        record = RevealRecord()
        pending = set(range(100))
        first_tile = None
        record.started = now_ms()
        if start:
            start()
        previous = record.started
        deadline = time.monotonic() + timeout_s
        while time.monotonic() < deadline:
            t = now_ms()
            record.poll_gaps.append(t - previous)
            found = []
            for tile in pending:
                samples = self.samples[tile]
                off, src, _ = samples[0]
                if mem[off : off + 3] == src and all(
                    mem[o : o + 3] == s for o, s, _ in samples[1:]
                ):
                    found.append(tile)
            scanned = now_ms()
            # Several tiles in one poll: order them as painted is unknowable,
            # so record them as they come and let the order check complain.
            for tile in sorted(found):
                pending.discard(tile)
                record.seen.append((tile, t, previous, scanned))
                if first_tile is None:
                    first_tile = tile
            if found and len(record.seen) >= 99 and record.before_last is None:
                dx, dy, dw, dh = DISPLAY
                record.before_last = (len(record.seen), self.app.grab(dx, dy, dw, dh))
            if first_tile is not None:
                off, _, cov = self.samples[first_tile][0]
                if mem[off : off + 3] == cov and self.display_shows_cover():
                    record.restored = (t, previous, now_ms())
                    break
            if on_poll and on_poll(t, record):
                break
            previous = t
            if poll_sleep_s:
                time.sleep(poll_sleep_s)
        return record


def background_spans():
    """(y, x0, x1) runs of window pixels that belong to no control."""
    w, h = WINDOW_SIZE
    spans = []
    for y in range(h):
        x = 0
        while x < w:
            if any(in_rect(x, y, r) for r in CONTROLS.values()):
                x += 1
                continue
            x0 = x
            while x < w and not any(in_rect(x, y, r) for r in CONTROLS.values()):
                x += 1
            spans.append((y, x0, x))
    return spans


class DotDetector:
    """Tells, cheaply enough to run between two polls, whether anything is
    drawn on the window's background."""

    def __init__(self, app):
        fb = app.server.fb
        self.mem = fb.mem
        self.spans = []
        for y, x0, x1 in background_spans():
            off = fb.offset(app.x + x0, app.y + y)
            self.spans.append((off, off + 4 * (x1 - x0), self.mem[off : off + 4 * (x1 - x0)]))

    def dots_visible(self):
        mem = self.mem
        return any(mem[a:b] != idle for a, b, idle in self.spans)


def watch_burst(app, click, timeout_s=5):
    """Follows a burst from outside: every distinct picture of the window with
    dots on it, with the time it was first seen, from `click()` until the
    background has been clear again for a while; and when dots were first seen
    and when they were all gone. Each time is taken just after the picture was
    read, so that a watch held up between the clock and the screen does not
    date a picture too early."""
    before = last = app.grab()
    spans = [(y, 4 * x0, 4 * x1) for y, x0, x1 in background_spans()]

    def dotted(shot):
        return any(shot.rows[y][a:b] != before.rows[y][a:b] for y, a, b in spans)

    frames = []
    first_dots = cleared = None
    click()
    deadline = time.monotonic() + timeout_s
    while time.monotonic() < deadline:
        shot = app.grab()
        t = now_ms()
        if shot != last:
            last = shot
            if dotted(shot):
                frames.append((t, shot))
                first_dots = first_dots or t
                cleared = None
            elif first_dots and cleared is None:
                cleared = t
        if cleared and t - cleared > 300:
            break
    return before, frames, (first_dots, cleared)


def burst_growth(before, frames, cleared):
    """The dotted pixels of each picture; how many pictures the spray grew
    through; and when the wipe began. The wipe may reach the screen in pieces:
    it begins with the first picture that lost dots."""
    dotted = [set(shot.differing(before)) for _, shot in frames]
    wipe = next((k for k in range(1, len(dotted)) if not dotted[k - 1] <= dotted[k]), len(dotted))
    wiped = frames[wipe][0] if wipe < len(frames) else cleared
    return dotted, wipe, wiped
