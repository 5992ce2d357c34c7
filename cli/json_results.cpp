#include "json_results.h"

namespace cli {

platform::JsonObject jsonColour(int red, int green, int blue)
{
    platform::JsonObject out;
    out.number("red", red).number("green", green).number("blue", blue);
    return out;
}

std::string generationJson(const std::string& out, int generation, const brain::Apex& apex)
{
    platform::JsonObject json;
    json.text("file", out)
        .number("generation", generation)
        .object("apex", jsonColour(apex.red, apex.green, apex.blue))
        .number("output", apex.value());
    return json.compact() + "\n";
}

}  // namespace cli
