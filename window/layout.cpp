#include "layout.h"

namespace window {
namespace {

using platform::ControlKind;
using platform::ControlSpec;
using platform::rgb;
namespace c = control;

struct Box {
    int left, top, width, height;
};

ControlSpec label(const char* name, Box b, std::string text, platform::Colour colour)
{
    return {.name = name, .kind = ControlKind::Label, .left = b.left, .top = b.top, .width = b.width,
            .height = b.height, .text = std::move(text), .colour = colour};
}

ControlSpec opaque(ControlSpec label)
{
    label.opaque = true;
    return label;
}

ControlSpec textBox(const char* name, Box b, int maxLength, bool readOnly = false)
{
    return {.name = name, .kind = ControlKind::TextBox, .left = b.left, .top = b.top, .width = b.width,
            .height = b.height, .maxLength = maxLength, .readOnly = readOnly};
}

ControlSpec button(const char* name, Box b, std::string caption)
{
    return {.name = name, .kind = ControlKind::Button, .left = b.left, .top = b.top, .width = b.width,
            .height = b.height, .text = std::move(caption)};
}

ControlSpec fileList(const char* name, Box b)
{
    return {.name = name, .kind = ControlKind::FileList, .left = b.left, .top = b.top, .width = b.width,
            .height = b.height, .pattern = "*.brain"};
}

ControlSpec picture(const char* name, Box b)
{
    return {.name = name, .kind = ControlKind::Picture, .left = b.left, .top = b.top, .width = b.width,
            .height = b.height};
}

}  // namespace

const char* const kDesignedCaption = "Cerebrix - By Quillon (Age 26) / Size of brain: 9455 / Drawing on input layer";

const std::vector<std::string>& controlsOf(Panel panel)
{
    static const std::vector<std::string> panels[kPanels] = {
        {c::kAboutText, c::kAboutPicture},
        {c::kSaveLabel, c::kSaveName, c::kSaveFiles, c::kSaveDone, c::kSaveCancel},
        {c::kLoadLabel, c::kLoadName, c::kLoadFiles, c::kLoadDone, c::kLoadCancel},
        {c::kRedLabel, c::kRedBox, c::kGreenLabel, c::kGreenBox, c::kBlueLabel, c::kBlueBox, c::kColourMiddle,
         c::kColourZero, c::kColourDone, c::kColourCancel},
    };
    return panels[static_cast<int>(panel)];
}

std::vector<ControlSpec> controlDesign()
{
    const auto green = rgb(0, 255, 0);
    return {
        label(c::kAboutText, {8, 16, 129, 145},
              "This program is a form of actual computerized intelligence. Pixels are input from the screen, "
              "and the brain is generated accordingly. Output comes from the highest layer. All ideas and code "
              "were created completely from scratch by me (Quillon).",
              rgb(255, 0, 255)),
        picture(c::kAboutPicture, {168, 16, 137, 185}),

        label(c::kSaveLabel, {8, 72, 73, 17}, "Save brain as:", green),
        textBox(c::kSaveName, {80, 72, 49, 19}, 30),
        fileList(c::kSaveFiles, {128, 72, 81, 45}),
        button(c::kSaveDone, {8, 136, 49, 33}, "Done"),
        button(c::kSaveCancel, {8, 200, 49, 33}, "Cancel"),

        label(c::kLoadLabel, {8, 72, 105, 17}, "Name of brain to load:", green),
        textBox(c::kLoadName, {112, 72, 49, 19}, 0, true),
        fileList(c::kLoadFiles, {160, 72, 81, 45}),
        button(c::kLoadDone, {8, 136, 49, 33}, "Done"),
        button(c::kLoadCancel, {8, 200, 49, 33}, "Cancel"),

        // Above the file panels' controls, on the white left of the window,
        // clear of the swatch; on a white ground of its own, since a large
        // grid reaches up under it.
        opaque(label(c::kFileMessage, {8, 8, 260, 60}, "", rgb(192, 0, 0))),

        label(c::kRedLabel, {8, 72, 121, 17}, "Amount of red (0-255):", rgb(255, 0, 0)),
        textBox(c::kRedBox, {128, 72, 25, 19}, 3),
        label(c::kGreenLabel, {8, 112, 121, 17}, "Amount of green (0-255):", green),
        textBox(c::kGreenBox, {128, 112, 25, 19}, 3),
        label(c::kBlueLabel, {8, 160, 121, 17}, "Amount of blue (0-255)", rgb(0, 0, 255)),
        textBox(c::kBlueBox, {128, 160, 25, 19}, 3),
        button(c::kColourMiddle, {208, 72, 81, 33}, "Set to middle value"),
        button(c::kColourZero, {208, 128, 81, 33}, "Set to zero"),
        button(c::kColourDone, {8, 208, 49, 33}, "Done"),
        button(c::kColourCancel, {8, 272, 49, 33}, "Cancel"),
    };
}

}  // namespace window
