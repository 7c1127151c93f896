#!/usr/bin/env python3
"""zenor-dump pack in a real browser: headless Chromium loads the page from
disk and an examiner's session is played through with keys. The players'
durations equal zenor-dump export's lengths; the sheets' hostile texts show
as text and run nothing; j/k/n move between works and space plays; marks
typed with keys are checked against the range, kept over a reload, saved as
a marks sheet (both dialects) that holds export --marks' cells and that
zenor-dump marks reads back without a problem; a loaded sheet shows its
marks and lists what differs and what is unknown; a tree that moved away is
named with the path the page looked for. Screenshots are left in OUT_DIR.

    pack_browser.py ZENOR_DUMP ZENOR_SHEET OUT_DIR

Exits 77 (skipped) when Chromium or the recording tools are missing."""
import csv
import io
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from devtools import Browser, fail, skip  # noqa: E402

BLOCK_SLACK = 0.015  # seconds: 256 samples at 22,050 Hz, with room for rounding
HOSTILE = '</script><script>window.pwned = 1</script><img src=x onerror="window.pwned = 2"><!--'
TEXTS = (HOSTILE, "Tom & \"Jerry\" 'x' \u2028", "</dd></dl><b>bold</b>")


def make_tree(root, sheet, recordings):
    # Folder names that a URL must encode: a space, "#", "?", "%", Cyrillic.
    works = {
        "Школа #1/7А ?50%": [("10001", "speech", "speech", "speech"),
                             ("10002", "quiet", "clipped", "short")],
        "other": [("10003", None, "truncated", "notogg")],
    }
    for folder, rows in works.items():
        os.makedirs(os.path.join(root, folder))
        for work_id, *recs in rows:
            fields = [a for n in ("a1", "a2", "a3", "a4", "a5", "a6")
                      for a in ("-f", f"{n}:String:200")]
            subprocess.run([sheet, "-o", os.path.join(root, folder, f"{work_id}_0.ans"),
                            "-f", "VarNo:String:200", *fields, "-r", HOSTILE, TEXTS[1], "b", "c",
                            TEXTS[1], "=1+1", TEXTS[2]], check=True)
            for suffix, rec in zip(("_0", "_2", "_3"), recs):
                if rec:
                    shutil.copy(os.path.join(recordings, rec + ".ogg"),
                                os.path.join(root, folder, work_id + suffix + ".ogg"))


def run(args, ok=(0,)):
    done = subprocess.run(args, capture_output=True, env=dict(os.environ, LC_ALL="C.UTF-8"))
    if done.returncode not in ok:
        fail(f"{args} exits {done.returncode}: {done.stderr.decode()}")
    return done


CURRENT = "document.getElementById('work-title').textContent.replace('Работа ', '')"


def value(b, element_id):
    return b.js(f"document.getElementById('{element_id}').value")


def focused(b):
    return b.js("document.activeElement.id || document.activeElement.tagName")


def check_players(b, lengths, order):
    """Each work's players: as many as the page ever has, durations as export."""
    checked = 0
    for i, work_id in enumerate(order):
        if i:
            b.key("j")
        b.wait_for(f"{CURRENT} === '{work_id}'")
        for slot, task in ((1, "2"), (2, "3")):
            name = f"{work_id}_{task}.ogg"
            if name not in lengths:
                continue
            got = b.wait_for(f"""(() => {{ const a = document.querySelectorAll('audio')[{slot}];
                return a.readyState >= 1 ? a.duration : 0; }})()""", what=f"{name}'s metadata")
            seconds = lengths[name]
            # The browser's demuxer leaves out the end trim of the last Ogg
            # page (a fixed 256 samples here); export gives the decoded
            # length. So the browser may be a fraction of a block longer.
            if not seconds - 0.001 <= got <= seconds + BLOCK_SLACK:
                fail(f"{name}: the browser's duration {got}, export's length {seconds}")
            checked += 1
        if b.js("document.querySelectorAll('audio').length") != 3:
            fail("the page has more players than the current work's three")
    if checked != len(lengths):
        fail(f"{checked} durations checked, want {len(lengths)}")
    print(f"durations agree with export for {checked} recordings; three players in all")


def check_texts(b):
    texts = b.js("[...document.querySelectorAll('#work dd')].map(d => d.textContent)")
    if b.js("window.pwned") is not None:
        fail("a sheet's text ran as script")
    for text in TEXTS:
        if text not in texts:
            fail(f"the text {text!r} does not show as written: {texts}")
    if b.js("document.querySelectorAll('dd b, dd img, dd script, body > img').length") != 0:
        fail("a sheet's text made elements")
    if b.js("document.scripts.length") != 2:
        fail("a sheet's text added a script element")
    print("hostile texts show as text and run nothing")


