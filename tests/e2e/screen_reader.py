"""Orca, running in the test's own session, and what it says.

Orca speaks through speech-dispatcher as on a desktop; every utterance it sends
is also written to its debug output, read here through a pseudo-terminal. Its
settings and speech-dispatcher's live in a private home made here, so that
nothing of the person running the tests is read or changed."""

import os
import pty
import re
import shutil
import subprocess
import tempfile
import termios
import threading
import time

_SPOKEN = re.compile(r"SPEECH OUTPUT: '(.*?)'(?: voice=\w+)?(?:ACSS|\{|$| )")


class Orca:
    def __init__(self, env):
        self.home = tempfile.mkdtemp(prefix="tessaline-orca-")
        self.env = dict(env)
        for name, sub in (
            ("HOME", ""),
            ("XDG_CONFIG_HOME", ".config"),
            ("XDG_DATA_HOME", ".local/share"),
            ("XDG_CACHE_HOME", ".cache"),
        ):
            path = os.path.join(self.home, sub)
            os.makedirs(path, exist_ok=True)
            self.env[name] = path
        # speech-dispatcher of our own, on the private runtime folder's socket
        # where Orca looks for it, speaking through espeak-ng to ALSA's null
        # device: a machine with no sound card plays it at speaking pace.
        speechd = os.path.join(self.env["XDG_CONFIG_HOME"], "speech-dispatcher")
        os.makedirs(speechd)
        with open(os.path.join(speechd, "speechd.conf"), "w") as f:
            f.write('AudioOutputMethod "alsa"\nDefaultModule espeak-ng\nAddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"\n')
        with open(os.path.join(self.home, ".asoundrc"), "w") as f:
            f.write("pcm.!default { type null }\nctl.!default { type hw card 0 }\n")
        self.speechd = subprocess.Popen(
            ["speech-dispatcher", "--run-single", "--timeout", "0", "--log-dir", self.home],
            env=self.env,
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
        )
        # Orca writes its debug output to a terminal a line at a time (to a
        # file, only when its buffer fills): a pseudo-terminal, read here.
        master, slave = pty.openpty()
        attributes = termios.tcgetattr(slave)
        attributes[1] &= ~termios.ONLCR
        termios.tcsetattr(slave, termios.TCSANOW, attributes)
        # Never --replace: it would take a person's own screen reader away, and
        # two seconds after the start its clean-up alarm interrupts Orca's own
        # debug output, losing whatever event Orca was presenting then.
        running = subprocess.run(["pgrep", "-u", str(os.getuid()), "-x", "orca"], stdout=subprocess.PIPE, text=True)
        if running.stdout.strip():
            raise RuntimeError("another Orca runs (pid %s): the test needs one of its own" % " ".join(running.stdout.split()))
        self.proc = subprocess.Popen(
            ["orca", "--debug-file", "/dev/stdout"],
            env=self.env,
            stdin=subprocess.DEVNULL,
            stdout=slave,
            stderr=subprocess.DEVNULL,
        )
        os.close(slave)
        self._lines, self._partial = [], b""
        self._lock = threading.Lock()
        self._reader = threading.Thread(target=self._read, args=(master,), daemon=True)
        self._reader.start()
        self.mark = 0

    def _read(self, fd):
        while True:
            try:
                chunk = os.read(fd, 65536)
            except OSError:  # Orca has ended: the terminal is gone
                chunk = b""
            if not chunk:
                os.close(fd)
                return
            *complete, self._partial = (self._partial + chunk).split(b"\n")
            with self._lock:
                self._lines += [l.decode("utf-8", "replace") for l in complete]

    def lines(self):
        with self._lock:
            return list(self._lines)

    def spoken(self, since_mark=True):
        """Everything said (since the last mark), one string an utterance."""
        said = []
        for line in self.lines()[self.mark if since_mark else 0 :]:
            found = _SPOKEN.search(line)
            if found:
                said.append(found.group(1))
        return said

    def ready(self):
        """Orca has started and said so: it listens to the desktop."""
        return bool(self.spoken(since_mark=False))

    def wait_for_fresh_descriptions(self, timeout_s=5):
        """Orca 48 keeps what it generated for each object and drops it all
        every two seconds; waits for the next drop, if this Orca keeps any."""
        if not any("GENERATOR: Clearing cache." in l for l in self.lines()):
            return
        seen = len(self.lines())
        deadline = time.monotonic() + timeout_s
        while time.monotonic() < deadline:
            if any("GENERATOR: Clearing cache." in l for l in self.lines()[seen:]):
                return
            time.sleep(0.05)

    def set_mark(self):
        self.mark = len(self.lines())

    def close(self):
        # TESSALINE_ORCA_LOG=FILE keeps what Orca wrote, to see why a test failed.
        if os.environ.get("TESSALINE_ORCA_LOG"):
            with open(os.environ["TESSALINE_ORCA_LOG"], "a") as f:
                f.write("\n".join(self.lines()) + "\n==== end of an Orca ====\n")
        for proc in (self.proc, self.speechd):
            if proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(5)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()
        shutil.rmtree(self.home, ignore_errors=True)
