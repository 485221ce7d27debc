#pragma once

#include <kadu2217/connection.h>
#include "services/services.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>

// The entry window's statements and lookups. Each returns what the window shows; the window
// maps it to its controls.
namespace kadu2217::entryquery {

// Table texts for the database services' list filling.
QString departmentsOfUser(qint16 userId, qint16 companyId);
QString allDepartments();
// Shops with bills: every uncancelled bill when editing, else the uncosted ones (of the
// working department when there is one).
QString shopsWithBills(bool newMode, qint16 sessionDepartmentId);
// The shop's bills: the edited costing's own bill, or the shop's uncosted ones (of the
// selected department when the session has a working department).
QString billsOfShop(bool newMode, qint16 sessionDepartmentId, qint32 shopId, qint32 departmentId, const QString &editedCostingId);

// The company's default department from its package settings.
qint32 companyDepartment(clsDatabase &lookups, qint16 companyId);

struct BillCurrencies {
    qint16 inventoryCurrency = 0;
    qint16 vendorCurrency = 0;
    QString exchangeRates; // the bill's rate text
};
BillCurrencies billCurrencies(clsDatabase &lookups, qint16 companyId, qint32 shopId, qint32 billId);

// One line of the item grid as stored: a bill line (new costing) or a saved costing line.
// Values that the grid formats stay as the database gave them.
struct ItemLine {
    QVariant itemCode;
    QString description;
    QVariant quantity;
    QVariant unitPrice;   // the bill line's price for its whole quantity (new costing)
    QVariant costedPrice; // saved costing
    QVariant billUnitPrice;
    QVariant itemId;
};
// The bill's lines in the detail table's rowguid order when the database has one, each with
// its item's description. `onLine` receives each line as it is read, so that what was read
// before a failure is kept.
void readBillLines(const ConnectionPtr &connection, clsDatabase &lookups, qint32 shopId, qint32 billId,
                   const std::function<void(const ItemLine &)> &onLine);
// The saved costing's lines in the order they were first saved.
void readCostingLines(const ConnectionPtr &connection, clsDatabase &lookups, const QString &costingId,
                      const std::function<void(const ItemLine &)> &onLine);

// A saved costing's header as the entry window opens it for changes.
struct SavedCosting {
    QDate date;
    qint32 shopId = 0;
    qint32 billId = 0;
    qint32 departmentId = 0;
    QString remarks;
    bool fixed = false;
};
SavedCosting readSavedCosting(const ConnectionPtr &connection, const QString &costingId);

} // namespace kadu2217::entryquery
