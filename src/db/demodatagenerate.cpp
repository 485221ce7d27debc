#include "db/demodatagenerate.h"

#include "db/demodatareference.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <numeric>

namespace kadu2217::demodata {
namespace {

double round3(double v) { return std::round(v * 1000.0) / 1000.0; }

constexpr qint64 kHour = 3600;
constexpr qint64 kDay = 24 * kHour;
// Costings are spread over this many days before now: the register's 30-day window
// shows most of them, and some are older.
constexpr int kHistoryDays = 35;
// A department's costing numbers stay well inside the 16-bit sequence of the numbering.
constexpr int kCostingsPerDepartment = 30000;

class Generator {
public:
    Generator(const DemoOptions &options, DemoContent &content)
        : m_options(options), m_content(content), m_random(content.random)
    {
        const QTime now = options.now.time();
        m_content.now = wallClock(options.now.date(), QTime(now.hour(), now.minute(), now.second()));
        const int needed = std::max(3, (options.costings + kCostingsPerDepartment - 1) / kCostingsPerDepartment);
        for (const Department &department : kDepartments) {
            if (department.id != demo::accountsDepartmentId && m_content.costingDepartments.size() < needed)
                m_content.costingDepartments << department.id;
        }
        for (int id = int(std::size(kDepartments)) + 1; m_content.costingDepartments.size() < needed; ++id)
            m_content.costingDepartments << id;
    }

    void generate()
    {
        makeItems();
        makeVendors();
        makeCostings();
        makeWaitingBills();
        numberBills();
    }

private:
    void makeItems()
    {
        const int products = int(std::size(kProducts));
        const int brands = int(std::size(kBrands));
        m_content.items.resize(m_options.items);
        m_content.godownStock.resize(m_options.items);
        m_content.shopStock.resize(m_options.items);
        m_content.shipments.resize(m_options.items);
        for (int i = 0; i < m_options.items; ++i) {
            const Product &product = kProducts[i % products];
            const int round = i / (products * brands);
            Item &item = m_content.items[i];
            item.code = QStringLiteral("IT%1").arg(i + 1, 6, 10, QLatin1Char('0'));
            item.description = QStringLiteral("%1 %2 %3")
                                   .arg(QLatin1String(kBrands[(i / products) % brands]),
                                        QLatin1String(product.name), QLatin1String(product.pack));
            if (round > 0)
                item.description += QStringLiteral(" (%1)").arg(round + 1);
            item.rate = round2(product.rate * m_random.real(0.8, 1.3));
            makeStock(i);
        }
    }

    // Every item is held in the central warehouse and in at least one shop; now and then a
    // shop's stock has gone negative.
    void makeStock(int index)
    {
        auto &godowns = m_content.godownStock[index];
        godowns.append({1, double(m_random.integer(0, 400))});
        if (m_random.chance(0.4))
            godowns.append({2, double(m_random.integer(0, 250))});
        auto &shops = m_content.shopStock[index];
        for (int shop = 1; shop <= demo::shopCount; ++shop) {
            if (m_random.chance(0.6))
                shops.append({shop, double(m_random.chance(0.03) ? m_random.integer(-5, -1) : m_random.integer(0, 60))});
        }
        if (shops.isEmpty())
            shops.append({m_random.integer(1, demo::shopCount), double(m_random.integer(0, 60))});
        const int shipments = m_random.integer(1, 3);
        for (int s = 0; s < shipments; ++s)
            m_content.shipments[index].append({m_random.integer(1, demo::shopCount), double(m_random.integer(6, 120))});

        double total = 0;
        for (const auto &row : godowns)
            total += row.second;
        for (const auto &row : shops)
            total += row.second;
        m_content.items[index].stock = total;
    }

