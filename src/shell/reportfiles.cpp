#include "shell/reportfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <dlfcn.h>

namespace kadu2217::reportfiles {
namespace {

QString loadedFromFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&componentFolder), &info) && info.dli_fname)
        return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
    return QDir::currentPath();
}

} // namespace

QString componentFolder()
{
    const QString here = loadedFromFolder();
    for (const QString &candidate : {here, here + QStringLiteral("/.."), here + QStringLiteral("/../share/kadu2217")}) {
        if (QFileInfo(candidate + QStringLiteral("/reports")).isDir())
            return QDir::cleanPath(candidate);
    }
    return here;
}

QString definitionPath(const QString &folder, const QString &suiteName)
{
    QString name = suiteName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::toNativeSeparators(folder + name);
}

QString billReportFolder(const QString &applicationPath)
{
    static const QRegularExpression vorka(QStringLiteral("VORKA"), QRegularExpression::CaseInsensitiveOption);
    QString folder = applicationPath;
    return folder.replace(vorka, QStringLiteral("MELD"));
}

QStringList billReportFields(const QString &title, qint32 shopId, qint32 billId, const QString &userName,
                             const QString &departmentName)
{
    const auto field = [](const QString &name, const QString &value) { return name + QLatin1Char(';') + value + QStringLiteral(";true"); };
    return {field(QStringLiteral("strReportName"), title), field(QStringLiteral("intShopID"), QString::number(shopId)),
            field(QStringLiteral("intBillID"), QString::number(billId)), field(QStringLiteral("strUserName"), userName),
            field(QStringLiteral("strDepartmentName"), departmentName)};
}

} // namespace kadu2217::reportfiles
