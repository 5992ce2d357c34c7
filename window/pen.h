#pragma once
// The pen: the drawing colour, and the two modes that decide what paints
// with it (Draw-Mode and Auto-Generating).
#include <cassert>

#include "platform/surface.h"

namespace window {

// A colour by its three components, each 0..255.
struct Rgb {
    int red = 128, green = 128, blue = 128;
    platform::Colour colour() const { return platform::rgb(red, green, blue); }
    bool operator==(const Rgb&) const = default;
};

class Pen {
public:
    // drawRed, drawGreen, drawBlue.
    const Rgb& colour() const { return colour_; }
    void setColour(Rgb c)
    {
        assert(valid(c.red) && valid(c.green) && valid(c.blue));
        colour_ = c;
    }
    // drawMode = 1, "Draw brain output": each generation's output becomes the colour.
    bool drawsBrainOutput() const { return drawsOutput_; }
    void setDrawsBrainOutput(bool on) { drawsOutput_ = on; }
    // autoGenerate = 1: every painted segment is followed by a generation.
    bool autoGenerates() const { return autoGenerates_; }
    void setAutoGenerates(bool on) { autoGenerates_ = on; }

private:
    static bool valid(int v) { return v >= 0 && v <= 255; }

    Rgb colour_;
    bool drawsOutput_ = false;
    bool autoGenerates_ = false;
};

}  // namespace window
