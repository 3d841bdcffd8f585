#!/usr/bin/env python3
"""Writes the program's 16-pixel toolbar icons as SVG files into src/gui/res/icons/.

Every icon is drawn from plain shapes here, so that they stay consistent; run this script
again after changing one and commit the SVG files."""
import os

OUT = os.path.join(os.path.dirname(__file__), '..', 'src', 'gui', 'res', 'icons')
INK = '#303030'
BLUE = '#2060c0'
GREEN = '#208040'
RED = '#c02020'
PAPER = '#ffffff'


def svg(body):
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="16" height="16" viewBox="0 0 16 16">'
            + body + '</svg>\n')


def line(points, color=INK, width=1.2, fill='none', close=False):
    d = 'M' + ' L'.join(f'{x},{y}' for x, y in points) + (' Z' if close else '')
    return (f'<path d="{d}" fill="{fill}" stroke="{color}" stroke-width="{width}" '
            'stroke-linejoin="round" stroke-linecap="round"/>')


def rect(x, y, w, h, fill=PAPER, stroke=INK, width=1):
    return f'<rect x="{x}" y="{y}" width="{w}" height="{h}" fill="{fill}" stroke="{stroke}" stroke-width="{width}"/>'


def circle(cx, cy, r, fill='none', stroke=INK, width=1.2):
    return f'<circle cx="{cx}" cy="{cy}" r="{r}" fill="{fill}" stroke="{stroke}" stroke-width="{width}"/>'


def letter(ch, x, y, color=RED):
    """A small stroked capital (4 wide, 5 high) with its top-left corner at x, y."""
    shapes = {
        'L': [[(x, y), (x, y + 5), (x + 3.5, y + 5)]],
        'R': [[(x, y + 5), (x, y), (x + 2.5, y), (x + 3.5, y + 1.2), (x + 2.5, y + 2.5), (x, y + 2.5)],
              [(x + 1.5, y + 2.5), (x + 3.5, y + 5)]],
        'M': [[(x, y + 5), (x, y), (x + 2, y + 3), (x + 4, y), (x + 4, y + 5)]],
    }
    return ''.join(line(p, color, 1.1) for p in shapes[ch])


def wave_path(x0, x1, ymid, amp, periods=1.5, color=BLUE, width=1.2):
    import math
    pts = []
    n = 24
    for i in range(n + 1):
        t = i / n
        pts.append((round(x0 + (x1 - x0) * t, 2), round(ymid - amp * math.sin(2 * math.pi * periods * t), 2)))
    return line(pts, color, width)


def spectrum(x0, y0, heights, color=GREEN):
    return ''.join(line([(x0 + 2 * i, y0), (x0 + 2 * i, y0 - h)], color, 1.4) for i, h in enumerate(heights))


def arrow(x0, y0, x1, y1, color=INK):
    import math
    a = math.atan2(y1 - y0, x1 - x0)
    h1 = (x1 - 3 * math.cos(a - 0.5), y1 - 3 * math.sin(a - 0.5))
    h2 = (x1 - 3 * math.cos(a + 0.5), y1 - 3 * math.sin(a + 0.5))
    return line([(x0, y0), (x1, y1)], color, 1.4) + line([h1, (x1, y1), h2], color, 1.4)


def magnifier(sign, axis):
    body = circle(6, 6, 4, PAPER) + line([(9, 9), (14, 14)], INK, 2)
    body += line([(4, 6), (8, 6)], RED, 1.4)
    if sign == '+':
        body += line([(6, 4), (6, 8)], RED, 1.4)
    body += (line([(10, 1.5), (15, 1.5)], BLUE, 1) if axis == 'x' else line([(14.5, 3), (14.5, 8)], BLUE, 1))
    return body


