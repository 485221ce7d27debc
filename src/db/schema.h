#pragma once

#include "db/connection.h"

// The schema of the embedded database file: numbered scripts (schema/NNN_name.sql, shipped
// as resources) applied in order. The file records the number of the last script applied
// in schema_version; every table and view is listed in sys_objects for object_id().
// All three functions work on the embedded engine only.
namespace kadu2217 {

// The number of the newest script this program carries.
int latestSchemaVersion();

// The number recorded in the file; 0 for a file without the schema.
int schemaVersion(Connection &connection);

// Builds the schema in a file that has none yet; fails on a file that already has one.
void createSchema(Connection &connection);

// Applies, in one transaction, every script numbered above the file's version. Nothing
// happens on a current file; a file newer than the program is refused.
void upgradeSchema(Connection &connection);

} // namespace kadu2217
