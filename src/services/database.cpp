#include "services/defaults.h"

#include "controls/combobox.h"
#include "controls/listview.h"
#include "db/recordset.h"
#include "db/values.h"

#include <QRegularExpression>

namespace kadu2217 {
namespace {

bool endsInCondition(const QString &table)
{
    static const QRegularExpression where(QStringLiteral("\\bwhere\\b"), QRegularExpression::CaseInsensitiveOption);
    return where.match(table).hasMatch();
}

} // namespace

QString DefaultDatabase::selectFrom(const QString &fields, const QString &table, const QString &condition) const
{
    QString sql = QStringLiteral("select ") + fields + QStringLiteral(" from ") + table;
    if (!condition.trimmed().isEmpty())
        sql += (endsInCondition(table) ? QStringLiteral(" and ") : QStringLiteral(" where ")) + condition;
    return sql;
}

QVariant DefaultDatabase::fnreturnfield(const QString &field)
{
    return fnreturnfield(field, QString());
}

QVariant DefaultDatabase::fnreturnfield(const QString &field, const QString &condition)
{
    Recordset rs;
    rs.open(selectFrom(field, strTableName, condition), adocon);
    return rs.eof() ? QVariant() : rs.value(0);
}

void DefaultDatabase::PopulateListview(ListView &listView, QString &tableText, QString &condition,
                                       const QStringList &fields)
{
    Recordset rs;
    rs.open(selectFrom(fields.join(QLatin1Char(',')), tableText, condition), adocon);
    listView.clear();
    const int count = rs.fieldCount();
    while (!rs.eof()) {
        QStringList subItems;
        subItems.reserve(count - 1);
        for (int i = 1; i < count; ++i)
            subItems.append(value::displayText(rs.value(i)));
        listView.addItem(value::displayText(rs.value(0)), subItems);
        rs.moveNext();
    }
}

void DefaultDatabase::populatecomboorlist(ComboBox &control, const QString &valueField, const QString &textField)
{
    Recordset rs;
    rs.open(selectFrom(valueField + QLatin1Char(',') + textField, strTableName, QString()), adocon);
    control.clear();
    while (!rs.eof()) {
        // An entry without an id could never be chosen for anything.
        if (!value::isNull(rs.value(0)))
            control.addItem(value::displayText(rs.value(1)).trimmed(), value::toInt32(rs.value(0)));
        rs.moveNext();
    }
}

} // namespace kadu2217
