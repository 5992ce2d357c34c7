// Cerebrix: paint a picture, grow a brain from it.
#include <csignal>

#include "program.h"

int main(int argc, char** argv)
{
    // A file-size limit must make a save fail and say so, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    platform::Toolkit toolkit(argc, argv);
    app::Program program(toolkit);
    return program.run();
}
