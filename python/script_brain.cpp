#include "script_brain.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "brain/canvases.h"
#include "brain/sampling.h"
#include "storage/format/brain_format.h"
#include "storage/read/brain_reader.h"
#include "storage/write/brain_writer.h"

namespace script {

ScriptBrain::ScriptBrain(int size)
{
    storage::BrainHeader header;  // the window's start values
    header.dimX = header.dimY = header.dimZ = size;
    checkHeader(header, "a brain");
    brain_.header = header;
    brain_.cells = brain::CellGrid::allocate(size);
    if (!brain_.cells)
        throw Refusal({false, "there is not enough memory for a brain of size " + std::to_string(size), ENOMEM});
}

std::unique_ptr<ScriptBrain> ScriptBrain::load(const std::string& name)
{
    storage::LoadedBrain loaded;
    const storage::FileResult result = storage::readBrainFile(name, loaded);
    if (!result.ok)
        throw Refusal(result, name);
    return std::unique_ptr<ScriptBrain>(new ScriptBrain(std::move(loaded)));
}

std::unique_ptr<ScriptBrain> ScriptBrain::loadText(const char* data, std::size_t size, const std::string& name)
{
    storage::LoadedBrain loaded;
    const storage::FileResult result = storage::readBrainText(data, size, loaded, name);
    if (!result.ok)
        throw Refusal(result);
    return std::unique_ptr<ScriptBrain>(new ScriptBrain(std::move(loaded)));
}

storage::BrainHeader ScriptBrain::header() const
{
    return brain_.header;
}

// The writer's own rules, so that nothing a script sets can make a brain
// that cannot be saved.
void ScriptBrain::checkHeader(const storage::BrainHeader& header, const char* what)
{
    if (const std::string problem = storage::detail::headerProblem(header); !problem.empty())
        throw std::invalid_argument(std::string("Cannot make ") + what + ": " + problem + ".");
}

void ScriptBrain::setColour(int red, int green, int blue)
{
    const std::lock_guard<std::mutex> lock(busy_);
    storage::BrainHeader header = brain_.header;
    header.drawRed = red;
    header.drawGreen = green;
    header.drawBlue = blue;
    checkHeader(header, "that drawing colour");
    brain_.header = header;
}

void ScriptBrain::setMover(int x, int y, int stepX, int stepY)
{
    const std::lock_guard<std::mutex> lock(busy_);
    storage::BrainHeader header = brain_.header;
    header.moverX = x;
    header.moverY = y;
    header.moverStepX = stepX;
    header.moverStepY = stepY;
    checkHeader(header, "that maze-mover");
    brain_.header = header;
}

brain::Apex ScriptBrain::apex() const
{
    const brain::CellGrid& cells = *brain_.cells;
    const int top = cells.size() - 1;
    return {cells.at(brain::Red, top, top, top), cells.at(brain::Green, top, top, top),
            cells.at(brain::Blue, top, top, top)};
}

std::int64_t ScriptBrain::generateUntil(std::int64_t k, std::chrono::steady_clock::time_point until, brain::Apex& apex)
{
    const std::lock_guard<std::mutex> lock(busy_);
    std::int64_t done = 0;
    while (done < k) {
        apex = brain::generate(*brain_.cells);
        ++done;
        if (std::chrono::steady_clock::now() >= until)
            break;
    }
    return done;
}

void ScriptBrain::save(const std::string& name)
{
    const std::lock_guard<std::mutex> lock(busy_);
    const storage::FileResult result = storage::writeBrainFile(name, brain_.header, *brain_.cells);
    if (!result.ok)
        throw Refusal(result, name);
}

void ScriptBrain::paint(const Pixels& picture)
{
    const int n = size();
    brain::Canvases canvases;
    canvases.cover(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const std::uint8_t* p = picture.data + y * picture.row + x * picture.column;
            canvases.setPoint(x, y, p[0], p[picture.channel], p[2 * picture.channel]);
        }
    // The window only bounds what is sampled: here it covers the whole grid.
    const platform::Surface window(n, n);
    const std::lock_guard<std::mutex> lock(busy_);
    brain::sampleInput(*brain_.cells, canvases, window, brain::Origin{0, 0});
}

// Row by row: the pyramid's part of a row and the part outside it each lie
// in one piece, so a copy runs at memcpy's pace rather than a cell's.
void ScriptBrain::copyCells(std::uint8_t* out)
{
    const std::lock_guard<std::mutex> lock(busy_);
    const brain::CellGrid& cells = *brain_.cells;
    const std::size_t n = std::size_t(cells.size());
    for (int c = 0; c < brain::kChannels; ++c) {
        const std::uint8_t* outside = cells.outside(c);
        for (std::size_t z = 0; z < n; ++z) {
            const std::uint8_t* square = cells.squareRow(c, int(z), int(z));
            for (std::size_t y = 0; y < n; ++y, out += n) {
                const std::size_t before = y < z ? n : z;  // cells outside the pyramid on this row
                if (outside) {
                    std::memcpy(out, outside, before);
                    outside += before;
                } else {
                    std::memset(out, 0, before);
                }
                if (y >= z) {
                    std::memcpy(out + z, square, n - z);
                    square += n - z;
                }
            }
        }
    }
}

void ScriptBrain::setCells(const std::uint8_t* in)
{
    const std::lock_guard<std::mutex> lock(busy_);
    brain::CellGrid& cells = *brain_.cells;
    const int n = cells.size();
    try {
        for (int c = 0; c < brain::kChannels; ++c)
            for (int z = 0; z < n; ++z)
                for (int y = 0; y < n; ++y, in += n) {
                    // Outside the pyramid cell by cell: its memory is made only
                    // when one of them is not 0.
                    const int before = y < z ? n : z;
                    for (int x = 0; x < before; ++x)
                        if (in[x] != cells.at(c, x, y, z))
                            cells.set(c, x, y, z, in[x]);
                    if (y >= z)
                        std::memcpy(cells.squareRow(c, y, z), in + z, std::size_t(n - z));
                }
    } catch (const std::bad_alloc&) {
        throw Refusal({false,
                       "there is not enough memory for the cells outside the pyramid of a brain of size "
                           + std::to_string(n),
                       ENOMEM});
    }
}

void ScriptBrain::render(int z, int scale, std::uint8_t* out)
{
    const int n = size();
    platform::Surface window(n, n);
    brain::Canvases canvases;
    canvases.cover(n, n);
    {
        const std::lock_guard<std::mutex> lock(busy_);
        brain::showLayerAlone(*brain_.cells, z, window, canvases);
    }
    const std::size_t side = std::size_t(n) * std::size_t(scale);
    for (int y = 0; y < n; ++y) {
        std::uint8_t* first = out + std::size_t(y) * std::size_t(scale) * side * 3;
        std::uint8_t* p = first;
        for (int x = 0; x < n; ++x) {
            const platform::Colour colour = window.point(x, y);
            for (int i = 0; i < scale; ++i) {
                *p++ = std::uint8_t(colour & 0xFF);
                *p++ = std::uint8_t((colour >> 8) & 0xFF);
                *p++ = std::uint8_t((colour >> 16) & 0xFF);
            }
        }
        for (int i = 1; i < scale; ++i)
            std::copy(first, first + side * 3, first + std::size_t(i) * side * 3);
    }
}

}  // namespace script
