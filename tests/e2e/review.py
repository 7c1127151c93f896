#!/usr/bin/env python3
"""The whole review as an examiner does it, on the real program.

Makes a tree of three works (answer sheets written by zenor-sheet, spoken
answers as sine tones of known pitch made by sox), starts zenor on the test
display with its sound going to PulseAudio's null sink, and drives it with
xdotool: types the tree's folder, presses "Получить работы", closes the
information box, moves in the list, plays task 2, pauses, continues, stops,
plays again and moves to another work while it plays, and closes the window.
The sink's monitor is recorded the whole time, each piece stamped with the
time it arrived, so that every step can be checked against what was heard:
sound while playing (at the recording's pitch, sox stat after remix 1),
silence while paused, after a stop and after the move. Screenshots of the
main steps are checked for the player's controls and the labels.

usage: review.py ZENOR ZENOR_SHEET WORKDIR
Needs DISPLAY and PULSE_SERVER (tests/harness/services.sh). Prints the
figures it measured: the time from the click on "Прослушать ответ" to the
first sound on the sink, and the program's CPU use while playing.
Limits: ZENOR_REVIEW_LATENCY_LIMIT_MS (default 150) and
ZENOR_REVIEW_CPU_LIMIT_PERCENT (default 5; the sanitizer build needs more,
see CMakeLists_review.cmake).
"""
import array
import ctypes
import ctypes.util
import os
import re
import shutil
import signal
import subprocess
import sys
import threading
import time

from checks import check, failures

RATE = 44100
CHANNELS = 2
FRAME = 2 * CHANNELS
LOUD = 1000  # a sample above this (of 32767) is sound, not silence
TITLE = "Просмотр и прослушивание ответов участников ЗЕНОР-2020"
HERE = os.path.dirname(os.path.abspath(__file__))

# Places in the window's client area, in pixels.
FOLDER_BOX = (400, 18)
GET_WORKS = (799, 18)
LISTEN_TASK2 = (302, 144)
PAUSE_PLAY = (390, 144)  # the player's row once task 2 was clicked
STOP = (454, 144)
GAUGE = (488, 132, 369, 25)
TIME_LABEL = (861, 136, 100, 18)
ANSWER_LABELS = (250, 84, 700, 300)  # the written answers beside the task captions
GRID_ROWS = (2, 62, 148, 60)


def run(*args, **kw):
    return subprocess.run(args, check=True, capture_output=True, text=True, **kw).stdout


# ---------------------------------------------------------------- the tree

WORKS = [
    # id, folder below the root, pitch of task 2, its seconds, answers
    ("11111", "Школа 5/7А", 440, 4.0, ["1", "B", "", "", "went", "have been", "C"]),
    ("22222", "Школа 5/7Б", 550, 9.0, ["2", "А", "", "", "в библиотеке", "пошёл", "Д"]),
    ("33333", "", 660, 6.0, ["1", "D", "", "", "were playing", "taller", "A"]),
]


def make_tree(sheet, root):
    for wid, folder, pitch, seconds, answers in WORKS:
        d = os.path.join(root, folder)
        os.makedirs(d, exist_ok=True)
        run(sheet, "-o", os.path.join(d, wid + "_0.ans"), "--answers", *answers)
        for task, f, s in (("2", pitch, seconds), ("3", pitch * 1.5, 3.0)):
            run("sox", "-q", "-n", "-r", "44100", "-c", "1", "-b", "16",
                os.path.join(d, "%s_%s.ogg" % (wid, task)), "synth", str(s), "sine", str(f), "vol", "0.5")


# ------------------------------------------------------- the sink's monitor

