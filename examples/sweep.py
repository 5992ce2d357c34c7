#!/usr/bin/env python3
"""A sweep of brains on Dask's distributed scheduler: every picture at every
size, each run for the most generations asked, with the apex after each
generation collected; the apex sequence for k generations is the first k of
it. Brains are made and painted here and shipped to the workers whole (a
brain pickles with every cell), so a worker needs only the cerebrix module.

    python3 examples/sweep.py                       # a local cluster of 2 worker processes
    python3 examples/sweep.py --scheduler tcp://host:8786
    python3 examples/sweep.py --serial              # the same sweep in this process
    python3 examples/sweep.py --sizes 20 40 --generations 1 10 100 --pictures photo.png

Pictures are image files (read with matplotlib.pyplot.imread, whose floats
paint takes as they come) or the built-in "noise", "gradient" and "dot";
each brain is painted with the picture's top-left N x N pixels. Prints one
JSON object per line: picture, size, generations and the apex sequence.
Needs Debian's python3-distributed (and python3-matplotlib for files).
"""

import argparse
import json

import numpy as np

import cerebrix


def builtin_picture(name, n):
    """The built-in pictures at size n: (n, n, 3) uint8."""
    if name == "noise":
        return np.random.default_rng(12345).integers(0, 256, size=(n, n, 3), dtype=np.uint8)
    if name == "gradient":
        ramp = np.linspace(0, 255, n).astype(np.uint8)
        return np.stack([np.tile(ramp, (n, 1)), np.tile(ramp[:, None], (1, n)), np.full((n, n), 128, np.uint8)], 2)
    if name == "dot":
        picture = np.zeros((n, n, 3), np.uint8)
        picture[0, 0] = (1, 2, 3)
        return picture
    raise ValueError(f"no built-in picture '{name}'")


def picture_at(name, n):
    """Picture `name` cut to its top-left n x n pixels."""
    if name in ("noise", "gradient", "dot"):
        return builtin_picture(name, n)
    import matplotlib.pyplot as plt
    image = plt.imread(name)
    if image.shape[0] < n or image.shape[1] < n:
        raise ValueError(f"{name} is {image.shape[1]} x {image.shape[0]} pixels, smaller than {n} x {n}")
    return image[:n, :n]


def painted_brain(picture, n):
    brain = cerebrix.Brain(n)
    brain.paint(picture_at(picture, n))
    return brain


def apex_sequence(brain, k):
    """The apex after each of k generations (on the worker)."""
    return [brain.generate() for _ in range(k)]


def sweep(pictures, sizes, generations, client=None):
    """{(picture, size, k): [apex after generation 1, ..., after k]} for
    every picture, size and k; on the client's cluster when given, else
    here, one brain after another."""
    longest = max(generations)
    runs = [(picture, n) for picture in pictures for n in sizes]
    brains = [painted_brain(picture, n) for picture, n in runs]
    if client is None:
        sequences = [apex_sequence(brain, longest) for brain in brains]
    else:
        futures = client.map(apex_sequence, brains, [longest] * len(brains), pure=False)
        sequences = client.gather(futures)
    return {(picture, n, k): [tuple(a) for a in sequence[:k]]
            for (picture, n), sequence in zip(runs, sequences) for k in generations}


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--pictures", nargs="+", default=["noise", "gradient", "dot"])
    parser.add_argument("--sizes", nargs="+", type=int, default=[10, 30])
    parser.add_argument("--generations", nargs="+", type=int, default=[1, 5, 20])
    where = parser.add_mutually_exclusive_group()
    where.add_argument("--scheduler", help="a Dask scheduler's address (default: a local cluster)")
    where.add_argument("--serial", action="store_true", help="no Dask: run every brain here")
    parser.add_argument("--workers", type=int, default=2, help="processes of the local cluster")
    args = parser.parse_args(argv)

    if args.serial:
        results = sweep(args.pictures, args.sizes, args.generations)
    else:
        from dask.distributed import Client, LocalCluster
        if args.scheduler:
            with Client(args.scheduler) as client:
                results = sweep(args.pictures, args.sizes, args.generations, client)
        else:
            with LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True,
                              dashboard_address=None) as cluster, Client(cluster) as client:
                results = sweep(args.pictures, args.sizes, args.generations, client)
    for (picture, n, k), sequence in results.items():
        print(json.dumps({"picture": picture, "size": n, "generations": k, "apex": sequence}))


if __name__ == "__main__":
    main()
