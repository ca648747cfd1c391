"""A private X server for driving the real tessaline window from outside.

XServer starts its own Xvfb and keeps the screen in a memory-mapped XWD file,
so the framebuffer is read straight from memory: a poll costs microseconds,
not a screenshot. App starts the program on that server, finds its window and
drives it with xdotool, as a person at the keyboard and mouse would.
"""

import ctypes
import mmap
import os
import shutil
import signal
import struct
import subprocess
import tempfile
import time
import zlib

SCREEN_WIDTH, SCREEN_HEIGHT = 1280, 1024

# The XWD header: 25 big-endian 32-bit fields, then the window name, then the
# colour map, then the pixels.
_XWD_FIELDS = (
    "header_size file_version pixmap_format pixmap_depth pixmap_width "
    "pixmap_height xoffset byte_order bitmap_unit bitmap_bit_order bitmap_pad "
    "bits_per_pixel bytes_per_line visual_class red_mask green_mask blue_mask "
    "bits_per_rgb colormap_entries ncolors window_width window_height window_x "
    "window_y window_bdrwidth"
).split()
_XWD_COLOR_SIZE = 12


def now_ms():
    return time.perf_counter_ns() / 1e6


class Framebuffer:
    """The live screen of an Xvfb, 32 bits per pixel, read from its mmap."""

    def __init__(self, path):
        self._file = open(path, "rb")
        self.mem = mmap.mmap(self._file.fileno(), 0, access=mmap.ACCESS_READ)
        header = dict(zip(_XWD_FIELDS, struct.unpack(">25I", self.mem[:100])))
        if header["bits_per_pixel"] != 32 or header["byte_order"] != 0:
            raise RuntimeError("expected a 32-bit little-endian framebuffer: %r" % header)
        if (header["red_mask"], header["green_mask"], header["blue_mask"]) != (
            0xFF0000,
            0xFF00,
            0xFF,
        ):
            raise RuntimeError("unexpected colour masks: %r" % header)
        self.width = header["pixmap_width"]
        self.height = header["pixmap_height"]
        self.stride = header["bytes_per_line"]
        self.base = header["header_size"] + header["ncolors"] * _XWD_COLOR_SIZE

    def close(self):
        self.mem.close()
        self._file.close()

    def offset(self, x, y):
        return self.base + y * self.stride + x * 4

    def raw(self, x, y):
        """The pixel's bytes (B, G, R): cheap to compare."""
        o = self.offset(x, y)
        return self.mem[o : o + 3]

    def pixel(self, x, y):
        o = self.offset(x, y)
        b, g, r = self.mem[o : o + 3]
        return (r, g, b)

    def grab(self, x, y, w, h):
        """A copy of a rectangle: one bytes object per row, 4 bytes a pixel."""
        rows = []
        for row in range(y, y + h):
            o = self.offset(x, row)
            rows.append(self.mem[o : o + 4 * w])
        return Image(w, h, rows)


