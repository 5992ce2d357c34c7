// Cerebrix: paint a picture, grow a brain from it.
#include <csignal>
#include <cstdio>

#include "storage/output/leftovers.h"
#include "storage/output/output_file.h"
#include "platform/command_line.h"
#include "platform/open_files.h"
#include "program.h"

int main(int argc, char** argv)
{
    const platform::CommandLine line = platform::readCommandLine(argc, argv);
    switch (line.action) {
    case platform::CommandLine::Action::Help:
    case platform::CommandLine::Action::Version:
        return platform::printOut(line.text);
    case platform::CommandLine::Action::HelpAll:
        platform::printHelpAll();
    case platform::CommandLine::Action::Refuse:
        std::fputs(line.text.c_str(), stderr);
        return 2;
    case platform::CommandLine::Action::Run:
        break;
    }
    if (const std::string why = platform::missingDisplay(line); !why.empty()) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return 1;
    }
    if (const std::string why = platform::makeRoomForFiles(); !why.empty()) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return 1;
    }
    // A file-size limit must make a save fail and say so, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    // What the writer had to leave as it was after a write cut short is told
    // on stderr; the window's message line stays for the user's own actions.
    storage::setNoticeHandler([](const std::string& notice) { std::fprintf(stderr, "cerebrix: %s\n", notice.c_str()); });
    // Saves killed mid-write in the working folder leave hidden files behind.
    storage::removeAbandonedSaves(".");
    platform::Toolkit toolkit(argc, argv);
    app::Program program(toolkit);
    if (!line.file.empty())
        program.openAfterStartUp(line.file);
    return program.run();
}
