#pragma once

#include <kadu2217/connection.h>
#include "services/services.h"

#include <QHash>
#include <optional>

namespace kadu2217 {

// Stock already valued at the item's old cost: what godowns and shops hold, less what
// uncosted bills bring in; in edit mode the bill itself was costed before, so all of its
// quantity of the item is taken off too.
double stockAtOldCost(double godownStock, double shopStock, double uncostedQuantity, double billQuantityOfItem, bool newMode);

// The weighted average of the stock at the old cost and the bill's quantity at the costed
// price; the costed price alone when there is no stock at the old cost or the item has no
// cost to average with.
double weightedAverageCost(double oldStock, std::optional<double> oldCost, double billQuantity, double costedPrice);

// Where an item stands before a line is costed: the stock valued at its cost, and that cost
// (none for an item that was never given one).
struct ItemStanding {
    double valuedStock = 0;
    std::optional<double> cost;
};

struct ItemCost {
    std::optional<double> oldCost; // the cost before the line
    double newCost = 0;
    double valuedStock = 0; // the stock valued at the old cost before the line
};

// Looks up the item's stock, rate and uncosted quantity through `lookups` (so inside the
// caller's transaction, when there is one): where it stands before this bill.
ItemStanding lookupItemStanding(clsDatabase &lookups, qint32 itemId, double billQuantityOfItem, bool newMode);

// The lines of one item on one bill are costed in bill order, each against the stock and the
// cost the earlier lines left, so that the item ends at the true weighted average.
class RunningItemCost {
public:
    bool knows(qint32 itemId) const { return m_items.contains(itemId); }
    void start(qint32 itemId, const ItemStanding &before) { m_items.insert(itemId, before); }
    // The line's old and new cost; the item must have been started.
    ItemCost next(qint32 itemId, double quantity, double costedPrice);

private:
    QHash<qint32, ItemStanding> m_items;
};

// Cost Fix: the new cost goes into the item master; shipment lines of every shop are
// flagged when it changed.
void fixItemCost(Connection &connection, qint32 itemId, const ItemCost &cost);

} // namespace kadu2217
