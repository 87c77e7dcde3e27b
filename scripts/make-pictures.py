#!/usr/bin/env python3
"""Draw the program's pictures.

Writes, below resources/ of the source tree:
  Bitmap/MainButton/NAME.bmp and NAME_Gray.bmp   80 x 60 main buttons
  Bitmap/ToolBar/NAME.bmp                        24 x 24 tool bar buttons
  Bitmap/ShowMap/Recording.bmp                   128 x 96 video stand-in
  Bitmap/MessageBox/{Question,Attention,Error,Info}.bmp   32 x 32
  Bitmap/Icon.ico, sendra-cam.png, sendra-cam.svg         application icon

Every picture is first written as SVG, rendered with rsvg-convert and
turned into a 24-bit bottom-up BMP (BITMAPINFOHEADER, no alpha) with
ImageMagick's convert.  Only the Python standard library is used.

Usage: python3 scripts/make-pictures.py [--keep-svg DIR]
"""

import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RES = os.path.join(ROOT, "resources")
BITMAP = os.path.join(RES, "Bitmap")

# ---------------------------------------------------------------- palette
FACE = "#ECECEC"      # button face
DIALOG = "#EFEFEF"    # dialog background
INK = "#37474F"       # dark slate: strokes and bodies
INK2 = "#607D8B"      # secondary slate
METAL = "#90A4AE"
LIGHT = "#CFD8DC"
WHITE = "#FFFFFF"
BLUE = "#1E88E5"
DBLUE = "#1565C0"
PALEBLUE = "#BBDEFB"
GREEN = "#43A047"
DGREEN = "#2E7D32"
RED = "#E53935"
DRED = "#C62828"
AMBER = "#FFB300"
DAMBER = "#F57F17"
ORANGE = "#FB8C00"
PURPLE = "#8E24AA"
MAGENTA = "#D81B60"
PINK = "#F48FB1"
WOOD = "#FFE0B2"
FONT = "DejaVu Sans"

_ids = [0]


def uid(prefix="c"):
    _ids[0] += 1
    return "%s%d" % (prefix, _ids[0])


# ---------------------------------------------------------------- SVG primitives
def fmt(v):
    if isinstance(v, float):
        s = ("%.3f" % v).rstrip("0").rstrip(".")
        return s if s not in ("-0", "") else "0"
    return str(v)


def attrs(**kw):
    out = []
    for k, v in kw.items():
        if v is None:
            continue
        k = k.rstrip("_").replace("_", "-")
        out.append('%s="%s"' % (k, fmt(v)))
    return " ".join(out)


def rect(x, y, w, h, fill="none", stroke=None, sw=None, rx=None, **kw):
    return "<rect %s/>" % attrs(x=x, y=y, width=w, height=h, rx=rx, fill=fill,
                                stroke=stroke, stroke_width=sw, **kw)


def circle(cx, cy, r, fill="none", stroke=None, sw=None, **kw):
    return "<circle %s/>" % attrs(cx=cx, cy=cy, r=r, fill=fill, stroke=stroke,
                                  stroke_width=sw, **kw)


def line(x1, y1, x2, y2, stroke=INK, sw=2, cap="round", **kw):
    return "<line %s/>" % attrs(x1=x1, y1=y1, x2=x2, y2=y2, stroke=stroke,
                                stroke_width=sw, stroke_linecap=cap, **kw)


def path(d, fill="none", stroke=None, sw=None, join="round", cap="round", **kw):
    return "<path %s/>" % attrs(d=d, fill=fill, stroke=stroke, stroke_width=sw,
                                stroke_linejoin=join if stroke else None,
                                stroke_linecap=cap if stroke else None, **kw)


def poly(points, fill="none", stroke=None, sw=None, join="round", **kw):
    pts = " ".join("%s,%s" % (fmt(float(x)), fmt(float(y))) for x, y in points)
    return "<polygon %s/>" % attrs(points=pts, fill=fill, stroke=stroke,
                                   stroke_width=sw,
                                   stroke_linejoin=join if stroke else None, **kw)


def g(body, transform=None, **kw):
    return "<g %s>%s</g>" % (attrs(transform=transform, **kw), "".join(body)
                             if isinstance(body, (list, tuple)) else body)


def text(x, y, s, size, fill=INK, weight="bold", family=FONT, anchor="middle", **kw):
    return "<text %s>%s</text>" % (attrs(x=x, y=y, font_family=family,
                                         font_size=size, font_weight=weight,
                                         fill=fill, text_anchor=anchor, **kw), s)


def clip(shape, body):
    """Draw body clipped to shape (an SVG element string)."""
    cid = uid("clip")
    return ('<defs><clipPath id="%s">%s</clipPath></defs>' % (cid, shape) +
            g(body, clip_path="url(#%s)" % cid))


def svg(w, h, body, vw=None, vh=None):
    vw = w if vw is None else vw
    vh = h if vh is None else vh
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%s" height="%s" '
            'viewBox="0 0 %s %s">%s</svg>\n' % (w, h, vw, vh, "".join(body)
                                                  if isinstance(body, (list, tuple)) else body))


def sparkle(cx, cy, s, fill):
    # a four-pointed star with concave sides
    d = ("M%s %s Q%s %s %s %s Q%s %s %s %s Q%s %s %s %s Q%s %s %s %s Z" % tuple(
        fmt(float(v)) for v in (cx, cy - s, cx, cy, cx + s, cy, cx, cy, cx, cy + s,
                                cx, cy, cx - s, cy, cx, cy, cx, cy - s)))
    return path(d, fill=fill)


def arrow_head(tx, ty, dx, dy, length, half, fill):
    """Triangle whose tip is (tx, ty) pointing along (dx, dy)."""
    n = math.hypot(dx, dy)
    dx, dy = dx / n, dy / n
    bx, by = tx - dx * length, ty - dy * length
    return poly([(tx, ty), (bx - dy * half, by + dx * half), (bx + dy * half, by - dx * half)],
                fill=fill, stroke=fill, sw=0.6)


def arc_arrow(cx, cy, r, a0, a1, color, sw, head_len, head_half):
    """Circular arc from angle a0 to a1 (degrees, counter-clockwise positive,
    as on paper) with an arrow head at the a1 end."""
    def pt(a):
        return cx + r * math.cos(math.radians(a)), cy - r * math.sin(math.radians(a))
    ccw = a1 > a0
    # stop the line a little before the head's base
    back = math.degrees(head_len * 0.7 / r)
    a_end = a1 - back if ccw else a1 + back
    x0, y0 = pt(a0)
    x1, y1 = pt(a_end)
    large = 1 if abs(a_end - a0) > 180 else 0
    sweep = 0 if ccw else 1
    d = "M%s %s A%s %s 0 %d %d %s %s" % (fmt(x0), fmt(y0), fmt(float(r)), fmt(float(r)),
                                         large, sweep, fmt(x1), fmt(y1))
    # tangent at a1 on screen
    a = math.radians(a1)
    if ccw:
        tdx, tdy = -math.sin(a), -math.cos(a)
    else:
        tdx, tdy = math.sin(a), math.cos(a)
    bx, by = pt(a1 - math.degrees(head_len * 0.5 / r) if ccw else a1 + math.degrees(head_len * 0.5 / r))
    tip = (bx + tdx * head_len * 0.5, by + tdy * head_len * 0.5)
    # aim the head along the chord from the base point to the tip
    return path(d, stroke=color, sw=sw) + arrow_head(tip[0], tip[1], tdx, tdy, head_len,
                                                     head_half, color)


# ---------------------------------------------------------------- shared small glyphs (24 px)
def picture(x, y, w, h, sky=PALEBLUE, sun=AMBER, hill=GREEN, frame=INK, sw=1.5,
            outline_only=False, rx=1.5):
    """A landscape picture: sky, sun and hills inside a frame."""
    body = []
    fr = rect(x, y, w, h, rx=rx)
    pts = [(x, y + h), (x + w * 0.34, y + h * 0.36), (x + w * 0.58, y + h * 0.68),
           (x + w * 0.73, y + h * 0.5), (x + w, y + h * 0.9), (x + w, y + h)]
    sr = min(w, h) * 0.14
    if outline_only:
        body.append(rect(x, y, w, h, rx=rx, fill=sky))
        body.append(circle(x + w * 0.74, y + h * 0.3, sr, stroke=hill, sw=1.1))
        body.append(path("M%s %s L%s %s L%s %s L%s %s L%s %s" % tuple(
            fmt(float(v)) for p in pts[:5] for v in p), stroke=hill, sw=1.3))
    else:
        inner = [rect(x, y, w, h, rx=rx, fill=sky),
                 circle(x + w * 0.74, y + h * 0.3, sr, fill=sun),
                 poly(pts, fill=hill)]
        body.append(clip(fr, inner))
    body.append(rect(x, y, w, h, rx=rx, stroke=frame, sw=sw))
    return "".join(body)


