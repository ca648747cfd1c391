"""Effect rules 01 to 29 (05 is drawn by hand): rows, columns, diagonals,
spirals and the fronts that grow from the corners."""

from geometry import (
    LAST, SIZE, copy, diff_diagonal, half_turn, path, ring, row,
    column, sum_diagonal, without,
)


def _rows(order, left_to_right=True):
    out = []
    for r in order:
        out += row(r) if left_to_right else row(r, LAST, 0)
    return out


def _snake(order, first_left_to_right):
    """Rows in `order`, turning round at the end of each row."""
    out = []
    for i, r in enumerate(order):
        ltr = (i % 2 == 0) == first_left_to_right
        out += row(r) if ltr else row(r, LAST, 0)
    return out


MIDDLE_OUT = [4, 5, 3, 6, 2, 7, 1, 8, 0, 9]
EDGES_IN = [0, 9, 1, 8, 2, 7, 3, 6, 4, 5]
TOP_DOWN = list(range(SIZE))
BOTTOM_UP = TOP_DOWN[::-1]


def rows_top_to_bottom():
    """Rows from the top down, each left to right."""
    return _rows(TOP_DOWN)


def rows_from_the_middle_out():
    """Rows from the middle outwards, each left to right."""
    return _rows(MIDDLE_OUT)


def rows_bottom_to_top():
    """Rows from the bottom up, each left to right."""
    return _rows(BOTTOM_UP)


def rows_bottom_to_top_right_to_left():
    """The plain top-down reveal played backwards."""
    return _rows(BOTTOM_UP, left_to_right=False)


def rows_from_the_edges_in_right_to_left():
    """Rows from the top and bottom edges in towards the middle, each right to left."""
    return _rows(EDGES_IN, left_to_right=False)


def _domino_band(k):
    """The whole dominoes (r, r + k), (r, r + k + 1) from the top row down."""
    out = []
    for r in range(SIZE):
        if 0 <= r + k and r + k + 1 <= LAST:
            out += [(r, r + k), (r, r + k + 1)]
    return out


def domino_bands():
    """Diagonal bands of side-by-side dominoes, then the odd tiles they leave."""
    out = []
    for k in (0, -4, 4, -8, 7, -2, 2, -6):
        band = _domino_band(k)
        if k == -2:
            band = [(1, 0)] + band
        if k == 2:
            band = band + [(7, 9)]
        out += band
    return out + [(0, 6), (1, 7), (2, 8), (2, 9), (3, 9), (5, 9), (9, 9),
                  (9, 0), (7, 0), (5, 0), (3, 0), (0, 9)]


def rows_from_the_middle_out_right_to_left():
    """Rows from the middle outwards, each right to left."""
    return _rows(MIDDLE_OUT, left_to_right=False)


def snake_down_from_top_left():
    """Rows from the top down, turning at each end, starting rightwards."""
    return _snake(TOP_DOWN, first_left_to_right=True)


def _top_chevron(d):
    """Chevron d of the top triangle, left to right."""
    return [(min(c, LAST - c) - d, c) for c in range(SIZE)
            if min(c, LAST - c) - d >= 0]


def _left_chevron(d):
    """Chevron d of the left triangle, top to bottom."""
    return [(r, min(r, LAST - r) - d - 1) for r in range(SIZE)
            if min(r, LAST - r) - d - 1 >= 0]


def chevrons_from_the_diagonals():
    """Nested chevrons of the four triangles cut by the diagonals, each chevron
    at once followed by its half-turned twin; the tips of the edges last."""
    runs = [
        _top_chevron(0),
        _left_chevron(0),
        _top_chevron(1)[::-1],
        copy(_left_chevron(1), half_turn),         # right 1, bottom to top
        copy(_top_chevron(2), half_turn)[::-1],    # bottom 2, left to right
        _left_chevron(2),
        _top_chevron(3)[::-1],
    ]
    out = []
    for run in runs:
        out += run + copy(run, half_turn)
    return out + [(5, 0), (4, 9), (9, 5), (0, 4), (5, 9), (9, 4), (4, 0), (0, 5)]


def snake_down_from_top_right():
    """Rows from the top down, turning at each end, starting leftwards."""
    return _snake(TOP_DOWN, first_left_to_right=False)


def snake_up_from_bottom_left():
    """Rows from the bottom up, turning at each end, starting rightwards."""
    return _snake(BOTTOM_UP, first_left_to_right=True)


def columns_even_then_odd_snaking():
    """Even columns rightwards, then odd columns back leftwards, turning at each end."""
    out = []
    for i, c in enumerate([0, 2, 4, 6, 8, 9, 7, 5, 3, 1]):
        out += column(c) if i % 2 == 0 else column(c, LAST, 0)
    return out


def snake_up_from_bottom_right():
    """Rows from the bottom up, turning at each end, starting leftwards."""
    return _snake(BOTTOM_UP, first_left_to_right=False)


def diagonal_lines_then_leftovers():
    """Diagonal lines crossing near the centre, then the 16 tiles they miss."""
    lines = [
        diff_diagonal(0), sum_diagonal(9),
        diff_diagonal(-1), sum_diagonal(8),
        diff_diagonal(1), sum_diagonal(10),
        diff_diagonal(2), sum_diagonal(7, downwards=False),
        diff_diagonal(3), sum_diagonal(11, downwards=False),
        diff_diagonal(-2), diff_diagonal(-3),
    ]
    out = without([t for run in lines for t in run], [])
    return out + [(0, 4), (0, 5), (0, 6), (1, 5), (3, 9), (4, 8), (5, 9), (4, 9),
                  (9, 3), (8, 4), (9, 5), (9, 4), (4, 0), (5, 1), (6, 0), (5, 0)]


