#include "services/reportdefinition.h"

#include "db/error.h"
#include "db/recordset.h"
#include "db/values.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTextStream>

namespace kadu2217 {
namespace {

[[noreturn]] void badDefinition(const QString &fileName, int line, const QString &what)
{
    raise(errnum::InvalidProcedureCall, line > 0 ? QStringLiteral("%1, line %2: %3").arg(fileName).arg(line).arg(what)
                                                 : QStringLiteral("%1: %2").arg(fileName, what));
}

QHash<QString, ReportFunction> &functions()
{
    static QHash<QString, ReportFunction> registered;
    return registered;
}

QPageSize::PageSizeId pageSizeNamed(const QString &name)
{
    static const QHash<QString, QPageSize::PageSizeId> sizes = {
        {QStringLiteral("a3"), QPageSize::A3},         {QStringLiteral("a4"), QPageSize::A4},
        {QStringLiteral("a5"), QPageSize::A5},         {QStringLiteral("a6"), QPageSize::A6},
        {QStringLiteral("letter"), QPageSize::Letter}, {QStringLiteral("legal"), QPageSize::Legal}};
    return sizes.value(name.toLower(), QPageSize::Custom);
}

bool isSet(const QVariant &v)
{
    if (value::isNull(v))
        return false;
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool();
    case QMetaType::QString: {
        const QString text = v.toString().trimmed();
        return !text.isEmpty() && text != QLatin1String("0") && text.compare(QLatin1String("false"), Qt::CaseInsensitive) != 0;
    }
    case QMetaType::QDateTime:
    case QMetaType::QDate:
        return true;
    default:
        return v.toDouble() != 0;
    }
}

// "0.00", "#,##0.000", "0.###": fixed decimals from the zeros, optional ones from the hashes.
bool isNumberPattern(const QString &format)
{
    static const QRegularExpression pattern(QStringLiteral("^[#0,]*0(\\.0*#*)?$"));
    return pattern.match(format).hasMatch();
}

// The user's locale, with and without group separators; made once per report.
struct NumberLocales {
    QLocale grouped;
    QLocale plain;
    NumberLocales()
    {
        grouped.setNumberOptions(QLocale::DefaultNumberOptions);
        plain.setNumberOptions(QLocale::OmitGroupSeparator);
    }
};

QString formatNumber(double v, const QString &format, const NumberLocales &locales)
{
    const int point = int(format.indexOf(QLatin1Char('.')));
    const int fixed = point < 0 ? 0 : int(format.count(QLatin1Char('0'), Qt::CaseSensitive)) - int(format.left(point).count(QLatin1Char('0')));
    const int optional = point < 0 ? 0 : int(format.mid(point).count(QLatin1Char('#')));
    const QLocale &locale = format.contains(QLatin1Char(',')) ? locales.grouped : locales.plain;
    QString text = locale.toString(v, 'f', fixed + optional);
    if (optional > 0) {
        const QChar zero = locale.zeroDigit().at(0);
        const QString decimal = locale.decimalPoint();
        int keep = int(text.size());
        for (int dropped = 0; dropped < optional && keep > 0 && text.at(keep - 1) == zero; ++dropped)
            --keep;
        text.truncate(keep);
        if (fixed == 0 && text.endsWith(decimal))
            text.chop(decimal.size());
    }
    return text;
}

QString formatValue(const QVariant &v, const QString &format, const NumberLocales &locales)
{
    if (value::isNull(v))
        return QString();
    if (format.compare(QLatin1String("upper"), Qt::CaseInsensitive) == 0)
        return value::displayText(v).toUpper();
    if (!format.isEmpty() && isNumberPattern(format))
        return formatNumber(value::toDouble(v), format, locales);
    if (v.typeId() == QMetaType::QDateTime || v.typeId() == QMetaType::QDate) {
        const QDateTime when = value::toDateTime(v);
        if (!format.isEmpty())
            return when.toString(format);
        return when.time() == QTime(0, 0) ? when.toString(QStringLiteral("dd/MM/yyyy"))
                                          : when.toString(QStringLiteral("dd/MM/yyyy hh:mm"));
    }
    if (v.typeId() == QMetaType::Double && format.isEmpty())
        return QString::number(v.toDouble(), 'g', 15);
    return value::displayText(v);
}

struct QueryData {
    QString name;
    QHash<QString, int> columns; // lower-case name -> index
    QVector<QVector<QVariant>> rows;
};

// Where a field's value comes from, resolved once per run.
struct FieldRef {
    enum class Kind { Column, Parameter, Function } kind = Kind::Column;
    int query = -1;
    int column = -1;
    QString parameter;
    ReportFunction function;
    QVector<FieldRef> arguments;
    QString format;
};

class Evaluator {
public:
    Evaluator(const QString &fileName, const ReportParameters &parameters, const QVector<QueryData> &data)
        : m_fileName(fileName), m_parameters(parameters), m_data(data), m_current(data.size(), -1)
    {
    }

