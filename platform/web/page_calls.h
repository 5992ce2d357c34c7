#pragma once
// The few calls the web port makes into its page (page.js): drawing on the
// window's canvas in designed pixels (the page scales them), the title, and
// the brain folder kept in the browser's storage.
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
// Tells the page that the brain folder changed: it writes it to the
// browser's storage and lists it for download.
void folderChanged();
// The program has ended ("Quit"): the page says how to start it again.
void programEnded();

}  // namespace platform::web
