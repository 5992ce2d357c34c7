#pragma once
// The picture shown in the About panel, made by the program at start.
#include "platform/surface.h"

namespace window {

platform::Surface aboutPicture();

}  // namespace window
