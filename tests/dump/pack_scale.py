#!/usr/bin/env python3
"""The review page at 2,000 works, past the 1,000 media players that Chromium
allows in one page: recordings of works at the start, in the middle and at
the end of the list play, the page never has more than its three players,
and the list keeps a bounded number of elements. The tree is hard links to
three real recordings; pack --no-measure keeps it to seconds.

    pack_scale.py ZENOR_DUMP ZENOR_SHEET

Exits 77 (skipped) when Chromium or the recording tools are missing."""
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from devtools import Browser, fail, skip  # noqa: E402
import page_tree  # noqa: E402

WORKS = 2000
MAX_ELEMENTS = 2000  # the whole page's elements, whatever the number of works


def main():
    dump, sheet_tool = sys.argv[1:3]
    for tool in ("espeak-ng", "sox", "oggenc"):
        if not shutil.which(tool):
            skip(f"{tool} is missing")
    with tempfile.TemporaryDirectory() as tmp:
        recordings = page_tree.make_recordings(os.path.join(tmp, "rec"), (1, 3, 4))
        sheet = os.path.join(tmp, "sheet.ans")
        page_tree.make_sheet(sheet_tool, sheet)
        tree = os.path.join(tmp, "tree")
        ids = page_tree.make_tree(tree, WORKS, sheet, recordings)
        page = os.path.join(tmp, "review.html")
        subprocess.run([dump, "pack", "--no-measure", "-o", page, tree], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       env=dict(os.environ, LC_ALL="C.UTF-8"))
        b = Browser(os.path.join(tmp, "profile"))
        try:
            b.open_page(page)
            counts = b.js("document.getElementById('counts').textContent")
            if not counts.startswith("Работ: 2\u00a0000 "):
                fail(f"the page counts {counts!r}")
            for at in (0, WORKS // 2, WORKS - 1):
                work_id = ids[at]
                b.find_work(work_id)
                b.wait_for(f"document.getElementById('work-title').textContent === 'Работа {work_id}'")
                b.js("window.played = null; document.querySelectorAll('audio')[1].addEventListener("
                     "'playing', () => { window.played = true; }, {once: true})")
                b.key(" ")
                b.wait_for("window.played", what=f"work {work_id}'s task 2 to play")
                if b.js("document.querySelectorAll('audio')[1].error") is not None:
                    fail(f"work {work_id}: the player reports an error")
                b.key(" ")
                players = b.js("document.querySelectorAll('audio, video').length")
                elements = b.js("document.getElementsByTagName('*').length")
                if players != 3 or elements > MAX_ELEMENTS:
                    fail(f"at work {at}: {players} players, {elements} elements")
            b.js("document.getElementById('list').scrollTop = 1e9")
            elements = b.js("new Promise(r => requestAnimationFrame(() => r(document.getElementsByTagName('*').length)))")
            if elements > MAX_ELEMENTS:
                fail(f"the scrolled list makes {elements} elements")
            print(f"{WORKS} works: tasks of the first, middle and last work play; 3 players, "
                  f"at most {elements} elements")
        finally:
            b.close()


if __name__ == "__main__":
    main()
