"""Effect rules 48 to 69 (52, 59, 60, 65, 66 and 67 are drawn by hand):
quadrant borders, strokes and paths through turning points, small spirals,
rings, diamonds and 2 x 2 blocks."""

from geometry import LAST, SIZE, column, line, path, ring, ring_from, row, without


def _tiles(*tiles):
    return list(tiles)


def _runs(*ends):
    """Straight runs, each from the first tile of a pair to the second."""
    out = []
    for a, b in ends:
        out += line(a, b)
    return out


def _rows(order):
    out = []
    for r in order:
        out += row(r)
    return out


def _small_ring(centre, start, clockwise=True):
    """The eight tiles around `centre`, walked from `start`."""
    r, c = centre
    tiles = path((r - 1, c - 1), (r - 1, c + 1), (r + 1, c + 1),
                 (r + 1, c - 1), (r, c - 1))
    if not clockwise:
        tiles = [tiles[0]] + tiles[1:][::-1]
    i = tiles.index(start)
    return tiles[i:] + tiles[:i]


def _small_spiral(centre, first, clockwise=True):
    """The centre tile, then round its ring of eight starting at `first`."""
    return [centre] + _small_ring(centre, first, clockwise)


def _plus(centre):
    """The middle column of a 3 x 3 block top to bottom, then the left and
    the right tile of its middle row."""
    r, c = centre
    return [(r - 1, c), (r, c), (r + 1, c), (r, c - 1), (r, c + 1)]


def _block(R, C):
    """The 2 x 2 block covering rows 2R, 2R + 1 and columns 2C, 2C + 1,
    clockwise from its top-left tile."""
    r, c = 2 * R, 2 * C
    return [(r, c), (r, c + 1), (r + 1, c + 1), (r + 1, c)]


def _block_ccw_from_top_right(R, C):
    r, c = 2 * R, 2 * C
    return [(r, c + 1), (r, c), (r + 1, c), (r + 1, c + 1)]


def _with_tucked_in(run, extras):
    """`run` with each tile of `extras` (a map from a tile of the run to the
    tile to add) painted right after its anchor."""
    out = []
    for t in run:
        out.append(t)
        if t in extras:
            out.append(extras[t])
    return out


def quadrant_borders_then_inner_pluses_and_corners():
    """Each quadrant's outer border clockwise from the display's centre, then
    a plus in each quadrant's inner block, then the corners of those blocks."""
    order = path((4, 4), (4, 0), (0, 0), (0, 4), (3, 4))    # top-left
    order += path((5, 5), (5, 9), (9, 9), (9, 5), (6, 5))   # bottom-right
    order += path((4, 5), (0, 5), (0, 9), (4, 9), (4, 6))   # top-right
    order += path((5, 4), (9, 4), (9, 0), (5, 0), (5, 3))   # bottom-left
    for centre in [(2, 2), (2, 7), (7, 7), (7, 2)]:
        order += _plus(centre)
    order += _tiles((1, 1), (3, 3), (6, 6), (8, 8), (8, 1), (6, 3), (3, 6), (1, 8),
                    (1, 6), (3, 8), (1, 3), (3, 1), (6, 1), (8, 3), (8, 6), (6, 8))
    return order


def middle_columns_then_diagonal_strokes():
    """The two middle columns, half rows and diagonal strokes out to the
    corners, short column and row stubs, then the scattered rest."""
    return _runs(
        ((9, 4), (0, 4)), ((0, 5), (9, 5)),
        ((5, 3), (5, 0)), ((5, 6), (5, 9)),
        ((4, 3), (1, 0)), ((1, 9), (4, 6)), ((6, 6), (9, 9)), ((6, 3), (9, 0)),
        ((2, 3), (0, 1)), ((0, 8), (2, 6)), ((6, 7), (8, 9)), ((8, 0), (6, 2)),
        ((3, 3), (0, 0)), ((0, 9), (3, 6)),
        ((7, 6), (9, 6)), ((7, 3), (9, 3)),
        ((4, 2), (4, 0)), ((4, 7), (4, 9)),
    ) + _tiles(
        (6, 8), (6, 9), (7, 9), (8, 7), (9, 7), (9, 8),
        (8, 2), (9, 2), (9, 1), (6, 1), (6, 0), (7, 0),
        (3, 1), (3, 0), (2, 0), (1, 3), (0, 3), (0, 2),
        (1, 6), (0, 6), (0, 7), (3, 8), (3, 9), (2, 9),
    )


