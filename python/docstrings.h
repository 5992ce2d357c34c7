#pragma once
// What help(cerebrix) says: the module's words for a reader at a notebook.

namespace {

constexpr const char* kModuleDoc = R"(Cerebrix brains from Python.

A brain is a stack of N square layers of RGB cells; every layer above the
input layer is computed from the 2 x 2 block below plus its own previous
value, modulo 256, narrowing to one apex cell whose colour is the output.
This module runs the same engine, .brain reader and writer as the Cerebrix
window and cerebrix-cli, with the cells as NumPy arrays.

Layer numbers in layer() and render() count as the window's caption and
cerebrix-cli count them: 1 is the input layer, N the apex. Indices into
to_array() are zero-based: a[:, 0] is the input layer.

Errors: ValueError for a refused file or argument, OSError (its subclasses
FileNotFoundError, PermissionError...) with the name in filename for what
the system refused, MemoryError when a brain does not fit in memory; each
with the reader's or writer's own message, names shortened in the middle.

    >>> import cerebrix
    >>> b = cerebrix.Brain(10)
    >>> b.generate(k=3)
    (0, 0, 0)
)";

constexpr const char* kBrainDoc = R"(A brain: its size N, the drawing colour and the maze-mover it is saved
with, and its N x N x N cells of three channels (red, green, blue), 0..255.

Operations on one brain from several threads run one at a time; a view
from layer() is the brain's memory itself and is not guarded.)";

constexpr const char* kInitDoc = R"(Brain(size=30)

A fresh brain as the window makes one at start: every cell 0, the drawing
colour mid-grey (128, 128, 128), the maze-mover at (0, 0) moving right and
down. ValueError for a size below 2, MemoryError when it does not fit.)";

constexpr const char* kSizeDoc = "N: cells per row of the input layer, rows, and layers (always equal).";

constexpr const char* kColourDoc = R"(The drawing colour saved with the brain, (red, green, blue), each 0..255.
Settable; a component outside 0..255 is a ValueError.)";

constexpr const char* kMoverDoc = R"(The maze-mover saved with the brain: (x, y, step_x, step_y), its column
and row relative to the grid's top-left cell and its horizontal and
vertical direction, each 1 or -1 (1 is right, and down). Settable; a
direction other than 1 or -1 is a ValueError.)";

constexpr const char* kLayerDoc = R"(layer(layer) -> numpy.ndarray

The square of a layer that generations compute, as a (N-z, N-z, 3) uint8
array indexed [y, x, channel] for layer number layer = z + 1; layer 1 is
the input layer (N x N), layer N the apex (1 x 1). A view, not a copy:
writing into it changes the brain, it sees every later change, and the
brain stays alive while the view does. Its strides follow the brain's
memory, so use numpy.ascontiguousarray for a packed copy.
ValueError for a layer outside 1..N.)";

constexpr const char* kToArrayDoc = R"(to_array() -> numpy.ndarray

A copy of every cell the brain's file holds, as a (3, N, N, N) uint8 array
indexed [channel, z, y, x], zero-based: a[:, 0] is the input layer, and the
cells outside each layer's square (x < z or y < z) are included.)";

constexpr const char* kGenerateDoc = R"(generate(k=1, *, progress=None) -> tuple[int, int, int]

Runs k generations with the window's engine on the cells as they are (the
input layer is not sampled again) and returns the apex (red, green, blue)
after the last one; k = 0 returns the apex cell as it stands. Each
generation adds into what the last left, so the same input gives a
different brain every time.

The GIL is released in turns of about 50 ms; between turns Ctrl-C (a
notebook's "Interrupt kernel") raises KeyboardInterrupt, with the brain
left after a whole generation. progress, when given, is called as
progress(done, k) between turns, at most every 100 ms and never once the
run is over; an exception it raises stops the run the same way.)";

constexpr const char* kRenderDoc = R"(render(layer=1, scale=1) -> numpy.ndarray

The grid as the window shows layer number layer (1 is the input layer): an
(N*scale, N*scale, 3) uint8 RGB picture, each cell a scale x scale block,
cells left of or above the layer's square white. Pixel for pixel the
picture `cerebrix-cli render --layer L --scale S` writes. ValueError for
a layer outside 1..N or a scale outside 1..16384 // N.)";

}  // namespace
