"""Cerebrix brains from Python: the window's engine, reader and writer, with
the cells as NumPy arrays. See help(cerebrix.Brain)."""

import os as _os
import shutil as _shutil
import struct as _struct
import tempfile as _tempfile
import zlib as _zlib

from . import _cerebrix
from ._cerebrix import Brain, __doc__, __version__  # noqa: F401

__all__ = ["Brain", "load", "__version__"]

# The compiled half holds the engine and the file's reader and writer; what
# follows turns what a Python user has at hand (path-likes, file objects,
# pictures of any dtype, pickles) into what it takes. Pickles name
# cerebrix.Brain, not the compiled module's.
Brain.__module__ = "cerebrix"


def _name(path):
    """A path as the system spells it: bytes, str or os.PathLike."""
    name = _os.fsencode(path)
    if b"\0" in name:
        raise ValueError("a file name cannot hold a NUL byte (was the file's contents passed as its name?)")
    return name


def load(file):
    """load(file) -> Brain

    Reads a .brain file with the window's Load panel reader: the whole file
    is read and checked, and either a complete brain comes back or nothing
    does. file is a str, bytes or os.PathLike name, or a binary file object
    (io.BytesIO, open(name, "rb")) read from where it stands to its end.
    ValueError with the reader's message for a file it refuses, OSError for
    what the system refuses (FileNotFoundError, PermissionError...) with the
    name in filename, MemoryError when the brain does not fit. Releases the
    GIL."""
    if hasattr(file, "read"):
        data = file.read()
        if not isinstance(data, (bytes, bytearray, memoryview)):
            raise TypeError("load takes a binary file object, not a text one: open it with \"rb\"")
        name = getattr(file, "name", None)
        name = _os.fsencode(name) if isinstance(name, (str, bytes)) else type(file).__name__.encode()
        return _cerebrix._load_text(bytes(data), name)
    return _cerebrix._load(_name(file))


def _save(self, file):
    """save(file) -> None

    Writes the brain as a .brain file with the window's one writer. file is
    a str, bytes or os.PathLike name: the whole file takes the old one's
    place, or on failure the old one is untouched and nothing is left
    behind; no extension is added. Or a binary file object (io.BytesIO,
    open(name, "wb")): the file is written whole beside the system's
    temporary files first, then copied into it. ValueError for what the
    writer refuses, OSError for what the system refuses (a missing folder,
    a read-only target...) with the name in filename. Releases the GIL."""
    if hasattr(file, "write"):
        with _tempfile.TemporaryDirectory(prefix="cerebrix-") as folder:
            path = _os.path.join(folder, "brain.brain")
            self._save(_os.fsencode(path))
            with open(path, "rb") as written:
                _shutil.copyfileobj(written, file, 1 << 20)
        return
    self._save(_name(file))


def _as_bytes(values, what):
    """Integers 0..255 of any integer dtype, or floats in [0, 1], as uint8."""
    import numpy as np

    a = np.asarray(values)
    if a.dtype == np.uint8:
        return a
    if a.dtype == np.bool_ or np.issubdtype(a.dtype, np.integer):
        if a.size and (a.min() < 0 or a.max() > 255):
            raise ValueError(f"{what} of dtype {a.dtype} must hold 0..255, not {a.min()}..{a.max()}"
                             " (scale 16-bit pictures down first, e.g. a >> 8)")
        return a.astype(np.uint8)
    if np.issubdtype(a.dtype, np.floating):
        if a.size and not (np.isfinite(a).all() and a.min() >= 0 and a.max() <= 1):
            raise ValueError(f"{what} of dtype {a.dtype} must hold values in [0, 1]")
        return np.rint(a * 255).astype(np.uint8)
    raise ValueError(f"{what} must be of an integer or floating dtype, not {a.dtype}")


def _paint(self, image):
    """paint(image) -> None

    A picture of N x N pixels becomes the input layer, as sampling the
    window's canvases painted with those pixels would make it; the layers
    above keep their values until the next generate(). The picture is an
    array indexed [y, x] or [y, x, channel], as matplotlib.pyplot.imread and
    numpy.asarray(PIL.Image) give it:

    - (N, N, 3) RGB; (N, N, 4) RGBA, whose alpha is dropped as cerebrix-cli
      new --from-image drops it, so both make the same layer; (N, N) grey.
    - uint8 as it stands; any other integer dtype (or bool) holding 0..255;
      floats in [0, 1], scaled by 255 and rounded to the nearest integer.

    Any strides are accepted (a view of a layer, a slice). ValueError,
    saying what was expected, for anything else."""
    import numpy as np

    a = np.asarray(image)
    n = self.size
    if a.ndim == 2 and a.shape == (n, n):
        a = a[:, :, np.newaxis].repeat(3, axis=2)
    elif a.ndim == 3 and a.shape[:2] == (n, n) and a.shape[2] == 4:
        a = a[:, :, :3]
    if a.shape != (n, n, 3):
        raise ValueError(f"paint takes an ({n}, {n}, 3) RGB, ({n}, {n}, 4) RGBA or ({n}, {n}) grey picture"
                         f" for a brain of size {n}, not a {a.shape} {a.dtype} array")
    self._paint(_as_bytes(a, "a picture"))