def three_paths_then_scattered_tiles():
    """Three winding paths through the grid, then the tiles they missed."""
    order = path((1, 7), (1, 2), (4, 5), (5, 5), (8, 2), (8, 7))
    order += path((1, 8), (0, 8), (0, 1), (1, 1), (4, 4), (5, 4),
                  (8, 1), (9, 1), (9, 8), (8, 8))
    order += path((9, 9), (7, 9), (7, 4), (5, 6), (4, 6), (2, 4), (2, 9), (0, 9))
    order += _tiles(
        (4, 0), (4, 9), (5, 9), (5, 0), (5, 1), (5, 8), (4, 8), (4, 1),
        (4, 2), (4, 7), (5, 7), (5, 2), (5, 3), (4, 3), (3, 2), (3, 6),
        (6, 6), (6, 2), (6, 7), (3, 7), (6, 1), (6, 8), (6, 9), (6, 0),
        (3, 0), (3, 9), (3, 8), (3, 1), (2, 1), (7, 1), (9, 0), (0, 0),
        (1, 0), (8, 0), (7, 0), (2, 0),
    )
    return order


def chevrons_and_middle_zigzags():
    """Chevrons pointing in from both side edges, a zigzag down the middle
    columns and back up, then short diagonal strokes."""
    order = path((1, 0), (4, 3), (7, 0)) + row(9, 0, 3)
    order += path((1, 9), (4, 6), (7, 9)) + row(9, 9, 6)
    order += path((2, 9), (4, 7), (6, 9))
    order += path((6, 0), (4, 2), (2, 0))
    order += [(r, 4 + r % 2) for r in range(SIZE)]
    order += [(r, 5 - r % 2) for r in range(LAST, -1, -1)]
    order += _tiles((4, 0), (4, 9), (4, 8), (4, 1), (3, 0), (3, 9), (5, 9), (5, 0))
    order += _runs(
        ((8, 9), (5, 6)), ((3, 6), (0, 9)), ((0, 0), (3, 3)), ((5, 3), (8, 0)),
        ((8, 1), (6, 3)), ((8, 8), (6, 6)), ((2, 6), (0, 8)), ((0, 1), (2, 3)),
        ((8, 7), (7, 6)), ((7, 3), (8, 2)), ((0, 2), (1, 3)), ((1, 6), (0, 7)),
    )
    order += _tiles((0, 6), (0, 3), (8, 3), (8, 6))
    return order


def four_small_spirals_then_winding_path():
    """Little spirals in the middle of each quadrant, then one long path
    through everything between them, ending round the border."""
    order = _small_spiral((2, 2), (3, 2))
    order += _small_spiral((7, 7), (8, 7))
    order += _small_spiral((2, 7), (3, 7), clockwise=False)
    order += _small_spiral((7, 2), (6, 2))
    order += path((5, 1), (5, 4), (8, 4), (8, 5), (5, 5), (5, 8), (4, 8), (4, 5),
                  (1, 5), (1, 4), (4, 4), (4, 0), (9, 0), (9, 9), (0, 9), (0, 0),
                  (3, 0))
    return order


def rings_counterclockwise_in_mixed_order():
    """Rings 3, 1, 4, 2, 0, each counterclockwise from its top-right corner."""
    order = []
    for k in [3, 1, 4, 2, 0]:
        if k == 4:
            order += _tiles((4, 4), (5, 4), (5, 5), (4, 5))
        else:
            order += ring_from(k, (k, LAST - k), clockwise=False)
    return order


