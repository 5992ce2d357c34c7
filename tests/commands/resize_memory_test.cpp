// A size whose arrays cannot be had is refused like one that does not fit,
// with nothing cleared. Runs the key handler on a window with no toolkit.
#include <gtest/gtest.h>

#include "commands/keys.h"
#include "platform/host.h"
#include "window/drawing.h"

namespace {

// A window one pixel wide and tall enough for any brain the keys could ask for.
class TallHost : public platform::Host {
public:
    void show() override {}
    platform::Surface& surface() override { return surface_; }
    std::string caption() const override { return caption_; }
    void setCaption(const std::string& text) override { caption_ = text; }
    void setMenuChecked(const std::string&, bool) override {}
    void setMenuEnabled(const std::string&, bool) override {}
    void setVisible(const std::string&, bool) override {}
    std::string text(const std::string&) const override { return {}; }
    void setText(const std::string&, const std::string&) override {}
    void rereadFiles(const std::string&) override {}
    void setPicture(const std::string&, const platform::Surface&) override {}
    void processPendingEvents() override {}
    void waitForEvents(int) override {}
    bool ended() const override { return false; }
    void end() override {}

private:
    platform::Surface surface_{1, 3'000'000, platform::rgb(255, 255, 255)};
    std::string caption_;
};

TEST(ResizeMemory, PlusIsRefusedWhenTheNextBrainCannotBeHad)
{
    TallHost host;
    window::Drawing d;
    d.attach(host);
    d.startUp();
    d.onKey = [&d](int code) { commands::keyPressed(d, code); };
    d.keyPressed(platform::key::Enter);  // a generated brain of size 30
    d.surface().setPoint(0, 5, platform::rgb(1, 2, 3));

    // 3 x 100010^3 bytes: far more than the machine has.
    d.dimX = d.dimY = d.dimZ = 100'000;
    d.keyPressed(platform::key::Plus);
    EXPECT_EQ(d.dimX, 100'000);
    EXPECT_EQ(d.needsRealloc, 0);
    EXPECT_TRUE(d.menus.enabled("savebrain"));
    EXPECT_EQ(d.surface().point(0, 5), platform::rgb(1, 2, 3));  // nothing cleared
    ASSERT_TRUE(d.cells);
    EXPECT_EQ(d.cells->size(), 30);

    // A size that can be had goes through as usual.
    d.dimX = d.dimY = d.dimZ = 30;
    d.keyPressed(platform::key::Plus);
    EXPECT_EQ(d.dimX, 40);
    EXPECT_EQ(d.needsRealloc, 1);
    EXPECT_FALSE(d.menus.enabled("savebrain"));
}

}  // namespace
