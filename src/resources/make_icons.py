#!/usr/bin/env python3
"""Draws the provider's three icons and writes them as .ico files (16 colours, 32x32 and 16x16).

    person.ico      icon 112: one person, the small image of a person in the group dialog's list
    group.ico       icon 113: two persons, the small image of a group
    add_remove.ico  icon 111: the decoration between "Add to Group" and "Remove from Group"

No external packages: the ICO and BMP bytes are written directly. The output is deterministic, so the
committed files can be regenerated and compared. Usage: make_icons.py [output directory] [--png]
(--png also writes enlarged PNG previews, for looking at the artwork; they are not part of the build).
"""

import os
import struct
import sys
import zlib

# The standard 16-colour palette (index: (r, g, b)).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_RED, DARK_GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE = range(8, 16)
CLEAR = None  # transparent


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def triangle(ax, ay, bx, by, cx, cy):
    def inside(x, y):
        d1 = (x - bx) * (ay - by) - (ax - bx) * (y - by)
        d2 = (x - cx) * (by - cy) - (bx - cx) * (y - cy)
        d3 = (x - ax) * (cy - ay) - (cx - ax) * (y - ay)
        neg = d1 < 0 or d2 < 0 or d3 < 0
        pos = d1 > 0 or d2 > 0 or d3 > 0
        return not (neg and pos)
    return inside


def person_shapes(dx, dy, scale, head, body):
    """A head over rounded shoulders, in a 1x1 box moved by (dx, dy) and scaled."""
    def at(shape_maker, *args):
        return shape_maker(*args)
    s = scale
    head_shape = at(ellipse, dx + 0.5 * s, dy + 0.28 * s, 0.19 * s, 0.21 * s)
    body_shape = union(ellipse(dx + 0.5 * s, dy + 0.95 * s, 0.42 * s, 0.42 * s))
    clip = rect(-1, -1, 2, dy + 0.97 * s)
    return [(lambda x, y, b=body_shape, c=clip: b(x, y) and c(x, y), body),
            (head_shape, head)]


def render(layers, size):
    """layers: list of (shape, colour), later ones on top; coordinates in 0..1. Adds a black outline."""
    grid = [[CLEAR] * size for _ in range(size)]
    owner = [[-1] * size for _ in range(size)]
    for index, (shape, colour) in enumerate(layers):
        for row in range(size):
            for col in range(size):
                x = (col + 0.5) / size
                y = (row + 0.5) / size
                if shape(x, y):
                    grid[row][col] = colour
                    owner[row][col] = index
    # Outline: a painted pixel next to a transparent pixel, or under the edge of a higher layer, turns black.
    out = [r[:] for r in grid]
    for row in range(size):
        for col in range(size):
            if grid[row][col] is CLEAR:
                continue
            for nr, nc in ((row - 1, col), (row + 1, col), (row, col - 1), (row, col + 1)):
                if not (0 <= nr < size and 0 <= nc < size) or grid[nr][nc] is CLEAR \
                        or (owner[nr][nc] > owner[row][col] and grid[nr][nc] != grid[row][col]):
                    out[row][col] = BLACK
                    break
    return out


def draw_person(size):
    return render(person_shapes(0.08, 0.04, 0.86, YELLOW, BLUE), size)


def draw_group(size):
    back = person_shapes(0.36, 0.0, 0.64, YELLOW, DARK_GREEN)
    front = person_shapes(0.0, 0.34, 0.66, YELLOW, BLUE)
    return render(back + front, size)


def draw_add_remove(size):
    # A down arrow (into the group) beside an up arrow (out of the group).
    down = union(rect(0.14, 0.06, 0.34, 0.56), triangle(0.02, 0.50, 0.46, 0.50, 0.24, 0.94))
    up = union(rect(0.66, 0.44, 0.86, 0.94), triangle(0.54, 0.50, 0.98, 0.50, 0.76, 0.06))
    return render([(down, GREEN), (up, RED)], size)


def dib(pixels):
    """BITMAPINFOHEADER, palette, 4-bit colour bits and 1-bit mask, bottom-up, as an icon image."""
    size = len(pixels)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor_bits = bytearray()
    and_bits = bytearray()
    for row in reversed(pixels):
        line = bytearray(xor_stride)
        mask = bytearray(and_stride)
        for col, colour in enumerate(row):
            value = BLACK if colour is CLEAR else colour
            line[col // 2] |= value << (4 if col % 2 == 0 else 0)
            if colour is CLEAR:
                mask[col // 8] |= 0x80 >> (col % 8)
        xor_bits += line
        and_bits += mask
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0,
                         len(xor_bits) + len(and_bits), 0, 0, 0, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    return header + palette + bytes(xor_bits) + bytes(and_bits)


def ico(images):
    data = b''
    entries = b''
    offset = 6 + 16 * len(images)
    for pixels in images:
        size = len(pixels)
        image = dib(pixels)
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, 16, 0, 1, 4, len(image), offset)
        data += image
        offset += len(image)
    return struct.pack('<HHH', 0, 1, len(images)) + entries + data


def png(pixels, zoom):
    size = len(pixels)
    raw = bytearray()
    for row in pixels:
        for _ in range(zoom):
            raw.append(0)
            for colour in row:
                rgba = (255, 0, 255, 0) if colour is CLEAR else PALETTE[colour] + (255,)
                raw += bytes(rgba) * zoom

    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size * zoom, size * zoom, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


ICONS = {
    'person.ico': draw_person,
    'group.ico': draw_group,
    'add_remove.ico': draw_add_remove,
}


def main(argv):
    previews = '--png' in argv
    args = [a for a in argv if a != '--png']
    out_dir = args[0] if args else os.path.dirname(os.path.abspath(__file__))
    for name, draw in ICONS.items():
        images = [draw(32), draw(16)]
        with open(os.path.join(out_dir, name), 'wb') as f:
            f.write(ico(images))
        if previews:
            for pixels in images:
                preview = os.path.join(out_dir, '%s-%d.png' % (name[:-4], len(pixels)))
                with open(preview, 'wb') as f:
                    f.write(png(pixels, 256 // len(pixels)))


if __name__ == '__main__':
    main(sys.argv[1:])