    int queryIndex(const QString &name) const
    {
        for (int i = 0; i < m_data.size(); ++i) {
            if (m_data[i].name.compare(name, Qt::CaseInsensitive) == 0)
                return i;
        }
        return -1;
    }

    FieldRef compile(const QString &text) const
    {
        FieldRef ref;
        QString expression = text.trimmed();
        const int bar = int(expression.lastIndexOf(QLatin1Char('|')));
        if (bar >= 0 && !expression.mid(bar).contains(QLatin1Char(')'))) {
            ref.format = expression.mid(bar + 1).trimmed();
            expression = expression.left(bar).trimmed();
        }
        if (expression.startsWith(QLatin1String("fn:"), Qt::CaseInsensitive)) {
            static const QRegularExpression call(QStringLiteral("^fn:\\s*(\\w+)\\s*\\((.*)\\)$"));
            const auto match = call.match(expression);
            if (!match.hasMatch())
                badDefinition(m_fileName, 0, QStringLiteral("a function is written fn:Name(field, ...): %1").arg(text));
            ref.kind = FieldRef::Kind::Function;
            ref.function = functions().value(match.captured(1).toLower());
            if (!ref.function)
                badDefinition(m_fileName, 0, QStringLiteral("no report function %1").arg(match.captured(1)));
            const QString arguments = match.captured(2).trimmed();
            if (!arguments.isEmpty()) {
                for (const QString &argument : arguments.split(QLatin1Char(',')))
                    ref.arguments.append(compile(argument));
            }
            return ref;
        }
        const int dot = int(expression.indexOf(QLatin1Char('.')));
        const QString source = expression.left(dot);
        const QString member = expression.mid(dot + 1);
        if (dot <= 0 || member.isEmpty())
            badDefinition(m_fileName, 0, QStringLiteral("a field is written query.column or param.name: %1").arg(text));
        if (source.compare(QLatin1String("param"), Qt::CaseInsensitive) == 0) {
            ref.kind = FieldRef::Kind::Parameter;
            ref.parameter = member.toLower();
            return ref;
        }
        ref.query = queryIndex(source);
        if (ref.query < 0)
            badDefinition(m_fileName, 0, QStringLiteral("no query %1").arg(source));
        ref.column = m_data[ref.query].columns.value(member.toLower(), -1);
        if (ref.column < 0)
            badDefinition(m_fileName, 0, QStringLiteral("the query %1 has no column %2").arg(source, member));
        return ref;
    }

