#!/usr/bin/env python3
"""The review page at 10,000 and 100,000 works: how long pack takes, how big
the page is, how soon Chromium shows the first work and answers a key, how
much memory the renderer holds, and how soon a recording of any work plays.
Each figure beside a baseline measured in the same run: a bare page that
holds the same data block and one player, and the measuring pass per work.

    bench_page.py BUILD_DIR [--works 10000,100000] [--measured-works 200]
                  [--samples 20] [--rounds 3] [--keep DIR]

BUILD_DIR holds bin/zenor-dump, bin/zenor-sheet and bin/bench_page_render
(a Release build). Each work has a microphone check of 5 s and answers of
40 s and 60 s (hard links to three real recordings). `pack` decodes every
recording: it is timed on the first MEASURED_WORKS works of the tree and
given per work as well; the page with level strips for the whole tree is
written by bench_page_render, which measures each distinct file once and
gives every recording its file's measure (the page pack would write).
Targets: ready <= 1.5 s at 10,000 works and <= 3 s at 100,000; play <= 200 ms."""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "dump"))
from devtools import Browser  # noqa: E402
import page_tree  # noqa: E402

READY_TARGET = {10000: 1.5, 100000: 3.0}
PLAY_TARGET_MS = 200


def timed(args):
    start = time.monotonic()
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   env=dict(os.environ, LC_ALL="C.UTF-8"))
    return time.monotonic() - start


def renderer_rss_mib(browser):
    """The resident memory of the page's renderer process (the largest of
    the browser's renderers), MiB."""
    parents = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/status") as f:
                status = dict(line.split(":", 1) for line in f if ":" in line)
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                renderer = b"--type=renderer" in f.read()
            parents[int(pid)] = (int(status["PPid"]), renderer, int(status.get("VmRSS", "0 kB").split()[0]))
        except (OSError, KeyError, ValueError):
            continue

    def ours(pid):
        while pid in parents and pid != browser.proc.pid:
            pid = parents[pid][0]
        return pid == browser.proc.pid

    return max([rss / 1024 for pid, (_, renderer, rss) in parents.items() if renderer and ours(pid)],
               default=0)


def measure_page(tmp, page, ids, samples, rounds):
    figures = {"size_mib": os.path.getsize(page) / 2**20}
    readies, keys = [], []
    for r in range(rounds):
        b = Browser(os.path.join(tmp, f"profile-{r}"), size=(1280, 900))
        try:
            b.call("Performance.enable")
            # Ready: the first work is shown and the keys are bound (pack's
            # page sets data-ready as its last step), then j shows the next.
            b.open_page(page, timeout=120)
            ready = b.js("window.zenorReadyAt")
            readies.append(ready / 1000)
            t = b.js("""new Promise(done => { const t0 = performance.now();
                const title = document.getElementById('work-title');
                const before = title.textContent;
                document.dispatchEvent(new KeyboardEvent('keydown', {key: 'j'}));
                requestAnimationFrame(() => done(title.textContent !== before ? performance.now() - t0 : -1)); })""")
            keys.append(t)
            if r == rounds - 1:
                metrics = {m["name"]: m["value"] for m in b.call("Performance.getMetrics")["metrics"]}
                figures["js_heap_mib"] = metrics["JSHeapUsedSize"] / 2**20
                figures["dom_nodes"] = metrics["Nodes"]
                figures["renderer_rss_mib"] = renderer_rss_mib(b)
                figures["play_ms"] = play_latencies(b, ids, samples)
                figures["players"] = b.js("document.querySelectorAll('audio, video').length")
                b.screenshot(os.path.join(tmp, f"page-{len(ids)}.png"))
        finally:
            b.close()
    figures["ready_s"] = statistics.median(readies)
    figures["key_ms"] = statistics.median(keys)
    return figures


def play_latencies(b, ids, samples):
    """Choose a work by its code, press space: milliseconds to 'playing'."""
    picks = [ids[round(i * (len(ids) - 1) / (samples - 1))] for i in range(samples)]
    times = []
    for work_id in picks:
        ms = b.js(f"""new Promise(done => {{
            const t0 = performance.now();
            const find = document.getElementById('find');
            find.value = '{work_id}';
            find.dispatchEvent(new KeyboardEvent('keydown', {{key: 'Enter'}}));
            const a = document.querySelectorAll('audio')[1];
            a.addEventListener('playing', () => {{ done(performance.now() - t0); a.pause(); }}, {{once: true}});
            document.dispatchEvent(new KeyboardEvent('keydown', {{key: ' '}}));
            setTimeout(() => done(-1), 10000);
        }})""")
        times.append(ms)
    return times


