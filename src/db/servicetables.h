#pragma once

#include "db/connection.h"

#include <QStringList>

// The tables the module's default services keep their records in (audit trail, error log,
// grid layouts). The embedded file has them from its schema; a SQL Server database gets them
// from sqlserver/service_tables.sql.
namespace kadu2217 {

QStringList serviceTableNames();

// Those the connection's database lacks, found through the driver's table list.
QStringList missingServiceTables(Connection &connection);

// Creates the missing ones, each with its plain CREATE TABLE text; returns their names. Run
// again, it creates nothing.
QStringList createMissingServiceTables(Connection &connection);

// The script, as a database administrator would run it.
QString serviceTablesScript();

} // namespace kadu2217
