// Cerebrix: paint a picture, grow a brain from it.
#include "program.h"

int main(int argc, char** argv)
{
    platform::Toolkit toolkit(argc, argv);
    app::Program program(toolkit);
    return program.run();
}
