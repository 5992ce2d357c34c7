// new: a fresh brain as the window makes one at start; from an image, that
// image painted on the input layer and one generation, as Enter would run it.
#include <climits>
#include <optional>

#include "brain/canvases.h"
#include "brain/sampling.h"
#include "commands.h"
#include "json_results.h"
#include "input_files.h"
#include "output_path.h"
#include "platform/image_file.h"

namespace cli {
namespace {

void parseColour(const std::string& text, storage::BrainHeader& header)
{
    int* const parts[3] = {&header.drawRed, &header.drawGreen, &header.drawBlue};
    const char* const names[3] = {"red", "green", "blue"};
    std::size_t from = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t comma = i < 2 ? text.find(',', from) : text.size();
        if (comma == std::string::npos || (i == 2 && text.find(',', from) != std::string::npos))
            throw Refusal("the colour must be three numbers R,G,B, not '" + text + "'");
        *parts[i] = parseNumber(text.substr(from, comma - from), std::string("the colour's ") + names[i], 0, 255);
        from = comma + 1;
    }
}

// The image's top-left n x n pixels, refused before any memory goes to the
// brain when the image is too small.
platform::Surface readPicture(const std::string& path, int n)
{
    const InputFile input(path, platform::kReadImage);
    platform::Surface image;
    int width = 0, height = 0;
    const storage::FileResult read = platform::readImageCorner(input.fd(), input.name(), n, image, width, height);
    if (!read.ok)
        throw Refusal(read);
    if (width < n || height < n)
        throw Refusal("the image \"" + path + "\" is " + std::to_string(width) + " x " + std::to_string(height)
                      + " pixels, smaller than the brain's " + std::to_string(n) + " x " + std::to_string(n));
    return image;
}

// Paints the image's top-left n x n pixels on the window and the canvases and
// runs what the window's Enter runs on a freshly sized brain: sample, generate.
brain::Apex growFromImage(brain::CellGrid& cells, const platform::Surface& image)
{
    const int n = cells.size();
    platform::Surface window(n, n);
    brain::Canvases canvases;
    canvases.cover(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const platform::Colour c = image.point(x, y);
            window.setPoint(x, y, c);
            canvases.setPoint(x, y, int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
        }
    brain::sampleInput(cells, canvases, window, brain::Origin{0, 0});
    return brain::generate(cells);
}

}  // namespace

int newCommand(const Arguments& args)
{
    if (!args.words.empty())
        throw UsageError("new takes no file name but -o OUT; '" + args.words[0] + "' is one too many");
    const int n = parseNumber(args.required("size"), "the size", 2, INT_MAX);
    const std::string& out = args.required("output");
    storage::LoadedBrain brain;  // the header's defaults are the window's start values
    brain.header.dimX = brain.header.dimY = brain.header.dimZ = n;
    if (const auto colour = args.value("colour"))
        parseColour(*colour, brain.header);
    const auto imagePath = args.value("from-image");
    checkOutputPath(out, imagePath.value_or(""));
    const platform::Surface image = imagePath ? readPicture(*imagePath, n) : platform::Surface();
    brain.cells = brain::CellGrid::allocate(n);
    if (!brain.cells)
        throw Refusal("there is not enough memory for a brain of size " + std::to_string(n));
    std::optional<brain::Apex> apex;
    if (imagePath)
        apex = growFromImage(*brain.cells, image);
    // A fresh brain has run no generation: JSON says so with generation 0.
    std::string result;
    if (args.has("json"))
        result = apex ? generationJson(out, 1, *apex) : generationJson(out, 0, storedApex(*brain.cells));
    else if (apex)
        result = "generation 1: apex " + describeApex(*apex) + "\n";
    saveBrain(out, brain, result);
    return 0;
}

}  // namespace cli