ICONS = {
    'new': line([(3, 1.5), (10, 1.5), (13, 4.5), (13, 14.5), (3, 14.5)], INK, 1, PAPER, True)
           + line([(10, 1.5), (10, 4.5), (13, 4.5)], INK, 1),
    'open': line([(1.5, 4), (6, 4), (7.5, 5.5), (13.5, 5.5), (13.5, 13.5), (1.5, 13.5)], INK, 1, '#f0d070', True)
            + line([(1.5, 13.5), (4, 8), (15, 8), (13.5, 13.5)], INK, 1, '#f8e090', True),
    'save': rect(1.5, 1.5, 13, 13, '#5070b0') + rect(4, 1.5, 8, 5, PAPER) + rect(4, 9.5, 8, 5, '#d0d0d0'),
    'loadwave': line([(1.5, 5), (6, 5), (7.5, 6.5), (14.5, 6.5), (14.5, 14.5), (1.5, 14.5)], INK, 1, '#f0d070', True)
                + wave_path(3, 13, 10.5, 2.5, 1.5),
    'copy': rect(1.5, 1.5, 8, 10) + rect(6.5, 4.5, 8, 10),
    'print': rect(4, 1.5, 8, 5) + rect(1.5, 6.5, 13, 6, '#c0c0c0') + rect(4, 10.5, 8, 4),
    'font': line([(2, 14), (6.5, 2), (11, 14)], INK, 1.6) + line([(3.8, 9.5), (9.2, 9.5)], INK, 1.4)
            + line([(11, 8), (14.5, 8)], BLUE, 1.2),
    'generator': wave_path(1.5, 14.5, 9, 4, 1.0) + line([(11, 1.5), (11, 5.5)], RED, 1.4) + line([(9, 3.5), (13, 3.5)], RED, 1.4),
    'waveedit': wave_path(1, 15, 9, 4, 2.0) + line([(9, 14.5), (14.5, 3)], RED, 1.6),
    'filter': line([(1.5, 2), (14.5, 2), (9.5, 8), (9.5, 14), (6.5, 12.5), (6.5, 8)], INK, 1, '#a0c0e0', True),
    'panel': ''.join(line([(x, 2), (x, 14)], INK, 1) for x in (4, 8, 12))
             + rect(2.5, 9, 3, 2, BLUE, BLUE) + rect(6.5, 4, 3, 2, BLUE, BLUE) + rect(10.5, 7, 3, 2, BLUE, BLUE),
    'record': circle(8, 8, 5.5, RED, '#801010', 1),
    'play': line([(4, 2.5), (13, 8), (4, 13.5)], '#106030', 1, GREEN, True),
    'stop': rect(3, 3, 10, 10, INK, INK),
    'info': circle(8, 8, 6.5, '#e8f0ff', BLUE, 1.2) + line([(8, 7), (8, 12)], BLUE, 1.8)
            + circle(8, 4.5, 0.6, BLUE, BLUE, 1),
    'grid': rect(1.5, 1.5, 13, 13, PAPER) + ''.join(line([(x, 1.5), (x, 14.5)], GREEN, 0.8) for x in (5.5, 10))
            + ''.join(line([(1.5, y), (14.5, y)], GREEN, 0.8) for y in (5.5, 10)),
    'logF': line([(1.5, 13.5), (14.5, 13.5)], INK, 1) + ''.join(line([(x, 13.5), (x, 10.5)], INK, 1) for x in (2, 6, 8.5, 10, 11, 11.8, 14))
            + line([(2, 3), (6, 6), (10, 8), (14, 9)], BLUE, 1.2),
    'logL': line([(2.5, 1.5), (2.5, 14.5)], INK, 1) + ''.join(line([(2.5, y), (5.5, y)], INK, 1) for y in (2, 6, 8.5, 10, 11, 11.8, 14))
            + line([(7, 6), (8, 6), (8.5, 3), (9.5, 12), (10.5, 6), (14.5, 6)], GREEN, 1.2),
    'fullX': line([(1.5, 3), (1.5, 13)], INK, 1.2) + line([(14.5, 3), (14.5, 13)], INK, 1.2)
             + arrow(8, 8, 13, 8, BLUE) + arrow(8, 8, 3, 8, BLUE),
    'fullY': line([(3, 1.5), (13, 1.5)], INK, 1.2) + line([(3, 14.5), (13, 14.5)], INK, 1.2)
             + arrow(8, 8, 8, 3, BLUE) + arrow(8, 8, 8, 13, BLUE),
    'autoY': wave_path(4, 15, 8, 3, 1.0, GREEN) + arrow(2, 1.5, 2, 5.5) + arrow(2, 14.5, 2, 10.5),
    'peak': line([(1.5, 14), (5, 12), (8, 2.5), (11, 12), (14.5, 14)], GREEN, 1.2)
            + line([(8, 2.5), (8, 14.5)], RED, 1, ) ,
    'crosshair': line([(8, 1), (8, 15)], RED, 1.2) + line([(1, 8), (15, 8)], RED, 1.2) + circle(8, 8, 3, 'none', INK, 1),
    'shiftXPlus': arrow(2, 8, 14, 8, BLUE),
    'shiftXMinus': arrow(14, 8, 2, 8, BLUE),
    'shiftYPlus': arrow(8, 14, 8, 2, BLUE),
    'shiftYMinus': arrow(8, 2, 8, 14, BLUE),
    'zoomXIn': magnifier('+', 'x'),
    'zoomXOut': magnifier('-', 'x'),
    'zoomYIn': magnifier('+', 'y'),
    'zoomYOut': magnifier('-', 'y'),
    'about': circle(8, 8, 6.5, '#fff8d0', INK, 1.2)
             + line([(5.8, 6), (6.2, 4.2), (8, 3.5), (9.8, 4.2), (10.2, 6), (8, 8), (8, 10)], INK, 1.4)
             + circle(8, 12.3, 0.6, INK, INK, 1),
    # The mouse operations: mark, zoom band, 3D slice selection.
    'mouseMark': line([(1.5, 14), (5, 11), (8, 4), (11, 11), (14.5, 13)], GREEN, 1.1)
                 + line([(10, 1.5), (10, 14.5)], RED, 1.3) + line([(8.5, 1.5), (11.5, 1.5)], RED, 1.3),
    'mouseZoom': ('<rect x="2.5" y="3.5" width="11" height="8" fill="#e0e8ff" stroke="#2060c0" '
                  'stroke-width="1" stroke-dasharray="2,1.5"/>')
                 + arrow(5, 13.5, 11, 13.5, BLUE) + line([(8, 5.5), (8, 9.5)], INK, 1) + line([(6, 7.5), (10, 7.5)], INK, 1),
    'mouseSlice': line([(5, 5), (7, 2.5), (9, 4), (11, 3), (14, 4.5)], '#90b090', 1)
                  + line([(3, 9), (5, 5.5), (7, 7.5), (9, 6.5), (12, 8)], RED, 1.4)
                  + line([(1.5, 14), (3.5, 9.5), (5.5, 12), (7.5, 11), (10.5, 13)], GREEN, 1.1),
    # Analysing the whole range at once: two play triangles.
    'batch': line([(1.5, 3), (8, 8), (1.5, 13)], '#106030', 1, GREEN, True)
             + line([(8, 3), (14.5, 8), (8, 13)], '#106030', 1, GREEN, True),
}

for ch in 'LRM':
    ICONS['wave' + ch] = wave_path(1, 15, 6, 4, 1.5) + letter(ch, 10.5, 10)
    ICONS['fft' + ch] = line([(1.5, 14.5), (15, 14.5)], INK, 0.8) + spectrum(2, 14, [3, 9, 5, 3, 2]) + letter(ch, 11, 2)
    ICONS['fft3d' + ch] = (line([(4, 9), (6, 5), (8, 7), (10, 6), (12, 8)], '#80a080', 1)
                           + line([(1.5, 14), (3.5, 8), (5.5, 11), (7.5, 10), (9.5, 12.5)], GREEN, 1.2)
                           + letter(ch, 11.5, 9.5))

os.makedirs(OUT, exist_ok=True)
for name, body in sorted(ICONS.items()):
    with open(os.path.join(OUT, name + '.svg'), 'w') as f:
        f.write(svg(body))
print(f'{len(ICONS)} icons written to {os.path.normpath(OUT)}')