def cross_then_triangles():
    """The X of the diagonals, then the triangles between them, row or column
    at a time from near the centre outwards."""
    out = path((0, 0), (4, 4)) + path((4, 5), (0, 9))
    out += path((9, 0), (5, 4)) + path((5, 5), (9, 9))
    order = [3, 6, 2, 7, 1, 8, 0, 9]
    for r in order:  # top and bottom triangles
        lo, hi = sorted((r, LAST - r))
        out += row(r, lo + 1, hi - 1)
    for c in order:  # left and right triangles
        lo, hi = sorted((c, LAST - c))
        out += column(c, lo + 1, hi - 1)
    return out


def inward_spiral_from_top_left():
    """Spiral inwards from the top-left tile, first down the left edge."""
    out = []
    for k in range(5):
        lo, hi = k, LAST - k
        out += path((lo, lo), (hi, lo), (hi, hi), (lo, hi), (lo, lo + 1))
    return out


def outward_spiral_to_top_left():
    """The inward spiral walked backwards, out from the centre to the top-left tile."""
    return inward_spiral_from_top_left()[::-1]


def diagonals_from_top_left():
    """Diagonal fronts from the top-left corner, each walked downwards."""
    return [t for key in range(19) for t in sum_diagonal(key)]


def diagonals_from_top_left_zigzag():
    """Diagonal fronts from the top-left corner, turning at each edge."""
    return [t for key in range(19) for t in sum_diagonal(key, downwards=key % 2 == 0)]


def diagonals_from_top_right():
    """Diagonal fronts from the top-right corner, each walked downwards."""
    return [t for key in range(19) for t in diff_diagonal(LAST - key)]


def diagonals_from_top_right_zigzag():
    """Diagonal fronts from the top-right corner, turning at each edge."""
    return [t for key in range(19)
            for t in diff_diagonal(LAST - key, downwards=key % 2 == 0)]


def diagonals_from_bottom_left():
    """Diagonal fronts from the bottom-left corner, each walked downwards."""
    return [t for key in range(19) for t in diff_diagonal(key - LAST)]


def diagonals_from_bottom_left_zigzag():
    """Diagonal fronts from the bottom-left corner, turning at each edge."""
    return [t for key in range(19)
            for t in diff_diagonal(key - LAST, downwards=key % 2 == 0)]


def top_left_and_bottom_right_meet_at_anti_diagonal():
    """Fronts from the top-left and bottom-right corners in turn; the anti-diagonal last."""
    out = []
    for k in range(9):
        out += sum_diagonal(k, downwards=False) + sum_diagonal(2 * LAST - k)
    return out + sum_diagonal(LAST, downwards=False)


def top_right_and_bottom_left_meet_at_main_diagonal():
    """Fronts from the top-right and bottom-left corners in turn; the main diagonal last."""
    out = []
    for k in range(9):
        out += diff_diagonal(LAST - k) + diff_diagonal(k - LAST)
    return out + diff_diagonal(0)


def _octagon(m):
    """The tiles whose nearest corner is m steps away (counting rows plus
    columns), clockwise from the left tile of its top row."""
    if m == 8:  # shrinks to the centre block
        return ring(4)
    top = m - 4
    return path((top, 4), (top, 5), (4, 13 - m), (5, 13 - m), (13 - m, 5),
                (13 - m, 4), (5, m - 4), (4, m - 4), (top + 1, 3))


def corners_grow_then_octagons():
    """The four corners grow in turn for five fronts, then octagonal rings close in."""
    out = []
    for k in range(5):
        out += sum_diagonal(k)                       # top-left
        out += diff_diagonal(LAST - k)               # top-right
        out += sum_diagonal(2 * LAST - k)            # bottom-right
        out += diff_diagonal(k - LAST)               # bottom-left
    for m in range(5, 9):
        out += _octagon(m)
    return out


def nested_u_shapes():
    """U shapes from the outside in: down a column, along a row, back up."""
    out = []
    for k in range(5):
        out += path((0, k), (LAST - k, k), (LAST - k, LAST - k), (0, LAST - k))
    return out


RULES = {
    1: rows_top_to_bottom,
    2: rows_from_the_middle_out,
    3: rows_bottom_to_top,
    4: rows_bottom_to_top_right_to_left,
    6: rows_from_the_edges_in_right_to_left,
    7: domino_bands,
    8: rows_from_the_middle_out_right_to_left,
    9: snake_down_from_top_left,
    10: chevrons_from_the_diagonals,
    11: snake_down_from_top_right,
    12: snake_up_from_bottom_left,
    13: columns_even_then_odd_snaking,
    14: snake_up_from_bottom_right,
    15: diagonal_lines_then_leftovers,
    16: cross_then_triangles,
    17: inward_spiral_from_top_left,
    18: outward_spiral_to_top_left,
    19: diagonals_from_top_left,
    20: diagonals_from_top_left_zigzag,
    21: diagonals_from_top_left_zigzag,
    22: diagonals_from_top_right,
    23: diagonals_from_top_right_zigzag,
    24: diagonals_from_bottom_left,
    25: diagonals_from_bottom_left_zigzag,
    26: top_left_and_bottom_right_meet_at_anti_diagonal,
    27: top_right_and_bottom_left_meet_at_main_diagonal,
    28: corners_grow_then_octagons,
    29: nested_u_shapes,
}
