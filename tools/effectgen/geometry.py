"""Shapes on the 10 x 10 tile grid, used by the effect rules.

A tile is a tuple (r, c): row r from the top, column c from the left.
Every function returns tiles in the order they are painted.
"""

SIZE = 10
LAST = SIZE - 1


def all_tiles():
    return [(r, c) for r in range(SIZE) for c in range(SIZE)]


# Copies of a run keep the run's order.
def turn_cw(tile):
    r, c = tile
    return (c, LAST - r)


def turn_ccw(tile):
    r, c = tile
    return (LAST - c, r)


def half_turn(tile):
    r, c = tile
    return (LAST - r, LAST - c)


def mirror_lr(tile):
    r, c = tile
    return (r, LAST - c)


def mirror_tb(tile):
    r, c = tile
    return (LAST - r, c)


def copy(run, transform):
    return [transform(t) for t in run]


def with_turns(run, turn):
    """The run, then its copies turned by one, two and three quarter turns."""
    out, cur = [], list(run)
    for _ in range(4):
        out += cur
        cur = copy(cur, turn)
    return out


def line(a, b):
    """The straight run from tile a to tile b, both included: along a row,
    a column or a diagonal."""
    (r0, c0), (r1, c1) = a, b
    dr, dc = r1 - r0, c1 - c0
    steps = max(abs(dr), abs(dc))
    if not (dr == 0 or dc == 0 or abs(dr) == abs(dc)):
        raise ValueError(f"no straight run from {a} to {b}")
    sr = (dr > 0) - (dr < 0)
    sc = (dc > 0) - (dc < 0)
    return [(r0 + i * sr, c0 + i * sc) for i in range(steps + 1)]


def path(*points):
    """Straight runs from each turning point to the next, every tile once."""
    out = [points[0]]
    for a, b in zip(points, points[1:]):
        out += line(a, b)[1:]
    return out


def row(r, c_from=0, c_to=LAST):
    return line((r, c_from), (r, c_to))


def column(c, r_from=0, r_to=LAST):
    return line((r_from, c), (r_to, c))


def sum_diagonal(key, downwards=True):
    """Tiles with r + c == key."""
    tiles = [(r, key - r) for r in range(SIZE) if 0 <= key - r <= LAST]
    return tiles if downwards else tiles[::-1]


def diff_diagonal(key, downwards=True):
    """Tiles with c - r == key."""
    tiles = [(r, r + key) for r in range(SIZE) if 0 <= r + key <= LAST]
    return tiles if downwards else tiles[::-1]


def ring(k):
    """Ring k (min(r, c, 9 - r, 9 - c) == k), clockwise from its top-left corner."""
    lo, hi = k, LAST - k
    if k == 4:  # the centre block has no inner side to close
        return [(4, 4), (4, 5), (5, 5), (5, 4)]
    return path((lo, lo), (lo, hi), (hi, hi), (hi, lo), (lo + 1, lo))


def ring_from(k, start, clockwise=True):
    tiles = ring(k)
    if not clockwise:
        tiles = [tiles[0]] + tiles[1:][::-1]
    i = tiles.index(start)
    return tiles[i:] + tiles[:i]


def layer(corner, k, towards):
    """Layer k of a quadrant around its tile `corner`: the L of tiles whose
    larger distance from that tile is k. `towards` is (dr, dc), the direction
    from the corner tile into the quadrant. Walked from its end nearer the
    top edge to its end nearer the bottom edge."""
    (cr, cc), (dr, dc) = corner, towards
    bend = (cr + k * dr, cc + k * dc)
    ends = sorted([(cr, cc + k * dc), (cr + k * dr, cc)])
    if k == 0:
        return [corner]
    return path(ends[0], bend, ends[1])


def without(tiles, done):
    """`tiles` leaving out those already in `done` (and repeats)."""
    seen = set(done)
    out = []
    for t in tiles:
        if t not in seen:
            seen.add(t)
            out.append(t)
    return out
