#include "db/engine.h"
#include "db/error.h"
#include "db/tsql/sqldatetime.h"
#include "db/tsql/translator.h"

#include <QAtomicInteger>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <sqlite3.h>
#include <thread>

namespace kadu2217::detail {
namespace {

const QString kSource = QStringLiteral("Embedded database (SQLite)");

ColumnKind kindOfDeclaredType(const QString &declared, int *maxLength)
{
    const QString t = declared.trimmed().toUpper();
    *maxLength = 0;
    if (t.startsWith(QLatin1String("DATETIME")) || t == QLatin1String("DATE")
        || t == QLatin1String("SMALLDATETIME"))
        return ColumnKind::DateTime;
    if (t == QLatin1String("BIT") || t == QLatin1String("BOOLEAN"))
        return ColumnKind::Bit;
    if (t.contains(QLatin1String("INT")))
        return ColumnKind::Integer;
    if (t.startsWith(QLatin1String("FLOAT")) || t.startsWith(QLatin1String("REAL"))
        || t.startsWith(QLatin1String("DOUBLE")) || t.startsWith(QLatin1String("NUMERIC"))
        || t.startsWith(QLatin1String("DECIMAL")) || t.startsWith(QLatin1String("MONEY")))
        return ColumnKind::Float;
    if (t.startsWith(QLatin1String("BLOB")))
        return ColumnKind::Blob;
    const int open = t.indexOf(QLatin1Char('('));
    if (open > 0 && t.contains(QLatin1String("CHAR")))
        *maxLength = t.mid(open + 1, t.indexOf(QLatin1Char(')')) - open - 1).trimmed().toInt();
    return ColumnKind::Text;
}

// The numbers an ADO client sees for the engine's failures.
Error engineError(sqlite3 *db, int rc)
{
    QString message = QString::fromUtf8(sqlite3_errmsg(db));
    const int primary = rc & 0xff;
    qint32 number = tsql::errorNumberForMessage(message);
    if (number == 0) {
        if (primary == SQLITE_CONSTRAINT)
            number = errnum::Constraint;
        else if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED || primary == SQLITE_INTERRUPT)
            number = errnum::Timeout;
        else if (message.startsWith(QLatin1String("no such table")))
            number = errnum::InvalidObject;
        else if (primary == SQLITE_ERROR)
            number = errnum::SqlSyntax;
        else
            number = errnum::Unspecified;
    }
    if (primary == SQLITE_INTERRUPT)
        message = QStringLiteral("Query timeout expired");
    const QLatin1String noSuchColumn("no such column: ");
    if (message.startsWith(noSuchColumn))
        message = QStringLiteral("Invalid column name '%1'.").arg(message.mid(noSuchColumn.size()));
    return Error(number, message, kSource);
}

// Whether UTF-8 bytes spell the text, answered cheaply for ASCII; anything else counts as different.
bool sameAscii(const QString &text, const char *bytes, int size)
{
    if (text.size() != size)
        return false;
    const QChar *chars = text.constData();
    for (int i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x80 || chars[i].unicode() != byte)
            return false;
    }
    return true;
}

// Most texts are ASCII, which needs none of the general decoder's work.
QString decodedText(const char *bytes, int size)
{
    if (size <= 0)
        return QString::fromUtf8(bytes, size);
    QString text(size, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (int i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x80)
            return QString::fromUtf8(bytes, size);
        out[i] = byte;
    }
    return text;
}

// SQLite looks for an interrupt between the tokens of a statement it prepares, but calls no
// progress handler meanwhile: this calls sqlite3_interrupt at the deadline unless it is
// destroyed first. An interrupt also stops the connection's other running statements, as a
// timeout in the middle of theirs would.
class Watchdog {
public:
    Watchdog(sqlite3 *db, QDeadlineTimer deadline)
        : m_thread([this, db, deadline] {
              std::unique_lock lock(m_mutex);
              if (!m_stop.wait_for(lock, deadline.remainingTimeAsDuration(), [this] { return m_stopped; }))
                  sqlite3_interrupt(db);
          })
    {
    }
    ~Watchdog()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopped = true;
        }
        m_stop.notify_one();
        m_thread.join();
    }
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_stop;
    bool m_stopped = false;
    std::thread m_thread; // last, so that it starts with the rest ready
};