class Image:
    """A rectangle copied from the framebuffer."""

    def __init__(self, width, height, rows):
        self.width, self.height, self.rows = width, height, rows

    def pixel(self, x, y):
        b, g, r = self.rows[y][4 * x : 4 * x + 3]
        return (r, g, b)

    def raw(self, x, y):
        return self.rows[y][4 * x : 4 * x + 3]

    def crop(self, x, y, w, h):
        return Image(w, h, [r[4 * x : 4 * (x + w)] for r in self.rows[y : y + h]])

    def __eq__(self, other):
        return isinstance(other, Image) and self.rows == other.rows

    def colours(self):
        seen = set()
        for row in self.rows:
            for i in range(0, len(row), 4):
                seen.add(row[i : i + 3])
        return {(c[2], c[1], c[0]) for c in seen}

    def count(self, colour):
        r, g, b = colour
        needle = bytes((b, g, r))
        return sum(
            1 for row in self.rows for i in range(0, len(row), 4) if row[i : i + 3] == needle
        )

    def differing(self, other):
        """Pixels (x, y) where the two images differ."""
        out = []
        for y, (a, b) in enumerate(zip(self.rows, other.rows)):
            if a != b:
                for x in range(self.width):
                    if a[4 * x : 4 * x + 3] != b[4 * x : 4 * x + 3]:
                        out.append((x, y))
        return out

    def save_png(self, path):
        """An 8-bit RGB PNG of the image, without filtering."""
        raw = bytearray()
        for row in self.rows:
            raw.append(0)
            for i in range(0, len(row), 4):
                raw += bytes((row[i + 2], row[i + 1], row[i]))

        def chunk(kind, body):
            return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))

    @staticmethod
    def load_png(path):
        """An 8-bit RGB, non-interlaced PNG, as save_png writes it (any filters)."""
        with open(path, "rb") as f:
            data = f.read()
        if data[:8] != b"\x89PNG\r\n\x1a\n":
            raise ValueError(path + ": not a PNG file")
        pos, idat, width = 8, b"", None
        while pos < len(data):
            (length,) = struct.unpack(">I", data[pos : pos + 4])
            kind, body = data[pos + 4 : pos + 8], data[pos + 8 : pos + 8 + length]
            pos += 12 + length
            if kind == b"IHDR":
                width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
                if (depth, colour, interlace) != (8, 2, 0):
                    raise ValueError(path + ": only 8-bit RGB without interlacing is read")
            elif kind == b"IDAT":
                idat += body
        raw, stride, rows, prev = zlib.decompress(idat), 3 * width, [], bytearray(3 * width)
        for y in range(height):
            kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1 : (y + 1) * (stride + 1)])
            for i in range(stride):
                a = line[i - 3] if i >= 3 else 0
                b, c = prev[i], prev[i - 3] if i >= 3 else 0
                if kind == 1:
                    line[i] = (line[i] + a) & 255
                elif kind == 2:
                    line[i] = (line[i] + b) & 255
                elif kind == 3:
                    line[i] = (line[i] + (a + b) // 2) & 255
                elif kind == 4:
                    p = a + b - c
                    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                    line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
            rows.append(bytes(v for i in range(0, stride, 3) for v in (line[i + 2], line[i + 1], line[i], 0)))
            prev = line
        return Image(width, height, rows)

    def save_ppm(self, path):
        data = bytearray()
        for row in self.rows:
            for i in range(0, len(row), 4):
                data += bytes((row[i + 2], row[i + 1], row[i]))
        with open(path, "wb") as f:
            f.write(b"P6 %d %d 255\n" % (self.width, self.height) + bytes(data))


class XServer:
    """An Xvfb of its own, started on a free display number."""

    def __init__(self, width=SCREEN_WIDTH, height=SCREEN_HEIGHT):
        self.dir = tempfile.mkdtemp(prefix="tessaline-e2e-")
        self._pending = []
        read_end, write_end = os.pipe()
        # -nocursor: the software cursor would otherwise be drawn into the
        # framebuffer wherever the pointer rests. -noreset: without it the
        # server resets whenever its last client leaves, refusing connections
        # for a moment and remapping the framebuffer.
        log = open(os.path.join(self.dir, "Xvfb.log"), "wb")
        self.proc = subprocess.Popen(
            [
                "Xvfb",
                "-displayfd",
                str(write_end),
                "-screen",
                "0",
                "%dx%dx24" % (width, height),
                "-fbdir",
                self.dir,
                "-nolisten",
                "tcp",
                "-nocursor",
                "-noreset",
            ],
            pass_fds=(write_end,),
            stdout=subprocess.DEVNULL,
            stderr=log,
        )
        log.close()
        os.close(write_end)
        number = b""
        with os.fdopen(read_end, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    raise RuntimeError("Xvfb did not start: see %s/Xvfb.log" % self.dir)
                number += chunk
        self.display = ":" + number.decode().strip()
        self.env = dict(os.environ)
        self.env["DISPLAY"] = self.display
        self.env.pop("WAYLAND_DISPLAY", None)
        runtime = os.path.join(self.dir, "runtime")
        os.mkdir(runtime, 0o700)
        self.env["XDG_RUNTIME_DIR"] = runtime
        self.fb = Framebuffer(os.path.join(self.dir, "Xvfb_screen0"))
        self.x = XConnection(self.display)

    def xdotool(self, *args, check=True):
        out = subprocess.run(
            ["xdotool", *map(str, args)],
            env=self.env,
            capture_output=True,
            text=True,
            timeout=30,
        )
        if check and out.returncode != 0:
            raise RuntimeError("xdotool %s failed: %s" % (" ".join(map(str, args)), out.stderr))
        return out.stdout

    def xdotool_async(self, *args):
        """Starts xdotool without waiting: the caller can watch the screen
        while the input is delivered."""
        self._pending = [p for p in self._pending if p.poll() is None]
        proc = subprocess.Popen(
            ["xdotool", *map(str, args)],
            env=self.env,
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
        )
        self._pending.append(proc)
        return proc

    def xprop(self, window, *props):
        return subprocess.run(
            ["xprop", "-id", str(window), *props],
            env=self.env,
            capture_output=True,
            text=True,
            timeout=30,
            check=True,
        ).stdout

    def park_pointer(self):
        """Moves the pointer to the screen's corner, well away from the window."""
        self.xdotool("mousemove", 0, 0)

    def close(self):
        for proc in self._pending:
            proc.wait()
        self.x.close()
        self.fb.close()
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        shutil.rmtree(self.dir, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class _XClientMessageEvent(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int),
        ("serial", ctypes.c_ulong),
        ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p),
        ("window", ctypes.c_ulong),
        ("message_type", ctypes.c_ulong),
        ("format", ctypes.c_int),
        ("data", ctypes.c_long * 5),
    ]


class _XRectangle(ctypes.Structure):
    _fields_ = [
        ("x", ctypes.c_short),
        ("y", ctypes.c_short),
        ("width", ctypes.c_ushort),
        ("height", ctypes.c_ushort),
    ]


class _XDamageNotifyEvent(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int),
        ("serial", ctypes.c_ulong),
        ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p),
        ("drawable", ctypes.c_ulong),
        ("damage", ctypes.c_ulong),
        ("level", ctypes.c_int),
        ("more", ctypes.c_int),
        ("timestamp", ctypes.c_ulong),
        ("area", _XRectangle),
        ("geometry", _XRectangle),
    ]


