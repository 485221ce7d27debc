#include "db/recordset.h"
#include "db/values.h"
#include "entry/costingsave.h"
#include "fixtures.h"
#include "guisupport.h"
#include "services/defaults.h"
#include "shell/session.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSet>
#include <tuple>
#include <QtTest>

using namespace kadu2217;
using namespace kadu2217::testsupport;

namespace {

CostingToSave costingOf(const ConnectionPtr &c, const WaitingBill &bill, bool costFix)
{
    return costingOfBill(c, bill.shopId, bill.billId, costFix);
}

// Every row of every table, to tell whether anything changed.
QString contents(const ConnectionPtr &c)
{
    QString all;
    for (const QVariantList &table : queryRows(c, QStringLiteral("select name from sqlite_master where type='table' order by name"))) {
        const QString name = table[0].toString();
        for (const QVariantList &row : queryRows(c, QStringLiteral("select * from ") + name)) {
            QStringList cells;
            for (const QVariant &v : row)
                cells.append(value::displayText(v));
            all += name + QLatin1Char('|') + cells.join(QLatin1Char('|')) + QLatin1Char('\n');
        }
    }
    return all;
}

int runConcurrentSaver(const QString &file, int parity)
{
    auto c = openDatabase(file);
    startSaving(c, 0);
    int saved = 0;
    for (const WaitingBill &bill : waitingBills(c)) {
        if (bill.billId % 2 != parity || saved == 15)
            continue;
        qint32 id = 0;
        if (save(c, costingOf(c, bill, true), id).saved)
            ++saved;
    }
    endModule();
    return saved == 15 ? 0 : 1;
}

} // namespace

class TestSave : public QObject {
    Q_OBJECT

private:
    ConnectionPtr demo() { return openDemoDatabase(); }

private slots:
    void init() { answerMessages(); }
    void cleanup() { endModule(); }

    void checksStopInOrder_data()
    {
        QTest::addColumn<int>("emptyRow");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("shop");
        QTest::addColumn<int>("bill");
        QTest::addColumn<int>("linesOfBill"); // the bill the lines were loaded for
        QTest::addColumn<int>("department");
        QTest::addColumn<QString>("remarks");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("row 2 of 5 empty, nothing else checked")
            << 1 << 5 << -1 << -1 << 0 << -1 << "" << "Enter cost price for all items" << "mfgSplitDetails";
        QTest::newRow("no shop") << -1 << 5 << -1 << 0 << 7 << 0 << "x" << "Select the Shop" << "cboShop";
        QTest::newRow("no bill") << -1 << 5 << 0 << -1 << 7 << 0 << "x" << "Select the Local Purchase No" << "cboPurchNo";
        QTest::newRow("lines of another bill") << -1 << 5 << 0 << 0 << 6 << 0 << "x"
                                               << "Select the bill again: its items could not be loaded" << "cboPurchNo";
        QTest::newRow("lines of no bill") << -1 << 0 << 0 << 0 << 0 << 0 << "x"
                                          << "Select the bill again: its items could not be loaded" << "cboPurchNo";
        QTest::newRow("no lines") << -1 << 0 << 0 << 0 << 7 << 0 << "x" << "The bill has no items to cost" << "mfgSplitDetails";
        QTest::newRow("no department") << -1 << 5 << 0 << 0 << 7 << -1 << "x" << "Select Department" << "cboDepartmentName";
        QTest::newRow("remarks of blanks") << -1 << 5 << 0 << 0 << 7 << 0 << "   " << "Enter remarks" << "txtremarks";
        QTest::newRow("leading blanks are remarks") << -1 << 5 << 0 << 0 << 7 << 0 << "  ok" << "" << "";
    }
    void checksStopInOrder()
    {
        QFETCH(int, emptyRow);
        QFETCH(int, lines);
        QFETCH(int, shop);
        QFETCH(int, bill);
        QFETCH(int, linesOfBill);
        QFETCH(int, department);
        QFETCH(QString, remarks);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        CostingToSave costing;
        costing.remarks = remarks;
        costing.shopId = 3;
        costing.billId = 7;
        costing.linesShopId = linesOfBill ? 3 : 0;
        costing.linesBillId = linesOfBill;
        for (int i = 0; i < lines; ++i)
            costing.lines.append({QStringLiteral("1"), QStringLiteral("1.000"), i == emptyRow ? QString() : QStringLiteral("2."),
                                  QStringLiteral("2."), {}, {}});
        const CostingCheck check = checkCosting(costing, shop, bill, department);
        QCOMPARE(check.message, message);
        QCOMPARE(check.focusControl, focus);
    }

