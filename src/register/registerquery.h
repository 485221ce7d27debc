#pragma once

#include <kadu2217/connection.h>
#include "services/services.h"

#include <QDate>
#include <QString>
#include <optional>

namespace kadu2217 {

// The register's query: costings of the department (all when below 1) dated on or after
// `from`, ordered by costing id.
QString registerQuery(qint16 departmentId, const QString &masterTable, const QDate &from);

// The caption query of a grid's table, with "shop" and "godown" renamed when aliases are on.
QString captionQuery(const QString &table, bool aliased, const QString &alias1, const QString &alias2);

// The register's query narrowed to the rows that meet `condition`, in no particular order.
QString registerRowsQuery(const QString &registerSql, const QString &condition);

// The words the company's captions use for "shop" and "godown", when it renames them.
struct Aliases {
    bool renamed = false;
    QString shop;
    QString godown;
};
Aliases readAliases(clsDatabase &lookups, qint16 companyId);
QString userName(clsDatabase &lookups, qint16 userId);
// How many days before the process date the register starts.
qint32 registerDays(clsDatabase &lookups, qint16 companyId);
// The user's rights letters for the interface; none when no row grants any.
std::optional<QString> readUserRights(const ConnectionPtr &connection, qint16 userId, qint16 interfaceId);

} // namespace kadu2217
