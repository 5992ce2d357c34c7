#pragma once
// A brain as a script holds it: the header and the cells just as a file holds
// them, run through the same engine, reader and writer as the window and
// cerebrix-cli. Plain C++; module.cpp turns it into Python's `Brain`.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include "brain/generation.h"
#include "storage/file_result.h"
#include "storage/format/brain_format.h"

namespace script {

// The reader, the writer or the memory said no: the message says why in
// plain words, and systemError is the system's error number when the system
// refused (ENOMEM for memory), 0 when the file itself was refused.
// `name` is the file's name as the system spells it (any bytes), empty when
// no file is concerned.
struct Refusal : std::runtime_error {
    explicit Refusal(storage::FileResult refused, std::string file = {})
        : std::runtime_error(refused.error), result(std::move(refused)), name(std::move(file))
    {
    }
    storage::FileResult result;
    std::string name;
};

// Pixels laid out by strides, in bytes: pixel (x, y) channel c is at
// data + y * row + x * column + c * channel.
struct Pixels {
    const std::uint8_t* data;
    std::ptrdiff_t row, column, channel;
};

class ScriptBrain {
public:
    // A fresh brain as the window makes one at start: every cell 0, the
    // drawing colour mid-grey, the maze-mover home. std::invalid_argument for
    // a size no brain can have, a Refusal when the memory cannot be had.
    explicit ScriptBrain(int size);
    // The Load panel's reader: all of the file, checked, or a Refusal.
    static std::unique_ptr<ScriptBrain> load(const std::string& name);
    // The same from a file's bytes held in memory; `name` stands for it in
    // messages.
    static std::unique_ptr<ScriptBrain> loadText(const char* data, std::size_t size, const std::string& name);
    ScriptBrain(const ScriptBrain&) = delete;
    ScriptBrain& operator=(const ScriptBrain&) = delete;

    int size() const { return brain_.header.dimX; }
    storage::BrainHeader header() const;
    // Both refuse (std::invalid_argument) what the writer would refuse.
    void setColour(int red, int green, int blue);
    void setMover(int x, int y, int stepX, int stepY);

    // The apex cell as it stands.
    brain::Apex apex() const;
    // Up to k generations with the window's engine, at least one when k > 0,
    // stopping after the one that passes `until`, so that a caller can look
    // at its signals between whole generations. Returns how many ran and
    // sets `apex` to the apex after the last.
    std::int64_t generateUntil(std::int64_t k, std::chrono::steady_clock::time_point until, brain::Apex& apex);
    // The one writer: the whole file in place, or the old one untouched.
    void save(const std::string& name);

    // An N x N picture becomes the input layer, as sampling the canvases
    // painted with it would make it.
    void paint(const Pixels& picture);
    // Every cell into out[channel][z][y][x], N^3 bytes per channel.
    void copyCells(std::uint8_t* out);
    // The reverse: every cell from in[channel][z][y][x]. Throws a Refusal
    // (ENOMEM) when cells outside the pyramid need memory that cannot be had.
    void setCells(const std::uint8_t* in);
    // Layer z as the window shows it, each pixel a scale x scale block, as
    // rows of (N * scale) RGB pixels.
    void render(int z, int scale, std::uint8_t* out);
    // Where layer z's square lies, for views that change it in place.
    brain::CellGrid::Square square(int z) { return brain_.cells->square(z); }

private:
    explicit ScriptBrain(storage::LoadedBrain loaded) : brain_(std::move(loaded)) {}
    void checkHeader(const storage::BrainHeader& header, const char* what);

    storage::LoadedBrain brain_;
    // Python threads may share a brain: one operation at a time on its cells.
    std::mutex busy_;
};

}  // namespace script
