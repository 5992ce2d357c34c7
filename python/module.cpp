// The compiled half of the Python package `cerebrix`: ScriptBrain with its
// cells as NumPy arrays. What is easier said in Python (file objects,
// pictures of any dtype, pickling) is in cerebrix/__init__.py. NumPy is
// imported only when an array is first made.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "docstrings.h"
#include "platform/image_file.h"
#include "script_brain.h"
#include "storage/output/output_file.h"
#include "storage/output/leftovers.h"
#include "platform/shortened_names.h"

namespace py = pybind11;
using script::ScriptBrain;

namespace {

// Names in messages keep this many characters: a traceback's line shows
// the start and the extension of any real name, and a file's contents
// passed where a name belongs do not fill the screen.
constexpr std::size_t kNameKept = 160;
// Longer than this, a name cannot be a file's (PATH_MAX): filename gets the
// shortened name too, since printing an OSError prints its filename.
constexpr std::size_t kLongestPath = 4096;

// The name and its folder, as the reader's and writer's messages quote them.
std::vector<std::string> namesIn(const std::string& name)
{
    std::vector<std::string> names{name};
    if (const std::size_t slash = name.rfind('/'); slash != std::string::npos && slash > 0)
        names.push_back(name.substr(0, slash));
    return names;
}

// Bytes from the system (a name, a message holding one) as Python spells
// them, undecodable bytes kept by surrogateescape, so that os.fsencode
// gives the same bytes back.
py::object fsDecoded(const std::string& bytes)
{
    PyObject* text = PyUnicode_DecodeFSDefaultAndSize(bytes.data(), py::ssize_t(bytes.size()));
    if (!text)
        throw py::error_already_set();
    return py::reinterpret_steal<py::object>(text);
}

// A refused file is a ValueError; what the system refused is an OSError of
// the matching kind (FileNotFoundError, PermissionError...) with the name in
// filename, and a lack of memory a MemoryError; each carries the reader's or
// the writer's message.
void raiseRefusal(const script::Refusal& refusal)
{
    const std::string message = platform::withNamesShortened(refusal.what(), namesIn(refusal.name), kNameKept);
    if (refusal.result.systemError == ENOMEM) {
        PyErr_SetObject(PyExc_MemoryError, fsDecoded(message).ptr());
    } else if (refusal.result.systemError != 0) {
        // OSError(errno, message, filename) makes the subclass that errno names.
        const std::string& name = refusal.name;
        py::object filename = py::none();
        if (!name.empty())
            filename = fsDecoded(name.size() > kLongestPath ? platform::shortenedInMiddle(name, kNameKept) : name);
        // Python prints ": 'filename'" after the message: no full stop before it.
        std::string bare = message;
        if (!name.empty() && !bare.empty() && bare.back() == '.')
            bare.pop_back();
        const py::tuple args = py::make_tuple(refusal.result.systemError, fsDecoded(bare), filename);
        PyErr_SetObject(PyExc_OSError, args.ptr());
    } else {
        PyErr_SetObject(PyExc_ValueError, fsDecoded(message).ptr());
    }
}

// Layers count as the caption counts them: 1 is the input layer.
int layerIndex(const ScriptBrain& brain, int layer)
{
    if (layer < 1 || layer > brain.size())
        throw py::value_error("the layer must be 1 to " + std::to_string(brain.size()) + " for a brain of size "
                              + std::to_string(brain.size()) + ", not " + std::to_string(layer));
    return layer - 1;
}

std::string describe(const py::array& a)
{
    std::string shape = "(";
    for (py::ssize_t i = 0; i < a.ndim(); ++i)
        shape += (i ? ", " : "") + std::to_string(a.shape(i));
    return shape + (a.ndim() == 1 ? ",)" : ")") + " " + std::string(py::str(a.dtype()));
}

// Python's paint() brings any picture to this: (N, N, 3) uint8, any strides.
void paint(ScriptBrain& brain, const py::array& image)
{
    const py::ssize_t n = brain.size();
    const bool fits = image.ndim() == 3 && image.shape(0) == n && image.shape(1) == n && image.shape(2) == 3;
    if (!fits || !py::isinstance<py::array_t<std::uint8_t>>(image))
        throw py::value_error("paint takes a (" + std::to_string(n) + ", " + std::to_string(n)
                              + ", 3) uint8 array for a brain of size " + std::to_string(n) + ", not a "
                              + describe(image) + " array");
    const script::Pixels pixels{static_cast<const std::uint8_t*>(image.data()), image.strides(0), image.strides(1),
                                image.strides(2)};
    const py::gil_scoped_release unlocked;
    brain.paint(pixels);
}

// Python's from_array() brings the cells to this: (3, N, N, N) uint8, packed.
void setCells(ScriptBrain& brain, const py::array& cells)
{
    const py::ssize_t n = brain.size();
    const bool fits = cells.ndim() == 4 && cells.shape(0) == 3 && cells.shape(1) == n && cells.shape(2) == n
        && cells.shape(3) == n && py::isinstance<py::array_t<std::uint8_t>>(cells)
        && (cells.flags() & py::array::c_style) != 0;
    if (!fits)
        throw py::value_error("the cells must be a packed (3, " + std::to_string(n) + ", " + std::to_string(n) + ", "
                              + std::to_string(n) + ") uint8 array, not a " + describe(cells) + " array");
    const auto* data = static_cast<const std::uint8_t*>(cells.data());
    const py::gil_scoped_release unlocked;
    brain.setCells(data);
}

py::array layerView(py::object self, int layer)
{
    ScriptBrain& brain = self.cast<ScriptBrain&>();
    const int z = layerIndex(brain, layer);
    const py::ssize_t side = brain.size() - z;
    const brain::CellGrid::Square square = brain.square(z);
    // The brain object is the view's base: it lives while any view does.
    return py::array(py::dtype::of<std::uint8_t>(), {side, side, py::ssize_t(3)},
                     {py::ssize_t(square.rowStride), py::ssize_t(1), py::ssize_t(square.channelStride)},
                     square.origin, self);
}

py::array toArray(ScriptBrain& brain)
{
    const py::ssize_t n = brain.size();
    py::array_t<std::uint8_t> out({py::ssize_t(3), n, n, n});
    std::uint8_t* data = out.mutable_data();
    const py::gil_scoped_release unlocked;
    brain.copyCells(data);
    return out;
}

py::array render(ScriptBrain& brain, int layer, int scale)
{
    const int z = layerIndex(brain, layer);
    const int largest = platform::kLargestPictureSide / brain.size();
    if (scale < 1 || scale > largest)
        throw py::value_error("the scale must be 1 to " + std::to_string(largest) + " for a brain of size "
                              + std::to_string(brain.size()) + ", not " + std::to_string(scale));
    const py::ssize_t side = py::ssize_t(brain.size()) * scale;
    py::array_t<std::uint8_t> out({side, side, py::ssize_t(3)});
    std::uint8_t* data = out.mutable_data();
    const py::gil_scoped_release unlocked;
    brain.render(z, scale, data);
    return out;
}

py::tuple apexTuple(const brain::Apex& apex)
{
    return py::make_tuple(apex.red, apex.green, apex.blue);
}

// Generations in turns of about 50 ms without the GIL; between turns, at a
// whole generation, Ctrl-C (or any signal handler's exception) stops the
// run, and the progress callback is told how far it got.
py::tuple generate(ScriptBrain& brain, std::int64_t k, const py::object& progress)
{
    using Clock = std::chrono::steady_clock;
    constexpr auto kTurn = std::chrono::milliseconds(50), kReportEvery = std::chrono::milliseconds(100);
    if (k < 0)
        throw py::value_error("the number of generations must be 0 or more, not " + std::to_string(k));
    if (k == 0)
        return apexTuple(brain.apex());
    brain::Apex apex;
    Clock::time_point reported = Clock::now();
    for (std::int64_t done = 0; done < k;) {
        {
            const py::gil_scoped_release unlocked;
            done += brain.generateUntil(k - done, Clock::now() + kTurn, apex);
        }
        if (PyErr_CheckSignals() != 0)
            throw py::error_already_set();
        if (done < k && !progress.is_none() && Clock::now() - reported >= kReportEvery) {
            progress(done, k);
            reported = Clock::now();
        }
    }
    return apexTuple(apex);
}

std::unique_ptr<ScriptBrain> loadText(const py::bytes& data, const py::bytes& name)
{
    const std::string_view text = data;  // data lives while the call does
    const std::string forMessages = name;
    const py::gil_scoped_release unlocked;
    return ScriptBrain::loadText(text.data(), text.size(), forMessages);
}

}  // namespace