    void newCostingWritesEveryTable_data()
    {
        QTest::addColumn<bool>("costFix");
        QTest::newRow("not fixed") << false;
        QTest::newRow("fixed") << true;
    }
    void newCostingWritesEveryTable()
    {
        QFETCH(bool, costFix);
        auto c = demo();
        const WaitingBill bill = waitingBills(c).first();
        // Another company's settings, which the database returns first.
        addSettings(c, Settings(demo::companyId - 1).inventory(9001).goodsInTransit(9002));
        startSaving(c, qint16(bill.departmentId));
        const CostingToSave costing = costingOf(c, bill, costFix);
        const QString rates = QStringLiteral("select itemid, itemrate from aItem order by itemid");
        const QVector<QVariantList> itemRatesBefore = queryRows(c, rates);
        const int maxId = queryValue(c, QStringLiteral("select max(lpchcostingid) from loaLocalPurchaseCostingHeader")).toInt();
        const int maxDetail = queryValue(c, QStringLiteral("select max(lpcddetailid) from loaLocalPurchaseCostingDetail")).toInt();
        const QString prefix = queryValue(c, QStringLiteral("select Prefix from aPrefix where departmentID=? and ShopId is null and "
                                                            "FinancialId=(select FinancialId from aFinancialYear where CurFinancialYear=1) "
                                                            "and InterfaceID=2011"), {bill.departmentId}).toString();

        qint32 id = 0;
        QVERIFY(save(c, costing, id).saved);
        QCOMPARE(id, maxId + 1);
        const QVariantList header = queryRows(c, QStringLiteral(
            "select lpchcostingno, lpchdate, lpchshopid, lpchbillid, lpchDepartmentid, lpchremarks, lpchrecadduser, lpchCostingDone, "
            "lpchcostingdoneby, lpchcancelled, lpchposted, lpchInventoryaccid, lpchgoodsintransitaccid, lpchcompanyid "
            "from loaLocalPurchaseCostingHeader where lpchcostingid=?"), {id}).first();
        QVERIFY(header[0].toString().startsWith(prefix));
        QCOMPARE(header[1].toDateTime(), QDateTime(kDemoNow.date(), QTime(0, 0)));
        QCOMPARE(header[2].toInt(), bill.shopId);
        QCOMPARE(header[3].toInt(), bill.billId);
        QCOMPARE(header[4].toInt(), bill.departmentId);
        QCOMPARE(header[5].toString(), costing.remarks);
        QCOMPARE(header[6].toString(), QStringLiteral("ADMIN"));
        QCOMPARE(header[7].toInt(), costFix ? 1 : 0);
        QCOMPARE(header[8], costFix ? QVariant(QStringLiteral("ADMIN")) : QVariant());
        QCOMPARE(header[9].toInt() + header[10].toInt(), 0);
        QCOMPARE(header[11].toInt(), demo::inventoryAccountId);
        QCOMPARE(header[12].toInt(), demo::goodsInTransitAccountId);
        QCOMPARE(header[13].toInt(), demo::companyId);

        const QVector<QVariantList> details = queryRows(c, QStringLiteral(
            "select lpcddetailid, lpcditemid, lpcditemqty, lpcdcostedprice, lpcdbillunitprice from loaLocalPurchaseCostingDetail "
            "where lpcdcostingid=? order by lpcddetailid"), {id});
        QCOMPARE(details.size(), costing.lines.size());
        for (int i = 0; i < details.size(); ++i) {
            const CostingLine &line = costing.lines[i];
            QCOMPARE(details[i][0].toInt(), maxDetail + 1 + i);
            QCOMPARE(details[i][1].toString(), line.itemId);
            QCOMPARE(details[i][2].toDouble(), value::toDouble(line.quantity));
            QCOMPARE(details[i][3].toDouble(), value::toDouble(line.costedPrice));
            QCOMPARE(details[i][4].toDouble(), value::toDouble(line.billUnitPrice));
        }
        const QVariantList billRow = queryRows(c, QStringLiteral("select lphcosted, lphBillTime from losLocalPurchaseHeader where "
                                                                 "lphBillID=? and lphShopID=?"), {bill.billId, bill.shopId}).first();
        QCOMPARE(billRow[0].toInt(), 1);
        QCOMPARE(billRow[1].toDateTime().time(), QTime(0, 0));
        QCOMPARE(queryValue(c, QStringLiteral("select AuditAction from aAuditTrail where DocumentID=? and DocumentNo=?"),
                            {id, costing.purchaseNo}).toString(), QStringLiteral("N"));
        QCOMPARE(queryRows(c, rates) == itemRatesBefore, !costFix);
        if (costFix) {
            const QVariantList first = queryRows(c, QStringLiteral("select lpcditemid, lpcdnewitemcostprice from loaLocalPurchaseCostingDetail "
                                                                   "where lpcdcostingid=? order by lpcddetailid desc"), {id}).first();
            QCOMPARE(queryValue(c, QStringLiteral("select itemrate from aItem where itemid=?"), {first[0]}).toDouble(), first[1].toDouble());
        }
    }

