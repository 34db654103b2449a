#!/usr/bin/env python3
"""Draws the small icons the player ships (button fallbacks and the mode masks) as PNG files.

Run once after changing a glyph; the PNGs are compiled into the executable as Qt resources.
"""
import os, struct, zlib

OUT = os.path.join(os.path.dirname(__file__), '..', 'resources', 'icons')

def png(path, w, h, pix):  # pix[y][x] = (r, g, b, a)
    raw = b''.join(b'\x00' + bytes(c for p in row for c in p) for row in pix)
    def chunk(t, d):
        return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
    data = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0))
    data += chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b'')
    with open(path, 'wb') as f:
        f.write(data)

class Canvas:
    def __init__(self, w=16, h=16):
        self.w, self.h = w, h
        self.on = [[False] * w for _ in range(h)]
    def set(self, x, y):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.on[y][x] = True
    def rect(self, x0, y0, x1, y1):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y)
    def frame(self, x0, y0, x1, y1):
        for x in range(x0, x1 + 1):
            self.set(x, y0); self.set(x, y1)
        for y in range(y0, y1 + 1):
            self.set(x0, y); self.set(x1, y)
    def line(self, x0, y0, x1, y1):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            self.set(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n))
    def poly(self, pts):
        for y in range(self.h):
            for x in range(self.w):
                px, py = x + 0.5, y + 0.5
                inside = False
                for i in range(len(pts)):
                    (ax, ay), (bx, by) = pts[i], pts[(i + 1) % len(pts)]
                    if (ay > py) != (by > py) and px < ax + (py - ay) * (bx - ax) / (by - ay):
                        inside = not inside
                if inside:
                    self.set(x, y)
    def save_icon(self, name, color=(40, 40, 40)):
        pix = [[(*color, 255) if self.on[y][x] else (0, 0, 0, 0) for x in range(self.w)]
               for y in range(self.h)]
        png(os.path.join(OUT, name + '.png'), self.w, self.h, pix)
    def save_mask(self, name):  # glyph black on white, as the mode pictures are drawn
        pix = [[(0, 0, 0, 255) if self.on[y][x] else (255, 255, 255, 255) for x in range(self.w)]
               for y in range(self.h)]
        png(os.path.join(OUT, name + '.png'), self.w, self.h, pix)

def icon(name, draw):
    c = Canvas(); draw(c); c.save_icon(name)

def mask(name, draw):
    c = Canvas(14, 12); draw(c); c.save_mask(name)

os.makedirs(OUT, exist_ok=True)
icon('play', lambda c: c.poly([(4, 2), (13, 8), (4, 14)]))
icon('pause', lambda c: (c.rect(4, 3, 6, 13), c.rect(9, 3, 11, 13)))
icon('stop', lambda c: c.rect(4, 4, 12, 12))
icon('previous', lambda c: (c.rect(3, 3, 4, 13), c.poly([(13, 3), (5, 8), (13, 13)])))
icon('next', lambda c: (c.rect(11, 3, 12, 13), c.poly([(3, 3), (11, 8), (3, 13)])))
icon('shuffle', lambda c: (c.line(2, 4, 13, 12), c.line(2, 12, 13, 4),
                           c.poly([(10, 2), (15, 4), (11, 7)]), c.poly([(10, 14), (15, 12), (11, 9)])))
icon('up', lambda c: (c.poly([(8, 2), (14, 9), (2, 9)]), c.rect(6, 9, 9, 14)))
icon('down', lambda c: (c.poly([(8, 14), (14, 7), (2, 7)]), c.rect(6, 2, 9, 7)))
icon('clear', lambda c: [c.line(3 + d, 3, 13 + d - 1, 13) or c.line(12 + d, 3, 3 + d - 1 + 1, 13) for d in (0, 1)])
icon('volume', lambda c: (c.rect(2, 6, 4, 10), c.poly([(4, 6), (9, 2), (9, 14), (4, 10)]),
                          c.line(11, 5, 11, 11), c.line(13, 3, 13, 13)))
icon('resize', lambda c: (c.frame(1, 1, 14, 14), c.frame(1, 1, 8, 8), c.rect(2, 2, 7, 7)))
icon('folder', lambda c: (c.rect(1, 5, 14, 13), c.rect(1, 3, 6, 5)))
icon('getfile', lambda c: (c.frame(1, 6, 14, 14), c.rect(7, 1, 8, 8), c.poly([(4, 6), (8, 11), (12, 6)])))
icon('addfile', lambda c: (c.frame(1, 6, 14, 14), c.rect(3, 9, 12, 10), c.rect(7, 7, 8, 12), c.rect(7, 1, 8, 4)))
icon('save', lambda c: (c.frame(1, 1, 14, 14), c.rect(4, 1, 11, 5), c.rect(4, 9, 11, 14)))
icon('getlist', lambda c: (c.rect(2, 3, 13, 4), c.rect(2, 7, 13, 8), c.rect(2, 11, 13, 12)))
icon('addlist', lambda c: (c.rect(1, 3, 8, 4), c.rect(1, 7, 8, 8), c.rect(1, 11, 8, 12),
                           c.rect(10, 7, 15, 8), c.rect(12, 5, 13, 10)))