PYBIND11_MODULE(_cerebrix, m)
{
    m.doc() = kModuleDoc;
    // What the writer had to leave as it was after a write cut short: one
    // line on the process's stderr, as the programs say it.
    storage::setNoticeHandler([](const std::string& notice) { std::fprintf(stderr, "cerebrix: %s\n", notice.c_str()); });
    m.attr("__version__") = CEREBRIX_VERSION;
    py::register_exception_translator([](std::exception_ptr p) {
        try {
            if (p)
                std::rethrow_exception(p);
        } catch (const script::Refusal& refusal) {
            raiseRefusal(refusal);
        }
    });

    py::class_<ScriptBrain>(m, "Brain", kBrainDoc)
        .def(py::init<int>(), py::arg("size") = 30, kInitDoc)
        .def_property_readonly("size", &ScriptBrain::size, kSizeDoc)
        .def_property(
            "colour",
            [](const ScriptBrain& b) {
                const storage::BrainHeader h = b.header();
                return py::make_tuple(h.drawRed, h.drawGreen, h.drawBlue);
            },
            [](ScriptBrain& b, std::tuple<int, int, int> c) {
                b.setColour(std::get<0>(c), std::get<1>(c), std::get<2>(c));
            },
            kColourDoc)
        .def_property(
            "mover",
            [](const ScriptBrain& b) {
                const storage::BrainHeader h = b.header();
                return py::make_tuple(h.moverX, h.moverY, h.moverStepX, h.moverStepY);
            },
            [](ScriptBrain& b, std::tuple<int, int, int, int> v) {
                b.setMover(std::get<0>(v), std::get<1>(v), std::get<2>(v), std::get<3>(v));
            },
            kMoverDoc)
        .def("layer", &layerView, py::arg("layer"), kLayerDoc)
        .def("to_array", &toArray, kToArrayDoc)
        .def("_set_cells", &setCells, py::arg("cells"))
        .def("_paint", &paint, py::arg("image"))
        .def("generate", &generate, py::arg("k") = 1, py::kw_only(), py::arg("progress") = py::none(),
             kGenerateDoc)
        .def("_save", &ScriptBrain::save, py::arg("name"), py::call_guard<py::gil_scoped_release>())
        .def("render", &render, py::arg("layer") = 1, py::arg("scale") = 1, kRenderDoc)
        .def(
            "__repr__",
            [](const ScriptBrain& b) {
            const storage::BrainHeader h = b.header();
            return "<cerebrix.Brain size " + std::to_string(h.dimX) + ", colour (" + std::to_string(h.drawRed) + ", "
                + std::to_string(h.drawGreen) + ", " + std::to_string(h.drawBlue) + "), mover ("
                + std::to_string(h.moverX) + ", " + std::to_string(h.moverY) + ", " + std::to_string(h.moverStepX)
                + ", " + std::to_string(h.moverStepY) + ")>";
            },
            "The size, drawing colour and maze-mover, for the notebook's echo.");

    m.def("_load", &ScriptBrain::load, py::arg("name"), py::call_guard<py::gil_scoped_release>());
    m.def("_load_text", &loadText, py::arg("data"), py::arg("name"));
}
