#pragma once
// The window `drawing`: owns every piece of the program's state for the
// whole run, starts up, runs the main loop and hands each event to its
// handler. The key, colour, maze and file commands plug in from outside.
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "brain/canvases.h"
#include "brain/cell_grid.h"
#include "menus.h"
#include "platform/host.h"

namespace window {

class Drawing : public platform::EventSink {
public:
    Drawing();
    ~Drawing() override;
    void attach(platform::Host& host);

    // --- State: the window's fields, under their design names. ---
    int dimX = 30, dimY = 30, dimZ = 30;
    std::unique_ptr<brain::CellGrid> cells;  // always of side dimX unless needsRealloc
    // Arrays for a size change, taken when the change is made so that a size
    // whose memory cannot be had is refused there and then.
    std::unique_ptr<brain::CellGrid> reserved;
    int viewLayer = 0;
    int outputRed = 0, outputGreen = 0, outputBlue = 0, outputValue = 0;
    int inputChanged = 0;
    int originX = 0, originY = 0;
    int needsRealloc = 1;
    int lastX = -1, lastY = -1;
    int drawMode = 0, autoGenerate = 0;
    int drawRed = 128, drawGreen = 128, drawBlue = 128;
    int playMode = 0;
    int moverX = 0, moverY = 0, moverStepX = 1, moverStepY = 1;

    brain::Canvases canvases;
    MenuState menus;
    bool started = false;

    platform::Host& host() { return *host_; }
    platform::Surface& surface() { return host_->surface(); }

    // --- Routines shared by the handlers. ---
    void startUp();
    // Allocates the cell arrays afresh at dimX (every cell 0); false, with
    // nothing changed, when the memory cannot be had.
    bool reallocate();
    // Sets aside fresh arrays of side n for a coming size change.
    bool reserve(int n);
    void inputvalues();
    void generate5();
    void displaycells();
    void drawswatch(platform::Colour colour);
    void drawswatch();  // in the drawing colour
    // The generation run by painting, keys and maze steps: allocate when a
    // size change is pending, sample, generate, clear the pending flag.
    void generateFromInput();
    void layOutGrid();
    void clearSurface();  // the whole surface white
    void paintEmptyGrid();  // black on the window, 0 on the canvases
    void showPanel(const std::vector<std::string>& controls, bool visible);
    // The four entries every panel disables while open.
    void enablePanelMenus(bool on);
    bool aboutOpen() const { return aboutOpen_; }
    void openAbout();
    void closeAbout();

    // --- The main loop. ---
    void run();   // shows the window and loops until it ends
    void turn();  // one turn: pending events, then a maze step when due

    // --- Plug-ins from the upper layers. ---
    std::function<void(int code)> onKey;
    std::function<void()> onMazeStep;
    std::map<std::string, std::function<void()>> onCommand;  // menu items and buttons
    std::function<void(const std::string& list, const std::string& entry)> onListSelected;
    // Runs once, right after start-up: a brain named on the command line.
    std::function<void()> onStarted;
    // Files dropped on the window.
    std::function<bool(const std::string& path)> onAcceptsDrop;
    std::function<void(const std::string& path)> onFileDropped;

    // EventSink
    void activated() override;
    void mousePressed(int button, int x, int y) override;
    void mouseMoved(int buttons, int x, int y) override;
    void keyPressed(int code) override;
    void menuChosen(const std::string& name) override;
    void buttonClicked(const std::string& name) override;
    void listSelected(const std::string& list, const std::string& entry) override;
    void surfaceResized(int width, int height) override;
    void closeRequested() override;
    bool acceptsDrop(const std::string& path) override;
    void fileDropped(const std::string& path) override;

private:
    void addModeCommands();
    void drawSegment(int x, int y, platform::Colour c, int r, int g, int b);
    bool insideGrid(int x, int y) const;

    platform::Host* host_ = nullptr;
    bool aboutOpen_ = false;
};

}  // namespace window