    // Item X on three lines of the bill with item Y between them; X stands at 10 units at 10.00
    // before the bill, Y at none at 4.00. Each line of X averages against what the earlier ones
    // left; the edit of an unfixed costing stores the same costs again.
    void itemOnSeveralLinesAveragesInBillOrder_data()
    {
        QTest::addColumn<bool>("costFix");
        QTest::addColumn<bool>("edit");
        QTest::addColumn<QString>("finalRate"); // item X in the item master afterwards
        QTest::newRow("new") << false << false << "10";
        QTest::newRow("new, fixed") << true << false << "22.5";
        QTest::newRow("edit") << false << true << "10";
        QTest::newRow("edit, fixed") << true << true << "22.5";
    }
    void itemOnSeveralLinesAveragesInBillOrder()
    {
        QFETCH(bool, costFix);
        QFETCH(bool, edit);
        QFETCH(QString, finalRate);
        auto c = demo();
        const WaitingBill bill = waitingBills(c).first();
        const QVector<QVariantList> items = queryRows(c, QStringLiteral("select top 2 itemid from aItem order by itemid"));
        const int x = items[0][0].toInt(), y = items[1][0].toInt();
        c->execute(QStringLiteral("delete from losLocalPurchaseDetail where lpdbillid=? and lpdShopId=?"), {bill.billId, bill.shopId});
        const std::tuple<int, double, double> lines[] = {{x, 10, 200}, {y, 5, 30}, {x, 10, 200}, {x, 10, 400}}; // the line's price
        int order = 0;
        for (const auto &[item, quantity, price] : lines)
            addBillLine(c, bill.billId, bill.shopId, item, quantity, price,
                        QStringLiteral("0000000%1-0000-0000-0000-000000000000").arg(order++));
        // Stock so that what is valued before the bill is 10 of X and none of Y.
        for (const auto &[item, valued, rate] : {std::tuple{x, 10.0, 10.0}, std::tuple{y, 0.0, 4.0}}) {
            const double uncosted = queryValue(c, QStringLiteral("select isnull(sum(lpdItemQuantity),0) from losLocalPurchaseHeader h, "
                                                                 "losLocalPurchaseDetail d where h.lphbillid=d.lpdbillid and "
                                                                 "h.lphShopId=d.lpdShopId and h.lphcosted=0 and h.lphcancelled=0 and "
                                                                 "d.lpditemid=?"), {item}).toDouble();
            c->execute(QStringLiteral("delete from losGodownStock where ItemId=?"), {item});
            c->execute(QStringLiteral("delete from losShopStock where ItemId=?"), {item});
            addGodownStock(c, 1, item, valued + uncosted);
            c->execute(QStringLiteral("update aItem set itemrate=? where itemid=?"), {rate, item});
        }

        startSaving(c, 0);
        qint32 id = 0;
        QVERIFY(save(c, costingOf(c, bill, costFix && !edit), id).saved);
        if (edit) {
            startSaving(c, 0, QStringLiteral("E"));
            CostingToSave again = costingOf(c, bill, costFix);
            again.newMode = false;
            again.editedCostingId = QString::number(id);
            QVERIFY(save(c, again, id).saved);
        }
        QStringList costs;
        for (const QVariantList &row : queryRows(c, QStringLiteral("select lpcdolditemcostprice, lpcdnewitemcostprice from "
                                                                   "loaLocalPurchaseCostingDetail where lpcdcostingid=? "
                                                                   "order by lpcddetailid"), {id}))
            costs << QString::number(row[0].toDouble(), 'g', 6) + '>' + QString::number(row[1].toDouble(), 'g', 6);
        QCOMPARE(costs, (QStringList{"10>15", "4>6", "15>16.6667", "16.6667>22.5"}));
        QCOMPARE(QString::number(queryValue(c, QStringLiteral("select itemrate from aItem where itemid=?"), {x}).toDouble(), 'g', 6),
                 finalRate);
    }

