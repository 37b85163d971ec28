#!/usr/bin/env python3
"""grid.py: reads the room off a screenshot of the game, for the real-window tests.

The room grid covers pixels 0..895 x 0..639 of the screen: 28 x 20 tiles of
32 x 32 pixels. Each tile shows a ground picture (empty, floor, wall, door,
open door, way out) copied opaquely, with items, a being and a weapon copied
over it with the mask colour left out. This tool compares the tiles with the
pictures in the game's data folder:

  grid.py where    <shot.png> <data-dir>   the player's tile: "col row"
  grid.py free     <shot.png> <data-dir>   "col row" and the direction codes
                                           (1-9 keypad layout) whose tile is bare floor
  grid.py toward   <shot.png> <data-dir>   "col row code": the player's tile and the
                                           direction code of the next step on a
                                           shortest way to an unexplored door
  grid.py occupied <shot.png> <data-dir>   the tiles that are not bare ground, one
                                           "col row" a line (player, items, creatures)
  grid.py show     <shot.png> <data-dir>   the grid as letters, for a look
Exits with status 1 and a message when the player cannot be found.
"""
import heapq
import subprocess
import sys

TILE = 32
COLS, ROWS = 28, 20
GROUNDS = ["empty", "floor", "wall", "door", "door_open", "door_out"]
MASK = b"\xff\x00\xff"
# Direction codes of the keypad layout and their steps.
DIRS = {1: (-1, 1), 2: (0, 1), 3: (1, 1), 4: (-1, 0), 6: (1, 0), 7: (-1, -1), 8: (0, -1), 9: (1, -1)}


def read_rgb(path, width, height, crop=None):
    """Reads a picture as raw 8-bit RGB bytes through ImageMagick."""
    args = ["convert", path]
    if crop:
        args += ["-crop", crop, "+repage"]
    args += ["-alpha", "off", "-depth", "8", "rgb:-"]
    data = subprocess.run(args, check=True, stdout=subprocess.PIPE).stdout
    if len(data) != width * height * 3:
        sys.exit(f"grid.py: {path} is not {width}x{height}")
    return data


def read_stack(paths):
    """Reads 32 x 32 pictures, one under the other, as raw RGB bytes."""
    args = ["convert", *paths, "-append", "-alpha", "off", "-depth", "8", "rgb:-"]
    data = subprocess.run(args, check=True, stdout=subprocess.PIPE).stdout
    if len(data) != len(paths) * TILE * TILE * 3:
        sys.exit("grid.py: the ground and player pictures are not all 32x32")
    return data


def tile_rows(shot, col, row):
    """The 32 pixel rows of one tile of the screenshot, as bytes."""
    stride = COLS * TILE * 3
    x0 = col * TILE * 3
    return [shot[(row * TILE + y) * stride + x0:(row * TILE + y) * stride + x0 + TILE * 3]
            for y in range(TILE)]


def sprite_rows(sprite):
    """The 32 pixel rows of a 32 x 32 picture, as bytes."""
    return [sprite[y * TILE * 3:(y + 1) * TILE * 3] for y in range(TILE)]


def match(rows, picture_rows, masked):
    """Fraction of the picture's pixels (without mask pixels when masked)
    that the tile shows unchanged."""
    same = total = 0
    for got, want in zip(rows, picture_rows):
        if not masked and got == want:
            same += TILE
            total += TILE
            continue
        for i in range(0, TILE * 3, 3):
            px = want[i:i + 3]
            if masked and px == MASK:
                continue
            total += 1
            same += got[i:i + 3] == px
    return same / total if total else 0.0


