#include "colour_panel.h"

#include <string>

#include "number_text.h"
#include "window/drawing.h"
#include "window/layout.h"

namespace commands {
namespace {

void takeComponent(window::Drawing& d, const char* box, int& component)
{
    if (auto v = componentFromText(d.host().text(box)))
        component = *v;
}

void setAll(window::Drawing& d, const std::string& text)
{
    for (const char* box : {"Text3", "Text4", "Text5"})
        d.host().setText(box, text);
}

}  // namespace

void openColourPanel(window::Drawing& d)
{
    d.host().setText("Text3", std::to_string(d.drawRed));
    d.host().setText("Text4", std::to_string(d.drawGreen));
    d.host().setText("Text5", std::to_string(d.drawBlue));
    d.enablePanelMenus(false);
    d.showPanel(window::kColourPanel, true);
}

void colourDone(window::Drawing& d)
{
    takeComponent(d, "Text3", d.drawRed);
    takeComponent(d, "Text4", d.drawGreen);
    takeComponent(d, "Text5", d.drawBlue);
    d.drawswatch();
    colourCancel(d);
}

void colourCancel(window::Drawing& d)
{
    d.showPanel(window::kColourPanel, false);
    d.enablePanelMenus(true);
}

void colourMiddle(window::Drawing& d)
{
    setAll(d, "128");
}

void colourZero(window::Drawing& d)
{
    setAll(d, "0");
}

}  // namespace commands
