#pragma once

#include <kadu2217/connection.h>
#include "services/services.h"

#include "entry/costingsave.h"
#include "entry/entryquery.h"

#include <QString>
#include <QVector>
#include <optional>

namespace kadu2217 {

// What saving a costing would do to one line's item, worked out as the save works it out.
struct CostPreviewLine {
    QString itemCode;
    QString description;
    bool priced = false;    // false: the line has no usable quantity or costed price yet
    double valuedStock = 0; // O: the stock valued at the current cost before the line
    std::optional<double> currentCost; // R: the cost before the line
    double quantity = 0;
    double costedPrice = 0;
    double newCost = 0; // N

    // An item without a cost to change from (none, or 0) simply takes the new one.
    bool newItemCost() const { return !currentCost || *currentCost == 0; }
    // Without stock valued at the current cost the new cost is the costed price.
    bool costedPriceOnly() const { return valuedStock <= 0; }
    // The change from the current cost in percent; none for a new item cost.
    std::optional<double> changePercent() const;
    // Whether the change goes beyond `thresholdPercent` of the current cost either way.
    bool beyond(double thresholdPercent) const;
    // What the line's figures mean when they are not a plain average.
    QString note() const;
};

// Every line of the costing in grid order, costed through the save's own computation with
// `lookups` (on the session connection, outside any transaction: nothing is written and no
// other user waits).
QVector<CostPreviewLine> previewCosting(clsDatabase &lookups, const CostingToSave &costing);

// A bill line as the entry window holds it for a new costing: the quantity to three places and
// the costed price in the inventory currency, as texts.
CostingLine newCostingLine(const entryquery::ItemLine &line, double rate);

// A new costing of the bill with its lines as the entry window loads them.
CostingToSave newCostingOfBill(const ConnectionPtr &connection, clsDatabase &lookups, qint16 companyId, qint32 shopId,
                               qint32 billId);

// The preview as tab-separated text: a heading line, then one line per costing line.
QString costPreviewText(const QVector<CostPreviewLine> &lines);

} // namespace kadu2217