    QVariant value(const FieldRef &ref) const
    {
        switch (ref.kind) {
        case FieldRef::Kind::Parameter:
            if (!m_parameters.values.contains(ref.parameter))
                raise(errnum::InvalidProcedureCall, QStringLiteral("%1: the parameter %2 was not given").arg(m_fileName, ref.parameter));
            return m_parameters.values.value(ref.parameter);
        case FieldRef::Kind::Function: {
            QVariantList arguments;
            for (const FieldRef &argument : ref.arguments)
                arguments.append(value(argument));
            return ref.function(arguments);
        }
        case FieldRef::Kind::Column:
            break;
        }
        const QueryData &query = m_data[ref.query];
        const int row = qMax(0, m_current[ref.query]);
        if (row >= query.rows.size())
            return QVariant();
        return query.rows[row][ref.column];
    }

    QString text(const FieldRef &ref) const { return formatValue(value(ref), ref.format, m_locales); }

    QString sqlLiteral(const FieldRef &ref) const
    {
        const QVariant v = value(ref);
        if (value::isNull(v))
            return QStringLiteral("null");
        const bool asText = ref.kind == FieldRef::Kind::Parameter ? m_parameters.texts.value(ref.parameter)
                                                                  : v.typeId() == QMetaType::QString;
        if (asText)
            return QLatin1Char('\'') + value::sqlEscaped(value::displayText(v)) + QLatin1Char('\'');
        if (v.typeId() == QMetaType::QDateTime)
            return QLatin1Char('\'') + v.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")) + QLatin1Char('\'');
        return value::sqlNumber(value::toDouble(v));
    }

    void setCurrent(int query, int row) { m_current[query] = row; }

private:
    QString m_fileName;
    const ReportParameters &m_parameters;
    const QVector<QueryData> &m_data;
    QVector<int> m_current;
    NumberLocales m_locales;
};

// The layout, parsed once into text, fields and sections.
struct Node {
    enum class Kind { Text, Field, Each, If, IfNot } kind = Kind::Text;
    QString text;
    FieldRef field;
    int query = -1;
    QVector<Node> children;
};

QVector<Node> compileLayout(const QString &layout, const Evaluator &evaluator, const QString &fileName)
{
    static const QRegularExpression token(QStringLiteral("<!--\\s*(each|if|ifnot|end)\\b\\s*([^>]*?)\\s*-->|\\{([^{}\\s][^{}]*)\\}"));
    QVector<QVector<Node>> stack(1);
    QVector<Node> open;
    qsizetype at = 0;
    auto it = token.globalMatch(layout);
    const auto addText = [&stack](const QString &text) {
        if (!text.isEmpty())
            stack.last().append(Node{Node::Kind::Text, text, {}, -1, {}});
    };
    while (it.hasNext()) {
        const auto match = it.next();
        addText(layout.mid(at, match.capturedStart() - at));
        at = match.capturedEnd();
        if (match.capturedLength(3) > 0) {
            Node field{Node::Kind::Field, {}, evaluator.compile(match.captured(3)), -1, {}};
            stack.last().append(field);
            continue;
        }
        const QString word = match.captured(1);
        if (word == QLatin1String("end")) {
            if (open.isEmpty())
                badDefinition(fileName, 0, QStringLiteral("<!--end--> without a section"));
            Node section = open.takeLast();
            section.children = stack.takeLast();
            stack.last().append(section);
            continue;
        }
        Node section;
        if (word == QLatin1String("each")) {
            section.kind = Node::Kind::Each;
            section.query = evaluator.queryIndex(match.captured(2));
            if (section.query < 0)
                badDefinition(fileName, 0, QStringLiteral("no query %1").arg(match.captured(2)));
        } else {
            section.kind = word == QLatin1String("if") ? Node::Kind::If : Node::Kind::IfNot;
            section.field = evaluator.compile(match.captured(2));
        }
        open.append(section);
        stack.append(QVector<Node>());
    }
    addText(layout.mid(at));
    if (!open.isEmpty())
        badDefinition(fileName, 0, QStringLiteral("a section is not closed with <!--end-->"));
    return stack.first();
}

// Fields are escaped for the HTML of the page, not for the plain text of the footer.
void render(const QVector<Node> &nodes, Evaluator &evaluator, const QVector<QueryData> &data, QString &out, bool html = true)
{
    for (const Node &node : nodes) {
        switch (node.kind) {
        case Node::Kind::Text:
            out += node.text;
            break;
        case Node::Kind::Field:
            out += html ? evaluator.text(node.field).toHtmlEscaped() : evaluator.text(node.field);
            break;
        case Node::Kind::Each:
            for (int row = 0; row < data[node.query].rows.size(); ++row) {
                evaluator.setCurrent(node.query, row);
                render(node.children, evaluator, data, out, html);
            }
            evaluator.setCurrent(node.query, -1);
            break;
        case Node::Kind::If:
        case Node::Kind::IfNot:
            if (isSet(evaluator.value(node.field)) == (node.kind == Node::Kind::If))
                render(node.children, evaluator, data, out, html);
            break;
        }
    }
}

} // namespace