    void makeVendors()
    {
        const QList<VendorNames> names = vendorNames();
        const int count = std::clamp(m_options.items / 8, 10, 400);
        int used[3] = {0, 0, 0};
        for (int i = 0; i < count; ++i) {
            // two vendors in ten deal in dollars, one in dirhams
            const int kind = (i % 10 == 3 || i % 10 == 7) ? 1 : (i % 10 == 5 ? 2 : 0);
            const VendorNames &pool = names[kind];
            const int n = used[kind]++;
            const int combinations = int(pool.first.size() * pool.second.size());
            QString name = pool.first[n % pool.first.size()] + QLatin1Char(' ')
                + pool.second[(n / pool.first.size()) % pool.second.size()];
            if (n >= combinations)
                name += QStringLiteral(" %1").arg(n / combinations + 1);
            m_content.vendors.append({name, pool.currency});
        }
    }

    QDateTime minuteBefore(const QDateTime &moment, qint64 seconds) const
    {
        const QDateTime earlier = moment.addSecs(-seconds);
        return earlier.addSecs(-earlier.time().second());
    }

    // A bill with its lines, priced from the items' present cost prices.
    int makeBill(const QDateTime &moment, int department)
    {
        Bill bill;
        bill.moment = moment;
        bill.department = department;
        bill.shop = m_random.integer(0, demo::shopCount - 1);
        bill.vendor = m_random.integer(0, int(m_content.vendors.size()) - 1);

        QStringList ids;
        QStringList rates;
        double vendorRate = 1;
        for (const Currency &currency : kCurrencies) {
            const double rupees = currency.variation > 0
                ? round2(currency.rupees + m_random.real(-currency.variation, currency.variation))
                : currency.rupees;
            const QString rate = QString::number(1.0 / rupees, 'g', 8);
            ids << QString::number(currency.id) + QLatin1Char(':');
            rates << rate + QLatin1Char(':');
            if (currency.id == m_content.vendors[bill.vendor].currency)
                vendorRate = rate.toDouble();
        }
        // the base currency's rate is 1, so a vendor price times 1/vendorRate is in rupees
        bill.rates = ids.join(QString()) + QLatin1Char('-') + rates.join(QString());
        bill.toInventory = 1.0 / vendorRate;

        static const int lineWeights[] = {10, 15, 20, 20, 15, 10, 5, 5};
        int pick = m_random.integer(1, 100);
        int lines = 1;
        for (const int weight : lineWeights) {
            if (pick <= weight)
                break;
            pick -= weight;
            ++lines;
        }
        lines = std::min(lines, int(m_content.items.size()));

        bill.firstLine = int(m_content.lines.size());
        bill.lineCount = lines;
        QVector<int> chosen;
        while (chosen.size() < lines) {
            const int item = m_random.integer(0, int(m_content.items.size()) - 1);
            if (chosen.contains(item))
                continue;
            chosen << item;
            const double quantity = m_random.chance(0.2) ? m_random.integer(1, 40) * 0.5 : m_random.integer(1, 48);
            const double unitCost = m_content.items[item].rate * m_random.real(0.92, 1.12);
            m_content.lines.append({item, quantity, round2(quantity * unitCost * vendorRate)});
        }
        m_content.bills.append(bill);
        return int(m_content.bills.size()) - 1;
    }

