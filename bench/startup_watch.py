"""Start-up as the X server sees it: from exec to the window's first map, and
to the last drawing of its first paint, read from the server's own reports
(MapNotify on the root window, DAMAGE events on it in raw-rectangle mode)
rather than by polling the screen."""

import ctypes
import select
import subprocess

from xdisplay import now_ms

_MAP_NOTIFY = 19
_SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
_REPORT_RAW_RECTANGLES = 0


class _Rect(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort), ("height", ctypes.c_ushort)]


class _Damage(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p), ("drawable", ctypes.c_ulong), ("damage", ctypes.c_ulong),
        ("level", ctypes.c_int), ("more", ctypes.c_int), ("timestamp", ctypes.c_ulong),
        ("area", _Rect), ("geometry", _Rect),
    ]


class _Map(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p), ("event", ctypes.c_ulong), ("window", ctypes.c_ulong),
        ("override_redirect", ctypes.c_int),
    ]


class _Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xmap", _Map), ("xdamage", _Damage), ("pad", ctypes.c_long * 24)]


class StartWatch:
    """Watches the whole screen of one X server for the next program to start."""

    def __init__(self, display):
        x11 = ctypes.CDLL("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XDefaultRootWindow.restype = ctypes.c_ulong
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        x11.XConnectionNumber.argtypes = [ctypes.c_void_p]
        x11.XPending.argtypes = [ctypes.c_void_p]
        x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(_Event)]
        x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        damage = ctypes.CDLL("libXdamage.so.1")
        damage.XDamageQueryExtension.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int)]
        damage.XDamageCreate.restype = ctypes.c_ulong
        damage.XDamageCreate.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int]
        self._x11 = x11
        self._dpy = x11.XOpenDisplay(display.encode())
        if not self._dpy:
            raise RuntimeError("cannot open display " + display)
        base, error = ctypes.c_int(), ctypes.c_int()
        if not damage.XDamageQueryExtension(self._dpy, ctypes.byref(base), ctypes.byref(error)):
            raise RuntimeError("the X server has no DAMAGE extension")
        self._damage_notify = base.value
        root = x11.XDefaultRootWindow(self._dpy)
        x11.XSelectInput(self._dpy, root, _SUBSTRUCTURE_NOTIFY_MASK)
        # Drawing into any window is drawing on the root window's screen.
        damage.XDamageCreate(self._dpy, root, _REPORT_RAW_RECTANGLES)
        x11.XSync(self._dpy, 0)
        self._fd = x11.XConnectionNumber(self._dpy)
        self._drain()

    def _drain(self):
        """The events that have arrived, each with the time it was read."""
        out, event = [], _Event()
        while self._x11.XPending(self._dpy):
            self._x11.XNextEvent(self._dpy, ctypes.byref(event))
            t = now_ms()
            if event.type == _MAP_NOTIFY:
                out.append((t, "map", event.xmap.window))
            elif event.type == self._damage_notify:
                a = event.xdamage.area
                out.append((t, "damage", (a.x, a.y, a.width, a.height)))
        return out

    def start(self, command, env, quiet_ms=250, timeout_ms=20000):
        """Starts the command and follows it to the end of its first paint:
        the first drawing after the first map and whatever drawing follows it
        with no pause of quiet_ms. Returns the process, the ms from exec to
        the map and to the last drawing of that paint, the window mapped, and
        every event in ms from exec."""
        self._drain()
        events = []
        exec_ms = now_ms()
        proc = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        mapped = last = window = None
        while True:
            wait = timeout_ms if last is None else max(0.0, last + quiet_ms - now_ms())
            ready, _, _ = select.select([self._fd], [], [], wait / 1000.0)
            for t, kind, what in self._drain():
                events.append((t - exec_ms, kind, what))
                if kind == "map" and mapped is None:
                    mapped, window = t, what
                elif kind == "damage" and mapped is not None:
                    last = t
            if last is not None and now_ms() - last >= quiet_ms:
                break
            if not ready and last is None:
                if proc.poll() is not None:
                    raise RuntimeError("%s ended at start-up" % command[0])
                if now_ms() - exec_ms > timeout_ms:
                    proc.kill()
                    raise RuntimeError("%s never painted" % command[0])
        return proc, window, mapped - exec_ms, last - exec_ms, events

    def close(self):
        if self._dpy:
            self._x11.XCloseDisplay(self._dpy)
            self._dpy = None
