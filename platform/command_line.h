#pragma once
// What the user asked for on the command line, and whether a desktop is
// there to show the window: both settled before the toolkit starts, so that
// --help works anywhere and a missing display gets a plain message.
#include <string>

namespace platform {

struct CommandLine {
    enum class Action { Run, Help, Version, Refuse };
    Action action = Action::Run;
    std::string file;      // a brain to take up once the window runs; empty for none
    std::string text;      // Help, Version: for stdout; Refuse: the reason and the usage, for stderr
    bool platformChosen = false;  // the toolkit's -platform option was given
};

CommandLine readCommandLine(int argc, char** argv);

// Empty when a display can be tried; otherwise the one line that says why
// the window cannot open.
std::string missingDisplay(const CommandLine& line);

// While on, a display that is named but cannot be opened ends the program
// with one clear line and status 1, instead of the toolkit's abort.
void watchDisplayOpening(bool on);

}  // namespace platform