def check_keys(b, order):
    seen = []
    for key in ("j", "j", "k", "k"):
        b.key(key)
        seen.append(b.js(CURRENT))
    if seen != [order[1], order[2], order[1], order[0]]:
        fail(f"j, j, k, k give {seen} over {order}")
    b.key(" ")
    b.wait_for("!document.querySelectorAll('audio')[1].paused", what="space to play task 2")
    b.wait_for("document.querySelectorAll('audio')[1].currentTime > 0", what="task 2 to advance")
    b.key("]")
    b.key("]")
    rate = b.js("[document.querySelectorAll('audio')[1].playbackRate, "
                "document.querySelectorAll('audio')[1].preservesPitch]")
    if rate != [1.5, True]:
        fail(f"] ] gives rate and pitch {rate}, want [1.5, True]")
    b.key("[")
    b.key("[")
    b.key(" ")
    b.wait_for("[...document.querySelectorAll('audio')].every(a => a.paused)", what="space to pause")
    b.key("ArrowRight")
    at = b.js("document.querySelectorAll('audio')[1].currentTime")
    if at < 5:
        fail(f"→ leaves task 2 at {at} s, want 5 s on")
    b.key("ArrowLeft")
    if b.js("document.querySelectorAll('audio')[1].currentTime") > at - 4.9:
        fail("← does not go back 5 s")
    # A click at three quarters of task 3's strip plays from there, and the
    # playing position is drawn on it (dark pixels at that place).
    box = b.js("(() => { const r = document.querySelectorAll('canvas')[2].getBoundingClientRect();"
               " return [r.left, r.top, r.width, r.height]; })()")
    x, y = box[0] + box[2] * 0.75, box[1] + box[3] / 2
    for kind in ("mousePressed", "mouseReleased"):
        b.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left", clickCount=1)
    # paused turns false at the call to play(), before the file's length is
    # known: wait until it plays with its length.
    b.wait_for("(() => { const a = document.querySelectorAll('audio')[2];"
               " return !a.paused && isFinite(a.duration) && a.currentTime > 0; })()",
               what="a click on the strip to play")
    share = b.js("(() => { const a = document.querySelectorAll('audio')[2];"
                 " return a.currentTime / a.duration; })()")
    if not 0.7 <= share <= 0.9:
        fail(f"a click at 3/4 of the strip plays from {share:.2f} of the recording")
    b.key(" ")
    b.wait_for("document.querySelectorAll('audio')[2].paused", what="space to pause task 3")
    # The page draws the position when its pause event comes, a task after
    # `paused` turns true: wait for the drawing, do not look at once.
    b.wait_for("""(() => { const c = document.querySelectorAll('canvas')[2];
        const a = document.querySelectorAll('audio')[2];
        const x = Math.round(a.currentTime / a.duration * c.width);
        const px = c.getContext('2d').getImageData(Math.max(0, x - 2), 0, 5, 1).data;
        for (let i = 0; i < px.length; i += 4)
          if (px[i + 3] > 0 && px[i] < 60 && px[i + 1] < 60 && px[i + 2] < 60) return true;
        return false; })()""", timeout=10, what="the playing position drawn on the strip")
    print("j/k move, space plays and pauses task 2, ←/→ seek, [ and ] change speed with pitch kept;"
          " a click on a strip plays from there, the position drawn")


def check_names(b, order):
    """The controls a screen reader finds by name, and the work announced."""
    b.call("Accessibility.enable")
    root = b.call("DOM.getDocument")["root"]["backendNodeId"]
    for name, role in (("Оценка за задание № 2", "textbox"), ("Оценка за задание № 3", "textbox"),
                       ("Примечание", "textbox"), ("Прослушать ещё раз", "checkbox"),
                       ("Код работы", "searchbox"), ("Сохранить оценки", "button"),
                       ("Загрузить оценки", "button")):
        nodes = b.call("Accessibility.queryAXTree", backendNodeId=root, accessibleName=name)["nodes"]
        roles = [n["role"]["value"] for n in nodes]
        if role not in roles:
            fail(f"no {role} named «{name}» (found {roles})")
    if b.js("document.documentElement.lang") != "ru":
        fail("the page is not lang=ru")
    b.key("j")
    said = b.js("document.getElementById('announce').textContent")
    live = b.js("document.getElementById('announce').getAttribute('aria-live')")
    if live != "polite" or not said.startswith(f"Работа {order[1]}, 2 из 3"):
        fail(f"the current work is announced as {said!r} (aria-live {live})")
    b.key("k")
    print("the marking controls have their names; the current work is announced")