def floppy(x, y, s, body=DBLUE, label=WHITE, sw=None):
    """Floppy disk in an s x s box at (x, y)."""
    c = s * 0.2
    r = s * 0.08
    d = ("M%s %s H%s L%s %s V%s Q%s %s %s %s H%s Q%s %s %s %s V%s Q%s %s %s %s Z" % tuple(
        fmt(float(v)) for v in (x + r, y, x + s - c, x + s, y + c, y + s - r, x + s, y + s,
                                x + s - r, y + s, x + r, x, y + s, x, y + s - r, y + r, x, y,
                                x + r, y)))
    out = [path(d, fill=body)]
    # metal shutter
    out.append(rect(x + s * 0.24, y, s * 0.46, s * 0.32, fill="#E3F2FD"))
    out.append(rect(x + s * 0.52, y + s * 0.05, s * 0.11, s * 0.22, fill=body))
    # label
    out.append(rect(x + s * 0.17, y + s * 0.5, s * 0.66, s * 0.42, fill=label, rx=s * 0.04))
    if s >= 30:
        out.append(line(x + s * 0.27, y + s * 0.64, x + s * 0.73, y + s * 0.64,
                        stroke=METAL, sw=s * 0.045))
        out.append(line(x + s * 0.27, y + s * 0.78, x + s * 0.63, y + s * 0.78,
                        stroke=METAL, sw=s * 0.045))
    return "".join(out)


def pencil(x, y, angle, length, width, sw):
    """Pencil with its tip at (x, y), body along angle (degrees, screen)."""
    w = width
    tl = w * 1.25
    el = w * 0.8
    hw = w / 2.0
    body = [
        poly([(0, 0), (tl, -hw), (tl, hw)], fill=WOOD),
        poly([(0, 0), (tl * 0.42, -hw * 0.42), (tl * 0.42, hw * 0.42)], fill=INK),
        rect(tl, -hw, length - tl - el, w, fill=AMBER),
        line(tl, 0, length - el, 0, stroke=ORANGE, sw=w * 0.22, cap="butt"),
        rect(length - el, -hw, el, w, fill=PINK),
        poly([(0, 0), (tl, -hw), (length, -hw), (length, hw), (tl, hw)], stroke=INK, sw=sw),
        line(length - el, -hw, length - el, hw, stroke=INK, sw=sw * 0.8, cap="butt"),
    ]
    return g(body, transform="translate(%s %s) rotate(%s)" % (fmt(float(x)), fmt(float(y)),
                                                           fmt(float(angle))))


def palette(sc=1.0, dx=0.0, dy=0.0):
    d = ("M12 3 C6.6 3 2.8 6.9 2.8 11.6 C2.8 16.7 6.9 20.7 11.9 20.7 C13.4 20.7 14 19.6 "
         "13.4 18.4 C12.8 17.1 13.6 15.6 15.2 15.6 H17 C19.4 15.6 21.2 13.8 21.2 11.4 "
         "C21.2 6.6 17.2 3 12 3 Z")
    body = [path(d, fill=WOOD, stroke=INK, sw=1.4),
            circle(7.6, 9.2, 1.8, fill=RED),
            circle(11.6, 6.9, 1.8, fill=AMBER),
            circle(16.0, 8.6, 1.8, fill=BLUE),
            circle(7.4, 14.0, 1.8, fill=GREEN)]
    return g(body, transform="translate(%s %s) scale(%s)" % (fmt(dx), fmt(dy), fmt(sc)))


def eraser():
    body = g([rect(3.5, 7.5, 17, 8, rx=1.6, fill=RED),
              rect(3.5, 7.5, 6.5, 8, rx=1.6, fill=WHITE),
              rect(8, 7.5, 2, 8, fill=WHITE),
              rect(3.5, 7.5, 17, 8, rx=1.6, stroke=INK, sw=1.4),
              line(10, 7.5, 10, 15.5, stroke=INK, sw=1.2, cap="butt")],
             transform="rotate(-40 12 11)")
    return body + line(3, 20.5, 21, 20.5, stroke=INK2, sw=1.5)


def exit_door():
    return "".join([
        path("M14 7.5 V3.8 H4.2 V20.2 H14 V16.5", stroke=INK, sw=2),
        poly([(4.2, 3.8), (9.5, 5.5), (9.5, 22), (4.2, 20.2)], fill=INK, stroke=INK, sw=1),
        line(9.5, 12, 18, 12, stroke=RED, sw=2.4),
        poly([(16.2, 7.6), (21.2, 12), (16.2, 16.4)], fill=RED, stroke=RED, sw=1),
    ])


def open_folder(with_picture=True):
    out = [path("M2.8 7 V19.8 H19.8 V9.2 H11.2 L9.2 7 Z", fill="#FFCA28", stroke=DAMBER, sw=1.2)]
    if with_picture:
        out.append(picture(6, 3, 13, 10, sw=1.2, rx=1))
    out.append(path("M2.8 19.8 L6.2 11.8 H22.2 L18.8 19.8 Z", fill=AMBER, stroke=DAMBER, sw=1.2))
    return "".join(out)


def copy_pages():
    return "".join([
        rect(4, 3, 11, 13.5, rx=1.2, fill=WHITE, stroke=INK2, sw=1.5),
        rect(9, 7.5, 11, 13.5, rx=1.2, fill=WHITE, stroke=INK, sw=1.5),
        line(11.8, 11.5, 17.2, 11.5, stroke=BLUE, sw=1.4),
        line(11.8, 14.5, 17.2, 14.5, stroke=BLUE, sw=1.4),
        line(11.8, 17.5, 15.5, 17.5, stroke=BLUE, sw=1.4),
    ])


def undo_arrow(color=BLUE):
    return "".join([
        path("M8.5 8 H14.2 A5.3 5.3 0 0 1 14.2 18.6 H7.5", stroke=color, sw=2.2),
        poly([(3, 8), (9, 3.6), (9, 12.4)], fill=color, stroke=color, sw=0.8),
    ])


def redo_arrow(color=BLUE):
    return g(undo_arrow(color), transform="translate(24 0) scale(-1 1)")


def f_letter(orient):
    """A framed letter F in one of four orientations."""
    f = path("M8.5 18.5 V5.5 H16 V8.5 H11.5 V10.5 H14.8 V13.5 H11.5 V18.5 Z", fill=BLUE)
    tr = {"normal": None,
          "mirror": "translate(24 0) scale(-1 1)",
          "flip": "translate(0 24) scale(1 -1)",
          "rot180": "rotate(180 12 12)"}[orient]
    return "".join([rect(3.5, 2.5, 17, 19, rx=2, fill=WHITE, stroke=INK, sw=1.5),
                    g(f, transform=tr) if tr else f])


def magnifier(sign):
    out = [line(14.8, 14.8, 20.5, 20.5, stroke=INK, sw=3.4),
           circle(10, 10, 6.4, fill=WHITE, stroke=INK, sw=2)]
    if sign in "+-":
        out.append(line(7, 10, 13, 10, stroke=BLUE, sw=2))
    if sign == "+":
        out.append(line(10, 7, 10, 13, stroke=BLUE, sw=2))
    return "".join(out)


def split_glyph(orient):
    body = "".join([
        rect(3, 4, 18, 16, rx=1.5, fill=WHITE),
        rect(3, 4, 9, 16, rx=1.5, fill=BLUE),
        rect(8, 4, 4, 16, fill=BLUE),
        line(12, 4, 12, 20, stroke=DBLUE, sw=1.2, cap="butt"),
        line(13.8, 12, 17.2, 12, stroke=INK, sw=1.6),
        poly([(16, 9.4), (19.2, 12), (16, 14.6)], fill=INK, stroke=INK, sw=0.6),
        rect(3, 4, 18, 16, rx=1.5, stroke=INK, sw=1.5),
    ])
    tr = {"lr": None, "rl": "translate(24 0) scale(-1 1)", "tb": "rotate(90 12 12)",
          "bt": "rotate(-90 12 12)"}[orient]
    return g(body, transform=tr) if tr else body


