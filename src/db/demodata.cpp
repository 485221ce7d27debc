#include "db/demodata.h"

#include "db/engine.h"
#include "db/error.h"
#include "db/tables.h"
#include "db/transaction.h"

#include <QHash>
#include <QStringList>
#include <QVector>
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numeric>
#include <random>
#include <tuple>

namespace kadu2217 {
namespace {

namespace t = tables;

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

double round2(double v) { return std::round(v * 100.0) / 100.0; }
double round3(double v) { return std::round(v * 1000.0) / 1000.0; }

// One insert text per table, reused for every row so that it is translated once.
class Insert {
public:
    Insert(Connection &connection, QLatin1String table, std::initializer_list<QLatin1String> columns)
        : m_connection(connection)
    {
        QStringList names;
        QStringList marks;
        for (const QLatin1String column : columns) {
            names << column;
            marks << QStringLiteral("?");
        }
        m_sql = QStringLiteral("insert into %1 (%2) values (%3)")
                    .arg(table, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    }
    void row(const QVariantList &values) { m_connection.execute(m_sql, values); }

private:
    Connection &m_connection;
    QString m_sql;
};

const QVariant kNull;

// Times are wall-clock readings, as datetime columns hold them. They are kept in UTC form
// so that arithmetic on them never consults the time zone, which is slow and skips DST gaps.
QDateTime wallClock(const QDate &date, const QTime &time = QTime(0, 0))
{
    return QDateTime(date, time, Qt::UTC);
}

constexpr qint64 kHour = 3600;
constexpr qint64 kDay = 24 * kHour;
// Costings are spread over this many days before now: the register's 30-day window
// shows most of them, and some are older.
constexpr int kHistoryDays = 35;
// A department's costing numbers stay well inside the 16-bit sequence of the numbering.
constexpr int kCostingsPerDepartment = 30000;

struct Department {
    int id;
    const char *name;
    const char *prefix;
};

const Department kDepartments[] = {
    {demo::purchaseDepartmentId, "Purchase", "LPC-"},
    {demo::storesDepartmentId, "Stores", "ST/LPC-"},
    {demo::importsDepartmentId, "Imports", "IM/LPC-"},
    {demo::accountsDepartmentId, "Accounts", "AC/LPC-"},
    {5, "Grocery", "GR/LPC-"},
    {6, "Textiles", "TX/LPC-"},
    {7, "Electronics", "EL/LPC-"},
    {8, "Household", "HH/LPC-"},
};

struct User {
    int id;
    const char *name;
    const char *costingRights; // nullptr: no rights row for the costing interface
    const char *billRights;
};

constexpr int kBillInterfaceId = 2010;

const User kUsers[] = {
    {demo::adminUserId, "ADMIN", "NEDP", "NEDP"},
    {demo::clerkUserId, "RAVI", "EP", "P"},
    {demo::viewerUserId, "MEERA", nullptr, "NEP"},
};

struct Shop {
    const char *name;
    const char *code;
};

const Shop kShops[demo::shopCount] = {
    {"MG Road", "MGR"},       {"Brigade Road", "BRG"}, {"Koramangala", "KRM"},
    {"Jayanagar", "JNR"},     {"Indiranagar", "INR"},  {"Whitefield", "WFD"},
};

const char *const kGodowns[demo::godownCount] = {"Central Warehouse", "Peenya Depot"};

struct Currency {
    int id;
    const char *name;
    const char *symbol;
    double rupees;    // typical value in the base currency
    double variation; // day-to-day spread of that value
};

const Currency kCurrencies[] = {
    {demo::baseCurrencyId, "Indian Rupee", "Rs.", 1.0, 0.0},
    {demo::dollarCurrencyId, "US Dollar", "$", 82.5, 0.9},
    {demo::dirhamCurrencyId, "UAE Dirham", "AED", 22.45, 0.25},
};

struct Product {
    const char *name;
    const char *pack;
    double rate;
};

const Product kProducts[] = {
    {"Basmati Rice", "5 kg", 540},        {"Sona Masoori Rice", "10 kg", 620},
    {"Toor Dal", "1 kg", 145},            {"Moong Dal", "1 kg", 128},
    {"Sunflower Oil", "1 L", 160},        {"Groundnut Oil", "1 L", 190},
    {"Wheat Atta", "5 kg", 230},          {"Sugar", "1 kg", 45},
    {"Tea Powder", "500 g", 240},         {"Filter Coffee", "500 g", 310},
    {"Toothpaste", "150 g", 95},          {"Bath Soap", "4 x 100 g", 160},
    {"Detergent Powder", "1 kg", 120},    {"Dish Wash Liquid", "500 ml", 99},
    {"Shampoo", "340 ml", 210},           {"Cream Biscuits", "600 g", 110},
    {"Instant Noodles", "12 pack", 150},  {"Cotton Shirt", "Size M", 650},
    {"Denim Jeans", "Size 32", 1200},     {"Bed Sheet", "Double", 890},
    {"Bath Towel", "Large", 350},         {"LED Bulb", "9 W", 90},
    {"Extension Board", "4 socket", 420}, {"Steel Tumbler", "Set of 6", 380},
    {"Pressure Cooker", "5 L", 1650},     {"Notebook", "200 pages", 55},
    {"Ball Pen", "Pack of 10", 80},       {"Umbrella", "Folding", 330},
    {"School Bag", "Medium", 780},        {"Wall Clock", "Round", 540},
    {"Mixer Grinder", "750 W", 3200},     {"Electric Kettle", "1.5 L", 990},
};

const char *const kBrands[] = {"Classic", "Royal", "Everyday", "Premium", "Nature's",
                               "HomeStar", "Fresh", "Golden", "Super", "Value"};

struct VendorNames {
    int currency;
    QStringList first;
    QStringList second;
};

const char *const kRemarks[] = {
    "Costed as per vendor invoice",
    "Freight and handling included",
    "Rates checked against purchase order",
    "Festival stock, urgent local purchase",
    "Replacement stock for damaged goods",
    "Vendor price revision",
    "Monthly replenishment",
    "Short supply from warehouse",
};

// The costing register's column captions, the hidden id first.
const std::pair<const char *, const char *> kRegisterCaptions[] = {
    {"lpchcostingid", "Costing Id"},   {"lpchcostingno", "Costing No"},
    {"lpchdate", "Costing Date"},      {"shopname", "Shop Name"},
    {"lphBillNo", "Bill No"},          {"lphBillAmount", "Bill Amount"},
    {"lpchcancelled", "Cancelled"},    {"lpchCostingDone", "Costing Done"},
};

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

class DemoBuilder {
public:
    DemoBuilder(Connection &connection, const DemoOptions &options)
        : m_connection(connection), m_options(options), m_random(options.seed)
    {
        const QTime now = options.now.time();
        m_now = wallClock(options.now.date(), QTime(now.hour(), now.minute(), now.second()));
        const int needed = std::max(3, (options.costings + kCostingsPerDepartment - 1) / kCostingsPerDepartment);
        for (const Department &department : kDepartments) {
            if (department.id != demo::accountsDepartmentId && m_costingDepartments.size() < needed)
                m_costingDepartments << department.id;
        }
        for (int id = int(std::size(kDepartments)) + 1; m_costingDepartments.size() < needed; ++id)
            m_costingDepartments << id;
    }

