#include "controls/busycursor.h"
#include "controls/combobox.h"
#include "controls/flexgrid.h"
#include "controls/messagebox.h"
#include "db/error.h"
#include "entry/exchangerate.h"
#include "entry/frmlocalpurchasecosting.h"
#include "fixtures.h"
#include "guisupport.h"
#include "register/frmmaster.h"
#include "shell/session.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace kadu2217;
using namespace kadu2217::testsupport;

namespace {

// Dates day first, numbers with a decimal point.
const QLocale kBritish(QLocale::English, QLocale::UnitedKingdom);
const QString kDollarBill = QStringLiteral("1:2:-1:0.0125:");

// Settings, the user's departments (1 and 2 of company 1, 9 of company 2), three shops, a
// vendor in currency 1 and one in currency 2, five items, and `bills`.
ConnectionPtr entryDatabase(const QVector<Bill> &bills = {}, int inventoryCurrency = 1)
{
    auto c = openNewDatabase();
    addSettings(c);
    addUser(c, User(1, QStringLiteral("ADMIN")).rights(QStringLiteral("NEDP")).department(1).department(2).department(9, 2));
    addDepartment(c, 1, QStringLiteral("Purchase"));
    addDepartment(c, 2, QStringLiteral("Stores"));
    addDepartment(c, 3, QStringLiteral("Imports"));
    addDepartment(c, 9, QStringLiteral("Branch"), 2);
    addShop(c, 1, QStringLiteral("Main Street"));
    addShop(c, 2, QStringLiteral("Harbour Road"));
    addShop(c, 3, QStringLiteral("Hill Top"));
    addVendor(c, 1, QStringLiteral("Local Traders"), 1);
    addVendor(c, 2, QStringLiteral("Gulf Imports"), 2);
    for (int item = 1; item <= 5; ++item)
        addItem(c, item);
    addAccount(c, 1001, QStringLiteral("Inventory"), 1, inventoryCurrency);
    addBills(c, bills);
    return c;
}

void whileEntryIsModal(const std::function<void(frmlocalpurchasecosting &)> &whileOpen)
{
    whileModal(&entryWindow, whileOpen);
}

// Opens the only costing with the register's Edit and runs `whileOpen` in the entry window; `done`
// overrides the register row's "Costing Done" text.
FrmMaster &editCosting(const ConnectionPtr &c, const std::function<void(frmlocalpurchasecosting &)> &whileOpen,
                       const QString &done = {})
{
    startSession(c, 1, 0, kProcessDate);
    FrmMaster &master = frmMaster();
    master.Form_Load();
    master.show();
    FlexGrid *grid = master.FlexMaster(); // its only row
    if (!done.isEmpty())
        grid->setTextMatrix(grid->row(), grid->cols() - 1, done);
    whileEntryIsModal(whileOpen);
    master.CmdEdit()->click();
    return master;
}

// A list's texts and the value of its chosen item (-1: none), as "a,b @2".
QString listed(const ComboBox *combo)
{
    QStringList texts;
    for (int i = 0; i < combo->listCount(); ++i)
        texts << combo->itemText(i);
    return texts.join(',') + " @" + QString::number(combo->listIndex() < 0 ? -1 : combo->itemData(combo->listIndex()));
}

// Data rows as "cell|cell|...".
QStringList gridRows(const FlexGrid *grid)
{
    QStringList rows;
    for (int r = 1; r < grid->rows(); ++r) {
        QStringList cells;
        for (int col = 0; col < grid->cols(); ++col)
            cells << grid->textMatrix(r, col);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

// Which of the shop list, bill list, cost-fix box and OK are enabled, and whether the box is ticked.
QString controls(frmlocalpurchasecosting &w)
{
    return QStringLiteral("enabled %1%2%3%4, fixed %5")
        .arg(int(w.cboShop()->isEnabled()))
        .arg(int(w.cboPurchNo()->isEnabled()))
        .arg(int(w.chkFix()->isEnabled()))
        .arg(int(w.cmdok()->isEnabled()))
        .arg(int(w.chkFix()->isChecked()));
}

} // namespace

class TestEntry : public QObject {
    Q_OBJECT

private:
    std::shared_ptr<QVector<ReportedError>> m_errors;
    std::shared_ptr<QVector<ShownMessage>> m_messages;
    int m_answer = MsgBoxAnswer::Ok;

    // The message boxes shown, as "text/style".
    QStringList shown() const
    {
        QStringList texts;
        for (const ShownMessage &m : *m_messages)
            texts << m.text + '/' + QString::number(m.style);
        return texts;
    }

private slots:
    void init()
    {
        m_errors = recordErrors();
        m_answer = MsgBoxAnswer::Ok;
        m_messages = answerMessages([this](const ShownMessage &) { return m_answer; });
        QLocale::setDefault(kBritish);
    }
    // A test that expects reports takes them off the record.
    void cleanup()
    {
        endModule();
        QLocale::setDefault(QLocale::c());
        QVERIFY2(m_errors->isEmpty(), m_errors->isEmpty() ? "" : qPrintable(m_errors->first().description));
    }

    // A unit priced 1 costs the rate; a line's cost is its price over its quantity at that rate.
    void costOfALine_data()
    {
        QTest::addColumn<QString>("rates");
        QTest::addColumn<int>("vendor");
        QTest::addColumn<int>("inventory");
        QTest::addColumn<QVariant>("price");
        QTest::addColumn<QVariant>("quantity");
        QTest::addColumn<double>("expected");
        QTest::addColumn<int>("error");
        const auto rate = [](const char *name, const QString &rates, int vendor, int inventory, double expected,
                             int error = 0) {
            QTest::newRow(name) << rates << vendor << inventory << QVariant(1.0) << QVariant(1.0) << expected << error;
        };
        rate("dollar bill into rupees", kDollarBill, 1, 2, 0.0125);
        rate("the other way round", kDollarBill, 2, 1, 80.0);
        rate("same currency", kDollarBill, 2, 2, 1.0);
        rate("empty text", QString(), 1, 2, 1.0);
        rate("blank text", QStringLiteral("   "), 1, 2, 1.0);
        rate("vendor currency not listed", kDollarBill, 3, 2, 1.0);
        rate("vendor rate 0", QStringLiteral("1:2:-0:0.0125:"), 1, 2, 1.0);
        rate("inventory rate 0", QStringLiteral("1:2:-4:0:"), 1, 2, 1.0);
        rate("later entry wins", QStringLiteral("1:2:1:-1:2:4:"), 2, 1, 2.0);
        rate("element after the last colon ignored", QStringLiteral("1:2:7-1:0.5:9"), 1, 2, 0.5);
        rate("blanks around numbers", QStringLiteral(" 1 : 2 :- 2 : 3 :"), 1, 2, 1.5);
        rate("no rate list", QStringLiteral("1:2:"), 1, 2, 0, errnum::SubscriptOutOfRange);
        rate("rate missing for a listed id", QStringLiteral("1:2:-1:"), 1, 2, 0, errnum::SubscriptOutOfRange);
        rate("id not a number", QStringLiteral("USD:2:-1:2:"), 1, 2, 0, errnum::TypeMismatch);
        rate("rate not a number", QStringLiteral("1:2:-one:2:"), 1, 2, 0, errnum::TypeMismatch);
        rate("id beyond 16 bits", QStringLiteral("70000:2:-1:2:"), 1, 2, 0, errnum::Overflow);
        const auto line = [](const char *name, const QVariant &price, const QVariant &quantity, double expected,
                             int error = 0) {
            QTest::newRow(name) << kParRates << 1 << 2 << price << quantity << expected << error;
        };
        line("price text read as far as it is a number", QStringLiteral("12.5kg"), 5, 2.5);
        line("nothing over nothing", 0.0, 0.0, 0, errnum::Overflow);
        line("no quantity", 800.0, QVariant(), 0, errnum::InvalidUseOfNull);
        line("no price", QVariant(), 4.0, 0, errnum::InvalidUseOfNull);
    }
    void costOfALine()
    {
        QFETCH(QString, rates);
        QFETCH(int, vendor);
        QFETCH(int, inventory);
        QFETCH(QVariant, price);
        QFETCH(QVariant, quantity);
        QFETCH(double, expected);
        QFETCH(int, error);
        try {
            const double rate = exchangerate::comparedRate(rates, qint16(vendor), qint16(inventory));
            QCOMPARE(exchangerate::lineCostPrice(price, quantity, rate), expected);
            QCOMPARE(error, 0);
        } catch (const Error &e) {
            QCOMPARE(e.number(), error);
        }
    }

    void departmentFollowsSession_data()
    {
        QTest::addColumn<int>("sessionDepartment");
        QTest::addColumn<QString>("departments");
        QTest::newRow("working department") << 2 << "Purchase,Stores @2 locked";
        QTest::newRow("no working department: the company's") << 0 << "Purchase,Stores @1";
        QTest::newRow("not among the user's") << 3 << "Purchase,Stores @-1 locked";
    }
    void departmentFollowsSession()
    {
        QFETCH(int, sessionDepartment);
        QFETCH(QString, departments);
        auto c = entryDatabase({Bill(10).department(3), Bill(11).department(2)});
        frmlocalpurchasecosting &w = openNewCosting(c, qint16(sessionDepartment), 1);
        QCOMPARE(listed(w.cboDepartmentName()) + (w.cboDepartmentName()->isEnabled() ? "" : " locked"), departments);
        const bool chosen = !departments.contains(QLatin1String("@-1"));
        QCOMPARE(shown(), chosen ? QStringList() : QStringList{"Select Department/64"});
        if (!chosen)
            QCOMPARE(w.cboPurchNo()->listCount(), 0);
    }

    void newModeOffersOnlyOpenBills_data()
    {
        QTest::addColumn<int>("sessionDepartment");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("shops");
        QTest::addColumn<QString>("bills");
        QTest::addColumn<QString>("date"); // the short date keeps the century
        QTest::newRow("all departments") << 0 << kBritish << "Main Street,Harbour Road @1" << "B-10,B-13 @-1"
                                         << "15/03/2012";
        QTest::newRow("department 1, US dates") << 1 << QLocale(QLocale::English, QLocale::UnitedStates)
                                                << "Main Street @1" << "B-10 @-1" << "3/15/2012";
    }
    void newModeOffersOnlyOpenBills()
    {
        QFETCH(int, sessionDepartment);
        QFETCH(QLocale, locale);
        QFETCH(QString, shops);
        QFETCH(QString, bills);
        QFETCH(QString, date);
        QLocale::setDefault(locale);
        // costed, cancelled, another department, another shop, a costed bill of the third shop
        auto c = entryDatabase({Bill(10), Bill(11).costed(), Bill(12).cancelled(), Bill(13).department(2),
                                Bill(14).shop(2).department(2), Bill(15).shop(3).costed()});
        frmlocalpurchasecosting &w = openNewCosting(c, qint16(sessionDepartment), 1);
        QCOMPARE(listed(w.cboShop()), shops);
        QCOMPARE(listed(w.cboPurchNo()), bills);
        QCOMPARE(w.lbldate()->text(), date);
        QCOMPARE(w.costingDate(), kProcessDate.date());
    }

    void aliasRenamesShopCaption()
    {
        startEntrySession(entryDatabase({Bill(10)}), 0);
        moduleState().GBlnAlias = true;
        moduleState().GStrAlias1 = QStringLiteral("Store");
        entryWindow().Load();
        QCOMPARE(entryWindow().lblShop()->text(), QStringLiteral("&Store:"));
    }

    void gridShowsTheBillsLines_data()
    {
        QTest::addColumn<QString>("rates");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QStringList>("lines"); // "bill:item:quantity:price", the price for the whole quantity
        QTest::addColumn<int>("shown");         // the bill chosen after bill 10
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("error");
        const QLocale german(QLocale::German, QLocale::Germany);
        const QStringList threeLines = {"10:1:1:10", "10:2:1:20", "10:3:1:30"};
        QTest::newRow("800 / 4 at 0.0125") << kDollarBill << kBritish << QStringList{"10:1:4:800"} << 10
                                           << QStringList{"1|IT-1|Item 1|4.000|2.5|2.5|1"} << 0;
        QTest::newRow("whole cost keeps the separator") << kParRates << kBritish << QStringList{"10:1:4:100"} << 10
                                                        << QStringList{"1|IT-1|Item 1|4.000|25.|25.|1"} << 0;
        QTest::newRow("three decimals at most") << kParRates << kBritish << QStringList{"10:1:1:0.12345"} << 10
                                                << QStringList{"1|IT-1|Item 1|1.000|0.123|0.123|1"} << 0;
        QTest::newRow("comma decimals") << kDollarBill << german << QStringList{"10:1:4.5:900"} << 10
                                        << QStringList{"1|IT-1|Item 1|4,500|2,5|2,5|1"} << 0;
        QTest::newRow("second bill restarts at 1")
            << kParRates << kBritish << (threeLines + QStringList{"11:5:2:7", "11:4:1:3"}) << 11
            << QStringList{"1|IT-5|Item 5|2.000|3.5|3.5|5", "2|IT-4|Item 4|1.000|3.|3.|4"} << 0;
        QTest::newRow("bill without lines: one empty row") << kParRates << kBritish << threeLines << 11
                                                           << QStringList{"||||||"} << 0;
        QTest::newRow("quantity 0: reported, no later line")
            << kParRates << kBritish << QStringList{"10:1:2:5", "10:2:0:5", "10:3:1:5"} << 10
            << QStringList{"1|IT-1|Item 1|2.000|2.5|2.5|1", "2|IT-2|Item 2|0.000|||"} << errnum::DivisionByZero;
    }
    // Bill 10's vendor in currency 1, the inventory account in currency 2.
    void gridShowsTheBillsLines()
    {
        QFETCH(QString, rates);
        QFETCH(QLocale, locale);
        QFETCH(QStringList, lines);
        QFETCH(int, shown);
        QFETCH(QStringList, rows);
        QFETCH(int, error);
        QLocale::setDefault(locale);
        auto c = entryDatabase({Bill(10).rates(rates), Bill(11)}, 2);
        for (const QString &line : lines) {
            const QStringList f = line.split(QLatin1Char(':'));
            addBillLine(c, f[0].toInt(), 1, f[1].toInt(), f[2].toDouble(), f[3].toDouble());
        }
        frmlocalpurchasecosting &w = openNewCosting(c, 0, 1, 10);
        if (shown != 10) {
            QCOMPARE(w.mfgSplitDetails()->rows(), 4);
            w.cboPurchNo()->selectByValue(shown);
        }
        QCOMPARE(gridRows(w.mfgSplitDetails()), rows);
        // Choosing a shop again leaves the grid as it is.
        w.cboShop()->setListIndex(0);
        QCOMPARE(gridRows(w.mfgSplitDetails()), rows);
        if (error) {
            QCOMPARE(m_errors->size(), 1);
            const ReportedError e = m_errors->takeFirst();
            QCOMPARE(QStringLiteral("%1/%2/%3/%4").arg(e.window, e.procedure, e.mode).arg(e.number),
                     QStringLiteral("frmlocalpurchasecosting/cboPurchNo_Click /N/%1").arg(error));
        }
    }

    // A stored layout applies only when it describes the seven columns the save reads by number.
    void savedLayoutDefinesColumns_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("firstId");
        QTest::addColumn<bool>("applied");
        QTest::newRow("seven") << 7 << 0 << true;
        QTest::newRow("eight") << 8 << 0 << false;
        QTest::newRow("six") << 6 << 0 << false;
        QTest::newRow("seven numbered from 1") << 7 << 1 << false;
    }
    void savedLayoutDefinesColumns()
    {
        QFETCH(int, columns);
        QFETCH(int, firstId);
        QFETCH(bool, applied);
        auto c = entryDatabase({Bill(10)});
        // names matched without case and outer blanks; another grid's layout left alone
        addGridLayout(c, 4, QStringLiteral(" LocalPurchaseCosting "), QStringLiteral("MFGSPLITDETAILS"),
                      QStringLiteral("frmLocalPurchaseCosting "));
        addGridLayout(c, 5, QStringLiteral("localpurchase"), QStringLiteral("mfgSplitDetails"), QStringLiteral("frmlocalpurchasecosting"));
        for (int col = firstId; col < firstId + columns; ++col)
            addLayoutColumn(c, 4, col, QStringLiteral("Column %1").arg(col), 1000 + col, col % 9);
        addLayoutColumn(c, 5, 0, QStringLiteral("Other grid"), 700, 1);
        addBillLine(c, 10, 1, 3, 2.0, 9.0);
        const FlexGrid *grid = openNewCosting(c, 0, 1, 10).mfgSplitDetails();
        QCOMPARE(grid->cols(), 7);
        if (applied) {
            for (int col = 0; col < columns; ++col) {
                QCOMPARE(grid->textMatrix(0, col), QStringLiteral("Column %1").arg(col));
                QCOMPARE(grid->colWidth(col), 1000 + col);
                QCOMPARE(grid->colAlignment(col), col % 9);
            }
        } else {
            QCOMPARE(grid->textMatrix(0, 2).trimmed(), QStringLiteral("Item Description"));
            QCOMPARE(grid->textMatrix(0, 3).trimmed(), QStringLiteral("Bill Quantity"));
            // The item code, the bill's unit price and the item id are hidden.
            const QVector<int> widths = {grid->colWidth(1), grid->colWidth(2), grid->colWidth(3), grid->colWidth(4),
                                         grid->colWidth(5), grid->colWidth(6)};
            QCOMPARE(widths, (QVector<int>{0, 5870, 3500, 3500, 0, 0}));
            QVERIFY(grid->colWidth(0) > 0);
        }
        QCOMPARE(grid->textMatrix(1, 6), QStringLiteral("3"));
        QCOMPARE(grid->textMatrix(1, 4), QStringLiteral("4.5"));
        QCOMPARE(grid->textMatrix(1, 5), QStringLiteral("4.5"));
    }

    // Bill ids repeat across shops: each bill is converted at its own rates.
    void ratesAreTheBillsOfItsOwnShop_data()
    {
        QTest::addColumn<int>("shop");
        QTest::addColumn<QString>("price");
        QTest::newRow("shop 1's bill in dollars") << 1 << "2.5";
        QTest::newRow("shop 2's bill in the inventory currency") << 2 << "200.";
    }
    void ratesAreTheBillsOfItsOwnShop()
    {
        QFETCH(int, shop);
        QFETCH(QString, price);
        auto c = entryDatabase({Bill(10).shop(2).rates(QStringLiteral("2:-1:")), Bill(10).rates(kDollarBill)}, 2);
        addBillLine(c, 10, shop, 1, 4.0, 800.0);
        const FlexGrid *grid = openNewCosting(c, 0, shop, 10).mfgSplitDetails();
        QCOMPARE(grid->textMatrix(1, 4), price);
    }

    // Another company's settings come first in the table; the session's company's apply.
    void settingsAreTheSessionCompanys()
    {
        auto c = entryDatabase({Bill(10).rates(kDollarBill)}, 2);
        addSettings(c, Settings(0).backDays({}).inventory(3001).goodsInTransit(3002).department(2));
        addAccount(c, 3001, QStringLiteral("Other"), 0, 1);
        addBillLine(c, 10, 1, 1, 4.0, 800.0);
        frmlocalpurchasecosting &w = openNewCosting(c, 0, 1, 10);
        QCOMPARE(listed(w.cboDepartmentName()), QStringLiteral("Purchase,Stores @1"));
        QCOMPARE(w.mfgSplitDetails()->textMatrix(1, 4), QStringLiteral("2.5"));
    }

    void serialNumbersRunPast32767()
    {
        auto c = entryDatabase({Bill(10)});
        c->executeNativeScript(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 32770) "
            "INSERT INTO losLocalPurchaseDetail (lpdbillid, lpdShopId, lpditemid, lpditemquantity, lpditemunitprice) "
            "SELECT 10, 1, 1 + i % 5, 1, 2 FROM n;"));
        const FlexGrid *grid = openNewCosting(c, 0, 1, 10).mfgSplitDetails();
        QCOMPARE(grid->rows(), 32771);
        QCOMPARE(grid->textMatrix(32770, 0), QStringLiteral("32770"));
    }

    void linesComeInRowguidOrder_data()
    {
        QTest::addColumn<bool>("withRowguid");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("rowguid column") << true << QStringList{"2", "3", "1"};
        QTest::newRow("no rowguid column") << false << QStringList{"3", "2", "1"};
    }
    void linesComeInRowguidOrder()
    {
        QFETCH(bool, withRowguid);
        QFETCH(QStringList, items);
        auto c = entryDatabase({Bill(10)});
        if (!withRowguid)
            c->executeNativeScript(QStringLiteral(
                "DROP TABLE losLocalPurchaseDetail; CREATE TABLE losLocalPurchaseDetail (lpdbillid INTEGER, lpdShopId INTEGER, "
                "lpditemid INTEGER, lpditemquantity FLOAT, lpditemunitprice FLOAT);"));
        // items 3, 2, 1 written in that order, their rowguids sorting as 2, 3, 1
        const char *guids[] = {"B0000000-0000-0000-0000-000000000000", "A0000000-0000-0000-0000-000000000000",
                               "C0000000-0000-0000-0000-000000000000"};
        for (int i = 0; i < 3; ++i) {
            if (withRowguid)
                addBillLine(c, 10, 1, 3 - i, 1.0, 1.0, QString::fromLatin1(guids[i]));
            else
                c->execute(QStringLiteral("insert into losLocalPurchaseDetail values (10, 1, ?, 1, 1)"), {3 - i});
        }
        QStringList seen;
        for (const QString &row : gridRows(openNewCosting(c, 0, 1, 10).mfgSplitDetails()))
            seen << row.section(QLatin1Char('|'), 6);
        QCOMPARE(seen, items);
    }

    void toolTipShowsTheCellUnderTheMouse()
    {
        auto c = entryDatabase({Bill(10)});
        addBillLine(c, 10, 1, 2, 3.0, 6.0);
        frmlocalpurchasecosting &w = openNewCosting(c, 0, 1, 10);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        FlexGrid *grid = w.mfgSplitDetails();
        const QPoint pos = grid->visualRect(grid->model()->index(0, 2)).center();
        QMouseEvent move(QEvent::MouseMove, pos, grid->viewport()->mapToGlobal(pos), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(grid->viewport(), &move);
        QCOMPARE(grid->toolTipText(), QStringLiteral("Item 2"));
    }

    void keysMoveTheFocus_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("key"); // Enter alone, any other key with Alt
        QTest::addColumn<bool>("shopDisabled");
        QTest::addColumn<QString>("to");
        const int enter = Qt::Key_Return;
        QTest::newRow("Enter on shop") << "cboShop" << enter << false << "cboPurchNo";
        QTest::newRow("Enter on bill") << "cboPurchNo" << enter << false << "cmdPurchaseNoPreview";
        QTest::newRow("Enter on remarks") << "txtremarks" << enter << false << "chkFix";
        QTest::newRow("Enter on cost fix") << "chkFix" << enter << false << "cmdok";
        QTest::newRow("Alt+L details frame") << "chkFix" << int(Qt::Key_L) << false << "mfgSplitDetails";
        QTest::newRow("Alt+S, shop list disabled: next that can") << "chkFix" << int(Qt::Key_S) << true << "cboPurchNo";
    }
    void keysMoveTheFocus()
    {
        QFETCH(QString, from);
        QFETCH(int, key);
        QFETCH(bool, shopDisabled);
        QFETCH(QString, to);
        frmlocalpurchasecosting &w = openNewCosting(entryDatabase({Bill(10)}), 1, 1, 10);
        w.cboShop()->setEnabled(!shopDisabled);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QWidget *start = w.findChild<QWidget *>(from);
        start->setFocus();
        if (key == Qt::Key_Return)
            QTest::keyClick(start, Qt::Key_Return);
        else
            QTest::keyClick(&w, Qt::Key(key), Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), to);
        QVERIFY(w.isVisible());
    }

    // A costing in dollars (rate 0.0125) opened from the register.
    void editOpensTheSavedCosting()
    {
        auto c = entryDatabase({Bill(21).shop(2).department(2)}, 2);
        addCostedBill(c, Bill(20).shop(2).department(2).rates(kDollarBill),
                      Costing(7).detail(1, 4.0, 2.5, 2.75).detail(3, 1.5, 0.1234, 0.5));
        QStringList seen;
        int pointer = 0;
        FrmMaster &master = editCosting(c, [&seen, &pointer](frmlocalpurchasecosting &entry) {
            seen << listed(entry.cboPurchNo()) << listed(entry.cboDepartmentName()) << gridRows(entry.mfgSplitDetails())
                 << controls(entry) << entry.txtremarks()->text() << entry.lbldate()->text()
                 << entry.costingDate().toString(Qt::ISODate);
            pointer = mousePointer(&frmMaster());
            QTest::keyClick(&entry, Qt::Key_Escape);
        });
        QCOMPARE(entryModeLetter(), QStringLiteral("E"));
        // Only its bill, every department; the stored bill price unscaled, the costed price as stored.
        QCOMPARE(seen, (QStringList{"B-20 @20", "Purchase,Stores,Imports,Branch @2", "1|IT-1|Item 1|4.000|2.75|2.5|1",
                                    "2|IT-3|Item 3|1.500|0.5|0.123|3", "enabled 0011, fixed 0", "checked", "10/03/2012",
                                    "2012-03-10"}));
        QCOMPARE(pointer, int(MousePointer::Hourglass));
        QVERIFY(!entryWindow().isVisible());
        QVERIFY(m_messages->isEmpty());
        QCOMPARE(mousePointer(&master), int(MousePointer::Default));
        QCOMPARE(master.FlexFlag, QStringLiteral("Done"));
    }

    // Lines load in the order they were first saved; one without a cost price loads empty and
    // the save names it.
    void editLoadsEveryLineInSavedOrder()
    {
        auto c = entryDatabase();
        addCostedBill(c, Bill(20).shop(2), Costing(7).detail(1, 1.0, 2.0, 2.0).detail(2, 2.0, {}, {}).detail(3, 3.0, 4.0, 4.0));
        // Stored out of detail-id order.
        c->execute(QStringLiteral("update loaLocalPurchaseCostingDetail set lpcddetailid=lpcddetailid+1000 where lpcditemid=1"));
        QStringList rows;
        editCosting(c, [&rows](frmlocalpurchasecosting &entry) {
            rows = gridRows(entry.mfgSplitDetails());
            entry.cmdok()->click();
            entry.done(QDialog::Rejected);
        });
        QCOMPARE(rows, (QStringList{"1|IT-2|Item 2|2.000|||2", "2|IT-3|Item 3|3.000|4|4.|3", "3|IT-1|Item 1|1.000|2|2.|1"}));
        QCOMPARE(shown(), QStringList{"Enter cost price for all items/64"});
    }

    // An Edit that fails before the window shows must not leave it loaded for the next opening.
    void failedEditLeavesNothingForTheNextOpening()
    {
        auto c = entryDatabase({Bill(30)});
        addCostedBill(c, Bill(20).shop(2), Costing(7).detail(1, 1.0, 2.0, 2.0));
        addBillLine(c, 30, 1, 4, 1.0, 8.0);
        startSession(c, 1, 0, kProcessDate);
        frmMaster().Form_Load();
        frmMaster().show();
        // The window has loaded when the edit refills its departments; that refill fails.
        c->setStatementObserver([](const QString &sql, const QVariantList &) {
            if (sql.contains(QLatin1String("from adepartmentmaster"), Qt::CaseInsensitive) && !sql.contains(QLatin1String("aUserDeptDetails")))
                throw Error(errnum::Timeout, QStringLiteral("injected"));
        });
        frmMaster().CmdEdit()->click();
        c->setStatementObserver({});
        QCOMPARE(m_errors->size(), 1);
        QCOMPARE(m_errors->takeFirst().procedure, QStringLiteral("CmdEdit_Click "));
        QVERIFY(!entryWindow().isLoaded());

        setEntryMode(QStringLiteral("N"));
        frmlocalpurchasecosting &w = entryWindow();
        w.Load();
        QCOMPARE(listed(w.cboShop()), QStringLiteral("Main Street @-1"));
        QCOMPARE(w.lbldate()->text(), QStringLiteral("15/03/2012"));
    }

    void closingAnEditedCosting_data()
    {
        QTest::addColumn<int>("storedDone");
        QTest::addColumn<bool>("registerSaysDone");
        QTest::addColumn<QString>("controls"); // as opened
        QTest::addColumn<QString>("typed");    // replaces the remarks; null: nothing typed
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("after"); // "closed", or the remarks of the window left open
        const QString editable = QStringLiteral("enabled 0011, fixed 0");
        const QStringList asked = {QStringLiteral("Save Changes?/35")};
        const int yes = MsgBoxAnswer::Yes;
        // Nothing can be saved in a fixed costing, so closing asks nothing.
        QTest::newRow("fixed costing") << 1 << true << "enabled 0000, fixed 1" << "again" << yes << QStringList() << "closed";
        QTest::newRow("only the register's row says fixed") << 0 << true << "enabled 0010, fixed 0" << "again" << yes
                                                            << QStringList() << "closed";
        QTest::newRow("unchanged") << 0 << false << editable << QString() << yes << QStringList() << "closed";
        QTest::newRow("changed, Cancel") << 0 << false << editable << "checked twice" << int(MsgBoxAnswer::Cancel) << asked
                                         << "open: checked twice";
        QTest::newRow("changed, No") << 0 << false << editable << "checked twice" << int(MsgBoxAnswer::No) << asked << "closed";
        QTest::newRow("blanked, Yes: the save refuses") << 0 << false << editable << "  " << yes
                                                       << (asked + QStringList{"Enter remarks/64"}) << "open:   ";
    }
    void closingAnEditedCosting()
    {
        QFETCH(int, storedDone);
        QFETCH(bool, registerSaysDone);
        QFETCH(QString, controls);
        QFETCH(QString, typed);
        QFETCH(int, answer);
        QFETCH(QStringList, messages);
        QFETCH(QString, after);
        auto c = entryDatabase({Bill(30)});
        addCostedBill(c, Bill(20).shop(2), Costing(7).done(storedDone).detail(1, 1.0, 2.0, 2.0));
        addBillLine(c, 30, 1, 4, 1.0, 8.0);
        m_answer = answer;
        QString opened, seenAfter, flexFlag = QStringLiteral("untouched");
        editCosting(c, [&](frmlocalpurchasecosting &entry) {
            opened = ::controls(entry);
            if (!typed.isNull()) {
                entry.txtremarks()->selectAll();
                QTest::keyClicks(entry.txtremarks(), typed);
            }
            entry.cmdClose()->click();
            seenAfter = entry.isVisible() ? "open: " + entry.txtremarks()->text() : QStringLiteral("closed");
            flexFlag = frmMaster().FlexFlag;
        }, registerSaysDone ? QStringLiteral("Yes") : QString());
        QCOMPARE(opened, controls);
        QCOMPARE(seenAfter, after);
        QCOMPARE(flexFlag, QString());
        QCOMPARE(shown(), messages);
        QCOMPARE(queryValue(c, QStringLiteral("select lpchremarks from loaLocalPurchaseCostingHeader where lpchcostingid=7")),
                 QVariant(QStringLiteral("checked")));

        if (after != QLatin1String("closed"))
            return; // the test closed the window past its own closing
        // The next new costing starts afresh.
        setEntryMode(QStringLiteral("N"));
        frmlocalpurchasecosting &w = entryWindow();
        w.Load();
        w.cboShop()->selectByValue(1);
        w.cboPurchNo()->selectByValue(30);
        QCOMPARE(QStringList(::controls(w)) << w.txtremarks()->text() << gridRows(w.mfgSplitDetails()),
                 (QStringList{"enabled 1111, fixed 0", "", "1|IT-4|Item 4|1.000|8.|8.|4"}));
    }
};

QTEST_MAIN(TestEntry)
#include "tst_entry.moc"