class SqliteEngine;

class SqliteCursor final : public Cursor {
public:
    SqliteCursor(SqliteEngine *engine, sqlite3_stmt *stmt, QVector<tsql::ValueKind> kinds);
    ~SqliteCursor() override;
    int columnCount() const override { return m_columnCount; }
    QString columnName(int column) const override { return m_names.at(column); }
    bool next() override;
    QVariant value(int column) const override;

private:
    SqliteEngine *m_engine;
    sqlite3_stmt *m_stmt;
    int m_columnCount;
    QStringList m_names;
    QVector<bool> m_isDateTime;
    struct LastDateTime {
        QByteArray text;
        QVariant value;
    };
    mutable QVector<LastDateTime> m_lastDateTime;
    // The last few distinct texts of a column, while the column keeps repeating them.
    struct RecentTexts {
        static constexpr int kSize = 8;
        QString texts[kSize];
        int next = 0;
        int hits = 0;
        int misses = 0;
        bool givenUp = false;
    };
    mutable QVector<RecentTexts> m_recent;
    bool m_utf8;
    bool m_done = false;
};

class SqliteEngine final : public Engine {
public:
    SqliteEngine(const QString &file, int timeoutSeconds)
        : m_connectionName(QStringLiteral("kadu2217-sqlite-%1").arg(++s_serial))
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
            db.setDatabaseName(file);
            if (!db.open()) {
                const QString text = db.lastError().text();
                db = QSqlDatabase();
                QSqlDatabase::removeDatabase(m_connectionName);
                throw Error(errnum::Unspecified, QStringLiteral("Cannot open the database file '%1': %2").arg(file, text), kSource);
            }
            const QVariant handle = db.driver()->handle();
            m_db = *static_cast<sqlite3 *const *>(handle.data());
        }
        sqlite3_extended_result_codes(m_db, 1);
        tsql::registerFunctions(m_db);
        setTimeout(timeoutSeconds); // opening waits as long for a file another program holds
        sqlite3_progress_handler(m_db, 4000, &SqliteEngine::progress, this);
        exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
        // A save looks up every item of a bill in several large tables; with SQLite's 2 MB
        // default the pages it needs keep being read again as the file grows.
        exec(QStringLiteral("PRAGMA cache_size=-32768"));
        readEncoding();
        loadCatalog();
    }

    ~SqliteEngine() override
    {
        for (sqlite3_stmt *stmt : qAsConst(m_idle))
            sqlite3_finalize(stmt);
        m_idle.clear();
        {
            QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connectionName);
    }

    Dialect dialect() const override { return Dialect::Embedded; }

    QStringList tableNames() override { return QSqlDatabase::database(m_connectionName, false).tables(QSql::AllTables); }

    std::unique_ptr<Cursor> query(const QString &sql, const QVariantList &params) override
    {
        startClock();
        const auto translation = translate(sql);
        sqlite3_stmt *stmt = prepare(translation->sql, params, true);
        return std::make_unique<SqliteCursor>(this, stmt, translation->resultKinds);
    }

    qint64 execute(const QString &sql, const QVariantList &params) override
    {
        startClock();
        return run(translate(sql)->sql, params, true);
    }

    qint64 executeGenerated(const QString &sql, const QVariantList &params) override
    {
        return run(sql, params);
    }

    void begin() override { run(QStringLiteral("BEGIN IMMEDIATE"), {}); }
    void commit() override { run(QStringLiteral("COMMIT"), {}); }
    void rollback() override
    {
        if (!sqlite3_get_autocommit(m_db))
            run(QStringLiteral("ROLLBACK"), {});
    }

    void setTimeout(int seconds) override
    {
        m_timeoutMs = seconds > 0 ? qint64(seconds) * 1000 : 0;
        // A second writer waits for the first one's transaction instead of failing at once.
        sqlite3_busy_timeout(m_db, seconds > 0 ? seconds * 1000 : 24 * 3600 * 1000);
    }

    std::shared_ptr<const TableInfo> tableInfo(const QString &table) override
    {
        const QString key = table.toLower();
        if (const auto it = m_tables.constFind(key); it != m_tables.constEnd())
            return *it;
        auto info = std::make_shared<TableInfo>();
        info->name = table;
        QVector<QPair<int, int>> keyOrder;
        sqlite3_stmt *stmt = prepare(QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?)"), {table});
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            ColumnInfo column;
            column.name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
            column.kind = kindOfDeclaredType(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 1))), &column.maxLength);
            if (const int pk = sqlite3_column_int(stmt, 2); pk > 0)
                keyOrder.append({pk, int(info->columns.size())});
            info->columns.append(column);
        }
        release(stmt);
        if (rc != SQLITE_DONE)
            throw engineError(m_db, rc);
        if (info->columns.isEmpty())
            throw Error(errnum::InvalidObject, QStringLiteral("Invalid object name '%1'.").arg(table), kSource);
        std::sort(keyOrder.begin(), keyOrder.end());
        for (const auto &k : keyOrder)
            info->primaryKey.append(k.second);
        m_tables.insert(key, info);
        return info;
    }

    void executeScript(const QString &script) override
    {
        char *message = nullptr;
        startClock();
        const int rc = sqlite3_exec(m_db, script.toUtf8().constData(), nullptr, nullptr, &message);
        if (rc != SQLITE_OK) {
            const QString text = QString::fromUtf8(message ? message : sqlite3_errmsg(m_db));
            sqlite3_free(message);
            throw Error(rc == SQLITE_CONSTRAINT ? errnum::Constraint : errnum::SqlSyntax, text, kSource);
        }
        loadCatalog();
    }

    // Statements come back here when their cursor is done with them.
    void release(sqlite3_stmt *stmt)
    {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
        const QString key = QString::fromUtf8(sqlite3_sql(stmt));
        if (m_idle.size() < kIdleStatements && !m_idle.contains(key))
            m_idle.insert(key, stmt);
        else
            sqlite3_finalize(stmt);
    }

    void startClock() { m_clock.start(); }
    sqlite3 *handle() const { return m_db; }
    bool storesUtf8() const { return m_utf8; }

