// The Qt host and names it was not built with: a debug build stops at once.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/qt_window.h"

namespace {

struct QuietSink : platform::EventSink {
    void activated() override {}
    void mousePressed(int, int, int) override {}
    void mouseMoved(int, int, int) override {}
    void keyPressed(int) override {}
    void menuChosen(const std::string&) override {}
    void buttonClicked(const std::string&) override {}
    void listSelected(const std::string&, const std::string&) override {}
    void surfaceResized(int, int) override {}
    void closeRequested() override {}
};

// Builds a window with one control and one menu entry, then runs `use` on it.
template <class Use>
void withWindow(Use use)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int argc = 1;
    char name[] = "qt-names-test";
    char* argv[] = {name, nullptr};
    platform::Toolkit kit(argc, argv);
    platform::WindowDesign design;
    design.clientWidth = 100;
    design.clientHeight = 80;
    platform::MenuEntry about;
    about.name = "about";
    about.caption = "About";
    design.menus = {about};
    design.controls = {{.name = "Text1", .kind = platform::ControlKind::TextBox}};
    QuietSink sink;
    auto host = kit.openWindow(design, sink);
    use(*host);
}

TEST(QtHostDeathTest, AnUnknownNameStopsADebugBuild)
{
#ifdef NDEBUG
    GTEST_SKIP() << "assertions are compiled out of this build";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const struct {
        const char* what;
        void (*use)(platform::Host&);
    } slips[] = {
        {"control", [](platform::Host& h) { h.setVisible("Txet1", true); }},
        {"text", [](platform::Host& h) { h.setText("Text2", "x"); }},
        {"menu", [](platform::Host& h) { h.setMenuEnabled("abuot", false); }},
    };
    for (const auto& slip : slips)
        EXPECT_DEATH(withWindow(slip.use), "no control or menu entry") << slip.what;
    // The names it was built with pass.
    EXPECT_EXIT(withWindow([](platform::Host& h) {
                    h.setText("Text1", "x");
                    h.setMenuEnabled("about", false);
                    std::exit(h.text("Text1") == "x" ? 0 : 1);
                }),
                testing::ExitedWithCode(0), "");
#endif
}

}  // namespace
