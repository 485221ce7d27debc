#include "controls/busycursor.h"
#include "controls/combobox.h"
#include "controls/listview.h"
#include "controls/messagebox.h"
#include "db/tsql/sqldatetime.h"
#include "db/values.h"
#include "entry/frmlocalpurchasecosting.h"
#include "fixtures.h"
#include "guisupport.h"
#include "pending/frmpendingmaster.h"
#include "register/frmmaster.h"
#include "shell/session.h"
#include "testsupport.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace kadu2217;
using namespace kadu2217::testsupport;

namespace {

const QString kAcme = QStringLiteral("Acme Traders");

// Each bill has a vendor of its own, numbered as the bill.
struct PendingBill {
    Bill bill;
    QString vendor = kAcme;
};

ConnectionPtr databaseWith(const QVector<PendingBill> &bills)
{
    auto c = openNewDatabase();
    for (const PendingBill &b : bills) {
        addVendor(c, b.bill.id(), b.vendor);
        addBill(c, Bill(b.bill).vendor(b.bill.id()));
    }
    return c;
}

frmPendingMaster &openPending(const ConnectionPtr &c, qint16 department = 0, const QString &mode = {})
{
    startSession(c, 1, department, kProcessDate);
    createSharedObjects();
    setEntryMode(mode);
    frmPendingMaster &w = pendingWindow();
    w.Form_Load();
    w.show();
    return w;
}

// Each item's sub-items joined by '|'.
QStringList items(const ListView *list, const QList<int> &subItems)
{
    QStringList texts;
    for (int i = 1; i <= list->listItemCount(); ++i) {
        QStringList cells;
        for (int sub : subItems)
            cells << (sub == 0 ? list->itemText(i) : list->subItemText(i, sub));
        texts << cells.join(QLatin1Char('|'));
    }
    return texts;
}

void clickHeader(ListView *list, int column)
{
    QHeaderView *header = list->header();
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
}

} // namespace

class TestPending : public QObject {
    Q_OBJECT

private:
    std::shared_ptr<QVector<ReportedError>> m_errors;
    std::shared_ptr<QVector<ShownMessage>> m_messages;

private slots:
    void init()
    {
        m_errors = recordErrors();
        // "Save Changes?" of an entry window closed by a test is answered No.
        m_messages = answerMessages([](const ShownMessage &m) {
            return (m.style & 0xF) == MsgBoxStyle::YesNoCancel ? MsgBoxAnswer::No : MsgBoxAnswer::Ok;
        });
    }
    // A test that expects reports takes them off the record.
    void cleanup()
    {
        sqldt::setServerClock({});
        endModule();
        QVERIFY2(m_errors->isEmpty(), m_errors->isEmpty() ? "" : qPrintable(m_errors->first().description));
    }

    void listsConfirmedOpenBillsOfCompanyAndDepartment_data()
    {
        QTest::addColumn<int>("department");
        QTest::addColumn<QStringList>("listed"); // id|bill no|date|vendor|shop|confirmed
        const QString day = value::shortDate(kBillMade.date());
        const QString first = "1|B-1|" + day + "|Acme Traders|1|Yes";
        const QString second = "2|B-2|" + day + "|Bharat Stores|3|Yes";
        QTest::newRow("all departments") << 0 << QStringList{first, second};
        QTest::newRow("department 1") << 1 << QStringList{first};
        QTest::newRow("department 2") << 2 << QStringList{second};
        QTest::newRow("department without bills") << 4 << QStringList{};
    }
    void listsConfirmedOpenBillsOfCompanyAndDepartment()
    {
        QFETCH(int, department);
        QFETCH(QStringList, listed);
        // bills 3 to 7 are never listed: unconfirmed, confirmation unknown, costed, cancelled, another company's
        auto c = databaseWith({{Bill(1)}, {Bill(2).department(2).shop(3), QStringLiteral("Bharat Stores")},
                               {Bill(3).confirmed(0)}, {Bill(4).confirmed({})}, {Bill(5).costed()}, {Bill(6).cancelled()},
                               {Bill(7).company(2)}});
        frmPendingMaster &w = openPending(c, qint16(department));
        const ListView *list = w.lvwPending();
        QCOMPARE(items(list, {0, 1, 2, 3, 5, 6}), listed);
        // confirmed bills: blue after the id, as is the legend's Confirmed swatch
        for (int item = 1; item <= list->listItemCount(); ++item) {
            QCOMPARE(list->subItemForeColor(item, 0), VbColor(0));
            for (int sub = 1; sub <= 6; ++sub)
                QCOMPARE(list->subItemForeColor(item, sub), VbColor(0xFF0000));
        }
        QCOMPARE(w.findChild<QLabel *>(QStringLiteral("Label3"))->palette().color(QPalette::Window), QColor(0, 0, 0xC0));
    }