private:
    static constexpr int kIdleStatements = 64;
    static constexpr int kTranslations = 4096;
    // A statement this long (in UTF-8) takes SQLite noticeable time to prepare: see prepare().
    static constexpr qsizetype kLargeStatement = 64 * 1024;
    // SQLite's optimization flag for computing a statement's constants once, before its first
    // row (SQLITE_FactorOutConst, which sqlite3.h does not publish).
    static constexpr int kFactorOutConstants = 0x0008;

    static int progress(void *self)
    {
        const auto *engine = static_cast<SqliteEngine *>(self);
        return engine->m_timeoutMs > 0 && engine->m_clock.isValid()
            && engine->m_clock.elapsed() > engine->m_timeoutMs;
    }

    // What is left of the statement's time.
    QDeadlineTimer deadline() const
    {
        if (m_timeoutMs <= 0)
            return QDeadlineTimer(QDeadlineTimer::Forever);
        return QDeadlineTimer(std::max<qint64>(0, m_timeoutMs - m_clock.elapsed()));
    }

    std::shared_ptr<const tsql::Translation> translate(const QString &sql)
    {
        if (const auto it = m_translations.constFind(sql); it != m_translations.constEnd())
            return *it;
        auto translation = std::make_shared<const tsql::Translation>(tsql::translate(sql, m_catalog, deadline()));
        if (m_translations.size() >= kTranslations)
            m_translations.clear();
        m_translations.insert(sql, translation);
        return translation;
    }

    // clockRunning: the statement's time started before its translation, which counts too.
    sqlite3_stmt *prepare(const QString &sql, const QVariantList &params, bool clockRunning = false)
    {
        if (!clockRunning)
            startClock();
        sqlite3_stmt *stmt = m_idle.take(sql);
        if (!stmt) {
            const QByteArray text = sql.toUtf8();
            const bool large = text.size() > kLargeStatement;
            // SQLite looks each constant it computes once up among those before it, in time
            // growing with the square of their number (20 s for a CASE of 100,000 branches)
            // and without looking for an interrupt: a large statement computes its constants
            // where they stand instead, and its preparation stops at the deadline.
            int rc;
            {
                std::optional<Watchdog> watchdog;
                if (large && m_timeoutMs > 0)
                    watchdog.emplace(m_db, deadline());
                if (large)
                    sqlite3_test_control(SQLITE_TESTCTRL_OPTIMIZATIONS, m_db, kFactorOutConstants);
                rc = sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &stmt, nullptr);
                if (large)
                    sqlite3_test_control(SQLITE_TESTCTRL_OPTIMIZATIONS, m_db, 0);
            }
            if (rc != SQLITE_OK)
                throw engineError(m_db, rc);
        }
        if (const int expected = sqlite3_bind_parameter_count(stmt); expected != params.size()) {
            sqlite3_finalize(stmt);
            throw Error(errnum::SqlSyntax, QStringLiteral("The statement has %1 parameters but %2 values were given.")
                        .arg(expected).arg(params.size()), kSource);
        }
        for (int i = 0; i < params.size(); ++i)
            bind(stmt, i + 1, params[i]);
        // a statement that took too long to get here fails now rather than run on
        if (progress(this)) {
            release(stmt);
            throw Error(errnum::Timeout, QStringLiteral("Query timeout expired"), kSource);
        }
        return stmt;
    }

    static void bind(sqlite3_stmt *stmt, int index, const QVariant &v)
    {
        if (!v.isValid() || v.isNull()) {
            sqlite3_bind_null(stmt, index);
            return;
        }
        switch (v.typeId()) {
        case QMetaType::Bool:
            sqlite3_bind_int(stmt, index, v.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            sqlite3_bind_int64(stmt, index, v.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            sqlite3_bind_double(stmt, index, v.toDouble());
            break;
        case QMetaType::QDateTime:
            bindText(stmt, index, sqldt::canonical(v.toDateTime()));
            break;
        case QMetaType::QDate:
            bindText(stmt, index, sqldt::canonical(QDateTime(v.toDate(), QTime(0, 0))));
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = v.toByteArray();
            sqlite3_bind_blob(stmt, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        default:
            bindText(stmt, index, v.toString());
            break;
        }
    }

    static void bindText(sqlite3_stmt *stmt, int index, const QString &text)
    {
        const QByteArray bytes = text.toUtf8();
        sqlite3_bind_text(stmt, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
    }

    qint64 run(const QString &sql, const QVariantList &params, bool clockRunning = false)
    {
        sqlite3_stmt *stmt = prepare(sql, params, clockRunning);
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            const Error error = engineError(m_db, rc);
            release(stmt);
            throw error;
        }
        release(stmt);
        return sqlite3_changes64(m_db);
    }

    void exec(const QString &sql)
    {
        if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            throw engineError(m_db, sqlite3_errcode(m_db));
    }

    void readEncoding()
    {
        sqlite3_stmt *stmt = prepare(QStringLiteral("PRAGMA encoding"), {});
        m_utf8 = sqlite3_step(stmt) == SQLITE_ROW
            && qstrcmp(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)), "UTF-8") == 0;
        release(stmt);
    }

    void loadCatalog()
    {
        m_tables.clear();
        m_translations.clear();
        m_catalog = tsql::Catalog();
        sqlite3_stmt *stmt = prepare(QStringLiteral(
            "SELECT lower(m.name), lower(p.name), p.type FROM sqlite_master m, pragma_table_info(m.name) p "
            "WHERE m.type IN ('table','view') ORDER BY m.name, p.cid"), {});
        const auto text = [stmt](int column) {
            return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, column)));
        };
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            int length;
            const QString table = text(0), column = text(1);
            const ColumnKind kind = kindOfDeclaredType(text(2), &length);
            if (kind == ColumnKind::DateTime)
                m_catalog.dateTimeColumns.insert(column);
            if (kind == ColumnKind::Text && length > 0)
                m_catalog.textLengths.insert(table + QLatin1Char('.') + column, length);
            m_catalog.columns[table].append(column);
        }
        release(stmt);
    }

    static inline QAtomicInteger<int> s_serial;
    QString m_connectionName;
    sqlite3 *m_db = nullptr;
    bool m_utf8 = false;
    qint64 m_timeoutMs = 0;
    QElapsedTimer m_clock;
    tsql::Catalog m_catalog;
    QHash<QString, std::shared_ptr<const tsql::Translation>> m_translations;
    QHash<QString, std::shared_ptr<const TableInfo>> m_tables;
    QHash<QString, sqlite3_stmt *> m_idle;
};

