#!/usr/bin/python3
"""The examiner's review, done through AT-SPI alone as a screen-reader user
would: the real zenor on an X display, a generated tree of works, and every
step read and driven through the accessibility bus.

    a11y_check.py --zenor PATH --sheet PATH [--work DIR]

Run it inside tests/e2e/a11y_session.sh (a D-Bus session and the AT-SPI bus),
with DISPLAY set and a sound server for the player (PULSE_SERVER). By hand,
from the source folder, with the program built in BUILD:

    export ZENOR_SERVICES_DIR=/tmp/a11y-services ZENOR_DISPLAY=:95
    tests/harness/services.sh start
    DISPLAY=:95 PULSE_SERVER=unix:/tmp/a11y-services/pulse/native \
      SDL_AUDIODRIVER=pulseaudio ASAN_OPTIONS=detect_leaks=0 \
      tests/e2e/a11y_session.sh /usr/bin/python3 tests/e2e/a11y_check.py \
      --zenor BUILD/bin/zenor --sheet BUILD/bin/zenor-sheet
    tests/harness/services.sh stop

or through ctest: ctest -R 'services|e2e_a11y' --output-on-failure.
To look around with a screen reader's eyes instead, run any pyatspi client
(or Orca) inside a11y_session.sh while zenor runs there with
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from a11y_atspi import (  # noqa: E402
    KEY_DELETE, KEY_DOWN, KEY_END, Failure, boxes, check, click, extents, find, find_all, find_app,
    key, press, read_box, right_of, role, showing, states, wait_for)

TITLE = "Просмотр и прослушивание ответов участников ЗЕНОР-2020 7 класс по иностранному языку"

# Work ID, folder below the root, answer sheet (VarNo, a1..a6) or None,
# recordings. Listed here in their sorted order; the tree is walked in
# listing order, so the grid can only show this order after the sort.
WORKS = [
    ("11111", "Школа 1/7А", ["2", "London", "-", "-", "B", "Tom & Jerry", "42"], ["_0.ogg", "_2.ogg", "_3.ogg"]),
    ("22222", "Школа 1/7Б", ["5", "Paris", "-", "-", "CAB", "ответ", "7"], ["_2.ogg"]),
    ("33333", "", None, ["_0.ogg", "_2.ogg"]),
]
BROKEN = "44444"  # a sheet without the fields the labels need
SECONDS = 30  # long enough to outlast the checks made while it plays


def log(message):
    print(message, flush=True)


def make_tree(root, sheet_tool):
    tone_wav = os.path.join(root, "tone.wav")
    tone_ogg = os.path.join(root, "tone.ogg")
    subprocess.run(["sox", "-n", "-r", "44100", "-c", "1", "-b", "16", tone_wav, "synth", str(SECONDS),
                    "sine", "440", "gain", "-12"], check=True)
    subprocess.run(["oggenc", "-Q", "-o", tone_ogg, tone_wav], check=True)
    tree = os.path.join(root, "works")
    for work_id, folder, answers, recordings in WORKS:
        where = os.path.join(tree, folder)
        os.makedirs(where, exist_ok=True)
        if answers is not None:
            subprocess.run([sheet_tool, "-o", os.path.join(where, work_id + "_0.ans"), "--answers", *answers],
                           check=True)
        for suffix in recordings:
            shutil.copyfile(tone_ogg, os.path.join(where, work_id + suffix))
    broken = os.path.join(tree, "Школа 2")
    os.makedirs(broken, exist_ok=True)
    subprocess.run([sheet_tool, "-o", os.path.join(broken, BROKEN + "_0.ans"), "-f", "a1:String:20",
                    "-f", "VarNo:String:5", "-r", "x", "1"], check=True)
    return tree


def make_long_walk(root, depth=60, files=150):
    """A tree whose walk does not end by itself, however fast the build, yet
    costs little to make: each level holds two links to the next, so a whole
    walk would meet the last level, and its files, 2**depth times (links are
    followed, and none leads back up the path). Only «Прервать» ends it."""
    top = os.path.join(root, "long walk")
    for i in range(depth + 1):
        os.makedirs(os.path.join(top, f"L{i}"), exist_ok=True)
    for i in range(depth):
        for name in ("a", "b"):
            os.symlink(f"../L{i + 1}", os.path.join(top, f"L{i}", name))
    open(os.path.join(top, f"L{depth}", "77777_0.ogg"), "wb").close()
    for n in range(files):
        open(os.path.join(top, f"L{depth}", f"page {n}.jpg"), "wb").close()
    return os.path.join(top, "L0")


class Review:
    def __init__(self, zenor, tree):
        self.tree = tree
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        env.pop("AT_SPI_BUS_ADDRESS", None)  # Qt 6.4 never registers with it set
        env.setdefault("SDL_AUDIODRIVER", "pulseaudio")
        self.process = subprocess.Popen([zenor], env=env)
        self.app, self.window = wait_for("the window titled by the program on the AT-SPI bus",
                                         lambda: self.alive() and find_app(TITLE, self.process.pid), timeout=60)
        log(f"window found: {self.window.name!r}")

    def alive(self):
        if self.process.poll() is not None:
            raise Failure(f"zenor ended with status {self.process.returncode}")
        return True

    def close(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=20)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    # ---- reading ----
    def button(self, name, row_caption=None):
        found = find_all(self.window, "push button", name)
        if row_caption is not None:
            caption = find(self.window, "label", row_caption)
            found = [right_of(caption, found)] if caption is not None and found else []
        check(found and found[0] is not None, f"no button {name!r}")
        return found[0]

    def grid(self):
        return find(self.window, "table")

    def rows(self):
        table = self.grid().queryTable()
        return [table.getAccessibleAt(r, 0).name for r in range(table.nRows)]

    def current_row(self):
        selected = self.grid().queryTable().getSelectedRows()
        return selected[0] if len(selected) == 1 else None

    def answer(self, caption):
        """The text shown to the right of a caption (a label read in its row)."""
        label = find(self.window, "label", caption)
        check(label is not None, f"no caption {caption!r}")
        answer = right_of(label, [n for n in find_all(self.window, "label") if n != label])
        return answer.name if answer is not None else ""

    def answers(self):
        return [self.answer("Вариант: ")] + [self.answer(f"Задание № {n}") for n in (1, 4, 5, 6)]

    def status(self):
        bar = find(self.window, "status bar")
        check(bar is not None, "no status bar")
        return bar.name

    def gauge(self):
        return find(self.window, "progress bar", visible_only=False)

    def one_box(self, what):
        found = wait_for(what, lambda: boxes(self.app, self.window), timeout=30)
        check(len(found) == 1, f"{len(found)} boxes open at once")
        return found[0]

    def answer_box(self, what, caption, text, button="OK", buttons=("OK",)):
        box = self.one_box(what)
        seen = read_box(box)
        log(f"{what}: {seen}")
        check(seen["caption"] == caption, f"{what}: caption {seen['caption']!r}, expected {caption!r}")
        check(text in seen["texts"], f"{what}: text {text!r} not among {seen['texts']}")
        check(sorted(seen["buttons"]) == sorted(buttons), f"{what}: buttons {seen['buttons']}")
        press(find(box, "push button", button))
        wait_for(f"{what} to close", lambda: box not in boxes(self.app, self.window))

    def focus_grid(self):
        """Gives the grid the keyboard focus. With no window manager nobody
        activates the window, so this clicks the current row, as a user
        would (a click on the current row moves nothing), through the AT-SPI
        registry's synthesised mouse."""
        if "focused" in states(self.grid()):
            return
        row = self.current_row()
        check(row is not None, "no current row to click")
        cell = self.grid().queryTable().getAccessibleAt(row, 0)
        x, y, w, h = extents(cell)
        check(w > 0 and h > 0, f"the current row is not on screen: {extents(cell)}")
        click(x + w // 2, y + h // 2)
        wait_for("the grid to have the focus", lambda: "focused" in states(self.grid()))


def expected_answers(index):
    sheet = WORKS[index][2]
    return [sheet[0], sheet[1], sheet[4], sheet[5], sheet[6]] if sheet else ["", "", "", "", ""]


def run(zenor, sheet_tool, work):
    tree = make_tree(work, sheet_tool)
    review = Review(zenor, tree)
    try:
        app_title = review.app.name.split(".")[0]
        app_title = app_title[:1] + app_title[1:].lower()

        # The folder box takes the tree; "Получить работы" scans it.
        folder_box = find(review.window, "text")
        check(folder_box is not None, "no folder box")
        folder_box.queryEditableText().setTextContents(tree)
        wait_for("the folder box to show the tree", lambda: folder_box.queryText().getText(0, -1) == tree)
        press(review.button("Получить работы"))

        review.answer_box("the end-of-scan box", app_title, "Список работ получен")

        ids = [w[0] for w in WORKS] + [BROKEN]
        wait_for("the grid rows", lambda: review.rows() == ids)
        log(f"grid rows: {review.rows()}, current {review.current_row()}")
        check(review.current_row() == 0, "the first work is not current after the scan")
        wait_for(f"the first work's answers {expected_answers(0)}", lambda: review.answers() == expected_answers(0))
        first_folder = os.path.join(tree, WORKS[0][1]) + "/"
        check(review.status() == "Путь до работы: " + first_folder, f"status panel reads {review.status()!r}")
        log(f"answers of {ids[0]}: {review.answers()}; status: {review.status()!r}")

        # Down with the keyboard, the grid having the focus.
        review.focus_grid()
        key(KEY_DOWN)
        wait_for("the second work to become current", lambda: review.current_row() == 1)
        wait_for("the second work's answers", lambda: review.answers() == expected_answers(1))
        check(review.status() == "Путь до работы: " + os.path.join(tree, WORKS[1][1]) + "/",
              f"status panel reads {review.status()!r}")
        cell = review.grid().queryTable().getAccessibleAt(1, 0)
        check({"selected", "focused"} <= states(cell), f"current cell states {states(cell)}")
        log(f"after Down: current {review.current_row()}, answers {review.answers()}")

        # The player: the gauge is hidden until a recording plays.
        gauge = review.gauge()
        check(gauge is not None, "no progress bar")
        check(not showing(gauge), "the gauge shows before anything plays")
        press(review.button("Прослушать ответ", "Задание № 2"))
        wait_for("the gauge to appear", lambda: showing(review.gauge()))
        value = review.gauge().queryValue()
        check(value.maximumValue == SECONDS and value.minimumValue == 0,
              f"gauge range {value.minimumValue}..{value.maximumValue}")
        wait_for("a tick of the gauge", lambda: review.gauge().queryValue().currentValue >= 1, timeout=10)
        # Reads on a loaded machine can straddle ticks: take the value before
        # and after, and accept any step between them.
        gauge = review.gauge()
        caption = find(review.window, "label", "Задание № 2")
        time_label = right_of(caption, [n for n in find_all(review.window, "label") if n != caption])
        check(time_label is not None, "no time label in the row of task 2")
        before = int(gauge.queryValue().currentValue)
        name, time_text = gauge.name, time_label.name
        after = int(gauge.queryValue().currentValue)
        log(f"gauge: {before}..{after} of {SECONDS}, named {name!r}, time label {time_text!r}")
        steps = range(before, after + 1)
        check(name in {f"{100 * p // SECONDS}%" for p in steps}, f"gauge named {name!r}")
        check(time_text in {f"{p} \\ {SECONDS - 1} сек." for p in steps}, f"time label reads {time_text!r}")
        press(review.button("Стоп"))
        wait_for("the player to hide after Стоп", lambda: not showing(review.gauge()), timeout=10)

        # A dialog: "Поиск", with a search that finds nothing.
        review.focus_grid()
        key(ord("f"), control=True)
        finder = review.one_box("the find dialog")
        seen = read_box(finder)
        log(f"find dialog: {seen}")
        check(seen["caption"] == "Поиск", f"find dialog caption {seen['caption']!r}")
        for button in ("Найти далее", "Закрыть"):
            check(button in seen["buttons"], f"find dialog lacks {button!r}: {seen['buttons']}")
        pattern = find(finder, "text")
        pattern.queryEditableText().setTextContents("99999")
        press(find(finder, "push button", "Найти далее"))
        box = wait_for("the not-found box", lambda: [b for b in boxes(review.app, review.window) if b != finder])
        seen = read_box(box[0])
        log(f"not-found box: {seen}")
        check(seen["texts"] == ['Строка "99999" не найдена.'] and seen["buttons"] == ["OK"],
              f"not-found box {seen}")
        press(find(box[0], "push button", "OK"))
        wait_for("the not-found box to close", lambda: box[0] not in boxes(review.app, review.window))
        press(find(finder, "push button", "Закрыть"))
        wait_for("the find dialog to close", lambda: not boxes(review.app, review.window))

        # The delete confirmation, declined.
        review.focus_grid()
        key(KEY_DELETE, control=True)
        review.answer_box("the delete confirmation", "Confirm", "Delete record?", button="Cancel",
                          buttons=("OK", "Cancel"))
        check(review.rows() == ids, "declining the confirmation changed the list")

        # The exception box: a sheet that lacks the labels' fields.
        review.focus_grid()
        key(KEY_END)
        box = review.one_box("the exception box")
        seen = read_box(box)
        log(f"exception box: {seen}")
        check(seen["caption"] == app_title and seen["buttons"] == ["OK"], f"exception box {seen}")
        check(any("not found" in t for t in seen["texts"]), f"exception box texts {seen['texts']}")
        press(find(box, "push button", "OK"))
        wait_for("the exception box to close", lambda: not boxes(review.app, review.window))

        # The folder dialog, opened from the keyboard (Alt+Down in the folder
        # box), cancelled. The box gets the focus by a click, as from a user.
        x, y, w, h = extents(folder_box)
        click(x + w // 4, y + h // 2)
        wait_for("the folder box to have the focus", lambda: "focused" in states(folder_box))
        key(KEY_DOWN, alt=True)
        dialog = review.one_box("the folder dialog")
        seen = read_box(dialog)
        log(f"folder dialog: {seen}")
        check(seen["caption"] == "Select Directory", f"folder dialog caption {seen['caption']!r}")
        check("OK" in seen["buttons"] and "Cancel" in seen["buttons"], f"folder dialog buttons {seen['buttons']}")
        press(find(dialog, "push button", "Cancel"))
        wait_for("the folder dialog to close", lambda: not boxes(review.app, review.window))
        check(folder_box.queryText().getText(0, -1) == tree, "cancelling the folder dialog changed the box")

        # A long scan: the status panel is read while it runs, and «Прервать»
        # stops it.
        long_walk = make_long_walk(work)
        folder_box.queryEditableText().setTextContents(long_walk)
        wait_for("the folder box to show the long walk",
                 lambda: folder_box.queryText().getText(0, -1) == long_walk)
        bar = find(review.window, "status bar")
        press(review.button("Получить работы"))
        # Read as often as a reader could: the panel goes blank at the end of
        # every folder, as it should, and shows each file's path in between.
        walking = wait_for("the status panel to show a file of the walk",
                           lambda: bar.name.startswith(long_walk + "/") and bar.name, interval=0.02)
        log(f"status panel during the scan: {walking[:60]!r}...")
        stop = review.button("Прервать")
        check("enabled" in states(stop), "«Прервать» is not enabled during the scan")
        press(stop)
        review.answer_box("the stopped-scan box", app_title, "Получение списка работ прервано")
        check("enabled" in states(review.button("Получить работы")), "«Получить работы» stays disabled")
        log("PASS")
    finally:
        review.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--zenor", required=True)
    parser.add_argument("--sheet", required=True, help="the zenor-sheet tool")
    parser.add_argument("--work", help="folder for the generated works (default: a temporary one)")
    args = parser.parse_args()
    work = args.work or tempfile.mkdtemp(prefix="zenor-a11y-")
    if os.path.exists(work):
        shutil.rmtree(work)
    os.makedirs(work)
    try:
        run(os.path.abspath(args.zenor), os.path.abspath(args.sheet), work)
    except Failure as failure:
        print(f"FAIL: {failure}", file=sys.stderr, flush=True)
        return 1
    finally:
        # Nothing that follows links (grep -R, a scan) should meet the endless walk later.
        shutil.rmtree(os.path.join(work, "long walk"), ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
