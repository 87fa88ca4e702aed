#!/usr/bin/python3
"""Medians and Zellik / peer ratios of the runs peers.sh recorded, and the
spread of CPU a frame over the seed set (one seed a round).

    summarise.py RESULTS.jsonl SECONDS ROUNDS > table.md
"""

import json
import statistics
import sys

PEER = "gleidescope"
ZELLIKS = [("zellik", "Zellik, Linux (`zellik --root`)"),
           ("zellik.scr", "Zellik, Windows (`wine zellik.scr /s`)")]
LABELS = dict(ZELLIKS + [(PEER, "gleidescope (`--root --image`)")])

# (key, heading, format, lower is better)
COLUMNS = [
    ("cpu", "program CPU s/s", "{:.2f}"),
    ("x_cpu", "X server CPU s/s", "{:.2f}"),
    ("wine_cpu", "Wine's own CPU s/s", "{:.3f}"),
    ("fps", "frames/s shown", "{:.1f}"),
    ("ms_per_frame", "CPU ms/frame (program + X)", "{:.1f}"),
    ("first_frame_s", "start → first frame, s", "{:.2f}"),
    ("rss_mib", "peak RSS, MiB", "{:.0f}"),
]


def derived(run):
    run = dict(run)
    if run.get("rss_peak_kb") is not None:
        run["rss_mib"] = run["rss_peak_kb"] / 1024
    if run.get("fps"):
        run["ms_per_frame"] = 1000 * (run["cpu"] + run["x_cpu"]) / run["fps"]
    return run


def median_of(runs, key):
    values = [r[key] for r in runs if r.get(key) is not None]
    return statistics.median(values) if values else None


def spread(values, fmt):
    """'median (min–max)' of values, or '–'."""
    if not values:
        return "–"
    return (fmt.format(statistics.median(values)) + " (" + fmt.format(min(values)) + "–" +
            fmt.format(max(values)) + ")")


def seed_table(here):
    """CPU ms a frame per seed, and the ratio of each seed's run to the peer's
    median: the peer cannot fix its picture, so its rounds give its spread."""
    peer = [r["ms_per_frame"] for r in here if r["name"] == PEER and r.get("ms_per_frame")]
    peer_median = statistics.median(peer) if peer else None
    out = ["| CPU ms/frame (program + X) | median (min–max) over the runs | "
           "ratio to gleidescope's median: median (min–max) | each run, by seed |",
           "|---|---|---|---|"]
    for name, label in LABELS.items():
        # Zellik's runs by seed; the peer's, whose picture no seed fixes, by value.
        runs = sorted((r for r in here if r["name"] == name and r.get("ms_per_frame")),
                      key=lambda r: r["ms_per_frame"] if name == PEER else int(r.get("seed") or 0))
        values = [r["ms_per_frame"] for r in runs]
        ratios = [v / peer_median for v in values] if peer_median and name != PEER else []
        each = ", ".join((f"{r['seed']}: " if name != PEER else "") + f"{r['ms_per_frame']:.1f}"
                         for r in runs)
        out.append(f"| {label} | {spread(values, '{:.1f}')} | {spread(ratios, '{:.2f}')} | {each} |")
    return out


def main():
    path, seconds, rounds = sys.argv[1], sys.argv[2], sys.argv[3]
    runs = []
    with open(path) as f:
        for line in f:
            line = line.strip()
            if line.startswith("{"):
                runs.append(derived(json.loads(line)))
    sizes = []
    for r in runs:
        size = (r["width"], r["height"])
        if size not in sizes:
            sizes.append(size)

    out = []
    out.append(f"Each figure is the median of {rounds} rounds; in a round the three programs ran one after "
               f"another (order rotated each round), {seconds} s measured each, on one Xvfb per screen "
               "size with Mesa llvmpipe. Ratios are Zellik / gleidescope (below 1: Zellik uses less, "
               "except frames/s, where above 1 means Zellik shows more).")
    out.append("")
    for width, height in sizes:
        here = [r for r in runs if (r["width"], r["height"]) == (width, height) and "error" not in r]
        med = {name: {key: median_of([r for r in here if r["name"] == name], key)
                      for key, _, _ in COLUMNS}
               for name in LABELS}
        count = {name: len([r for r in here if r["name"] == name]) for name in LABELS}
        out.append(f"### {width}×{height}")
        out.append("")
        out.append("| | " + " | ".join(h for _, h, _ in COLUMNS) + " | runs |")
        out.append("|---" * (len(COLUMNS) + 2) + "|")
        for name, label in LABELS.items():
            cells = [(fmt.format(med[name][key]) if med[name][key] is not None else "–")
                     for key, _, fmt in COLUMNS]
            out.append(f"| {label} | " + " | ".join(cells) + f" | {count[name]} |")
        for name, label in ZELLIKS:
            cells = []
            for key, _, _ in COLUMNS:
                a, b = med[name][key], med[PEER][key]
                cells.append(f"{a / b:.2f}" if a is not None and b else "–")
            out.append(f"| ratio {name} / {PEER} | " + " | ".join(cells) + " | |")
        seeds = sorted({int(r["seed"]) for r in here if r["name"] != PEER and r.get("seed") is not None})
        if len(seeds) > 1:
            out.append("")
            out.append(f"Over the seeds {', '.join(map(str, seeds))} (Zellik's runs one a seed):")
            out.append("")
            out.extend(seed_table(here))
        loads = [r["load1"] for r in here]
        if loads:
            out.append("")
            out.append(f"Load average (1 min) at the runs' starts: {min(loads):.1f} to {max(loads):.1f} "
                       "on 2 cores.")
        out.append("")

    out.append("<details><summary>Every run</summary>")
    out.append("")
    out.append("| screen | program | seed | program CPU s/s | X CPU s/s | Wine CPU s/s | frames/s | "
               "first frame s | peak RSS MiB | frames via shared memory | load |")
    out.append("|---" * 11 + "|")
    def shm(r):
        n = r.get("sysv_shm_maps")
        return "–" if n is None else ("yes" if n > 0 else "no")

    for r in runs:
        def cell(key, fmt):
            v = r.get(key)
            return fmt.format(v) if v is not None else "–"
        seed = r.get("seed") if r["name"] != PEER and r.get("seed") is not None else "–"
        if "error" in r:
            out.append(f"| {r['width']}×{r['height']} | {r['name']} | {seed} | {r['error']} | | | | | | | |")
            continue
        out.append(f"| {r['width']}×{r['height']} | {r['name']} | {seed} | {cell('cpu', '{:.2f}')} | "
                   f"{cell('x_cpu', '{:.2f}')} | {cell('wine_cpu', '{:.3f}')} | {cell('fps', '{:.1f}')} | "
                   f"{cell('first_frame_s', '{:.2f}')} | {cell('rss_mib', '{:.0f}')} | {shm(r)} | {r['load1']:.1f} |")
    out.append("")
    out.append("</details>")
    print("\n".join(out))


if __name__ == "__main__":
    main()