class _XEvent(ctypes.Union):
    _fields_ = [
        ("type", ctypes.c_int),
        ("xclient", _XClientMessageEvent),
        ("xdamage", _XDamageNotifyEvent),
        ("pad", ctypes.c_long * 24),
    ]


class XConnection:
    """A client connection of our own, for what must happen at a precise
    moment or what xdotool cannot do: a click sent from inside a polling loop
    (no process to start), and the close request a window manager sends."""

    def __init__(self, display):
        x11 = ctypes.CDLL("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XSendEvent.argtypes = [
            ctypes.c_void_p,
            ctypes.c_ulong,
            ctypes.c_int,
            ctypes.c_long,
            ctypes.POINTER(_XEvent),
        ]
        x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XFlush.argtypes = [ctypes.c_void_p]
        x11.XPending.argtypes = [ctypes.c_void_p]
        x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(_XEvent)]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        xtst = ctypes.CDLL("libXtst.so.6")
        xtst.XTestFakeButtonEvent.argtypes = [
            ctypes.c_void_p,
            ctypes.c_uint,
            ctypes.c_int,
            ctypes.c_ulong,
        ]
        self._x11, self._xtst = x11, xtst
        self._dpy = x11.XOpenDisplay(display.encode())
        if not self._dpy:
            raise RuntimeError("cannot open display " + display)
        self._protocols = x11.XInternAtom(self._dpy, b"WM_PROTOCOLS", 0)
        self._delete = x11.XInternAtom(self._dpy, b"WM_DELETE_WINDOW", 0)
        self._xdamage = None

    def click(self, button=1):
        """Press and release where the pointer is, delivered now."""
        self._xtst.XTestFakeButtonEvent(self._dpy, button, 1, 0)
        self._xtst.XTestFakeButtonEvent(self._dpy, button, 0, 0)
        self._x11.XFlush(self._dpy)

    def delete_window(self, window):
        """What a window manager sends when the user clicks the close box.
        (The xdotool here has none: its windowclose destroys the window under
        the program's feet.) The server has it when this returns."""
        event = _XEvent()
        event.xclient.type = 33  # ClientMessage
        event.xclient.window = window
        event.xclient.message_type = self._protocols
        event.xclient.format = 32
        event.xclient.data[0] = self._delete
        event.xclient.data[1] = 0  # CurrentTime
        self._x11.XSendEvent(self._dpy, window, 0, 0, ctypes.byref(event))
        self._x11.XSync(self._dpy, 0)

    def watch_damage(self, window):
        """A DamageWatch on the window, reporting from now on."""
        if self._xdamage is None:
            xdamage = ctypes.CDLL("libXdamage.so.1")
            xdamage.XDamageQueryExtension.argtypes = [
                ctypes.c_void_p,
                ctypes.POINTER(ctypes.c_int),
                ctypes.POINTER(ctypes.c_int),
            ]
            xdamage.XDamageCreate.restype = ctypes.c_ulong
            xdamage.XDamageCreate.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int]
            xdamage.XDamageDestroy.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
            event_base, error_base = ctypes.c_int(), ctypes.c_int()
            if not xdamage.XDamageQueryExtension(
                self._dpy, ctypes.byref(event_base), ctypes.byref(error_base)
            ):
                raise RuntimeError("the X server has no DAMAGE extension")
            # XDamageNotify is the extension's first (and only) event.
            self._xdamage, self._damage_notify = xdamage, event_base.value
        return DamageWatch(self, window)

    def close(self):
        if self._dpy:
            self._x11.XCloseDisplay(self._dpy)
            self._dpy = None


