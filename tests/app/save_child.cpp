// The program's start as main() makes it, then one generation and a save
// through the Save panel, for outside_test to run under a low limit of open
// files. Exits 0 when NAME.brain was written, 1 when the start was refused.
//   save_child NAME   (offscreen)
#include <cstdio>
#include <filesystem>

#include "app/program.h"
#include "platform/open_files.h"
#include "window/names.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    if (const std::string why = platform::makeRoomForFiles(); !why.empty()) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return 1;
    }
    platform::Toolkit toolkit(argc, argv);
    app::Program program(toolkit);
    window::Drawing& d = program.drawing();
    program.host().show();
    d.activated();
    d.keyPressed(platform::key::Enter);
    d.menuChosen(window::menu::kSaveBrain);
    program.host().setText(window::control::kSaveName, argv[1]);
    d.buttonClicked(window::control::kSaveDone);
    d.turn();
    if (std::filesystem::is_regular_file(std::string(argv[1]) + ".brain"))
        return 0;
    std::fprintf(stderr, "not saved: %s\n", program.host().text(window::control::kFileMessage).c_str());
    return 3;
}
