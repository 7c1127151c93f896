#!/usr/bin/env python3
"""SIGTERM and SIGINT close the real program as a close request does, and it
ends with status 0, in each row's situation: idle; behind the box at a scan's
end (the box is cancelled); during a scan, which must go on to its end (the
first work's sheet is read after the signal); and during a scan that the
first work's damaged sheet ends with an exception, after which the close must
still take effect.

The signal is sent while the walk is held in the tree: a folder of the tree is
watched with a fanotify permission event, so the program's open of it waits
until the test has sent the signal and lets it go on. No guess about the
walk's speed is needed. fanotify's permission events need CAP_SYS_ADMIN (the
tests run as root). The sheet's reading is seen by inotify.
usage: signal_close.py ZENOR WORKDIR   (DISPLAY and PULSE_SERVER: services.sh)
"""
import ctypes
import os
import select
import shutil
import signal
import struct
import subprocess
import sys
import time

from checks import check, failures

TITLE = "Просмотр и прослушивание ответов участников ЗЕНОР-2020"
SHEET = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "demo", "20455_0.ans")

libc = ctypes.CDLL(None, use_errno=True)
libc.fanotify_mark.argtypes = [ctypes.c_int, ctypes.c_uint, ctypes.c_uint64, ctypes.c_int, ctypes.c_char_p]
FAN_CLASS_CONTENT, FAN_CLOEXEC, FAN_MARK_ADD, FAN_ALLOW = 0x4, 0x1, 0x1, 0x1
FAN_OPEN_PERM, FAN_ONDIR, AT_FDCWD = 0x10000, 0x40000000, -100
IN_OPEN = 0x20


class HeldFolder:
    """Whoever opens `folder` waits in that open until the test lets it go."""

    def __init__(self, folder):
        self.fd = libc.fanotify_init(FAN_CLASS_CONTENT | FAN_CLOEXEC, os.O_RDONLY)
        if self.fd < 0:
            raise OSError(ctypes.get_errno(), "fanotify_init (needs CAP_SYS_ADMIN)")
        if libc.fanotify_mark(self.fd, FAN_MARK_ADD, FAN_OPEN_PERM | FAN_ONDIR, AT_FDCWD, folder.encode()) != 0:
            errno = ctypes.get_errno()
            os.close(self.fd)
            raise OSError(errno, "fanotify_mark " + folder)
        self.opened = None

    def wait(self, seconds):
        """The process that opened the folder, now held in that open; None when
        nobody opened it in time."""
        if not select.select([self.fd], [], [], seconds)[0]:
            return None
        # struct fanotify_event_metadata: event_len, vers, reserved, metadata_len, mask, fd, pid
        _, _, _, _, _, self.opened, pid = struct.unpack_from("=IBBHQii", os.read(self.fd, 4096))
        return pid

    def close(self):
        """Lets the held open go on; later opens are no longer watched."""
        if self.opened is not None:
            os.write(self.fd, struct.pack("=iI", self.opened, FAN_ALLOW))
            os.close(self.opened)
            self.opened = None
        os.close(self.fd)  # the kernel allows whatever else was still waiting


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=20).stdout


def wait_window(name, pid, seconds):
    end = time.time() + seconds
    while time.time() < end:
        found = xdotool("search", "--all", "--onlyvisible", "--pid", str(pid), "--name", name).split()
        if found:
            return found[0]
        time.sleep(0.1)
    return None


def make_trees(root):
    """Trees whose first work has a sheet of its own: one work; three folders of
    works, the walk to be held in the second; a damaged first sheet, the walk to
    be held in a folder beside it. Returns {case: (tree, held folder, sheet)}."""
    shutil.rmtree(root, ignore_errors=True)
    small = os.path.join(root, "small")
    os.makedirs(small)
    shutil.copy(SHEET, os.path.join(small, "10000_0.ans"))
    large = os.path.join(root, "large")
    for f in range(3):
        os.makedirs(os.path.join(large, "Школа %02d" % f))
        for work in range(10000 + f * 25, 10025 + f * 25):
            for suffix in ("_0.ogg", "_2.ogg", "_3.ogg"):
                open(os.path.join(large, "Школа %02d" % f, "%05d%s" % (work, suffix)), "wb").close()
    shutil.copy(SHEET, os.path.join(large, "Школа 00", "10000_0.ans"))
    broken = os.path.join(root, "broken")
    os.makedirs(os.path.join(broken, "sub"))
    with open(os.path.join(broken, "00000_0.ans"), "wb") as junk:
        junk.write(b"this is not a sheet")
    open(os.path.join(broken, "sub", "11111_0.ogg"), "wb").close()
    return {"box": (small, None, None),
            "scan": (large, os.path.join(large, "Школа 01"), os.path.join(large, "Школа 00", "10000_0.ans")),
            "scan ended by an exception": (broken, os.path.join(broken, "sub"), os.path.join(broken, "00000_0.ans"))}


def start_scan(wid, folder):
    xdotool("windowfocus", "--sync", wid)
    xdotool("mousemove", "--window", wid, "400", "18", "click", "1")  # the folder box
    xdotool("key", "--clearmodifiers", "ctrl+a")
    xdotool("type", "--delay", "5", folder + "/")
    xdotool("mousemove", "--window", wid, "799", "18", "click", "1")  # «Получить работы»


def row(zenor, case, sig, trees):
    what = "%s, %s" % (case, signal.Signals(sig).name)
    env = dict(os.environ, SDL_AUDIODRIVER="pulseaudio", QT_QPA_PLATFORM="xcb")
    tree, held_folder, sheet = trees.get(case, (None, None, None))
    held = HeldFolder(held_folder) if held_folder else None
    watch = libc.inotify_init1(os.O_NONBLOCK | os.O_CLOEXEC)
    if sheet:
        check(libc.inotify_add_watch(watch, sheet.encode(), IN_OPEN) >= 0, "inotify on the sheet")
    app = subprocess.Popen([zenor], env=env)
    try:
        wid = wait_window(TITLE, app.pid, 40)
        if not check(wid is not None, what + ": the main window shows"):
            return
        time.sleep(0.5)
        if tree:
            start_scan(wid, tree)
        if case == "box":
            if not check(wait_window("^zenor$", app.pid, 30), what + ": the box at the scan's end shows"):
                return
        if held:
            check(held.wait(30) == app.pid, what + ": the walk reaches the held folder")
        app.send_signal(sig)
        if held:
            held.close()
            held = None
        try:
            status = app.wait(60 if sheet else 20)
        except subprocess.TimeoutExpired:
            status = "still running"
        check(status == 0, "%s: the program ends with status 0 (got %s)" % (what, status))
        if sheet:
            try:
                opened = len(os.read(watch, 4096)) > 0
            except BlockingIOError:
                opened = False
            check(opened, what + ": the scan ran to its end (the first work's sheet was read)")
    finally:
        if held:
            held.close()
        os.close(watch)
        if app.poll() is None:
            app.kill()
            app.wait()


def main():
    zenor, work = (os.path.abspath(a) for a in sys.argv[1:3])
    os.makedirs(work, exist_ok=True)
    trees = make_trees(os.path.join(work, "tree"))
    for case, sig in [("idle", signal.SIGTERM), ("idle", signal.SIGINT), ("box", signal.SIGTERM),
                      ("scan", signal.SIGTERM), ("scan ended by an exception", signal.SIGTERM)]:
        row(zenor, case, sig, trees)
    print("FAILED: " + "; ".join(failures) if failures else "PASS", flush=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