def _from_array(cls, cells, colour=(128, 128, 128), mover=(0, 0, 1, 1)):
    """Brain.from_array(cells, colour=(128, 128, 128), mover=(0, 0, 1, 1)) -> Brain

    A brain holding `cells`, a (3, N, N, N) array [channel, z, y, x] as
    to_array() and numpy.asarray(brain) give it (any integer dtype holding
    0..255), with the drawing colour and maze-mover given. So
    Brain.from_array(b.to_array(), b.colour, b.mover) == b. ValueError for
    another shape or values outside 0..255."""
    import numpy as np

    a = np.asarray(cells)
    if a.ndim != 4 or a.shape[0] != 3 or not a.shape[1] == a.shape[2] == a.shape[3]:
        raise ValueError(f"from_array takes a (3, N, N, N) array [channel, z, y, x], not a {a.shape} array")
    if not (a.dtype == np.bool_ or np.issubdtype(a.dtype, np.integer)):
        raise ValueError(f"from_array takes integer cells 0..255, not {a.dtype}")
    brain = cls(a.shape[1])
    brain.colour = tuple(colour)
    brain.mover = tuple(mover)
    brain._set_cells(np.ascontiguousarray(_as_bytes(a, "the cells")))
    return brain


def _rebuilt(cells, colour, mover):
    return Brain.from_array(cells, colour, mover)


def _reduce(self):
    return (_rebuilt, (self.to_array(), self.colour, self.mover))


def _eq(self, other):
    if not isinstance(other, Brain):
        return NotImplemented
    if self is other:
        return True
    import numpy as np

    return (self.size == other.size and self.colour == other.colour and self.mover == other.mover
            and np.array_equal(self.to_array(), other.to_array()))


def _copied(self, memo=None):
    # A brain owns its cells: a copy that shared them would be a view, which
    # layer() already gives. So copy.copy copies them too.
    return Brain.from_array(self.to_array(), self.colour, self.mover)


def _array(self, dtype=None, copy=None):
    if copy is False:
        raise ValueError("a brain's cells are not one array: numpy.asarray(brain) is always a copy")
    a = self.to_array()
    return a if dtype is None else a.astype(dtype, copy=False)


def _png(pixels):
    """An (H, W, 3) uint8 array as the bytes of an 8-bit RGB PNG."""
    h, w, _ = pixels.shape
    raw = b"".join(b"\0" + pixels[y].tobytes() for y in range(h))

    def chunk(kind, data):
        return _struct.pack(">I", len(data)) + kind + data + _struct.pack(">I", _zlib.crc32(kind + data))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", _struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", _zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def _picture(self):
    """The notebook's picture: the input layer, the middle layer's square and
    the apex, side by side as the window shows them, bottom-aligned with a
    white gap, each cell a block of the same size. The input is what was
    painted and the apex is the output; the middle layer shows how far the
    pattern has spread. Every layer side by side would be too wide to read
    at any size worth generating."""
    import numpy as np

    n = self.size
    scale = max(1, min(256 // n, 16384 // n))
    layers = sorted({1, (n + 1) // 2, n})
    squares = []
    for layer in layers:
        z = layer - 1
        squares.append(self.render(layer=layer, scale=scale)[z * scale:, z * scale:])
    gap = np.full((n * scale, max(4, scale), 3), 255, np.uint8)
    parts = []
    for square in squares:
        padded = np.full((n * scale, square.shape[1], 3), 255, np.uint8)
        padded[n * scale - square.shape[0]:] = square
        parts += [padded, gap]
    return np.concatenate(parts[:-1], axis=1)


def _repr_png(self):
    return _png(_picture(self))


Brain.save = _save
Brain.paint = _paint
Brain.from_array = classmethod(_from_array)
Brain.__reduce__ = _reduce
Brain.__eq__ = _eq
Brain.__hash__ = None  # mutable, and equal brains are not the same brain
Brain.__copy__ = _copied
Brain.__deepcopy__ = _copied
Brain.__array__ = _array
Brain._repr_png_ = _repr_png
