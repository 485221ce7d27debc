#include "db/connection.h"

#include "db/engine.h"
#include "db/error.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <utility>

namespace kadu2217 {
namespace {

[[noreturn]] void notOpen()
{
    throw Error(errnum::NotConnected,
                QStringLiteral("The connection cannot be used to perform this operation. "
                               "It is either closed or invalid in this context."),
                QStringLiteral("ADODB.Connection"));
}

// "Key=Value;Key={va;lue}" as ODBC writes them ("}}" for a brace inside braces), or a value in
// double or single quotes as ADO allows (the quote doubled inside); keys in lower case.
QHash<QString, QString> connectionParts(const QString &text)
{
    QHash<QString, QString> parts;
    int i = 0;
    const int n = text.size();
    while (i < n) {
        const int eq = text.indexOf(QLatin1Char('='), i);
        if (eq < 0)
            break;
        const QString key = text.mid(i, eq - i).trimmed().toLower();
        int j = eq + 1;
        while (j < n && text[j] == QLatin1Char(' '))
            ++j;
        QString value;
        const QChar open = j < n ? text[j] : QChar();
        if (open == QLatin1Char('{') || open == QLatin1Char('"') || open == QLatin1Char('\'')) {
            const QChar close = open == QLatin1Char('{') ? QLatin1Char('}') : open;
            for (++j; j < n; ++j) {
                if (text[j] != close) {
                    value += text[j];
                } else if (j + 1 < n && text[j + 1] == close) {
                    value += close;
                    ++j;
                } else {
                    ++j;
                    break;
                }
            }
            const int semi = text.indexOf(QLatin1Char(';'), j);
            j = semi < 0 ? n : semi + 1;
        } else {
            const int semi = text.indexOf(QLatin1Char(';'), j);
            value = text.mid(j, (semi < 0 ? n : semi) - j).trimmed();
            j = semi < 0 ? n : semi + 1;
        }
        parts.insert(key, value);
        i = j;
    }
    return parts;
}

} // namespace

Connection::Connection() : d(std::make_unique<Private>()) {}
Connection::~Connection() = default;

void Connection::open(const QString &connectionString)
{
    if (d->engine)
        throw Error(errnum::OperationNotAllowed, QStringLiteral("Operation is not allowed when the object is open."),
                    QStringLiteral("ADODB.Connection"));
    const auto parts = connectionParts(connectionString);
    if (parts.contains(QStringLiteral("driver")) || parts.contains(QStringLiteral("dsn"))) {
        d->engine = detail::createOdbcEngine(connectionString);
    } else {
        QString file = parts.value(QStringLiteral("data source"), parts.value(QStringLiteral("database")));
        if (parts.isEmpty())
            file = connectionString.trimmed();
        if (file.isEmpty())
            throw Error(errnum::Unspecified, QStringLiteral("The connection string names no database: '%1'.").arg(connectionString),
                        QStringLiteral("ADODB.Connection"));
        d->engine = detail::createSqliteEngine(file, m_commandTimeout);
    }
    m_connectionString = connectionString;
    m_inTransaction = false;
    d->engine->setTimeout(m_commandTimeout);
}

void Connection::openFile(const QString &path)
{
    if (d->engine)
        throw Error(errnum::OperationNotAllowed, QStringLiteral("Operation is not allowed when the object is open."),
                    QStringLiteral("ADODB.Connection"));
    if (path.isEmpty())
        throw Error(errnum::Unspecified, QStringLiteral("No database file was named."), QStringLiteral("ADODB.Connection"));
    // SQLite reads a name that starts with "file:" as a URI; an absolute path never does.
    d->engine = detail::createSqliteEngine(QFileInfo(path).absoluteFilePath(), m_commandTimeout);
    m_connectionString = fileConnectionString(path);
    m_inTransaction = false;
    d->engine->setTimeout(m_commandTimeout);
}

QString Connection::fileConnectionString(const QString &path)
{
    const bool plain = !path.isEmpty() && path.trimmed() == path
        && !path.contains(QRegularExpression(QStringLiteral("[;={}\"']")));
    if (plain)
        return QLatin1String("Data Source=") + path;
    return QLatin1String("Data Source={") + QString(path).replace(QLatin1Char('}'), QLatin1String("}}"))
        + QLatin1Char('}');
}

void Connection::close()
{
    if (d->engine && m_inTransaction)
        rollbackTrans();
    d->engine.reset();
    m_inTransaction = false;
}

bool Connection::isOpen() const
{
    return d->engine != nullptr;
}

Dialect Connection::dialect() const
{
    return d->engine ? d->engine->dialect() : Dialect::None;
}

qint64 Connection::execute(const QString &sql, const QVariantList &params)
{
    detail::Engine &e = detail::engineOf(*this);
    QString text = sql;
    observeStatement(text, params);
    return e.execute(text, params);
}

void Connection::beginTrans()
{
    detail::Engine &e = detail::engineOf(*this);
    if (m_inTransaction)
        throw Error(errnum::Unspecified, QStringLiteral("A transaction is already open on this connection."),
                    QStringLiteral("ADODB.Connection"));
    e.begin();
    m_inTransaction = true;
}

void Connection::commitTrans()
{
    detail::Engine &e = detail::engineOf(*this);
    if (!m_inTransaction)
        throw Error(errnum::Unspecified, QStringLiteral("No transaction is active."), QStringLiteral("ADODB.Connection"));
    e.commit();
    transactionEnded();
}

void Connection::rollbackTrans()
{
    detail::Engine &e = detail::engineOf(*this);
    if (!m_inTransaction)
        throw Error(errnum::Unspecified, QStringLiteral("No transaction is active."), QStringLiteral("ADODB.Connection"));
    try {
        e.rollback();
    } catch (...) {
        // A rollback that fails has still ended the transaction for this connection.
        transactionEnded();
        throw;
    }
    transactionEnded();
}

void Connection::afterTransaction(TransactionEndAction action)
{
    if (m_inTransaction)
        m_afterTransaction.push_back(std::move(action));
    else
        action(*this);
}

void Connection::transactionEnded()
{
    m_inTransaction = false;
    const std::vector<TransactionEndAction> actions = std::exchange(m_afterTransaction, {});
    for (const TransactionEndAction &action : actions)
        action(*this);
}

void Connection::setCommandTimeout(int seconds)
{
    m_commandTimeout = seconds;
    if (d->engine)
        d->engine->setTimeout(seconds);
}

void Connection::executeNativeScript(const QString &script)
{
    detail::engineOf(*this).executeScript(script);
}

detail::Engine &detail::engineOf(const Connection &connection)
{
    Engine *engine = Connection::Private::of(connection).engine.get();
    if (!engine)
        notOpen();
    return *engine;
}

} // namespace kadu2217