SqliteCursor::SqliteCursor(SqliteEngine *engine, sqlite3_stmt *stmt, QVector<tsql::ValueKind> kinds)
    : m_engine(engine), m_stmt(stmt), m_columnCount(sqlite3_column_count(stmt)), m_utf8(engine->storesUtf8())
{
    m_names.reserve(m_columnCount);
    m_isDateTime.resize(m_columnCount);
    m_lastDateTime.resize(m_columnCount);
    m_recent.resize(m_columnCount);
    for (int i = 0; i < m_columnCount; ++i) {
        m_names.append(QString::fromUtf8(sqlite3_column_name(stmt, i)));
        int length;
        const char *declared = sqlite3_column_decltype(stmt, i);
        m_isDateTime[i] = (declared && kindOfDeclaredType(QString::fromUtf8(declared), &length) == ColumnKind::DateTime)
            || (kinds.size() == m_columnCount && kinds[i] == tsql::ValueKind::DateTime);
    }
}

SqliteCursor::~SqliteCursor()
{
    m_engine->release(m_stmt);
}

bool SqliteCursor::next()
{
    if (m_done)
        return false;
    m_engine->startClock();
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    m_done = true;
    if (rc != SQLITE_DONE)
        throw engineError(m_engine->handle(), rc);
    return false;
}

