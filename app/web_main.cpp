// Cerebrix in a web page: the same program, its window drawn by the page and
// its main loop run in turns from the browser's animation frames.
#include "platform/web/browser_loop.h"
#include "program.h"

int main(int argc, char** argv)
{
    // Both live as long as the page: main returns while the turns go on.
    static platform::Toolkit toolkit(argc, argv);
    static app::Program program(toolkit);
    window::Drawing& drawing = program.drawing();
    program.host().show();
    platform::web::runTurns([&drawing] { drawing.turn(); }, [&drawing] { return drawing.playDue(); });
    return 0;
}
