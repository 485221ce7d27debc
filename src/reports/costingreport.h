#pragma once

#include "services/services.h"

#include "shell/session.h"

#include <QString>
#include <memory>

namespace kadu2217 {

inline const QString kCostingReportTitle = QStringLiteral("Local Purchase Costing");
// An overlapped window with caption, system menu, sizing border and both boxes, maximised.
inline constexpr qint32 kCostingPreviewStyle = 0x01CF0000;

// The functions the costing definitions call: ExchangeRate(rate text, vendor currency,
// inventory currency), the rate a bill's prices were converted at, as the entry window has it.
void registerCostingReportFunctions();

// The name of a department, read through a database-services object of its own.
QString DepartmentNameOf(const ConnectionPtr &connection, qint16 departmentId);

// The symbol of the currency of the vendor of a costing's bill, the bill found by the
// costing's shop and bill: bill numbers repeat across shops.
QString vendorCurrencySymbol(clsDatabase &lookups, qint32 costingId);

// What every costing preview asks of the report engine before the preview itself: the engine
// created by name and logged on, the definition opened, the preview switches and the three
// parameters set. The caller keeps the engine as long as the preview shall live.
std::shared_ptr<clsReportEngine> openCostingReport(const ConnectionPtr &connection, qint32 costingId,
                                                   const QString &definitionFile, const QString &departmentName);

// Opens the costing report in the engine's preview window.
std::shared_ptr<clsReportEngine> previewCosting(const ConnectionPtr &connection, qint32 costingId,
                                                const QString &definitionFile, const QString &departmentName);

} // namespace kadu2217