    void build()
    {
        makeItems();
        makeVendors();
        makeCostings();
        makeWaitingBills();
        numberBills();

        writeSettings();
        writeUsers();
        writeMasters();
        writeItems();
        writeBills();
        writeCostings();
        writeLayouts();
    }

private:
    // ------------------------------------------------------------ in memory

    void makeItems()
    {
        const int products = int(std::size(kProducts));
        const int brands = int(std::size(kBrands));
        m_items.resize(m_options.items);
        m_godownStock.resize(m_options.items);
        m_shopStock.resize(m_options.items);
        m_shipments.resize(m_options.items);
        for (int i = 0; i < m_options.items; ++i) {
            const Product &product = kProducts[i % products];
            const int round = i / (products * brands);
            Item &item = m_items[i];
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
        auto &godowns = m_godownStock[index];
        godowns.append({1, double(m_random.integer(0, 400))});
        if (m_random.chance(0.4))
            godowns.append({2, double(m_random.integer(0, 250))});
        auto &shops = m_shopStock[index];
        for (int shop = 1; shop <= demo::shopCount; ++shop) {
            if (m_random.chance(0.6))
                shops.append({shop, double(m_random.chance(0.03) ? m_random.integer(-5, -1) : m_random.integer(0, 60))});
        }
        if (shops.isEmpty())
            shops.append({m_random.integer(1, demo::shopCount), double(m_random.integer(0, 60))});
        const int shipments = m_random.integer(1, 3);
        for (int s = 0; s < shipments; ++s)
            m_shipments[index].append({m_random.integer(1, demo::shopCount), double(m_random.integer(6, 120))});

        double total = 0;
        for (const auto &row : godowns)
            total += row.second;
        for (const auto &row : shops)
            total += row.second;
        m_items[index].stock = total;
    }

    void makeVendors()
    {
        const QList<VendorNames> names = {
            {demo::baseCurrencyId,
             {"Sri Lakshmi", "Ganesh", "Balaji", "Annapurna", "Kaveri", "Nandini", "Vijaya", "Sagar",
              "Mysore", "Deccan", "Malnad", "Tirumala"},
             {"Traders", "Enterprises", "Distributors", "Agencies", "Wholesale", "Suppliers"}},
            {demo::dollarCurrencyId,
             {"Pacific Rim", "Atlantic", "Golden Gate", "Liberty", "Great Lakes"},
             {"Trading Co.", "Imports Inc.", "Supply LLC"}},
            {demo::dirhamCurrencyId,
             {"Gulf Star", "Al Noor", "Desert Rose", "Creek Side"},
             {"General Trading LLC", "Trading FZE"}},
        };
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
            m_vendors.append({name, pool.currency});
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
        bill.vendor = m_random.integer(0, int(m_vendors.size()) - 1);

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
            if (currency.id == m_vendors[bill.vendor].currency)
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
        lines = std::min(lines, int(m_items.size()));

        bill.firstLine = int(m_lines.size());
        bill.lineCount = lines;
        QVector<int> chosen;
        while (chosen.size() < lines) {
            const int item = m_random.integer(0, int(m_items.size()) - 1);
            if (chosen.contains(item))
                continue;
            chosen << item;
            const double quantity = m_random.chance(0.2) ? m_random.integer(1, 40) * 0.5 : m_random.integer(1, 48);
            const double unitCost = m_items[item].rate * m_random.real(0.92, 1.12);
            m_lines.append({item, quantity, round2(quantity * unitCost * vendorRate)});
        }
        m_bills.append(bill);
        return int(m_bills.size()) - 1;
    }

    void makeCostings()
    {
        const int count = m_options.costings;
        const QDateTime start = m_now.addSecs(-kHistoryDays * kDay);
        const double span = double(kHistoryDays * kDay - 3 * kHour);
        QHash<int, int> sequence;
        m_costings.reserve(count);
        for (int i = 0; i < count; ++i) {
            Costing costing;
            costing.moment = start.addSecs(qint64((i + m_random.unit()) * span / count));
            costing.department = m_costingDepartments[m_random.integer(0, int(m_costingDepartments.size()) - 1)];
            const QDateTime billMoment = minuteBefore(costing.moment, m_random.integer(3 * kHour, 4 * kDay));
            costing.bill = makeBill(billMoment, costing.department);
            m_bills[costing.bill].costing = i;

            const double state = m_random.unit();
            costing.state = state < 0.08 ? CostingState::Cancelled
                : state < 0.63          ? CostingState::Fixed
                                        : CostingState::Open;
            if (costing.state == CostingState::Cancelled) {
                costing.cancelledAt = std::min(costing.moment.addSecs(m_random.integer(kHour, 3 * kDay)),
                                               m_now.addSecs(-60));
            } else if (m_random.chance(0.25)) {
                const QDateTime modified = costing.moment.addSecs(m_random.integer(600, 2 * kDay));
                if (modified < m_now) {
                    costing.modified = modified;
                    costing.modifiedBy = m_random.chance(0.6) ? demo::clerkUserId : demo::adminUserId;
                }
            }
            costing.remarks = QLatin1String(kRemarks[m_random.integer(0, int(std::size(kRemarks)) - 1)]);
            costing.number = prefixOf(costing.department) + QString::number(++sequence[costing.department]);
            costDetails(costing);
            m_costings.append(costing);
        }
    }

    // What a save computes for each line: the weighted average of the stock at the old
    // cost price and the bill's quantity at the costed price.
    void costDetails(Costing &costing)
    {
        const Bill &bill = m_bills[costing.bill];
        costing.firstDetail = int(m_details.size());
        costing.detailCount = bill.lineCount;
        for (int l = bill.firstLine; l < bill.firstLine + bill.lineCount; ++l) {
            const Line &line = m_lines[l];
            Item &item = m_items[line.item];
            const double price = round3(line.total / line.quantity * bill.toInventory);
            const double held = item.stock;
            const double newRate = held > 0 ? (held * item.rate + line.quantity * price) / (held + line.quantity) : price;
            m_details.append({line.item, line.quantity, price, item.rate, newRate});
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
        const int departments = int(m_costingDepartments.size());
        for (int i = 0; i < waiting; ++i)
            makeBill(minuteBefore(m_now, m_random.integer(2 * kHour, 6 * kDay)), m_costingDepartments[i % departments]);
        for (int i = 0; i < unconfirmed; ++i) {
            const int bill = makeBill(minuteBefore(m_now, m_random.integer(kHour, 3 * kDay)),
                                      m_costingDepartments[i % departments]);
            m_bills[bill].confirmed = false;
        }
        for (int i = 0; i < cancelled; ++i) {
            const int bill = makeBill(minuteBefore(m_now, m_random.integer(kDay, kHistoryDays * kDay)),
                                      m_costingDepartments[i % departments]);
            m_bills[bill].cancelled = true;
        }
    }

    // Bill ids and each shop's bill numbers follow the bills' dates.
    void numberBills()
    {
        QVector<int> order(m_bills.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(),
                         [this](int a, int b) { return m_bills[a].moment < m_bills[b].moment; });
        int perShop[demo::shopCount] = {};
        for (int i = 0; i < order.size(); ++i) {
            Bill &bill = m_bills[order[i]];
            bill.id = i + 1;
            bill.number = QStringLiteral("LP/%1/%2").arg(QLatin1String(kShops[bill.shop].code)).arg(++perShop[bill.shop]);
        }
        m_billOrder = order;
    }

    QString prefixOf(int department) const
    {
        for (const Department &d : kDepartments) {
            if (d.id == department)
                return QLatin1String(d.prefix);
        }
        return QStringLiteral("D%1/LPC-").arg(department);
    }

    QString departmentName(int department) const
    {
        for (const Department &d : kDepartments) {
            if (d.id == department)
                return QLatin1String(d.name);
        }
        return QStringLiteral("Department %1").arg(department);
    }

    // ------------------------------------------------------------ writing

    void writeSettings()
    {
        Insert currency(m_connection, t::aCurrencyMaster::table,
                        {t::aCurrencyMaster::CurrencyID, t::aCurrencyMaster::CurrencyName, t::aCurrencyMaster::Symbol});
        for (const Currency &c : kCurrencies)
            currency.row({c.id, QLatin1String(c.name), QLatin1String(c.symbol)});

        Insert account(m_connection, t::aAccountMaster::table,
                       {t::aAccountMaster::accountid, t::aAccountMaster::accountname, t::aAccountMaster::companyid,
                        t::aAccountMaster::currencyid});
        account.row({demo::inventoryAccountId, QStringLiteral("Inventory"), demo::companyId, demo::baseCurrencyId});
        account.row({demo::goodsInTransitAccountId, QStringLiteral("Goods In Transit"), demo::companyId, demo::baseCurrencyId});
        account.row({1003, QStringLiteral("Cash In Hand"), demo::companyId, demo::baseCurrencyId});
        account.row({1004, QStringLiteral("Vendor Payables (USD)"), demo::companyId, demo::dollarCurrencyId});

        Insert(m_connection, t::aPackageSettings::table,
               {t::aPackageSettings::companyid, t::aPackageSettings::backNoofDays, t::aPackageSettings::inventoryid,
                t::aPackageSettings::GoodsInTransitID, t::aPackageSettings::CompanyDepartment, t::aPackageSettings::Alias})
            .row({demo::companyId, demo::backNoofDays, demo::inventoryAccountId, demo::goodsInTransitAccountId,
                  demo::purchaseDepartmentId, 0});

        Insert alias(m_connection, t::aAlias::table, {t::aAlias::Aliasid, t::aAlias::Alias});
        alias.row({1, QStringLiteral("Store")});
        alias.row({2, QStringLiteral("Depot")});

        // Indian financial years run from April to March.
        const QDate today = m_now.date();
        const int firstYear = today.month() >= 4 ? today.year() : today.year() - 1;
        Insert year(m_connection, t::aFinancialYear::table,
                    {t::aFinancialYear::FinancialId, t::aFinancialYear::FinancialYear, t::aFinancialYear::FromDate,
                     t::aFinancialYear::ToDate, t::aFinancialYear::CurFinancialYear});
        for (int id : {1, 2}) {
            const int from = firstYear - 2 + id;
            year.row({id, QStringLiteral("%1-%2").arg(from).arg((from + 1) % 100, 2, 10, QLatin1Char('0')),
                      wallClock(QDate(from, 4, 1)), wallClock(QDate(from + 1, 3, 31), QTime(23, 59, 59, 997)),
                      id == 2 ? 1 : 0});
        }
        constexpr int currentYear = 2;

        Insert department(m_connection, t::aDepartmentMaster::table,
                          {t::aDepartmentMaster::DepartmentID, t::aDepartmentMaster::DepartmentName,
                           t::aDepartmentMaster::Companyid});
        Insert prefix(m_connection, t::aPrefix::table,
                      {t::aPrefix::PrefixID, t::aPrefix::Prefix, t::aPrefix::departmentID, t::aPrefix::FinancialId,
                       t::aPrefix::InterfaceID, t::aPrefix::ShopId});
        int prefixId = 0;
        for (const int id : allDepartments()) {
            department.row({id, departmentName(id), demo::companyId});
            prefix.row({++prefixId, prefixOf(id), id, currentYear, t::costingInterfaceId, kNull});
        }
        // rows the numbering must pass over: last year's, and a shop's own
        prefix.row({++prefixId, QStringLiteral("LPC/%1-").arg(firstYear - 1), demo::purchaseDepartmentId,
                    currentYear - 1, t::costingInterfaceId, kNull});
        prefix.row({++prefixId, QStringLiteral("MGR/LPC-"), demo::purchaseDepartmentId, currentYear,
                    t::costingInterfaceId, 1});
        for (const int id : allDepartments())
            prefix.row({++prefixId, QStringLiteral("LP-"), id, currentYear, kBillInterfaceId, kNull});
    }

    QVector<int> allDepartments() const
    {
        QVector<int> ids = {demo::purchaseDepartmentId, demo::storesDepartmentId, demo::importsDepartmentId,
                            demo::accountsDepartmentId};
        for (const int id : m_costingDepartments) {
            if (!ids.contains(id))
                ids << id;
        }
        return ids;
    }

    void writeUsers()
    {
        Insert user(m_connection, t::aUsers::table, {t::aUsers::userid, t::aUsers::username});
        Insert louser(m_connection, t::lousers::table, {t::lousers::userid, t::lousers::UserName});
        Insert rights(m_connection, t::aUserRights::table,
                      {t::aUserRights::userid, t::aUserRights::interfaceid, t::aUserRights::functionrights});
        Insert departments(m_connection, t::aUserDeptDetails::table,
                           {t::aUserDeptDetails::userid, t::aUserDeptDetails::DeptID, t::aUserDeptDetails::Companyid});
        for (const User &u : kUsers) {
            user.row({u.id, QLatin1String(u.name)});
            louser.row({u.id, QLatin1String(u.name)});
            if (u.costingRights)
                rights.row({u.id, t::costingInterfaceId, QLatin1String(u.costingRights)});
            rights.row({u.id, kBillInterfaceId, QLatin1String(u.billRights)});
        }
        for (const int id : allDepartments())
            departments.row({demo::adminUserId, id, demo::companyId});
        departments.row({demo::clerkUserId, demo::purchaseDepartmentId, demo::companyId});
        departments.row({demo::clerkUserId, demo::storesDepartmentId, demo::companyId});
        departments.row({demo::viewerUserId, demo::purchaseDepartmentId, demo::companyId});
    }

    void writeMasters()
    {
        Insert shop(m_connection, t::aShops::table, {t::aShops::ShopId, t::aShops::shopname, t::aShops::companyid});
        for (int i = 0; i < demo::shopCount; ++i)
            shop.row({i + 1, QLatin1String(kShops[i].name), demo::companyId});

        Insert godown(m_connection, t::aGodown::table,
                      {t::aGodown::GodownId, t::aGodown::GodownName, t::aGodown::companyid});
        for (int i = 0; i < demo::godownCount; ++i)
            godown.row({i + 1, QLatin1String(kGodowns[i]), demo::companyId});

        Insert vendor(m_connection, t::aVendorMaster::table,
                      {t::aVendorMaster::VendorID, t::aVendorMaster::vendorname, t::aVendorMaster::CurrencyID,
                       t::aVendorMaster::companyid});
        for (int i = 0; i < m_vendors.size(); ++i)
            vendor.row({i + 1, m_vendors[i].name, m_vendors[i].currency, demo::companyId});
    }

    void writeItems()
    {
        Insert item(m_connection, t::aItem::table,
                    {t::aItem::itemid, t::aItem::itemcode, t::aItem::itemdescription, t::aItem::itemrate});
        Insert godownStock(m_connection, t::losGodownStock::table,
                           {t::losGodownStock::GodownId, t::losGodownStock::ItemId, t::losGodownStock::Stock});
        Insert shopStock(m_connection, t::losShopStock::table,
                         {t::losShopStock::ShopId, t::losShopStock::ItemId, t::losShopStock::Stock});
        Insert shipment(m_connection, t::losShopItemShipmentDetail::table,
                        {t::losShopItemShipmentDetail::ShipmentDetailID, t::losShopItemShipmentDetail::ShopId,
                         t::losShopItemShipmentDetail::itemid, t::losShopItemShipmentDetail::Quantity,
                         t::losShopItemShipmentDetail::pricechanged});
        int shipmentId = 0;
        for (int i = 0; i < m_items.size(); ++i) {
            const Item &it = m_items[i];
            const int itemId = i + 1;
            item.row({itemId, it.code, it.description, it.rate});
            for (const auto &[godownId, stock] : m_godownStock[i])
                godownStock.row({godownId, itemId, stock});
            for (const auto &[shopId, stock] : m_shopStock[i])
                shopStock.row({shopId, itemId, stock});
            for (const auto &[shopId, quantity] : m_shipments[i])
                shipment.row({++shipmentId, shopId, itemId, quantity, it.priceChanged ? 1 : 0});
        }
    }

    void writeBills()
    {
        Insert header(m_connection, t::losLocalPurchaseHeader::table,
                      {t::losLocalPurchaseHeader::lphBillID, t::losLocalPurchaseHeader::lphShopID,
                       t::losLocalPurchaseHeader::lphBillNo, t::losLocalPurchaseHeader::lphBillDate,
                       t::losLocalPurchaseHeader::lphBillTime, t::losLocalPurchaseHeader::lphBillAmount,
                       t::losLocalPurchaseHeader::lphVendorID, t::losLocalPurchaseHeader::lphCompanyID,
                       t::losLocalPurchaseHeader::lphDepartmentID, t::losLocalPurchaseHeader::lphcosted,
                       t::losLocalPurchaseHeader::lphcancelled, t::losLocalPurchaseHeader::lphConfirmed,
                       t::losLocalPurchaseHeader::lphexchangerates});
        Insert line(m_connection, t::losLocalPurchaseDetail::table,
                    {t::losLocalPurchaseDetail::lpdbillid, t::losLocalPurchaseDetail::lpdShopId,
                     t::losLocalPurchaseDetail::lpditemid, t::losLocalPurchaseDetail::lpditemquantity,
                     t::losLocalPurchaseDetail::lpditemunitprice, t::losLocalPurchaseDetail::rowguid});
        qint64 lineNumber = 0;
        for (const int index : m_billOrder) {
            const Bill &bill = m_bills[index];
            double amount = 0;
            for (int l = bill.firstLine; l < bill.firstLine + bill.lineCount; ++l)
                amount += m_lines[l].total;
            const Costing *costing = bill.costing >= 0 ? &m_costings[bill.costing] : nullptr;
            // A save writes the costing day over the bill's time; a cancellation leaves it.
            const QDateTime billTime = costing ? wallClock(costing->moment.date()) : bill.moment;
            const bool costed = costing && costing->state != CostingState::Cancelled;
            header.row({bill.id, bill.shop + 1, bill.number, wallClock(bill.moment.date()), billTime,
                        round2(amount), bill.vendor + 1, demo::companyId, bill.department, costed ? 1 : 0,
                        bill.cancelled ? 1 : 0, bill.confirmed ? 1 : 0, bill.rates});
            for (int l = bill.firstLine; l < bill.firstLine + bill.lineCount; ++l) {
                const Line &ln = m_lines[l];
                line.row({bill.id, bill.shop + 1, ln.item + 1, ln.quantity, ln.total, rowGuid(++lineNumber)});
            }
        }
    }

    // Ordered like the schema's own GUIDs for lines inserted without one: the line number leads.
    QString rowGuid(qint64 lineNumber)
    {
        return QStringLiteral("%1-%2-4%3-%4-%5%6")
            .arg(quint32(lineNumber), 8, 16, QLatin1Char('0'))
            .arg(m_random.bits() & 0xffff, 4, 16, QLatin1Char('0'))
            .arg(m_random.bits() & 0xfff, 3, 16, QLatin1Char('0'))
            .arg(0x8000 | (m_random.bits() & 0x3fff), 4, 16, QLatin1Char('0'))
            .arg(m_random.bits() & 0xffff, 4, 16, QLatin1Char('0'))
            .arg(m_random.bits(), 8, 16, QLatin1Char('0'))
            .toUpper();
    }

    void writeCostings()
    {
        namespace h = t::loaLocalPurchaseCostingHeader;
        namespace d = t::loaLocalPurchaseCostingDetail;
        namespace a = t::aAuditTrail;
        Insert header(m_connection, h::table,
                      {h::lpchcostingid, h::lpchcostingno, h::lpchdate, h::lpchTime, h::lpchcompanyid, h::lpchshopid,
                       h::lpchbillid, h::lpchDepartmentid, h::lpchremarks, h::lpchrecadduser, h::lpchrecmodifiyuser,
                       h::lpchInventoryaccid, h::lpchgoodsintransitaccid, h::lpchCostingDone, h::lpchcostingdoneby,
                       h::lpchcancelled, h::lpchposted, h::updatetime});
        Insert detail(m_connection, d::table,
                      {d::lpcddetailid, d::lpcdcostingid, d::lpcditemid, d::lpcditemqty, d::lpcdbillunitprice,
                       d::lpcdcostedprice, d::lpcdolditemcostprice, d::lpcdnewitemcostprice});
        Insert audit(m_connection, a::table,
                     {a::CompanyID, a::UserID, a::DepartmentID, a::InterfaceID, a::DocumentID, a::DocumentNo,
                      a::AuditAction, a::LoggedTime, a::SavedTime, a::Flag});
        const QString creator = userName(demo::adminUserId);
        for (int i = 0; i < m_costings.size(); ++i) {
            const Costing &c = m_costings[i];
            const Bill &bill = m_bills[c.bill];
            const int id = i + 1;
            const bool fixed = c.state == CostingState::Fixed;
            header.row({id, c.number, wallClock(c.moment.date()), c.moment, demo::companyId, bill.shop + 1,
                        bill.id, c.department, c.remarks, creator,
                        c.modified.isValid() ? QVariant(userName(c.modifiedBy)) : kNull, demo::inventoryAccountId,
                        demo::goodsInTransitAccountId, fixed ? 1 : 0, fixed ? QVariant(creator) : kNull,
                        c.state == CostingState::Cancelled ? 1 : 0, 0,
                        c.modified.isValid() ? QVariant(c.modified) : kNull});
            for (int k = c.firstDetail; k < c.firstDetail + c.detailCount; ++k) {
                const Detail &dt = m_details[k];
                detail.row({k + 1, id, dt.item + 1, dt.quantity, dt.price, dt.price, dt.oldRate, dt.newRate});
            }

            audit.row({demo::companyId, demo::adminUserId, c.department, t::costingInterfaceId, id, bill.number,
                       QStringLiteral("N"), c.moment.addSecs(-m_random.integer(120, 900)), c.moment, 1});
            if (c.modified.isValid())
                audit.row({demo::companyId, c.modifiedBy, c.department, t::costingInterfaceId, id, bill.number,
                           QStringLiteral("E"), c.modified.addSecs(-m_random.integer(60, 600)), c.modified, 1});
            if (c.state == CostingState::Cancelled)
                audit.row({demo::companyId, demo::adminUserId, c.department, t::costingInterfaceId, id, c.number,
                           QStringLiteral("D"), c.cancelledAt.addSecs(-60), c.cancelledAt, 1});
        }
    }

    void writeLayouts()
    {
        constexpr int registerTableId = 1;
        Insert(m_connection, t::aTables::table, {t::aTables::tableid, t::aTables::tablename})
            .row({registerTableId, QStringLiteral("loalocalpurchasecostingheader")});
        Insert caption(m_connection, t::aTableColumns::table,
                       {t::aTableColumns::tableid, t::aTableColumns::columnid, t::aTableColumns::columnname,
                        t::aTableColumns::ColumnHeader});
        int column = 0;
        for (const auto &[name, header] : kRegisterCaptions)
            caption.row({registerTableId, ++column, QLatin1String(name), QLatin1String(header)});

        // The suite's bill entry keeps a stored layout; the costing grid has none and shows its default.
        constexpr int billGridId = 1;
        Insert(m_connection, t::aListViewHeader::table,
               {t::aListViewHeader::lvwid, t::aListViewHeader::lvwtransname, t::aListViewHeader::lvwname,
                t::aListViewHeader::lvwmodulename})
            .row({billGridId, QStringLiteral("LOCALPURCHASE"), QStringLiteral("MFGDETAILS"),
                  QStringLiteral("FRMLOCALPURCHASE")});
        Insert layout(m_connection, t::aListViewDetails::table,
                      {t::aListViewDetails::lvwdid, t::aListViewDetails::lvwcolid, t::aListViewDetails::lvwdcolname,
                       t::aListViewDetails::lvwdcolwidth, t::aListViewDetails::lvwdcolalign});
        const std::tuple<const char *, int, int> columns[] = {
            {"Sl. No", 600, 1}, {"Item Code", 1500, 1}, {"Item Description", 5000, 1}, {"Quantity", 1500, 7},
            {"Price", 1500, 7}};
        int index = 0;
        for (const auto &[name, width, align] : columns) {
            layout.row({billGridId, index, QLatin1String(name), width, align});
            ++index;
        }
    }

    QString userName(int id) const
    {
        for (const User &u : kUsers) {
            if (u.id == id)
                return QLatin1String(u.name);
        }
        return QString();
    }

    Connection &m_connection;
    const DemoOptions &m_options;
    Random m_random;
    QDateTime m_now;
    QVector<int> m_costingDepartments;
    QVector<Item> m_items;
    QVector<Vendor> m_vendors;
    QVector<Line> m_lines;
    QVector<Bill> m_bills;
    QVector<int> m_billOrder;
    QVector<Costing> m_costings;
    QVector<Detail> m_details;
    QVector<QVector<std::pair<int, double>>> m_godownStock;
    QVector<QVector<std::pair<int, double>>> m_shopStock;
    QVector<QVector<std::pair<int, double>>> m_shipments;
};

bool hasRows(Connection &connection, QLatin1String table)
{
    const auto cursor = connection.engine().query(QStringLiteral("select count(*) from %1").arg(table), {});
    return cursor->next() && cursor->value(0).toLongLong() > 0;
}

} // namespace

void generateDemoData(Connection &connection, const DemoOptions &options)
{
    if (options.items < 1 || options.costings < 0 || !options.now.isValid())
        raise(errnum::InvalidProcedureCall, QStringLiteral("Demonstration data needs at least one item and a valid time."));
    for (const QLatin1String table : {t::aUsers::table, t::aItem::table, t::losLocalPurchaseHeader::table}) {
        if (hasRows(connection, table))
            raise(errnum::OperationNotAllowed,
                  QStringLiteral("The database already holds data (table %1); demonstration data goes into a new file.")
                      .arg(table));
    }
    Transaction transaction(connection);
    DemoBuilder(connection, options).build();
    transaction.commit();
}

} // namespace kadu2217