def sun(cx=12, cy=12, r=4, r1=6.3, r2=9, color=ORANGE, fill=AMBER, sw=2):
    out = [circle(cx, cy, r, fill=fill, stroke=color, sw=1.4)]
    for k in range(8):
        a = math.radians(k * 45)
        out.append(line(cx + r1 * math.cos(a), cy + r1 * math.sin(a),
                        cx + r2 * math.cos(a), cy + r2 * math.sin(a), stroke=color, sw=sw))
    return "".join(out)


def iris():
    cx, cy, R, ri = 12, 12, 9, 3.6
    out = [circle(cx, cy, R, fill="#E3F2FD")]
    hexpts = [(cx + ri * math.cos(math.radians(60 * k + 30)),
               cy + ri * math.sin(math.radians(60 * k + 30))) for k in range(6)]
    out.append(poly(hexpts, fill=INK))
    for k in range(6):
        ax, ay = hexpts[k]
        bx, by = hexpts[(k + 1) % 6]
        dx, dy = bx - ax, by - ay
        n = math.hypot(dx, dy)
        dx, dy = dx / n, dy / n
        # extend from B along AB until the outer circle
        fx, fy = bx - cx, by - cy
        bq = fx * dx + fy * dy
        t = -bq + math.sqrt(bq * bq - (fx * fx + fy * fy - R * R))
        out.append(line(ax, ay, bx + dx * t, by + dy * t, stroke=INK2, sw=1.2))
    out.append(circle(cx, cy, R, stroke=INK, sw=1.8))
    return "".join(out)


def checker(x, y, w, h, cell, c1=WHITE, c2=LIGHT):
    out = [rect(x, y, w, h, fill=c1)]
    nx, ny = int(round(w / cell)), int(round(h / cell))
    for j in range(ny):
        for i in range(nx):
            if (i + j) % 2:
                out.append(rect(x + i * cell, y + j * cell, cell, cell, fill=c2))
    return "".join(out)


def letter_a(y=15.5, size=14, fill=INK):
    return text(12, y, "A", size, fill=fill)


def lock(x, y, s=1.0):
    return g([path("M2.5 6 V3.8 A3.2 3.2 0 0 1 8.9 3.8 V6", stroke=INK, sw=1.8),
              rect(0.5, 5.5, 10.4, 8, rx=1.5, fill=AMBER, stroke=DAMBER, sw=1),
              circle(5.7, 8.8, 1.3, fill=INK),
              rect(5.1, 9.2, 1.2, 2.6, fill=INK)],
             transform="translate(%s %s) scale(%s)" % (fmt(float(x)), fmt(float(y)), fmt(s)))


def red_x_badge(cx, cy, r, halo=FACE):
    d = r * 0.42
    return "".join([circle(cx, cy, r + 1.6, fill=halo),
                    circle(cx, cy, r, fill=RED),
                    line(cx - d, cy - d, cx + d, cy + d, stroke=WHITE, sw=r * 0.3),
                    line(cx - d, cy + d, cx + d, cy - d, stroke=WHITE, sw=r * 0.3)])


# ---------------------------------------------------------------- tool bar glyphs (24 x 24)
def tb_orientation_table():
    return {
        # live video: flip mode 3 as delivered, 2 upside down, 0 mirrored, 1 turned 180
        "VideoCtrlTB_RightOthers": f_letter("normal"),
        "VideoCtrlTB_RightSelf": f_letter("flip"),
        "VideoCtrlTB_LeftSelf": f_letter("mirror"),
        "VideoCtrlTB_LeftOthers": f_letter("rot180"),
        # player: 3 as delivered, 2 upside down, 1 turned 180, 0 mirrored
        "MediaRightOthers_Btn": f_letter("normal"),
        "MediaRightSelf_Btn": f_letter("flip"),
        "MediaLeftSelf_Btn": f_letter("rot180"),
        "MediaLeftOthers_Btn": f_letter("mirror"),
    }


def tb_hand():
    fingers = [(6.9, 6.2, 2.9, 9), (9.8, 3.6, 2.9, 11), (12.7, 4.2, 2.9, 10.5),
               (15.6, 6.6, 2.7, 8.5)]
    palm = "M6.9 11 H18.3 V16 C18.3 19.4 16.2 21.6 13 21.6 H11.4 C9.4 21.6 8.1 20.8 7 19.4 " \
           "L3.3 14.6 C2.7 13.8 2.9 12.8 3.7 12.3 C4.4 11.9 5.3 12 5.9 12.7 L6.9 14 Z"

    def shapes(**kw):
        return "".join([rect(x, y, w, h, rx=1.45, **kw) for x, y, w, h in fingers] +
                       [path(palm, **kw)])
    outline = shapes(fill=INK, stroke=INK, sw=2.4)
    fill = shapes(fill=WHITE)
    seps = "".join(line(x, 8.8 if i else 10, x, 12.8, stroke=INK, sw=1, cap="butt")
                   for i, x in enumerate((9.8, 12.7, 15.6)))
    return outline + fill + seps


def tb_rotate(ccw):
    inner = rect(9, 9.5, 6, 6, rx=0.8, fill=PALEBLUE, stroke=INK, sw=1.3)
    if ccw:
        arr = arc_arrow(12, 12.5, 7.6, -50, 185, BLUE, 2.2, 4.6, 3.1)
    else:
        arr = arc_arrow(12, 12.5, 7.6, 230, -5, BLUE, 2.2, 4.6, 3.1)
    return inner + arr


def tb_zoom_fit():
    out = []
    for sx, sy in ((-1, -1), (1, -1), (1, 1), (-1, 1)):
        cx, cy = 12 + sx * 8, 12 + sy * 8
        out.append(path("M%s %s V%s H%s" % (fmt(cx), fmt(cy - sy * 5.2), fmt(cy),
                                            fmt(cx - sx * 5.2)), stroke=INK, sw=2))
        out.append(line(cx - sx * 1.2, cy - sy * 1.2, 12 + sx * 3, 12 + sy * 3, stroke=INK, sw=2))
    out.append(rect(9.5, 9.5, 5, 5, fill=BLUE, rx=0.8))
    return "".join(out)


def tb_repeat(color=GREEN):
    return "".join([
        path("M4.5 13 V10 A3.5 3.5 0 0 1 8 6.5 H16.5", stroke=color, sw=2.2),
        poly([(15.5, 2.8), (20.6, 6.5), (15.5, 10.2)], fill=color, stroke=color, sw=0.8),
        path("M19.5 11 V14 A3.5 3.5 0 0 1 16 17.5 H7.5", stroke=color, sw=2.2),
        poly([(8.5, 13.8), (3.4, 17.5), (8.5, 21.2)], fill=color, stroke=color, sw=0.8),
    ])


def tb_scissors():
    return "".join([
        line(9.6, 14.2, 17.2, 2.8, stroke=INK, sw=2),
        line(14.4, 14.2, 6.8, 2.8, stroke=INK, sw=2),
        circle(12, 10.6, 0.9, fill=WHITE),
        circle(7.3, 17.6, 3.3, fill=WHITE, stroke=RED, sw=2),
        circle(16.7, 17.6, 3.3, fill=WHITE, stroke=RED, sw=2),
    ])


def tb_paste():
    return "".join([
        rect(3.5, 4.5, 13.5, 17, rx=1.5, fill="#A1887F", stroke=INK, sw=1.4),
        rect(6.8, 2.5, 7, 4, rx=1, fill=LIGHT, stroke=INK, sw=1.2),
        rect(10, 9, 11, 13, rx=1, fill=WHITE, stroke=INK, sw=1.4),
        line(12.6, 13, 18.4, 13, stroke=BLUE, sw=1.4),
        line(12.6, 16, 18.4, 16, stroke=BLUE, sw=1.4),
        line(12.6, 19, 16.4, 19, stroke=BLUE, sw=1.4),
    ])


