#include "reports/costingreport.h"

#include "db/error.h"
#include "db/values.h"
#include "entry/exchangerate.h"
#include "services/reportdefinition.h"
#include "shell/reportfiles.h"

namespace kadu2217 {
namespace {

QString number(qint32 v)
{
    return QString::number(v);
}

} // namespace

void registerCostingReportFunctions()
{
    static const bool registered = [] {
        registerReportFunction(QStringLiteral("ExchangeRate"), [](const QVariantList &arguments) -> QVariant {
            if (arguments.size() != 3)
                raise(errnum::InvalidProcedureCall, QStringLiteral("ExchangeRate takes the rate text and two currency ids"));
            if (value::isNull(arguments[1]) || value::isNull(arguments[2]))
                return QVariant();
            return exchangerate::comparedRate(value::displayText(arguments[0]), value::toInt16(arguments[1]),
                                              value::toInt16(arguments[2]));
        });
        return true;
    }();
    Q_UNUSED(registered);
}

QString DepartmentNameOf(const ConnectionPtr &connection, qint16 departmentId)
{
    auto lookups = createServiceAs<clsDatabase>(servicenames::Database);
    lookups->adocon = connection;
    lookups->strTableName = QStringLiteral("aDepartmentMaster");
    // No row (department 0, all departments) names no department.
    return value::displayText(lookups->fnreturnfield(QStringLiteral("DepartmentName"), QStringLiteral("DepartmentId = ") + number(departmentId)));
}

QString vendorCurrencySymbol(clsDatabase &lookups, qint32 costingId)
{
    lookups.strTableName = QStringLiteral("loalocalpurchasecostingheader");
    const QString ofCosting = QStringLiteral("lpchcostingid=") + number(costingId);
    const qint32 shopId = value::toInt32(lookups.fnreturnfield(QStringLiteral("lpchshopid"), ofCosting));
    const qint32 billId = value::toInt32(lookups.fnreturnfield(QStringLiteral("lpchbillid"), ofCosting));
    lookups.strTableName = QStringLiteral("loslocalpurchaseheader");
    const qint32 vendorId = value::toInt32(lookups.fnreturnfield(
        QStringLiteral("lphVendorID"), QStringLiteral("lphShopID=") + number(shopId) + QStringLiteral(" and lphBillID=") + number(billId)));
    lookups.strTableName = QStringLiteral("aVendorMaster");
    const qint32 currencyId = value::toInt32(lookups.fnreturnfield(QStringLiteral("CurrencyID"), QStringLiteral("VendorID=") + number(vendorId)));
    lookups.strTableName = QStringLiteral("aCurrencyMaster");
    return value::toText(lookups.fnreturnfield(QStringLiteral("Symbol"), QStringLiteral("CurrencyID=") + number(currencyId)));
}

std::shared_ptr<clsReportEngine> openCostingReport(const ConnectionPtr &connection, qint32 costingId,
                                                   const QString &definitionFile, const QString &departmentName)
{
    registerCostingReportFunctions();
    auto engine = createServiceAs<clsReportEngine>(servicenames::ReportApplication);
    engine->adocon = connection;
    const ReportLogOn logOn;
    engine->LogOnServer(logOn.driverFile, logOn.server, logOn.database, logOn.user, logOn.password);
    engine->OpenReport(definitionFile);
    for (const int option : {8, 14, 7, 12})
        engine->SetPreviewSwitch(option, true);
    constexpr int stringType = 12;
    engine->SetParameter(1, costingId);
    engine->SetParameter(2, kCostingReportTitle, stringType);
    engine->SetParameter(3, departmentName);
    return engine;
}

std::shared_ptr<clsReportEngine> previewCosting(const ConnectionPtr &connection, qint32 costingId,
                                                const QString &definitionFile, const QString &departmentName)
{
    auto engine = openCostingReport(connection, costingId, definitionFile, departmentName);
    engine->Preview(kCostingReportTitle, 0, 0, 0, 0, kCostingPreviewStyle);
    return engine;
}

} // namespace kadu2217
