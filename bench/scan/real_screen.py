#!/usr/bin/python3
"""Times the real program's scan the way a user meets it: zenor runs on a
real X server (a private Xvfb), a click on «Получить работы» is sent from
outside (XTest), and the time is taken when the information box «Список
работ получен» is mapped. Three figures, each beside `find TREE -type f`
timed on the same tree in the same run:

  1. the offscreen platform (bench_scan --scan-only on the same tree);
  2. a real X server, no accessibility bus;
  3. a real X server with an AT-SPI registry and a client that listens to
     the program's events and reads its window four times a second
     (atspi_reader.py), inside tests/e2e/a11y_session.sh.

The fixed cost of a click, a scan and a box on a three-file tree is timed
the same way and taken off, so that what is left is what the tree costs.
A benchmark, not a test: it prints figures and judges nothing.

  real_screen.py --zenor build-rel/bin/zenor --bench-scan build-rel/bin/bench_scan
                 [--works 10000] [--runs 5] [--tree /tmp/zenor-real-screen]

Needs Xvfb, python3-pyatspi, dbus and at-spi2-core (scripts/install-deps.sh
test installs them). Every process it starts is stopped by its id."""

import argparse
import ctypes
import ctypes.util
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SESSION = os.path.join(HERE, "..", "..", "tests", "e2e", "a11y_session.sh")
SHEET = os.path.join(HERE, "..", "..", "demo", "20455_0.ans")
TITLE = "Просмотр и прослушивание ответов участников ЗЕНОР-2020 7 класс по иностранному языку"
# Where «Получить работы» lies: the window opens at (538, 197) and, with no
# window manager, keeps that place; the button is at (749, 6), 100 x 25.
BUTTON1 = (538 + 749 + 50, 197 + 6 + 12)
MAP_NOTIFY = 19
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19


def log(text):
    print(text, flush=True)


def make_tree(root, works):
    """Schools of 50 classes, each class with 5 works of 4 files and 5 other
    files; only the first work's sheet is a real one (the scan loads only it)."""
    marker = os.path.join(root, ".complete")
    if os.path.exists(marker) and open(marker).read() == str(works):
        return
    shutil.rmtree(root, ignore_errors=True)
    with open(SHEET, "rb") as f:
        sheet = f.read()
    made = 0
    school = 0
    while made < works:
        school += 1
        for c in range(50):
            if made >= works:
                break
            folder = os.path.join(root, f"School {school}", f"Class {c + 1}")
            os.makedirs(folder)
            for _ in range(5):
                if made >= works:
                    break
                work = str(10000 + made)
                with open(os.path.join(folder, work + "_0.ans"), "wb") as f:
                    if made == 0:
                        f.write(sheet)
                for suffix in ("_0.ogg", "_2.ogg", "_3.ogg"):
                    open(os.path.join(folder, work + suffix), "wb").close()
                made += 1
            for o in range(5):
                open(os.path.join(folder, f"scan_{o}.jpg"), "wb").close()
    with open(marker, "w") as f:
        f.write(str(works))


def count_entries(root):
    n = 0
    for _, dirs, files in os.walk(root):
        n += len(dirs) + len(files)
    return n


def time_find(tree):
    start = time.monotonic()
    subprocess.run(["find", tree, "-type", "f"], stdout=subprocess.DEVNULL, check=True)
    return time.monotonic() - start


