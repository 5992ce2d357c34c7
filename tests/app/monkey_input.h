#pragma once
// Random input for the monkey test: keys, clicks, drags, menu choices and
// typing into the panels, sent through the XTest extension as a user's
// devices would send them, all drawn from one seeded generator.
#include <X11/Xlib.h>

#include <random>

namespace monkey {

class RandomInput {
public:
    explicit RandomInput(Display* dpy, unsigned seed) : dpy_(dpy), random_(seed) {}
    // False where the XTest library is missing.
    bool load();
    // The window to aim at, and its size.
    void aimAt(Window win, int width, int height);
    // One random action.
    void act();
    // The largest "Size of brain" the caption showed.
    unsigned long largestSize() const { return largest_; }

private:
    int randomX() { return int(random_() % unsigned(width_)); }
    int randomY() { return int(random_() % unsigned(height_)); }
    void moveTo(int x, int y);
    void click(int button, int x, int y);
    void typeKey(KeySym sym);
    void pressKey();
    void drag();
    void chooseFromMenu();
    void clickAControl();
    void typeName();
    unsigned long sizeOfBrain();

    Display* dpy_;
    std::mt19937 random_;
    Window win_ = 0;
    int width_ = 1, height_ = 1;
    unsigned long largest_ = 0;
    int (*key_)(Display*, unsigned, Bool, unsigned long) = nullptr;
    int (*button_)(Display*, unsigned, Bool, unsigned long) = nullptr;
    int (*motion_)(Display*, int, int, int, unsigned long) = nullptr;
};

}  // namespace monkey