def tb_new_file():
    return "".join([
        path("M5.5 2.8 H13.5 L18.5 7.8 V21.2 H5.5 Z", fill=WHITE, stroke=INK, sw=1.5),
        path("M13.5 2.8 V7.8 H18.5", stroke=INK, sw=1.3),
        circle(17, 17, 5, fill=GREEN, stroke=FACE, sw=1.2),
        line(17, 14.2, 17, 19.8, stroke=WHITE, sw=1.8),
        line(14.2, 17, 19.8, 17, stroke=WHITE, sw=1.8),
    ])


def tb_text_color():
    return letter_a(15, 14) + rect(3.5, 17.5, 17, 4, rx=1, fill=RED)


def tb_text_bg_color():
    return rect(3, 3, 18, 18, rx=2, fill=AMBER, stroke=DAMBER, sw=1) + letter_a(17.2, 14)


def tb_text_bg_transparent():
    return (clip(rect(3, 3, 18, 18, rx=2), checker(3, 3, 18, 18, 3)) +
            rect(3, 3, 18, 18, rx=2, stroke=INK2, sw=1) + letter_a(17.2, 14))


def tb_brush_style():
    hatch = "".join(line(3 + 4 * k - 18, 21, 3 + 4 * k, 3, stroke=BLUE, sw=1.4, cap="butt")
                    for k in range(10))
    box = rect(3.5, 3.5, 17, 17, rx=1)
    return (rect(3.5, 3.5, 17, 17, rx=1, fill=WHITE) + clip(box, hatch) +
            rect(3.5, 3.5, 17, 17, rx=1, stroke=INK, sw=1.5))


def tb_shapes():
    return "".join([
        rect(3, 3.5, 10, 9, rx=1, fill=WHITE, stroke=INK, sw=1.5),
        poly([(6.5, 20.5), (11, 13), (15.5, 20.5)], fill=AMBER, stroke=DAMBER, sw=1.2),
        circle(16, 15, 5.2, fill="#90CAF9", stroke=DBLUE, sw=1.5, fill_opacity=0.85),
    ])


def tb_line_and_circle():
    return "".join([
        line(4.5, 19.5, 11, 5, stroke=INK, sw=1.6),
        rect(2.8, 17.8, 3.4, 3.4, fill=BLUE),
        rect(9.3, 3.3, 3.4, 3.4, fill=BLUE),
        circle(16, 15, 5.3, stroke=RED, sw=1.8),
        circle(16, 15, 1, fill=RED),
    ])


def tb_snap_edge():
    # A clicked point drawn onto an edge, where it sits as the diamond the drawing marks it with.
    return "".join([
        rect(12, 2.5, 9.5, 19, rx=1, fill=INK2),
        line(12, 2.5, 12, 21.5, stroke=INK, sw=1.4, cap="butt"),
        line(2.5, 12, 6.2, 12, stroke=RED, sw=1.8),
        path("M4.6 9.4 L7.4 12 L4.6 14.6", stroke=RED, sw=1.8),
        poly([(12, 7.6), (16.4, 12), (12, 16.4), (7.6, 12)], fill=AMBER, stroke=DAMBER, sw=1.3),
    ])


def tb_layers():
    return "".join([
        path("M3 15.5 L12 20.5 L21 15.5", stroke=INK, sw=1.8),
        path("M3 11.5 L12 16.5 L21 11.5", stroke=INK2, sw=1.8),
        poly([(12, 2.8), (21, 7.8), (12, 12.8), (3, 7.8)], fill=BLUE, stroke=DBLUE, sw=1.2),
    ])


def tb_ruler(angle=-45):
    body = [rect(2, 8.5, 20, 7, rx=1, fill=AMBER, stroke=DAMBER, sw=1)]
    for k in range(1, 10):
        x = 2 + 2 * k
        ln = 3.6 if k % 5 == 0 else (2.6 if k % 2 == 0 else 1.8)
        body.append(line(x, 8.5, x, 8.5 + ln, stroke=INK, sw=0.9, cap="butt"))
    return g(body, transform="rotate(%s 12 12)" % angle)


def tb_draw_mode():
    body = [rect(2, 15, 20, 6.5, rx=1, fill=AMBER, stroke=DAMBER, sw=1)]
    for k in range(1, 10):
        x = 2 + 2 * k
        ln = 3 if k % 5 == 0 else (2.2 if k % 2 == 0 else 1.5)
        body.append(line(x, 15, x, 15 + ln, stroke=INK, sw=0.9, cap="butt"))
    body.append(pencil(6, 13, -40, 17, 4.2, 1.1))
    return "".join(body)


def tb_compare_mode():
    return "".join([
        picture(2.5, 2.5, 13, 11, sw=1.4, rx=1),
        rect(8.5, 9.5, 13, 11, rx=1, fill=BLUE, fill_opacity=0.55),
        rect(8.5, 9.5, 13, 11, rx=1, stroke=DBLUE, sw=1.4),
    ])


def tb_reticle():
    return "".join([
        circle(12, 12, 6.5, stroke=INK, sw=1.6),
        line(12, 2, 12, 8.5, stroke=INK, sw=2, cap="butt"),
        line(12, 15.5, 12, 22, stroke=INK, sw=2, cap="butt"),
        line(2, 12, 8.5, 12, stroke=INK, sw=2, cap="butt"),
        line(15.5, 12, 22, 12, stroke=INK, sw=2, cap="butt"),
        circle(12, 12, 1.7, fill=RED),
    ])


def tb_sliders():
    out = []
    for y, kx in ((6, 15.5), (12, 8), (18, 13)):
        out.append(line(3, y, 21, y, stroke=INK2, sw=2))
        out.append(circle(kx, y, 2.7, fill=BLUE, stroke=WHITE, sw=1.2))
    return "".join(out)


def tb_contrast():
    return (circle(12, 12, 8.5, fill=WHITE) + path("M12 3.5 A8.5 8.5 0 0 0 12 20.5 Z", fill=INK) +
            circle(12, 12, 8.5, stroke=INK, sw=1.8))


def tb_white_balance():
    return (rect(2, 5, 20, 14, rx=2.5, fill=WHITE, stroke=INK, sw=1.5) +
            text(12, 15.6, "WB", 9, fill=INK))


def tb_lock_frame():
    return picture(2.5, 2.5, 15, 12, sw=1.4, rx=1) + lock(11, 8.5)


def tb_save_scale():
    body = [rect(9.5, 16, 13, 5.5, rx=0.8, fill=AMBER, stroke=DAMBER, sw=0.9)]
    for k in range(1, 6):
        x = 9.5 + 2.2 * k
        body.append(line(x, 16, x, 16 + (2.6 if k % 2 == 0 else 1.7), stroke=INK, sw=0.8,
                         cap="butt"))
    return floppy(2, 2, 16) + "".join(body)


def tb_show_info():
    return "".join([
        rect(2.5, 5.5, 19, 13, rx=2, fill=WHITE, stroke=INK, sw=1.4),
        circle(8, 12, 4, fill=BLUE),
        rect(7.2, 11, 1.6, 3.8, fill=WHITE),
        circle(8, 9.4, 0.95, fill=WHITE),
        line(13.6, 10, 18.6, 10, stroke=INK2, sw=1.6),
        line(13.6, 14, 17.2, 14, stroke=INK2, sw=1.6),
    ])


def tb_pen_style():
    return "".join([
        line(3, 5.5, 21, 5.5, stroke=INK, sw=2, cap="butt"),
        line(3, 12, 21, 12, stroke=INK, sw=2, cap="butt", stroke_dasharray="4 2.67"),
        line(3.75, 18.5, 21, 18.5, stroke=INK, sw=1.8, stroke_dasharray="0.01 3.3"),
    ])


def tb_line_style():
    return "".join([
        line(3, 5.5, 21, 5.5, stroke=INK, sw=1, cap="butt"),
        line(3, 11, 21, 11, stroke=INK, sw=2, cap="butt"),
        line(3, 17.75, 21, 17.75, stroke=INK, sw=3.5, cap="butt"),
    ])


def tb_line_color():
    return palette(0.78, 2.6, 0.5) + rect(3, 18.5, 18, 3.5, rx=1, fill=RED)


def tb_cross():
    return line(12, 3, 12, 21, stroke=RED, sw=2, cap="butt") + \
        line(3, 12, 21, 12, stroke=RED, sw=2, cap="butt")


def tb_area():
    return "".join(path(d, stroke=RED, sw=2, cap="butt", join="miter") for d in (
        "M3 9 V3 H9", "M15 3 H21 V9", "M21 15 V21 H15", "M9 21 H3 V15")) + \
        circle(12, 12, 1.4, fill=RED)


