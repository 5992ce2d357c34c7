"""paint() against the program sampling the same pixels, render() against
cerebrix-cli render's PNG, and the arguments both refuse."""

import numpy as np
import pytest

import cerebrix
from conftest import read_png, write_png


@pytest.mark.parametrize("n, width, height", [(10, 10, 10), (17, 40, 25)])
def test_paint_samples_as_the_program_does(tmp_path, cli, n, width, height):
    # cerebrix-cli new --from-image paints the image's top-left N x N pixels
    # on the window's canvases, samples them and runs one generation.
    rng = np.random.default_rng(n)
    image = rng.integers(0, 256, size=(height, width, 3), dtype=np.uint8)
    write_png(tmp_path / "in.png", image)
    cli("new", "--size", n, "--from-image", tmp_path / "in.png", "-o", tmp_path / "cli.brain")
    brain = cerebrix.Brain(n)
    brain.paint(image[:n, :n])
    assert np.array_equal(brain.layer(1), image[:n, :n])
    brain.generate()
    assert np.array_equal(brain.to_array(), cerebrix.load(tmp_path / "cli.brain").to_array())


@pytest.mark.parametrize("layer, scale", [(1, 1), (4, 3), (9, 1), (13, 2)])
def test_render_is_cerebrix_cli_renders_picture(tmp_path, cli, layer, scale):
    rng = np.random.default_rng(layer)
    brain = cerebrix.Brain(13)
    brain.paint(rng.integers(0, 256, size=(13, 13, 3), dtype=np.uint8))
    brain.generate(k=2)
    brain.save(tmp_path / "b.brain")
    cli("render", tmp_path / "b.brain", "--layer", layer, "--scale", scale, "-o", tmp_path / "b.png")
    picture = brain.render(layer=layer, scale=scale)
    assert picture.shape == (13 * scale, 13 * scale, 3) and picture.dtype == np.uint8
    assert np.array_equal(picture, read_png(tmp_path / "b.png"))


@pytest.mark.parametrize("call, message", [
    (lambda b: b.paint(np.full((6, 6, 3), 2.0)), r"float64 must hold values in \[0, 1\]"),
    (lambda b: b.paint(np.zeros((6, 6, 5), np.uint8)), r"not a \(6, 6, 5\) uint8"),
    (lambda b: b.paint(np.zeros((7, 6, 3), np.uint8)), r"\(6, 6, 3\) RGB.* not a \(7, 6, 3\) uint8"),
    (lambda b: b.paint(np.zeros(108, np.uint8)), r"not a \(108,\) uint8"),
    (lambda b: b.layer(0), "the layer must be 1 to 6"),
    (lambda b: b.render(layer=7), "the layer must be 1 to 6"),
    (lambda b: b.render(scale=0), "the scale must be 1 to 2730"),
    (lambda b: b.generate(k=-1), "0 or more"),
    (lambda b: setattr(b, "colour", (0, 256, 0)), "green component is 256"),
    (lambda b: setattr(b, "mover", (0, 0, 0, 1)), "must be 1 or -1"),
    (lambda b: cerebrix.Brain(1), "below the smallest brain size, 2"),
])
def test_wrong_arguments_say_what_was_expected(call, message):
    brain = cerebrix.Brain(6)
    before = brain.to_array()
    with pytest.raises(ValueError, match=message):
        call(brain)
    assert np.array_equal(brain.to_array(), before)
    assert (brain.colour, brain.mover) == ((128, 128, 128), (0, 0, 1, 1))
