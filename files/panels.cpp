#include "panels.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "storage/read/brain_reader.h"
#include "storage/write/brain_writer.h"
#include "busy_cursor.h"
#include "window/drawing.h"
#include "window/fitted_message.h"
#include "window/names.h"

namespace files {
namespace {

using namespace window::control;
using window::Panel;

bool onlyBlanks(const std::string& s)
{
    return s.find_first_not_of(" \t") == std::string::npos;
}

// The names in a message are shortened as the label needs, never the message.
void say(window::Drawing& d, const std::string& message, std::vector<std::string> names)
{
    d.host().setText(kFileMessage, window::fittedMessage(d.host(), kFileMessage, message, std::move(names)));
    d.host().setVisible(kFileMessage, true);
}

// The name box takes the keyboard, so that a name typed at once is not taken
// for key commands (which would resize the brain at its first "-").
void openPanel(window::Drawing& d, Panel panel, const char* list, const char* nameBox)
{
    d.host().setVisible(kFileMessage, false);  // a message left by a file opened from outside
    d.host().rereadFiles(list);
    d.openPanel(panel);
    d.host().focus(nameBox);
}

// Where a save goes, named in full: a message about the folder "." says
// nothing once the working folder has moved to where a brain was opened.
std::string inWorkingFolder(const std::string& file)
{
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::current_path(ec);
    return ec ? file : (folder / file).string();
}

void closePanel(window::Drawing& d, Panel panel)
{
    d.host().setVisible(kFileMessage, false);
    d.host().setText(kFileMessage, "");
    d.closePanel(panel);
}

storage::BrainHeader headerOf(const window::Drawing& d)
{
    const int side = d.brain().side();
    const window::Rgb c = d.pen().colour();
    const window::MoverPlace& m = d.mover().place();
    storage::BrainHeader h;
    h.dimX = h.dimY = h.dimZ = side;
    h.drawRed = c.red;
    h.drawGreen = c.green;
    h.drawBlue = c.blue;
    h.moverX = m.x;
    h.moverY = m.y;
    h.moverStepY = m.stepY;
    h.moverStepX = m.stepX;
    return h;
}

window::StoredBrain storedOf(storage::LoadedBrain& loaded)
{
    const storage::BrainHeader& h = loaded.header;
    return {.colour = {h.drawRed, h.drawGreen, h.drawBlue},
            .mover = {.x = h.moverX, .y = h.moverY, .stepX = h.moverStepX, .stepY = h.moverStepY},
            .cells = std::move(loaded.cells)};
}

}  // namespace

void install(window::Drawing& d)
{
    d.setCommand(window::menu::kSaveBrain, [&d] { openSavePanel(d); });
    d.setCommand(window::menu::kLoadBrain, [&d] { openLoadPanel(d); });
    d.setCommand(kSaveDone, [&d] { saveDone(d); });
    d.setCommand(kSaveCancel, [&d] { closeSavePanel(d); });
    d.setCommand(kLoadDone, [&d] { loadDone(d); });
    d.setCommand(kLoadCancel, [&d] { closeLoadPanel(d); });
    d.setListHandler([&d](const std::string& list, const std::string& entry) {
        if (list == kLoadFiles)
            d.host().setText(kLoadName, entry);
    });
}

void openSavePanel(window::Drawing& d)
{
    openPanel(d, Panel::Save, kSaveFiles, kSaveName);
}

void openLoadPanel(window::Drawing& d)
{
    openPanel(d, Panel::Load, kLoadFiles, kLoadName);
}

void closeSavePanel(window::Drawing& d)
{
    closePanel(d, Panel::Save);
}

void closeLoadPanel(window::Drawing& d)
{
    closePanel(d, Panel::Load);
}

void saveDone(window::Drawing& d)
{
    const std::string name = d.host().text(kSaveName);
    if (onlyBlanks(name))
        return;
    const std::string file = name + ".brain";
    if (name.find('/') != std::string::npos || name.find('\0') != std::string::npos) {
        say(d, "Cannot save as \"" + file + "\": a name may not contain \"/\". Brains are saved in the working folder.",
            {file});
        return;
    }
    const brain::CellGrid* cells = d.brain().cellsOfSide();
    if (!cells) {
        // Enter in the name box means "Done": say what does generate.
        say(d,
            "Cannot save \"" + file + "\" yet: the brain has a new size. Close this panel, press Enter on the grid, "
            "then save.",
            {file});
        return;
    }
    const std::string path = inWorkingFolder(file);
    BusyCursor busy(d.host());
    const storage::FileResult r = storage::writeBrainFile(path, headerOf(d), *cells, {}, busy.progress());
    if (!r.ok) {
        say(d, r.error, {path, std::filesystem::path(path).parent_path().string(), file});
        return;
    }
    closeSavePanel(d);
}

void loadDone(window::Drawing& d)
{
    const std::string name = d.host().text(kLoadName);
    if (onlyBlanks(name))
        return;
    if (loadBrain(d, name))
        closeLoadPanel(d);
}

bool loadBrain(window::Drawing& d, const std::string& path)
{
    storage::LoadedBrain loaded;
    BusyCursor busy(d.host());
    const storage::FileResult r = storage::readBrainFile(path, loaded, busy.progress());
    if (!r.ok || !loaded.cells) {
        say(d, r.ok ? "Cannot load \"" + path + "\"." : r.error, {path});
        return false;
    }
    d.takeUp(storedOf(loaded));
    return true;
}

}  // namespace files
