"""generate() against a NumPy model of the rule, on brains whose upper
layers already hold values (each generation adds into them)."""

import numpy as np
import pytest

import cerebrix
from conftest import model_generation


def random_pyramid(n, seed):
    """Random values in every layer's square, 0 outside it, as a brain the
    window has run holds them."""
    rng = np.random.default_rng(seed)
    cells = rng.integers(0, 256, size=(3, n, n, n), dtype=np.int64)
    for z in range(1, n):
        cells[:, z, :z, :] = 0
        cells[:, z, :, :z] = 0
    return cells


# Sizes on both sides of the engine's vector width and of the size from
# which it shares a generation between threads.
@pytest.mark.parametrize("n, k", [(2, 1), (3, 4), (10, 2), (33, 3), (64, 2), (170, 2)])
def test_generate_matches_the_model(n, k):
    cells = random_pyramid(n, seed=n)
    brain = cerebrix.Brain(n)
    for z in range(n):
        brain.layer(z + 1)[...] = cells[:, z, z:, z:].transpose(1, 2, 0)
    for _ in range(k):
        expected_apex = model_generation(cells)
    assert brain.generate(k=k) == expected_apex
    assert np.array_equal(brain.to_array(), cells)


def test_generations_add_into_the_last():
    # One red unit in the corner of a cleared size-10 brain, kept there:
    # the apex goes 1, 10, 55, 220, 203 (mod 256) over five generations.
    brain = cerebrix.Brain(10)
    brain.layer(1)[0, 0, 0] = 1
    assert [brain.generate()[0] for _ in range(5)] == [1, 10, 55, 220, 203]
    assert brain.generate(k=0) == (203, 0, 0)


def test_threads_sharing_a_brain_take_turns():
    import threading
    cells = random_pyramid(48, seed=7)
    cells[:, 1:] = 0
    shared = cerebrix.Brain(48)
    shared.layer(1)[...] = cells[:, 0].transpose(1, 2, 0)
    threads = [threading.Thread(target=shared.generate, kwargs={"k": 25}) for _ in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for _ in range(100):
        model_generation(cells)
    assert np.array_equal(shared.to_array(), cells)


def test_generate_lets_other_threads_run():
    # The apex changes with every generation; a thread that can look while
    # generate(k) runs on another one sees values between the first and last.
    import threading
    brain = cerebrix.Brain(120)
    brain.paint(np.random.default_rng(5).integers(0, 256, size=(120, 120, 3), dtype=np.uint8))
    apex = brain.layer(120)
    worker = threading.Thread(target=brain.generate, kwargs={"k": 1000})
    seen = set()
    worker.start()
    while worker.is_alive() and len(seen) < 5:
        seen.add(apex.tobytes())
    worker.join()
    assert len(seen) >= 5


def test_ctrl_c_stops_a_long_run_at_a_whole_generation():
    import os
    import signal
    import threading
    import time
    brain = cerebrix.Brain(60)
    brain.layer(1)[...] = 1
    reached = []
    threading.Timer(0.3, os.kill, (os.getpid(), signal.SIGINT)).start()
    start = time.monotonic()
    with pytest.raises(KeyboardInterrupt):
        brain.generate(k=10**9, progress=lambda done, k: reached.append(done))
    assert time.monotonic() - start < 2
    # The progress calls come at least 100 ms apart: two at most in 0.3 s.
    assert len(reached) <= 3


def test_a_progress_callback_that_raises_leaves_whole_generations():
    brain, again = cerebrix.Brain(50), cerebrix.Brain(50)
    for b in (brain, again):
        b.layer(1)[...] = 3
    reached = []

    def stop(done, k):
        reached.append(done)
        raise RuntimeError("enough")
    with pytest.raises(RuntimeError, match="enough"):
        brain.generate(k=10**9, progress=stop)
    again.generate(k=reached[0])
    assert brain == again
