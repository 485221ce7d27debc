#pragma once

#include <kadu2217/connection.h>

#include <QString>

namespace kadu2217 {

class FlexGrid;

// Applies, read on `connection`, the column captions, widths and alignments stored for a grid in aListViewHeader and
// aListViewDetails, matched by transaction, grid and module name without regard to case or
// surrounding blanks. Writes the transaction name back trimmed and upper-cased. Returns false,
// leaving the grid untouched, when no layout is stored or the stored one does not describe
// exactly `requiredColumns` columns (numbered 0 to requiredColumns - 1): readers of the grid
// find their values by column number.
bool fnApplyColumnSettings(const ConnectionPtr &connection, QString &transactionName, FlexGrid &grid, const QString &moduleName, int requiredColumns);

} // namespace kadu2217
