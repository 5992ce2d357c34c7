// The desktop window's side of the browser tests: runs a script of keys,
// strokes, menus and panels in the real window (Qt, offscreen) inside a
// folder, then writes what the page must equal there: the client area as
// a PPM picture, the surface as its own PPM, and the message line's text.
//   desktop_twin FOLDER [SCRIPT] [DROPPED-FILE]
#include <QImage>
#include <QLabel>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "files/open_from_outside.h"
#include "tests/window/live_window.h"
#include "window/names.h"

namespace {

void writePpm(const std::filesystem::path& path, int w, int h, auto colourAt)
{
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << w << ' ' << h << "\n255\n";
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const platform::Colour c = colourAt(x, y);
            const char rgb[3] = {char(c & 0xFF), char(c >> 8 & 0xFF), char(c >> 16 & 0xFF)};
            out.write(rgb, 3);
        }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("usage: desktop_twin FOLDER [SCRIPT] [DROPPED-FILE]\n", stderr);
        return 2;
    }
    const std::filesystem::path folder = std::filesystem::absolute(argv[1]);
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    LiveWindow w;
    if (argc > 2)
        w.run(QString::fromUtf8(argv[2]));
    if (argc > 3) {
        files::openFromOutside(w.d(), argv[3]);
        w.settle();
        std::filesystem::current_path(folder);
    }
    const QImage shot = w.view()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    writePpm(folder / "window.ppm", shot.width(), shot.height(), [&](int x, int y) {
        const QRgb p = shot.pixel(x, y);
        return platform::rgb(qRed(p), qGreen(p), qBlue(p));
    });
    writePpm(folder / "surface.ppm", w.surface().width(), w.surface().height(),
             [&](int x, int y) { return w.surface().point(x, y); });
    std::ofstream(folder / "message.txt") << w.host().text(window::control::kFileMessage);
    return 0;
}
