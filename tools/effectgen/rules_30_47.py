"""Effect rules 30 to 47 (36 is drawn by hand): pinwheels of turned strokes,
shapes around the edges and quadrants, checkerboards, layers growing from
the corners or the centre, hourglasses and triangles."""

from geometry import (
    LAST, SIZE, column, layer, line, path, ring_from, row, turn_ccw, turn_cw,
    with_turns, without,
)


# The display's corner tile of each quadrant and the direction into it, in
# the order top-left, top-right, bottom-right, bottom-left.
_CORNERS = [((0, 0), (1, 1)), ((0, LAST), (1, -1)),
            ((LAST, LAST), (-1, -1)), ((LAST, 0), (-1, 1))]


def _turned_runs(runs, turn):
    """Each run followed at once by its copies turned once, twice and three times."""
    out = []
    for run in runs:
        out += with_turns(run, turn)
    return out


def _corner_layers(ks):
    """For each k, layer k of the four quadrants around the display's corners."""
    out = []
    for k in ks:
        for corner, towards in _CORNERS:
            out += layer(corner, k, towards)
    return out


# --- 30 -------------------------------------------------------------------

def pinwheel_of_turned_strokes():
    """Short strokes, each spun round the centre in four quarter-turn copies."""
    # The centre block is its own quarter-turn copy, so its copies add nothing.
    out = ring_from(4, (4, 4), clockwise=False)
    # The spoke from ring 3's top-right corner to the display's corner,
    # then the same spoke towards the other three corners, turning leftwards.
    out += with_turns(line((3, 6), (0, 9)), turn_ccw)
    out += _turned_runs([
        [(3, 4), (3, 5)],
        line((3, 2), (1, 0)),
        column(2, 6, 4),
        line((7, 1), (8, 0)),
        row(8, 6, 3),
        row(9, 7, 2),
    ], turn_cw)
    return out


# --- 31 -------------------------------------------------------------------

def edge_middles_growing_inwards():
    """Shapes at the middle of the top edge, each repeated clockwise for the
    other three edges before the next shape starts."""
    shapes = [
        [(0, 4), (0, 5)],
        path((0, 3), (1, 3), (1, 6), (0, 6)),
        ring_from(4, (4, 4)),
        ring_from(3, (5, 3)),
        path((0, 2), (2, 2), (2, 7), (0, 7)),
        # the corner block lands in the top-right, bottom-right and
        # bottom-left corners when turned clockwise
        [(1, 0), (1, 1), (0, 1), (0, 0)],
    ]
    out = []
    for shape in shapes:
        # Turned copies skip what is already there: the centre shapes are
        # their own copies, and the wide U's copies share their corner tiles.
        out += without(with_turns(shape, turn_cw), out)
    return out


# --- 32 -------------------------------------------------------------------

def _clockwise_pair(a, b):
    """Two neighbouring tiles in the order a clockwise turn about the centre
    passes them: up in the left half, down in the right half, rightwards in
    the top half, leftwards in the bottom half."""
    (r0, c0), (r1, c1) = sorted([a, b])
    if c0 == c1:
        return [(r1, c0), (r0, c0)] if c0 < SIZE // 2 else [(r0, c0), (r1, c0)]
    return [(r0, c0), (r0, c1)] if r0 < SIZE // 2 else [(r0, c1), (r0, c0)]


def cross_then_quadrant_diagonals_and_pairs():
    """The central cross, then the diagonals of the four outer blocks, then
    the tiles left over in pairs sweeping clockwise round the display."""
    out = column(4)
    for run in (row(4), column(5), row(5)):
        out += without(run, out)
    out += (line((0, 0), (3, 3)) + line((0, 9), (3, 6))
            + line((9, 9), (6, 6)) + line((9, 0), (6, 3)))
    out += (line((0, 3), (3, 0)) + line((0, 6), (3, 9))
            + line((6, 9), (9, 6)) + line((9, 3), (6, 0)))
    passes = [
        # beside the cross's columns
        [((1, 3), (2, 3)), ((1, 6), (2, 6)), ((7, 6), (8, 6)), ((7, 3), (8, 3))],
        # beside the cross's rows
        [((3, 1), (3, 2)), ((3, 7), (3, 8)), ((6, 7), (6, 8)), ((6, 1), (6, 2))],
        # on the top and bottom edges
        [((0, 1), (0, 2)), ((0, 7), (0, 8)), ((9, 7), (9, 8)), ((9, 1), (9, 2))],
        # on the left and right edges
        [((1, 0), (2, 0)), ((1, 9), (2, 9)), ((7, 9), (8, 9)), ((7, 0), (8, 0))],
    ]
    for i, pairs in enumerate(passes):
        for j, (a, b) in enumerate(pairs):
            if (i, j) == (1, 0):
                out += [(3, 2), (3, 1)]  # the one pair that runs against the sweep
            else:
                out += _clockwise_pair(a, b)
    return out


# --- 33 -------------------------------------------------------------------

def _quadrant_cross(corner, inner):
    """A quadrant's diagonal from the display's corner in to the display's
    centre, then its other diagonal downwards without the middle tile."""
    first = line(corner, inner)
    other = sorted([(corner[0], inner[1]), (inner[0], corner[1])])
    return first + without(line(*other), first)


