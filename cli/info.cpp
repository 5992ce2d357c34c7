// info: what a brain file holds, as text or as one JSON object.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "commands.h"

namespace cli {
namespace {

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::string signedStep(int step)
{
    std::string out = step > 0 ? "+" : "";
    out += std::to_string(step);
    return out;
}

std::string jsonColour(int r, int g, int b)
{
    return "{\"red\":" + std::to_string(r) + ",\"green\":" + std::to_string(g) + ",\"blue\":" + std::to_string(b)
        + "}";
}

}  // namespace

int infoCommand(const Arguments& args)
{
    const storage::LoadedBrain brain = loadBrain(args);
    const std::string& name = args.words[0];
    struct stat st {};
    const long long length = ::stat(name.c_str(), &st) == 0 ? (long long)st.st_size : -1;
    const storage::BrainHeader& h = brain.header;
    const brain::Apex apex = storedApex(*brain.cells);
    const unsigned long long cells = brain::sizeOfBrain(h.dimX);

    std::string out;
    if (args.has("json")) {
        out = "{\"file\":" + jsonString(name) + ",\"length\":" + std::to_string(length)
            + ",\"size\":" + std::to_string(h.dimX) + ",\"sizeOfBrain\":" + std::to_string(cells)
            + ",\"drawingColour\":" + jsonColour(h.drawRed, h.drawGreen, h.drawBlue)
            + ",\"mover\":{\"x\":" + std::to_string(h.moverX) + ",\"y\":" + std::to_string(h.moverY)
            + ",\"stepX\":" + std::to_string(h.moverStepX) + ",\"stepY\":" + std::to_string(h.moverStepY) + "}"
            + ",\"apex\":" + jsonColour(apex.red, apex.green, apex.blue)
            + ",\"output\":" + std::to_string(apex.value()) + "}\n";
    } else {
        out = "file: " + name + "\n"
            + "length: " + std::to_string(length) + " bytes\n"
            + "size: " + std::to_string(h.dimX) + " x " + std::to_string(h.dimY) + " x " + std::to_string(h.dimZ)
            + " (size of brain " + std::to_string(cells) + ")\n"
            + "drawing colour: " + std::to_string(h.drawRed) + "," + std::to_string(h.drawGreen) + ","
            + std::to_string(h.drawBlue) + "\n"
            + "maze-mover: " + std::to_string(h.moverX) + "," + std::to_string(h.moverY) + " moving "
            + signedStep(h.moverStepX) + "," + signedStep(h.moverStepY) + "\n"
            + "apex: " + describeApex(apex) + "\n";
    }
    std::fputs(out.c_str(), stdout);
    return 0;
}

}  // namespace cli