ReportDefinition ReportDefinition::read(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        raise(errnum::InvalidProcedureCall, QStringLiteral("Cannot open the report definition %1: %2").arg(fileName, file.errorString()));
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    return parse(in.readAll(), fileName);
}

ReportDefinition ReportDefinition::parse(const QString &text, const QString &fileName)
{
    ReportDefinition definition;
    definition.fileName = fileName;
    definition.page.font = QFont(QStringLiteral("DejaVu Sans"), 9);
    const QStringList lines = text.split(QLatin1Char('\n'));
    int number = 0;
    for (; number < lines.size(); ++number) {
        const QString line = lines[number];
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        if (line.at(0).isSpace()) {
            if (definition.queries.isEmpty())
                badDefinition(fileName, number + 1, QStringLiteral("an indented line belongs to a query"));
            definition.queries.last().second += trimmed + QLatin1Char(' ');
            continue;
        }
        const int space = int(trimmed.indexOf(QLatin1Char(' ')));
        const QString keyword = (space < 0 ? trimmed : trimmed.left(space)).toLower();
        const QString rest = space < 0 ? QString() : trimmed.mid(space + 1).trimmed();
        const QStringList words = rest.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (keyword == QLatin1String("layout")) {
            definition.layout = lines.mid(number + 1).join(QLatin1Char('\n'));
            break;
        } else if (keyword == QLatin1String("page")) {
            definition.page.pageSize = pageSizeNamed(words.value(0));
            if (definition.page.pageSize == QPageSize::Custom)
                badDefinition(fileName, number + 1, QStringLiteral("unknown paper %1").arg(words.value(0)));
            definition.page.orientation = words.value(1).compare(QLatin1String("landscape"), Qt::CaseInsensitive) == 0
                ? QPageLayout::Landscape : QPageLayout::Portrait;
        } else if (keyword == QLatin1String("margins")) {
            bool ok = false;
            definition.page.marginMillimetres = rest.toDouble(&ok);
            if (!ok)
                badDefinition(fileName, number + 1, QStringLiteral("margins are millimetres"));
        } else if (keyword == QLatin1String("font")) {
            bool ok = false;
            const qreal size = words.value(words.size() - 1).toDouble(&ok);
            if (!ok || words.size() < 2)
                badDefinition(fileName, number + 1, QStringLiteral("a font is its family and point size"));
            definition.page.font = QFont(words.mid(0, words.size() - 1).join(QLatin1Char(' ')));
            definition.page.font.setPointSizeF(size);
        } else if (keyword == QLatin1String("footer")) {
            definition.footer = rest;
        } else if (keyword == QLatin1String("details")) {
            definition.detailsQuery = rest;
        } else if (keyword == QLatin1String("query")) {
            if (words.size() != 1)
                badDefinition(fileName, number + 1, QStringLiteral("a query has a one-word name"));
            definition.queries.append({rest, QString()});
        } else {
            badDefinition(fileName, number + 1, QStringLiteral("unknown line: %1").arg(trimmed));
        }
    }
    if (number >= lines.size())
        badDefinition(fileName, 0, QStringLiteral("no layout"));
    return definition;
}