def tb_window_picture():
    return "".join([
        clip(rect(2.5, 3.5, 19, 17, rx=1.5), [
            rect(2.5, 3.5, 19, 17, fill=PALEBLUE),
            circle(16, 11, 1.8, fill=AMBER),
            poly([(2.5, 20.5), (8.5, 11.5), (12.5, 16), (15, 13.5), (21.5, 20.5)], fill=GREEN),
            rect(2.5, 3.5, 19, 4, fill=INK)]),
        rect(2.5, 3.5, 19, 17, rx=1.5, stroke=INK, sw=1.4),
        circle(18.8, 5.5, 0.9, fill=WHITE),
    ])


def tb_blend():
    return "".join([
        rect(3, 3, 12, 12, rx=1, fill=BLUE, fill_opacity=0.75),
        rect(9, 9, 12, 12, rx=1, fill=AMBER, fill_opacity=0.7),
        rect(3, 3, 12, 12, rx=1, stroke=DBLUE, sw=1.3),
        rect(9, 9, 12, 12, rx=1, stroke=DAMBER, sw=1.3),
    ])


def tb_win_move():
    return "".join([
        rect(2.5, 4.5, 19, 15, rx=1.5, fill=WHITE, stroke=INK, sw=1.4),
        rect(8.5, 7.5, 7, 9, fill=BLUE, fill_opacity=0.35, stroke=DBLUE, sw=1.2,
             stroke_dasharray="2 1.2"),
        poly([(7, 9.2), (3.8, 12), (7, 14.8)], fill=INK),
        poly([(17, 9.2), (20.2, 12), (17, 14.8)], fill=INK),
    ])


def tb_drop():
    d = "M12 2.5 C12 2.5 5.2 10.3 5.2 14.8 A6.8 6.8 0 0 0 18.8 14.8 C18.8 10.3 12 2.5 12 2.5 Z"
    return (path(d, fill=MAGENTA, stroke="#AD1457", sw=1.2) +
            path("M8.6 14.6 A3.6 3.6 0 0 0 11.2 18.2", stroke=WHITE, sw=1.5))


def tb_combine_none():
    return "".join([
        rect(3, 3, 12, 12, rx=1, stroke=INK2, sw=1.4),
        rect(9, 9, 12, 12, rx=1, stroke=INK2, sw=1.4),
        line(3.5, 20.5, 20.5, 3.5, stroke=RED, sw=2.4),
    ])


def tb_pointer():
    return path("M7 2.8 V19 L10.9 15.3 L13.6 21.2 L16.3 20 L13.7 14.2 H19 Z",
                fill=INK, stroke=INK, sw=1.2)


def tb_one_to_one():
    return (rect(2, 4, 20, 16, rx=2, fill=WHITE, stroke=INK2, sw=1.2) +
            text(12, 16, "1:1", 10, fill=INK))


def tb_text():
    return text(12, 19.5, "A", 19, fill=INK, family="DejaVu Serif")


def tb_select_range():
    return path("M3.5 5.5 H20.5 V18.5 H3.5 Z", stroke=INK, sw=1.5, join="miter", cap="butt",
                stroke_dasharray="3 2")


def tb_select_save():
    return (path("M2.5 3.5 H15.5 V13.5 H2.5 Z", stroke=INK, sw=1.4, join="miter", cap="butt",
                 stroke_dasharray="2.6 1.8") +
            rect(9.8, 10.8, 13, 12, fill=FACE) + floppy(10.5, 11, 12))


def tb_filter_picture(kind):
    if kind == "original":
        return picture(2.5, 4.5, 19, 15)
    if kind == "gray":
        return picture(2.5, 4.5, 19, 15, sky="#E0E0E0", sun="#9E9E9E", hill="#616161")
    if kind == "edge":
        return picture(2.5, 4.5, 19, 15, sky=WHITE, hill=INK, outline_only=True)
    if kind == "binary":
        return picture(2.5, 4.5, 19, 15, sky=WHITE, sun="#000000", hill="#000000",
                       frame="#000000")
    if kind == "complement":
        normal = picture(2.5, 4.5, 19, 15)
        inverted = picture(2.5, 4.5, 19, 15, sky="#442105", sun="#004CFF", hill="#BC5FB8")
        tri = poly([(21.5, 4.5), (21.5, 19.5), (2.5, 19.5)])
        return normal + clip(tri, inverted) + rect(2.5, 4.5, 19, 15, rx=1.5, stroke=INK, sw=1.5)
    raise ValueError(kind)


def tb_high_pass():
    return "".join([
        rect(2.5, 3.5, 19, 17, rx=1.5, fill=WHITE, stroke=INK2, sw=1.2),
        path("M5 6 V18 H19.5", stroke=INK, sw=1.5, join="miter", cap="butt"),
        path("M5.8 16.4 H8.6 C11.8 16.4 11.6 8 15 8 H19.5", stroke=BLUE, sw=2),
    ])



# ---------------------------------------------------------------- focus aids (24 px)
def tb_sharpness_meter():
    """A vertical gauge, filled green to just below its best mark."""
    return "".join([
        rect(7.5, 2.5, 9, 19, rx=1.2, fill=INK),
        rect(9, 8.5, 6, 11.5, fill=GREEN),
        line(5, 6.5, 19, 6.5, stroke=WHITE, sw=1.6, cap="butt"),
        line(4.5, 6.5, 5.8, 6.5, stroke=INK, sw=1.6, cap="butt"),
        line(18.2, 6.5, 19.5, 6.5, stroke=INK, sw=1.6, cap="butt"),
    ])


def tb_meter_region():
    """A dashed rectangle around a short green gauge."""
    return "".join([
        rect(2.5, 4.5, 19, 15, stroke=INK, sw=1.4, stroke_dasharray="2.4 1.6"),
        rect(10, 8, 4, 9.5, rx=0.8, fill=INK),
        rect(11, 11.5, 2, 5, fill=GREEN),
    ])


def tb_focus_peaking():
    """A lens outline whose edge is traced in red."""
    return "".join([
        circle(12, 12, 9, fill=PALEBLUE, stroke=INK2, sw=1.2),
        path("M5.2 8.5 A8 8 0 0 1 12 4 M18.8 15.5 A8 8 0 0 1 12 20", stroke=RED, sw=2.4),
        path("M8 14 L11 9 L13.5 12.5 L16 10", stroke=INK, sw=1.6),
    ])


def tb_peaking_color():
    """A palette with a red drop beside it."""
    return palette(0.78, -0.5, 2.5) + path("M18 3 C18 3 22 8 22 10.5 A4 4 0 0 1 14 10.5 C14 8 18 3 18 3 Z",
                                           fill=RED, stroke=DRED, sw=0.8)


def tb_histogram():
    """Bars rising and falling over a base line."""
    heights = [3, 6, 10, 14, 16, 12, 8, 5, 3]
    out = [line(2.5, 20.5, 21.5, 20.5, stroke=INK, sw=1.4, cap="butt")]
    for k, hgt in enumerate(heights):
        out.append(rect(3 + 2 * k, 20 - hgt, 1.6, hgt, fill=BLUE if k != 4 else DBLUE))
    return "".join(out)


def tb_zebra():
    """Diagonal black and amber stripes in a frame: the clipping warning."""
    stripes = [rect(2.5, 3.5, 19, 17, fill=AMBER)]
    for k in range(-4, 5):
        x = 5.5 * k
        stripes.append(poly([(x, 3.5), (x + 2.8, 3.5), (x + 19.8, 20.5), (x + 17, 20.5)], fill=INK))
    return clip(rect(2.5, 3.5, 19, 17), stripes) + rect(2.5, 3.5, 19, 17, stroke=INK, sw=1.4)


def tb_line_profile():
    """A profile curve with dips over a drawn line."""
    return "".join([
        line(2.5, 20.5, 21.5, 20.5, stroke=AMBER, sw=2, cap="round"),
        line(2.5, 19, 2.5, 22, stroke=INK, sw=1.2, cap="butt"),
        line(21.5, 19, 21.5, 22, stroke=INK, sw=1.2, cap="butt"),
        path("M2.5 5 L5 5 L6.5 14 L8 5 L11 5 L12.5 14 L14 5 L17 5 L18.5 14 L20 5 L21.5 5",
             stroke=DBLUE, sw=1.6),
    ])


