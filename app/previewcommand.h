#pragma once

#include "db/connection.h"

#include <QString>

class QTextStream;

namespace kadu2217 {

// Prints what saving a new costing of the bill ("SHOP:BILL") would do to each item's cost, as
// tab-separated lines; writes nothing. Returns the exit code (2 for a malformed bill).
int previewCommand(const ConnectionPtr &connection, const QString &bill, qint16 companyId, QTextStream &out, QTextStream &err);

} // namespace kadu2217
