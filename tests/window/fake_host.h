#pragma once
// A window host in plain C++, no toolkit: it keeps what the program sets
// (caption, menu states, controls' visibility and text) for tests to read,
// and throws on any name the window's design does not hold.
#include <map>
#include <set>
#include <stdexcept>
#include <string>

#include "platform/host.h"
#include "window/layout.h"
#include "window/menus.h"

class FakeHost : public platform::Host {
public:
    FakeHost() : surface_(window::kClientWidth, window::kClientHeight, platform::rgb(255, 255, 255))
    {
        for (const platform::ControlSpec& c : window::controlDesign())
            controls_[c.name] = Control{false, c.text};
        addMenus(window::menuDesign());
    }

    void show() override {}
    platform::Surface& surface() override { return surface_; }
    std::string caption() const override { return caption_; }
    void setCaption(const std::string& text) override { caption_ = text; }

    void setMenuChecked(const std::string& name, bool on) override { menu(name).checked = on; }
    void setMenuEnabled(const std::string& name, bool on) override { menu(name).enabled = on; }
    void setVisible(const std::string& name, bool on) override { control(name).visible = on; }
    std::string text(const std::string& name) const override { return controls_.at(known(name)).text; }
    void setText(const std::string& name, const std::string& text) override { control(name).text = text; }
    void rereadFiles(const std::string& list) override { known(list); }
    void setPicture(const std::string& name, const platform::Surface&) override { known(name); }

    void processPendingEvents() override {}
    void waitForEvents(int) override {}
    bool ended() const override { return ended_; }
    void end() override { ended_ = true; }

    // What the window's user would see.
    bool visible(const std::string& name) const { return controls_.at(known(name)).visible; }
    bool menuEnabled(const std::string& name) const { return menus_.at(knownMenu(name)).enabled; }
    bool menuChecked(const std::string& name) const { return menus_.at(knownMenu(name)).checked; }

private:
    struct Control {
        bool visible = false;
        std::string text;
    };
    struct Menu {
        bool checked = false, enabled = true;
    };

    void addMenus(const std::vector<platform::MenuEntry>& entries)
    {
        for (const platform::MenuEntry& e : entries) {
            menus_[e.name] = Menu{e.checked, e.enabled};
            addMenus(e.items);
        }
    }
    template <class Map>
    static const std::string& named(const Map& all, const std::string& name, const char* what)
    {
        if (!all.count(name))
            throw std::logic_error(std::string("no ") + what + " named " + name);
        return name;
    }
    const std::string& known(const std::string& name) const { return named(controls_, name, "control"); }
    const std::string& knownMenu(const std::string& name) const { return named(menus_, name, "menu entry"); }
    Control& control(const std::string& name) { return controls_.at(known(name)); }
    Menu& menu(const std::string& name) { return menus_.at(knownMenu(name)); }

    platform::Surface surface_;
    std::string caption_ = window::kDesignedCaption;
    std::map<std::string, Control> controls_;
    std::map<std::string, Menu> menus_;
    bool ended_ = false;
};
