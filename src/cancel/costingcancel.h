#pragma once

#include <kadu2217/connection.h>
#include "services/services.h"

#include "shell/costingregister.h"
#include "shell/session.h"

#include <QSet>
#include <QString>
#include <QVector>
#include <optional>

class QWidget;

namespace kadu2217 {

// One line of a costing as its cancellation reads it.
struct CancelledLine {
    qint32 itemId = 0;
    std::optional<double> oldCost; // the item's cost before the line
    std::optional<double> newCost; // the cost the line left it at
};

// What a fixed costing's cancellation puts back for one item: the cost it had before the
// costing (its first line's old cost) and the cost the costing left it at (its last line's
// new cost).
struct ItemRestore {
    qint32 itemId = 0;
    std::optional<double> costBefore;
    std::optional<double> costLeft;
};
// One entry per item, in the order the items first appear; `lines` in the order they were saved.
QVector<ItemRestore> itemRestores(const QVector<CancelledLine> &lines);

// Whether an item's cost is no longer the one a costing left: more than half a cent apart,
// or NULL on one side only.
bool costChangedSince(const std::optional<double> &current, const std::optional<double> &costLeft);

// An item of a fixed costing whose cost was changed after the costing (by another costing
// or in the item master).
struct LaterCost {
    qint32 itemId = 0;
    QString code;
    QString description;
    std::optional<double> current;
    std::optional<double> restore;
    bool operator==(const LaterCost &other) const
    {
        return itemId == other.itemId && current == other.current && restore == other.restore;
    }
};
// Empty when the costing is not fixed.
QVector<LaterCost> laterCosts(const ConnectionPtr &connection, const QString &costingId);

struct CostingToCancel {
    QString costingId; // as the register's row gives it
    QString costingNo;
    QString reason;
    // The later costs the user was shown, and the items among them to keep at their current cost.
    QVector<LaterCost> laterCostsShown;
    QSet<qint32> keepCurrent;
};

enum class CancelOutcome {
    Cancelled,
    AlreadyCancelled, // another user cancelled it first; nothing was written
    LaterCostsChanged, // the later costs differ from those shown; nothing was written
};

// Cancels the costing in one transaction on the session's connection: the header is flagged
// (only while it is not cancelled yet), its bill is made uncosted, a fixed costing's items get
// their cost before the costing back, the register shows the new state, and the audit record
// "D" keeps the reason. Any failure rolls everything back and propagates.
CancelOutcome cancelCosting(ModuleContext &context, CostingRegister &costingRegister, clsAuditTrail &audit,
                            const CostingToCancel &request);

} // namespace kadu2217
