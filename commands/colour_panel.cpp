#include "colour_panel.h"

#include <string>

#include "number_text.h"
#include "window/drawing.h"
#include "window/names.h"

namespace commands {
namespace {

using namespace window::control;

// A refused entry keeps that component only.
int takeComponent(window::Drawing& d, const char* box, int component)
{
    return componentFromText(d.host().text(box)).value_or(component);
}

void setAll(window::Drawing& d, const std::string& text)
{
    for (const char* box : {kRedBox, kGreenBox, kBlueBox})
        d.host().setText(box, text);
}

}  // namespace

void openColourPanel(window::Drawing& d)
{
    const window::Rgb c = d.pen().colour();
    d.host().setText(kRedBox, std::to_string(c.red));
    d.host().setText(kGreenBox, std::to_string(c.green));
    d.host().setText(kBlueBox, std::to_string(c.blue));
    d.openPanel(window::Panel::Colour);
    d.host().focus(kRedBox);  // what is typed next is a number, not a key command
}

void colourDone(window::Drawing& d)
{
    const window::Rgb c = d.pen().colour();
    d.pen().setColour({takeComponent(d, kRedBox, c.red), takeComponent(d, kGreenBox, c.green),
                       takeComponent(d, kBlueBox, c.blue)});
    d.drawSwatch();
    colourCancel(d);
}

void colourCancel(window::Drawing& d)
{
    d.closePanel(window::Panel::Colour);
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
