#!/usr/bin/python3
"""Stands in for a screen reader while real_screen.py times a scan: it asks
the AT-SPI registry for the events a screen reader listens to (so that the
program's accessibility bridge sends them) and reads the program's window
four times a second, as a reader following the focus and the status bar
would: every object's name and states, the work list's row count and
current row, the status bar's text.

    atspi_reader.py TITLE COUNTS_FILE

Runs until SIGTERM, then writes "events N reads M" to COUNTS_FILE.
Runs under Debian's /usr/bin/python3 (python3-pyatspi) inside an
accessibility session (tests/e2e/a11y_session.sh)."""

import signal
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import GLib  # noqa: E402
import pyatspi  # noqa: E402

EVENTS = [
    "object:children-changed",
    "object:state-changed",
    "object:property-change",
    "object:selection-changed",
    "object:active-descendant-changed",
    "object:text-changed",
    "object:visible-data-changed",
    "object:model-changed",
    "focus:",
    "window:",
]


def main():
    title, counts_file = sys.argv[1], sys.argv[2]
    counts = {"events": 0, "reads": 0}

    def on_event(event):
        counts["events"] += 1
        # A reader looks at what an event is about.
        try:
            _ = event.source.name
        except Exception:  # noqa: BLE001 - objects come and go during a scan
            pass

    def read_node(node, depth=0):
        _ = node.name
        _ = node.getState().getStates()
        if node.getRoleName() == "table":
            table = node.queryTable()
            _ = table.nRows
            _ = table.getSelectedRows()
            return
        if depth < 8:
            for child in node:
                if child is not None:
                    read_node(child, depth + 1)

    def read_window():
        try:
            desktop = pyatspi.Registry.getDesktop(0)
            for app in desktop:
                if app is None:
                    continue
                for window in app:
                    if window is not None and window.name == title:
                        read_node(window)
                        counts["reads"] += 1
        except Exception:  # noqa: BLE001 - the program may be starting or ending
            pass
        return True

    def stop(*_):
        pyatspi.Registry.stop()
        return False

    pyatspi.Registry.registerEventListener(on_event, *EVENTS)
    GLib.timeout_add(250, read_window)
    # The loop runs in C; a Python signal handler would wait for it to wake.
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, stop)
    print("ready", flush=True)
    pyatspi.Registry.start()
    with open(counts_file, "w", encoding="utf-8") as out:
        out.write(f"events {counts['events']} reads {counts['reads']}\n")


if __name__ == "__main__":
    main()