class X:
    """The few Xlib and XTest calls needed: watch windows being mapped, read
    a window's name, click."""

    def __init__(self, display):
        self.x = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
        self.xt = ctypes.cdll.LoadLibrary(ctypes.util.find_library("Xtst") or "libXtst.so.6")
        x = self.x
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        x.XPending.argtypes = [ctypes.c_void_p]
        x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        x.XFlush.argtypes = [ctypes.c_void_p]
        x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x.XInternAtom.restype = ctypes.c_ulong
        x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x.XGetWindowProperty.argtypes = [
            ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long, ctypes.c_long,
            ctypes.c_int, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
            ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_ulong),
            ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_void_p)]
        x.XFree.argtypes = [ctypes.c_void_p]
        x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.xt.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                                  ctypes.c_int, ctypes.c_ulong]
        self.xt.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                  ctypes.c_ulong]
        self.display = x.XOpenDisplay(display.encode())
        if not self.display:
            raise SystemExit("real_screen: cannot open the display")
        self.root = x.XDefaultRootWindow(self.display)
        x.XSelectInput(self.display, self.root, SUBSTRUCTURE_NOTIFY_MASK)
        x.XSync(self.display, 0)
        self.net_wm_name = x.XInternAtom(self.display, b"_NET_WM_NAME", 0)
        self.utf8 = x.XInternAtom(self.display, b"UTF8_STRING", 0)
        self.event = (ctypes.c_long * 24)()

    def close(self):
        self.x.XCloseDisplay(self.display)

    def name(self, window):
        actual_type = ctypes.c_ulong()
        fmt = ctypes.c_int()
        n = ctypes.c_ulong()
        after = ctypes.c_ulong()
        data = ctypes.c_void_p()
        if self.x.XGetWindowProperty(self.display, window, self.net_wm_name, 0, 1024, 0,
                                     self.utf8, ctypes.byref(actual_type), ctypes.byref(fmt),
                                     ctypes.byref(n), ctypes.byref(after),
                                     ctypes.byref(data)) != 0 or not data:
            return ""
        text = ctypes.string_at(data, n.value).decode("utf-8", "replace")
        self.x.XFree(data)
        return text

    def next_map(self, deadline):
        """The next top-level window mapped, and when (monotonic); None at the deadline."""
        import select
        fd = self.x.XConnectionNumber(self.display)
        while True:
            while self.x.XPending(self.display):
                self.x.XNextEvent(self.display, self.event)
                when = time.monotonic()
                if self.event[0] & 0xFFFFFFFF == MAP_NOTIFY and not self.event[6] & 0xFFFFFFFF:
                    return self.event[5], when
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            select.select([fd], [], [], left)

    def wait_for_window(self, wanted, deadline):
        """The next top-level window mapped whose name `wanted` accepts."""
        while True:
            found = self.next_map(deadline)
            if found is None:
                return None
            window, when = found
            if wanted(self.name(window)):
                return window, when

    def drain(self):
        """Names of the windows mapped since the last look, forgotten now."""
        seen = []
        while self.x.XPending(self.display):
            self.x.XNextEvent(self.display, self.event)
            if self.event[0] & 0xFFFFFFFF == MAP_NOTIFY:
                seen.append(self.name(self.event[5]))
        return seen

    def click(self, at):
        self.xt.XTestFakeMotionEvent(self.display, -1, at[0], at[1], 0)
        self.xt.XTestFakeButtonEvent(self.display, 1, 1, 0)
        self.xt.XTestFakeButtonEvent(self.display, 1, 0, 0)
        self.x.XFlush(self.display)
        return time.monotonic()


def terminate(process, seconds):
    """SIGTERM, as a session's logout would send, and a kill if that is not
    answered in time, so that no process of the benchmark outlives it."""
    process.send_signal(signal.SIGTERM)
    try:
        process.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def time_real_scan(zenor, tree, env):
    """One run: start zenor with `tree` as its folder, click «Получить
    работы», wait for the box; the seconds from the click to the box."""
    with tempfile.TemporaryDirectory(prefix="zenor-real-screen-") as home:
        program = os.path.join(home, "zenor")
        try:
            os.link(zenor, program)
        except OSError:
            shutil.copy2(zenor, program)
        os.symlink(os.path.abspath(tree), os.path.join(home, "Answer"))
        x = X(env["DISPLAY"])
        process = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        try:
            if x.wait_for_window(lambda name: name == TITLE, time.monotonic() + 60) is None:
                raise SystemExit("real_screen: the window did not appear")
            time.sleep(1.0)  # let start-up settle: the clock is for the scan only
            x.x.XSync(x.display, 0)
            early = x.drain()
            if early:
                log(f"    (mapped before the click: {early})")
            clicked = x.click(BUTTON1)
            # The box is the only other window the program maps.
            found = x.wait_for_window(lambda name: name != TITLE, time.monotonic() + 300)
            if found is None:
                raise SystemExit("real_screen: the box did not appear")
            return found[1] - clicked
        finally:
            x.close()
            terminate(process, 30)


def measure(args, env, label):
    """Median click-to-box seconds on the big tree and on the small one, and
    the median of `find` runs taken between them."""
    big, small, finds = [], [], []
    for _ in range(args.runs):
        finds.append(time_find(args.tree))
        big.append(time_real_scan(args.zenor, args.tree, env))
        small.append(time_real_scan(args.zenor, args.small, env))
    result = {
        "big": statistics.median(big),
        "small": statistics.median(small),
        "find": statistics.median(finds),
        "big_all": big,
    }
    log(f"  {label}: click to box {result['big']:.3f} s (runs: "
        + ", ".join(f"{t:.3f}" for t in big) + f"), three-file tree {result['small']:.3f} s")
    return result


