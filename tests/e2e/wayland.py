"""A private headless sway for driving the real tessaline window on Wayland.

Sway refuses to run as root, so when the tests run as root (as CI does) the
compositor runs as an unprivileged user made for it, and every client (the
program, grim, wtype, swaymsg) reaches it through the absolute path of its
socket. Screenshots come from grim, keys from wtype, and clicks from a virtual
pointer of our own: without a pointer device sway moves no cursor.
"""

import json
import os
import pwd
import shutil
import socket
import struct
import subprocess
import tempfile
import threading
import time

from xdisplay import Image, now_ms

SCREEN_WIDTH, SCREEN_HEIGHT = 1280, 1024
COMPOSITOR_USER = "tessaline-e2e"

_SWAY_CONFIG = """\
output HEADLESS-1 resolution {w}x{h} position 0,0
xwayland disable
default_border none
default_floating_border none
focus_follows_mouse no
"""


def _compositor_account():
    """(uid, gid) to run sway as: ourselves, or when we are root a system
    user of its own, made on first use."""
    if os.geteuid() != 0:
        return None
    try:
        entry = pwd.getpwnam(COMPOSITOR_USER)
    except KeyError:
        subprocess.run(
            ["useradd", "--system", "--no-create-home", "--home-dir", "/nonexistent",
             "--shell", "/usr/sbin/nologin", COMPOSITOR_USER],
            check=True,
        )  # fmt: skip
        entry = pwd.getpwnam(COMPOSITOR_USER)
    return entry.pw_uid, entry.pw_gid


