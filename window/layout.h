#pragma once
// The window's designed look: caption, client size, and every panel control
// in its place, hidden until its panel opens.
#include <string>
#include <vector>

#include "names.h"
#include "platform/host.h"

namespace window {

constexpr int kClientWidth = 574;
constexpr int kClientHeight = 412;
extern const char* const kDesignedCaption;

std::vector<platform::ControlSpec> controlDesign();

// The controls of a panel, in the order they are shown.
const std::vector<std::string>& controlsOf(Panel panel);

}  // namespace window
