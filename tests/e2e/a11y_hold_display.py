#!/usr/bin/python3
"""Holds one connection to the X display open until it is killed.

Xvfb resets itself whenever its last client leaves, and a client that
connects during the reset is refused. The accessibility session opens and
closes short connections of its own (the AT-SPI launcher's), which could
leave the program under test knocking at a resetting server; a connection
held for the whole session keeps the server up. Prints "ready" once
connected; retries for a while first, in case a reset is in progress."""
import ctypes
import ctypes.util
import signal
import sys
import time


def main():
    x = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    deadline = time.monotonic() + 10
    display = None
    while not display:
        display = x.XOpenDisplay(None)
        if display:
            break
        if time.monotonic() > deadline:
            sys.exit("a11y_hold_display: cannot open the display")
        time.sleep(0.05)
    print("ready", flush=True)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    while True:
        signal.pause()


if __name__ == "__main__":
    main()