    void itemWithoutACostTakesTheCostedPrice()
    {
        auto c = demo();
        const WaitingBill bill = waitingBills(c).first();
        startSaving(c, 0);
        const CostingToSave costing = costingOf(c, bill, true);
        const QString item = costing.lines.first().itemId;
        c->execute(QStringLiteral("update aItem set itemrate=NULL where itemid=?"), {item});
        qint32 id = 0;
        QVERIFY(save(c, costing, id).saved);
        const QVariantList first = queryRows(c, QStringLiteral("select lpcdolditemcostprice, lpcdnewitemcostprice from "
                                                               "loaLocalPurchaseCostingDetail where lpcdcostingid=? order by lpcddetailid"), {id}).first();
        QVERIFY(!first[0].isValid());
        QCOMPARE(first[1].toDouble(), value::toDouble(costing.lines.first().costedPrice));
    }

    void editKeepsTheCostingAndRewritesItsLines()
    {
        auto c = demo();
        const WaitingBill bill = waitingBills(c).first();
        startSaving(c, 0);
        qint32 id = 0;
        QVERIFY(save(c, costingOf(c, bill, false), id).saved);
        c->execute(QStringLiteral("update loaLocalPurchaseCostingHeader set lpchrecadduser='CREATOR' where lpchcostingid=?"), {id});
        const QString kept = QStringLiteral("select lpchcostingno, lpchdate, lpchshopid, lpchbillid, lpchDepartmentid from "
                                            "loaLocalPurchaseCostingHeader where lpchcostingid=%1").arg(id);
        const QVector<QVariantList> before = queryRows(c, kept);
        const int otherDetails = queryValue(c, QStringLiteral("select max(lpcddetailid) from loaLocalPurchaseCostingDetail "
                                                              "where lpcdcostingid<>?"), {id}).toInt();

        startSaving(c, 0, QStringLiteral("E"));
        moduleState().GStrUserName = QStringLiteral("EDITOR");
        CostingToSave edit = costingOf(c, bill, true);
        edit.newMode = false;
        edit.editedCostingId = QString::number(id);
        edit.remarks = QStringLiteral("fixed after checking");
        qint32 editedId = 0;
        QVERIFY(save(c, edit, editedId).saved);
        QCOMPARE(editedId, id);
        QCOMPARE(queryRows(c, kept), before);
        const QVariantList header = queryRows(c, QStringLiteral("select lpchremarks, lpchrecmodifiyuser, lpchcostingdoneby, lpchCostingDone, "
                                                                "updatetime from loaLocalPurchaseCostingHeader where lpchcostingid=?"), {id}).first();
        QCOMPARE(header[0].toString(), edit.remarks);
        QCOMPARE(header[1].toString(), QStringLiteral("EDITOR"));
        QCOMPARE(header[2].toString(), QStringLiteral("CREATOR"));
        QCOMPARE(header[3].toInt(), 1);
        QVERIFY(header[4].toDateTime().isValid());
        // The old lines are deleted first, so the new ones follow the other costings' lines.
        QCOMPARE(queryValue(c, QStringLiteral("select min(lpcddetailid) from loaLocalPurchaseCostingDetail where lpcdcostingid=?"), {id}).toInt(),
                 otherDetails + 1);
        QCOMPARE(queryValue(c, QStringLiteral("select count(*) from loaLocalPurchaseCostingDetail where lpcdcostingid=?"), {id}).toInt(),
                 edit.lines.size());
    }

