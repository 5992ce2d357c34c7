#pragma once
// The file lists' name patterns ("*.brain"): '*' and '?' wildcards, letters
// matched without regard to case. Shared by every toolkit's file list.
#include <string>

namespace platform {

bool matchesPattern(const char* name, const std::string& pattern);

}  // namespace platform
