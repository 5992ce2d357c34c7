#pragma once
// The picture names of `render --layer all`: a pattern with exactly one
// printf-style %d for the layer number, which may carry a width and zero
// padding (%d, %3d, %03d), so that layer-001.png sorts before layer-010.png.
// %% stands for a percent sign.
#include <string>

namespace cli {

class LayerPattern {
public:
    // A Refusal that says what is wrong with the pattern.
    explicit LayerPattern(const std::string& pattern);
    std::string name(int layer) const;

private:
    std::string before_, after_;
    int width_ = 0;
    bool zeros_ = false;
};

}  // namespace cli
