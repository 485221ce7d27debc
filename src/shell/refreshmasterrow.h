#pragma once

#include <QString>

namespace kadu2217 {

// Shows a saved or cancelled costing in the register without reloading it: re-runs the
// register's query for the one costing and appends its row (a new costing) or rewrites the
// current row (mode "E"). A costing the register would not list is left out.
void RefreshMasterRow(const QString &strCondition, qint32 lngCostingId);

} // namespace kadu2217