def toolbar_glyphs():
    t = {}
    # live mode switch
    t["ChangeModeTB_Compare"] = tb_compare_mode()
    t["ChangeModeTB_Cross"] = tb_reticle()
    t["ChangeModeTB_VideoCtrl"] = tb_sliders()
    t["ChangeModeTB_Draw"] = tb_draw_mode()
    # video control
    t.update({k: v for k, v in tb_orientation_table().items() if k.startswith("VideoCtrl")})
    t["VideoCtrlTB_Brightness"] = sun()
    t["VideoCtrlTB_Contrast"] = tb_contrast()
    t["VideoCtrlTB_Exposure"] = iris()
    t["VideoCtrlTB_WhiteBlanceSet"] = tb_white_balance()
    # player
    t["MediaPlay_Btn"] = poly([(7.5, 4.5), (19.5, 12), (7.5, 19.5)], fill=GREEN, stroke=GREEN,
                              sw=1.6)
    t["MediaPause_Btn"] = rect(6, 5, 4.4, 14, rx=1, fill=INK) + rect(13.6, 5, 4.4, 14, rx=1,
                                                                      fill=INK)
    t["MediaStop_Btn"] = rect(6, 6, 12, 12, rx=1.5, fill=RED)
    t["MediaRewind_Btn"] = tb_repeat()
    t.update({k: v for k, v in tb_orientation_table().items() if k.startswith("Media")})
    t["MediaExit_Btn"] = exit_door()
    # measuring (draw) tool bar
    t["DrawRulerTB_LockFrame"] = tb_lock_frame()
    t["DrawRulerTB_LoadImage"] = open_folder(True)
    t["DrawRulerTB_SaveImage"] = tb_save_scale()
    t["DrawRulerTB_CopyImage"] = copy_pages()
    t["DrawRulerTB_SetScale"] = tb_ruler()
    t["DrawRulerTB_SetShowInfo"] = tb_show_info()
    t["DrawRulerTB_DrawStyle"] = tb_line_and_circle()
    t["DrawRulerTB_Overlap"] = tb_layers()
    t["DrawRulerTB_Undo"] = undo_arrow()
    t["DrawRulerTB_Redo"] = redo_arrow()
    t["DrawRulerTB_PenStyle"] = tb_pen_style()
    t["DrawRulerTB_SetColor"] = palette()
    t["DrawRulerTB_ClearFrame"] = eraser()
    t["DrawRulerTB_SnapEdge"] = tb_snap_edge()
    # reticle
    t["CrossTB_Cross"] = tb_cross()
    t["CrossTB_Area"] = tb_area()
    t["CrossTB_Rect"] = rect(4, 6, 16, 12, stroke=RED, sw=2)
    t["CrossTB_Circle"] = circle(12, 12, 8, stroke=RED, sw=2)
    t["CrossTB_LineColor"] = tb_line_color()
    t["CrossTB_Clear"] = eraser()
    # compare
    t["CompareTB_AssignWindowsImage"] = tb_window_picture()
    t["CompareTB_AssignFile"] = open_folder(True)
    t["CompareTB_Compare"] = tb_blend()
    t["CompareTB_LeftRight"] = split_glyph("lr")
    t["CompareTB_RightLeft"] = split_glyph("rl")
    t["CompareTB_TopBottom"] = split_glyph("tb")
    t["CompareTB_BottomTop"] = split_glyph("bt")
    t["CompareTB_WinImg_Mode"] = tb_win_move()
    t["CompareTB_knockoutColor"] = tb_drop()
    t["CompareTB_CombineNone"] = tb_combine_none()
    # editor
    t["ImgBar_NormalMode"] = tb_pointer()
    t["ImgBar_Move"] = tb_hand()
    t["ImgBar_NewFile"] = tb_new_file()
    t["ImgBar_Save"] = floppy(3, 3, 18)
    t["ImgBar_RotateLeft"] = tb_rotate(True)
    t["ImgBar_RotateRight"] = tb_rotate(False)
    t["ImgBar_ZoomFit"] = tb_zoom_fit()
    t["ImgBar_ZoomIn"] = magnifier("+")
    t["ImgBar_ZoomOut"] = magnifier("-")
    t["ImgBar_Undo"] = undo_arrow()
    t["ImgBar_Redo"] = redo_arrow()
    t["ImgBar_LineStyle"] = tb_line_style()
    t["ImgBar_Color"] = palette()
    t["ImgBar_DeleteToolBar"] = eraser()
    t["ImgBar_ExitToolBar"] = exit_door()
    t["ImgBar_OriginalFit"] = tb_one_to_one()
    t["ImgBar_Text"] = tb_text()
    t["ImgBar_TextColor"] = tb_text_color()
    t["ImgBar_TextBgColor"] = tb_text_bg_color()
    t["ImgBar_TextBgTransparent"] = tb_text_bg_transparent()
    t["ImgBar_BrushStyle"] = tb_brush_style()
    t["ImgBar_DrawStyle"] = tb_shapes()
    t["ImgBar_SelectRang"] = tb_select_range()
    t["ImgBar_Cut"] = tb_scissors()
    t["ImgBar_Copy"] = copy_pages()
    t["ImgBar_Paste"] = tb_paste()
    t["ImgBar_SelectSave"] = tb_select_save()
    # filters
    t["ImaPro_Original_Btn"] = tb_filter_picture("original")
    t["ImaPro_GrayLevel_Btn"] = tb_filter_picture("gray")
    t["ImaPro_EdgeDetection_Btn"] = tb_filter_picture("edge")
    t["ImaPro_HightPassFilter_Btn"] = tb_high_pass()
    t["ImaPro_Binary_Btn"] = tb_filter_picture("binary")
    t["ImaPro_Complement_Btn"] = tb_filter_picture("complement")
    t["ImaPro_Exit_Btn"] = exit_door()
    # focus aids
    t["FocusTB_Meter"] = tb_sharpness_meter()
    t["FocusTB_Region"] = tb_meter_region()
    t["FocusTB_Peaking"] = tb_focus_peaking()
    t["FocusTB_PeakingColor"] = tb_peaking_color()
    t["FocusTB_Histogram"] = tb_histogram()
    t["FocusTB_Zebra"] = tb_zebra()
    t["FocusTB_Profile"] = tb_line_profile()
    return t


# ---------------------------------------------------------------- main button glyphs (48 x 48 design)
def mb_connect(connected):
    if connected:
        return "".join([
            line(1.5, 24, 10, 24, stroke=INK, sw=5),
            rect(9, 12, 18, 24, rx=3.5, fill=BLUE),
            line(14, 17.5, 14, 30.5, stroke=DBLUE, sw=2),
            line(19, 17.5, 19, 30.5, stroke=DBLUE, sw=2),
            rect(26, 16.5, 8, 4.4, fill=METAL),
            rect(26, 27.1, 8, 4.4, fill=METAL),
            rect(31, 7, 12, 34, rx=3.5, fill=INK),
            line(42, 24, 46.5, 24, stroke=INK, sw=5),
            circle(37, 12.5, 1.8, fill="#66BB6A"),
        ])
    return "".join([
        line(1.5, 24, 6, 24, stroke=INK, sw=5),
        rect(5, 12, 16, 24, rx=3.5, fill=RED),
        line(10, 17.5, 10, 30.5, stroke=DRED, sw=2),
        line(15, 17.5, 15, 30.5, stroke=DRED, sw=2),
        rect(20, 16.5, 7, 4.4, fill=METAL),
        rect(20, 27.1, 7, 4.4, fill=METAL),
        rect(35, 7, 10, 34, rx=3.5, fill=INK),
        rect(33, 16, 3, 6, fill=INK),
        rect(33, 26, 3, 6, fill=INK),
        line(29.6, 12.5, 31.6, 7.5, stroke=RED, sw=2.4),
        line(29.6, 35.5, 31.6, 40.5, stroke=RED, sw=2.4),
        line(26.6, 11, 26.2, 6, stroke=RED, sw=2.4),
        line(26.6, 37, 26.2, 42, stroke=RED, sw=2.4),
    ])


