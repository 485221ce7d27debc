#include "controls/flexgrid.h"
#include "entry/costingnumber.h"
#include "entry/costingsave.h"
#include "entry/itemcost.h"
#include "fixtures.h"
#include "guisupport.h"
#include "register/frmmaster.h"
#include "services/defaults.h"
#include "shell/session.h"
#include "testsupport.h"

#include <QRegularExpression>
#include <QtTest>

using namespace kadu2217;
using namespace kadu2217::testsupport;

namespace {

// Year 2 is the current financial year.
ConnectionPtr numberingDatabase()
{
    auto c = openNewDatabase();
    addFinancialYear(c, 1, false);
    addFinancialYear(c, 2, true);
    return c;
}

// Costings numbered in turn; costing 2 is cancelled.
void addNumbers(const ConnectionPtr &c, const QStringList &numbers, int department = 1)
{
    for (const QString &number : numbers) {
        const int id = queryValue(c, QStringLiteral("select isnull(max(lpchcostingid),0)+1 from loaLocalPurchaseCostingHeader")).toInt();
        addCosting(c, Costing(id).number(number).department(department).cancelled(id == 2 ? 1 : 0));
    }
}

// Item 1: 30 in godowns, 20 in shops, 10 on the uncosted bill 5 being costed; rate 10.
ConnectionPtr itemCostDatabase()
{
    auto c = openNewDatabase();
    addItem(c, 1, 10);
    addItem(c, 2, 4);
    addGodownStock(c, 1, 1, 12);
    addGodownStock(c, 2, 1, 18);
    addShopStock(c, 1, 1, 20);
    addBill(c, Bill(5).line(1, 10));
    for (const auto &[shop, item] : {std::pair{1, 1}, std::pair{2, 1}, std::pair{1, 2}})
        addShipmentLine(c, shop, item);
    return c;
}

// What the register reads besides the costings: the company's settings and the user.
ConnectionPtr registerDatabase()
{
    auto c = openNewDatabase();
    addSettings(c);
    addUser(c, User(1, QStringLiteral("ADMIN")));
    return c;
}

std::optional<double> optionalNumber(const QVariant &v)
{
    return v.isValid() ? std::optional<double>(v.toDouble()) : std::nullopt;
}

} // namespace