def type_marks(b, order):
    # Work 1: a digit outside the fields starts mark 2; Enter goes on to
    # mark 3 and, from there, to the next work's mark 2.
    b.js("document.getElementById('list').focus()")
    b.key("4")
    if focused(b) != "mark2" or value(b, "mark2") != "4":
        fail(f"a digit types into «Оценка за задание № 2»: focus {focused(b)}, {value(b, 'mark2')!r}")
    b.key("Enter")
    b.type_text("4,5")
    b.key("Tab")
    if focused(b) != "note":
        fail(f"Tab from mark 3 goes to {focused(b)}, want the note")
    b.type_text("=тихо, «плохо»")
    b.key("Tab")
    b.key(" ")
    if not b.js("document.getElementById('recheck').checked"):
        fail("space does not tick «Прослушать ещё раз»")
    b.js("document.getElementById('mark3').focus()")
    b.key("Enter")
    if b.js(CURRENT) != order[1] or focused(b) != "mark2":
        fail("Enter in mark 3 does not go on to the next work's mark 2")
    # Work 2: out of range, then mended; j inside a mark field moves on.
    b.type_text("11")
    if b.js("document.getElementById('mark2').getAttribute('aria-invalid')") != "true":
        fail("a mark of 11 is not shown as out of range")
    if "ошибок в оценках: 1" not in b.js("document.getElementById('counts').textContent"):
        fail("the counter does not count the bad mark")
    b.js("""(() => { const m = document.getElementById('mark2');
        m.value = ''; m.dispatchEvent(new Event('input')); })()""")
    b.type_text("0")
    b.key("Tab")
    b.type_text("10")
    b.key("j")
    if b.js(CURRENT) != order[2]:
        fail("j in a mark field does not move to the next work")
    # Work 3: n skips to the first unmarked work, which is this one.
    b.js("document.getElementById('list').focus()")
    b.key("n")
    if b.js(CURRENT) != order[2]:
        fail(f"n goes to {b.js(CURRENT)}, want the unmarked {order[2]}")
    b.key("7")
    b.key("Tab")
    b.key("3")
    counts = b.js("document.getElementById('counts').textContent")
    if "оценено: 3" not in counts or "не сохранено в файл: 3" not in counts:
        fail(f"the counter says {counts!r}")
    b.key("Escape")
    b.key("n")
    if "Все отобранные работы оценены" not in b.js("document.getElementById('announce').textContent"):
        fail("n with every work marked does not say so")
    print("marks typed with keys: digits, Enter, Tab, j and n; the range is checked; counted")


def expect_marks(b, order, want):
    for work_id, (m2, m3, note, flag) in zip(order, want):
        b.find_work(work_id)
        got = (value(b, "mark2"), value(b, "mark3"), value(b, "note"),
               b.js("document.getElementById('recheck').checked"))
        if got != (m2, m3, note, flag):
            fail(f"work {work_id} shows {got}, want {(m2, m3, note, flag)}")


def save_sheet(b, downloads, excel):
    for f in os.listdir(downloads):
        os.remove(os.path.join(downloads, f))
    b.js(f"document.getElementById('excel').checked = {'true' if excel else 'false'}")
    b.js("document.getElementById('save').click()")
    name = "marks-excel.csv" if excel else "marks.csv"
    path = os.path.join(downloads, name)
    deadline = time.monotonic() + 30
    while not os.path.exists(path):
        if time.monotonic() > deadline:
            fail(f"«Сохранить оценки» left no {name}: {os.listdir(downloads)}")
        time.sleep(0.05)
    return path


def check_saved(dump, tree, path, excel):
    data = open(path, "rb").read()
    if data.startswith(b"\xef\xbb\xbf") != excel:
        fail(f"{path}: byte-order mark {'missing' if excel else 'written'}")
    done = run([dump, "marks", tree, path])
    if done.stdout.decode().strip().splitlines()[1:]:
        fail(f"zenor-dump marks reports problems in the saved sheet:\n{done.stdout.decode()}")
    # Export's cells, byte for byte, then the marks and recheck.
    export = run([dump, "export", "--marks"] + (["--excel"] if excel else []) + [tree]).stdout
    saved = data.split(b"\r\n")
    expected = export.split(b"\r\n")
    sep = b";" if excel else b","
    header = expected[0] + sep + b"recheck"
    if saved[0] != header:
        fail(f"header {saved[0]!r}, want {header!r}")
    rows = list(csv.reader(io.StringIO(data.decode("utf-8-sig")), delimiter=sep.decode()))
    want = list(csv.reader(io.StringIO(export.decode("utf-8-sig")), delimiter=sep.decode()))
    if [r[:12] for r in rows] != [r[:12] for r in want]:
        fail(f"the saved sheet's cells differ from export --marks:\n{rows}\n{want}")
    return rows


