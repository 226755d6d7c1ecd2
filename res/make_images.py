#!/usr/bin/env python3
"""Draws the launcher skin's images into this folder as PNG files.

Standard library only: pixels are computed here and written with zlib.
Run it again after changing a colour or a size; the PNGs are committed.
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

NAVY = (30, 58, 95)
NAVY_DARK = (18, 36, 62)
ACCENT = (45, 140, 240)
ACCENT_HOT = (72, 160, 248)
ACCENT_PUSHED = (30, 112, 204)
ORANGE = (243, 156, 18)
WHITE = (255, 255, 255)
LINE = (200, 208, 222)


class Canvas:
    def __init__(self, width, height, fill=(0, 0, 0, 0)):
        self.width = width
        self.height = height
        self.pixels = [list(fill) for _ in range(width * height)]

    def blend(self, x, y, color, coverage=1.0):
        if not (0 <= x < self.width and 0 <= y < self.height) or coverage <= 0:
            return
        r, g, b = color[:3]
        a = (color[3] if len(color) > 3 else 255) / 255.0 * min(coverage, 1.0)
        p = self.pixels[y * self.width + x]
        da = p[3] / 255.0
        out = a + da * (1 - a)
        if out <= 0:
            return
        for i, c in enumerate((r, g, b)):
            p[i] = int(round((c * a + p[i] * da * (1 - a)) / out))
        p[3] = int(round(out * 255))

    def fill_rect(self, x0, y0, x1, y1, color):
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                self.blend(x, y, color)

    def gradient(self, x0, y0, x1, y1, top, bottom):
        for y in range(y0, y1):
            t = (y - y0) / max(1, y1 - y0 - 1)
            color = tuple(int(top[i] + (bottom[i] - top[i]) * t) for i in range(3))
            for x in range(x0, x1):
                self.blend(x, y, color)

    def coverage(self, x, y, inside, samples=4):
        hits = 0
        for sy in range(samples):
            for sx in range(samples):
                if inside(x + (sx + 0.5) / samples, y + (sy + 0.5) / samples):
                    hits += 1
        return hits / (samples * samples)

    def shape(self, inside, color, box=None):
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                c = self.coverage(x, y, inside)
                if c > 0:
                    self.blend(x, y, color, c)

    def round_rect(self, x0, y0, x1, y1, radius, color):
        def inside(px, py):
            if not (x0 <= px <= x1 and y0 <= py <= y1):
                return False
            cx = min(max(px, x0 + radius), x1 - radius)
            cy = min(max(py, y0 + radius), y1 - radius)
            return (px - cx) ** 2 + (py - cy) ** 2 <= radius ** 2
        self.shape(inside, color, (int(x0), int(y0), int(math.ceil(x1)), int(math.ceil(y1))))

    def circle(self, cx, cy, r, color):
        self.shape(lambda px, py: (px - cx) ** 2 + (py - cy) ** 2 <= r * r, color,
                   (int(cx - r - 1), int(cy - r - 1), int(cx + r + 2), int(cy + r + 2)))

    def line(self, xa, ya, xb, yb, width, color):
        def inside(px, py):
            dx, dy = xb - xa, yb - ya
            t = max(0.0, min(1.0, ((px - xa) * dx + (py - ya) * dy) / (dx * dx + dy * dy)))
            qx, qy = xa + t * dx, ya + t * dy
            return (px - qx) ** 2 + (py - qy) ** 2 <= (width / 2.0) ** 2
        pad = width + 1
        self.shape(inside, color, (int(min(xa, xb) - pad), int(min(ya, yb) - pad),
                                   int(max(xa, xb) + pad + 1), int(max(ya, yb) + pad + 1)))

    def polygon(self, points, color):
        def inside(px, py):
            result = False
            j = len(points) - 1
            for i in range(len(points)):
                xi, yi = points[i]
                xj, yj = points[j]
                if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
                    result = not result
                j = i
            return result
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.shape(inside, color, (int(min(xs)), int(min(ys)), int(max(xs)) + 1, int(max(ys)) + 1))

    def paste(self, other, ox, oy):
        for y in range(other.height):
            for x in range(other.width):
                p = other.pixels[y * other.width + x]
                if p[3]:
                    self.blend(ox + x, oy + y, tuple(p[:3]) + (p[3],))

    def save(self, name):
        raw = bytearray()
        for y in range(self.height):
            raw.append(0)
            for x in range(self.width):
                raw.extend(bytes(self.pixels[y * self.width + x]))

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0)
        png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
               chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(png)


def strip(states, width, height, draw):
    """One image holding a control's looks side by side (normal, hot, pushed...)."""
    canvas = Canvas(width * len(states), height)
    for i, state in enumerate(states):
        draw(canvas, i * width, state)
    return canvas


