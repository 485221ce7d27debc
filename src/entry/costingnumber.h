#pragma once

#include <kadu2217/connection.h>

#include <QString>

namespace kadu2217 {

// The number of a new costing: the department's prefix for the current financial year
// followed by the next sequence number among the costing numbers that carry that prefix.
// A session department of 0 counts the numbers of every department.
QString GenerateCostingNo(const ConnectionPtr &connection, qint32 departmentId, qint16 sessionDepartmentId);

// Whether another costing of the shop that is not cancelled covers the bill; if so its
// number is given back in `costingNo`.
bool fnBillAlreadyCosted(const ConnectionPtr &connection, qint32 billId, qint32 costingId, qint32 shopId,
                         QString &costingNo);

} // namespace kadu2217
