#!/usr/bin/env python3
"""Small X helpers for the scripted sessions: python3 with libX11 and libXdamage.

  xscreen.py hash FBFILE X Y W H
      prints a digest of a screen rectangle, read from the framebuffer file
      that Xvfb keeps with -fbdir (XWD format, mapped in memory, always current)
  xscreen.py settle FBFILE X Y W H --timeout S [--while-pid PID]
      waits until the rectangle shows more than one colour and has stopped
      changing (the window has painted), then prints its digest
  xscreen.py wait FBFILE X Y W H --becomes DIGEST --timeout S [--while-pid PID]
      polls the rectangle until it shows DIGEST again
  xscreen.py act --timeout S [--while-pid PID] WINDOW X Y W H -- COMMAND...
      runs COMMAND (a click) and waits until the window draws into the
      rectangle of its client area. The server's damage reports say so even
      for drawing that is on screen for less than a millisecond, as a burst
      of dots is, which no polling of the pixels can promise to see.
  xscreen.py close WINDOW
      asks a window to close as a window manager would (WM_DELETE_WINDOW), which
      xdotool cannot do without one

Waiting ends with status 1 on timeout, 2 if process PID has gone.
"""

import argparse
import ctypes
import hashlib
import mmap
import os
import struct
import subprocess
import sys
import time

POLL_S = 0.001


def region(path, x, y, w, h):
    """The rectangle's pixels, row after row, and the bytes per pixel."""
    with open(path, "rb") as f, mmap.mmap(f.fileno(), 0, access=mmap.ACCESS_READ) as fb:
        fields = struct.unpack(">25I", fb[:100])
        header_size, width, height = fields[0], fields[4], fields[5]
        bits_per_pixel, bytes_per_line, ncolors = fields[11], fields[12], fields[19]
        if x < 0 or y < 0 or x + w > width or y + h > height:
            sys.exit(f"rectangle {w}x{h}+{x}+{y} is off the {width}x{height} screen")
        bpp = bits_per_pixel // 8
        start = header_size + 12 * ncolors
        rows = []
        for row in range(y, y + h):
            offset = start + row * bytes_per_line + x * bpp
            rows.append(fb[offset : offset + w * bpp])
        return b"".join(rows), bpp


def digest(pixels):
    return hashlib.sha1(pixels).hexdigest()


def alive(pid):
    if pid is None:
        return True
    # An ended process that nobody has reaped yet is a zombie: gone too.
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except FileNotFoundError:
        return False


def until(args, done):
    """Calls done() until it is true; returns the exit status."""
    deadline = time.monotonic() + args.timeout
    while not done():
        if not alive(args.while_pid):
            print(f"process {args.while_pid} has gone", file=sys.stderr)
            return 2
        if time.monotonic() > deadline:
            return 1
        time.sleep(POLL_S)
    return 0


# --- Xlib through ctypes ---------------------------------------------------

class ClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class Rectangle(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort)]


class DamageNotifyEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("drawable", ctypes.c_ulong), ("damage", ctypes.c_ulong),
                ("level", ctypes.c_int), ("more", ctypes.c_int),
                ("timestamp", ctypes.c_ulong), ("area", Rectangle), ("geometry", Rectangle)]


class Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xclient", ClientMessageEvent),
                ("xdamage", DamageNotifyEvent), ("pad", ctypes.c_long * 24)]


def xlib():
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.c_void_p]
    x11.XPending.argtypes = [ctypes.c_void_p]
    x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")
    return x11, display


def close_window(window):
    x11, display = xlib()
    event = Event()
    event.xclient.type = 33  # ClientMessage
    event.xclient.window = window
    event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.xclient.format = 32
    event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    event.xclient.data[1] = 0  # CurrentTime
    x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)


def act(args):
    x11, display = xlib()
    damage = ctypes.CDLL("libXdamage.so.1")
    damage.XDamageQueryExtension.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                             ctypes.POINTER(ctypes.c_int)]
    damage.XDamageCreate.restype = ctypes.c_ulong
    damage.XDamageCreate.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int]
    event_base, error_base = ctypes.c_int(), ctypes.c_int()
    if not damage.XDamageQueryExtension(display, ctypes.byref(event_base),
                                        ctypes.byref(error_base)):
        sys.exit("the X server has no DAMAGE extension")
    damage.XDamageCreate(display, args.window, 0)  # every rectangle drawn, as drawn
    x11.XSync(display, 0)

    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    subprocess.run(command, check=True)

    event = Event()
    left, top, right, bottom = args.x, args.y, args.x + args.w, args.y + args.h

    def drawn_into_rectangle():
        while x11.XPending(display):
            x11.XNextEvent(display, ctypes.byref(event))
            if event.type != event_base.value:  # XDamageNotify
                continue
            a = event.xdamage.area
            if a.x < right and a.x + a.width > left and a.y < bottom and a.y + a.height > top:
                return True
        return False

    status = until(args, drawn_into_rectangle)
    x11.XCloseDisplay(display)
    return status


def main():
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest="command_name", required=True)
    for name in ("hash", "settle", "wait", "act"):
        p = sub.add_parser(name)
        if name != "hash":
            p.add_argument("--timeout", type=float, required=True)
            p.add_argument("--while-pid", type=int)
        p.add_argument("window" if name == "act" else "fbfile", type=int if name == "act" else str)
        for axis in ("x", "y", "w", "h"):
            p.add_argument(axis, type=int)
        if name == "wait":
            p.add_argument("--becomes", required=True)
        if name == "act":
            p.add_argument("command", nargs=argparse.REMAINDER)
    p = sub.add_parser("close")
    p.add_argument("window", type=int)
    args = parser.parse_args()

    if args.command_name == "close":
        close_window(args.window)
        return 0
    if args.command_name == "act":
        return act(args)

    def pixels():
        return region(args.fbfile, args.x, args.y, args.w, args.h)

    if args.command_name == "hash":
        print(digest(pixels()[0]))
        return 0
    if args.command_name == "wait":
        return until(args, lambda: digest(pixels()[0]) == args.becomes)

    # settle: the same picture for a whole second, and not a bare background
    last = {"digest": None, "since": 0.0}

    def settled():
        now = time.monotonic()
        data, bpp = pixels()
        d = digest(data)
        if d != last["digest"] or data == data[:bpp] * (len(data) // bpp):
            last.update(digest=d, since=now)
            return False
        return now - last["since"] >= 1.0

    status = until(args, settled)
    if status == 0:
        print(last["digest"])
    return status


if __name__ == "__main__":
    sys.exit(main())
