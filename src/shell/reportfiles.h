#pragma once

#include <QString>
#include <QStringList>

namespace kadu2217 {

// What every preview hands the report engine to log on to the report database.
struct ReportLogOn {
    QString driverFile = QStringLiteral("pdsodbc.dll");
    QString server = QStringLiteral("admindsnv2");
    QString database = QStringLiteral("adminv2");
    QString user = QStringLiteral("admin");
    QString password = QStringLiteral("tqlnrepo4816");
};

namespace reportfiles {

inline const QString costingA4 = QStringLiteral("\\reports\\rptLocalPurchaseCosting.rpt");
inline const QString costingA5 = QStringLiteral("\\reports\\rptLocalPurchaseCostingA5.rpt");
inline const QString bill = QStringLiteral("\\reports\\rptLocalPurchaseBill.rpt");
inline const QString billTitle = QStringLiteral("Local Purchase Bill");

// The folder whose "reports" folder holds the definitions, found from where the module's
// code was loaded from: beside it or one level up in a build tree, share/kadu2217 under the
// installation prefix.
QString componentFolder();

// `folder` followed by a file name written as the suite writes it ("\reports\x.rpt"), with
// the platform's separator.
QString definitionPath(const QString &folder, const QString &suiteName);

// The bill preview's folder: every "VORKA", in any case, becomes "MELD"; the rest of the
// path stays as it is, since a changed case names another folder here.
QString billReportFolder(const QString &applicationPath);

// The bill report's five parameter texts, "name;value;true", in index order.
QStringList billReportFields(const QString &title, qint32 shopId, qint32 billId, const QString &userName,
                             const QString &departmentName);

} // namespace reportfiles
} // namespace kadu2217