    void makeCostings()
    {
        const int count = m_options.costings;
        const QDateTime start = m_content.now.addSecs(-kHistoryDays * kDay);
        const double span = double(kHistoryDays * kDay - 3 * kHour);
        QHash<int, int> sequence;
        m_content.costings.reserve(count);
        for (int i = 0; i < count; ++i) {
            Costing costing;
            costing.moment = start.addSecs(qint64((i + m_random.unit()) * span / count));
            const QVector<int> &departments = m_content.costingDepartments;
            costing.department = departments[m_random.integer(0, int(departments.size()) - 1)];
            const QDateTime billMoment = minuteBefore(costing.moment, m_random.integer(3 * kHour, 4 * kDay));
            costing.bill = makeBill(billMoment, costing.department);
            m_content.bills[costing.bill].costing = i;

            const double state = m_random.unit();
            costing.state = state < 0.08 ? CostingState::Cancelled
                : state < 0.63          ? CostingState::Fixed
                                        : CostingState::Open;
            if (costing.state == CostingState::Cancelled) {
                costing.cancelledAt = std::min(costing.moment.addSecs(m_random.integer(kHour, 3 * kDay)),
                                               m_content.now.addSecs(-60));
            } else if (m_random.chance(0.25)) {
                const QDateTime modified = costing.moment.addSecs(m_random.integer(600, 2 * kDay));
                if (modified < m_content.now) {
                    costing.modified = modified;
                    costing.modifiedBy = m_random.chance(0.6) ? demo::clerkUserId : demo::adminUserId;
                }
            }
            costing.remarks = QLatin1String(kRemarks[m_random.integer(0, int(std::size(kRemarks)) - 1)]);
            costing.number = prefixOf(costing.department) + QString::number(++sequence[costing.department]);
            costDetails(costing);
            m_content.costings.append(costing);
        }
    }

    // What a save computes for each line: the weighted average of the stock at the old
    // cost price and the bill's quantity at the costed price.
    void costDetails(Costing &costing)
    {
        const Bill &bill = m_content.bills[costing.bill];
        costing.firstDetail = int(m_content.details.size());
        costing.detailCount = bill.lineCount;
        for (int l = bill.firstLine; l < bill.firstLine + bill.lineCount; ++l) {
            const Line &line = m_content.lines[l];
            Item &item = m_content.items[line.item];
            const double price = round3(line.total / line.quantity * bill.toInventory);
            const double held = item.stock;
            const double newRate = held > 0 ? (held * item.rate + line.quantity * price) / (held + line.quantity) : price;
            m_content.details.append({line.item, line.quantity, price, item.rate, newRate});
            if (costing.state == CostingState::Fixed) {
                if (newRate != item.rate)
                    item.priceChanged = true;
                item.rate = newRate;
            }
        }
    }

    // Bills not costed: waiting (confirmed), not yet confirmed, and cancelled ones.
    void makeWaitingBills()
    {
        const int waiting = std::max(6, m_options.costings / 10);
        const int unconfirmed = std::max(2, m_options.costings / 25);
        const int cancelled = std::max(2, m_options.costings / 25);
        const int departments = int(m_content.costingDepartments.size());
        for (int i = 0; i < waiting; ++i)
            makeBill(minuteBefore(m_content.now, m_random.integer(2 * kHour, 6 * kDay)),
                     m_content.costingDepartments[i % departments]);
        for (int i = 0; i < unconfirmed; ++i) {
            const int bill = makeBill(minuteBefore(m_content.now, m_random.integer(kHour, 3 * kDay)),
                                      m_content.costingDepartments[i % departments]);
            m_content.bills[bill].confirmed = false;
        }
        for (int i = 0; i < cancelled; ++i) {
            const int bill = makeBill(minuteBefore(m_content.now, m_random.integer(kDay, kHistoryDays * kDay)),
                                      m_content.costingDepartments[i % departments]);
            m_content.bills[bill].cancelled = true;
        }
    }

    // Bill ids and each shop's bill numbers follow the bills' dates.
    void numberBills()
    {
        QVector<int> order(m_content.bills.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(),
                         [this](int a, int b) { return m_content.bills[a].moment < m_content.bills[b].moment; });
        int perShop[demo::shopCount] = {};
        for (int i = 0; i < order.size(); ++i) {
            Bill &bill = m_content.bills[order[i]];
            bill.id = i + 1;
            bill.number = QStringLiteral("LP/%1/%2").arg(QLatin1String(kShops[bill.shop].code)).arg(++perShop[bill.shop]);
        }
        m_content.billOrder = order;
    }

    const DemoOptions &m_options;
    DemoContent &m_content;
    Random &m_random;
};

} // namespace

DemoContent generateContent(const DemoOptions &options)
{
    DemoContent content(options.seed);
    Generator(options, content).generate();
    return content;
}

} // namespace kadu2217::demodata
