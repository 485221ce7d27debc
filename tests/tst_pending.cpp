#include "controls/busycursor.h"
#include "controls/combobox.h"
#include "controls/listview.h"
#include "controls/messagebox.h"
#include "db/sqldatetime.h"
#include "db/values.h"
#include "entry/frmlocalpurchasecosting.h"
#include "guisupport.h"
#include "pending/frmpendingmaster.h"
#include "register/frmmaster.h"
#include "shell/session.h"
#include "shell/windows.h"
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

const QDateTime kProcessDate(QDate(2012, 3, 15), QTime(11, 5));

struct Bill {
    int id;
    QString vendor = QStringLiteral("Acme Traders");
    int department = 1;
    int shop = 1;
    QVariant confirmed = 1;
    QVariant costed = 0;
    QVariant cancelled = 0;
    int company = 1;
    QDateTime made = QDateTime(QDate(2012, 3, 15), QTime(9, 0));
};

// Bill numbers are "B-" and the id; each bill has a vendor of its own.
void addBill(const ConnectionPtr &c, const Bill &b)
{
    c->execute(QStringLiteral("insert into aVendorMaster (VendorID, vendorname, CurrencyID, companyid) values (?, ?, 1, 1)"),
               {b.id, b.vendor});
    c->execute(QStringLiteral("insert into losLocalPurchaseHeader (lphBillID, lphShopID, lphBillNo, lphBillDate, lphBillTime, "
                              "lphBillAmount, lphVendorID, lphCompanyID, lphDepartmentID, lphcosted, lphcancelled, lphConfirmed) "
                              "values (?, ?, ?, ?, ?, 100, ?, ?, ?, ?, ?, ?)"),
               {b.id, b.shop, QStringLiteral("B-%1").arg(b.id), QDateTime(b.made.date(), QTime(0, 0)), b.made, b.id,
                b.company, b.department, b.costed, b.cancelled, b.confirmed});
}

// The shared objects the register creates on load, for windows opened without it.
void createSharedObjects()
{
    moduleState().GObjFormTheme = createServiceAs<clsFormTheme>(servicenames::FormTheme);
    moduleState().GObjAuditTrail = createServiceAs<clsAuditTrail>(servicenames::AuditTrail);
}

frmPendingMaster &openPending(const ConnectionPtr &c, qint16 department = 0)
{
    startSession(c, 1, department, kProcessDate);
    createSharedObjects();
    frmPendingMaster &w = pendingWindow();
    w.Form_Load();
    w.show();
    return w;
}

QStringList column(const ListView *list, int subItem)
{
    QStringList texts;
    for (int i = 1; i <= list->listItemCount(); ++i)
        texts << (subItem == 0 ? list->itemText(i) : list->subItemText(i, subItem));
    return texts;
}

void clickHeader(ListView *list, int column)
{
    QHeaderView *header = list->header();
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
}

