#pragma once

#include <QFont>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>

namespace kadu2217 {

class Connection;

// A report definition file of the module's own format, so that a layout changes without a
// rebuild. Lines before "layout" set the page and name the queries; everything after it is
// the page's HTML with fields and sections:
//
//   # a comment
//   page A4 portrait              paper (A4, A5, Letter, ...) and orientation
//   margins 12                    millimetres on every side
//   font DejaVu Sans 9            family and point size of the text
//   footer Local Purchase Costing printed left of "Page N of M" on every page
//   details lines                 the query whose rows count as the report's records
//   query lines                   a query; its statement follows on indented lines
//     select ... where id = {param.1}
//   layout
//   <h1>{header.title}</h1> <!--each lines--><tr><td>{lines.qty|0.000}</td></tr><!--end-->
//
// A field is {query.column}, {param.N} or {param.name}, or {fn:Name(field, ...)} for a
// function the module registers, optionally with "|format": a number pattern ("0.00",
// "#,##0.000", "0.###"), a date pattern ("dd/MM/yyyy hh:mm") or "upper". Inside
// <!--each q--> a field of q is the current row's; elsewhere the first row's.
// <!--if field--> and <!--ifnot field--> keep their part when the field is (not) set:
// neither NULL, empty, 0 nor false. In a query, a parameter becomes an SQL literal.
// The paper, margins and text font a report is printed with.
struct ReportPage {
    QPageSize::PageSizeId pageSize = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    qreal marginMillimetres = 12;
    QFont font;

    QPageLayout layout() const;
};

struct ReportDefinition {
    QString fileName;
    ReportPage page;
    QString footer; // a layout of its own, filled like the page's
    QString detailsQuery;
    QVector<QPair<QString, QString>> queries; // name, statement
    QString layout;

    // Fails with error 5 and the file's name and line on a definition it cannot read.
    static ReportDefinition read(const QString &fileName);
    static ReportDefinition parse(const QString &text, const QString &fileName = QString());
};

// A report's parameters, by position (from 1) and by name.
struct ReportParameters {
    QHash<QString, QVariant> values; // "1", "2", ... and lower-case names
    QHash<QString, bool> texts;      // whether a value is a text in SQL (type 12 or a "str" name)

    void set(int position, const QVariant &value, bool text);
    // "name;value;true"
    void setField(const QString &field);
};

using ReportFunction = std::function<QVariant(const QVariantList &arguments)>;
// Functions a definition may call by name ({fn:Name(...)}); names compare without regard to case.
void registerReportFunction(const QString &name, ReportFunction function);

// What a run produced: the laid-out page's HTML and how to print it.
struct ReportContent {
    QString html;
    ReportPage page;
    QString footer;
    int records = 0;
};

// Reads the definition's queries on `connection` and fills its layout.
ReportContent runReport(const ReportDefinition &definition, const ReportParameters &parameters,
                        const std::shared_ptr<Connection> &connection);

} // namespace kadu2217
