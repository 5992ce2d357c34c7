// The rules that give "Options" and "Choose draw color" back leave them
// disabled while a panel is open, so that no second panel can open over it;
// everything else those rules do still happens.
#include <gtest/gtest.h>

#include "commands/install.h"
#include "tests/window/fake_window.h"

namespace {

using namespace window::menu;
using window::Panel;

TEST(OpenPanel, RulesThatEnableThePanelMenusWaitForItToClose)
{
    struct Rule {
        const char* steps;
        std::function<void(FakeWindow&)> stillDone;
    } rules[] = {
        {"key X", [](FakeWindow& w) { EXPECT_EQ(w.d.view().layer(), 1); }},
        {"key +",
         [](FakeWindow& w) {
             EXPECT_EQ(w.d.brain().side(), 40);
             EXPECT_FALSE(w.host.menuEnabled(kSaveBrain));
         }},
        // A key on the input layer gives "Play options" back even under a panel.
        {"key F1;menu playoff",
         [](FakeWindow& w) { EXPECT_TRUE(w.host.menuChecked(kPlayOff) && !w.host.menuChecked(kComputerMoves)); }},
    };
    for (Panel panel : {Panel::About, Panel::Save, Panel::Load, Panel::Colour})
        for (const Rule& rule : rules) {
            SCOPED_TRACE(std::string("panel ") + std::to_string(int(panel)) + ": " + rule.steps);
            FakeWindow w(commands::install);
            w.run("key Enter;menu cmove");
            w.d.openPanel(panel);
            w.run(rule.steps);
            rule.stillDone(w);
            EXPECT_FALSE(w.d.mover().playing());
            for (const char* item : {kOptions, kChooseColour, panel == Panel::About ? kChooseColour : kAbout})
                EXPECT_FALSE(w.host.menuEnabled(item) || w.d.menus().enabled(item)) << item;
            w.d.closePanel(panel);
            for (const char* item : {kOptions, kChooseColour, kAbout})
                EXPECT_TRUE(w.host.menuEnabled(item) && w.d.menus().enabled(item)) << item;
        }
}

}  // namespace
