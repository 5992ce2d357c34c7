#include "web_controls.h"

#include <algorithm>
#include <tuple>

#include "page_calls.h"

namespace platform::web {
namespace {

constexpr int kUsualSize = 11, kSmallestSize = 7, kLineHeight = 15;
constexpr Colour kWhite = rgb(255, 255, 255), kBlack = rgb(0, 0, 0), kEdge = rgb(122, 122, 122);
constexpr Colour kFace = rgb(225, 225, 225), kFocus = rgb(0, 120, 215), kSelection = rgb(0, 120, 215);
constexpr int kTab = 9, kBackspace = 8, kDelete = 46, kSpace = 32, kUp = 38, kDown = 40;
constexpr int kEnd = 35, kHome = 36, kLeft = 37, kRight = 39;

bool continuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The start of the character before or after byte offset `at` (UTF-8).
std::size_t previous(const std::string& s, std::size_t at)
{
    while (at > 0 && continuation(s[--at])) {
    }
    return at;
}

std::size_t next(const std::string& s, std::size_t at)
{
    while (at < s.size() && continuation(s[++at])) {
    }
    return std::min(at, s.size());
}

int visibleRows(const WebControl& list)
{
    return std::max(1, (list.design.height - 4) / kLineHeight);
}

int characters(const std::string& s)
{
    return int(std::count_if(s.begin(), s.end(), [](char ch) { return (static_cast<unsigned char>(ch) & 0xC0) != 0x80; }));
}

}  // namespace

WebControls::WebControls(const std::vector<ControlSpec>& specs, EventSink& sink) : sink_(sink)
{
    controls_.reserve(specs.size());  // pointers into it are kept
    for (const ControlSpec& s : specs)
        controls_.push_back({.design = s, .text = s.text});
}

WebControl* WebControls::find(const std::string& name)
{
    for (WebControl& c : controls_)
        if (c.design.name == name)
            return &c;
    return nullptr;
}

const WebControl* WebControls::find(const std::string& name) const
{
    return const_cast<WebControls*>(this)->find(name);
}

WebControl* WebControls::at(int x, int y)
{
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
        if (it->contains(x, y))
            return &*it;
    return nullptr;
}

void WebControls::setVisible(const std::string& name, bool visible)
{
    WebControl* c = find(name);
    if (!c)
        return;
    c->visible = visible;
    if (!visible && focus_ == c)
        focus_ = nullptr;  // the keyboard goes back to the window
    if (!visible && pressed_ == c)
        pressed_ = nullptr;
}

void WebControls::focus(const std::string& name)
{
    WebControl* c = find(name);
    if (!c || !c->visible)
        return;
    focus_ = c;
    c->allSelected = c->design.kind == ControlKind::TextBox;
    c->caret = c->text.size();
}

void WebControls::press(WebControl& c, int /*x*/, int y)
{
    switch (c.design.kind) {
    case ControlKind::TextBox:
        focus_ = &c;
        c.allSelected = false;
        c.caret = c.text.size();
        break;
    case ControlKind::Button:
        focus_ = &c;
        pressed_ = &c;
        break;
    case ControlKind::FileList:
        focus_ = &c;
        select(c, c.first + (y - c.design.top - 2) / kLineHeight);
        break;
    case ControlKind::Picture:
        focus_ = &c;
        break;
    case ControlKind::Label:
        break;
    }
}

void WebControls::release(int x, int y)
{
    WebControl* c = pressed_;
    pressed_ = nullptr;
    if (c && c->contains(x, y))
        click(*c);
}

void WebControls::scroll(WebControl& c, int steps)
{
    if (c.design.kind != ControlKind::FileList)
        return;
    const int last = std::max(0, int(c.entries.size()) - visibleRows(c));
    c.first = std::clamp(c.first + steps, 0, last);
}

void WebControls::click(const WebControl& c)
{
    sink_.buttonClicked(c.design.name);
}

void WebControls::select(WebControl& list, int entry)
{
    if (entry < 0 || entry >= int(list.entries.size()))
        return;
    list.selected = entry;
    list.first = std::clamp(list.first, entry - visibleRows(list) + 1, entry);  // keep it in view
    sink_.listSelected(list.design.name, list.entries[std::size_t(entry)]);
}

// Tab walks the shown controls that take the keyboard, in reading order.
void WebControls::step(bool forward)
{
    std::vector<WebControl*> ring;
    for (WebControl& c : controls_)
        if (c.visible && c.design.kind != ControlKind::Label)
            ring.push_back(&c);
    std::stable_sort(ring.begin(), ring.end(), [](const WebControl* a, const WebControl* b) {
        return std::tie(a->design.top, a->design.left) < std::tie(b->design.top, b->design.left);
    });
    const auto at = std::find(ring.begin(), ring.end(), focus_);
    if (at == ring.end())
        return;
    const auto n = std::ptrdiff_t(ring.size()), i = at - ring.begin();
    focus_ = ring[std::size_t((i + (forward ? 1 : n - 1)) % n)];
    focus_->allSelected = focus_->design.kind == ControlKind::TextBox;
    focus_->caret = focus_->text.size();
}

void WebControls::key(int code, const std::string& typed, bool shift)
{
    if (!focus_)
        return;
    WebControl& c = *focus_;
    if (code == kTab)
        return step(!shift);
    if (code == key::Enter && c.design.kind == ControlKind::Button)
        return click(c);
    if (code == key::Enter || code == key::Escape)
        return sink_.panelKeyPressed(c.design.name, code);
    switch (c.design.kind) {
    case ControlKind::Button:
        if (code == kSpace)
            click(c);
        break;
    case ControlKind::FileList:
        if (code == kUp || code == kDown)
            select(c, c.selected < 0 ? 0 : c.selected + (code == kDown ? 1 : -1));
        break;
    case ControlKind::TextBox:
        edit(c, code, typed);
        break;
    default:
        break;
    }
}

// Typing replaces a selected text; otherwise it goes in at the caret.
void WebControls::edit(WebControl& c, int code, const std::string& typed)
{
    const bool replace = c.allSelected;
    if (code == kLeft || code == kRight || code == kHome || code == kEnd) {
        c.caret = code == kHome ? 0 : code == kEnd ? c.text.size() : code == kLeft ? previous(c.text, c.caret) : next(c.text, c.caret);
        c.allSelected = false;
        return;
    }
    if (c.design.readOnly)
        return;
    if (replace && (code == kBackspace || code == kDelete || !typed.empty())) {
        c.text.clear();
        c.caret = 0;
    }
    c.allSelected = false;
    c.caret = std::min(c.caret, c.text.size());
    if (replace && typed.empty())
        return;
    if (code == kBackspace && c.caret > 0) {
        const std::size_t from = previous(c.text, c.caret);
        c.text.erase(from, c.caret - from);
        c.caret = from;
    } else if (code == kDelete && c.caret < c.text.size()) {
        c.text.erase(c.caret, next(c.text, c.caret) - c.caret);
    } else if (!typed.empty() && code != kBackspace && code != kDelete &&
               (c.design.maxLength <= 0 || characters(c.text) < c.design.maxLength)) {
        c.text.insert(c.caret, typed);
        c.caret += typed.size();
    }
}

bool WebControls::fits(const std::string& label, const std::string& text) const
{
    const WebControl* c = find(label);
    return !c || wrappedHeight(text, c->design.width, kUsualSize) <= c->design.height;
}

void WebControls::paint(int top) const
{
    for (const WebControl& c : controls_) {
        if (!c.visible)
            continue;
        const ControlSpec& s = c.design;
        const int x = s.left, y = s.top + top, w = s.width, h = s.height;
        const bool focused = focus_ == &c;
        switch (s.kind) {
        case ControlKind::Label: {
            if (s.opaque)
                fill(x, y, w, h, kWhite);
            int size = kUsualSize;  // a long message shrinks to show whole
            while (size > kSmallestSize && wrappedHeight(c.text, w, size) > h)
                --size;
            text(x, y, w, h, c.text, s.colour, Align::Left, true, size);
            break;
        }
        case ControlKind::TextBox:
            fill(x, y, w, h, kWhite);
            frame(x, y, w, h, focused ? kFocus : kEdge);
            if (focused && c.allSelected && !c.text.empty())
                fill(x + 2, y + 3, std::min(w - 4, textWidth(c.text, kUsualSize)), h - 6, kSelection);
            text(x + 2, y, w - 4, h, c.text, focused && c.allSelected ? kWhite : kBlack, Align::Left, false, kUsualSize);
            if (focused && !c.allSelected && !s.readOnly)
                fill(x + 2 + std::min(w - 5, textWidth(c.text.substr(0, c.caret), kUsualSize)), y + 3, 1, h - 6, kBlack);
            break;
        case ControlKind::Button:
            fill(x, y, w, h, pressed_ == &c ? rgb(204, 228, 247) : kFace);
            frame(x, y, w, h, focused ? kFocus : rgb(173, 173, 173));
            text(x, y, w, h, c.text, kBlack, Align::Centre, true, kUsualSize);
            break;
        case ControlKind::FileList:
            fill(x, y, w, h, kWhite);
            frame(x, y, w, h, focused ? kFocus : kEdge);
            for (std::size_t i = std::size_t(c.first); i < c.entries.size() && 2 + int(i) * kLineHeight - c.first * kLineHeight < h - 2; ++i) {
                const int ly = y + 2 + (int(i) - c.first) * kLineHeight;
                const bool chosen = int(i) == c.selected;
                if (chosen)
                    fill(x + 1, ly, w - 2, std::min(kLineHeight, y + h - 1 - ly), kSelection);
                text(x + 3, ly, w - 6, std::min(kLineHeight, y + h - 1 - ly), c.entries[i], chosen ? kWhite : kBlack,
                     Align::Left, false, kUsualSize);
            }
            break;
        case ControlKind::Picture:
            picture(x, y, w, h, c.rgba.data(), c.pictureWidth, c.pictureHeight);
            break;
        }
    }
}

}  // namespace platform::web