def load_sheet(b, tmp, order):
    sheet = os.path.join(tmp, "other.csv")
    with open(sheet, "w", encoding="utf-8-sig", newline="") as f:
        f.write(f"ID;mark2;mark3;note\r\n{order[0]};4;4,5;=тихо, «плохо»\r\n"
                f"{order[1]};1;2;другой\r\n99999;5;5;\r\n")
    b.call("DOM.enable")
    root = b.call("DOM.getDocument")["root"]["nodeId"]
    node = b.call("DOM.querySelector", nodeId=root, selector="#load-file")["nodeId"]
    b.call("DOM.setFileInputFiles", files=[sheet], nodeId=node)
    text = b.wait_for("!document.getElementById('loaded').hidden && "
                      "document.querySelector('#loaded .body').textContent", what="the load report")
    for part in ("строк 3", "совпадают с набранными 1", "расходятся 1", "работ не из этой папки 1",
                 "код 99999", "1 · 2"):
        if part not in text:
            fail(f"the load report lacks {part!r}: {text}")
    b.js("[...document.querySelectorAll('#loaded button')].find(x => x.textContent === 'Взять из файла').click()")
    expect_marks(b, order[1:2], [("1", "2", "другой", False)])
    print("a loaded sheet lists the differing and the unknown rows; a difference can be taken")


def main():
    dump, sheet, out_dir = sys.argv[1:4]
    for tool in ("espeak-ng", "sox", "oggenc"):
        if not shutil.which(tool):
            skip(f"{tool} is missing")
    here = os.path.dirname(os.path.abspath(__file__))
    os.makedirs(out_dir, exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run([os.path.join(here, "make_recordings.sh"), f"{tmp}/rec"], check=True)
        tree = os.path.join(tmp, "tree")
        make_tree(tree, sheet, f"{tmp}/rec")
        export = run([dump, "export", tree]).stdout
        lengths = {}
        order = []
        for row in csv.DictReader(io.StringIO(export.decode())):
            order.append(row["ID"])
            for task in ("2", "3"):
                if row[f"task{task}_seconds"]:
                    lengths[f"{row['ID']}_{task}.ogg"] = float(row[f"task{task}_seconds"])
        if len(lengths) != 5:
            fail(f"export gives {len(lengths)} lengths, want 5: {lengths}")

        page = os.path.join(tmp, "pages", "review.html")
        os.makedirs(os.path.dirname(page))
        run([dump, "pack", "--max-mark", "10", "-o", page, tree], ok=(0,))
        downloads = os.path.join(tmp, "downloads")
        os.makedirs(downloads)
        b = Browser(os.path.join(tmp, "profile"))
        try:
            b.call("Browser.setDownloadBehavior", session=False, behavior="allow",
                   downloadPath=downloads)
            b.open_page(page)
            check_players(b, lengths, order)
            b.js("document.getElementById('find').value = ''")
            check_texts(b)
            missing = b.js("document.querySelectorAll('.rec-error')[0].textContent")
            if missing != f"Нет файла: {tree}/other/10003_0.ogg":
                fail(f"the missing recording says {missing!r}")
            b.key("k")
            b.key("k")
            check_keys(b, order)
            b.call("DOM.enable")
            check_names(b, order)
            type_marks(b, order)
            b.screenshot(os.path.join(out_dir, "pack_review.png"))

            want = [("4", "4,5", "=тихо, «плохо»", True), ("0", "10", "", False), ("7", "3", "", False)]
            b.reload()
            if b.js(CURRENT) != order[2]:
                fail(f"after a reload the page shows {b.js(CURRENT)}, want the last shown {order[2]}")
            expect_marks(b, order, want)
            print("a reload keeps every mark, note and flag, and the work last shown")

            for excel in (False, True):
                rows = check_saved(dump, tree, save_sheet(b, downloads, excel), excel)
                got = [tuple(r[12:16]) for r in rows[1:]]
                comma = (lambda s: s.replace(".", ",")) if excel else (lambda s: s.replace(",", "."))
                if got != [(comma("4"), comma("4,5"), "'=тихо, «плохо»", "1"), ("0", "10", "", ""),
                           ("7", "3", "", "")]:
                    fail(f"the saved marks are {got}")
            if "всё сохранено в файл" not in b.js("document.getElementById('counts').textContent"):
                fail("after saving the counter still counts unsaved marks")
            print("the saved sheet, in both dialects, holds export's cells and passes zenor-dump marks")

            load_sheet(b, tmp, order)

            # The tree moves away: the page says where it looked.
            os.rename(tree, tree + ".moved")
            b.reload()
            message = b.wait_for("document.querySelectorAll('.rec-error')[1].hidden ? '' : "
                                 "document.querySelectorAll('.rec-error')[1].textContent",
                                 what="the moved recording's message")
            shown = b.js(CURRENT)
            want_path = f"{tree}/Школа #1/7А ?50%/{shown}_2.ogg"
            if message != f"Запись не открывается: {want_path}":
                fail(f"a moved recording says {message!r}, want the path {want_path}")
            print("a recording the page cannot reach is named with the path it looked for")
        finally:
            b.close()


if __name__ == "__main__":
    main()
