#pragma once

#include <QString>
#include <QStringList>

namespace kadu2217 {

// What the pending-bills list selects: confirmed bills of the company that are neither
// costed nor cancelled, of the department when one is set (above 0), with their vendor.
QString pendingTables();
QString pendingCondition(qint16 departmentId, qint16 companyId);
// Bill id, bill number, bill date, vendor, elapsed time as text, shop id, "Yes".
QStringList pendingFields();

} // namespace kadu2217
