#!/usr/bin/env python3
"""Draws the program's artwork: the application icon, the three image-form icons, the read and write
pictures of the main window and the success sound. Run it after changing a drawing; its outputs in
src/win32/res are committed, so building needs no Python."""

import math
import os
import struct

OUT = os.path.join(os.path.dirname(__file__), '..', 'src', 'win32', 'res')

# --- a tiny RGBA canvas -------------------------------------------------------------------------------

class Canvas:
    def __init__(self, w, h, fill=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [[fill for _ in range(w)] for _ in range(h)]

    def blend(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            r, g, b, a = c
            if a == 255:
                self.px[y][x] = c
                return
            R, G, B, A = self.px[y][x]
            na = a + A * (255 - a) // 255
            if na == 0:
                return
            mix = lambda s, d: (s * a + d * A * (255 - a) // 255) // na
            self.px[y][x] = (mix(r, R), mix(g, G), mix(b, B), na)

    def rect(self, x0, y0, x1, y1, c):
        """Fills [x0, x1) x [y0, y1) in unit coordinates scaled to the canvas."""
        sx, sy = self.w, self.h
        for y in range(int(y0 * sy), int(math.ceil(y1 * sy))):
            for x in range(int(x0 * sx), int(math.ceil(x1 * sx))):
                self.blend(x, y, c)

    def poly(self, points, c):
        """Fills a polygon given in unit coordinates (even-odd rule, 4x4 supersampling)."""
        pts = [(px * self.w, py * self.h) for px, py in points]
        for y in range(self.h):
            for x in range(self.w):
                hits = 0
                for sy in range(4):
                    for sx in range(4):
                        fx, fy = x + (sx + 0.5) / 4, y + (sy + 0.5) / 4
                        inside = False
                        for i in range(len(pts)):
                            ax, ay = pts[i]
                            bx, by = pts[(i + 1) % len(pts)]
                            if (ay > fy) != (by > fy) and fx < (bx - ax) * (fy - ay) / (by - ay) + ax:
                                inside = not inside
                        hits += inside
                if hits:
                    self.blend(x, y, c[:3] + (c[3] * hits // 16,))


def floppy(c, body=(36, 72, 140, 255), label=(245, 245, 238, 255), badge=None):
    """A 3.5-inch disk: body with a cut corner, metal shutter, label and an optional badge colour."""
    c.poly([(0.08, 0.06), (0.84, 0.06), (0.94, 0.16), (0.94, 0.94), (0.08, 0.94)], (20, 30, 60, 255))
    c.poly([(0.11, 0.09), (0.83, 0.09), (0.91, 0.17), (0.91, 0.91), (0.11, 0.91)], body)
    c.rect(0.28, 0.09, 0.74, 0.36, (196, 202, 210, 255))   # shutter
    c.rect(0.58, 0.13, 0.68, 0.32, (70, 76, 86, 255))      # shutter window
    c.rect(0.20, 0.50, 0.82, 0.91, label)                  # label
    for row in (0.60, 0.70, 0.80):
        c.rect(0.26, row, 0.76, row + 0.03, (150, 160, 180, 255))
    if badge:
        c.poly([(0.52, 0.52), (0.98, 0.52), (0.98, 0.98), (0.52, 0.98)], (255, 255, 255, 255))
        c.poly([(0.56, 0.56), (0.94, 0.56), (0.94, 0.94), (0.56, 0.94)], badge)


def icon_image(size, badge, symbol=None):
    c = Canvas(size, size)
    floppy(c, badge=badge)
    white = (255, 255, 255, 255)
    if symbol == 'raw':        # plain sectors: lines of data
        for row in (0.63, 0.72, 0.81):
            c.rect(0.62, row, 0.88, row + 0.05, white)
    elif symbol == 'zip':      # compressed: a zipper
        c.rect(0.72, 0.58, 0.78, 0.92, white)
        for row in (0.60, 0.68, 0.76, 0.84):
            c.rect(0.66, row, 0.84, row + 0.04, white)
    elif symbol == 'program':  # self-extracting: a program window
        c.rect(0.61, 0.62, 0.89, 0.89, white)
        c.rect(0.64, 0.69, 0.86, 0.86, badge)
    return c

# --- file formats ------------------------------------------------------------------------------------

def dib(c):
    """A 32-bit BITMAPINFOHEADER image with its AND mask, as an icon directory entry holds it."""
    header = struct.pack('<IiiHHIIiiII', 40, c.w, c.h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = b''.join(bytes(v for r, g, b, a in c.px[y] for v in (b, g, r, a)) for y in reversed(range(c.h)))
    mask_row = ((c.w + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(c.h)):
        bits = bytearray(mask_row)
        for x in range(c.w):
            if c.px[y][x][3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + rows + bytes(mask)


def write_ico(path, images):
    blobs = [dib(img) for img in images]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for img, blob in zip(images, blobs):
        out += struct.pack('<BBBBHHII', img.w % 256, img.h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    with open(path, 'wb') as f:
        f.write(out + b''.join(blobs))


def write_bmp(path, c, background=(255, 255, 255)):
    """24-bit bitmap on pure white, the colour the main window treats as transparent."""
    row = (c.w * 3 + 3) & ~3
    data = bytearray()
    for y in reversed(range(c.h)):
        line = bytearray()
        for r, g, b, a in c.px[y]:
            mix = lambda v, bg: (v * a + bg * (255 - a)) // 255
            line += bytes((mix(b, background[2]), mix(g, background[1]), mix(r, background[0])))
        data += line + bytes(row - len(line))
    header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, c.w, c.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + data)


def write_wav(path):
    """A short rising two-note chime: 22,050 Hz, 16-bit mono."""
    rate, samples = 22050, []
    for freq, start, length in ((880.0, 0.0, 0.18), (1318.5, 0.12, 0.30)):
        for i in range(int(length * rate)):
            t = i / rate
            envelope = min(1.0, t / 0.01) * math.exp(-t * 9)
            index = int((start + t) * rate)
            while len(samples) <= index:
                samples.append(0.0)
            samples[index] += 0.35 * envelope * math.sin(2 * math.pi * freq * t)
    pcm = b''.join(struct.pack('<h', int(max(-1, min(1, s)) * 32000)) for s in samples)
    header = struct.pack('<4sI4s4sIHHIIHH4sI', b'RIFF', 36 + len(pcm), b'WAVE', b'fmt ', 16, 1, 1, rate,
                         rate * 2, 2, 16, b'data', len(pcm))
    with open(path, 'wb') as f:
        f.write(header + pcm)


def picture(reading):
    """32 x 76: a disk above a drive, with an arrow showing the direction of the transfer."""
    c = Canvas(32, 76, (255, 255, 255, 0))
    top = Canvas(32, 32)
    floppy(top)
    for y in range(32):
        for x in range(32):
            c.blend(x, y, top.px[y][x])
    # the hard disk (image file) at the bottom
    c.rect(0.06, 0.74, 0.94, 0.97, (90, 96, 110, 255))
    c.rect(0.10, 0.77, 0.90, 0.94, (170, 176, 188, 255))
    c.rect(0.70, 0.88, 0.84, 0.91, (60, 200, 90, 255))
    arrow = (200, 60, 40, 255) if reading else (40, 140, 60, 255)
    if reading:
        c.poly([(0.38, 0.45), (0.62, 0.45), (0.62, 0.58), (0.80, 0.58), (0.50, 0.71), (0.20, 0.58), (0.38, 0.58)], arrow)
    else:
        c.poly([(0.38, 0.71), (0.62, 0.71), (0.62, 0.58), (0.80, 0.58), (0.50, 0.45), (0.20, 0.58), (0.38, 0.58)], arrow)
    return c


def main():
    os.makedirs(OUT, exist_ok=True)
    sizes = (16, 32, 48)
    write_ico(os.path.join(OUT, 'diskelle.ico'), [icon_image(s, None) for s in sizes])
    write_ico(os.path.join(OUT, 'image-img.ico'), [icon_image(s, (60, 150, 230, 255), 'raw') for s in sizes])
    write_ico(os.path.join(OUT, 'image-imz.ico'), [icon_image(s, (230, 150, 20, 255), 'zip') for s in sizes])
    write_ico(os.path.join(OUT, 'image-exe.ico'), [icon_image(s, (70, 160, 70, 255), 'program') for s in sizes])
    write_bmp(os.path.join(OUT, 'read.bmp'), picture(True))
    write_bmp(os.path.join(OUT, 'write.bmp'), picture(False))
    write_wav(os.path.join(OUT, 'success.wav'))


if __name__ == '__main__':
    main()