def _quadrant_ring(top, left, start, clockwise=True):
    """The twelve border tiles of the quadrant at (top, left) that are not
    its corners, walked round from `start`."""
    t, l, b, r = top, left, top + 4, left + 4
    border = path((t, l), (t, r), (b, r), (b, l), (t + 1, l))
    tiles = without(border, [(t, l), (t, r), (b, r), (b, l)])
    if not clockwise:
        tiles = tiles[::-1]
    i = tiles.index(start)
    return tiles[i:] + tiles[:i]


def quadrant_crosses_and_rings():
    """Each quadrant as an X, the four tiles round its middle and its border
    ring: the top-left and bottom-right quadrants first, then the other two."""
    out = _quadrant_cross((0, 0), (4, 4)) + _quadrant_cross((9, 9), (5, 5))
    out += [(1, 2), (2, 3), (3, 2), (2, 1), (6, 7), (7, 8), (8, 7), (7, 6)]
    out += _quadrant_ring(0, 0, (0, 1))
    out += _quadrant_ring(5, 5, (5, 8), clockwise=False)
    out += _quadrant_cross((0, 9), (4, 5)) + _quadrant_cross((9, 0), (5, 4))
    out += [(3, 7), (2, 6), (1, 7), (2, 8), (7, 3), (6, 2), (7, 1), (8, 2)]
    middles = [(4, 7), (2, 5), (0, 7), (2, 9), (5, 2), (7, 4), (9, 2), (7, 0)]
    out += middles
    out += without(_quadrant_ring(0, 5, (4, 8)), middles)
    out += without(_quadrant_ring(5, 0, (5, 1)), middles)
    return out


# --- 34, 35 ---------------------------------------------------------------

def _checkers(parity, transposed=False):
    """The tiles whose r + c has `parity`, a pair of rows at a time from the
    top, across each pair column by column (or the same with rows and
    columns exchanged)."""
    out = []
    for top in range(0, SIZE, 2):
        for c in range(SIZE):
            for r in (top, top + 1):
                if (r + c) % 2 == parity:
                    out.append((c, r) if transposed else (r, c))
    return out


def odd_then_even_checkers_by_row_pairs():
    """Every other tile, zigzagging across two rows at a time, then the rest."""
    return _checkers(1) + _checkers(0)


def odd_then_even_checkers_by_column_pairs():
    """The row-pair checkerboard turned on its side: two columns at a time."""
    return _checkers(1, transposed=True) + _checkers(0, transposed=True)


# --- 37, 38 ---------------------------------------------------------------

def corners_growing_together():
    """The four corners grow together, one L-shaped layer at a time, towards the centre."""
    return _corner_layers(range(5))


def centre_cross_shrinking_to_corners():
    """The corner layers from the centre cross out to the four corner tiles."""
    return _corner_layers(range(4, -1, -1))


# --- 39 -------------------------------------------------------------------

def turned_runs_from_the_centre():
    """Runs spun clockwise round the centre, with a few loose tiles between them."""
    out = _turned_runs([
        [(4, 4)],
        column(3, 5, 3),
        line((9, 0), (7, 2)),
        row(7, 6, 3),
    ], turn_cw)
    out += [(4, 0), (4, 1), (5, 0), (5, 1), (0, 4), (0, 5), (1, 4), (1, 5),
            (4, 9), (4, 8), (5, 8), (5, 9), (9, 5), (8, 5), (8, 4), (9, 4)]
    out += _turned_runs([line((2, 1), (1, 0)), line((8, 0), (7, 1))], turn_cw)
    out += [(9, 2), (8, 3), (9, 3), (2, 0), (3, 0), (3, 1),
            (0, 7), (0, 6), (1, 6), (7, 9), (6, 9), (6, 8)]
    out += with_turns([(9, 7), (9, 6), (8, 6)], turn_cw)
    return out


# --- 40 -------------------------------------------------------------------

def centre_spiral_then_cross_arms_and_corners():
    """A spiral out of the centre block, the cross's arms and the runs beside
    them, then the corner blocks growing inwards."""
    out = path((4, 4), (4, 5), (5, 5), (5, 3), (3, 3), (3, 6), (6, 6), (6, 3))
    # the arms of the cross
    out += column(4, 0, 2) + column(5, 0, 2)
    out += row(4, 9, 7) + row(5, 7, 9)
    out += column(4, 9, 7) + column(5, 7, 9)
    out += row(4, 0, 2) + row(5, 2, 0)
    # the runs of three beside them
    out += column(3, 0, 2) + column(6, 0, 2)
    out += row(3, 9, 7) + row(6, 9, 7)
    out += column(6, 9, 7) + column(3, 7, 9)
    out += row(6, 0, 2) + row(3, 0, 2)
    out += _corner_layers(range(3))
    return out


# --- 41, 42 ---------------------------------------------------------------

