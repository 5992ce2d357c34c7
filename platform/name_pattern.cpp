#include "name_pattern.h"

#include <cctype>

namespace platform {
namespace {

char lower(char c)
{
    return char(std::tolower(static_cast<unsigned char>(c)));
}

}  // namespace

// A plain wildcard match, backtracking to the last '*' only.
bool matchesPattern(const char* name, const std::string& pattern)
{
    const char* p = pattern.c_str();
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name) {
        if (*p == '*') {
            star = p++;
            resume = name;
        } else if (*p && (*p == '?' || lower(*p) == lower(*name))) {
            ++p;
            ++name;
        } else if (star) {
            p = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*p == '*')
        ++p;
    return *p == '\0';
}

}  // namespace platform
