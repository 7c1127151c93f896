#!/usr/bin/env python3
"""The README's picture of the review page: 10,000 works (hard links to
real recordings, a few of them quiet, clipped, cut short or missing), some
marks typed as an examiner would, in headless Chromium at 1280x800.

    screenshot.py BUILD_DIR OUT.png [OVERVIEW.png]

BUILD_DIR holds bin/zenor-sheet and bin/bench_page_render (the page pack
writes, each distinct recording measured once)."""
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "dump"))
from devtools import Browser  # noqa: E402
import page_tree  # noqa: E402

WORKS = 10000


def main():
    build, out = sys.argv[1:3]
    overview = sys.argv[3] if len(sys.argv) > 3 else None
    with tempfile.TemporaryDirectory() as tmp:
        recordings = page_tree.make_recordings(os.path.join(tmp, "rec"), (5, 40, 60))
        subprocess.run([os.path.join(HERE, "..", "..", "tests", "dump", "make_recordings.sh"),
                        os.path.join(tmp, "odd")], check=True)
        sheet = os.path.join(tmp, "sheet.ans")
        page_tree.make_sheet(os.path.join(build, "bin", "zenor-sheet"), sheet)
        tree = os.path.join(tmp, "Answer")
        ids = page_tree.make_tree(tree, WORKS, sheet, recordings)
        # A few works as a real exam has them.
        odd = {ids[3]: ("_2", "quiet"), ids[7]: ("_3", "clipped"), ids[12]: ("_3", "truncated"),
               ids[15]: ("_2", "short"), ids[4000]: ("_2", "silence")}
        for path, _, files in os.walk(tree):
            for name in files:
                for work_id, (suffix, kind) in odd.items():
                    if name == f"{work_id}{suffix}.ogg":
                        os.remove(os.path.join(path, name))
                        os.link(os.path.join(tmp, "odd", f"{kind}.ogg"), os.path.join(path, name))
                if name == f"{ids[9]}_0.ogg":
                    os.remove(os.path.join(path, name))
        # Packed from beside the tree, as an examiner would: the page names
        # the tree as given, "Answer".
        page = os.path.join(tmp, "review.html")
        subprocess.run([os.path.abspath(os.path.join(build, "bin", "bench_page_render")), "Answer",
                        "review.html"], check=True, stdout=subprocess.DEVNULL, cwd=tmp)
        b = Browser(os.path.join(tmp, "profile"), size=(1280, 800))
        try:
            b.open_page(page)
            for m2, m3 in (("4", "5"), ("3", "4"), ("5", "5"), ("2", "")):
                b.key(m2[0])
                b.key("Enter")
                b.type_text(m3)
                b.key("Enter")
            b.key("Escape")
            b.find_work(ids[7])
            b.key("4")
            b.key("Escape")
            b.key(" ")
            b.wait_for("document.querySelectorAll('audio')[1].currentTime > 1.2", timeout=30)
            b.key(" ")
            b.screenshot(out)
            if overview:
                b.js("document.getElementById('overview-toggle').click()")
                b.screenshot(overview)
        finally:
            b.close()


if __name__ == "__main__":
    main()