class TestCosting : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { endModule(); }

    void costingNumbers_data()
    {
        QTest::addColumn<QStringList>("prefixes"); // "prefix@department[@year][@shop]"
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<int>("sessionDepartment");
        QTest::addColumn<QString>("next");
        QTest::newRow("no rows") << QStringList() << QStringList() << 1 << "1";
        QTest::newRow("no prefix row") << QStringList() << QStringList{"7", "LPC-9"} << 1 << "8";
        QTest::newRow("prefix without numbers") << QStringList{"LPC-@1"} << QStringList() << 1 << "LPC-1";
        QTest::newRow("numeric order") << QStringList{"A@1"} << QStringList{"A9", "A10"} << 1 << "A11";
        QTest::newRow("non-numeric remainder ignored") << QStringList{"LPC-@1"} << QStringList{"LPC-3", "LPC-7A", "LPC-"} << 1 << "LPC-4";
        QTest::newRow("prefix alone ignored") << QStringList{"LPC-@1"} << QStringList{"LPC-"} << 1 << "LPC-1";
        // isnumeric accepts these, but they are no sequence numbers and must not stop numbering.
        QTest::newRow("exponent") << QStringList{"LPC-@1"} << QStringList{"LPC-3", "LPC-1e2"} << 1 << "LPC-4";
        QTest::newRow("decimal point") << QStringList{"LPC-@1"} << QStringList{"LPC-1.5", "LPC-3"} << 1 << "LPC-4";
        QTest::newRow("currency sign") << QStringList{"LPC-@1"} << QStringList{"LPC-$5"} << 1 << "LPC-1";
        QTest::newRow("sign and blanks") << QStringList{"LPC-@1"} << QStringList{"LPC-+7", "LPC- 8", "LPC-2"} << 1 << "LPC-3";
        QTest::newRow("ten digits") << QStringList{"LPC-@1"} << QStringList{"LPC-6", "LPC-9999999999"} << 1 << "LPC-7";
        QTest::newRow("nine digits") << QStringList{"LPC-@1"} << QStringList{"LPC-6", "LPC-999999998"} << 1 << "LPC-999999999";
        QTest::newRow("odd numbers without a prefix") << QStringList() << QStringList{"1e2", "$5", "4"} << 1 << "5";
        QTest::newRow("other year and shop prefixes ignored") << QStringList{"OLD-@1@1", "SH-@1@2@4", "LPC-@1"}
                                                              << QStringList{"LPC-2"} << 1 << "LPC-3";
        QTest::newRow("cancelled keep their numbers") << QStringList{"LPC-@1"} << QStringList{"LPC-1", "LPC-2"} << 1 << "LPC-3";
        QTest::newRow("past 32767") << QStringList{"LPC-@1"} << QStringList{"LPC-32767"} << 1 << "LPC-32768";
        QTest::newRow("apostrophe in prefix") << QStringList{"O'B-@1"} << QStringList{"O'B-4"} << 1 << "O'B-5";
    }
    void costingNumbers()
    {
        QFETCH(QStringList, prefixes);
        QFETCH(QStringList, existing);
        QFETCH(int, sessionDepartment);
        QFETCH(QString, next);
        auto c = numberingDatabase();
        for (const QString &p : prefixes) {
            const QStringList parts = p.split(QLatin1Char('@'));
            addPrefix(c, parts[0], parts[1].toInt(), parts.value(2, QStringLiteral("2")).toInt(),
                      parts.size() > 3 ? QVariant(parts[3].toInt()) : QVariant());
        }
        addNumbers(c, existing);
        QCOMPARE(GenerateCostingNo(c, 1, qint16(sessionDepartment)), next);
    }

    void numberingAcrossDepartments()
    {
        auto c = numberingDatabase();
        addPrefix(c, QStringLiteral("LPC-"), 1, 2);
        addNumbers(c, {QStringLiteral("LPC-4")}, 1);
        addNumbers(c, {QStringLiteral("LPC-9")}, 2);
        QCOMPARE(GenerateCostingNo(c, 1, 1), QStringLiteral("LPC-5"));
        QCOMPARE(GenerateCostingNo(c, 1, 0), QStringLiteral("LPC-10"));
    }

    // SQL Server answers sp_getapplock with a return code; the ODBC path reads it from the
    // lock statement's result, which the observer supplies here in the server's place.
    void refusedCostingLockStopsTheSave_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("number"); // 0: the save goes on past the lock
        QTest::addColumn<QString>("reason");
        QTest::newRow("granted") << 0 << 0 << "";
        QTest::newRow("granted after waiting") << 1 << 0 << "";
        QTest::newRow("timed out") << -1 << int(errnum::Timeout) << "timed out";
        QTest::newRow("cancelled") << -2 << int(errnum::Unspecified) << "cancelled";
        QTest::newRow("deadlock") << -3 << int(errnum::Unspecified) << "deadlock";
        QTest::newRow("call refused") << -999 << int(errnum::Unspecified) << "-999";
    }
    void refusedCostingLockStopsTheSave()
    {
        QFETCH(int, result);
        QFETCH(int, number);
        QFETCH(QString, reason);
        auto c = std::make_shared<Connection>();
        try {
            c->open(QStringLiteral("Driver=SQLite3;Database=") + newDatabasePath(QStringLiteral("odbc")));
        } catch (const Error &e) {
            QSKIP(qPrintable(QStringLiteral("no SQLite ODBC driver: ") + e.description()));
        }
        QCOMPARE(c->dialect(), Dialect::SqlServer);
        constexpr qint32 pastTheLock = 424242;
        bool locked = false;
        c->setStatementObserver([&](QString &sql, const QVariantList &) {
            if (locked)
                throw Error(pastTheLock, QStringLiteral("the save went on"));
            QVERIFY(sql.contains(QLatin1String("sp_getapplock")));
            locked = true;
            sql = QStringLiteral("select %1").arg(result);
        });
        auto lookups = createServiceAs<clsDatabase>(servicenames::Database);
        lookups->adocon = c;
        auto audit = createServiceAs<clsAuditTrail>(servicenames::AuditTrail);
        CostingToSave costing;
        costing.lines.append({QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1"), {}, {}});
        ModuleContext context;
        context.session.adocon = c;
        qint32 id = 0;
        Error failure(0, QString());
        try {
            saveCosting(context, *lookups, *audit, nullptr, costing, id);
        } catch (const Error &e) {
            failure = e;
        }
        QVERIFY(locked);
        QVERIFY(!c->inTransaction());
        QCOMPARE(failure.number(), number == 0 ? pastTheLock : number);
        if (number != 0) {
            QVERIFY2(failure.description().startsWith(QLatin1String("The costing lock could not be taken")),
                     qPrintable(failure.description()));
            QVERIFY2(failure.description().contains(reason), qPrintable(failure.description()));
        }
    }

    void billAlreadyCosted_data()
    {
        QTest::addColumn<QVariant>("cancelled");
        QTest::addColumn<int>("shop");
        QTest::addColumn<int>("costingId");
        QTest::addColumn<bool>("found");
        QTest::newRow("another live costing") << QVariant(0) << 1 << 99 << true;
        QTest::newRow("cancelled one") << QVariant(1) << 1 << 99 << false;
        QTest::newRow("cancelled flag NULL") << QVariant() << 1 << 99 << false;
        QTest::newRow("other shop") << QVariant(0) << 2 << 99 << false;
        QTest::newRow("the costing itself") << QVariant(0) << 1 << 1 << false;
    }
    void billAlreadyCosted()
    {
        QFETCH(QVariant, cancelled);
        QFETCH(int, shop);
        QFETCH(int, costingId);
        QFETCH(bool, found);
        auto c = openNewDatabase();
        addCosting(c, Costing(1).of(Bill(7).shop(shop)).cancelled(cancelled));
        QString number = QStringLiteral("stale");
        QCOMPARE(fnBillAlreadyCosted(c, 7, costingId, 1, number), found);
        QCOMPARE(number, found ? QStringLiteral("LPC-1") : QString());
    }

    void weightedAverage_data()
    {
        QTest::addColumn<double>("oldStock");
        QTest::addColumn<QVariant>("oldCost");
        QTest::addColumn<double>("quantity");
        QTest::addColumn<double>("costed");
        QTest::addColumn<double>("expected");
        QTest::newRow("worked example") << 40.0 << QVariant(10.0) << 10.0 << 12.5 << 10.5;
        QTest::newRow("no old stock") << 0.0 << QVariant(10.0) << 10.0 << 12.5 << 12.5;
        QTest::newRow("negative old stock") << -3.0 << QVariant(10.0) << 10.0 << 12.5 << 12.5;
        QTest::newRow("unchanged price") << 40.0 << QVariant(10.0) << 10.0 << 10.0 << 10.0;
        QTest::newRow("stock without a cost") << 40.0 << QVariant() << 10.0 << 12.5 << 12.5;
    }
    void weightedAverage()
    {
        QFETCH(double, oldStock);
        QFETCH(QVariant, oldCost);
        QFETCH(double, quantity);
        QFETCH(double, costed);
        QFETCH(double, expected);
        QCOMPARE(weightedAverageCost(oldStock, optionalNumber(oldCost), quantity, costed), expected);
    }

    void negativeQuantityCancellingTheStockIsADivisionByZero()
    {
        QCOMPARE(errorNumberOf([] { weightedAverageCost(5.0, 10.0, -5.0, 12.5); }), errnum::DivisionByZero);
    }

    // Item 1 has 50 in stock and 10 on the uncosted bill 5; item 2 has no stock rows.
    void itemStandingBeforeTheBill_data()
    {
        QTest::addColumn<bool>("newMode");
        QTest::addColumn<int>("item");
        QTest::addColumn<QVariant>("rate");
        QTest::addColumn<double>("billQuantity");
        QTest::addColumn<double>("stock");
        QTest::newRow("new costing: the bill is still uncosted") << true << 1 << QVariant(10.0) << 10.0 << 40.0;
        QTest::newRow("edit: the bill's quantity comes off") << false << 1 << QVariant(10.0) << 10.0 << 40.0;
        QTest::newRow("edit: all the item's lines come off") << false << 1 << QVariant(10.0) << 25.0 << 25.0;
        QTest::newRow("item without stock rows") << true << 2 << QVariant(4.0) << 3.0 << 0.0;
        QTest::newRow("item never given a cost") << true << 1 << QVariant() << 10.0 << 40.0;
    }
    void itemStandingBeforeTheBill()
    {
        QFETCH(bool, newMode);
        QFETCH(int, item);
        QFETCH(QVariant, rate);
        QFETCH(double, billQuantity);
        QFETCH(double, stock);
        auto c = itemCostDatabase();
        // After its first save the bill is costed and no longer among the uncosted quantities.
        c->execute(QStringLiteral("update losLocalPurchaseHeader set lphcosted=?"), {newMode ? 0 : 1});
        c->execute(QStringLiteral("update aItem set itemrate=? where itemid=?"), {rate, item});
        DefaultDatabase lookups;
        lookups.adocon = c;
        const ItemStanding standing = lookupItemStanding(lookups, item, billQuantity, newMode);
        QCOMPARE(standing.valuedStock, stock);
        QCOMPARE(standing.cost, optionalNumber(rate));
    }

    // Lines as "item:quantity@price", standings as "item:stock@cost" (cost "-" for none),
    // costs as "old>new" (old "-" for none).
    void linesOfOneItemAverageInBillOrder_data()
    {
        QTest::addColumn<QStringList>("standings");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("costs");
        QTest::newRow("one line") << QStringList{"1:40@10"} << QStringList{"1:10@12.5"} << QStringList{"10>10.5"};
        QTest::newRow("two lines end at the true average")
            << QStringList{"1:10@10"} << QStringList{"1:10@20", "1:10@20"} << QStringList{"10>15", "15>16.666666666666667"};
        QTest::newRow("three lines")
            << QStringList{"1:10@10"} << QStringList{"1:10@20", "1:10@20", "1:10@40"}
            << QStringList{"10>15", "15>16.666666666666667", "16.666666666666667>22.5"};
        QTest::newRow("two items interleaved")
            << QStringList{"1:10@10", "2:0@4"} << QStringList{"1:10@20", "2:5@6", "1:10@20", "2:5@8"}
            << QStringList{"10>15", "4>6", "15>16.666666666666667", "6>7"};
        QTest::newRow("item without a cost") << QStringList{"1:10@-"} << QStringList{"1:10@20", "1:10@30"}
                                             << QStringList{"->20", "20>23.333333333333333"};
        QTest::newRow("negative stock is filled first")
            << QStringList{"1:-5@10"} << QStringList{"1:10@20", "1:10@30"} << QStringList{"10>20", "20>26.666666666666667"};
    }
    void linesOfOneItemAverageInBillOrder()
    {
        QFETCH(QStringList, standings);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, costs);
        const auto number = [](const QString &text) { return text == QLatin1String("-") ? std::optional<double>() : text.toDouble(); };
        RunningItemCost running;
        for (const QString &standing : standings) {
            const QStringList parts = standing.split(QRegularExpression(QStringLiteral("[:@]")));
            running.start(parts[0].toInt(), {parts[1].toDouble(), number(parts[2])});
        }
        for (int i = 0; i < lines.size(); ++i) {
            const QStringList line = lines[i].split(QRegularExpression(QStringLiteral("[:@]")));
            const QStringList expected = costs[i].split(QLatin1Char('>'));
            const ItemCost cost = running.next(line[0].toInt(), line[1].toDouble(), line[2].toDouble());
            QCOMPARE(cost.oldCost.has_value(), number(expected[0]).has_value());
            if (cost.oldCost)
                QCOMPARE(*cost.oldCost, *number(expected[0]));
            QCOMPARE(cost.newCost, expected[1].toDouble());
        }
    }

    void lineOfAnItemNotLookedUpIsRefused()
    {
        RunningItemCost running;
        QCOMPARE(errorNumberOf([&running] { running.next(7, 1, 1); }), errnum::InvalidProcedureCall);
    }

    void costFixUpdatesMasterAndFlagsOnlyOnChange_data()
    {
        QTest::addColumn<QVariant>("oldCost");
        QTest::addColumn<double>("newCost");
        QTest::addColumn<int>("flagged");
        QTest::newRow("changed") << QVariant(10.0) << 10.123456789012345 << 2;
        QTest::newRow("unchanged") << QVariant(10.0) << 10.0 << 0;
        QTest::newRow("first cost of the item") << QVariant() << 10.0 << 2;
    }
    void costFixUpdatesMasterAndFlagsOnlyOnChange()
    {
        QFETCH(QVariant, oldCost);
        QFETCH(double, newCost);
        QFETCH(int, flagged);
        QLocale::setDefault(QLocale(QLocale::German));
        auto c = itemCostDatabase();
        fixItemCost(*c, 1, {optionalNumber(oldCost), newCost});
        QLocale::setDefault(QLocale::c());
        QCOMPARE(queryValue(c, QStringLiteral("select itemrate from aItem where itemid=1")).toDouble(), newCost);
        QCOMPARE(queryValue(c, QStringLiteral("select count(*) from losShopItemShipmentDetail where pricechanged=1")).toInt(), flagged);
    }

    void registerRefresh_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("emptyRegister");
        QTest::addColumn<QString>("costingDate");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("lastNumber");
        QTest::newRow("placeholder row filled") << "N" << true << "20120310" << 2 << "LPC-9";
        QTest::newRow("appended at the end") << "N" << false << "20120310" << 4 << "LPC-9";
        QTest::newRow("outside the date window") << "N" << false << "20120101" << 3 << "LPC-2";
        QTest::newRow("edited row replaced in place") << "E" << false << "20120310" << 3 << "LPC-2";
    }
    void registerRefresh()
    {
        QFETCH(QString, mode);
        QFETCH(bool, emptyRegister);
        QFETCH(QString, costingDate);
        QFETCH(int, rows);
        QFETCH(QString, lastNumber);
        recordErrors();
        auto c = registerDatabase();
        if (!emptyRegister) {
            addCostedBill(c, Bill(1), Costing(1).date(QStringLiteral("20120301")));
            addCostedBill(c, Bill(2), Costing(2).date(QStringLiteral("20120302")));
        }
        startSession(c, 1, 0, kProcessDate);
        FrmMaster &w = frmMaster();
        w.Form_Load();
        w.show();
        if (!emptyRegister)
            w.FlexMaster()->setRow(1);
        if (mode == QLatin1String("E")) {
            c->execute(QStringLiteral("update loaLocalPurchaseCostingHeader set lpchcancelled=1 where lpchcostingid=1"));
        } else {
            addCostedBill(c, Bill(9), Costing(9).date(costingDate));
        }
        setEntryMode(mode);
        const int id = mode == QLatin1String("E") ? 1 : 9;
        frmMaster().RefreshMasterRow(QStringLiteral("lpchcostingid=%1").arg(id), mode == QLatin1String("E") ? 0 : id);
        const FlexGrid *grid = w.FlexMaster();
        QCOMPARE(grid->rows(), rows);
        QCOMPARE(grid->textMatrix(grid->rows() - 1, 1), lastNumber);
        if (mode == QLatin1String("E")) {
            QCOMPARE(grid->row(), 1);
            QCOMPARE(grid->textMatrix(1, 0), QStringLiteral("1"));
            QCOMPARE(grid->textMatrix(1, 6), QStringLiteral("Yes"));
        } else if (rows > 3 || emptyRegister) {
            QCOMPARE(grid->textMatrix(grid->rows() - 1, 0), QStringLiteral("9"));
            QCOMPARE(grid->row(), grid->rows() - 1);
        }
    }

    void sortedRegisterStillAppendsAtTheEnd()
    {
        recordErrors();
        auto c = registerDatabase();
        for (int id : {1, 2, 3})
            addCostedBill(c, Bill(id), Costing(id).number(QStringLiteral("N%1").arg(id)).date(QStringLiteral("20120310")));
        startSession(c, 1, 0, kProcessDate);
        FlexGrid &grid = *frmMaster().FlexMaster();
        frmMaster().Form_Load();
        grid.setRow(1);
        grid.setCol(0);
        grid.sort(FlexSort::GenericDescending);
        setEntryMode(QStringLiteral("N"));
        frmMaster().RefreshMasterRow(QStringLiteral("lpchcostingid=2"), 2);
        QCOMPARE(grid.rows(), 5);
        QCOMPARE(grid.textMatrix(1, 0), QStringLiteral("3"));
        QCOMPARE(grid.textMatrix(4, 0), QStringLiteral("2"));
    }
};

QTEST_MAIN(TestCosting)
#include "tst_costing.moc"
