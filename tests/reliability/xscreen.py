#!/usr/bin/env python3
"""Small X helpers for the scripted sessions, with nothing beyond python3 and libX11.

  xscreen.py hash FBFILE X Y W H
      prints a digest of a screen rectangle, read from the framebuffer file
      that Xvfb keeps with -fbdir (XWD format, mapped in memory, always current)
  xscreen.py settle FBFILE X Y W H --timeout S [--while-pid PID]
      waits until the rectangle shows more than one colour and has stopped
      changing (the window has painted), then prints its digest
  xscreen.py wait FBFILE X Y W H (--changes-from DIGEST | --becomes DIGEST) --timeout S
                  [--while-pid PID]
      polls the rectangle until it differs from / equals DIGEST
  xscreen.py act --timeout S [--while-pid PID] FBFILE X Y W H -- COMMAND...
      notes the rectangle, runs COMMAND (a click) and waits until the rectangle
      changes; prints its digest from before. Watching starts before the click
      because a burst may be on screen for a few milliseconds only.
  Waiting ends with status 1 on timeout, 2 if process PID has gone.
  xscreen.py close WINDOW
      asks a window to close as a window manager would (WM_DELETE_WINDOW), which
      xdotool cannot do without one
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


def region(path, x, y, w, h):
    """The rectangle's pixels, row after row."""
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


def uniform(pixels, bpp):
    return pixels == pixels[:bpp] * (len(pixels) // bpp)


def alive(pid):
    if pid is None:
        return True
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    # A process that has ended but not been reaped is a zombie: gone too.
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except FileNotFoundError:
        return False


def poll(args, done):
    """Calls done(pixels, bpp) until it is true; returns the exit status."""
    deadline = time.monotonic() + args.timeout
    while True:
        pixels, bpp = region(args.fbfile, args.x, args.y, args.w, args.h)
        if done(pixels, bpp):
            return 0
        if not alive(args.while_pid):
            print(f"process {args.while_pid} has gone", file=sys.stderr)
            return 2
        if time.monotonic() > deadline:
            return 1
        time.sleep(0.001)  # a native burst is on screen for a few ms only


def close_window(window):
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

    class Event(ctypes.Union):
        _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")
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


def main():
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest="command", required=True)
    for name in ("hash", "settle", "wait", "act"):
        p = sub.add_parser(name)
        p.add_argument("fbfile")
        for axis in ("x", "y", "w", "h"):
            p.add_argument(axis, type=int)
        if name == "wait":
            goal = p.add_mutually_exclusive_group(required=True)
            goal.add_argument("--changes-from")
            goal.add_argument("--becomes")
        if name != "hash":
            p.add_argument("--timeout", type=float, required=True)
            p.add_argument("--while-pid", type=int)
        if name == "act":
            p.add_argument("action", nargs=argparse.REMAINDER)
    p = sub.add_parser("close")
    p.add_argument("window", type=int)
    args = parser.parse_args()

    if args.command == "close":
        close_window(args.window)
        return 0
    if args.command == "hash":
        print(digest(region(args.fbfile, args.x, args.y, args.w, args.h)[0]))
        return 0
    if args.command == "wait":
        if args.changes_from:
            return poll(args, lambda pixels, _: digest(pixels) != args.changes_from)
        return poll(args, lambda pixels, _: digest(pixels) == args.becomes)

    if args.command == "act":
        action = args.action[1:] if args.action[:1] == ["--"] else args.action
        before = digest(region(args.fbfile, args.x, args.y, args.w, args.h)[0])
        subprocess.run(action, check=True)
        status = poll(args, lambda pixels, _: digest(pixels) != before)
        if status == 0:
            print(before)
        return status

    # settle: the same picture for a whole second, and not a bare background
    last = {"digest": None, "since": 0.0}

    def settled(pixels, bpp):
        now = time.monotonic()
        d = digest(pixels)
        if d != last["digest"] or uniform(pixels, bpp):
            last.update(digest=d, since=now)
            return False
        return now - last["since"] >= 1.0

    status = poll(args, settled)
    if status == 0:
        print(last["digest"])
    return status


if __name__ == "__main__":
    sys.exit(main())
