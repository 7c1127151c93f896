"""Headless Chromium spoken to over its DevTools protocol on a pipe
(--remote-debugging-pipe), so that no port is opened: one browser, one
page. Used by the review page's browser tests and its benchmark."""
import json
import os
import shutil
import signal
import subprocess
import sys
import time


def skip(why):
    print(f"SKIP: {why}", file=sys.stderr)
    sys.exit(77)


def fail(why):
    print(f"FAIL: {why}", file=sys.stderr)
    sys.exit(1)


class Browser:
    """One headless Chromium and one page, spoken to over the DevTools pipe."""

    def __init__(self, profile, size=(1100, 1300)):
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
             f"--window-size={size[0]},{size[1]}", "about:blank"],
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

    # Keys that type no text: their code and the virtual key code that
    # Chromium needs to act on them (Tab moves the focus only with it).
    NAMED_KEYS = {"Enter": ("Enter", 13, "\r"), "Tab": ("Tab", 9, ""), "Escape": ("Escape", 27, ""),
                  "ArrowLeft": ("ArrowLeft", 37, ""), "ArrowRight": ("ArrowRight", 39, ""),
                  "ArrowUp": ("ArrowUp", 38, ""), "ArrowDown": ("ArrowDown", 40, ""),
                  " ": ("Space", 32, " ")}

    def key(self, key, code=None):
        """Presses and releases one key: a character, or a name of NAMED_KEYS."""
        named = self.NAMED_KEYS.get(key)
        if named:
            code, vk, text = named
        else:
            code = code or ("Key" + key.upper() if key.isalpha() and key.isascii() else
                            "Digit" + key if key.isdigit() else "")
            vk, text = (ord(key.upper()) if key.isascii() and key.isalnum() else 0), key
        down = {"type": "keyDown" if text else "rawKeyDown", "key": key, "code": code,
                "windowsVirtualKeyCode": vk, "text": text}
        self.call("Input.dispatchKeyEvent", **down)
        self.call("Input.dispatchKeyEvent", type="keyUp", key=key, code=code, windowsVirtualKeyCode=vk)

    def wait_for(self, expression, timeout=30, what=None):
        """Polls a script expression until it is truthy; its value."""
        deadline = time.monotonic() + timeout
        while True:
            value = self.js(expression)
            if value:
                return value
            if time.monotonic() > deadline:
                fail(f"timed out waiting for {what or expression}")
            time.sleep(0.02)

    def type_text(self, text):
        for ch in text:
            self.key(ch)

    def open_page(self, path, timeout=60):
        """Opens the review page and waits until it is ready: loaded, and its
        script through to the end (it sets data-ready last)."""
        self.call("Page.enable")
        self.call("Page.navigate", url="file://" + path)
        self._wait_ready(timeout)

    def reload(self, timeout=60):
        """Reloads the page opened with open_page and waits until it is ready."""
        self.call("Page.reload")
        self._wait_ready(timeout)

    def _wait_ready(self, timeout):
        self.wait_event("Page.loadEventFired", timeout=timeout)
        self.wait_for("document.documentElement.dataset.ready === 'true'", timeout=timeout,
                      what="the page to be ready")

    def find_work(self, work_id):
        """Makes a work current as typing its code into «Код работы» and
        pressing Enter does."""
        self.js(f"""(() => {{ const f = document.getElementById('find'); f.value = {json.dumps(work_id)};
            f.dispatchEvent(new KeyboardEvent('keydown', {{key: 'Enter'}})); }})()""")

    def screenshot(self, path):
        import base64
        shot = self.call("Page.captureScreenshot", format="png")["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(shot))