icon('search', lambda c: (c.frame(2, 2, 9, 9), c.frame(3, 3, 8, 8), c.line(9, 9, 14, 14), c.line(10, 9, 14, 13)))
icon('lyric', lambda c: (c.rect(2, 2, 13, 3), c.rect(2, 6, 13, 7), c.rect(2, 10, 10, 11), c.rect(2, 14, 7, 14)))
icon('taginfo', lambda c: (c.rect(7, 2, 8, 3), c.rect(7, 6, 8, 13), c.rect(5, 13, 10, 14), c.rect(5, 6, 7, 6)))
icon('option', lambda c: (c.frame(4, 4, 11, 11), c.frame(5, 5, 10, 10), c.rect(7, 1, 8, 3), c.rect(7, 12, 8, 14),
                          c.rect(1, 7, 3, 8), c.rect(12, 7, 14, 8)))
icon('help', lambda c: (c.rect(4, 2, 11, 3), c.rect(10, 3, 11, 7), c.rect(7, 7, 10, 8), c.rect(7, 8, 8, 10),
                        c.rect(7, 12, 8, 13), c.rect(4, 3, 5, 5)))
icon('zapt', lambda c: (c.frame(0, 0, 15, 15), c.poly([(5, 3), (13, 8), (5, 13)])))
mask('playnumber_single', lambda c: (c.rect(6, 1, 7, 10), c.rect(4, 2, 5, 3), c.rect(4, 10, 9, 10)))
mask('playnumber_all', lambda c: (c.rect(1, 1, 2, 10), c.rect(1, 1, 12, 2), c.rect(11, 1, 12, 10),
                                  c.rect(5, 4, 8, 10), c.rect(1, 9, 12, 10)))
mask('repeat_on', lambda c: (c.frame(1, 2, 12, 9), c.frame(2, 3, 11, 8), c.poly([(8, 0), (12, 2.5), (8, 5)])))
mask('repeat_off', lambda c: (c.rect(0, 5, 9, 6), c.poly([(9, 2), (13, 5.5), (9, 9)])))
mask('repeat_random', lambda c: (c.line(0, 1, 12, 10), c.line(0, 10, 12, 1), c.line(1, 1, 13, 10),
                                 c.line(1, 10, 13, 1)))
mask('timer_on', lambda c: (c.frame(2, 0, 11, 11), c.frame(3, 1, 10, 10), c.rect(6, 3, 7, 6), c.rect(7, 6, 9, 7)))
mask('timer_off', lambda c: (c.frame(2, 0, 11, 11), c.line(2, 11, 11, 0), c.line(3, 11, 11, 1)))

# The application icon for the desktop (menus, task bar, software centre): the same square and
# play triangle as the window icon, on a light face so it shows on dark panels too, drawn from
# its outline at each size with 4 x 4 samples a pixel.
DESKTOP = os.path.join(os.path.dirname(__file__), '..', 'resources', 'desktop', 'icons', 'hicolor')
INK, FACE = (40, 40, 40), (245, 245, 245)
TRIANGLE = [(5, 3), (13, 8), (5, 13)]

def in_triangle(x, y):
    inside = False
    for i in range(3):
        (ax, ay), (bx, by) = TRIANGLE[i], TRIANGLE[(i + 1) % 3]
        if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
            inside = not inside
    return inside

def app_icon(size):
    n, unit = 4, 16 / size
    border = max(1.0, unit)  # at least one pixel of frame
    pix = []
    for py in range(size):
        row = []
        for px in range(size):
            ink = 0
            for sy in range(n):
                for sx in range(n):
                    x, y = (px + (sx + 0.5) / n) * unit, (py + (sy + 0.5) / n) * unit
                    edge = min(x, y, 16 - x, 16 - y) < border
                    ink += edge or in_triangle(x, y)
            a = ink / (n * n)
            row.append(tuple(round(INK[i] * a + FACE[i] * (1 - a)) for i in range(3)) + (255,))
        pix.append(row)
    folder = os.path.join(DESKTOP, '%dx%d' % (size, size), 'apps')
    os.makedirs(folder, exist_ok=True)
    png(os.path.join(folder, 'zapt.png'), size, size, pix)

for size in (16, 22, 24, 32, 48, 64, 128, 256):
    app_icon(size)
os.makedirs(os.path.join(DESKTOP, 'scalable', 'apps'), exist_ok=True)
with open(os.path.join(DESKTOP, 'scalable', 'apps', 'zapt.svg'), 'w') as f:
    f.write('<svg xmlns="http://www.w3.org/2000/svg" width="16" height="16" viewBox="0 0 16 16">\n'
            '  <rect x="0.5" y="0.5" width="15" height="15" fill="#f5f5f5" stroke="#282828"/>\n'
            '  <polygon points="5,3 13,8 5,13" fill="#282828"/>\n'
            '</svg>\n')
