#pragma once
// The picture format an output name asks for, by its suffix, as the toolkit
// names its image writers.
#include <string>

namespace cli {

// "png" for a name without a suffix; a Refusal that lists the formats
// there are for a suffix no image writer knows.
std::string pictureFormatFor(const std::string& path);

}  // namespace cli
