#pragma once
// A fresh program window for each test, under Qt's offscreen platform,
// started up as on the first activation.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <memory>

#include "app/program.h"

namespace testing_window {

platform::Toolkit& toolkit();

struct LiveWindow {
    LiveWindow();
    ~LiveWindow();

    window::Drawing& d() { return program->drawing(); }
    platform::Host& host() { return program->host(); }
    platform::Surface& surface() { return d().surface(); }
    QMainWindow* mainWindow() const;
    QWidget* view() const;
    QWidget* control(const char* name) const;
    QAction* action(const char* name) const;

    // Runs the main loop's turns until Qt has nothing left to hand over.
    void settle(int turns = 3);
    void menu(const char* name);   // triggers a menu entry as a click would
    void key(int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier);
    void press(Qt::MouseButton b, int x, int y);
    void move(Qt::MouseButtons held, int x, int y);
    void release(Qt::MouseButton b, int x, int y);
    void click(const char* button);

    // The surface point of grid cell (x, y).
    QPoint cell(int x, int y) { return {d().originX + x, d().originY + y}; }
    // A click that goes through the window as the user's would: to a visible
    // control under the point, or else to the surface.
    void clickThrough(Qt::MouseButton b, int x, int y);
    // A key press delivered to whichever widget has the keyboard focus.
    void keyThrough(int qtKey);
    // Runs steps separated by ';': "menu NAME", "button NAME", "key K" (X, Z,
    // P, Enter, Plus, Minus, F1, Tab), and mouse steps at grid cell "X Y", or away
    // from the grid without one: "press", "rpress" (right), "drag" (move with
    // the left button), "drag2" (left and right), "hover" (no button), "release".
    void run(const QString& steps);

    std::unique_ptr<app::Program> program;
};

}  // namespace testing_window
