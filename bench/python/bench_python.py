#!/usr/bin/env python3
"""The Python module against the C++ it wraps, in the same run: load() of a
brain file and generate(k=100) at N = 410, against the reader and 100
engine generations timed by bench/python/baseline.cpp in a process of its
own. The two sides take turns, round by round, so that both see the same
machine. Reported: medians of wall-clock time and of process CPU time (all
threads; the steadier of the two on a shared machine), the ratio of the
medians and the median of each round's ratio. Also checks that layer()
hands out the brain's memory, not a copy.

Usage (from the source tree, after a build):
    PYTHONPATH=build/python /usr/bin/python3 bench/python/bench_python.py \
        [--build build] [--rounds 9] [--size 410] [-k 100]
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build")
    parser.add_argument("--rounds", type=int, default=9)
    parser.add_argument("--size", type=int, default=410)
    parser.add_argument("-k", type=int, default=100)
    args = parser.parse_args()
    sys.path.insert(0, os.path.join(args.build, "python"))
    import cerebrix

    baseline = os.path.join(args.build, "bench", "python", "python_baseline")
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "bench.brain")
        # A brain as the window leaves it: a picture painted, generated a few times.
        brain = cerebrix.Brain(args.size)
        rng = np.random.default_rng(1)
        brain.paint(rng.integers(0, 256, size=(args.size, args.size, 3), dtype=np.uint8))
        brain.generate(k=3)
        view = brain.layer(1)
        same = view.__array_interface__["data"][0] == brain.layer(1).__array_interface__["data"][0]
        print(f"layer(1) is a view of the brain's memory, no copy: {same and view.base is brain}")
        brain.save(path)
        del brain, view
        print(f"file: {os.path.getsize(path) / 1e6:.0f} MB, N = {args.size}, k = {args.k}, "
              f"{args.rounds} rounds")

        times = {f"{side}_{what}_{clock}": [] for side in ("cpp", "py") for what in ("load", "gen")
                 for clock in ("wall", "cpu")}
        for r in range(args.rounds):
            sides = [cpp_side, py_side] if r % 2 == 0 else [py_side, cpp_side]
            apexes = [side(times, path, args.k, baseline, cerebrix) for side in sides]
            assert apexes[0] == apexes[1], apexes

    med = {name: statistics.median(v) for name, v in times.items()}
    print(f"{'medians':22} {'C++':>9} {'Python':>9} {'ratio of medians':>17} {'median ratio':>13}")
    for what, label in [("load", "load"), ("gen", f"generate {args.k}")]:
        for clock in ("wall", "cpu"):
            cpp, py = times[f"cpp_{what}_{clock}"], times[f"py_{what}_{clock}"]
            paired = statistics.median(p / c for p, c in zip(py, cpp))
            print(f"{label + ', ' + clock:22} {statistics.median(cpp) * 1e3:6.0f} ms {statistics.median(py) * 1e3:6.0f} ms"
                  f" {statistics.median(py) / statistics.median(cpp):15.3f} x {paired:11.3f} x")


def cpp_side(times, path, k, baseline, _):
    out = subprocess.run([baseline, path, str(k)], check=True, capture_output=True, text=True).stdout.split()
    for name, value in zip(("load_wall", "gen_wall", "load_cpu", "gen_cpu"), out):
        times["cpp_" + name].append(float(value))
    return tuple(int(v) for v in out[4:])


def py_side(times, path, k, _, cerebrix):
    cpu_start, start = time.process_time(), time.perf_counter()
    brain = cerebrix.load(path)
    loaded, cpu_loaded = time.perf_counter(), time.process_time()
    apex = brain.generate(k=k)
    done, cpu_done = time.perf_counter(), time.process_time()
    times["py_load_wall"].append(loaded - start)
    times["py_gen_wall"].append(done - loaded)
    times["py_load_cpu"].append(cpu_loaded - cpu_start)
    times["py_gen_cpu"].append(cpu_done - cpu_loaded)
    return apex


if __name__ == "__main__":
    main()
