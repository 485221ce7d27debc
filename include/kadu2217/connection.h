#pragma once

#include <kadu2217/export.h>

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <memory>
#include <vector>

namespace kadu2217 {

// ADO's cursor and lock kinds, with ADO's numbers.
enum class CursorType { ForwardOnly = 0, Keyset = 1, Dynamic = 2, Static = 3 };
enum class LockType { ReadOnly = 1, Pessimistic = 2, Optimistic = 3, BatchOptimistic = 4 };

// Which SQL the connection speaks natively; statement texts are always T-SQL.
enum class Dialect { None, Embedded, SqlServer };

// The session connection: an ADO-style connection over either the embedded SQLite file
// or an ODBC data source. Every call on a connection that was never opened fails with
// error 3709, as ADO's does.
class KADU2217_EXPORT Connection {
public:
    // What the connection runs on; only the module's data layer defines it.
    class Private;

    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // "Data Source=FILE" (optionally with "Provider=SQLite") opens the embedded file, creating
    // it when missing; a text with "Driver=" or "DSN=" is handed to ODBC unchanged.
    void open(const QString &connectionString);
    // Opens the embedded file at exactly this path, creating it when missing: no character of
    // the path (";", "=", braces, "Driver=", a "file:" prefix) can make another file open.
    void openFile(const QString &path);
    // "Data Source=PATH", the path in braces when any of its characters needs them: open()
    // reads it back as that same path.
    static QString fileConnectionString(const QString &path);
    void close();
    bool isOpen() const;
    QString connectionString() const { return m_connectionString; }
    Dialect dialect() const;

    // Runs one T-SQL statement; returns the number of rows it changed. Parameters bind to '?'.
    qint64 execute(const QString &sql, const QVariantList &params = {});

    void beginTrans();
    void commitTrans();
    void rollbackTrans();
    bool inTransaction() const { return m_inTransaction; }

    // Runs `action` on this connection as soon as the open transaction has ended, by commit,
    // rollback or close; at once when none is open. For work that must neither be undone
    // with the transaction nor wait for its lock on another connection. It must not throw.
    using TransactionEndAction = std::function<void(Connection &)>;
    void afterTransaction(TransactionEndAction action);

    int commandTimeout() const { return m_commandTimeout; }
    void setCommandTimeout(int seconds);

    // Runs a script in the engine's own SQL (schema creation and upgrades of the embedded file).
    void executeNativeScript(const QString &script);

    // Sees every statement text before it runs (texts, recordset queries and writes): a
    // trace for benchmarks, and a way for tests to make the n-th statement fail by throwing,
    // or to answer it as a server they do not have would, by changing the text that runs.
    using StatementObserver = std::function<void(QString &sql, const QVariantList &params)>;
    void setStatementObserver(StatementObserver observer) { m_observer = std::move(observer); }
    void observeStatement(QString &sql, const QVariantList &params) const
    {
        if (m_observer)
            m_observer(sql, params);
    }

private:
    void transactionEnded();

    std::unique_ptr<Private> d;
    QString m_connectionString;
    int m_commandTimeout = 30;
    bool m_inTransaction = false;
    std::vector<TransactionEndAction> m_afterTransaction;
    StatementObserver m_observer;
};

using ConnectionPtr = std::shared_ptr<Connection>;

} // namespace kadu2217
