#pragma once
// File names in messages kept short: a name is shortened in the middle,
// around an ellipsis, so that its start and its extension still show. The
// window fits its labels with these; the Python module keeps a whole file's
// contents passed as a name out of its exceptions.
#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// UTF-8 characters in `s` (bytes that do not start one are not counted).
std::size_t characterCount(const std::string& s);

// `name` kept to its first and last characters, `keep` in all, around "…";
// whole when it has no more. Never splits a UTF-8 character.
std::string shortenedInMiddle(const std::string& name, std::size_t keep);

// `message` with every occurrence of each of `names` shortened to `keep`
// characters. `names` longest first, so that a name holding another is
// matched whole; empty names are skipped.
std::string withNamesShortened(const std::string& message, const std::vector<std::string>& names, std::size_t keep);

}  // namespace platform
