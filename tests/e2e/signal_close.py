#!/usr/bin/env python3
"""SIGTERM and SIGINT close the real program as a close request does, and it
ends with status 0, whatever it is doing when the signal comes:

  idle       the window shows, nothing runs
  box        the box at the end of a scan is open (the window cannot close
             behind it: the box is cancelled, the scan's last steps run)
  scan       a scan is walking a large tree: it goes on to its end (the first
             work's answer sheet is read after the signal), then the program
             ends

The scan is seen running by the descriptor the walk holds on the tree's root
(/proc/PID/fd), with the program stopped (SIGSTOP) while the signal is sent;
the sheet read at the scan's end is seen by inotify.

usage: signal_close.py ZENOR WORKDIR
Needs DISPLAY and PULSE_SERVER (tests/harness/services.sh).
"""
import ctypes
import os
import shutil
import signal
import subprocess
import sys
import time

TITLE = "Просмотр и прослушивание ответов участников ЗЕНОР-2020"
FOLDER_BOX = (400, 18)
GET_WORKS = (799, 18)
HERE = os.path.dirname(os.path.abspath(__file__))
DEMO_SHEET = os.path.join(HERE, "..", "..", "demo", "20455_0.ans")
FOLDERS, WORKS_PER_FOLDER = 40, 25  # 4,000 participant files
IN_OPEN = 0x20

failures = []


def check(ok, what):
    print(("ok: " if ok else "FAIL: ") + what, flush=True)
    if not ok:
        failures.append(what)
    return ok


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=20).stdout


def wait_window(name, seconds, pid=None):
    end = time.time() + seconds
    while time.time() < end:
        args = ["search", "--onlyvisible", "--name", name]
        if pid is not None:
            args[1:1] = ["--pid", str(pid)]
        found = xdotool(*args).split()
        if found:
            return found[0]
        time.sleep(0.1)
    return None


def make_tree(root):
    """A small tree of one work and a large one; the first work (by ID) of
    each has a real answer sheet, the rest are names only."""
    small, large = os.path.join(root, "small"), os.path.join(root, "large")
    if not os.path.exists(os.path.join(root, ".complete")):
        shutil.rmtree(root, ignore_errors=True)
        os.makedirs(small)
        shutil.copy(DEMO_SHEET, os.path.join(small, "10000_0.ans"))
        work = 10000
        for f in range(FOLDERS):
            folder = os.path.join(large, "Школа %03d" % f)
            os.makedirs(folder)
            for _ in range(WORKS_PER_FOLDER):
                for suffix in ("_0.ans", "_0.ogg", "_2.ogg", "_3.ogg"):
                    open(os.path.join(folder, "%05d%s" % (work, suffix)), "wb").close()
                work += 1
        shutil.copy(DEMO_SHEET, os.path.join(large, "Школа 000", "10000_0.ans"))
        open(os.path.join(root, ".complete"), "wb").close()
    return small, large


def holds_folder(pid, folder):
    try:
        for fd in os.listdir("/proc/%d/fd" % pid):
            try:
                if os.readlink("/proc/%d/fd/%s" % (pid, fd)) == folder:
                    return True
            except OSError:
                pass
    except OSError:
        pass
    return False


class OpenWatch:
    """Tells whether a file was opened since the watch began."""

    def __init__(self, path):
        self.libc = ctypes.CDLL(None, use_errno=True)
        self.fd = self.libc.inotify_init1(os.O_NONBLOCK | os.O_CLOEXEC)
        if self.fd < 0 or self.libc.inotify_add_watch(self.fd, path.encode(), IN_OPEN) < 0:
            raise OSError(ctypes.get_errno(), "inotify on " + path)

    def opened(self):
        try:
            return len(os.read(self.fd, 4096)) > 0  # only IN_OPEN events are asked for
        except BlockingIOError:
            return False

    def close(self):
        os.close(self.fd)


def start_scan(wid, folder):
    xdotool("windowfocus", "--sync", wid)
    xdotool("mousemove", "--window", wid, *map(str, FOLDER_BOX), "click", "1")
    xdotool("key", "--clearmodifiers", "ctrl+a")
    xdotool("type", "--delay", "5", folder + "/")
    time.sleep(0.2)
    xdotool("mousemove", "--window", wid, *map(str, GET_WORKS), "click", "1")


def ends_with_zero(app, what, seconds=20):
    try:
        status = app.wait(seconds)
    except subprocess.TimeoutExpired:
        status = "still running after %d s" % seconds
    check(status == 0, "%s: the program ends with status 0 (got %s)" % (what, status))
    check(wait_window(TITLE, 0.2) is None, "%s: no main window is left" % what)


def row(zenor, work, case, sig, small, large):
    what = "%s, %s" % (case, signal.Signals(sig).name)
    env = dict(os.environ, SDL_AUDIODRIVER="pulseaudio", QT_QPA_PLATFORM="xcb")
    app = subprocess.Popen([zenor], env=env, cwd=work)
    try:
        wid = wait_window(TITLE, 40, app.pid)
        if not check(wid is not None, what + ": the main window shows"):
            return
        time.sleep(0.5)
        if case == "idle":
            app.send_signal(sig)
        elif case == "box":
            start_scan(wid, small)
            box = wait_window("^zenor$", 30, app.pid)
            if not check(box is not None, what + ": the box at the end of the scan shows"):
                return
            app.send_signal(sig)
        elif case == "scan":
            watch = OpenWatch(os.path.join(large, "Школа 000", "10000_0.ans"))
            start_scan(wid, large)
            end = time.time() + 30
            while not holds_folder(app.pid, large) and time.time() < end:
                time.sleep(0.002)
            # Held still while the signal is sent, so that a quick scan cannot
            # end in between: the signal is handled once it goes on.
            os.kill(app.pid, signal.SIGSTOP)
            during = holds_folder(app.pid, large)
            app.send_signal(sig)
            os.kill(app.pid, signal.SIGCONT)
            check(during, what + ": the signal came while the scan walked the tree")
            ends_with_zero(app, what, 60)
            check(watch.opened(), what + ": the scan ran to its end (the first work's sheet was read)")
            watch.close()
            return
        ends_with_zero(app, what)
    finally:
        if app.poll() is None:
            app.kill()
            app.wait()


def main():
    zenor, work = (os.path.abspath(a) for a in sys.argv[1:3])
    if not os.environ.get("DISPLAY") or not os.environ.get("PULSE_SERVER"):
        print("FAIL: DISPLAY and PULSE_SERVER must be set (tests/harness/services.sh)")
        return 1
    os.makedirs(work, exist_ok=True)
    small, large = make_tree(os.path.join(work, "tree"))
    for case, sig in [("idle", signal.SIGTERM), ("idle", signal.SIGINT), ("box", signal.SIGTERM),
                      ("scan", signal.SIGTERM)]:
        row(zenor, work, case, sig, small, large)
    print("FAILED: " + "; ".join(failures) if failures else "PASS", flush=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