def hourglass_then_side_wedges():
    """An hourglass through the middle, then the wedges left and right of it."""
    out = []
    for r in range(SIZE):
        out += row(r, r, LAST - r) if r <= 4 else row(r, LAST - r, r)
    for c in range(0, 4):
        out += column(c, c + 1, 8 - c)
    for c in range(6, SIZE):
        out += column(c, 10 - c, c - 1)
    return out


def four_triangles():
    """The triangles between the diagonals: top, right, bottom, left."""
    out = []
    for r in range(0, 5):
        out += row(r, r, LAST - r)
    for c in range(LAST, 4, -1):
        out += column(c, 10 - c, c)
    for r in range(LAST, 4, -1):
        out += row(r, LAST - r, r - 1)
    for c in range(0, 4):
        out += column(c, c + 1, 8 - c)
    return out


# --- 43, 44 ---------------------------------------------------------------

def quadrants_grown_from_display_corners():
    """One quadrant after another, each grown in layers from the display's corner."""
    out = []
    for corner, towards in _CORNERS:
        for k in range(5):
            out += layer(corner, k, towards)
    return out


def quadrants_grown_from_the_centre():
    """One quadrant after another, each grown in layers out from the centre:
    top-left, bottom-right, bottom-left, top-right."""
    out = []
    for centre, towards in [((4, 4), (-1, -1)), ((5, 5), (1, 1)),
                            ((5, 4), (1, -1)), ((4, 5), (-1, 1))]:
        for k in range(5):
            out += layer(centre, k, towards)
    return out


# --- 45 -------------------------------------------------------------------

def pillars_then_meander_then_top_row():
    """Three pillars of two columns, the two bottom rows, a meander through
    the gaps between the pillars, and the top row last."""
    out = []
    for r in range(2, 8):
        out += [(r, c) for c in (0, 1, 4, 5, 8, 9)]
    out += row(8, LAST, 0) + row(9)
    out += row(1, 0, 2) + column(2, 2, 7) + column(3, 7, 2)
    out += row(1, 3, 6) + column(6, 2, 7) + column(7, 7, 2)
    out += row(1, 7, 9)
    out += row(0, LAST, 0)
    return out


# --- 46 -------------------------------------------------------------------

def middle_rows_then_column_arms_then_turned_edges():
    """The middle rows with two short diagonals off each side, the middle
    columns, a few scattered tiles, then edge pieces spun counterclockwise."""
    left = row(4, 0, 4) + row(5, 4, 0) + [(3, 3), (2, 2), (6, 3), (7, 2)]
    out = left + [(r, LAST - c) for r, c in left]
    out += column(4, 9, 6) + column(5, 6, 9) + column(4, 3, 0) + column(5, 0, 3)
    out += [(0, 0), (0, 9), (9, 9), (9, 0)]
    out += [(8, 1), (1, 1), (1, 8), (8, 8)]
    out += [(6, 7), (7, 6), (2, 6), (3, 7), (2, 3), (3, 2), (6, 2), (7, 3)]
    out += _turned_runs([
        row(9, 1, 3) + row(9, 6, 8),
        row(8, 2, 3),
        column(1, 6, 7),
    ], turn_ccw)
    return out


# --- 47 -------------------------------------------------------------------

# Round a centre at distance 2, counterclockwise from two rows above it.
_DIAMOND = [(-2, 0), (-1, -1), (0, -2), (1, -1), (2, 0), (1, 1), (0, 2), (-1, 1)]
_PLUS_CENTRES = [(2, 2), (2, 7), (7, 2), (7, 7)]


def pluses_and_diamonds_then_turned_pieces():
    """Plus shapes in the four quarters, the diamonds round them, then the
    leftovers in pieces spun clockwise."""
    out = []
    for r, c in _PLUS_CENTRES:
        out += [(r - 1, c), (r, c), (r + 1, c), (r, c - 1), (r, c + 1)]
    for r, c in _PLUS_CENTRES:
        out += [(r + dr, c + dc) for dr, dc in _DIAMOND]
    out += [(0, 1), (1, 0), (0, 8), (1, 9), (8, 9), (9, 8), (9, 1), (8, 0)]
    out += _turned_runs([
        [(6, 0), (5, 1), (5, 0)],
        [(9, 0)],
        column(3, 5, 4),
        [(5, 4)],
        [(8, 4), (9, 4), (9, 3)],
    ], turn_cw)
    return out


RULES = {
    30: pinwheel_of_turned_strokes,
    31: edge_middles_growing_inwards,
    32: cross_then_quadrant_diagonals_and_pairs,
    33: quadrant_crosses_and_rings,
    34: odd_then_even_checkers_by_row_pairs,
    35: odd_then_even_checkers_by_column_pairs,
    37: corners_growing_together,
    38: centre_cross_shrinking_to_corners,
    39: turned_runs_from_the_centre,
    40: centre_spiral_then_cross_arms_and_corners,
    41: hourglass_then_side_wedges,
    42: four_triangles,
    43: quadrants_grown_from_display_corners,
    44: quadrants_grown_from_the_centre,
    45: pillars_then_meander_then_top_row,
    46: middle_rows_then_column_arms_then_turned_edges,
    47: pluses_and_diamonds_then_turned_pieces,
}