void search(frmPendingMaster &w, const QString &text)
{
    w.txtsearchtext()->setText(text);
    QTest::keyClick(w.txtsearchtext(), Qt::Key_Return);
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
    void cleanup()
    {
        sqldt::setServerClock({});
        resetModule();
    }

    void listsConfirmedOpenBillsOfCompanyAndDepartment_data()
    {
        QTest::addColumn<int>("department");
        QTest::addColumn<QStringList>("ids");
        QTest::newRow("all departments") << 0 << QStringList{"1", "2"};
        QTest::newRow("department 1") << 1 << QStringList{"1"};
        QTest::newRow("department 2") << 2 << QStringList{"2"};
        QTest::newRow("department without bills") << 4 << QStringList{};
    }
    void listsConfirmedOpenBillsOfCompanyAndDepartment()
    {
        QFETCH(int, department);
        QFETCH(QStringList, ids);
        auto c = openNewDatabase();
        addBill(c, {1});
        addBill(c, {2, QStringLiteral("Bharat Stores"), 2, 3});
        Bill unconfirmed{3};
        unconfirmed.confirmed = 0;
        Bill confirmedUnknown{4};
        confirmedUnknown.confirmed = QVariant();
        Bill costed{5};
        costed.costed = 1;
        Bill cancelled{6};
        cancelled.cancelled = 1;
        Bill otherCompany{7};
        otherCompany.company = 2;
        for (const Bill &b : {unconfirmed, confirmedUnknown, costed, cancelled, otherCompany})
            addBill(c, b);

        frmPendingMaster &w = openPending(c, qint16(department));
        const ListView *list = w.lvwPending();
        QCOMPARE(column(list, 0), ids);
        if (department == 0) {
            QCOMPARE(column(list, 1), (QStringList{"B-1", "B-2"}));
            QCOMPARE(column(list, 2), QStringList(2, value::shortDate(QDate(2012, 3, 15))));
            QCOMPARE(column(list, 3), (QStringList{"Acme Traders", "Bharat Stores"}));
            QCOMPARE(column(list, 5), (QStringList{"1", "3"}));
            QCOMPARE(column(list, 6), (QStringList{"Yes", "Yes"}));
        }
        QVERIFY(m_errors->isEmpty());
    }

    void elapsedTimeCountsMinuteBoundaries_data()
    {
        QTest::addColumn<QDateTime>("made");
        QTest::addColumn<QString>("storedTime"); // lphBillTime when it is kept apart from the bill's day
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("elapsed");
        const QDate day(2012, 3, 15);
        const QDateTime nine(day, QTime(9, 0));
        QTest::newRow("09:00 seen at 11:05") << nine << QString() << QDateTime(day, QTime(11, 5)) << "2 Hrs:5Mts";
        QTest::newRow("time on another day") << nine << "1900-01-01 09:00" << QDateTime(day, QTime(11, 5)) << "2 Hrs:5Mts";
        QTest::newRow("just made") << nine << QString() << QDateTime(day, QTime(9, 0, 40)) << "0 Hrs:0Mts";
        QTest::newRow("seconds of the bill dropped")
            << QDateTime(day, QTime(9, 0, 59)) << QString() << QDateTime(day, QTime(9, 1)) << "0 Hrs:1Mts";
        QTest::newRow("evening to next morning")
            << QDateTime(day, QTime(21, 30)) << QString() << QDateTime(day.addDays(1), QTime(0, 15)) << "2 Hrs:45Mts";
        QTest::newRow("more than a day") << nine << QString() << QDateTime(day.addDays(2), QTime(9, 59, 59)) << "48 Hrs:59Mts";
    }
    void elapsedTimeCountsMinuteBoundaries()
    {
        QFETCH(QDateTime, made);
        QFETCH(QString, storedTime);
        QFETCH(QDateTime, now);
        QFETCH(QString, elapsed);
        auto c = openNewDatabase();
        Bill bill{1};
        bill.made = made;
        addBill(c, bill);
        if (!storedTime.isEmpty())
            c->execute(QStringLiteral("update losLocalPurchaseHeader set lphBillTime=?"), {storedTime});
        sqldt::setServerClock([now] { return now; });
        frmPendingMaster &w = openPending(c);
        QCOMPARE(column(w.lvwPending(), 4), QStringList{elapsed});
        QVERIFY(m_errors->isEmpty());
    }

    void confirmedBillsShowInBlueWithLegend()
    {
        auto c = openNewDatabase();
        addBill(c, {1});
        addBill(c, {2});
        frmPendingMaster &w = openPending(c);
        const ListView *list = w.lvwPending();
        QCOMPARE(list->columnHeaderCount(), 7);
        for (int item = 1; item <= 2; ++item) {
            QCOMPARE(list->subItemForeColor(item, 0), VbColor(0));
            for (int sub = 1; sub <= 6; ++sub)
                QCOMPARE(list->subItemForeColor(item, sub), VbColor(0xFF0000));
        }
        const auto *confirmed = w.findChild<QLabel *>(QStringLiteral("Label3"));
        const auto *notConfirmed = w.findChild<QLabel *>(QStringLiteral("Label5"));
        QCOMPARE(confirmed->palette().color(QPalette::Window), QColor(0, 0, 0xC0));
        QCOMPARE(notConfirmed->palette().color(QPalette::Window), w.palette().color(QPalette::WindowText));
        QCOMPARE(w.findChild<QLabel *>(QStringLiteral("Label4"))->text(), QStringLiteral("Confirmed"));
        QCOMPARE(w.findChild<QLabel *>(QStringLiteral("Label6"))->text(), QStringLiteral("Not Confirmed"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Pending Local Purchase Bills"));
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
        auto c = openNewDatabase();
        addBill(c, {9, QStringLiteral("apex")});
        addBill(c, {10, QStringLiteral("Zenith")});
        addBill(c, {100, QStringLiteral("Bharat")});
        frmPendingMaster &w = openPending(c);
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        ListView *list = w.lvwPending();
        QCOMPARE(::column(list, 3), (QStringList{"apex", "Zenith", "Bharat"}));
        clickHeader(list, column);
        QCOMPARE(list->sortKey(), column);
        QCOMPARE(::column(list, 3), order);
        clickHeader(list, column);
        QCOMPARE(::column(list, 3), order);
        QCOMPARE(list->sortOrder(), Qt::AscendingOrder);
        QVERIFY(m_errors->isEmpty());
    }

    void searchSelectsFirstMatchOrSaysSo_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selected");
        QTest::newRow("vendor prefix, other case, blanks") << "  bha " << 2;
        QTest::newRow("bill number") << "B-3" << 3;
        QTest::newRow("no match") << "Zen" << 0;
    }
    void searchSelectsFirstMatchOrSaysSo()
    {
        QFETCH(QString, text);
        QFETCH(int, selected);
        auto c = openNewDatabase();
        addBill(c, {1, QStringLiteral("Acme")});
        addBill(c, {2, QStringLiteral("Bharat Stores")});
        addBill(c, {3, QStringLiteral("Bharat Agencies")});
        frmPendingMaster &w = openPending(c);
        w.txtsearchtext()->setFocus();
        search(w, text);
        if (selected == 0) {
            QCOMPARE(m_messages->size(), 1);
            QCOMPARE(m_messages->first().text, QStringLiteral("No match found"));
            QCOMPARE(m_messages->first().style, 64);
            QCOMPARE(m_messages->first().title, session().MsgboxTitle);
            QCOMPARE(w.lvwPending()->selectedItem(), 1);
            QCOMPARE(w.focusWidget(), w.txtsearchtext());
        } else {
            QVERIFY(m_messages->isEmpty());
            QCOMPARE(w.lvwPending()->selectedItem(), selected);
            QCOMPARE(w.focusWidget(), w.lvwPending());
        }
        QVERIFY(w.isVisible());
        QVERIFY(m_errors->isEmpty());
    }

    void doubleClickOnEmptyListDoesNothing()
    {
        auto c = openNewDatabase();
        frmPendingMaster &w = openPending(c);
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        moduleState().GStrMasterNewEditFlag = QStringLiteral("E");
        QTest::mouseDClick(w.lvwPending()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QTest::keyClick(w.lvwPending(), Qt::Key_Return);
        QCOMPARE(moduleState().GStrMasterNewEditFlag, QStringLiteral("E"));
        QVERIFY(moduleState().GObjAuditTrail->LoggedTime.isNull());
        QVERIFY(w.isVisible());
        QVERIFY(m_errors->isEmpty());
    }

    void failedOpeningIsReportedAndLeavesWindow()
    {
        auto c = openNewDatabase();
        addBill(c, {1});
        frmPendingMaster &w = openPending(c);
        moduleState().GObjAuditTrail.reset();
        moduleState().GStrMasterNewEditFlag = QStringLiteral("E");
        QTest::keyClick(w.lvwPending(), Qt::Key_Return);
        QCOMPARE(m_errors->size(), 1);
        QCOMPARE(m_errors->first().procedure, QStringLiteral("lvwPending_KeyPress"));
        QCOMPARE(m_errors->first().number, 91);
        QCOMPARE(moduleState().GStrMasterNewEditFlag, QStringLiteral("E"));
        QCOMPARE(mousePointer(&w), int(MousePointer::Default));
        QVERIFY(w.isVisible());
        QCOMPARE(w.lvwPending()->listItemCount(), 1);
    }

    void enterOpensEntryWindowOnTheBill_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("Enter") << true;
        QTest::newRow("double-click") << false;
    }
    void enterOpensEntryWindowOnTheBill()
    {
        QFETCH(bool, byKey);
        DemoOptions options;
        options.now = kProcessDate;
        auto c = openNewDatabase(true, options);
        startSession(c, demo::adminUserId, 0, kProcessDate);
        createSharedObjects();
        frmPendingMaster &w = pendingWindow();
        w.Form_Load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        ListView *list = w.lvwPending();
        QVERIFY(list->listItemCount() >= 2);
        const int chosen = list->listItemCount() / 2 + 1;
        list->setSelectedItem(chosen);
        const qint32 billId = list->itemText(chosen).toInt();
        const qint32 shopId = list->subItemText(chosen, 5).toInt();

        // The entry window runs modally inside the handler: read it and close it from there.
        frmlocalpurchasecosting &entry = entryWindow();
        bool reached = false;
        qint32 seenShop = -1;
        qint32 seenBill = -1;
        QTimer probe;
        connect(&probe, &QTimer::timeout, [&] {
            if (QApplication::activeModalWidget() != &entry)
                return;
            probe.stop();
            reached = true;
            if (entry.cboShop()->listIndex() >= 0)
                seenShop = entry.cboShop()->itemData(entry.cboShop()->listIndex());
            if (entry.cboPurchNo()->listIndex() >= 0)
                seenBill = entry.cboPurchNo()->itemData(entry.cboPurchNo()->listIndex());
            entry.cmdClose()->click();
        });
        probe.start(10);
        moduleState().GStrMasterNewEditFlag = QStringLiteral("E");
        const QDateTime before = QDateTime::currentDateTime();
        if (byKey) {
            QTest::keyClick(list, Qt::Key_Return);
        } else {
            const QRect cell = list->visualRect(list->model()->index(chosen - 1, 1));
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
        }
        const QDateTime after = QDateTime::currentDateTime();

        QVERIFY(reached);
        QCOMPARE(moduleState().GStrMasterNewEditFlag, QStringLiteral("N"));
        const QDateTime logged = moduleState().GObjAuditTrail->LoggedTime;
        QVERIFY(logged >= before && logged <= after);
        QCOMPARE(seenShop, shopId);
        QCOMPARE(seenBill, billId);
        QVERIFY(!w.isVisible());
        QCOMPARE(list->listItemCount(), 0);
        QCOMPARE(mousePointer(&w), int(MousePointer::Default));
        QVERIFY(m_errors->isEmpty());
    }

    // New in the register shows a fresh list each time and re-gates the register afterwards.
    void registerNewShowsPendingModally()
    {
        DemoOptions options;
        options.now = kProcessDate;
        auto c = openNewDatabase(true, options);
        startSession(c, demo::adminUserId, 0, kProcessDate);
        FrmMaster &master = frmMaster();
        master.Form_Load();
        master.show();
        QVERIFY(master.cmdnew()->isEnabled());
        const QString waiting = QStringLiteral("select count(*) from losLocalPurchaseHeader where lphcosted=0 and "
                                               "lphcancelled=0 and lphConfirmed=1");
        QVector<int> expected;
        QVector<int> seen;
        for (int opening = 0; opening < 2; ++opening) {
            expected << queryValue(c, waiting).toInt();
            QTimer::singleShot(0, [&seen] {
                frmPendingMaster &pending = pendingWindow();
                seen << (QApplication::activeModalWidget() == &pending ? pending.lvwPending()->listItemCount() : -1);
                QTest::keyClick(pending.lvwPending(), Qt::Key_Escape);
            });
            master.FlexFlag.clear();
            master.cmdnew()->click();
            QVERIFY(!pendingWindow().isVisible());
            QCOMPARE(master.FlexFlag, QStringLiteral("Done"));
            c->execute(QStringLiteral("update losLocalPurchaseHeader set lphConfirmed=1 where lphConfirmed=0"));
        }
        QCOMPARE(seen, expected);
        QVERIFY(expected[1] > expected[0]);
        QVERIFY(m_errors->isEmpty());
    }

    void loadFailuresAreReported_data()
    {
        QTest::addColumn<bool>("withRegisterObjects");
        QTest::addColumn<QString>("dropTable");
        QTest::addColumn<int>("number");
        QTest::newRow("opened before the register") << false << QString() << 91;
        QTest::newRow("vendor table missing") << true << "aVendorMaster" << 17865;
    }
    void loadFailuresAreReported()
    {
        QFETCH(bool, withRegisterObjects);
        QFETCH(QString, dropTable);
        QFETCH(int, number);
        auto c = openNewDatabase();
        addBill(c, {1});
        if (!dropTable.isEmpty())
            c->executeNativeScript(QStringLiteral("DROP TABLE %1;").arg(dropTable));
        startSession(c, 1, 0, kProcessDate);
        if (withRegisterObjects)
            createSharedObjects();
        moduleState().GStrMasterNewEditFlag = QStringLiteral("N");
        frmPendingMaster &w = pendingWindow();
        w.Form_Load();
        QCOMPARE(m_errors->size(), 1);
        const ReportedError e = m_errors->first();
        QCOMPARE(e.window, QStringLiteral("frmPendingMaster"));
        QCOMPARE(e.procedure, QStringLiteral("Form_Load"));
        QCOMPARE(e.number, number);
        QCOMPARE(e.mode, QStringLiteral("N"));
        QCOMPARE(w.lvwPending()->listItemCount(), 0);
    }
};

QTEST_MAIN(TestPending)
#include "tst_pending.moc"
