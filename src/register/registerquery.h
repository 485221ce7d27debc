#pragma once

#include <QDate>
#include <QString>

namespace kadu2217 {

// The register's query: costings of the department (all when below 1) dated on or after
// `from`, ordered by costing id.
QString registerQuery(qint16 departmentId, const QString &masterTable, const QDate &from);

// The caption query of a grid's table, with "shop" and "godown" renamed when aliases are on.
QString captionQuery(const QString &table, bool aliased, const QString &alias1, const QString &alias2);

} // namespace kadu2217
