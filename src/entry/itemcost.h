#pragma once

#include <kadu2217/connection.h>
#include <kadu2217/services.h>

namespace kadu2217 {

// Stock already valued at the item's old cost: what godowns and shops hold, less what
// uncosted bills bring in; in edit mode the bill itself was costed before and its
// quantity is taken off too.
double stockAtOldCost(double godownStock, double shopStock, double uncostedQuantity, double billQuantity, bool newMode);

// The weighted average of the stock at the old cost and the bill's quantity at the costed
// price; the costed price alone when there is no stock at the old cost.
double weightedAverageCost(double oldStock, double oldCost, double billQuantity, double costedPrice);

struct ItemCost {
    double oldCost = 0; // the item master's rate before this costing
    double newCost = 0;
};

// Looks up the item's stock, rate and uncosted quantity through `lookups` (so inside the
// caller's transaction) and computes its new cost.
ItemCost computeItemCost(clsDatabase &lookups, qint32 itemId, double billQuantity, double costedPrice, bool newMode);

// Cost Fix: the new cost goes into the item master; shipment lines of every shop are
// flagged when it changed.
void fixItemCost(Connection &connection, qint32 itemId, const ItemCost &cost);

} // namespace kadu2217
