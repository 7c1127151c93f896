#!/usr/bin/env python3
"""SIGTERM and SIGINT close the real program as a close request does, and it
ends with status 0, in each row's situation: idle; behind the box at a scan's
end (the box is cancelled); during a scan, which must go on to its end (the
first work's sheet is read after the signal). The scan is seen running by the
descriptor the walk holds on the tree's root, with the program stopped while
the signal is sent; the sheet's reading by inotify.
usage: signal_close.py ZENOR WORKDIR   (DISPLAY and PULSE_SERVER: services.sh)
"""
import ctypes
import os
import shutil
import signal
import subprocess
import sys
import time

from checks import check, failures

TITLE = "Просмотр и прослушивание ответов участников ЗЕНОР-2020"
SHEET = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "demo", "20455_0.ans")


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
    """One work; and 4,000 participant files in 40 folders. The first work of
    each has a real sheet."""
    small, large = os.path.join(root, "small"), os.path.join(root, "large")
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(small)
    for f in range(40):
        os.makedirs(os.path.join(large, "Школа %02d" % f))
        for work in range(10000 + f * 25, 10025 + f * 25):
            for suffix in ("_0.ans", "_0.ogg", "_2.ogg", "_3.ogg"):
                open(os.path.join(large, "Школа %02d" % f, "%05d%s" % (work, suffix)), "wb").close()
    shutil.copy(SHEET, os.path.join(small, "10000_0.ans"))
    shutil.copy(SHEET, os.path.join(large, "Школа 00", "10000_0.ans"))
    return small, large


def holds(pid, folder):
    fds = "/proc/%d/fd" % pid
    try:
        return any(os.readlink(os.path.join(fds, fd)) == folder for fd in os.listdir(fds))
    except OSError:
        return False


def start_scan(wid, folder):
    xdotool("windowfocus", "--sync", wid)
    xdotool("mousemove", "--window", wid, "400", "18", "click", "1")  # the folder box
    xdotool("key", "--clearmodifiers", "ctrl+a")
    xdotool("type", "--delay", "5", folder + "/")
    xdotool("mousemove", "--window", wid, "799", "18", "click", "1")  # «Получить работы»


def row(zenor, case, sig, small, large):
    what = "%s, %s" % (case, signal.Signals(sig).name)
    env = dict(os.environ, SDL_AUDIODRIVER="pulseaudio", QT_QPA_PLATFORM="xcb")
    app = subprocess.Popen([zenor], env=env)
    libc = ctypes.CDLL(None, use_errno=True)
    watch = libc.inotify_init1(os.O_NONBLOCK | os.O_CLOEXEC)
    try:
        wid = wait_window(TITLE, app.pid, 40)
        if not check(wid is not None, what + ": the main window shows"):
            return
        time.sleep(0.5)
        if case == "box":
            start_scan(wid, small)
            if not check(wait_window("^zenor$", app.pid, 30), what + ": the box at the scan's end shows"):
                return
        if case == "scan":
            sheet = os.path.join(large, "Школа 00", "10000_0.ans")
            check(libc.inotify_add_watch(watch, sheet.encode(), 0x20) >= 0, "inotify on the sheet")  # IN_OPEN
            start_scan(wid, large)
            end = time.time() + 30
            while not holds(app.pid, large) and time.time() < end:
                time.sleep(0.002)
            os.kill(app.pid, signal.SIGSTOP)  # so that a quick scan cannot end in between
            check(holds(app.pid, large), what + ": the signal comes while the scan walks the tree")
        app.send_signal(sig)
        os.kill(app.pid, signal.SIGCONT)
        try:
            status = app.wait(60 if case == "scan" else 20)
        except subprocess.TimeoutExpired:
            status = "still running"
        check(status == 0, "%s: the program ends with status 0 (got %s)" % (what, status))
        if case == "scan":
            try:
                opened = len(os.read(watch, 4096)) > 0
            except BlockingIOError:
                opened = False
            check(opened, what + ": the scan ran to its end (the first work's sheet was read)")
    finally:
        os.close(watch)
        if app.poll() is None:
            app.kill()
            app.wait()


def main():
    zenor, work = (os.path.abspath(a) for a in sys.argv[1:3])
    os.makedirs(work, exist_ok=True)
    small, large = make_trees(os.path.join(work, "tree"))
    for case, sig in [("idle", signal.SIGTERM), ("idle", signal.SIGINT), ("box", signal.SIGTERM),
                      ("scan", signal.SIGTERM)]:
        row(zenor, case, sig, small, large)
    print("FAILED: " + "; ".join(failures) if failures else "PASS", flush=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
