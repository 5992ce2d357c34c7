#pragma once
// The window on a fake host, started up as on its first activation, driven by
// the same steps a user takes. Plain C++: no toolkit, no display.
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <tuple>

#include "fake_host.h"
#include "window/drawing.h"

struct FakeWindow {
    FakeHost host;
    window::Drawing d;

    // `plugIn` adds the commands the test needs, as the program does.
    explicit FakeWindow(const std::function<void(window::Drawing&)>& plugIn = {},
                        brain::Brain::Allocator allocate = &brain::Brain::populated)
        : d(std::move(allocate))
    {
        d.attach(host);
        if (plugIn)
            plugIn(d);
        host.show();
        d.activated();
        settle();
    }

    platform::Surface& surface() { return host.surface(); }
    // The surface point of grid cell (x, y).
    window::Point cell(int x, int y) const { return {d.view().origin().x + x, d.view().origin().y + y}; }
    // A surface point's colour on the window, and as the three canvases hold it.
    std::pair<platform::Colour, platform::Colour> colourAt(window::Point p)
    {
        const auto& c = d.canvases();
        return {surface().point(p.x, p.y),
                platform::rgb(c.value(0, p.x, p.y), c.value(1, p.x, p.y), c.value(2, p.x, p.y))};
    }
    platform::Colour colour() const { return d.pen().colour().colour(); }
    void setColour(platform::Colour c)  // and shows it in the swatch
    {
        d.pen().setColour({int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF)});
        d.drawSwatch();
    }
    std::string captionPart(int part) const  // the caption's parts between " / "
    {
        std::string c = host.caption();
        for (int i = 0; i < part; ++i)
            c = c.substr(c.find(" / ") + 3);
        return c.substr(0, c.find(" / "));
    }

    void settle(int turns = 3)
    {
        for (int i = 0; i < turns; ++i)
            d.turn();
    }

    // Runs steps separated by ';', one loop turn each: "menu NAME" (chosen
    // as the user would, so only when reachable), "click NAME" on a visible
    // control, "key K" ("X", "Enter", "+", "-", "Num++", "F1"), and mouse
    // events at grid cell "X Y", or away from the grid without one: "press",
    // "rpress" (right), "drag" (move with the left button), "drag2" (left and
    // right), "hover", "release".
    void run(const std::string& steps)
    {
        using namespace platform;
        static const std::map<std::string, int> keys = {
            {"Enter", key::Enter}, {"+", key::Plus}, {"-", key::Minus}, {"Num++", key::KeypadPlus}, {"F1", 112}};
        std::istringstream all(steps);
        for (std::string step; std::getline(all, step, ';');) {
            std::istringstream words(step);
            std::string verb, what;
            words >> verb;
            if (verb.empty())
                continue;
            int x = 0, y = 0;
            const bool atCell = bool(words >> x >> y);
            const window::Point p = atCell ? cell(x, y) : window::Point{500, 300};
            std::istringstream(step) >> verb >> what;
            if (verb == "menu")
                d.menuChosen(what);
            else if (verb == "click" && host.visible(what))
                d.buttonClicked(what);
            else if (verb == "key")
                d.keyPressed(keys.count(what) ? keys.at(what) : what[0]);
            else if (verb == "press" || verb == "rpress")
                d.mousePressed(verb == "press" ? mouse::Left : mouse::Right, p.x, p.y);
            else if (verb == "drag" || verb == "drag2" || verb == "hover")
                d.mouseMoved(verb == "drag" ? mouse::Left : verb == "drag2" ? mouse::Left | mouse::Right : 0, p.x, p.y);
            else if (verb != "release" && verb != "click")
                throw std::logic_error("no such step: " + step);
            settle(1);
        }
    }
};