class Monitor:
    """Records the null sink's monitor with parec, noting when each piece
    arrived. A sample's sounding time is estimated as t0 + index / RATE, with
    t0 the earliest arrival time minus the samples before it: arrivals can
    only be late, never early, so the earliest is the closest."""

    def __init__(self, path):
        self.path = path
        self.data = bytearray()
        self.arrivals = []  # (bytes so far, arrival time)
        self.proc = subprocess.Popen(
            ["parec", "--device=zenor_null.monitor", "--format=s16le", "--rate=%d" % RATE,
             "--channels=%d" % CHANNELS, "--latency-msec=10", "--raw"],
            stdout=subprocess.PIPE)
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()

    def _read(self):
        fd = self.proc.stdout.fileno()
        while True:
            piece = os.read(fd, 1764)  # 10 ms
            if not piece:
                return
            now = time.time()
            self.data += piece
            self.arrivals.append((len(self.data), now))

    def wait_started(self):
        for _ in range(100):
            if len(self.data) > RATE * FRAME // 4:
                return True
            time.sleep(0.05)
        return False

    def stop(self):
        self.proc.send_signal(signal.SIGINT)
        try:
            self.proc.wait(5)
        except subprocess.TimeoutExpired:
            self.proc.kill()
        self.thread.join(5)
        with open(self.path, "wb") as f:
            f.write(self.data)
        self.samples = array.array("h")
        self.samples.frombytes(bytes(self.data[: len(self.data) // FRAME * FRAME]))
        self.t0 = min(t - n / FRAME / RATE for n, t in self.arrivals)

    def frame_at(self, t):
        return max(0, min(len(self.samples) // CHANNELS, int(round((t - self.t0) * RATE))))

    def time_of(self, frame):
        return self.t0 + frame / RATE

    def first_sound(self, t_from, t_to):
        a, b = self.frame_at(t_from), self.frame_at(t_to)
        for i in range(a, b):
            if abs(self.samples[i * CHANNELS]) > LOUD:
                return i
        return None

    def stat(self, t_from, t_to, out):
        """sox stat of the left channel between the two times."""
        a, b = self.frame_at(t_from), self.frame_at(t_to)
        with open(out, "wb") as f:
            f.write(self.samples[a * CHANNELS: b * CHANNELS].tobytes())
        text = subprocess.run(["sox", "-t", "raw", "-r", str(RATE), "-e", "signed", "-b", "16",
                               "-c", str(CHANNELS), out, "-n", "remix", "1", "stat"],
                              capture_output=True, text=True).stderr
        values = {}
        for line in text.splitlines():
            k, _, v = line.partition(":")
            try:
                values[k.strip()] = float(v.strip())
            except ValueError:
                pass
        return values


# ------------------------------------------------------------ the window

class XTest:
    """Mouse clicks sent straight through the XTest extension, as xdotool
    sends them, but without starting a process per click: the click's time
    is then known to a millisecond, which the latency figure needs."""

    def __init__(self):
        self.x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
        self.xtst = ctypes.cdll.LoadLibrary(ctypes.util.find_library("Xtst") or "libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                                   ctypes.c_ulong]
        self.xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.display = None

    def click(self, x, y):
        if self.display is None:
            self.display = self.x11.XOpenDisplay(None)
            if not self.display:
                raise RuntimeError("cannot open the display for XTest")
        self.xtst.XTestFakeMotionEvent(self.display, -1, x, y, 0)
        self.x11.XSync(self.display, 0)
        time.sleep(0.1)
        before = time.time()
        self.xtst.XTestFakeButtonEvent(self.display, 1, 1, 0)
        self.x11.XSync(self.display, 0)
        time.sleep(0.03)
        self.xtst.XTestFakeButtonEvent(self.display, 1, 0, 0)
        self.x11.XSync(self.display, 0)
        return before, time.time()


XTEST = XTest()


class Window:
    def __init__(self, wid):
        self.id = wid
        info = run("xwininfo", "-id", wid)
        self.left = int(re.search(r"Absolute upper-left X:\s+(-?\d+)", info).group(1))
        self.top = int(re.search(r"Absolute upper-left Y:\s+(-?\d+)", info).group(1))

    def focus(self):
        subprocess.run(["xdotool", "windowfocus", "--sync", self.id], capture_output=True, timeout=5)

    def click(self, at):
        """Clicks at a point of the client area; returns the times just before
        the press was sent and just after the X server had taken the release
        (a button acts on its release)."""
        return XTEST.click(self.left + at[0], self.top + at[1])

    def key(self, *keys):
        self.focus()
        run("xdotool", "key", "--clearmodifiers", *keys)


def wait_window(name, seconds, exclude=()):
    end = time.time() + seconds
    while time.time() < end:
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name],
                             capture_output=True, text=True).stdout.split()
        out = [w for w in out if w not in exclude]
        if out:
            return out[0]
        time.sleep(0.1)
    return None


def window_gone(wid, seconds):
    end = time.time() + seconds
    while time.time() < end:
        r = subprocess.run(["xwininfo", "-id", wid], capture_output=True, text=True)
        if r.returncode != 0 or "IsViewable" not in r.stdout:
            return True
        time.sleep(0.1)
    return False


class Shots:
    def __init__(self, folder, window):
        self.folder = folder
        self.window = window
        self.n = 0

    def take(self, name):
        self.n += 1
        path = os.path.join(self.folder, "%02d_%s.png" % (self.n, name))
        run("import", "-window", "root", path)
        print("screenshot " + path, flush=True)
        return path

    def dark(self, path, box):
        """Pixels darker than 80% grey in a box of the client area."""
        x, y, w, h = box
        return int(run("convert", path, "-crop", "%dx%d+%d+%d" % (w, h, self.window.left + x, self.window.top + y),
                       "+repage", "-colorspace", "Gray", "-threshold", "80%", "-negate",
                       "-format", "%[fx:round(mean*w*h)]", "info:").strip())

    def same(self, a, b, box):
        x, y, w, h = box
        crop = "%dx%d+%d+%d" % (w, h, self.window.left + x, self.window.top + y)
        r = subprocess.run(["compare", "-metric", "AE", "(", a, "-crop", crop, "+repage", ")",
                            "(", b, "-crop", crop, "+repage", ")", "null:"], capture_output=True, text=True)
        return r.stderr.strip().split()[0] == "0"


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


# --------------------------------------------------------------- the review

def main():
    zenor, sheet, work = (os.path.abspath(a) for a in sys.argv[1:4])
    latency_limit = float(os.environ.get("ZENOR_REVIEW_LATENCY_LIMIT_MS", "150"))
    cpu_limit = float(os.environ.get("ZENOR_REVIEW_CPU_LIMIT_PERCENT", "5"))
    if not os.environ.get("DISPLAY") or not os.environ.get("PULSE_SERVER"):
        print("FAIL: DISPLAY and PULSE_SERVER must be set (tests/harness/services.sh)")
        return 1
    shutil.rmtree(work, ignore_errors=True)
    root = os.path.join(work, "works")
    shots_dir = os.path.join(work, "shots")
    os.makedirs(shots_dir)
    make_tree(sheet, root)

    env = dict(os.environ, SDL_AUDIODRIVER="pulseaudio")
    monitor = Monitor(os.path.join(work, "monitor.raw"))
    if not monitor.wait_started():
        print("FAIL: the sink's monitor gives no samples")
        return 1

    app = subprocess.Popen([zenor], env=env, cwd=work)
    status = None
    try:
        wid = wait_window(TITLE, 40)
        if not wid:
            print("FAIL: no main window")
            return 1
        win = Window(wid)
        shots = Shots(shots_dir, win)
        time.sleep(1.0)
        start = shots.take("start")
        check(shots.dark(start, GAUGE) == 0, "the player is hidden at start")

        # The folder box, then "Получить работы".
        win.focus()
        win.click(FOLDER_BOX)
        win.key("ctrl+a")
        run("xdotool", "type", "--delay", "5", root + "/")
        time.sleep(0.3)
        shots.take("folder_typed")
        win.click(GET_WORKS)
        box = wait_window("^zenor$", 30, exclude=(wid,))
        if not check(box is not None, "the end of the scan is told in an information box"):
            return 1
        scanned = shots.take("scan_done_box")
        Window(box).key("Return")
        check(window_gone(box, 10), "the information box closes with Enter")
        time.sleep(0.5)
        first = shots.take("first_work")
        check(shots.dark(first, GRID_ROWS) > 50, "the list shows the works")
        check(shots.dark(first, ANSWER_LABELS) > 50, "the first work's answers are shown")

        # Move in the list: the grid has the focus after the scan.
        win.key("Down")
        time.sleep(0.7)
        second = shots.take("second_work")
        check(not shots.same(first, second, ANSWER_LABELS), "moving in the list shows the other work's answers")

        # Play task 2 of the second work (9 s, 550 Hz).
        t_play = win.click(LISTEN_TASK2)
        time.sleep(0.3)
        cpu0, tc0 = cpu_seconds(app.pid), time.time()
        time.sleep(1.0)
        playing = shots.take("playing")
        check(shots.dark(playing, GAUGE) > 100, "the gauge shows while playing")
        check(shots.dark(playing, TIME_LABEL) > 10, "the time label shows while playing")
        time.sleep(1.5)
        cpu_play = 100.0 * (cpu_seconds(app.pid) - cpu0) / (time.time() - tc0)
        t_pause = win.click(PAUSE_PLAY)
        time.sleep(1.5)
        paused = shots.take("paused")
        time.sleep(0.2)
        paused_later = shots.take("paused_later")
        check(shots.same(paused, paused_later, TIME_LABEL), "the time label stands still while paused")
        t_continue = win.click(PAUSE_PLAY)
        time.sleep(1.5)
        t_stop = win.click(STOP)
        time.sleep(1.6)
        stopped = shots.take("stopped")
        check(shots.dark(stopped, GAUGE) == 0, "the player is gone a tick after the stop")
        check(shots.dark(stopped, TIME_LABEL) == 0, "the time label is empty after the stop")

        # Play again and move to the next work while it plays.
        t_play2 = win.click(LISTEN_TASK2)
        time.sleep(1.5)
        win.key("shift+Tab")  # from the listen button back to the list
        t_move = (time.time(), None)
        win.key("Down")
        t_move = (t_move[0], time.time())
        time.sleep(1.6)
        moved = shots.take("moved_while_playing")
        check(shots.dark(moved, GAUGE) == 0, "the player is gone a tick after the move")
        check(not shots.same(second, moved, ANSWER_LABELS), "the move shows the third work's answers")
        time.sleep(0.5)
        t_end = time.time()

        # The third work's task 2 (660 Hz), played and stopped: one more
        # figure for the time to the first sound.
        t_play3 = win.click(LISTEN_TASK2)
        time.sleep(1.2)
        t_stop3 = win.click(STOP)
        time.sleep(1.5)
        final = shots.take("third_work_stopped")
        check(shots.dark(final, GAUGE) == 0, "the player is gone after the third work's stop")

        # Close as a window manager would.
        subprocess.run([sys.executable, os.path.join(HERE, "wm_close.py"), wid], check=True)
        try:
            status = app.wait(20)
        except subprocess.TimeoutExpired:
            status = "timeout"
        check(status == 0, "the program ends with exit status 0 (got %s)" % status)
    finally:
        if app.poll() is None:
            app.kill()
            app.wait()
        monitor.stop()

    # ------------------------------------------------------ what was heard
    def sound(name, a, b, pitch=None):
        s = monitor.stat(a, b, os.path.join(work, name + ".raw"))
        rms = s.get("RMS     amplitude", 0.0)
        freq = s.get("Rough   frequency", 0.0)
        print("%s: %.2f s, RMS %.3f, max %.3f, rough frequency %.0f Hz"
              % (name, b - a, rms, s.get("Maximum amplitude", 0.0), freq), flush=True)
        return rms, freq

    rms, freq = sound("before_play", monitor.t0 + 0.3, t_play[0])
    check(rms < 0.001, "silence before the first play")
    rms, freq = sound("playing", t_play[1] + 0.3, t_pause[0])
    check(rms > 0.2, "task 2 sounds on the sink")
    check(abs(freq - 550) < 25, "at the recording's pitch (550 Hz)")
    rms, _ = sound("paused", t_pause[1] + 0.3, t_continue[0])
    check(rms < 0.001, "silence while paused")
    rms, freq = sound("continued", t_continue[1] + 0.3, t_stop[0])
    check(rms > 0.2 and abs(freq - 550) < 25, "the sound comes back after continue")
    rms, _ = sound("stopped", t_stop[1] + 0.3, t_play2[0])
    check(rms < 0.001, "silence after stop")
    rms, freq = sound("played_again", t_play2[1] + 0.3, t_move[0])
    check(rms > 0.2 and abs(freq - 550) < 25, "the second play sounds")
    rms, _ = sound("after_move", t_move[1] + 0.3, t_end)
    check(rms < 0.001, "the move in the list stops the sound")

    rms, freq = sound("third_work", t_play3[1] + 0.3, t_stop3[0])
    check(rms > 0.2 and abs(freq - 660) < 30, "the third work's recording sounds at its pitch (660 Hz)")
    rms, _ = sound("third_work_stopped", t_stop3[1] + 0.3, t_stop3[1] + 1.3)
    check(rms < 0.001, "silence after the third work's stop")

    latencies = []
    for name, click in (("first play", t_play), ("second play", t_play2), ("third play", t_play3),
                        ("continue", t_continue)):
        frame = monitor.first_sound(click[0] - 0.05, click[0] + 1.0)
        if not check(frame is not None, "%s: sound within a second of the click" % name):
            continue
        heard = monitor.time_of(frame)
        print("%s: first sound %.1f ms after the release of the mouse button (%.1f ms after its press)"
              % (name, 1000 * (heard - click[1]), 1000 * (heard - click[0])), flush=True)
        if name != "continue":
            latencies.append(1000 * (heard - click[1]))
    # One click can meet a busy machine; the median of the three says what a
    # user gets.
    if len(latencies) == 3:
        median = sorted(latencies)[1]
        print("click to first sound: %s ms, median %.1f ms" % (", ".join("%.1f" % x for x in latencies), median))
        check(median < latency_limit, "click on the listen button to first sound: median under %.0f ms"
              % latency_limit)

    print("CPU while playing: %.1f%% of one core" % cpu_play, flush=True)
    check(cpu_play < cpu_limit, "playback uses under %.0f%% of one core" % cpu_limit)

    if failures:
        print("FAILED: %d check(s): %s" % (len(failures), "; ".join(failures)))
        return 1
    print("PASS: the whole review")
    return 0


if __name__ == "__main__":
    sys.exit(main())