    void elapsedTimeCountsMinuteBoundaries_data()
    {
        QTest::addColumn<QDateTime>("made");
        QTest::addColumn<QString>("storedTime"); // lphBillTime when it is kept apart from the bill's day
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("elapsed");
        const auto at = [](const char *text) { return QDateTime::fromString(QLatin1String(text), Qt::ISODate); };
        const QDateTime nine = at("2012-03-15T09:00");
        QTest::newRow("09:00 seen at 11:05") << nine << QString() << at("2012-03-15T11:05") << "2 Hrs:5Mts";
        QTest::newRow("time on another day") << nine << "1900-01-01 09:00" << at("2012-03-15T11:05") << "2 Hrs:5Mts";
        QTest::newRow("seconds of the bill dropped") << at("2012-03-15T09:00:59") << QString() << at("2012-03-15T09:01")
                                                     << "0 Hrs:1Mts";
        QTest::newRow("evening to next morning") << at("2012-03-15T21:30") << QString() << at("2012-03-16T00:15")
                                                 << "2 Hrs:45Mts";
        QTest::newRow("more than a day") << nine << QString() << at("2012-03-17T09:59:59") << "48 Hrs:59Mts";
    }
    void elapsedTimeCountsMinuteBoundaries()
    {
        QFETCH(QDateTime, made);
        QFETCH(QString, storedTime);
        QFETCH(QDateTime, now);
        QFETCH(QString, elapsed);
        auto c = databaseWith({{Bill(1).made(made)}});
        if (!storedTime.isEmpty())
            c->execute(QStringLiteral("update losLocalPurchaseHeader set lphBillTime=?"), {storedTime});
        sqldt::setServerClock([now] { return now; });
        QCOMPARE(items(openPending(c).lvwPending(), {4}), QStringList{elapsed});
    }

