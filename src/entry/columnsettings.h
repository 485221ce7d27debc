#pragma once

#include <QString>

namespace kadu2217 {

class FlexGrid;

// Applies the column captions, widths and alignments stored for a grid in aListViewHeader and
// aListViewDetails, matched by transaction, grid and module name without regard to case or
// surrounding blanks. Writes the transaction name back trimmed and upper-cased. Returns false,
// leaving the grid untouched, when no layout is stored.
bool fnApplyColumnSettings(QString &transactionName, FlexGrid &grid, const QString &moduleName);

} // namespace kadu2217
