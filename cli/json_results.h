#pragma once
// The commands' results as JSON, one object per line, for scripts: the
// same facts as the text lines, under names that stay put.
#include <string>

#include "brain/generation.h"
#include "platform/json_text.h"

namespace cli {

// {"red": r, "green": g, "blue": b}
platform::JsonObject jsonColour(int red, int green, int blue);

// {"file": OUT, "generation": K, "apex": {...}, "output": V} and a line end:
// the apex after generation K of the brain written to OUT.
std::string generationJson(const std::string& out, int generation, const brain::Apex& apex);

}  // namespace cli