class DamageWatch:
    """What a window draws, as the server reports it, rectangle by rectangle.
    The reports show even drawing that is on screen for less than a
    millisecond, as a burst of dots is, which no polling of the framebuffer can
    promise to see. Use it as a context manager around the input that causes
    the drawing."""

    def __init__(self, connection, window):
        self._c = connection
        # Level 0: every rectangle drawn, as it is drawn.
        self._damage = connection._xdamage.XDamageCreate(connection._dpy, window, 0)
        connection._x11.XSync(connection._dpy, 0)
        # A new damage object first reports the whole window: not drawing.
        self._areas = []
        self._collect()
        self._areas.clear()

    def _collect(self):
        c, event = self._c, _XEvent()
        while c._x11.XPending(c._dpy):
            c._x11.XNextEvent(c._dpy, ctypes.byref(event))
            if event.type == c._damage_notify:
                a = event.xdamage.area
                self._areas.append((a.x, a.y, a.width, a.height))

    def drawn_into(self, x, y, w, h):
        """Whether the window has drawn into the rectangle (window
        coordinates) since the watch began."""
        self._collect()
        return any(
            ax < x + w and ax + aw > x and ay < y + h and ay + ah > y
            for ax, ay, aw, ah in self._areas
        )

    def close(self):
        if self._damage:
            self._c._xdamage.XDamageDestroy(self._c._dpy, self._damage)
            self._c._x11.XSync(self._c._dpy, 0)
            self._collect()
            self._damage = None

    def __enter__(self):
        return self

    def __exit__(self, exc_type, *exc):
        # After a failure the window may be gone, and its damage with it:
        # destroying that again is an X error, which ends the process.
        if exc_type is None:
            self.close()


