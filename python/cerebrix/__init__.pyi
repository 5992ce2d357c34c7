"""Cerebrix brains from Python: the window's engine, reader and writer, with
the cells as NumPy arrays. Layer numbers in layer() and render() count from
1 (the input layer) as the window's caption does; to_array() is zero-based."""

import os
from typing import IO, Any, Callable, Dict, Optional, Tuple, Union

import numpy as np
import numpy.typing as npt

__version__: str

_Name = Union[str, bytes, os.PathLike[str], os.PathLike[bytes]]
_Cells = npt.NDArray[np.uint8]

class Brain:
    """A brain: its size N, the drawing colour and maze-mover it is saved
    with, and N x N x N cells of three channels, 0..255."""

    def __init__(self, size: int = 30) -> None:
        """A fresh brain as the window makes one at start: every cell 0,
        colour (128, 128, 128), the maze-mover at (0, 0) moving right and
        down. ValueError below size 2, MemoryError when it does not fit."""
    @classmethod
    def from_array(cls, cells: npt.ArrayLike, colour: Tuple[int, int, int] = (128, 128, 128),
                   mover: Tuple[int, int, int, int] = (0, 0, 1, 1)) -> "Brain":
        """A brain holding cells, a (3, N, N, N) integer array [channel, z,
        y, x] of 0..255 as to_array() gives it."""
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
    def __array__(self, dtype: Optional[npt.DTypeLike] = None, copy: Optional[bool] = None) -> _Cells:
        """numpy.asarray(brain): to_array(), always a copy."""
    def paint(self, image: npt.ArrayLike) -> None:
        """An (N, N, 3) RGB, (N, N, 4) RGBA (alpha dropped) or (N, N) grey
        picture [y, x, channel] becomes the input layer, as sampling would
        make it: uint8 as is, other integer dtypes holding 0..255, floats in
        [0, 1] scaled by 255 and rounded. ValueError for anything else."""
    def generate(self, k: int = 1, *, progress: Optional[Callable[[int, int], object]] = None) -> Tuple[int, int, int]:
        """k generations with the window's engine; the apex (r, g, b) after
        the last (k = 0: the apex cell as it stands). Ctrl-C raises
        KeyboardInterrupt at a whole generation; progress(done, k) is called
        at most every 100 ms. Releases the GIL."""
    def save(self, file: Union[_Name, IO[bytes]]) -> None:
        """The window's one writer: the whole file in place, or the old one
        untouched; or into a binary file object. ValueError or OSError (with
        filename) with the writer's message."""
    def render(self, layer: int = 1, scale: int = 1) -> _Cells:
        """(N*scale, N*scale, 3) uint8 RGB: layer number `layer` as the
        window shows it, exactly the picture `cerebrix-cli render` writes."""
    def __eq__(self, other: object) -> bool:
        """The same size, colour, mover and every cell."""
    def __copy__(self) -> "Brain": ...
    def __deepcopy__(self, memo: Optional[Dict[int, Any]] = None) -> "Brain": ...
    def _repr_png_(self) -> bytes:
        """The input layer, the middle layer and the apex as a PNG."""

def load(file: Union[_Name, IO[bytes]]) -> Brain:
    """The Load panel's reader, from a name or a binary file object: a
    complete, checked brain or an exception (ValueError for a refused file,
    OSError with filename for the system's errors, MemoryError). Releases
    the GIL."""