void ReportParameters::set(int position, const QVariant &value, bool text)
{
    values.insert(QString::number(position), value);
    texts.insert(QString::number(position), text);
}

void ReportParameters::setField(const QString &field)
{
    const QStringList parts = field.split(QLatin1Char(';'));
    if (parts.size() < 2 || parts[0].trimmed().isEmpty())
        raise(errnum::InvalidProcedureCall, QStringLiteral("A parameter field is written name;value;true: %1").arg(field));
    const QString name = parts[0].trimmed().toLower();
    const QString text = parts.mid(1, parts.size() > 2 ? parts.size() - 2 : 1).join(QLatin1Char(';'));
    // The suite's names tell the type: intShopID is a number, strUserName a text.
    const bool isText = !name.startsWith(QLatin1String("int")) && !name.startsWith(QLatin1String("lng"))
        && !name.startsWith(QLatin1String("dbl"));
    if (!isText && !value::parseNumber(text))
        raise(errnum::TypeMismatch, QStringLiteral("The parameter %1 must be a number: %2").arg(parts[0], text));
    values.insert(name, isText ? QVariant(text) : QVariant(value::toDouble(text)));
    texts.insert(name, isText);
}

void registerReportFunction(const QString &name, ReportFunction function)
{
    functions().insert(name.toLower(), std::move(function));
}

QPageLayout ReportPage::layout() const
{
    return QPageLayout(QPageSize(pageSize), orientation,
                       QMarginsF(marginMillimetres, marginMillimetres, marginMillimetres, marginMillimetres),
                       QPageLayout::Millimeter);
}

ReportContent runReport(const ReportDefinition &definition, const ReportParameters &parameters,
                        const std::shared_ptr<Connection> &connection)
{
    QVector<QueryData> data;
    data.reserve(definition.queries.size());
    for (const auto &[name, statement] : definition.queries) {
        // A query may use the parameters and the first row of the queries before it.
        Evaluator known(definition.fileName, parameters, data);
        static const QRegularExpression field(QStringLiteral("\\{([^{}\\s][^{}]*)\\}"));
        QString sql;
        qsizetype at = 0;
        auto it = field.globalMatch(statement);
        while (it.hasNext()) {
            const auto match = it.next();
            sql += statement.mid(at, match.capturedStart() - at);
            sql += known.sqlLiteral(known.compile(match.captured(1)));
            at = match.capturedEnd();
        }
        sql += statement.mid(at);

        QueryData query;
        query.name = name;
        Recordset rs;
        rs.open(sql, connection, CursorType::ForwardOnly, LockType::ReadOnly);
        const int fields = rs.fieldCount();
        for (int c = 0; c < fields; ++c) {
            const QString column = rs.fieldName(c).toLower();
            if (!query.columns.contains(column))
                query.columns.insert(column, c);
        }
        for (; !rs.eof(); rs.moveNext()) {
            QVector<QVariant> row(fields);
            for (int c = 0; c < fields; ++c)
                row[c] = rs.value(c);
            query.rows.append(std::move(row));
        }
        data.append(std::move(query));
    }

    Evaluator evaluator(definition.fileName, parameters, data);
    const QVector<Node> layout = compileLayout(definition.layout, evaluator, definition.fileName);
    ReportContent content;
    content.html.reserve(definition.layout.size() * 4);
    render(layout, evaluator, data, content.html);
    content.page = definition.page;
    const int details = definition.detailsQuery.isEmpty() ? int(data.size()) - 1 : evaluator.queryIndex(definition.detailsQuery);
    content.records = details >= 0 ? int(data[details].rows.size()) : 0;
    // The footer may name parameters and fields as the layout does.
    if (!definition.footer.isEmpty()) {
        QString footer;
        render(compileLayout(definition.footer, evaluator, definition.fileName), evaluator, data, footer, false);
        content.footer = footer;
    }
    return content;
}

} // namespace kadu2217
