#pragma once
// The few calls the web port makes into its page (page.js): drawing on the
// window's canvas in designed pixels (the page scales them), the title, the
// cursor, and the places a screen reader finds over the canvas.
#include <cstdint>
#include <string>

#include "platform/surface.h"

namespace platform::web {

enum class Align { Left, Centre };

// Sizes the canvas for a window of w x h designed pixels; returns the whole
// number of device pixels per designed pixel.
int beginFrame(int w, int h);
// Copies changed surface pixels (RGBA, row by row) into the page's image of the surface.
void putSurface(const std::uint32_t* rgba, int left, int top, int w, int h);
// Draws the page's image of the surface with its top-left corner at (0, top).
void showSurface(int top);
void fill(int x, int y, int w, int h, Colour c);
void frame(int x, int y, int w, int h, Colour c);  // the border pixels of the box
// Text in the box, clipped to it; `wrap` breaks lines at spaces. Returns
// the height the text needs.
int text(int x, int y, int w, int h, const std::string& s, Colour c, Align align, bool wrap, int size);
int textWidth(const std::string& s, int size);
int wrappedHeight(const std::string& s, int width, int size);
void picture(int x, int y, int w, int h, const std::uint32_t* rgba, int pw, int ph);
void setTitle(const std::string& s);
// The wait cursor over the canvas, or the usual one. The browser shows a
// cursor only between turns, so a wait inside one turn never shows.
void setBusy(bool busy);
// Places (or moves) an element over the canvas that a screen reader finds by
// `name`, the desktop's name for what is drawn there; nothing visible changes.
void placeArea(const std::string& name, int x, int y, int w, int h);

// One thing a screen reader finds over the canvas, in designed canvas
// pixels: an ARIA role ("" for plain text), its name, the text it holds,
// and states among "active checked disabled expanded haspopup readonly
// selected". `inside` puts it in the last thing told that was not inside.
struct AccessItem {
    std::string role{}, label{}, text{};
    int x = 0, y = 0, w = 0, h = 0;
    bool inside = false;
    std::string states{};
};
// The things are told anew, all of them, between these two calls; the page
// changes its elements only when something differs.
void describeBegin();
void describeItem(const AccessItem& a);
void describeEnd();
// The program has ended ("Quit"): the page says how to start it again.
void programEnded();

}  // namespace platform::web
