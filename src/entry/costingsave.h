#pragma once

#include <kadu2217/connection.h>
#include "services/services.h"

#include "entry/itemcost.h"
#include "shell/session.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QVector>

class QWidget;

namespace kadu2217 {

// One item row of the entry window's grid, as its texts stand.
struct CostingLine {
    QString itemId;
    QString quantity;
    QString costedPrice;
    QString billUnitPrice;
    // Shown, not stored.
    QString itemCode;
    QString description;
};

// What the entry window holds when the user presses OK.
struct CostingToSave {
    bool newMode = true;
    qint32 departmentId = 0;
    qint32 shopId = 0;
    qint32 billId = 0;
    QString purchaseNo;
    QString remarks;
    QDate costingDate;
    bool costFix = false;
    // The register's column-0 text of the costing being edited.
    QString editedCostingId;
    QVector<CostingLine> lines;
    // The shop and bill the lines were loaded for; 0 while no bill's lines are complete.
    qint32 linesShopId = 0;
    qint32 linesBillId = 0;
};

// The first input that stops a save, with the control the focus goes to; empty when the
// inputs are complete.
struct CostingCheck {
    QString message;
    QString focusControl;
    bool passed() const { return message.isEmpty(); }
};
CostingCheck checkCosting(const CostingToSave &costing, int shopIndex, int billIndex, int departmentIndex);

// The cost of each line as the save stores it, line after line: each item looked up through
// `lookups` at its first line (inside the caller's transaction, when there is one), its lines
// averaged in bill order. The save and the cost preview both cost through it.
class CostingLineCosts {
public:
    CostingLineCosts(clsDatabase &lookups, const CostingToSave &costing);
    ItemCost next(qint32 itemId, double quantity, double costedPrice);

private:
    clsDatabase &m_lookups;
    bool m_newMode;
    QHash<qint32, double> m_billQuantities;
    RunningItemCost m_running;
};

struct SaveOutcome {
    bool saved = false;
    QString duplicateCostingNo; // set when another costing covers the bill and nothing was kept
};

// Stores the costing in one transaction on the session's connection: header, detail rows with the items'
// new costs (and, with Cost Fix, the item master and shipment lines), the bill marked costed,
// the duplicate check and the audit record. `costingId` receives the costing's id. Any failure
// rolls everything back and propagates.
SaveOutcome saveCosting(const ModuleContext &context, clsDatabase &lookups, clsAuditTrail &audit, QWidget *window,
                        const CostingToSave &costing, qint32 &costingId);

} // namespace kadu2217