    void duplicateRollsEverythingBack_data()
    {
        QTest::addColumn<QVariant>("cancelled");
        QTest::addColumn<int>("shopOffset");
        QTest::addColumn<bool>("duplicate");
        QTest::newRow("live costing of the bill") << QVariant(0) << 0 << true;
        QTest::newRow("cancelled costing") << QVariant(1) << 0 << false;
        QTest::newRow("NULL cancelled flag") << QVariant() << 0 << false;
        QTest::newRow("other shop's bill") << QVariant(0) << 1000 << false;
    }
    void duplicateRollsEverythingBack()
    {
        QFETCH(QVariant, cancelled);
        QFETCH(int, shopOffset);
        QFETCH(bool, duplicate);
        auto c = demo();
        const WaitingBill bill = waitingBills(c).first();
        addCosting(c, Costing(900000).number(QStringLiteral("OTHER-1")).of(Bill(bill.billId).shop(bill.shopId + shopOffset))
                          .cancelled(cancelled));
        startSaving(c, 0);
        const QString before = contents(c);
        qint32 id = 0;
        const SaveOutcome outcome = save(c, costingOf(c, bill, true), id);
        QCOMPARE(outcome.saved, !duplicate);
        QCOMPARE(outcome.duplicateCostingNo, duplicate ? QStringLiteral("OTHER-1") : QString());
        if (duplicate)
            QCOMPARE(contents(c), before);
    }

    void failureAtAnyStatementLeavesNothing()
    {
        auto c = demo();
        const WaitingBill bill = waitingBills(c).first();
        startSaving(c, 0);
        const CostingToSave costing = costingOf(c, bill, true);
        int statements = 0;
        {
            auto probe = demo();
            probe->setStatementObserver([&](const QString &, const QVariantList &) { ++statements; });
            startSaving(probe, 0);
            qint32 id = 0;
            QVERIFY(save(probe, costing, id).saved);
        }
        QVERIFY(statements > 10);
        startSaving(c, 0);
        const QString before = contents(c);
        for (int failAt = 1; failAt <= statements; ++failAt) {
            int seen = 0;
            c->setStatementObserver([&](const QString &sql, const QVariantList &) {
                if (++seen == failAt)
                    throw Error(errnum::Timeout, QStringLiteral("injected at: ") + sql);
            });
            qint32 id = 0;
            bool failed = false;
            try {
                save(c, costing, id);
            } catch (const Error &e) {
                failed = e.number() == errnum::Timeout;
            }
            c->setStatementObserver({});
            QVERIFY2(failed, qPrintable(QStringLiteral("statement %1 did not fail the save").arg(failAt)));
            QVERIFY(!c->inTransaction());
            QVERIFY2(contents(c) == before, qPrintable(QStringLiteral("statement %1 left changes").arg(failAt)));
        }
    }

    void twoProcessesSaveDistinctCostings()
    {
        DemoOptions options;
        options.now = kDemoNow;
        options.costings = 200;
        const QString file = newDatabasePath(QStringLiteral("shared"));
        openNewDatabase(file, true, options);
        QProcess even, odd;
        even.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--saver"), file, QStringLiteral("0")});
        odd.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--saver"), file, QStringLiteral("1")});
        for (QProcess *p : {&even, &odd}) {
            QVERIFY(p->waitForFinished(180000));
            QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
        }
        auto c = openDatabase(file);
        const QVariantList counts = queryRows(c, QStringLiteral("select count(*), count(distinct lpchcostingid), count(distinct lpchcostingno) "
                                                                "from loaLocalPurchaseCostingHeader")).first();
        QCOMPARE(counts[1], counts[0]);
        QCOMPARE(counts[2], counts[0]);
        QCOMPARE(queryValue(c, QStringLiteral("select count(*) from loaLocalPurchaseCostingHeader where lpchremarks like '  checked%'")).toInt(), 30);
    }
};

int main(int argc, char *argv[])
{
    if (argc == 4 && qstrcmp(argv[1], "--saver") == 0) {
        // The saver's module comes with its windows, which want an application object.
        QApplication app(argc, argv);
        try {
            return runConcurrentSaver(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
        } catch (const Error &e) {
            fprintf(stderr, "%s\n", e.what());
            return 1;
        }
    }
    QApplication app(argc, argv);
    TestSave test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_save.moc"
