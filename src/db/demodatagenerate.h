#pragma once

#include "db/demodata.h"

#include <QDateTime>
#include <QString>
#include <QVector>

#include <cmath>
#include <random>
#include <utility>

// The demonstration company worked out in memory, before anything is written.
namespace kadu2217::demodata {

// std::mt19937 yields the same numbers with every standard library; the distributions
// are written out here because the library's own differ between implementations.
class Random {
public:
    explicit Random(quint32 seed) : m_engine(seed) {}

    // [0, 1), 53 random bits.
    double unit()
    {
        const quint64 high = m_engine() >> 5;
        const quint64 low = m_engine() >> 6;
        return double((high << 26) | low) / 9007199254740992.0;
    }
    double real(double low, double high) { return low + (high - low) * unit(); }
    // [low, high]
    int integer(int low, int high)
    {
        const quint64 span = quint64(qint64(high) - low + 1);
        return int(low + qint64((quint64(m_engine()) * span) >> 32));
    }
    bool chance(double probability) { return unit() < probability; }
    quint32 bits() { return m_engine(); }

private:
    std::mt19937 m_engine;
};

inline double round2(double v) { return std::round(v * 100.0) / 100.0; }

// Times are wall-clock readings, as datetime columns hold them. They are kept in UTC form
// so that arithmetic on them never consults the time zone, which is slow and skips DST gaps.
inline QDateTime wallClock(const QDate &date, const QTime &time = QTime(0, 0))
{
    return QDateTime(date, time, Qt::UTC);
}

struct Item {
    QString code;
    QString description;
    double rate = 0;  // the item master's cost price; changes with every fixed costing
    double stock = 0; // over all godowns and shops
    bool priceChanged = false;
};

struct Line {
    int item;
    double quantity;
    double total; // the line's price in the vendor's currency
};

struct Bill {
    QDateTime moment;
    int shop = 0;   // index into kShops
    int vendor = 0; // index into vendors
    int department = 0;
    QString rates;          // lphexchangerates
    double toInventory = 1; // vendor currency -> base currency, as read back from `rates`
    bool confirmed = true;
    bool cancelled = false;
    int costing = -1;
    int firstLine = 0;
    int lineCount = 0;
    int id = 0;
    QString number;
};

enum class CostingState { Open, Fixed, Cancelled };

struct Detail {
    int item;
    double quantity;
    double price; // the bill's unit price in the base currency, as the item grid shows it
    double oldRate;
    double newRate;
};

struct Costing {
    QDateTime moment;
    int bill = 0; // index into bills
    int department = 0;
    CostingState state = CostingState::Open;
    QDateTime modified;
    int modifiedBy = 0;
    QDateTime cancelledAt;
    QString remarks;
    QString number;
    int firstDetail = 0;
    int detailCount = 0;
};

struct Vendor {
    QString name;
    int currency;
};

using Holdings = QVector<QVector<std::pair<int, double>>>; // per item: (godown or shop, quantity)

struct DemoContent {
    explicit DemoContent(quint32 seed) : random(seed) {}

    QDateTime now;
    QVector<int> costingDepartments;
    QVector<Item> items;
    QVector<Vendor> vendors;
    QVector<Line> lines;
    QVector<Bill> bills;
    QVector<int> billOrder;
    QVector<Costing> costings;
    QVector<Detail> details;
    Holdings godownStock;
    Holdings shopStock;
    Holdings shipments;
    // Writing draws on from where generating stopped.
    Random random;
};

// The same options give the same content.
DemoContent generateContent(const DemoOptions &options);

} // namespace kadu2217::demodata