def start_xvfb():
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1600x1000x24",
                             "-nolisten", "tcp", "-noreset"], pass_fds=(write,),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read, 16)
        if not chunk:
            raise SystemExit("real_screen: Xvfb did not start")
        number += chunk
    os.close(read)
    return xvfb, ":" + number.decode().strip()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zenor", required=True)
    parser.add_argument("--bench-scan", required=True)
    parser.add_argument("--works", type=int, default=10000)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--tree", default="/tmp/zenor-real-screen")
    parser.add_argument("--inner", choices=["plain", "atspi"], help=argparse.SUPPRESS)
    parser.add_argument("--result", help=argparse.SUPPRESS)
    args = parser.parse_args()
    args.zenor = os.path.abspath(args.zenor)
    args.small = args.tree + "-small"

    base = {k: v for k, v in os.environ.items()
            if not k.startswith(("QT_", "DBUS_", "AT_SPI", "XDG_RUNTIME"))}
    base.update(SDL_AUDIODRIVER="dummy", LC_ALL="C.UTF-8", NO_AT_BRIDGE="0")

    if args.inner:
        # Runs inside the accessibility session, on the display given.
        env = dict(base, DISPLAY=os.environ["DISPLAY"],
                   DBUS_SESSION_BUS_ADDRESS=os.environ["DBUS_SESSION_BUS_ADDRESS"],
                   XDG_RUNTIME_DIR=os.environ["XDG_RUNTIME_DIR"],
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        counts = tempfile.NamedTemporaryFile(prefix="zenor-atspi-", delete=False).name
        reader = subprocess.Popen(["/usr/bin/python3", os.path.join(HERE, "atspi_reader.py"),
                                   TITLE, counts], env=env, stdout=subprocess.PIPE, text=True)
        try:
            if reader.stdout.readline().strip() != "ready":
                raise SystemExit("real_screen: the AT-SPI reader did not start")
            result = measure(args, env, "AT-SPI registry and a reader")
        finally:
            terminate(reader, 20)
        with open(counts) as f:
            result["reader"] = f.read().strip()
        os.unlink(counts)
        with open(args.result, "w") as f:
            f.write(repr(result))
        return

    log("load at start: " + subprocess.run(["uptime"], capture_output=True, text=True).stdout.strip())
    make_tree(args.tree, args.works)
    make_tree(args.small, 1)
    entries = count_entries(args.tree)
    log(f"tree: {args.tree}: {args.works} works, {entries} entries")

    offscreen, finds = [], []
    for _ in range(args.runs):
        finds.append(time_find(args.tree))
        out = subprocess.run([args.bench_scan, "--scan-only", args.tree], env=base,
                             capture_output=True, text=True, check=True).stdout
        offscreen.append(float(out.split()[1]))
    off = {"big": statistics.median(offscreen), "small": 0.0, "find": statistics.median(finds)}
    log("  offscreen (bench_scan --scan-only): " + ", ".join(f"{t:.3f}" for t in offscreen))

    xvfb, display = start_xvfb()
    try:
        env = dict(base, DISPLAY=display)
        plain = measure(args, env, "real X, no accessibility bus")
        result_file = tempfile.NamedTemporaryFile(prefix="zenor-real-screen-", delete=False).name
        subprocess.run([SESSION, sys.executable, os.path.abspath(__file__), "--inner", "atspi",
                        "--result", result_file, "--zenor", args.zenor, "--bench-scan",
                        args.bench_scan, "--works", str(args.works), "--runs", str(args.runs),
                        "--tree", args.tree], env=dict(base, DISPLAY=display), check=True)
        with open(result_file) as f:
            atspi = eval(f.read())  # noqa: S307 - our own repr, written just now
        os.unlink(result_file)
    finally:
        xvfb.terminate()
        xvfb.wait()

    find = statistics.median([off["find"], plain["find"], atspi["find"]])
    log("")
    log(f"find -type f: {find:.3f} s (median of the runs above)")
    log("how the window runs                          scan (s)  x find")
    log(f"offscreen platform (bench_scan)              {off['big']:8.3f}  {off['big'] / find:6.2f}")
    for label, r in (("real X server, no accessibility bus", plain),
                     ("real X, AT-SPI registry and a reader", atspi)):
        beyond = r["big"] - r["small"]
        log(f"{label:<44} {beyond:8.3f}  {beyond / find:6.2f}   "
            f"(click to box {r['big']:.3f}, less {r['small']:.3f} for a three-file tree)")
    log(f"the reader: {atspi.get('reader', '?')}")
    plain_beyond = plain["big"] - plain["small"]
    atspi_beyond = atspi["big"] - atspi["small"]
    log(f"goal: real X <= 2x find beyond the box: {plain_beyond / find:.2f}x; "
        f"a reader adds <= a quarter: +{(atspi_beyond / plain_beyond - 1) * 100:.0f}%")
    log("load at end: " + subprocess.run(["uptime"], capture_output=True, text=True).stdout.strip())


if __name__ == "__main__":
    main()
