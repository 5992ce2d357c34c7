#pragma once
// Reads a colour component typed into the colour panel.
#include <optional>
#include <string_view>

namespace commands {

// The number at the start of `text` (blanks ignored, optional sign and
// fraction, anything after it ignored, no number at all counts as 0),
// floored, when it lies within 0..255; nothing when it lies outside.
std::optional<int> componentFromText(std::string_view text);

}  // namespace commands