def stepped_columns_then_right_corner_fronts():
    """Columns shortening towards the right, every other one first, then the
    two right-hand corners filled by fronts from the corner tiles."""
    order = []
    for c in [0, 2, 4, 6, 8, 9, 7, 5, 3, 1]:
        order += column(c, c // 2, LAST - c // 2)
    for k in range(8):
        top = [(r, c) for r in range(5) for c in range(SIZE) if r + (LAST - c) == k]
        bottom = [(r, c) for r in range(5, SIZE) for c in range(SIZE)
                  if (LAST - r) + (LAST - c) == k]
        # each front from its end nearer the right edge, bar two
        top = without(sorted(top, key=lambda t: -t[1]), order)
        bottom = without(sorted(bottom, key=lambda t: -t[1]), order)
        if k == 1:
            top.reverse()
        if k == 2:
            bottom.reverse()
        order += top + bottom
    return order


def column_pieces_around_a_middle_figure():
    """Short columns and a figure down the middle, then the columns filled in
    piece by piece."""
    order = []
    for r in range(4):
        order += _tiles((r, 2), (r, 7))
    order += _tiles((4, 6), (4, 3), (5, 4), (5, 5), (6, 5), (6, 4), (7, 4), (7, 5))
    order += row(8, 3, 6) + row(9, 7, 2)
    order += column(3, 0, 3) + column(6, 0, 3) + column(4, 0, 4) + column(5, 0, 4)
    for c in [0, 9, 1, 8]:
        order += column(c)
    order += column(2, 4, 8) + column(7, 4, 8) + column(3, 5, 7) + column(6, 5, 7)
    return order


def top_rows_then_odd_and_even_columns():
    """The top three rows as a bent band, the odd columns, the rest of the top
    rows and the bottom row, then the even columns."""
    order = _tiles((1, 0), (1, 1)) + row(0, 2, 7) + _tiles((1, 8), (1, 9))
    order += row(2, LAST, 0)
    for c in [1, 3, 5, 7, 9]:
        order += column(c, 3, 8)
    order += _tiles((0, 0), (0, 1), (0, 8), (0, 9)) + row(1, 2, 7)
    order += row(9)
    for c in [8, 6, 4, 2, 0]:
        order += column(c, 3, 8)
    return order


def arch_and_middle_zigzag_then_columns():
    """An arch over the top, short rows and a zigzag down the middle, then
    the columns of the lower rows, the top corners last."""
    order = path((2, 9), (0, 7), (0, 2), (2, 0), (3, 0), (3, 9))
    order += _tiles((2, 1), (1, 2), (1, 7), (2, 8), (1, 4), (1, 5))
    order += row(2, 2, 7) + row(4, 3, 6)
    order += _tiles((5, 4), (6, 5), (7, 4), (8, 5), (9, 4),
                    (9, 5), (8, 4), (7, 5), (6, 4), (5, 5))
    order += _tiles((9, 3), (9, 6))
    for c in [0, 9, 1, 8, 2, 7]:
        order += column(c, 4, 9)
    order += column(3, 5, 8) + column(6, 5, 8)
    order += _tiles((1, 0), (0, 0), (0, 1), (0, 8), (0, 9), (1, 9), (1, 6), (1, 3))
    return order


def diamonds_and_diagonals_then_edge_triangles():
    """Two nested diamonds, the diagonals, a ring of short strokes round the
    centre, then little triangles along the edges."""
    order = path((0, 4), (4, 0), (5, 0), (9, 4), (9, 5), (5, 9), (4, 9), (0, 5))
    order += _tiles((2, 3), (4, 1), (7, 3), (8, 5), (6, 7), (4, 8), (2, 6), (1, 4),
                    (3, 2), (5, 1), (6, 2), (8, 4), (7, 6), (5, 8), (3, 7), (1, 5))
    order += without(line((0, 9), (9, 0)) + line((0, 0), (9, 9)), order)
    order += _tiles((6, 4), (6, 5), (7, 4), (7, 5), (5, 6), (4, 6), (4, 7), (5, 7),
                    (3, 5), (2, 5), (2, 4), (3, 4), (4, 3), (4, 2), (5, 2), (5, 3))
    # three tiles along the edge, then the one just inside their middle
    for a, b, inside in [((0, 1), (0, 3), (1, 2)), ((0, 6), (0, 8), (1, 7)),
                         ((1, 9), (3, 9), (2, 8)), ((6, 9), (8, 9), (7, 8)),
                         ((1, 0), (3, 0), (2, 1)), ((6, 0), (8, 0), (7, 1)),
                         ((9, 1), (9, 3), (8, 2)), ((9, 6), (9, 8), (8, 7))]:
        order += line(a, b) + [inside]
    return order


def two_by_two_blocks_then_central_arms():
    """Small blocks down the main diagonal, then out across the other
    diagonal and round the quadrants, the arms of the central cross last."""
    order = []
    for i in range(5):
        order += _block(i, i)
    order += _block_ccw_from_top_right(0, 4) + _block(1, 3)
    order += _block_ccw_from_top_right(3, 1) + _block(4, 0)
    for R, C in [(1, 0), (0, 1), (0, 3), (1, 4), (3, 4), (4, 3), (4, 1), (3, 0)]:
        order += _block(R, C)
    order += _runs(
        ((0, 4), (3, 4)), ((4, 9), (4, 6)), ((9, 5), (6, 5)), ((5, 0), (5, 3)),
        ((4, 3), (4, 0)), ((0, 5), (3, 5)), ((5, 6), (5, 9)), ((6, 4), (9, 4)),
    )
    return order


def rings_with_corners_tucked_in():
    """Rings 1 and 3 clockwise, each corner of the ring outside them painted
    right after the ring corner next to it; the centre; then the rest of
    rings 2 and 0 counterclockwise."""
    order = [(0, 0)]
    order += _with_tucked_in(ring_from(1, (1, 1)),
                             {(1, 8): (0, 9), (8, 8): (9, 9), (8, 1): (9, 0)})
    order += [(2, 2)]
    order += _with_tucked_in(ring_from(3, (3, 3)),
                             {(3, 6): (2, 7), (6, 6): (7, 7), (6, 3): (7, 2)})
    order += ring_from(4, (5, 5), clockwise=False)
    order += without(ring_from(2, (7, 3), clockwise=False), order)
    order += without(ring_from(0, (9, 1), clockwise=False), order)
    return order


def nested_paths_from_the_corners():
    """Paths through turning points, hooks from the top corners first, then
    shorter and shorter strokes filling the gaps."""
    paths = [
        [(0, 0), (3, 3), (9, 3), (9, 0), (1, 0)],
        [(0, 9), (9, 9), (9, 6), (3, 6), (1, 8)],
        [(6, 1), (6, 2)],
        [(6, 7), (6, 8)],
        [(0, 1), (3, 4), (9, 4), (9, 5), (3, 5), (0, 8)],
        [(7, 1), (7, 2), (8, 2), (8, 1)],
        [(8, 7), (8, 8), (7, 8), (7, 7)],
        [(5, 7), (3, 7)],
        [(2, 8), (5, 8)],
        [(2, 1), (5, 1), (5, 2), (3, 2)],
        [(2, 4), (2, 5), (1, 6), (1, 3)],
        [(0, 2), (0, 7)],
    ]
    order = []
    for points in paths:
        order += path(*points)
    return order


def rows_from_the_edges_in():
    """Rows from the top and bottom edges in towards the middle, each left to right."""
    return _rows([0, 9, 1, 8, 2, 7, 3, 6, 4, 5])


def columns_hooks_and_border():
    """A column and hooks in the left and right halves, the border, then the
    remaining columns and a last hook."""
    order = column(1, 1, 8)
    order += path((8, 4), (1, 4), (1, 8), (5, 8), (5, 5))
    order += _tiles((1, 0), (1, 2), (8, 0), (8, 2))
    order += path((2, 5), (2, 7), (4, 7), (4, 5), (3, 5), (3, 6))
    order += without(ring(0), order)
    order += column(2, 2, 7) + column(3, 8, 1)
    order += path((6, 5), (6, 8), (8, 8), (8, 5), (7, 5), (7, 7))
    return order


RULES = {
    48: quadrant_borders_then_inner_pluses_and_corners,
    49: middle_columns_then_diagonal_strokes,
    50: three_paths_then_scattered_tiles,
    51: chevrons_and_middle_zigzags,
    53: four_small_spirals_then_winding_path,
    54: rings_counterclockwise_in_mixed_order,
    55: stepped_columns_then_right_corner_fronts,
    56: column_pieces_around_a_middle_figure,
    57: top_rows_then_odd_and_even_columns,
    58: arch_and_middle_zigzag_then_columns,
    61: diamonds_and_diagonals_then_edge_triangles,
    62: two_by_two_blocks_then_central_arms,
    63: rings_with_corners_tucked_in,
    64: nested_paths_from_the_corners,
    68: rows_from_the_edges_in,
    69: columns_hooks_and_border,
}
