// The Python module `cerebrix`: ScriptBrain with its cells as NumPy arrays.
// NumPy is imported only when an array is first made, so `import cerebrix`
// works without it.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "docstrings.h"
#include "platform/image_file.h"
#include "script_brain.h"
#include "storage/output_file.h"

namespace py = pybind11;
using script::ScriptBrain;

namespace {

// A refused file is a ValueError; what the system refused is an OSError of
// the matching kind (FileNotFoundError, PermissionError...), and a lack of
// memory a MemoryError; each carries the reader's or the writer's message.
void raiseRefusal(const script::Refusal& refusal)
{
    if (refusal.systemError == ENOMEM) {
        PyErr_SetString(PyExc_MemoryError, refusal.what());
    } else if (refusal.systemError != 0) {
        const py::tuple args = py::make_tuple(refusal.systemError, refusal.what());
        PyErr_SetObject(PyExc_OSError, args.ptr());
    } else {
        PyErr_SetString(PyExc_ValueError, refusal.what());
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

}  // namespace

PYBIND11_MODULE(cerebrix, m)
{
    m.doc() = kModuleDoc;
    // What the writer had to leave as it was after a write cut short: one
    // line on the process's stderr, as the programs say it.
    storage::setNoticeHandler([](const std::string& notice) { std::fprintf(stderr, "cerebrix: %s\n", notice.c_str()); });
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
        .def("paint", &paint, py::arg("image"), kPaintDoc)
        .def(
            "generate",
            [](ScriptBrain& b, int k) {
                if (k < 0)
                    throw py::value_error("the number of generations must be 0 or more, not " + std::to_string(k));
                brain::Apex apex;
                {
                    const py::gil_scoped_release unlocked;
                    apex = b.generate(k);
                }
                return apexTuple(apex);
            },
            py::arg("k") = 1, kGenerateDoc)
        .def("save", &ScriptBrain::save, py::arg("path"), py::call_guard<py::gil_scoped_release>(), kSaveDoc)
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

    m.def("load", &ScriptBrain::load, py::arg("path"), py::call_guard<py::gil_scoped_release>(), kLoadDoc);
}
