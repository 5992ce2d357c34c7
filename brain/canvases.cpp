#include "canvases.h"

#include <algorithm>

namespace brain {

void Canvases::cover(int width, int height)
{
    for (auto& p : planes_)
        if (p.width() < width || p.height() < height)
            p.resize(std::max(p.width(), width), std::max(p.height(), height), 0);
}

void Canvases::fillRect(int x1, int y1, int x2, int y2, int red, int green, int blue)
{
    planes_[0].fillRect(x1, y1, x2, y2, platform::Colour(red));
    planes_[1].fillRect(x1, y1, x2, y2, platform::Colour(green));
    planes_[2].fillRect(x1, y1, x2, y2, platform::Colour(blue));
}

void Canvases::line(int x1, int y1, int x2, int y2, int red, int green, int blue)
{
    planes_[0].line(x1, y1, x2, y2, platform::Colour(red));
    planes_[1].line(x1, y1, x2, y2, platform::Colour(green));
    planes_[2].line(x1, y1, x2, y2, platform::Colour(blue));
}

void Canvases::setPoint(int x, int y, int red, int green, int blue)
{
    planes_[0].setPoint(x, y, platform::Colour(red));
    planes_[1].setPoint(x, y, platform::Colour(green));
    planes_[2].setPoint(x, y, platform::Colour(blue));
}

}  // namespace brain
