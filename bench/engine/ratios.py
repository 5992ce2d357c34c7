#!/usr/bin/env python3
"""Ratios of one generation_bench run, from the medians of its repetitions.

    build/bench/engine/generation_bench --benchmark_repetitions=5 \\
        --benchmark_enable_random_interleaving=true --benchmark_format=json \\
        | bench/engine/ratios.py
"""
import json
import sys

SIZES = (30, 100, 200, 410)


def medians(report):
    found = {}
    for b in report["benchmarks"]:
        if b.get("aggregate_name") == "median":
            name = b["run_name"].removesuffix("/manual_time")
            found[name] = b["real_time"] / 1000.0  # microseconds -> ms
            if "vs_one_thread" in b:
                found[name + ":paired"] = b["vs_one_thread"]
    return found


def table(title, rows, m):
    print(f"\n{title}")
    print("| N | " + " | ".join(name for name, _ in rows) + " |")
    print("|---" * (len(rows) + 1) + "|")
    for n in SIZES:
        cells = []
        for _, cell in rows:
            try:
                cells.append(cell(m, n))
            except KeyError:
                cells.append("-")
        print(f"| {n} | " + " | ".join(cells) + " |")


def ms(name):
    return lambda m, n: f"{m[f'{name}/{n}']:.3f} ms"


def ratio(a, b):
    return lambda m, n: f"{m[f'{a}/{n}'] / m[f'{b}/{n}']:.2f} x"


def paired(name):
    return lambda m, n: f"{m[f'{name}/{n}:paired']:.2f} x"


def main():
    m = medians(json.load(sys.stdin))
    table("Quiet", [("engine", ms("BM_Engine")), ("one thread", ms("BM_EngineOneThread")),
                    ("one per core", ms("BM_EngineThreads")), ("memcpy", ms("BM_MemcpyPyramid")),
                    ("plain", ms("BM_Plain32")), ("in-place floor", ms("BM_InPlacePyramid")),
                    ("in place, cube rows", ms("BM_InPlaceCube")),
                    ("engine / one", ratio("BM_Engine", "BM_EngineOneThread")),
                    ("engine / one, paired", paired("BM_Engine")),
                    ("per core / one, paired", paired("BM_EngineThreads")),
                    ("engine / memcpy", ratio("BM_Engine", "BM_MemcpyPyramid")),
                    ("per core / memcpy", ratio("BM_EngineThreads", "BM_MemcpyPyramid")),
                    ("engine / in-place floor", ratio("BM_Engine", "BM_InPlacePyramid"))], m)
    table("A busy loop on every core", [("engine", ms("BM_EngineBusy")), ("one thread", ms("BM_EngineOneThreadBusy")),
                                        ("one per core", ms("BM_EngineThreadsBusy")),
                                        ("engine / one", ratio("BM_EngineBusy", "BM_EngineOneThreadBusy")),
                                        ("per core / one", ratio("BM_EngineThreadsBusy", "BM_EngineOneThreadBusy")),
                                        ("engine / one, paired", paired("BM_EngineBusy")),
                                        ("per core / one, paired", paired("BM_EngineThreadsBusy"))], m)


if __name__ == "__main__":
    main()
