#include "layout.h"

namespace window {
namespace {

using platform::ControlKind;
using platform::ControlSpec;
using platform::rgb;

ControlSpec label(std::string name, int l, int t, int w, int h, std::string text, platform::Colour colour)
{
    ControlSpec c{std::move(name), ControlKind::Label, l, t, w, h, std::move(text), colour, 0, false, {}};
    return c;
}

ControlSpec textBox(std::string name, int l, int t, int w, int h, int maxLength, bool readOnly = false)
{
    return ControlSpec{std::move(name), ControlKind::TextBox, l, t, w, h, {}, 0, maxLength, readOnly, {}};
}

ControlSpec button(std::string name, int l, int t, int w, int h, std::string caption)
{
    return ControlSpec{std::move(name), ControlKind::Button, l, t, w, h, std::move(caption), 0, 0, false, {}};
}

ControlSpec fileList(std::string name, int l, int t, int w, int h)
{
    return ControlSpec{std::move(name), ControlKind::FileList, l, t, w, h, {}, 0, 0, false, "*.brain"};
}

}  // namespace

const char* const kDesignedCaption = "Cerebrix - By Quillon (Age 26) / Size of brain: 9455 / Drawing on input layer";

const std::vector<std::string> kAboutPanel = {"Label6", "Picture1"};
const std::vector<std::string> kSavePanel = {"Label1", "Text1", "File1", "Command1", "Command2"};
const std::vector<std::string> kLoadPanel = {"Label2", "Text2", "File2", "Command3", "Command4"};
const std::vector<std::string> kColourPanel = {"Label3", "Text3", "Label4", "Text4", "Label5",
                                               "Text5", "Command7", "Command8", "Command5", "Command6"};

std::vector<ControlSpec> controlDesign()
{
    const auto green = rgb(0, 255, 0);
    return {
        label("Label6", 8, 16, 129, 145,
              "This program is a form of actual computerized intelligence. Pixels are input from the screen, "
              "and the brain is generated accordingly. Output comes from the highest layer. All ideas and code "
              "were created completely from scratch by me (Quillon).",
              rgb(255, 0, 255)),
        ControlSpec{"Picture1", ControlKind::Picture, 168, 16, 137, 185, {}, 0, 0, false, {}},

        label("Label1", 8, 72, 73, 17, "Save brain as:", green),
        textBox("Text1", 80, 72, 49, 19, 30),
        fileList("File1", 128, 72, 81, 45),
        button("Command1", 8, 136, 49, 33, "Done"),
        button("Command2", 8, 200, 49, 33, "Cancel"),

        label("Label2", 8, 72, 105, 17, "Name of brain to load:", green),
        textBox("Text2", 112, 72, 49, 19, 0, true),
        fileList("File2", 160, 72, 81, 45),
        button("Command3", 8, 136, 49, 33, "Done"),
        button("Command4", 8, 200, 49, 33, "Cancel"),

        label("Label3", 8, 72, 121, 17, "Amount of red (0-255):", rgb(255, 0, 0)),
        textBox("Text3", 128, 72, 25, 19, 3),
        label("Label4", 8, 112, 121, 17, "Amount of green (0-255):", green),
        textBox("Text4", 128, 112, 25, 19, 3),
        label("Label5", 8, 160, 121, 17, "Amount of blue (0-255)", rgb(0, 0, 255)),
        textBox("Text5", 128, 160, 25, 19, 3),
        button("Command7", 208, 72, 81, 33, "Set to middle value"),
        button("Command8", 208, 128, 81, 33, "Set to zero"),
        button("Command5", 8, 208, 49, 33, "Done"),
        button("Command6", 8, 272, 49, 33, "Cancel"),
    };
}

}  // namespace window