def mb_capture():
    return "".join([
        rect(15, 7, 15, 9, rx=2.5, fill=INK),
        rect(3, 13, 42, 29, rx=5.5, fill=INK),
        rect(7, 9.5, 6, 4, rx=1.2, fill=INK2),
        circle(24, 27.5, 11.5, fill=FACE),
        circle(24, 27.5, 9.2, fill=BLUE),
        circle(24, 27.5, 4.6, fill=DBLUE),
        circle(21, 24.5, 2.2, fill=WHITE, fill_opacity=0.85),
        rect(36, 17, 6, 3.5, rx=1, fill=AMBER),
    ])


def mb_save():
    return floppy(6, 5, 36) + "".join([
        circle(38.5, 38.5, 8.6, fill=FACE),
        circle(38.5, 38.5, 7.2, fill=GREEN),
        line(38.5, 33.8, 38.5, 42, stroke=WHITE, sw=2.6),
        path("M34.8 38.6 L38.5 42.4 L42.2 38.6", stroke=WHITE, sw=2.6),
    ])


def mb_picture48(x=3, y=6, w=33, h=28):
    return picture(x, y, w, h, sw=2.6, rx=3)


def mb_edit(exit_mark):
    out = [mb_picture48()]
    out.append(pencil(23, 44, -45, 31, 8.2, 1.8))
    if exit_mark:
        out.append(red_x_badge(38.5, 9.5, 8))
    return "".join(out)


def mb_delete():
    return "".join([
        path("M18 10 V6.5 H30 V10", stroke=INK, sw=2.8),
        rect(8, 9.5, 32, 5, rx=1.6, fill=INK),
        path("M11 17 H37 L34.8 42 A2.6 2.6 0 0 1 32.2 44.4 H15.8 A2.6 2.6 0 0 1 13.2 42 Z",
             fill=RED),
        line(18.5, 22, 19.2, 39.5, stroke=WHITE, sw=2.6),
        line(24, 22, 24, 39.5, stroke=WHITE, sw=2.6),
        line(29.5, 22, 28.8, 39.5, stroke=WHITE, sw=2.6),
    ])


def mb_movie_camera(mark):
    out = [
        circle(11.5, 10.5, 6.5, fill=INK),
        circle(25.5, 10.5, 6.5, fill=INK),
        circle(11.5, 10.5, 2, fill=FACE),
        circle(25.5, 10.5, 2, fill=FACE),
        rect(3, 17, 31, 24, rx=4.5, fill=INK),
        poly([(33, 25), (45.5, 18), (45.5, 40), (33, 33)], fill=INK, stroke=INK, sw=1.5),
    ]
    if mark == "record":
        out.append(circle(18.5, 29, 8, fill=RED, stroke=FACE, sw=1.8))
    else:
        out.append(rect(11, 21.5, 15, 15, rx=2.2, fill=RED, stroke=FACE, sw=1.8))
    return "".join(out)


def film_strip():
    out = [rect(2, 7, 44, 34, rx=3.5, fill=INK)]
    for k in range(7):
        x = 4.6 + 6.2 * k
        out.append(rect(x, 9.5, 3.6, 3.6, rx=0.8, fill=FACE))
        out.append(rect(x, 34.9, 3.6, 3.6, rx=0.8, fill=FACE))
    out.append(rect(5, 16, 38, 16, rx=1.5, fill=INK2))
    return "".join(out)


def mb_play(stop):
    out = [film_strip()]
    if stop:
        out.append(circle(24, 24, 11.6, fill=RED, stroke=FACE, sw=1.6))
        out.append(rect(19.2, 19.2, 9.6, 9.6, rx=1.2, fill=WHITE))
    else:
        out.append(circle(24, 24, 11.6, fill=GREEN, stroke=FACE, sw=1.6))
        out.append(poly([(20.5, 17.6), (31, 24), (20.5, 30.4)], fill=WHITE, stroke=WHITE, sw=1.2))
    return "".join(out)


def mb_image_process(exit_mark):
    out = []
    # histogram
    for i, hgt in enumerate((7, 12, 18, 13, 9, 5)):
        out.append(rect(22 + i * 4, 44 - hgt, 3.2, hgt, fill=PURPLE, fill_opacity=0.85))
    out.append(line(21, 44.8, 46, 44.8, stroke=INK, sw=1.6))
    # wand
    out.append(line(4.5, 43.5, 27.5, 20.5, stroke=INK, sw=5.4))
    out.append(line(27.5, 20.5, 31.5, 16.5, stroke=WHITE, sw=5.4, cap="butt"))
    out.append(poly([(25.6, 18.6), (29.6, 14.6), (33.4, 18.4), (29.4, 22.4)], stroke=INK, sw=1.4))
    out.append(sparkle(20, 8, 5, AMBER))
    out.append(sparkle(40, 26, 4.2, BLUE))
    out.append(sparkle(9, 22, 3.4, PURPLE))
    if exit_mark:
        out.append(red_x_badge(38.5, 9.5, 8))
    else:
        out.append(sparkle(37.5, 9.5, 7.8, PURPLE))
    return "".join(out)


def mb_printer():
    return "".join([
        rect(13, 4, 22, 14, rx=1.2, fill=WHITE, stroke=INK, sw=2.2),
        rect(3.5, 16, 41, 20, rx=4.5, fill=INK),
        rect(10, 27, 28, 3, fill="#263238"),
        circle(39, 21.5, 1.9, fill="#66BB6A"),
        rect(12, 28.5, 24, 16, rx=1, fill=WHITE, stroke=INK, sw=2.2),
        line(16.5, 34.5, 31.5, 34.5, stroke=BLUE, sw=2),
        line(16.5, 39.5, 27, 39.5, stroke=BLUE, sw=2),
    ])


def mb_exit():
    return "".join([
        path("M28 15 V6 H7.5 V42 H28 V33", stroke=INK, sw=3.6),
        poly([(7.5, 6), (19.5, 9.5), (19.5, 46), (7.5, 42)], fill=INK, stroke=INK, sw=2),
        circle(16.3, 26.5, 1.6, fill=FACE),
        line(22.5, 24, 38, 24, stroke=RED, sw=5),
        poly([(35, 14.5), (45.5, 24), (35, 33.5)], fill=RED, stroke=RED, sw=2),
    ])


def mb_return():
    return "".join([
        rect(3, 5, 38, 30, rx=3, fill=WHITE),
        rect(3, 5, 19, 30, rx=3, fill=PALEBLUE),
        rect(19, 11, 3, 24, fill=PALEBLUE),
        rect(3, 5, 38, 7, rx=3, fill=INK),
        rect(3, 9, 38, 3, fill=INK),
        line(22, 12, 22, 35, stroke=INK, sw=2.2, cap="butt"),
        rect(3, 5, 38, 30, rx=3, stroke=INK, sw=2.4),
        # back arrow with a halo of the face colour
        path("M43.5 44 V37.5 A8.5 8.5 0 0 0 35 29 H24", stroke=FACE, sw=9.5),
        poly([(26, 20), (16, 29), (26, 38)], fill=FACE, stroke=FACE, sw=4.5),
        path("M43.5 44 V37.5 A8.5 8.5 0 0 0 35 29 H24", stroke=BLUE, sw=5, cap="butt"),
        poly([(26, 20), (16, 29), (26, 38)], fill=BLUE, stroke=BLUE, sw=1.5),
    ])


def main_glyphs():
    return {
        "connect": mb_connect(True),
        "disconnect": mb_connect(False),
        "capture": mb_capture(),
        "Save": mb_save(),
        "edit": mb_edit(False),
        "exitedit": mb_edit(True),
        "delete": mb_delete(),
        "videorecord": mb_movie_camera("record"),
        "stopvideo": mb_movie_camera("stop"),
        "playvideo": mb_play(False),
        "stopplay": mb_play(True),
        "imageprocess": mb_image_process(False),
        "imageprocessexit": mb_image_process(True),
        "printer": mb_printer(),
        "exit": mb_exit(),
        "returntomain": mb_return(),
    }


def main_button_svg(glyph):
    scale = 0.875
    off_x = (80 - 48 * scale) / 2.0
    off_y = (60 - 48 * scale) / 2.0
    return svg(80, 60, g(glyph, transform="translate(%s %s) scale(%s)" % (
        fmt(off_x), fmt(off_y), fmt(scale))))


