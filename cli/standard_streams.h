#pragma once
// Standard output as scripts rely on it: a write that fails (a full disk, a
// closed pipe) is an error with exit status 1, never a silent loss.
#include <string>

namespace cli {

// Writes `text` on stdout, wiping a progress bar off the terminal first.
// When `flush`, the text goes out now (lines a reader may wait for). A
// Refusal when stdout cannot be written.
void printOut(const std::string& text, bool flush = false);

// Writes `text` on stderr at once, wiping a progress bar off the terminal
// first. Never fails: stderr is where failures are told.
void printErr(const std::string& text);

// At the end of the program: the rest of stdout written and closed. Returns
// `status`, or 1 after one line on stderr when that fails.
int finishStandardOutput(int status);

}  // namespace cli