class App:
    """A running program on an XServer, with its top-level window found."""

    def __init__(self, server, command, extra_env=None):
        self.server = server
        env = dict(server.env)
        env["QT_QPA_PLATFORM"] = "xcb"
        env.pop("QT_SCALE_FACTOR", None)
        env.update(extra_env or {})
        self.stdout_path = os.path.join(server.dir, "app-%d.out" % id(self))
        self.stderr_path = os.path.join(server.dir, "app-%d.err" % id(self))
        with open(self.stdout_path, "wb") as out, open(self.stderr_path, "wb") as err:
            self.exec_ms = now_ms()
            self.proc = subprocess.Popen(command, env=env, stdout=out, stderr=err)
        self.window = None
        self.x = self.y = self.width = self.height = None

    def find_window(self, timeout=20):
        """The program's visible window, looked up by its process id."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.proc.poll() is not None:
                raise RuntimeError("the program ended at start-up: " + self.stderr())
            out = self.server.xdotool("search", "--onlyvisible", "--pid", self.proc.pid, check=False)
            ids = [int(w) for w in out.split()]
            if ids:
                self.window = ids[0]
                self.refresh_geometry()
                return self.window
            time.sleep(0.02)
        raise RuntimeError("no window appeared for pid %d" % self.proc.pid)

    def refresh_geometry(self):
        out = self.server.xdotool("getwindowgeometry", "--shell", self.window)
        values = dict(line.split("=", 1) for line in out.split())
        self.x, self.y = int(values["X"]), int(values["Y"])
        self.width, self.height = int(values["WIDTH"]), int(values["HEIGHT"])

    def visible_windows(self):
        out = self.server.xdotool("search", "--onlyvisible", "--pid", self.proc.pid, check=False)
        return [int(w) for w in out.split()]

    # Input, in window coordinates. Each ends with the pointer parked away so
    # that nothing it hovers over changes what the screen shows.
    def click(self, x, y, button=1, repeat=1, park=True, wait=True):
        """Clicks at (x, y). With wait=False the pointer is moved there first
        and the click is sent in the background, so that a caller polling the
        screen right after sees everything the click causes."""
        click = ["click"]
        if repeat > 1:
            click += ["--repeat", repeat, "--delay", 40]
        click.append(button)
        after = ["mousemove", 0, 0] if park else []
        if wait:
            self.server.xdotool("mousemove", self.x + x, self.y + y, *click, *after)
            return None
        self.server.xdotool("mousemove", self.x + x, self.y + y)
        return self.server.xdotool_async(*click, *after)

    def drag(self, x0, y0, x1, y1, park=True):
        args = [
            "mousemove", self.x + x0, self.y + y0, "mousedown", 1,
            "mousemove", self.x + (x0 + x1) // 2, self.y + (y0 + y1) // 2,
            "mousemove", self.x + x1, self.y + y1, "mouseup", 1,
        ]
        if park:
            args += ["mousemove", 0, 0]
        self.server.xdotool(*args)

    def key(self, *keys):
        self.server.xdotool("key", "--clearmodifiers", *keys)

    # The screen, in window coordinates.
    def grab(self, x=0, y=0, w=None, h=None):
        return self.server.fb.grab(
            self.x + x, self.y + y, self.width if w is None else w, self.height if h is None else h
        )

    def pixel(self, x, y):
        return self.server.fb.pixel(self.x + x, self.y + y)

    def close_window(self):
        self.server.x.delete_window(self.window)

    def watch_drawing(self):
        """A DamageWatch on the window: see what a click makes it draw."""
        return self.server.x.watch_damage(self.window)

    def wait(self, timeout):
        return self.proc.wait(timeout)

    def alive(self):
        return self.proc.poll() is None

    def stderr(self):
        with open(self.stderr_path, "rb") as f:
            return f.read().decode(errors="replace")

    def stdout(self):
        with open(self.stdout_path, "rb") as f:
            return f.read().decode(errors="replace")

    def kill(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGKILL)
            self.proc.wait()


def resident_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return None
