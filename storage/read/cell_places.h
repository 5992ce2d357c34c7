#pragma once
// Where the cell fields of a brain file go in the grid. The file holds every
// cell in cube order; the grid keeps the pyramid in one piece and the cells
// outside it apart, taking memory for those only when one is not 0.
#include <cstdint>

#include "brain/cell_grid.h"
#include "storage/read/field_scanner.h"

namespace storage::detail {

// Fields number `first` to first + count - 1 from `scanner` into `grid`,
// whose cells must all be 0 to begin with. As FieldScanner::readFields;
// ReadError with ENOMEM when a cell outside the pyramid is not 0 and the
// memory for those cannot be had.
FieldStatus readIntoGrid(FieldScanner& scanner, brain::CellGrid& grid, std::uint64_t first, std::uint64_t count,
                         CellStop& stop);

// One field's value into its cell; false when the memory is not there.
bool putField(brain::CellGrid& grid, std::uint64_t field, std::uint8_t value);

}  // namespace storage::detail
