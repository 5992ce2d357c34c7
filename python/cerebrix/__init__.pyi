"""Cerebrix brains from Python: the window's engine, reader and writer, with
the cells as NumPy arrays. Layer numbers in layer() and render() count from
1 (the input layer) as the window's caption does; to_array() is zero-based."""

import os
from typing import Tuple, Union

import numpy as np
import numpy.typing as npt

_Path = Union[str, os.PathLike[str]]
_Cells = npt.NDArray[np.uint8]

class Brain:
    """A brain: its size N, the drawing colour and maze-mover it is saved
    with, and N x N x N cells of three channels, 0..255."""

    def __init__(self, size: int = 30) -> None:
        """A fresh brain as the window makes one at start: every cell 0,
        colour (128, 128, 128), the maze-mover at (0, 0) moving right and
        down. ValueError below size 2, MemoryError when it does not fit."""
    @property
    def size(self) -> int:
        """N: cells per row of the input layer, rows, and layers."""
    @property
    def colour(self) -> Tuple[int, int, int]:
        """The drawing colour saved with the brain, each component 0..255."""
    @colour.setter
    def colour(self, value: Tuple[int, int, int]) -> None: ...
    @property
    def mover(self) -> Tuple[int, int, int, int]:
        """The maze-mover: (x, y, step_x, step_y), directions 1 or -1."""
    @mover.setter
    def mover(self, value: Tuple[int, int, int, int]) -> None: ...
    def layer(self, layer: int) -> _Cells:
        """Layer number `layer`'s square (1 = the input layer) as a
        (N-layer+1, N-layer+1, 3) uint8 view [y, x, channel]; no copy, and
        the brain lives as long as the view."""
    def to_array(self) -> _Cells:
        """A copy of every cell, (3, N, N, N) uint8 [channel, z, y, x],
        zero-based: a[:, 0] is the input layer."""
    def paint(self, image: _Cells) -> None:
        """An (N, N, 3) uint8 array [y, x, channel] becomes the input layer,
        as sampling would make it. ValueError for another shape or dtype."""
    def generate(self, k: int = 1) -> Tuple[int, int, int]:
        """k generations with the window's engine; the apex (r, g, b) after
        the last (k = 0: the apex cell as it stands). Releases the GIL."""
    def save(self, path: _Path) -> None:
        """The window's one writer: the whole file in place, or the old one
        untouched. ValueError or OSError with the writer's message."""
    def render(self, layer: int = 1, scale: int = 1) -> _Cells:
        """(N*scale, N*scale, 3) uint8 RGB: layer number `layer` as the
        window shows it, exactly the picture `cerebrix-cli render` writes."""

def load(path: _Path) -> Brain:
    """The Load panel's reader: a complete, checked brain or an exception
    (ValueError for a refused file, OSError for the system's errors,
    MemoryError). Releases the GIL."""
