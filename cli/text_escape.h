#pragma once
// Names as a terminal may show them: a file name is any bytes, and ESC, CR
// or a line feed in one would move the cursor, recolour the terminal or
// break a one-line message in two.
#include <string>

namespace cli {

// The text with every control character (C0, DEL, C1) and every byte that
// is not part of valid UTF-8 written as \xHH; the rest as it is.
std::string printable(const std::string& text);

}  // namespace cli