def baseline_page(page, recording, out):
    """The same data block and one player, no page script: the floor."""
    text = open(page, encoding="utf-8").read()
    start = text.index('<script type="application/json"')
    end = text.index("</script>", start) + len("</script>")
    with open(out, "w", encoding="utf-8") as f:
        f.write('<!DOCTYPE html><html lang="ru"><head><meta charset="utf-8"></head><body>'
                f'<audio src="file://{recording}" preload="auto"></audio>{text[start:end]}'
                "<script>const d = JSON.parse(document.getElementById('works-data').textContent);"
                "window.zenorReadyAt = performance.now();"
                "document.documentElement.dataset.ready = 'true';</script></body></html>")


def baseline_play(tmp, page):
    b = Browser(os.path.join(tmp, "profile-base"), size=(1280, 900))
    try:
        b.open_page(page, timeout=120)
        ready = b.js("window.zenorReadyAt") / 1000
        times = []
        for _ in range(5):
            times.append(b.js("""new Promise(done => { const a = document.querySelector('audio');
                a.currentTime = 0; const t0 = performance.now();
                a.addEventListener('playing', () => { done(performance.now() - t0); a.pause(); }, {once: true});
                a.play(); })"""))
        return ready, statistics.median(times)
    finally:
        b.close()


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("build")
    ap.add_argument("--works", default="10000,100000")
    ap.add_argument("--measured-works", type=int, default=200)
    ap.add_argument("--samples", type=int, default=20)
    ap.add_argument("--rounds", type=int, default=3)
    ap.add_argument("--keep", help="keep the trees, pages and screenshots in this folder")
    a = ap.parse_args()
    dump = os.path.join(a.build, "bin", "zenor-dump")
    render = os.path.join(a.build, "bin", "bench_page_render")
    tmp = a.keep or tempfile.mkdtemp(prefix="bench-page-")
    os.makedirs(tmp, exist_ok=True)
    recordings = page_tree.make_recordings(os.path.join(tmp, "rec"), (5, 40, 60))
    sheet = os.path.join(tmp, "sheet.ans")
    if not os.path.exists(sheet):
        page_tree.make_sheet(os.path.join(a.build, "bin", "zenor-sheet"), sheet)
    print(f"{os.cpu_count()} cores; works of 5 s + 40 s + 60 s; medians of {a.rounds} loads")

    small = os.path.join(tmp, f"tree-{a.measured_works}")
    page_tree.remove_tree(small)
    page_tree.make_tree(small, a.measured_works, sheet, recordings)
    measured = timed([dump, "pack", "-o", os.path.join(tmp, "measured.html"), small])
    per_work = measured / a.measured_works
    print(f"pack (decoding every recording) of {a.measured_works} works: {measured:.1f} s, "
          f"{per_work * 1000:.0f} ms a work")

    for works in [int(w) for w in a.works.split(",")]:
        tree = os.path.join(tmp, f"tree-{works}")
        page_tree.remove_tree(tree)
        ids = page_tree.make_tree(tree, works, sheet, recordings)
        quick = os.path.join(tmp, f"quick-{works}.html")
        full = os.path.join(tmp, f"full-{works}.html")
        t_quick = timed([dump, "pack", "--no-measure", "-o", quick, tree])
        t_render = timed([render, tree, full])
        print(f"\n{works} works")
        print(f"  pack --no-measure: {t_quick:.2f} s; pack would take about "
              f"{per_work * works / 60:.0f} min at {per_work * 1000:.0f} ms a work "
              f"(page with strips written in {t_render:.1f} s by measuring each distinct file once)")
        base = os.path.join(tmp, f"base-{works}.html")
        baseline_page(full, recordings[1], base)
        base_ready, base_play = baseline_play(tmp, base)
        for name, page in (("with level strips", full), ("--no-measure", quick)):
            f = measure_page(tmp, page, ids, a.samples, a.rounds)
            plays = sorted(f["play_ms"])
            target = READY_TARGET.get(works)
            print(f"  page {name}: {f['size_mib']:.1f} MiB; ready {f['ready_s']:.2f} s"
                  + (f" (target {target} s: {'met' if f['ready_s'] <= target else 'MISSED'})" if target else "")
                  + f", j answers in {f['key_ms']:.0f} ms; JS heap {f['js_heap_mib']:.0f} MiB, "
                  f"renderer RSS {f['renderer_rss_mib']:.0f} MiB, {f['dom_nodes']:.0f} DOM nodes, "
                  f"{f['players']} players")
            print(f"    play latency over {len(plays)} works spread over the list: median "
                  f"{statistics.median(plays):.0f} ms, max {plays[-1]:.0f} ms (target {PLAY_TARGET_MS} ms: "
                  f"{'met' if 0 <= plays[0] and plays[-1] <= PLAY_TARGET_MS else 'MISSED'})")
        print(f"  baseline (same data block parsed, one bare player): ready {base_ready:.2f} s, "
              f"play {base_play:.0f} ms")
        if not a.keep:
            page_tree.remove_tree(tree)
    if a.keep:
        print(f"\npages, trees and screenshots kept in {tmp}")
    else:
        page_tree.remove_tree(tmp)


if __name__ == "__main__":
    main()
