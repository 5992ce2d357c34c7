#include "bench/storage/iostream_brain_file.h"

#include <fstream>

namespace bench {

bool iostreamWrite(const std::string& path, const storage::BrainHeader& h, const brain::CellGrid& cells)
{
    std::ofstream out(path, std::ios::binary);
    out << h.dimX << ',' << h.dimY << ',' << h.dimZ << ',' << h.drawRed << ',' << h.drawGreen << ','
        << h.drawBlue << ',' << h.moverX << ',' << h.moverY << ',' << h.moverStepY << ',' << h.moverStepX
        << "\r\n";
    const std::uint8_t* red = cells.plane(brain::Red);
    const std::uint8_t* green = cells.plane(brain::Green);
    const std::uint8_t* blue = cells.plane(brain::Blue);
    for (std::size_t i = 0; i < cells.planeBytes(); ++i)
        out << int(red[i]) << "\r\n" << int(green[i]) << "\r\n" << int(blue[i]) << "\r\n";
    out.close();
    return bool(out);
}

bool iostreamRead(const std::string& path, storage::LoadedBrain& out)
{
    std::ifstream in(path, std::ios::binary);
    storage::BrainHeader& h = out.header;
    char comma;
    in >> h.dimX >> comma >> h.dimY >> comma >> h.dimZ >> comma >> h.drawRed >> comma >> h.drawGreen
        >> comma >> h.drawBlue >> comma >> h.moverX >> comma >> h.moverY >> comma >> h.moverStepY >> comma
        >> h.moverStepX;
    if (!in || h.dimX < 2 || h.dimX != h.dimY || h.dimY != h.dimZ)
        return false;
    out.cells = brain::CellGrid::allocate(h.dimX);
    if (!out.cells)
        return false;
    std::uint8_t* planes[3] = {out.cells->plane(0), out.cells->plane(1), out.cells->plane(2)};
    for (std::size_t i = 0; i < out.cells->planeBytes(); ++i)
        for (int c = 0; c < 3; ++c) {
            int v;
            in >> v;
            planes[c][i] = std::uint8_t(v);
        }
    return bool(in);
}

}  // namespace bench
