// info: what brain files hold, as text or as one JSON object per file.
#include <cstdio>
#include <string>

#include "commands.h"
#include "json_results.h"
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

// One file's facts, as text or as one JSON line.
std::string describeFile(const std::string& name, bool asJson)
{
    long long length = -1;
    const storage::LoadedBrain brain = loadBrainFile(name, &length);
    const storage::BrainHeader& h = brain.header;
    const brain::Apex apex = storedApex(*brain.cells);
    const unsigned long long cells = brain::sizeOfBrain(h.dimX);

    std::string out;
    if (asJson) {
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
    return out;
}

}  // namespace

// Every file in turn: one that is refused is reported on stderr and the
// others still print, and the status says that one was refused.
int infoCommand(const Arguments& args)
{
    if (args.words.empty())
        throw UsageError("a brain file to read is required");
    const bool json = args.has("json");
    int status = 0;
    for (std::size_t i = 0; i < args.words.size(); ++i) {
        try {
            const std::string text = describeFile(args.words[i], json);
            if (i > 0 && !json)
                printOut("\n");  // text blocks apart by an empty line
            printOut(text);
        } catch (const Refusal& e) {
            std::fprintf(stderr, "cerebrix-cli info: %s\n", printable(e.what()).c_str());
            status = 1;
        }
    }
    return status;
}

}  // namespace cli