QVariant SqliteCursor::value(int column) const
{
    // One call into the statement per value; the value's own accessors are cheaper. The value
    // is read here at once, on this thread, as they require.
    sqlite3_value *const cell = sqlite3_column_value(m_stmt, column);
    switch (sqlite3_value_type(cell)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_value_int64(cell)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_value_double(cell));
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_value_blob(cell)), sqlite3_value_bytes(cell));
    default:
        break;
    }
    // A UTF-8 file's text is read as it lies in the row: asking for text would first copy it
    // to add a terminator that nothing here needs.
    const char *bytes = m_utf8 ? static_cast<const char *>(sqlite3_value_blob(cell))
                               : reinterpret_cast<const char *>(sqlite3_value_text(cell));
    const int size = sqlite3_value_bytes(cell);
    if (!bytes)
        bytes = ""; // an empty text is still a text, not NULL
    if (m_isDateTime[column]) {
        // Rows repeat the same datetime often (a costing date); making a QDateTime is not cheap.
        LastDateTime &last = m_lastDateTime[column];
        if (last.text.size() == size && memcmp(last.text.constData(), bytes, std::size_t(size)) == 0)
            return last.value;
        last.text = QByteArray(bytes, size);
        const QString text = QString::fromUtf8(bytes, size);
        const auto dt = sqldt::parse(text);
        last.value = dt ? QVariant(*dt) : QVariant(text);
        return last.value;
    }
    // Flags and names repeat from row to row: a text met a moment ago shares that one's buffer
    // instead of being decoded and stored again. A column of unique texts soon stops looking.
    RecentTexts &recent = m_recent[column];
    if (recent.givenUp || size == 0)
        return decodedText(bytes, size);
    for (const QString &text : recent.texts) {
        if (sameAscii(text, bytes, size)) {
            ++recent.hits;
            return text;
        }
    }
    if (++recent.misses >= 64 && recent.hits < recent.misses) {
        recent.givenUp = true;
        return decodedText(bytes, size);
    }
    QString &slot = recent.texts[recent.next];
    recent.next = (recent.next + 1) % RecentTexts::kSize;
    slot = decodedText(bytes, size);
    return slot;
}

} // namespace

std::unique_ptr<Engine> createSqliteEngine(const QString &file, int timeoutSeconds)
{
    return std::make_unique<SqliteEngine>(file, timeoutSeconds);
}

} // namespace kadu2217::detail
