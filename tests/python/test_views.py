"""layer() views: where they look, that they are the brain's own memory, and
that they keep the brain alive."""

import gc

import numpy as np
import pytest

import cerebrix


def address(a):
    return a.__array_interface__["data"][0]


@pytest.mark.parametrize("n", [2, 7, 30])
def test_each_layer_view_is_that_layers_square(n):
    brain = cerebrix.Brain(n)
    for layer in range(1, n + 1):
        z = layer - 1
        view = brain.layer(layer)
        assert view.shape == (n - z, n - z, 3) and view.dtype == np.uint8
        # Distinct values per cell and channel, written through the view.
        values = (np.arange(view.size).reshape(view.shape) * 7 + layer) % 256
        view[...] = values
        assert np.array_equal(brain.to_array()[:, z, z:, z:], values.transpose(2, 0, 1))
        # No copy: the same memory every time it is asked for.
        assert address(brain.layer(layer)) == address(view)
        assert np.shares_memory(brain.layer(layer), view)
    # Nothing outside the squares was touched.
    cells = brain.to_array()
    for z in range(1, n):
        assert not cells[:, z, :z, :].any() and not cells[:, z, :, :z].any()


def test_a_view_sees_generations_and_outlives_its_brain():
    brain = cerebrix.Brain(12)
    brain.layer(1)[3, 4] = (10, 20, 30)
    top = brain.layer(12)
    apex = brain.generate(k=2)
    assert tuple(top[0, 0]) == apex
    second = brain.layer(2)
    del brain
    gc.collect()
    assert isinstance(second.base, cerebrix.Brain)
    before = second.copy()
    second[...] = 255
    assert tuple(top[0, 0]) == apex and not np.array_equal(before, second)
    assert second.base.to_array()[:, 1, 1:, 1:].min() == 255


def test_a_view_can_be_painted_back():
    brain = cerebrix.Brain(9)
    brain.layer(1)[...] = np.arange(9 * 9 * 3, dtype=np.uint8).reshape(9, 9, 3)
    flipped = brain.layer(1)[::-1, ::-1].copy()
    brain.paint(brain.layer(1)[::-1, ::-1])
    assert np.array_equal(brain.layer(1), flipped)