def caption_buttons():
    backs = [None, (255, 255, 255, 40), (255, 255, 255, 70)]
    close_backs = [None, (232, 17, 35, 255), (190, 12, 28, 255)]

    def draw_min(c, ox, state):
        if backs[state]:
            c.fill_rect(ox, 0, ox + 32, 28, backs[state])
        c.line(ox + 11, 15, ox + 21, 15, 1.6, WHITE)

    def draw_close(c, ox, state):
        if close_backs[state]:
            c.fill_rect(ox, 0, ox + 32, 28, close_backs[state])
        c.line(ox + 11, 9, ox + 21, 19, 1.6, WHITE)
        c.line(ox + 21, 9, ox + 11, 19, 1.6, WHITE)

    strip([0, 1, 2], 32, 28, draw_min).save("btn_min.png")
    strip([0, 1, 2], 32, 28, draw_close).save("btn_close.png")


def buttons():
    def main(c, ox, state):
        color = [ACCENT, ACCENT_HOT, ACCENT_PUSHED, (170, 186, 206)][state]
        c.round_rect(ox + 0.5, 0.5, ox + 59.5, 39.5, 5, color)
        c.fill_rect(ox + 4, 2, ox + 56, 3, (255, 255, 255, 50))

    def small(c, ox, state):
        border = [LINE, ACCENT, ACCENT_PUSHED, LINE][state]
        back = [WHITE, (240, 247, 255), (222, 236, 252), (240, 240, 240)][state]
        c.round_rect(ox + 0.5, 0.5, ox + 39.5, 29.5, 4, border)
        c.round_rect(ox + 1.5, 1.5, ox + 38.5, 28.5, 3, back)

    strip([0, 1, 2, 3], 60, 40, main).save("btn_main.png")
    strip([0, 1, 2, 3], 40, 30, small).save("btn_small.png")


def inputs():
    def box(c, ox, state):
        border = [LINE, (150, 190, 235), ACCENT][state]
        c.round_rect(ox + 0.5, 0.5, ox + 39.5, 35.5, 4, border)
        c.round_rect(ox + 1.5, 1.5, ox + 38.5, 34.5, 3, WHITE)

    strip([0, 1, 2], 40, 36, box).save("input.png")

    # The combo: a box whose right end holds the drop arrow.
    def combo(c, ox, state):
        box(c, ox, state)
        c.fill_rect(ox + 40 - 31, 8, ox + 40 - 30, 28, (225, 230, 238))
        arrow = [(120, 130, 148), ACCENT, ACCENT_PUSHED][state]
        cx = ox + 40 - 15
        c.polygon([(cx - 5, 15), (cx + 5, 15), (cx, 21)], arrow)

    strip([0, 1, 2], 40, 36, combo).save("combo.png")


def checks():
    def check(c, ox, state):
        selected = state >= 2
        hot = state % 2 == 1
        border = ACCENT if (hot or selected) else (160, 170, 186)
        c.round_rect(ox + 0.5, 0.5, ox + 15.5, 15.5, 3, border)
        if selected:
            c.round_rect(ox + 1.5, 1.5, ox + 14.5, 14.5, 2, ACCENT)
            c.line(ox + 4, 8, ox + 7, 11, 1.8, WHITE)
            c.line(ox + 7, 11, ox + 12, 5, 1.8, WHITE)
        else:
            c.round_rect(ox + 1.5, 1.5, ox + 14.5, 14.5, 2, WHITE)

    def radio(c, ox, state):
        selected = state >= 2
        hot = state % 2 == 1
        border = ACCENT if (hot or selected) else (160, 170, 186)
        c.circle(ox + 8, 8, 7.5, border)
        c.circle(ox + 8, 8, 6.5, WHITE)
        if selected:
            c.circle(ox + 8, 8, 3.8, ACCENT)

    strip([0, 1, 2, 3], 16, 16, check).save("check.png")
    strip([0, 1, 2, 3], 16, 16, radio).save("radio.png")