# ---------------------------------------------------------------- message box icons (32 x 32)
def msgbox_glyphs():
    return {
        "Question": circle(16, 16, 14.5, fill=BLUE) + text(16, 23.6, "?", 21, fill=WHITE),
        "Attention": (poly([(16, 3), (30, 28), (2, 28)], fill=AMBER, stroke=AMBER, sw=3) +
                      rect(14.4, 10.5, 3.2, 10.5, rx=1.6, fill=INK) +
                      circle(16, 24.4, 1.9, fill=INK)),
        "Error": (circle(16, 16, 14.5, fill=RED) +
                  line(10.5, 10.5, 21.5, 21.5, stroke=WHITE, sw=3.6) +
                  line(10.5, 21.5, 21.5, 10.5, stroke=WHITE, sw=3.6)),
        "Info": (circle(16, 16, 14.5, fill=BLUE) + circle(16, 9.2, 2.3, fill=WHITE) +
                 path("M13 13.5 H17.8 V22.5 H19.5 V25 H12.5 V22.5 H14.4 V16 H13 Z", fill=WHITE)),
    }


# ---------------------------------------------------------------- video stand-in (128 x 96)
def recording_svg():
    out = [rect(0, 0, 128, 96, fill="#263238")]
    for k in range(9):
        x = 4 + 14 * k
        out.append(rect(x, 4, 8, 7, rx=1.6, fill="#ECEFF1"))
        out.append(rect(x, 85, 8, 7, rx=1.6, fill="#ECEFF1"))
    out.append(rect(6, 16, 116, 64, rx=3, fill="#455A64"))
    out.append(circle(64, 41, 17, fill=GREEN))
    out.append(poly([(58, 31), (74, 41), (58, 51)], fill=WHITE, stroke=WHITE, sw=2))
    out.append(text(64, 74.5, "AVI", 13, fill="#ECEFF1"))
    return svg(128, 96, out)


# ---------------------------------------------------------------- application icon (256 x 256)
def app_icon_svg(small=False):
    """Microscope with a camera lens on a slate tile; the base is a ruler.
    The small variant (16 and 32 pixels) has heavier parts and no ticks."""
    k = 1.3 if small else 1.0
    out = [rect(8, 8, 240, 240, rx=52, fill=INK)]
    # ruler base
    out.append(rect(36, 194, 184, 30, rx=7, fill=AMBER))
    if not small:
        for i in range(1, 16):
            x = 36 + 11.5 * i
            ln = 13 if i % 5 == 0 else 8
            out.append(line(x, 194, x, 194 + ln, stroke=INK, sw=3.2, cap="butt"))
    # arm from the base up to the back of the tube
    out.append(path("M146 198 C204 172 200 100 124 84", stroke=WHITE, sw=24 * k))
    # stage
    out.append(rect(58, 150, 124, 14 * k, rx=5, fill=WHITE))
    # tube with objective, leaning towards the top left
    out.append(g([rect(-17 * k, -64, 34 * k, 92, rx=6, fill=WHITE),
                  rect(-11 * k, 26, 22 * k, 18, rx=3, fill=WHITE)],
                 transform="translate(112 100) rotate(-28)"))
    # focus knob on the arm
    out.append(circle(183, 136, 6.5 * k, fill=INK))
    # camera lens at the top
    out.append(circle(80, 48, 34 * (1.08 if small else 1), fill=WHITE))
    out.append(circle(80, 48, 25 * (1.1 if small else 1), fill="#263238"))
    out.append(circle(80, 48, 18 * (1.15 if small else 1), fill=BLUE))
    out.append(circle(80, 48, 8, fill=DBLUE))
    out.append(circle(72, 40, 5.5, fill=WHITE, fill_opacity=0.85))
    return svg(256, 256, out)


# ---------------------------------------------------------------- rendering and checking
class Renderer:
    def __init__(self, keep_dir=None):
        self.tmp = tempfile.mkdtemp(prefix="pictures-")
        self.keep = keep_dir
        self.n = 0
        for tool in ("rsvg-convert", "convert"):
            if not shutil.which(tool):
                sys.exit("%s is needed (apt-get install -y librsvg2-bin imagemagick)" % tool)

    def png(self, svg_text, w, h, name):
        self.n += 1
        src = os.path.join(self.tmp, "%04d-%s.svg" % (self.n, name))
        out = os.path.join(self.tmp, "%04d-%s.png" % (self.n, name))
        with open(src, "w") as f:
            f.write(svg_text)
        if self.keep:
            os.makedirs(self.keep, exist_ok=True)
            shutil.copy(src, os.path.join(self.keep, name + ".svg"))
        subprocess.run(["rsvg-convert", "-w", str(w), "-h", str(h), "-o", out, src], check=True)
        return out

    def bmp(self, png, dest, bg, grey=False):
        os.makedirs(os.path.dirname(dest), exist_ok=True)
        cmd = ["convert", png]
        if grey:
            # desaturate and lift towards the face colour: a disabled look
            cmd += ["-colorspace", "Gray", "+level", "48%,97%", "-colorspace", "sRGB",
                    "-channel", "A", "-evaluate", "multiply", "0.8", "+channel"]
        cmd += ["-background", bg, "-flatten", "-alpha", "off", "-type", "TrueColor",
                "-define", "bmp:format=bmp3", "BMP3:" + dest]
        subprocess.run(cmd, check=True)

    def close(self):
        shutil.rmtree(self.tmp, ignore_errors=True)


def check_bmp(path_, w, h):
    with open(path_, "rb") as f:
        data = f.read()
    assert data[:2] == b"BM", path_
    off = struct.unpack_from("<I", data, 10)[0]
    hsize, bw, bh, planes, bits, comp = struct.unpack_from("<IiiHHI", data, 14)
    assert hsize == 40, (path_, "header", hsize)
    assert (bw, bh) == (w, h), (path_, "size", bw, bh)
    assert bits == 24 and comp == 0 and planes == 1, (path_, bits, comp)
    stride = (w * 3 + 3) & ~3
    assert len(data) >= off + stride * h, (path_, "short")


def main(argv):
    keep = None
    if len(argv) > 2 and argv[1] == "--keep-svg":
        keep = argv[2]
    r = Renderer(keep)
    written = []
    try:
        # main buttons
        mdir = os.path.join(BITMAP, "MainButton")
        for name, glyph in main_glyphs().items():
            png = r.png(main_button_svg(glyph), 80, 60, "main-" + name)
            for grey, suffix in ((False, ""), (True, "_Gray")):
                dest = os.path.join(mdir, name + suffix + ".bmp")
                r.bmp(png, dest, FACE, grey)
                check_bmp(dest, 80, 60)
                written.append(dest)
        # tool bar buttons
        tdir = os.path.join(BITMAP, "ToolBar")
        for name, glyph in toolbar_glyphs().items():
            png = r.png(svg(24, 24, glyph), 24, 24, "tb-" + name)
            dest = os.path.join(tdir, name + ".bmp")
            r.bmp(png, dest, FACE)
            check_bmp(dest, 24, 24)
            written.append(dest)
        # video stand-in
        png = r.png(recording_svg(), 128, 96, "recording")
        dest = os.path.join(BITMAP, "ShowMap", "Recording.bmp")
        r.bmp(png, dest, "#263238")
        check_bmp(dest, 128, 96)
        written.append(dest)
        # message box icons
        for name, glyph in msgbox_glyphs().items():
            png = r.png(svg(32, 32, glyph), 32, 32, "msg-" + name)
            dest = os.path.join(BITMAP, "MessageBox", name + ".bmp")
            r.bmp(png, dest, DIALOG)
            check_bmp(dest, 32, 32)
            written.append(dest)
        # application icon
        big = app_icon_svg(False)
        small = app_icon_svg(True)
        with open(os.path.join(RES, "sendra-cam.svg"), "w") as f:
            f.write(big)
        written.append(os.path.join(RES, "sendra-cam.svg"))
        png256 = r.png(big, 256, 256, "icon-256")
        shutil.copy(png256, os.path.join(RES, "sendra-cam.png"))
        written.append(os.path.join(RES, "sendra-cam.png"))
        sizes = []
        for s in (16, 32, 48):
            sizes.append(r.png(small if s < 48 else big, s, s, "icon-%d" % s))
        sizes.append(png256)
        ico = os.path.join(BITMAP, "Icon.ico")
        subprocess.run(["convert"] + sizes + [ico], check=True)
        written.append(ico)
    finally:
        r.close()
    for p in written:
        print(os.path.relpath(p, ROOT))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
