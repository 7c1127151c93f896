#!/usr/bin/env python3
"""zenor-dump pack in a real browser: headless Chromium loads the page from
disk, every audio element's duration after loadedmetadata must equal the
length that zenor-dump export gives for the same file, the sheets' hostile
texts show as text and run nothing, j/k move between works and space plays
the focused recording. A screenshot of the page is left in OUT_DIR.

    pack_browser.py ZENOR_DUMP ZENOR_SHEET OUT_DIR

Chromium is driven through its DevTools protocol over a pipe
(--remote-debugging-pipe), so no port is opened. Exits 77 (skipped) when
Chromium or the recording tools are missing."""
import base64
import csv
import io
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

BLOCK_SLACK = 0.015  # seconds: 256 samples at 22,050 Hz, with room for rounding
HOSTILE = '<script>window.pwned = 1</script><img src=x onerror="window.pwned = 2">'


def skip(why):
    print(f"SKIP: {why}", file=sys.stderr)
    sys.exit(77)


def fail(why):
    print(f"FAIL: {why}", file=sys.stderr)
    sys.exit(1)


class Browser:
    """One headless Chromium and one page, spoken to over the DevTools pipe."""

    def __init__(self, profile):
        exe = shutil.which("chromium") or shutil.which("chromium-browser")
        if not exe:
            skip("chromium is missing (apt-get install chromium)")
        to_child_r, self.to_child = os.pipe()
        self.from_child, from_child_w = os.pipe()
        # The protocol pipe is fds 3 (commands in) and 4 (answers out).
        def fds():
            os.dup2(to_child_r, 3)
            os.dup2(from_child_w, 4)
        self.proc = subprocess.Popen(
            [exe, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
             "--no-first-run", "--disable-background-networking",
             "--disable-component-update", "--disable-sync", f"--user-data-dir={profile}",
             "--remote-debugging-pipe", "--autoplay-policy=no-user-gesture-required",
             "--window-size=1100,1300", "about:blank"],
            preexec_fn=fds, pass_fds=(to_child_r, from_child_w, 3, 4), start_new_session=True,
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_child_r)
        os.close(from_child_w)
        self.buffer = b""
        self.next_id = 0
        self.events = []
        target = next(t for t in self.call("Target.getTargets")["targetInfos"]
                      if t["type"] == "page")
        self.session = self.call("Target.attachToTarget", targetId=target["targetId"],
                                 flatten=True)["sessionId"]

    def close(self):
        try:
            os.killpg(self.proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.proc.wait()

    def _read(self, deadline):
        while b"\0" not in self.buffer:
            if time.monotonic() > deadline:
                fail("Chromium does not answer")
            chunk = os.read(self.from_child, 1 << 16)
            if not chunk:
                fail("Chromium closed its pipe")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def call(self, method, session=True, timeout=60, **params):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params}
        if session and hasattr(self, "session"):
            message["sessionId"] = self.session
        os.write(self.to_child, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + timeout
        while True:
            answer = self._read(deadline)
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    fail(f"{method}: {answer['error']}")
                return answer["result"]
            self.events.append(answer)

    def wait_event(self, method, timeout=60):
        deadline = time.monotonic() + timeout
        while True:
            for e in self.events:
                if e.get("method") == method:
                    self.events.remove(e)
                    return e
            self.events.append(self._read(deadline))

    def js(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, awaitPromise=True,
                           returnByValue=True)
        if "exceptionDetails" in result:
            fail(f"script failed: {result['exceptionDetails']}")
        return result["result"].get("value")

    def key(self, key, code):
        for kind in ("keyDown", "keyUp"):
            self.call("Input.dispatchKeyEvent", type=kind, key=key, code=code,
                      text=key if kind == "keyDown" else "")


def make_tree(root, dump, sheet, recordings):
    # Folder names that a URL must encode: a space, "#", "?", "%", Cyrillic.
    works = {
        "Школа #1/7А ?50%": [("10001", "speech", "speech", "speech"),
                             ("10002", "quiet", "clipped", "short")],
        "other": [("10003", "speech", "truncated", "notogg")],
    }
    for folder, rows in works.items():
        os.makedirs(os.path.join(root, folder))
        for work_id, *recs in rows:
            fields = [a for n in ("a1", "a2", "a3", "a4", "a5", "a6")
                      for a in ("-f", f"{n}:String:200")]
            subprocess.run([sheet, "-o", os.path.join(root, folder, f"{work_id}_0.ans"),
                            "-f", "VarNo:String:5", *fields, "-r", "2", HOSTILE, "b", "c",
                            "Tom & \"Jerry\" 'x'", "=1+1", "</dd></dl><b>bold</b>"], check=True)
            for suffix, rec in zip(("_0", "_2", "_3"), recs):
                shutil.copy(os.path.join(recordings, rec + ".ogg"),
                            os.path.join(root, folder, work_id + suffix + ".ogg"))


def main():
    dump, sheet, out_dir = sys.argv[1:4]
    for tool in ("espeak-ng", "sox", "oggenc"):
        if not shutil.which(tool):
            skip(f"{tool} is missing")
    here = os.path.dirname(os.path.abspath(__file__))
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run([os.path.join(here, "make_recordings.sh"), f"{tmp}/rec"], check=True)
        tree = os.path.join(tmp, "tree")
        make_tree(tree, dump, sheet, f"{tmp}/rec")
        export = subprocess.run([dump, "export", tree], check=True, capture_output=True).stdout
        lengths = {}
        for row in csv.DictReader(io.StringIO(export.decode())):
            for task in ("2", "3"):
                if row[f"task{task}_seconds"]:
                    lengths[f"{row['ID']}_{task}.ogg"] = float(row[f"task{task}_seconds"])
        if len(lengths) != 5:
            fail(f"export gives {len(lengths)} lengths, want 5: {lengths}")

        page = os.path.join(tmp, "pages", "review.html")
        os.makedirs(os.path.dirname(page))
        subprocess.run([dump, "pack", "-o", page, tree], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        browser = Browser(os.path.join(tmp, "profile"))
        try:
            browser.call("Page.enable")
            browser.call("Page.navigate", url="file://" + page)
            browser.wait_event("Page.loadEventFired")
            media = browser.js("""Promise.all([...document.querySelectorAll('audio')].map(a =>
                new Promise(done => {
                  const report = () => done({file: a.dataset.file, duration: a.duration,
                                             error: a.error ? a.error.code : 0});
                  if (a.readyState >= 1 || a.error) report();
                  a.addEventListener('loadedmetadata', report);
                  a.addEventListener('error', report);
                  setTimeout(report, 20000);
                })))""")
            durations = {m["file"]: m["duration"] for m in media}
            if len(media) != 9:
                fail(f"{len(media)} audio elements, want 9")
            for name, seconds in lengths.items():
                got = durations.get(name)
                # The browser's demuxer leaves out the end trim of the last
                # Ogg page (a fixed 256 samples here); export gives the
                # decoded length, as the player plays it. So the browser may
                # be a fraction of a Vorbis block longer, never shorter.
                if got is None or not seconds - 0.001 <= got <= seconds + BLOCK_SLACK:
                    fail(f"{name}: the browser's duration {got}, export's length {seconds}")
            print(f"durations agree with export for {len(lengths)} recordings")

            texts = browser.js("[...document.querySelectorAll('dd')].map(d => d.textContent)")
            if browser.js("window.pwned") is not None:
                fail("a sheet's text ran as script")
            for text in (HOSTILE, "Tom & \"Jerry\" 'x'", "</dd></dl><b>bold</b>"):
                if texts.count(text) != 3:
                    fail(f"the text {text!r} does not show as written: {texts}")
            if browser.js("document.querySelectorAll('dd b, dd img, dd script').length") != 0:
                fail("a sheet's text made elements")

            order = browser.js("[...document.querySelectorAll('.work')].map(w => w.dataset.id)")
            current = "document.querySelector('.work.current')?.dataset.id"
            seen = []
            for key, code in (("j", "KeyJ"), ("j", "KeyJ"), ("k", "KeyK")):
                browser.key(key, code)
                seen.append(browser.js(current))
            if seen != [order[0], order[1], order[0]]:
                fail(f"j, j, k give {seen} over {order}")
            browser.key(" ", "Space")
            time.sleep(0.5)
            playing = browser.js("""[...document.querySelectorAll('audio')]
                .filter(a => !a.paused).map(a => a.dataset.file)""")
            if playing != [order[0] + "_0.ogg"]:
                fail(f"space plays {playing}, want the focused {order[0]}_0.ogg")
            browser.key(" ", "Space")
            if browser.js("[...document.querySelectorAll('audio')].some(a => !a.paused)"):
                fail("space again does not pause")
            print("j/k move between works; space plays and pauses the focused recording")

            shot = browser.call("Page.captureScreenshot", format="png")["data"]
            os.makedirs(out_dir, exist_ok=True)
            with open(os.path.join(out_dir, "pack_review.png"), "wb") as f:
                f.write(base64.b64decode(shot))
        finally:
            browser.close()


if __name__ == "__main__":
    main()