def tabs():
    c = Canvas(8, 34)
    c.fill_rect(0, 31, 8, 34, ACCENT)
    c.save("tab_sel.png")
    c = Canvas(8, 34)
    c.fill_rect(0, 33, 8, 34, LINE)
    c.save("tab_normal.png")


def progress():
    c = Canvas(16, 10)
    c.round_rect(0.5, 0.5, 15.5, 9.5, 4.5, (226, 232, 240))
    c.save("progress_bg.png")
    c = Canvas(16, 10)
    c.round_rect(0.5, 0.5, 15.5, 9.5, 4.5, ACCENT)
    c.fill_rect(3, 1, 13, 3, (255, 255, 255, 60))
    c.save("progress_fg.png")
    c = Canvas(16, 16)
    c.round_rect(0.5, 0.5, 15.5, 15.5, 6, (226, 232, 240))
    c.save("progress_big_bg.png")
    c = Canvas(16, 16)
    c.gradient(0, 0, 16, 16, (253, 178, 60), ORANGE)
    mask = Canvas(16, 16)
    mask.round_rect(0.5, 0.5, 15.5, 15.5, 6, WHITE)
    for i, p in enumerate(c.pixels):
        p[3] = mask.pixels[i][3]
    c.save("progress_big_fg.png")


def backgrounds():
    c = Canvas(4, 40)
    c.gradient(0, 0, 4, 40, (36, 70, 115), NAVY_DARK)
    c.save("caption.png")
    c = Canvas(4, 34)
    c.gradient(0, 0, 4, 34, NAVY, NAVY_DARK)
    c.save("linkbar.png")


def logo():
    c = Canvas(24, 24)
    c.round_rect(0.5, 0.5, 23.5, 23.5, 6, ORANGE)
    c.polygon([(5, 6), (9, 6), (12, 15), (15, 6), (19, 6), (14, 19), (10, 19)], WHITE)
    c.save("logo.png")


def banner():
    width, height = 470, 230
    c = Canvas(width, height)
    c.gradient(0, 0, width, height, (20, 40, 84), (64, 110, 170))
    # A soft sun and a scattering of stars.
    for r, alpha in ((70, 20), (50, 35), (34, 70)):
        c.circle(360, 70, r, (255, 200, 120, alpha))
    c.circle(360, 70, 24, (255, 214, 140))
    seed = 7
    for _ in range(60):
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        x = seed % width
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        y = seed % (height // 2)
        c.blend(x, y, (255, 255, 255, 120 + seed % 120))
    # Three ranges of hills, lighter towards the back.
    ranges = [
        ((70, 100, 150), 150, 0.018, 26),
        ((42, 70, 115), 170, 0.025, 22),
        ((24, 44, 78), 192, 0.033, 16),
    ]
    for color, base, freq, amp in ranges:
        points = [(0, height)]
        for x in range(0, width + 10, 10):
            y = base - amp * math.sin(x * freq) - amp * 0.5 * math.sin(x * freq * 2.7 + 1)
            points.append((x, y))
        points.append((width, height))
        c.polygon(points, color)
    # Title plate.
    c.round_rect(24, 24, 214, 96, 8, (0, 0, 0, 70))
    c.fill_rect(36, 84, 110, 87, ORANGE)
    c.save("banner.png")


def main():
    caption_buttons()
    buttons()
    inputs()
    checks()
    tabs()
    progress()
    backgrounds()
    logo()
    banner()


if __name__ == "__main__":
    main()