class Sway:
    """A headless sway of its own, with one 1280 x 1024 output."""

    def __init__(self, width=SCREEN_WIDTH, height=SCREEN_HEIGHT):
        self.width, self.height = width, height
        self.dir = tempfile.mkdtemp(prefix="tessaline-wl-")
        os.chmod(self.dir, 0o755)
        self._pointer = None
        self._ipc_socket, self._ipc_lock = None, threading.Lock()
        runtime = os.path.join(self.dir, "sway")
        os.mkdir(runtime, 0o700)
        config = os.path.join(self.dir, "config")
        with open(config, "w") as f:
            f.write(_SWAY_CONFIG.format(w=width, h=height))
        os.chmod(config, 0o644)

        env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": runtime,
            "XDG_RUNTIME_DIR": runtime,
            "WLR_BACKENDS": "headless",
            "WLR_RENDERER": "pixman",
            "WLR_LIBINPUT_NO_DEVICES": "1",
        }
        command = ["sway", "--config", config]
        account = _compositor_account()
        if account:
            uid, gid = account
            os.chown(runtime, uid, gid)
            command = ["setpriv", "--reuid=%d" % uid, "--regid=%d" % gid, "--clear-groups",
                       *command]  # fmt: skip
        log = open(os.path.join(self.dir, "sway.log"), "wb")
        self.proc = subprocess.Popen(
            command, env=env, cwd=runtime, stdout=log, stderr=subprocess.STDOUT
        )
        log.close()

        self.socket = os.path.join(runtime, "wayland-1")
        deadline = time.monotonic() + 20
        self.ipc = None
        while time.monotonic() < deadline:
            if self.proc.poll() is not None:
                raise RuntimeError("sway did not start: see %s/sway.log" % self.dir)
            ipc = [n for n in os.listdir(runtime) if n.startswith("sway-ipc.")]
            if ipc and os.path.exists(self.socket):
                self.ipc = os.path.join(runtime, ipc[0])
                break
            time.sleep(0.02)
        if not self.ipc:
            self.close()
            raise RuntimeError("sway did not open its sockets: see %s/sway.log" % self.dir)

        # The clients' own runtime directory: Qt wants one that is theirs.
        client_runtime = os.path.join(self.dir, "client")
        os.mkdir(client_runtime, 0o700)
        self.env = dict(os.environ)
        self.env.pop("DISPLAY", None)
        self.env["WAYLAND_DISPLAY"] = self.socket
        self.env["XDG_RUNTIME_DIR"] = client_runtime
        self.env["SWAYSOCK"] = self.ipc
        self.wait_until_ready()

    def wait_until_ready(self, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            try:
                if self.msg(kind="get_outputs", check=False):
                    return
            except (OSError, ValueError):
                pass
            time.sleep(0.05)
        raise RuntimeError("sway never answered: see %s/sway.log" % self.dir)

    def msg(self, *command, kind="command", check=True):
        """swaymsg, its JSON reply decoded."""
        out = subprocess.run(
            ["swaymsg", "-r", "-t", kind, *command],
            env=self.env, capture_output=True, text=True, timeout=30,
        )  # fmt: skip
        if check and out.returncode != 0:
            raise RuntimeError("swaymsg %s failed: %s%s" % (" ".join(command), out.stdout, out.stderr))
        return json.loads(out.stdout) if out.stdout.strip() else None

    def command(self, text):
        """A sway command sent straight over its IPC socket: no swaymsg to
        start, so it goes out at the moment the caller means. Safe to call
        from several threads."""
        with self._ipc_lock:
            if self._ipc_socket is None:
                self._ipc_socket = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
                self._ipc_socket.connect(self.ipc)
            payload = text.encode()
            self._ipc_socket.sendall(b"i3-ipc" + struct.pack("<II", len(payload), 0) + payload)
            header = b""
            while len(header) < 14:
                header += self._ipc_socket.recv(14 - len(header))
            length = struct.unpack_from("<I", header, 6)[0]
            reply = b""
            while len(reply) < length:
                reply += self._ipc_socket.recv(length - len(reply))
        results = json.loads(reply)
        if not all(r.get("success") for r in results):
            raise RuntimeError("sway refused %r: %r" % (text, results))

    def views(self):
        """Every client window: {pid, rect, ...} as sway reports them."""
        found = []

        def walk(node):
            if node.get("pid"):
                found.append(node)
            for child in node.get("nodes", []) + node.get("floating_nodes", []):
                walk(child)

        walk(self.msg(kind="get_tree"))
        return found

    def pointer(self):
        if self._pointer is None:
            self._pointer = VirtualPointer(self.socket, self.width, self.height)
            # A new pointer device joins the seat as sway gets to it: move it
            # once before anything counts on it.
            self._pointer.move(1, 1)
            time.sleep(0.1)
            self._pointer.move(0, 0)
        return self._pointer

    def grab(self, x, y, w, h):
        """A screenshot of a rectangle of the screen, as an Image."""
        out = subprocess.run(
            ["grim", "-t", "ppm", "-g", "%d,%d %dx%d" % (x, y, w, h), "-"],
            env=self.env, capture_output=True, timeout=30, check=True,
        )  # fmt: skip
        return _ppm_to_image(out.stdout)

    def type_keys(self, *keys, delay_ms=60):
        """Presses and releases each named key (xkb names) in the focused
        window. wtype first sends its keymap; the window needs a moment to take
        it before the first key."""
        args = ["wtype", "-s", "300"]
        for key in keys:
            args += ["-k", key, "-s", str(delay_ms)]
        subprocess.run(args, env=self.env, timeout=30, check=True)

    def close(self):
        if self._ipc_socket:
            self._ipc_socket.close()
        if self._pointer:
            self._pointer.close()
            self._pointer = None
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


def _ppm_to_image(data):
    """grim's binary PPM to an Image with the framebuffer's B, G, R, X rows."""
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos : pos + 1].isspace():
            pos += 1
        end = pos
        while not data[end : end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    pos += 1  # the single blank after the maximum value
    if fields[0] != b"P6" or fields[3] != b"255":
        raise RuntimeError("grim gave no 8-bit PPM")
    w, h = int(fields[1]), int(fields[2])
    rgb = data[pos : pos + 3 * w * h]
    rows = []
    for y in range(h):
        line = rgb[3 * w * y : 3 * w * (y + 1)]
        bgrx = bytearray(4 * w)
        bgrx[0::4], bgrx[1::4], bgrx[2::4] = line[2::3], line[1::3], line[0::3]
        rows.append(bytes(bgrx))
    return Image(w, h, rows)


class VirtualPointer:
    """A minimal Wayland client of the wlr virtual-pointer protocol: moves
    the compositor's cursor and clicks, as a mouse would."""

    BTN_LEFT = 0x110

    def __init__(self, path, width, height):
        self.width, self.height = width, height
        self._lock = threading.RLock()  # one request at a time on the wire
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(path)
        self._buffer = b""
        self._next_id = 2
        registry = self._new_id()
        self._send(1, 1, struct.pack("<I", registry))  # wl_display.get_registry
        globals_ = {}
        for obj, opcode, body in self._roundtrip():
            if obj == registry and opcode == 0:  # wl_registry.global
                name = struct.unpack_from("<I", body)[0]
                interface, rest = _read_string(body[4:])
                globals_[interface] = (name, struct.unpack_from("<I", rest)[0])
        if "zwlr_virtual_pointer_manager_v1" not in globals_:
            raise RuntimeError("the compositor offers no virtual pointer")
        manager = self._bind(registry, globals_, "zwlr_virtual_pointer_manager_v1", 1)
        self.pointer = self._new_id()
        # create_virtual_pointer(seat: none, so the default seat; id)
        self._send(manager, 0, struct.pack("<II", 0, self.pointer))
        self._roundtrip()

    def _new_id(self):
        self._next_id += 1
        return self._next_id - 1

    def _bind(self, registry, globals_, interface, version):
        name, offered = globals_[interface]
        new = self._new_id()
        body = struct.pack("<I", name) + _string(interface)
        body += struct.pack("<II", min(version, offered), new)
        self._send(registry, 0, body)
        return new

    def _send(self, obj, opcode, body=b""):
        size = 8 + len(body)
        self.sock.sendall(struct.pack("<II", obj, (size << 16) | opcode) + body)

    def _roundtrip(self):
        """Sends wl_display.sync and returns every event up to its answer."""
        callback = self._new_id()
        self._send(1, 0, struct.pack("<I", callback))
        events = []
        while True:
            while len(self._buffer) < 8:
                chunk = self.sock.recv(65536)
                if not chunk:
                    raise RuntimeError("the compositor closed the connection")
                self._buffer += chunk
            obj, word = struct.unpack_from("<II", self._buffer)
            size = word >> 16
            while len(self._buffer) < size:
                self._buffer += self.sock.recv(65536)
            body, self._buffer = self._buffer[8:size], self._buffer[size:]
            if obj == 1 and (word & 0xFFFF) == 0:  # wl_display.error
                raise RuntimeError("protocol error: %r" % (body,))
            if obj == callback:
                return events
            events.append((obj, word & 0xFFFF, body))

    def _time(self):
        return int(now_ms()) & 0xFFFFFFFF

    def move(self, x, y):
        """To (x, y) on the screen, in pixels."""
        with self._lock:
            self._move(x, y)

    def _move(self, x, y):
        self._send(self.pointer, 1, struct.pack("<IIIII", self._time(), x, y, self.width, self.height))
        self._send(self.pointer, 4, struct.pack("<I", self._time()))  # frame
        self._roundtrip()

    def click(self, x=None, y=None):
        with self._lock:
            if x is not None:
                self._move(x, y)
            for state in (1, 0):
                self._send(self.pointer, 2, struct.pack("<III", self._time(), self.BTN_LEFT, state))
                self._send(self.pointer, 4, struct.pack("<I", self._time()))
            self._roundtrip()

    def close(self):
        self.sock.close()


def _string(text):
    raw = text.encode() + b"\0"
    return struct.pack("<I", len(raw)) + raw + b"\0" * (-len(raw) % 4)


def _read_string(body):
    length = struct.unpack_from("<I", body)[0]
    padded = length + (-length % 4)
    return body[4 : 4 + length - 1].decode(), body[4 + padded :]


class WaylandApp:
    """The program on a Sway, with its window found. Mirrors xdisplay.App
    where the lane needs it: grab, pixel, click, key, close_window."""

    def __init__(self, sway, command, extra_env=None):
        self.sway = sway
        env = dict(sway.env)
        env["QT_QPA_PLATFORM"] = "wayland"
        env.pop("QT_SCALE_FACTOR", None)
        env.update(extra_env or {})
        self.stderr_path = os.path.join(sway.dir, "app-%d.err" % id(self))
        with open(self.stderr_path, "wb") as err:
            self.proc = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=err)
        self.x = self.y = self.width = self.height = None

    def find_window(self, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.proc.poll() is not None:
                raise RuntimeError("the program ended at start-up: " + self.stderr())
            for view in self.sway.views():
                if view["pid"] == self.proc.pid and view["rect"]["width"] > 0:
                    r = view["rect"]
                    self.x, self.y, self.width, self.height = r["x"], r["y"], r["width"], r["height"]
                    return view
            time.sleep(0.1)
        raise RuntimeError("no window appeared for pid %d" % self.proc.pid)

    def grab(self, x=0, y=0, w=None, h=None):
        return self.sway.grab(
            self.x + x, self.y + y, self.width if w is None else w, self.height if h is None else h
        )

    def click(self, x, y):
        """Clicks at (x, y) in the window, then parks the pointer in the
        screen's corner, off the window."""
        pointer = self.sway.pointer()
        # As a hand does: onto the spot, a moment for the window to see the
        # pointer enter, then the click.
        pointer.move(self.x + x, self.y + y)
        time.sleep(0.05)
        pointer.click()
        pointer.move(0, 0)

    def key(self, *keys):
        self.sway.type_keys(*keys)

    def close_window(self):
        """What the close box sends: sway's kill asks the window to close."""
        self.sway.command("[pid=%d] kill" % self.proc.pid)

    def wait(self, timeout):
        return self.proc.wait(timeout)

    def alive(self):
        return self.proc.poll() is None

    def stderr(self):
        with open(self.stderr_path, "rb") as f:
            return f.read().decode(errors="replace")

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
