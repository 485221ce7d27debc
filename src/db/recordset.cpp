#include "db/recordset.h"

#include "db/engine.h"
#include "db/error.h"
#include "db/values.h"

#include <QRegularExpression>
#include <cmath>

namespace kadu2217 {
namespace {

const QString kSource = QStringLiteral("ADODB.Recordset");

[[noreturn]] void fail(qint32 number, const QString &text)
{
    throw Error(number, text, kSource);
}

// The one shape of text whose rows a recordset may write: "select * from T [alias] [where ...]".
QString writableTable(const QString &sql)
{
    static const QRegularExpression shape(
        QStringLiteral("^\\s*select\\s+\\*\\s+from\\s+(\\[[^\\]]+\\]|[A-Za-z_][A-Za-z0-9_]*)"
                       "(?:\\s+(?:as\\s+)?(?!where\\b)([A-Za-z_][A-Za-z0-9_]*))?\\s*(?:where\\b.*)?;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto match = shape.match(sql);
    if (!match.hasMatch())
        return QString();
    QString table = match.captured(1);
    if (table.startsWith(QLatin1Char('[')))
        table = table.mid(1, table.size() - 2);
    return table;
}

[[noreturn]] void typeMismatch(const detail::ColumnInfo &column, const QVariant &v)
{
    fail(errnum::TypeMismatch, QStringLiteral("Type mismatch: '%1' is no value for the column %2.")
                                   .arg(value::displayText(v), column.name));
}

qlonglong wholeNumber(const detail::ColumnInfo &column, const QVariant &v)
{
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? 1 : 0;
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int || v.typeId() == QMetaType::UInt
        || v.typeId() == QMetaType::ULongLong || v.typeId() == QMetaType::Short)
        return v.toLongLong();
    double d;
    if (v.typeId() == QMetaType::QString) {
        const auto parsed = value::parseNumber(v.toString());
        if (!parsed)
            typeMismatch(column, v);
        d = *parsed;
    } else {
        bool ok = false;
        d = v.toDouble(&ok);
        if (!ok)
            typeMismatch(column, v);
    }
    const double r = std::nearbyint(d);
    if (!std::isfinite(r) || std::fabs(r) > 9.2e18)
        fail(errnum::MultipleStep, QStringLiteral("The value %1 does not fit the column %2.").arg(d).arg(column.name));
    return qlonglong(r);
}

// What a value becomes when assigned to a column of the given declared type.
QVariant converted(const detail::ColumnInfo &column, const QVariant &v)
{
    if (value::isNull(v))
        return QVariant();
    switch (column.kind) {
    case detail::ColumnKind::Integer:
        return QVariant(wholeNumber(column, v));
    case detail::ColumnKind::Bit: {
        if (v.typeId() == QMetaType::QString) {
            const QString t = v.toString().trimmed();
            if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
                return QVariant(qlonglong(1));
            if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
                return QVariant(qlonglong(0));
        }
        return QVariant(qlonglong(wholeNumber(column, v) != 0 ? 1 : 0));
    }
    case detail::ColumnKind::Float: {
        if (v.typeId() == QMetaType::Bool)
            return QVariant(v.toBool() ? 1.0 : 0.0);
        if (v.typeId() == QMetaType::QString) {
            const auto parsed = value::parseNumber(v.toString());
            if (!parsed)
                typeMismatch(column, v);
            return QVariant(*parsed);
        }
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok)
            typeMismatch(column, v);
        return QVariant(d);
    }
    case detail::ColumnKind::DateTime:
        try {
            return QVariant(value::toDateTime(v));
        } catch (const Error &) {
            typeMismatch(column, v);
        }
    case detail::ColumnKind::Text: {
        const QString text = v.typeId() == QMetaType::QString ? v.toString() : value::displayText(v);
        if (column.maxLength > 0 && text.size() > column.maxLength)
            fail(errnum::MultipleStep, QStringLiteral("Multiple-step operation generated errors: the text for %1 "
                                                      "is longer than %2 characters.").arg(column.name).arg(column.maxLength));
        return QVariant(text);
    }
    case detail::ColumnKind::Blob:
        return v;
    }
    return v;
}

} // namespace

Recordset::Recordset() = default;
Recordset::~Recordset() = default;

void Recordset::open(const QString &sql, const ConnectionPtr &connection, CursorType cursor, LockType lock,
                     const QVariantList &params)
{
    if (m_open)
        fail(errnum::OperationNotAllowed, QStringLiteral("Operation is not allowed when the object is open."));
    if (!connection)
        fail(errnum::NotConnected, QStringLiteral("The connection cannot be used to perform this operation. "
                                                  "It is either closed or invalid in this context."));
    detail::Engine &engine = detail::engineOf(*connection);
    QString text = sql;
    connection->observeStatement(text, params);
    m_cursor = engine.query(text, params);
    m_connection = connection;
    m_cursorType = cursor;
    m_lockType = lock;
    m_names.clear();
    m_index.clear();
    for (int i = 0; i < m_cursor->columnCount(); ++i) {
        const QString name = m_cursor->columnName(i);
        m_names.append(name);
    }
    // A name that stands twice (a join over "*") finds its first field.
    for (int i = m_cursor->columnCount() - 1; i >= 0; --i)
        m_index.insert(m_names[i].toLower(), i);
    m_rows.clear();
    m_firstBuffered = 0;
    m_position = 0;
    m_exhausted = false;
    m_editMode = EditMode::None;
    m_onAddedRow = false;
    m_table = lock == LockType::ReadOnly ? QString() : writableTable(text);
    m_tableInfo.reset();
    m_open = true;
    fetchTo(0);
}

void Recordset::close()
{
    requireOpen();
    m_cursor.reset();
    m_rows.clear();
    m_editMode = EditMode::None;
    m_onAddedRow = false;
    m_open = false;
}

void Recordset::requireOpen() const
{
    if (!m_open)
        fail(errnum::ObjectClosed, QStringLiteral("Operation is not allowed when the object is closed."));
}

bool Recordset::fetchTo(qint64 index)
{
    while (!m_exhausted && index >= m_firstBuffered + m_rows.size()) {
        if (!m_cursor->next()) {
            m_exhausted = true;
            break;
        }
        if (m_cursorType == CursorType::ForwardOnly && m_rows.size() == 1) {
            // The one row kept is overwritten where it is: no new row per row read.
            ++m_firstBuffered;
            QVector<QVariant> &row = m_rows.first();
            for (int i = 0; i < row.size(); ++i)
                row[i] = m_cursor->value(i);
            continue;
        }
        QVector<QVariant> row(m_cursor->columnCount());
        for (int i = 0; i < row.size(); ++i)
            row[i] = m_cursor->value(i);
        m_rows.append(std::move(row));
    }
    return index >= m_firstBuffered && index < m_firstBuffered + m_rows.size();
}

bool Recordset::eof() const
{
    requireOpen();
    if (m_onAddedRow || m_editMode == EditMode::Add)
        return false;
    return m_position >= m_firstBuffered + m_rows.size();
}

bool Recordset::bof() const
{
    requireOpen();
    if (m_onAddedRow || m_editMode == EditMode::Add)
        return false;
    return m_position < 0 || (m_exhausted && m_rows.isEmpty() && m_firstBuffered == 0);
}

void Recordset::finishPendingEdit()
{
    if (m_editMode != EditMode::None)
        update();
    m_onAddedRow = false;
}

void Recordset::moveFirst()
{
    requireOpen();
    finishPendingEdit();
    if (m_firstBuffered > 0)
        fail(errnum::OperationNotAllowed, QStringLiteral("Rowset does not support fetching backward."));
    m_position = 0;
    fetchTo(0);
}

void Recordset::moveNext()
{
    requireOpen();
    const bool wasOnAdded = m_onAddedRow;
    finishPendingEdit();
    if (!wasOnAdded) {
        if (eof())
            fail(errnum::NoCurrentRecord, QStringLiteral("Either BOF or EOF is True, or the current record has been "
                                                         "deleted. Requested operation requires a current record."));
        ++m_position;
    }
    fetchTo(m_position);
}

void Recordset::movePrevious()
{
    requireOpen();
    finishPendingEdit();
    if (m_cursorType == CursorType::ForwardOnly)
        fail(errnum::OperationNotAllowed, QStringLiteral("Rowset does not support fetching backward."));
    if (m_position < 0)
        fail(errnum::NoCurrentRecord, QStringLiteral("Either BOF or EOF is True, or the current record has been "
                                                     "deleted. Requested operation requires a current record."));
    --m_position;
}

void Recordset::moveLast()
{
    requireOpen();
    finishPendingEdit();
    if (m_cursorType == CursorType::ForwardOnly)
        fail(errnum::OperationNotAllowed, QStringLiteral("Rowset does not support fetching backward."));
    fetchTo(std::numeric_limits<qint64>::max());
    m_position = m_firstBuffered + m_rows.size() - 1;
    if (m_position < 0)
        m_position = 0;
}

qint64 Recordset::recordCount()
{
    requireOpen();
    if (m_cursorType == CursorType::ForwardOnly)
        return -1;
    fetchTo(std::numeric_limits<qint64>::max());
    return m_firstBuffered + m_rows.size();
}

int Recordset::fieldCount() const
{
    requireOpen();
    return int(m_names.size());
}

QString Recordset::fieldName(int index) const
{
    requireOpen();
    if (index < 0 || index >= m_names.size())
        fail(errnum::ItemNotFound, QStringLiteral("Item cannot be found in the collection corresponding to the "
                                                  "requested name or ordinal."));
    return m_names[index];
}

int Recordset::fieldIndex(const QString &name) const
{
    // Names spelled as the index keeps them skip folding, which costs a loop over many rows.
    if (const auto exact = m_index.constFind(name); exact != m_index.constEnd())
        return *exact;
    return m_index.value(name.trimmed().toLower(), -1);
}

int Recordset::requireField(const QString &name) const
{
    requireOpen();
    const int index = fieldIndex(name);
    if (index < 0)
        fail(errnum::ItemNotFound, QStringLiteral("Item cannot be found in the collection corresponding to the "
                                                  "requested name or ordinal. (%1)").arg(name));
    return index;
}

void Recordset::requireCurrent() const
{
    if (m_editMode != EditMode::None || m_onAddedRow)
        return;
    if (eof() || bof())
        fail(errnum::NoCurrentRecord, QStringLiteral("Either BOF or EOF is True, or the current record has been "
                                                     "deleted. Requested operation requires a current record."));
}

const QVariant &Recordset::value(int index) const
{
    requireOpen();
    if (index < 0 || index >= m_names.size())
        fail(errnum::ItemNotFound, QStringLiteral("Item cannot be found in the collection corresponding to the "
                                                  "requested name or ordinal."));
    if (m_editMode != EditMode::None || m_onAddedRow)
        return m_editValues[index];
    const qint64 buffered = m_position - m_firstBuffered;
    // A row being read, the common case, needs none of requireCurrent()'s questions.
    if (m_position < 0 || buffered < 0 || buffered >= m_rows.size())
        requireCurrent();
    return m_rows[int(buffered)][index];
}

const QVariant &Recordset::value(const QString &name) const
{
    return value(requireField(name));
}

void Recordset::requireUpdatable()
{
    requireOpen();
    if (m_table.isEmpty())
        fail(errnum::NotUpdatable, QStringLiteral("Current Recordset does not support updating. This may be a "
                                                  "limitation of the provider, or of the selected locktype."));
    if (!m_tableInfo)
        m_tableInfo = detail::engineOf(*m_connection).tableInfo(m_table);
}

void Recordset::addNew()
{
    requireUpdatable();
    finishPendingEdit();
    m_editValues = QVector<QVariant>(m_names.size());
    m_assigned = QVector<bool>(m_names.size(), false);
    m_editMode = EditMode::Add;
}

void Recordset::setValue(const QString &name, const QVariant &v)
{
    requireUpdatable();
    const int index = requireField(name);
    if (m_editMode == EditMode::None) {
        requireCurrent();
        m_editValues = m_onAddedRow ? m_editValues : m_rows[int(m_position - m_firstBuffered)];
        m_assigned = QVector<bool>(m_names.size(), false);
        m_editMode = EditMode::Edit;
    }
    const int column = m_tableInfo->indexOf(m_names[index]);
    if (column < 0)
        fail(errnum::NotUpdatable, QStringLiteral("The field %1 is not a column of %2.").arg(m_names[index], m_table));
    m_editValues[index] = converted(m_tableInfo->columns[column], v);
    m_assigned[index] = true;
}

void Recordset::cancelUpdate()
{
    requireOpen();
    m_editMode = EditMode::None;
}

void Recordset::update()
{
    requireUpdatable();
    if (m_editMode == EditMode::None)
        return;
    QStringList columns;
    QVariantList params;
    for (int i = 0; i < m_names.size(); ++i) {
        if (m_assigned[i]) {
            columns.append(m_names[i]);
            params.append(m_editValues[i]);
        }
    }
    if (m_editMode == EditMode::Add) {
        QStringList marks;
        for (int i = 0; i < columns.size(); ++i)
            marks.append(QStringLiteral("?"));
        QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                   .arg(m_table, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        m_connection->observeStatement(insert, params);
        detail::engineOf(*m_connection).executeGenerated(insert, params);
        m_editMode = EditMode::None;
        m_onAddedRow = true;
        return;
    }
    if (columns.isEmpty()) {
        m_editMode = EditMode::None;
        return;
    }
    if (m_tableInfo->primaryKey.isEmpty())
        fail(errnum::NotUpdatable, QStringLiteral("The table %1 has no key to locate the row for updating.").arg(m_table));
    const QVector<QVariant> original = m_onAddedRow ? m_editValues : m_rows[int(m_position - m_firstBuffered)];
    QStringList sets;
    for (const QString &c : qAsConst(columns))
        sets.append(c + QStringLiteral("=?"));
    QStringList keys;
    for (int column : m_tableInfo->primaryKey) {
        const QString keyName = m_tableInfo->columns[column].name;
        const int field = fieldIndex(keyName);
        if (field < 0)
            fail(errnum::NotUpdatable, QStringLiteral("The key column %1 is not in the recordset.").arg(keyName));
        keys.append(keyName + QStringLiteral("=?"));
        params.append(original[field]);
    }
    QString change =
        QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(m_table, sets.join(QLatin1Char(',')), keys.join(QStringLiteral(" AND ")));
    m_connection->observeStatement(change, params);
    const qint64 changed = detail::engineOf(*m_connection).executeGenerated(change, params);
    if (changed == 0)
        fail(errnum::RowNotLocated, QStringLiteral("Row cannot be located for updating. Some values may have been "
                                                   "changed since it was last read."));
    if (!m_onAddedRow)
        m_rows[int(m_position - m_firstBuffered)] = m_editValues;
    m_editMode = EditMode::None;
}

} // namespace kadu2217
