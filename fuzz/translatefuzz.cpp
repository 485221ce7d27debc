// Any bytes as a statement text: translated, prepared and run on a small in-memory database
// with the T-SQL functions. Every failure must come back as an Error, never as a crash. Built
// as a libFuzzer target with clang (KADU_FUZZ), and replayed over fuzz/corpus by a test.

#include "db/tsql/translator.h"

#include <kadu2217/error.h>

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>

namespace {

using namespace kadu2217;

sqlite3 *database()
{
    static sqlite3 *const db = [] {
        sqlite3 *handle = nullptr;
        sqlite3_open(":memory:", &handle);
        tsql::registerFunctions(handle);
        sqlite3_exec(handle,
                     "create table aitem(itemid integer primary key, itemcode varchar(30) collate TSQL,"
                     " itemrate float, itemdate datetime);"
                     "create table sys_objects(id integer primary key, name text collate nocase unique);"
                     "insert into aitem values (1, 'A1', 2.5, '2012-03-15 09:00:00.000'), (2, 'b2', null, null);"
                     "insert into sys_objects (name) values ('aitem');",
                     nullptr, nullptr, nullptr);
        // a statement runs a bounded number of steps
        sqlite3_progress_handler(handle, 100000, [](void *) { return 1; }, nullptr);
        return handle;
    }();
    return db;
}

const tsql::Catalog &catalog()
{
    static const tsql::Catalog catalog = [] {
        tsql::Catalog c;
        c.dateTimeColumns = {QStringLiteral("itemdate")};
        c.textLengths = {{QStringLiteral("aitem.itemcode"), 30}};
        c.columns = {{QStringLiteral("aitem"), {QStringLiteral("itemid"), QStringLiteral("itemcode"),
                                                QStringLiteral("itemrate"), QStringLiteral("itemdate")}}};
        return c;
    }();
    return catalog;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    sqlite3 *db = database();
    tsql::Translation translation;
    try {
        translation = tsql::translate(QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)), catalog());
    } catch (const Error &) {
        return 0;
    }
    const QByteArray sql = translation.sql.toUtf8();
    sqlite3_stmt *stmt = nullptr;
    sqlite3_exec(db, "SAVEPOINT fuzz", nullptr, nullptr, nullptr);
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt, nullptr) == SQLITE_OK) {
        for (int rows = 0; rows < 1000 && sqlite3_step(stmt) == SQLITE_ROW; ++rows) {
            for (int column = 0; column < sqlite3_column_count(stmt); ++column)
                sqlite3_column_text(stmt, column);
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_exec(db, "ROLLBACK TO fuzz; RELEASE fuzz", nullptr, nullptr, nullptr);
    return 0;
}