    void columnClickSortsAscendingAsText_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("vendor") << 3 << QStringList{"apex", "Bharat", "Zenith"};
        QTest::newRow("bill number as text") << 1 << QStringList{"Zenith", "Bharat", "apex"};
    }
    void columnClickSortsAscendingAsText()
    {
        QFETCH(int, column);
        QFETCH(QStringList, order);
        frmPendingMaster &w = openPending(databaseWith(
            {{Bill(9), QStringLiteral("apex")}, {Bill(10), QStringLiteral("Zenith")}, {Bill(100), QStringLiteral("Bharat")}}));
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        ListView *list = w.lvwPending();
        QCOMPARE(items(list, {3}), (QStringList{"apex", "Zenith", "Bharat"}));
        clickHeader(list, column);
        QCOMPARE(items(list, {3}), order);
        clickHeader(list, column); // the second click keeps the order
        QCOMPARE(items(list, {3}), order);
        QCOMPARE(list->sortKey(), column);
        QCOMPARE(list->sortOrder(), Qt::AscendingOrder);
    }

    void searchSelectsFirstMatchOrSaysSo_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selected"); // 0: no match
        QTest::newRow("vendor prefix, other case, blanks") << "  bha " << 2;
        QTest::newRow("bill number") << "B-3" << 3;
        QTest::newRow("no match") << "Zen" << 0;
    }
    void searchSelectsFirstMatchOrSaysSo()
    {
        QFETCH(QString, text);
        QFETCH(int, selected);
        frmPendingMaster &w = openPending(databaseWith({{Bill(1), QStringLiteral("Acme")}, {Bill(2), QStringLiteral("Bharat Stores")},
                                                        {Bill(3), QStringLiteral("Bharat Agencies")}}));
        w.txtsearchtext()->setFocus();
        w.txtsearchtext()->setText(text);
        QTest::keyClick(w.txtsearchtext(), Qt::Key_Return);
        QStringList shown;
        for (const ShownMessage &m : *m_messages)
            shown << m.text + '/' + QString::number(m.style);
        QCOMPARE(shown, selected ? QStringList() : QStringList{"No match found/64"});
        QCOMPARE(w.lvwPending()->selectedItem(), selected ? selected : 1);
        QCOMPARE(w.focusWidget(), selected ? static_cast<QWidget *>(w.lvwPending()) : w.txtsearchtext());
        QVERIFY(w.isVisible());
    }

    void enterOpensEntryWindowOnTheBill_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<bool>("empty");
        QTest::newRow("Enter") << true << false;
        QTest::newRow("double-click") << false << false;
        QTest::newRow("Enter on an empty list") << true << true;
        QTest::newRow("double-click on an empty list") << false << true;
    }
    void enterOpensEntryWindowOnTheBill()
    {
        QFETCH(bool, byKey);
        QFETCH(bool, empty);
        frmPendingMaster &w = openPending(empty ? openNewDatabase() : openDemoDatabase(kProcessDate));
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        ListView *list = w.lvwPending();
        const int chosen = list->listItemCount() / 2 + 1;
        QString billAndShop;
        if (!empty) {
            list->setSelectedItem(chosen);
            billAndShop = list->itemText(chosen) + '|' + list->subItemText(chosen, 5);
        }

        // The entry window runs modally inside the handler: read it and close it from there.
        frmlocalpurchasecosting &entry = entryWindow();
        QString seen;
        QTimer probe;
        connect(&probe, &QTimer::timeout, [&] {
            if (QApplication::activeModalWidget() != &entry)
                return;
            probe.stop();
            seen = QStringLiteral("%1|%2").arg(entry.cboPurchNo()->currentData().toInt())
                       .arg(entry.cboShop()->currentData().toInt());
            entry.cmdClose()->click();
        });
        probe.start(10);
        setEntryMode(QStringLiteral("E"));
        const QDateTime before = QDateTime::currentDateTime();
        if (byKey) {
            QTest::keyClick(list, Qt::Key_Return);
        } else {
            const QRect cell = list->visualRect(list->model()->index(chosen - 1, 1));
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, empty ? QPoint(20, 20) : cell.center());
        }
        const QDateTime logged = moduleState().GObjAuditTrail->LoggedTime;
        QVERIFY(empty ? logged.isNull() : logged >= before && logged <= QDateTime::currentDateTime());
        // bill|shop in the entry window, the mode, the pending window
        QCOMPARE(QStringList({seen, entryModeLetter(), w.isVisible() ? "shown" : "gone"}),
                 empty ? QStringList({"", "E", "shown"}) : QStringList({billAndShop, "N", "gone"}));
        QCOMPARE(list->listItemCount(), 0);
        QCOMPARE(mousePointer(&w), int(MousePointer::Default));
    }

    // New in the register shows a fresh list each time and re-gates the register afterwards.
    void registerNewShowsPendingModally()
    {
        auto c = openDemoDatabase(kProcessDate);
        startSession(c, demo::adminUserId, 0, kProcessDate);
        FrmMaster &master = frmMaster();
        master.Form_Load();
        master.show();
        QVector<int> listed;
        for (int opening = 0; opening < 2; ++opening) {
            QTimer::singleShot(0, [&listed] {
                frmPendingMaster &pending = pendingWindow();
                listed << (QApplication::activeModalWidget() == &pending ? pending.lvwPending()->listItemCount() : -1);
                QTest::keyClick(pending.lvwPending(), Qt::Key_Escape);
            });
            master.FlexFlag.clear();
            master.cmdnew()->click();
            QVERIFY(!pendingWindow().isVisible());
            QCOMPARE(master.FlexFlag, QStringLiteral("Done"));
            c->execute(QStringLiteral("update losLocalPurchaseHeader set lphConfirmed=1 where lphConfirmed=0"));
        }
        QCOMPARE(listed.size(), 2);
        QVERIFY2(listed[0] > 0 && listed[1] > listed[0], "each opening lists the bills waiting then");
    }

    void loadFailureIsReported()
    {
        auto c = databaseWith({{Bill(1)}});
        c->executeNativeScript(QStringLiteral("DROP TABLE aVendorMaster;"));
        frmPendingMaster &w = openPending(c, 0, QStringLiteral("N"));
        QCOMPARE(m_errors->size(), 1);
        const ReportedError e = m_errors->takeFirst();
        QCOMPARE(QStringLiteral("%1/%2/%3/%4").arg(e.window, e.procedure, e.mode).arg(e.number),
                 QStringLiteral("frmPendingMaster/Form_Load/N/17865"));
        QCOMPARE(w.lvwPending()->listItemCount(), 0);
    }
};

QTEST_MAIN(TestPending)
#include "tst_pending.moc"
