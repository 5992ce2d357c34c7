#include "page_calls.h"

#include <emscripten.h>

// Each call goes to window.cerebrixPage, which page.js sets up before the
// program starts.
EM_JS(int, cx_begin_frame, (int w, int h), { return cerebrixPage.beginFrame(w, h); });
EM_JS(void, cx_put_surface, (const void* p, int l, int t, int w, int h), {
    cerebrixPage.putSurface(HEAPU8.subarray(p, p + w * h * 4), l, t, w, h);
});
EM_JS(void, cx_show_surface, (int top), { cerebrixPage.showSurface(top); });
EM_JS(void, cx_fill, (int x, int y, int w, int h, unsigned c), { cerebrixPage.fill(x, y, w, h, c); });
EM_JS(void, cx_frame, (int x, int y, int w, int h, unsigned c), { cerebrixPage.frame(x, y, w, h, c); });
EM_JS(int, cx_text, (int x, int y, int w, int h, const char* s, unsigned c, int centre, int wrap, int size), {
    return cerebrixPage.text(x, y, w, h, UTF8ToString(s), c, centre, wrap, size);
});
EM_JS(int, cx_text_width, (const char* s, int size), { return cerebrixPage.textWidth(UTF8ToString(s), size); });
EM_JS(int, cx_wrapped_height, (const char* s, int w, int size), {
    return cerebrixPage.wrappedHeight(UTF8ToString(s), w, size);
});
EM_JS(void, cx_picture, (int x, int y, int w, int h, const void* p, int pw, int ph), {
    cerebrixPage.picture(x, y, w, h, HEAPU8.subarray(p, p + pw * ph * 4), pw, ph);
});
EM_JS(void, cx_set_title, (const char* s), { document.title = UTF8ToString(s); });
EM_JS(void, cx_describe_begin, (), { cerebrixPage.describeBegin(); });
EM_JS(void, cx_describe_item, (const char* role, const char* label, const char* text, int x, int y, int w, int h,
                               int inside, const char* states), {
    cerebrixPage.describeItem(UTF8ToString(role), UTF8ToString(label), UTF8ToString(text), x, y, w, h, inside,
                              UTF8ToString(states));
});
EM_JS(void, cx_describe_end, (), { cerebrixPage.describeEnd(); });
EM_JS(void, cx_busy, (int on), { cerebrixPage.busy(on); });
EM_JS(void, cx_place_area, (const char* name, int x, int y, int w, int h), {
    cerebrixPage.placeArea(UTF8ToString(name), x, y, w, h);
});
EM_JS(void, cx_program_ended, (), { cerebrixPage.ended(); });

namespace platform::web {

int beginFrame(int w, int h)
{
    return cx_begin_frame(w, h);
}

void putSurface(const std::uint32_t* rgba, int left, int top, int w, int h)
{
    cx_put_surface(rgba, left, top, w, h);
}

void showSurface(int top)
{
    cx_show_surface(top);
}

void fill(int x, int y, int w, int h, Colour c)
{
    cx_fill(x, y, w, h, c);
}

void frame(int x, int y, int w, int h, Colour c)
{
    cx_frame(x, y, w, h, c);
}

int text(int x, int y, int w, int h, const std::string& s, Colour c, Align align, bool wrap, int size)
{
    return cx_text(x, y, w, h, s.c_str(), c, align == Align::Centre, wrap, size);
}

int textWidth(const std::string& s, int size)
{
    return cx_text_width(s.c_str(), size);
}

int wrappedHeight(const std::string& s, int width, int size)
{
    return cx_wrapped_height(s.c_str(), width, size);
}

void picture(int x, int y, int w, int h, const std::uint32_t* rgba, int pw, int ph)
{
    cx_picture(x, y, w, h, rgba, pw, ph);
}

void setTitle(const std::string& s)
{
    cx_set_title(s.c_str());
}

void setBusy(bool busy)
{
    cx_busy(busy);
}

void placeArea(const std::string& name, int x, int y, int w, int h)
{
    cx_place_area(name.c_str(), x, y, w, h);
}

void describeBegin()
{
    cx_describe_begin();
}

void describeItem(const AccessItem& a)
{
    cx_describe_item(a.role.c_str(), a.label.c_str(), a.text.c_str(), a.x, a.y, a.w, a.h, a.inside, a.states.c_str());
}

void describeEnd()
{
    cx_describe_end();
}

void programEnded()
{
    cx_program_ended();
}

}  // namespace platform::web
