// info: what a brain file holds, as text or as one JSON object.
#include <string>

#include "commands.h"
#include "platform/json_text.h"
#include "standard_streams.h"
#include "text_escape.h"

namespace cli {
namespace {

std::string signedStep(int step)
{
    std::string out = step > 0 ? "+" : "";
    out += std::to_string(step);
    return out;
}

platform::JsonObject jsonColour(int r, int g, int b)
{
    platform::JsonObject out;
    out.number("red", r).number("green", g).number("blue", b);
    return out;
}

}  // namespace

int infoCommand(const Arguments& args)
{
    long long length = -1;
    const storage::LoadedBrain brain = loadBrain(args, &length);
    const std::string& name = args.words[0];
    const storage::BrainHeader& h = brain.header;
    const brain::Apex apex = storedApex(*brain.cells);
    const unsigned long long cells = brain::sizeOfBrain(h.dimX);

    std::string out;
    if (args.has("json")) {
        platform::JsonObject mover;
        mover.number("x", h.moverX).number("y", h.moverY).number("stepX", h.moverStepX).number("stepY", h.moverStepY);
        platform::JsonObject json;
        json.text("file", name);
        if (length >= 0)
            json.number("length", length);
        else
            json.null("length");  // standard input that is a pipe
        json.number("size", h.dimX)
            .number("sizeOfBrain", (long long)cells)
            .object("drawingColour", jsonColour(h.drawRed, h.drawGreen, h.drawBlue))
            .object("mover", mover)
            .object("apex", jsonColour(apex.red, apex.green, apex.blue))
            .number("output", apex.value());
        out = json.compact() + "\n";
    } else {
        out = "file: " + printable(name) + "\n"
            + "length: " + (length >= 0 ? std::to_string(length) + " bytes" : std::string("unknown")) + "\n"
            + "size: " + std::to_string(h.dimX) + " x " + std::to_string(h.dimY) + " x " + std::to_string(h.dimZ)
            + " (size of brain " + std::to_string(cells) + ")\n"
            + "drawing colour: " + std::to_string(h.drawRed) + "," + std::to_string(h.drawGreen) + ","
            + std::to_string(h.drawBlue) + "\n"
            + "maze-mover: " + std::to_string(h.moverX) + "," + std::to_string(h.moverY) + " moving "
            + signedStep(h.moverStepX) + "," + signedStep(h.moverStepY) + "\n"
            + "apex: " + describeApex(apex) + "\n";
    }
    printOut(out);
    return 0;
}

}  // namespace cli
