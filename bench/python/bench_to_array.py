#!/usr/bin/env python3
"""to_array() against a NumPy copy of the same number of bytes, in the same
run: at N = 410 a brain's (3, N, N, N) cells are 207 MB. Each round times
to_array() and numpy.copy of a packed array of that shape, in turns (the
order alternating), each into fresh memory as to_array() has it. Reported:
the medians of wall-clock time, their ratio and the median of each round's
ratio; also that numpy.asarray(brain) is to_array().

Usage (from the source tree, after a build):
    PYTHONPATH=build/python /usr/bin/python3 bench/python/bench_to_array.py [--rounds 9] [--size 410]
"""

import argparse
import statistics
import time

import numpy as np

import cerebrix


def timed(call):
    start = time.perf_counter()
    result = call()
    return time.perf_counter() - start, result


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=9)
    parser.add_argument("--size", type=int, default=410)
    args = parser.parse_args()
    n = args.size
    brain = cerebrix.Brain(n)
    rng = np.random.default_rng(1)
    brain.paint(rng.integers(0, 256, size=(n, n, 3), dtype=np.uint8))
    brain.generate(k=3)
    same = rng.integers(0, 256, size=(3, n, n, n), dtype=np.uint8)
    print(f"N = {n}: {same.nbytes / 1e6:.0f} MB, {args.rounds} rounds")

    ours, numpy = [], []
    for r in range(args.rounds):
        for side in ((0, 1) if r % 2 == 0 else (1, 0)):
            if side == 0:
                seconds, cells = timed(brain.to_array)
                ours.append(seconds)
            else:
                seconds, cells = timed(same.copy)
                numpy.append(seconds)
            del cells
    assert np.array_equal(np.asarray(brain), brain.to_array())
    paired = statistics.median(o / c for o, c in zip(ours, numpy))
    print(f"{'medians':12} {'to_array':>10} {'numpy copy':>11} {'ratio of medians':>17} {'median ratio':>13}")
    print(f"{'wall':12} {statistics.median(ours) * 1e3:7.0f} ms {statistics.median(numpy) * 1e3:8.0f} ms"
          f" {statistics.median(ours) / statistics.median(numpy):15.2f} x {paired:11.2f} x")


if __name__ == "__main__":
    main()
