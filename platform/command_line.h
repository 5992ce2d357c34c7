#pragma once
// What the user asked for on the command line, and whether a desktop is
// there to show the window: both settled before the toolkit starts, so that
// --help works anywhere and a missing display gets a plain message.
#include <string>

namespace platform {

struct CommandLine {
    enum class Action { Run, Help, HelpAll, Version, Refuse };
    Action action = Action::Run;
    std::string file;      // a brain to take up once the window runs; empty for none
    std::string text;      // Help, Version: for stdout; Refuse: the reason and the usage, for stderr
    bool platformChosen = false;  // the toolkit's -platform option was given
};

CommandLine readCommandLine(int argc, char** argv);

// Writes `text` to standard output. Returns the exit status: 0, or 1 after
// one line on stderr when the text could not be written (a full disk, a
// closed pipe).
int printOut(const std::string& text);

// --help-all: the help with the toolkit's own options, which only a running
// application can list; one on a display-less platform serves. Ends the
// program with printOut's status.
[[noreturn]] void printHelpAll();

// Empty when a display can be tried; otherwise the one line that says why
// the window cannot open.
std::string missingDisplay(const CommandLine& line);

// While on, a display that is named but cannot be opened ends the program
// with one clear line and status 1, instead of the toolkit's abort.
void watchDisplayOpening(bool on);

}  // namespace platform