class Grid:
    """The tiles of one screenshot, each with its best ground and whether
    anything lies or stands on it."""

    def __init__(self, shot_path, data):
        self.shot = read_rgb(shot_path, COLS * TILE, ROWS * TILE, f"{COLS * TILE}x{ROWS * TILE}+0+0")
        names = GROUNDS + ["user"]
        stack = read_stack([f"{data}/{name}.bmp" for name in names])
        pictures = {name: sprite_rows(stack[i * TILE * TILE * 3:]) for i, name in enumerate(names)}
        self.user = pictures.pop("user")
        self.grounds = pictures
        self.kind = {}
        self.bare = {}
        black = [bytes(TILE * 3)] * TILE
        for row in range(ROWS):
            for col in range(COLS):
                rows = tile_rows(self.shot, col, row)
                self.kind[col, row], self.bare[col, row] = self.classify(rows, black)

    def classify(self, rows, black):
        """The ground a tile shows and whether it shows it bare. A tile that
        is wholly covered (by an item or creature with no see-through
        pixels) is "covered"; a tile where nothing is painted is "black"."""
        if rows == black:
            return "black", True
        for g, picture in self.grounds.items():
            if rows == picture:
                return g, True
        # Whole rows first: a ground showing between the things on the tile.
        counts = {g: sum(a == b for a, b in zip(rows, p)) for g, p in self.grounds.items()}
        best = max(counts, key=counts.get)
        if counts[best] == 0:
            scores = {g: match(rows, p, False) for g, p in self.grounds.items()}
            best = max(scores, key=scores.get)
            if scores[best] < 0.2:
                return "covered", False
        return best, False

    def player(self):
        """The tile that shows the player's picture best, or None."""
        best, where = 0.0, None
        for (col, row), bare in self.bare.items():
            if bare:
                continue
            score = match(tile_rows(self.shot, col, row), self.user, True)
            if score > best:
                best, where = score, (col, row)
        return where if best >= 0.8 else None

    def walkable(self, col, row):
        """Floor (bare, or with items or a creature on it) or a door."""
        return self.kind.get((col, row)) in ("floor", "covered", "door", "door_open", "door_out")

    def way_to_door(self, start):
        """The first direction code of a shortest 4-way walk to an unexplored
        door; tiles with something on them cost more to cross."""
        dist = {start: 0}
        first = {start: None}
        queue = [(0, start)]
        while queue:
            d, (col, row) = heapq.heappop(queue)
            if d > dist[col, row]:
                continue
            if self.kind[col, row] == "door" and (col, row) != start:
                return first[col, row]
            for code in (2, 4, 6, 8):
                dx, dy = DIRS[code]
                nxt = (col + dx, row + dy)
                if not self.walkable(*nxt):
                    continue
                nd = d + (1 if self.bare[nxt] else 4)
                if nd < dist.get(nxt, 1 << 30):
                    dist[nxt] = nd
                    first[nxt] = first[col, row] or code
                    heapq.heappush(queue, (nd, nxt))
        return None


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    command, shot, data = sys.argv[1:]
    grid = Grid(shot, data)
    if command == "occupied":
        for (col, row), bare in sorted(grid.bare.items()):
            if not bare:
                print(col, row)
        return
    if command == "show":
        letters = {"black": " ", "empty": " ", "floor": ".", "wall": "#", "door": "+", "door_open": "/",
                   "door_out": ">"}
        me = grid.player()
        for row in range(ROWS):
            print("".join("@" if (col, row) == me else
                          letters[grid.kind[col, row]] if grid.bare[col, row] else "o"
                          for col in range(COLS)))
        return
    me = grid.player()
    if me is None:
        sys.exit("grid.py: the player is not on the screen")
    if command == "where":
        print(*me)
    elif command == "free":
        codes = [code for code, (dx, dy) in DIRS.items()
                 if grid.kind.get((me[0] + dx, me[1] + dy)) == "floor"
                 and grid.bare[me[0] + dx, me[1] + dy]]
        print(*me, *codes)
    elif command == "toward":
        code = grid.way_to_door(me)
        if code is None:
            sys.exit("grid.py: no way to an unexplored door")
        print(*me, code)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
