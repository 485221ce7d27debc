#pragma once

#include "db/connection.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>

namespace kadu2217 {

namespace detail { class Cursor; struct TableInfo; }

// An ADO-style recordset. Rows are read from the database as the recordset moves; a
// static or keyset recordset keeps what it has read so that it can move back.
// A recordset opened with a lock other than read-only on "select * from T [where ...]"
// can add a row (addNew, setValue, update) or change its current row (setValue, update);
// the write travels as bound parameters, and every assigned value is first converted to
// the column's declared type.
class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    void open(const QString &sql, const ConnectionPtr &connection,
              CursorType cursor = CursorType::ForwardOnly, LockType lock = LockType::ReadOnly,
              const QVariantList &params = {});
    void close();
    bool isOpen() const { return m_open; }

    bool eof() const;
    bool bof() const;
    void moveFirst();
    void moveNext();
    void movePrevious();
    void moveLast();
    // Reads every remaining row (static and keyset only).
    qint64 recordCount();

    int fieldCount() const;
    QString fieldName(int index) const;
    // -1 when there is no such field; names compare without regard to case.
    int fieldIndex(const QString &name) const;
    // NULL is an invalid QVariant. Fails with 3021 at BOF or EOF, 3265 for an unknown name.
    // The value is the recordset's own: it lasts until the recordset moves, changes or closes.
    const QVariant &value(int index) const;
    const QVariant &value(const QString &name) const;

    void addNew();
    void setValue(const QString &name, const QVariant &value);
    void update();
    void cancelUpdate();

private:
    void requireOpen() const;
    void requireCurrent() const;
    void requireUpdatable();
    bool fetchTo(qint64 index);
    int requireField(const QString &name) const;
    void finishPendingEdit();

    ConnectionPtr m_connection;
    std::unique_ptr<detail::Cursor> m_cursor;
    bool m_open = false;
    CursorType m_cursorType = CursorType::ForwardOnly;
    LockType m_lockType = LockType::ReadOnly;
    QStringList m_names;
    QHash<QString, int> m_index;      // lower-case name -> first field of that name
    QVector<QVector<QVariant>> m_rows; // rows read so far (forward-only keeps only the current one)
    qint64 m_firstBuffered = 0;        // absolute row number of m_rows[0]
    qint64 m_position = 0;             // absolute row number of the current row; -1 = BOF
    bool m_exhausted = false;

    // write support
    QString m_table;
    std::shared_ptr<const detail::TableInfo> m_tableInfo;
    enum class EditMode { None, Edit, Add } m_editMode = EditMode::None;
    QVector<QVariant> m_editValues;
    QVector<bool> m_assigned;
    bool m_onAddedRow = false; // after adding, the added row is current until the next move
};

} // namespace kadu2217
