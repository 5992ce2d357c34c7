#include "bench/storage/iostream_brain_file.h"

#include <fstream>

namespace bench {

bool iostreamWrite(const std::string& path, const storage::BrainHeader& h, const brain::CellGrid& cells)
{
    std::ofstream out(path, std::ios::binary);
    out << h.dimX << ',' << h.dimY << ',' << h.dimZ << ',' << h.drawRed << ',' << h.drawGreen << ','
        << h.drawBlue << ',' << h.moverX << ',' << h.moverY << ',' << h.moverStepY << ',' << h.moverStepX
        << "\r\n";
    const int n = cells.size();
    for (int z = 0; z < n; ++z)
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x)
                out << int(cells.at(brain::Red, x, y, z)) << "\r\n" << int(cells.at(brain::Green, x, y, z)) << "\r\n"
                    << int(cells.at(brain::Blue, x, y, z)) << "\r\n";
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
    const int n = h.dimX;
    for (int z = 0; z < n; ++z)
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x)
                for (int c = 0; c < 3; ++c) {
                    int v;
                    in >> v;
                    out.cells->set(c, x, y, z, std::uint8_t(v));
                }
    return bool(in);
}

}  // namespace bench
