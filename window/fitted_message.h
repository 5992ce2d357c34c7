#pragma once
// Messages that name files, made to show whole in their label at its usual
// font size: the names are shortened in the middle, around an ellipsis, as
// little as that takes, instead of the whole message shrinking to a blur.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/host.h"

namespace window {

// `message` with every occurrence of each of `names` kept to the same number
// of characters; unchanged when it fits already.
std::string fittedMessage(const platform::Host& host, const std::string& label, const std::string& message,
                          std::vector<std::string> names);

}  // namespace window
