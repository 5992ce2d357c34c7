#include "web_host.h"

#include <dirent.h>

#include <algorithm>
#include <filesystem>

#include "page_calls.h"
#include "platform/name_pattern.h"

namespace platform::web {

WebHost* shownHost = nullptr;

WebHost::WebHost(const WindowDesign& design, EventSink& sink)
    : sink_(sink), surface_(design.clientWidth, design.clientHeight, design.background), caption_(design.caption),
      menus_(design.menus), controls_(design.controls, sink)
{
    setTitle(caption_);
}

WebHost::~WebHost()
{
    if (shownHost == this)
        shownHost = nullptr;
}

void WebHost::show()
{
    shown_ = true;
    shownHost = this;
    surface_.takeDirty();
    scale_ = 0;  // the first frame draws everything
    paint();
}

void WebHost::setCaption(const std::string& text)
{
    caption_ = text;
    setTitle(text);
}

void WebHost::setMenuChecked(const std::string& name, bool checked)
{
    menus_.setChecked(name, checked);
    overlaysChanged_ = true;
}

void WebHost::setMenuEnabled(const std::string& name, bool enabled)
{
    menus_.setEnabled(name, enabled);
    overlaysChanged_ = true;
}

void WebHost::setVisible(const std::string& control, bool visible)
{
    controls_.setVisible(control, visible);
    overlaysChanged_ = true;
}

std::string WebHost::text(const std::string& control) const
{
    const WebControl* c = controls_.find(control);
    return c ? c->text : std::string();
}

void WebHost::setText(const std::string& control, const std::string& text)
{
    if (WebControl* c = controls_.find(control)) {
        c->text = text;
        c->allSelected = false;
        c->caret = c->design.readOnly ? 0 : text.size();  // a chosen name is read from its start
    }
    overlaysChanged_ = true;
}

void WebHost::rereadFiles(const std::string& list)
{
    WebControl* c = controls_.find(list);
    if (!c)
        return;
    c->entries.clear();
    c->selected = -1;
    c->first = 0;
    if (DIR* dir = ::opendir(".")) {
        while (const dirent* e = ::readdir(dir))
            if (e->d_type != DT_DIR && matchesPattern(e->d_name, c->design.pattern))
                c->entries.emplace_back(e->d_name);
        ::closedir(dir);
    }
    std::sort(c->entries.begin(), c->entries.end());  // byte order, as on the desktop
    overlaysChanged_ = true;
}

void WebHost::focus(const std::string& control)
{
    controls_.focus(control);
    overlaysChanged_ = true;
}

bool WebHost::fitsAtUsualSize(const std::string& label, const std::string& text) const
{
    return controls_.fits(label, text);
}

void WebHost::setPicture(const std::string& control, const Surface& picture)
{
    WebControl* c = controls_.find(control);
    if (!c)
        return;
    c->pictureWidth = picture.width();
    c->pictureHeight = picture.height();
    c->rgba.resize(std::size_t(picture.width()) * std::size_t(picture.height()));
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            c->rgba[std::size_t(y * picture.width() + x)] = opaqueColour(picture.point(x, y));
    overlaysChanged_ = true;
}

void WebHost::processPendingEvents()
{
    // The first turn after the page shows the window is its activation.
    if (shown_ && !announced_) {
        announced_ = true;
        sink_.activated();
    }
    // Only what is waiting now: events that handlers cause wait for the next turn.
    for (std::size_t n = queue_.size(); n > 0 && !queue_.empty() && !ended_; --n) {
        const PageEvent e = std::move(queue_.front());
        queue_.pop_front();
        handle(e);
    }
    paint();
}

void WebHost::waitForEvents(int /*timeoutMs*/)
{
    // A page cannot sleep: the browser calls again on the next frame.
    processPendingEvents();
}

void WebHost::end()
{
    ended_ = true;
    menus_.close();
    overlaysChanged_ = true;
    paint();
    // A page cannot close its own tab: it says that the program is over.
    programEnded();
}

void WebHost::setBusy(bool busy)
{
    web::setBusy(busy);
}

void WebHost::placeArea(const std::string& name, Rect area)
{
    // Placed on every repaint of the swatch: the page hears only of a move.
    const auto same = [](Rect a, Rect b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    };
    if (auto [at, fresh] = areas_.try_emplace(name, area); fresh || !same(at->second, area)) {
        at->second = area;
        web::placeArea(name, area.left, area.top + kMenuBarHeight, area.right - area.left + 1,
                       area.bottom - area.top + 1);
    }
}

void WebHost::handle(const PageEvent& e)
{
    overlaysChanged_ = true;
    switch (e.kind) {
    case PageEvent::Press:
    case PageEvent::Release:
    case PageEvent::Move:
        return pointer(e);
    case PageEvent::Key:
        return keyDown(e);
    case PageEvent::KeyUp:
        held_.erase(e.a);
        return;
    case PageEvent::Blur:
        held_.clear();  // keys released elsewhere are never seen here
        return;
    case PageEvent::Drop:
        return drop(e.text);
    case PageEvent::Wheel:
        if (WebControl* c = controls_.at(e.x, e.y - kMenuBarHeight))
            controls_.scroll(*c, e.a);
        return;
    }
}

void WebHost::pointer(const PageEvent& e)
{
    const int x = e.x, y = e.y - kMenuBarHeight;  // y on the surface
    if (e.kind == PageEvent::Release) {
        if (grab_ == Grab::Control)
            controls_.release(x, y);
        grab_ = Grab::None;
        return;
    }
    if (e.kind == PageEvent::Move) {
        if (grab_ == Grab::Surface)
            sink_.mouseMoved(e.a, x, y);
        else if (menus_.isOpen())
            menus_.hover(e.x, e.y);
        else if (grab_ == Grab::None && y >= 0 && x >= 0 && x < surface_.width() && y < surface_.height() &&
                 !controls_.at(x, y))
            sink_.mouseMoved(e.a, x, y);
        return;
    }
    if (grab_ != Grab::None)  // a second button while one is held: the first's owner takes it
        return grab_ == Grab::Surface ? sink_.mousePressed(e.a, x, y) : void();
    if (menus_.isOpen() || y < 0) {
        grab_ = Grab::Menu;
        if (const std::string chosen = menus_.press(e.x, e.y); !chosen.empty())
            sink_.menuChosen(chosen);
        return;
    }
    if (WebControl* c = controls_.at(x, y)) {
        grab_ = Grab::Control;
        controls_.press(*c, x, y);
        return;
    }
    grab_ = Grab::Surface;
    controls_.dropFocus();  // the surface takes the keyboard, as a click on it does on the desktop
    sink_.mousePressed(e.a, x, y);
}

void WebHost::keyDown(const PageEvent& e)
{
    if (menus_.isOpen()) {  // every key is the menus' while one is open
        if (const std::string chosen = menus_.key(e.a); !chosen.empty())
            sink_.menuChosen(chosen);
        return;
    }
    if (controls_.hasFocus()) {
        return controls_.key(e.a, e.text, e.shift);
    }
    // A held key repeats for the window only if its press began here: the
    // Enter that closed a panel does not go on to generate.
    if (!e.repeat && e.a != 0)
        held_.insert(e.a);
    else if (e.repeat && !held_.count(e.a))
        return;
    sink_.keyPressed(e.a);
}

void WebHost::drop(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!sink_.acceptsDrop(path)) {
        fs::remove(path, ec);
        return;
    }
    // Kept in the brain folder under a name no brain there has yet.
    const fs::path from(path);
    fs::path to = fs::current_path(ec) / from.filename();
    for (int n = 2; fs::exists(to, ec); ++n)
        to = fs::current_path(ec) / (from.stem().string() + " (" + std::to_string(n) + ")" + from.extension().string());
    if (!fs::copy_file(from, to, ec))
        to = from;  // no room to keep it: it is still taken up from where it came
    else
        fs::remove(from, ec);
    sink_.fileDropped(to.string());
}

}  // namespace platform::web
