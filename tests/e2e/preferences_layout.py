"""Where things stand in the preferences dialog, and how the tests find its height box
on the screen."""

# The dialog's Tabs control and, on its Application page, the Dimensions box
# with the height and width boxes, in the dialog's own coordinates; the Apply button.
TABS = (6, 8, 343, 313)
DIM_BOX_LEFT, DIM_BOX_TOP = 8, 200
EDIT_LEFT, EDIT_WIDTH = 50, 41
APPLY = (272, 328, 75, 25)


def white_runs(column):
    """(start, length) of the runs of pure white pixels in a column of pixels
    (the dialog's own background is a near-white grey in some styles)."""
    runs, start = [], None
    for y, (r, g, b) in enumerate(column + [(0, 0, 0)]):
        if r == g == b == 255:
            start = y if start is None else start
        elif start is not None:
            runs.append((start, y - start))
            start = None
    return runs


def height_box(session, left, top):
    """Screen centre of the height box: the first white box of its height in
    the column through its right half, below the Dimensions box's top (the tab
    bar's height is the style's, so it is looked for, not assumed)."""
    x = left + TABS[0] + DIM_BOX_LEFT + EDIT_LEFT + EDIT_WIDTH * 3 // 4
    y0 = top + TABS[1] + DIM_BOX_TOP
    column = [row[0] for row in session.pixels(x, y0, 1, 110)]
    boxes = [(x, y0 + s + n // 2) for s, n in white_runs(column) if 12 <= n <= 21]
    return boxes[0] if boxes else None
