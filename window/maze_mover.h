#pragma once
// The maze-mover: its cell relative to the grid's origin, its two
// directions, and whether the computer is moving it (playMode).
namespace window {

// moverX, moverY, moverStepX, moverStepY; a step is +1 or -1.
struct MoverPlace {
    int x = 0, y = 0;
    int stepX = 1, stepY = 1;
    bool operator==(const MoverPlace&) const = default;
};

class MazeMover {
public:
    const MoverPlace& place() const { return place_; }
    void setPlace(MoverPlace place) { place_ = place; }
    void moveTo(int x, int y) { place_.x = x, place_.y = y; }
    void move(int dx, int dy) { place_.x += dx, place_.y += dy; }
    // Exactly one direction reverses per step: below 128 the horizontal one.
    void steer(int output)
    {
        if (output < 128)
            place_.stepX = -place_.stepX;
        else
            place_.stepY = -place_.stepY;
    }
    bool playing() const { return playing_; }
    void setPlaying(bool on) { playing_ = on; }

private:
    MoverPlace place_;
    bool playing_ = false;
};

}  // namespace window
