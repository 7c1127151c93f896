"""Small helpers for driving a program through AT-SPI alone, as a screen
reader does: finding accessible objects by role and name, pressing buttons,
typing keys, and waiting for results.

Runs under Debian's own /usr/bin/python3 (python3-pyatspi). Every wait polls
with a deadline: AT-SPI actions return before the program has acted on them.
"""

import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402
import pyatspi  # noqa: E402


class Failure(AssertionError):
    pass


def wait_for(what, probe, timeout=20.0, interval=0.05):
    """Polls probe() until it returns something true and returns that.
    Errors from objects that come and go meanwhile count as "not yet"."""
    deadline = time.monotonic() + timeout
    last_error = None
    while True:
        try:
            value = probe()
            if value:
                return value
        except Exception as error:  # noqa: BLE001 - objects vanish while we look
            last_error = error
        if time.monotonic() > deadline:
            detail = f" (last error: {last_error})" if last_error else ""
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}{detail}")
        time.sleep(interval)


def check(condition, message):
    if not condition:
        raise Failure(message)


def role(node):
    return node.getRoleName()


def states(node):
    return {pyatspi.stateToString(s) for s in node.getState().getStates()}


def showing(node):
    return "showing" in states(node)


def children(node):
    return [c for c in node if c is not None]


def walk(node):
    """Depth first, without going into tables: their cells are made on
    demand, and a screen reader reads them through the Table interface."""
    for child in children(node):
        yield child
        if role(child) != "table":
            yield from walk(child)


def find_all(node, role_name=None, name=None, visible_only=True):
    found = []
    for n in walk(node):
        if role_name is not None and role(n) != role_name:
            continue
        if name is not None and n.name != name:
            continue
        if visible_only and not showing(n):
            continue
        found.append(n)
    return found


def find(node, role_name=None, name=None, visible_only=True):
    found = find_all(node, role_name, name, visible_only)
    return found[0] if found else None


def extents(node):
    e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x, e.y, e.width, e.height


def right_of(node, candidates):
    """The candidate in the same row as node, nearest to its right."""
    x, y, w, h = extents(node)
    middle = y + h / 2
    row = []
    for c in candidates:
        cx, cy, cw, ch = extents(c)
        if cx >= x + w - 1 and cy <= middle <= cy + ch:
            row.append((cx, c))
    row.sort(key=lambda pair: pair[0])
    return row[0][1] if row else None


def press(node):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i) == "Press":
            action.doAction(i)
            return
    raise Failure(f"{role(node)} {node.name!r} has no Press action")


def find_app(title, pid=None):
    """The application whose top-level window carries `title` (and, if
    given, whose process is pid), with that window."""
    desktop = pyatspi.Registry.getDesktop(0)
    for app in children(desktop):
        try:
            if pid is not None and app.get_process_id() != pid:
                continue
            for window in children(app):
                if window.name == title:
                    return app, window
        except Exception:  # noqa: BLE001 - an application that just left
            continue
    return None


def boxes(app, main_window):
    """Message boxes and dialogs open now: every showing top-level object
    of the application other than the main window."""
    return [w for w in children(app) if w != main_window and role(w) in ("alert", "dialog") and showing(w)]


def read_box(box):
    """Caption, texts and buttons of a message box or dialog."""
    texts = [n.name for n in find_all(box, "label") if n.name]
    buttons = [n.name for n in find_all(box, "push button")]
    return {"caption": box.name, "texts": texts, "buttons": buttons}


def click(x, y):
    """A left click at a point of the screen, synthesised by the registry."""
    pyatspi.Registry.generateMouseEvent(x, y, pyatspi.MOUSE_B1C)


# Key symbols (X11 keysyms).
KEY_DOWN = 0xFF54
KEY_UP = 0xFF52
KEY_HOME = 0xFF50
KEY_END = 0xFF57
KEY_DELETE = 0xFFFF
CONTROL_MASK = 1 << 2
ALT_MASK = 1 << 3  # Mod1


def key(keysym, control=False, alt=False):
    """Presses and releases one key, optionally with Ctrl or Alt held,
    through the AT-SPI registry (which synthesises it on the X server)."""
    mask = (CONTROL_MASK if control else 0) | (ALT_MASK if alt else 0)
    if mask:
        Atspi.generate_keyboard_event(mask, None, Atspi.KeySynthType.LOCKMODIFIERS)
    try:
        Atspi.generate_keyboard_event(keysym, None, Atspi.KeySynthType.SYM)
    finally:
        if mask:
            Atspi.generate_keyboard_event(mask, None, Atspi.KeySynthType.UNLOCKMODIFIERS)
