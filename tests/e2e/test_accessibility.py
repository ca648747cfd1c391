"""The window as a screen reader meets it over AT-SPI, and as a person who
uses only the keyboard sees it. Run under a private session bus:
`dbus-run-session -- python3 test_accessibility.py /path/to/tessaline`."""

import time

import pyatspi
from gi.repository import GLib

from e2e_base import SessionTest, main, report
from tessaline_view import CONTROLS

# The Tab stops in their order, with the role and name each is announced by.
TAB_STOPS = [
    ("Picture1(0)", "image", "Изходна снимка"),
    ("Picture1(1)", "image", "Поле на ефекта"),
    ("List1", "list", "Списък с ефекти"),
    ("Command2", "push button", "Покажи"),
    ("Text1", "text", "Описание на проекта"),
]
STARTED, ENDED = "Ефектът започна.", "Ефектът завърши."


def descendants(node):
    for child in node:
        if child is not None:
            yield child
            yield from descendants(child)


def has(node, state):
    return node.getState().contains(state)


class AccessibilityTest(SessionTest):
    def start_app(self, extra_env=None):
        app = super().start_app({"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", **(extra_env or {})})
        self.events = []
        self.listening = []
        for kind in (
            "object:state-changed:showing",
            "object:state-changed:focused",
            "object:property-change:accessible-name",
        ):
            pyatspi.Registry.registerEventListener(self.heard, kind)
            self.listening.append(kind)
        self.root = self.find_application(app)
        # The window takes the keyboard from a click on a label, which does
        # nothing else (a click on the background would burst).
        x, y, w, h = CONTROLS["Label1(1)"]
        app.click(x + 4, y + h // 2)
        self.pump_until(lambda: self.focused() is not None, "no control has the keyboard")
        return app

    def tearDown(self):
        for kind in self.listening:
            pyatspi.Registry.deregisterEventListener(self.heard, kind)
        super().tearDown()

    def heard(self, event):
        try:
            self.events.append((event.source.getRoleName(), event.source.name, event.type, event.detail1))
        except Exception:  # the source went away meanwhile
            pass

    def pump(self, seconds=0.0):
        """Lets AT-SPI's events in for a while."""
        context, deadline = GLib.MainContext.default(), time.monotonic() + seconds
        while True:
            while context.iteration(False):
                pass
            if time.monotonic() >= deadline:
                return
            time.sleep(0.01)

    def pump_until(self, condition, message, timeout_s=3):
        deadline = time.monotonic() + timeout_s
        while not condition():
            if time.monotonic() > deadline:
                self.fail(message)
            self.pump(0.02)

    def find_application(self, app):
        found = []

        def look():
            found[:] = [a for a in pyatspi.Registry.getDesktop(0) if a and a.get_process_id() == app.proc.pid]
            return found

        self.pump_until(look, "the program is not on the accessibility bus", 10)
        return found[0]

    def controls(self):
        """The window's controls by their accessible names."""
        return {n.name: n for n in descendants(self.root) if n.name}

    def focused(self):
        # A list's current item counts as focused whether or not the list is.
        for node in descendants(self.root):
            if node.getRoleName() != "list item" and has(node, pyatspi.STATE_FOCUSED):
                return node
        return None

    def focused_name(self):
        node = self.focused()
        return node.name if node else None

    def announced(self, message):
        return any(role == "alert" and name == message for role, name, _, _ in self.events)

    def test_rolesNamesTabOrderAndFocusShown(self):
        nodes = list(descendants(self.root))
        self.assertEqual(self.root.name, "Tessaline")
        byName = self.controls()
        for _, role, name in TAB_STOPS:
            self.assertIn(name, byName, "%s is not in the tree" % name)
            self.assertEqual(byName[name].getRoleName(), role, name)
            self.assertTrue(byName[name].description, name + " has no description")
        self.assertEqual(byName["Покажи"].queryAction().getName(0), "Press")
        items = [child.name for child in byName["Списък с ефекти"] if child.getRoleName() == "list item"]
        self.assertEqual(items, ["%02d" % n for n in range(1, 70)])
        self.assertEqual(byName["ефект"].getRoleName(), "label")

        # The photos are images that say what they show (Qt's bridge offers
        # no Image interface: the description is the object's own); the hidden
        # cover is not in the tree, and nothing shown on the window is nameless.
        for name in ("Изходна снимка", "Поле на ефекта"):
            description = byName[name].description
            self.assertTrue(description.startswith("Вградената"), description)
        images = [n for n in nodes if n.getRoleName() == "image"]
        self.assertEqual(sorted(n.name for n in images), ["Изходна снимка", "Поле на ефекта"])
        window = self.root[0]
        self.assertEqual(window.getRoleName(), "frame")
        shown = [n for n in window if has(n, pyatspi.STATE_SHOWING) or has(n, pyatspi.STATE_VISIBLE)]
        self.assertEqual([n.getRoleName() for n in shown if not n.name], [])

        # Tab walks the stops in order; each shows where the keyboard is.
        self.assertEqual(self.focused_name(), TAB_STOPS[0][2])
        with_focus = []
        for index, (control, _, name) in enumerate(TAB_STOPS):
            if index:
                self.app.key("Tab")
                self.pump_until(lambda: self.focused_name() == name, "Tab did not reach " + name)
            time.sleep(0.15)
            with_focus.append(self.app.grab(*CONTROLS[control]))
        self.app.key("Tab")
        self.pump_until(lambda: self.focused_name() == TAB_STOPS[0][2], "Tab does not come round again")
        time.sleep(0.15)
        changed = []
        for (control, _, name), shot in zip(TAB_STOPS, with_focus):
            differing = len(shot.differing(self.app.grab(*CONTROLS[control])))
            changed.append(differing)
            # The left photo has the keyboard again: compare it with the list's turn.
            if control != "Picture1(0)":
                self.assertGreater(differing, 20, "%s shows no focus" % name)
        report("pixels that show focus, stop by stop:", changed[1:])
        self.app.key("shift+Tab")
        self.pump_until(lambda: self.focused_name() == TAB_STOPS[-1][2], "Shift+Tab does not go back")
        time.sleep(0.15)
        x, y, w, h = CONTROLS["Picture1(0)"]
        self.assertGreater(len(with_focus[0].differing(self.app.grab(x, y, w, h))), 20, "the left photo shows no focus")
        self.close_and_expect_clean_exit()

    def test_photoMenuAndPressActionAreAnnounced(self):
        # The Menu key on the left photo: the menu appears named after it,
        # with its first entry taken.
        self.app.key("Menu")
        opened = ("popup menu", "Изходна снимка", "object:state-changed:showing", 1)
        entry = ("menu item", "Избери снимка…", "object:state-changed:focused", 1)
        self.pump_until(lambda: opened in self.events, "the menu is not announced: %r" % self.events)
        self.pump_until(lambda: entry in self.events, "no menu entry is taken: %r" % self.events)
        self.app.key("Escape")
        self.pump_until(lambda: self.focused_name() == TAB_STOPS[0][2], "the photo did not get the keyboard back")

        button = self.controls()["Покажи"]
        self.assertTrue(has(button, pyatspi.STATE_SENSITIVE))
        button.queryAction().doAction(0)
        self.pump_until(lambda: not has(button, pyatspi.STATE_SENSITIVE), "the button stays enabled")
        self.pump_until(lambda: self.announced(STARTED), "the start is not announced: %r" % self.events)
        self.assertFalse(self.announced(ENDED))
        self.close_and_expect_clean_exit()

    def test_keyboardRevealEndsAnnouncedWithTheButtonFocused(self):
        for _ in range(3):
            self.app.key("Tab")
        self.pump_until(lambda: self.focused_name() == "Покажи", "Tab did not reach the button")
        button = self.focused()
        t0 = time.monotonic()
        self.app.key("space")
        self.pump_until(lambda: self.announced(STARTED), "the start is not announced: %r" % self.events)
        self.assertFalse(has(button, pyatspi.STATE_SENSITIVE))
        self.pump_until(lambda: self.announced(ENDED), "the end is not announced: %r" % self.events, 20)
        report("reveal announced as ended after %.1f s" % (time.monotonic() - t0))
        self.pump_until(lambda: self.focused_name() == "Покажи", "the keyboard is not back on the button")
        self.assertTrue(has(button, pyatspi.STATE_SENSITIVE))
        self.close_and_expect_clean_exit()


if __name__ == "__main__":
    main()
