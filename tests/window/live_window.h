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

    std::unique_ptr<app::Program> program;
};

}  // namespace testing_window
