"""What a NumPy user expects of a brain: equality, copies and pickles that
hold every cell, arrays both ways, pictures of any dtype, a picture in a
notebook."""

import copy
import pickle

import numpy as np
import pytest

import cerebrix
from conftest import read_png


def busy_brain(n=12, seed=4):
    """A brain with values everywhere, the cells outside the pyramid too."""
    cells = np.random.default_rng(seed).integers(0, 256, size=(3, n, n, n))
    return cerebrix.Brain.from_array(cells, colour=(1, 2, 3), mover=(5, 6, -1, 1)), cells


def test_from_array_and_back():
    brain, cells = busy_brain()
    assert np.array_equal(brain.to_array(), cells)
    assert np.array_equal(np.asarray(brain), cells)
    assert (brain.colour, brain.mover) == ((1, 2, 3), (5, 6, -1, 1))
    with pytest.raises(ValueError, match="0..255"):
        cerebrix.Brain.from_array(cells + 1)
    with pytest.raises(ValueError, match=r"\(3, N, N, N\)"):
        cerebrix.Brain.from_array(cells[:, :, :-1])


@pytest.mark.parametrize("again", [
    copy.copy, copy.deepcopy,
    lambda b: pickle.loads(pickle.dumps(b, protocol=pickle.HIGHEST_PROTOCOL)),
])
def test_copies_hold_the_whole_brain_and_are_their_own(again):
    brain, cells = busy_brain()
    other = again(brain)
    assert type(other) is cerebrix.Brain and other == brain and other is not brain
    other.layer(1)[0, 0, 0] ^= 1
    assert other != brain and np.array_equal(brain.to_array(), cells)


@pytest.mark.parametrize("change", [
    lambda b: setattr(b, "colour", (1, 2, 4)),
    lambda b: setattr(b, "mover", (5, 6, 1, 1)),
    lambda b: b.generate(),
])
def test_equality_sees_the_header_and_the_cells(change):
    brain, _ = busy_brain()
    other = copy.copy(brain)
    change(other)
    assert other != brain


RGB = np.random.default_rng(2).integers(0, 256, size=(16, 16, 3), dtype=np.uint8)


@pytest.mark.parametrize("picture", [
    RGB.astype(np.int64),
    RGB.astype(np.uint16),
    RGB.astype(np.float32) / 255,           # matplotlib.pyplot.imread
    np.dstack([RGB, np.full((16, 16), 7, np.uint8)]),   # RGBA: the alpha is dropped
    np.asfortranarray(RGB),
])
def test_paint_takes_what_imread_and_pillow_give(picture):
    expected, brain = cerebrix.Brain(16), cerebrix.Brain(16)
    expected.paint(RGB)
    brain.paint(picture)
    assert brain == expected


@pytest.mark.parametrize("picture, match", [
    (RGB.astype(np.int64) * 2, "0..255"),
    (RGB.astype(np.float64), r"\[0, 1\]"),
    (RGB[:15], r"\(16, 16, 3\)"),
])
def test_paint_refuses_what_it_cannot_read(picture, match):
    with pytest.raises(ValueError, match=match):
        cerebrix.Brain(16).paint(picture)


def test_a_brain_shows_itself_as_a_png(tmp_path):
    brain, _ = busy_brain()
    png = tmp_path / "b.png"
    png.write_bytes(brain._repr_png_())
    picture = read_png(png)
    # The input layer as render() shows it, at the left.
    scale = picture.shape[0] // brain.size
    assert np.array_equal(picture[:, :brain.size * scale], brain.render(1, scale))


def test_the_version_is_the_programs(cli):
    import subprocess
    from conftest import CLI
    out = subprocess.run([CLI, "--version"], capture_output=True, text=True).stdout
    assert out.split()[1] == cerebrix.__version__
