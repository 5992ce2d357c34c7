#include "brain.h"

#include <utility>

namespace brain {

Brain::Brain(Allocator allocate) : allocate_(std::move(allocate)) {}

void Brain::start(int side)
{
    side_ = side;
    cells_ = allocate_(side);
    pending_ = true;
    inputChanged_ = false;
}

bool Brain::resize(int side)
{
    // Allocated before anything is let go: a refused size keeps the arrays
    // already set aside for the size still pending.
    std::unique_ptr<CellGrid> grid = allocate_(side);
    if (!grid)
        return false;
    reserved_ = std::move(grid);
    side_ = side;
    pending_ = true;
    return true;
}

void Brain::takeUp(std::unique_ptr<CellGrid> cells)
{
    side_ = cells->size();
    cells_ = std::move(cells);
    reserved_.reset();
    pending_ = false;
}

bool Brain::reallocate()
{
    std::unique_ptr<CellGrid> grid =
        reserved_ && reserved_->size() == side_ ? std::move(reserved_) : allocate_(side_);
    if (!grid)
        return false;
    cells_ = std::move(grid);  // resetcells: fresh arrays read 0 throughout
    return true;
}

void Brain::sample(const Picture& picture)
{
    if (cells_)
        sampleInput(*cells_, picture.canvases, picture.window, picture.origin);
}

GenerationResult Brain::generate(const Picture& picture, GenerationOptions options)
{
    if (pending_ && !reallocate())
        return GenerationResult::Refused;  // no memory for the new size: the brain stays as it is
    if (options.sample)
        sample(picture);
    GenerationResult result = GenerationResult::Sampled;
    const bool due = !options.onlyIfInputChanged || inputChanged_;
    if (due && cells_ && cells_->size() >= 2) {
        inputChanged_ = false;
        apex_ = brain::generate(*cells_);
        result = GenerationResult::Generated;
    }
    pending_ = false;
    return result;
}

}  // namespace brain
