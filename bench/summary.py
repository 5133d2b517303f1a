#!/usr/bin/env python3
"""Prints the goal table of `make bench` from Google Benchmark JSON files.

Every benchmark times its target and its reference in the same run,
alternately, and reports the medians (target_us, reference_us) and the median
of the per-pair ratios; this table takes the median over the repetitions.
"""
import json
import sys

# benchmark name prefix -> (what, goal text, check(measured counters) -> bool or None)
GOALS = [
    ("BM_PointerMoveWhileDragging", "pointer move while dragging, event to frame on screen",
     "median <= 0.3 ms, 1 frame", lambda c: c["target_us"] <= 300 and c.get("frames_per_move", 1) <= 1.0),
    ("BM_FolderChange/10000", "folder change, 10,000 files", "<= 25 ms",
     lambda c: c["target_us"] <= 25000),
    ("BM_FolderChange/50000", "folder change, 50,000 files", "<= 150 ms, <= 40 MB",
     lambda c: c["target_us"] <= 150000 and c.get("peak_MB", 0) <= 40),
    ("BM_Encode256VsLinearScan", "256-colour encoding, sample view in 224 colours",
     ">= 20x linear scan", lambda c: c["ratio"] >= 20),
    ("BM_StartUp", "start-up before the boot timer, sample folder", "<= 50 ms",
     lambda c: c["target_us"] <= 50000),
    ("BM_ExportFullScene", "export of a full scene", "reported", None),
    ("BM_BatchRender1000", "tarn render, 1,000 scenes to BMP, every core", "<= 2 s",
     lambda c: c["target_us"] <= 2_000_000),
    ("BM_Dungeon20x20/flatten:0", "tarn dungeon, 20 x 20 maze (1,600 views)", "<= 1 s, <= 200 MB",
     lambda c: c["target_us"] <= 1_000_000 and c.get("peak_MB", 0) <= 200),
    ("BM_Dungeon20x20/flatten:1", "tarn dungeon --flatten, the same maze", "<= 3 s, <= 200 MB",
     lambda c: c["target_us"] <= 3_000_000 and c.get("peak_MB", 0) <= 200),
    ("BM_RecomposeVsPerPixel", "recompose, full scene", "faster than per pixel", lambda c: c["ratio"] > 1),
    ("BM_RecomposeVsMemcpyFloor", "recompose, full scene", "near the copy floor", None),
    ("BM_JpegPreviewVsDurable/progressive:0", "JPEG preview (scratch file)", "reported", None),
]

REFERENCES = {
    "BM_PointerMoveWhileDragging": "floor: recompose + one copy",
    "BM_FolderChange": "floor: readdir of the names",
    "BM_Encode256VsLinearScan": "linear palette scan",
    "BM_StartUp": "boot screen alone",
    "BM_ExportFullScene": "copying the terrain bitmaps",
    "BM_BatchRender1000": "one scene at a time, parts read and files flushed per scene",
    "BM_Dungeon20x20": "the single-view export run once per view, parts read and files flushed each time",
    "BM_RecomposeVsPerPixel": "per-pixel reference",
    "BM_RecomposeVsMemcpyFloor": "memcpy of the bytes read",
    "BM_JpegPreviewVsDurable": "the same file flushed to disk",
}


def medians(paths):
    rows = {}
    for path in paths:
        try:
            with open(path) as f:
                data = json.load(f)
        except (OSError, ValueError) as e:
            print(f"(no results in {path}: {e})")
            continue
        for b in data.get("benchmarks", []):
            name = b.get("run_name", b["name"]).replace("/manual_time", "")
            if b.get("error_occurred"):
                rows[name] = {"error": b.get("error_message", "error")}
            elif b.get("aggregate_name", "median") == "median" and "target_us" in b:
                rows[name] = b
    return rows


def shown(us):
    return f"{us / 1000:.2f} ms" if us >= 1000 else f"{us:.0f} us"


def main(paths):
    rows = medians(paths)
    print()
    print(f"{'measure':52} {'goal':26} {'measured':>10} {'reference':>10} {'ratio':>7}  met")
    for prefix, what, goal, check in GOALS:
        c = next((v for k, v in rows.items() if k.startswith(prefix)), None)
        if c is None:
            print(f"{what:52} {goal:26} {'not run':>10}")
            continue
        if "error" in c:
            print(f"{what:52} {goal:26} {'skipped':>10}  ({c['error']})")
            continue
        extra = ""
        if "frames_per_move" in c:
            extra = f"  {c['frames_per_move']:.2f} frames/move"
            if "delivery_us" in c:
                extra += ("  (event " + ", ".join(
                    f"{k} {c[k + '_us']:.0f}" for k in ("delivery", "handling", "frame", "server")) + " us)")
        if "peak_MB" in c:
            extra = f"  peak +{c['peak_MB']:.1f} MB"
        met = "-" if check is None else ("yes" if check(c) else "NO")
        print(f"{what:52} {goal:26} {shown(c['target_us']):>10} {shown(c['reference_us']):>10} "
              f"{c['ratio']:6.2f}x  {met}{extra}")
    print()
    print("reference of each ratio: " + "; ".join(f"{k[3:]}: {v}" for k, v in REFERENCES.items()))
    print("ratio: reference/target for a slower way, target/reference for a floor")


if __name__ == "__main__":
    main(sys.argv[1:])
