#include "controls/busycursor.h"
#include "controls/combobox.h"
#include "controls/flexgrid.h"
#include "controls/messagebox.h"
#include "db/error.h"
#include "entry/exchangerate.h"
#include "entry/frmlocalpurchasecosting.h"
#include "guisupport.h"
#include "register/frmmaster.h"
#include "shell/session.h"
#include "shell/windows.h"
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

const QDateTime kProcessDate(QDate(2012, 3, 15), QTime(10, 0));
// Dates day first, numbers with a decimal point.
const QLocale kBritish(QLocale::English, QLocale::UnitedKingdom);
const QString kSameCurrency = QStringLiteral("1:2:-1:1:");
const QString kDollarBill = QStringLiteral("1:2:-1:0.0125:");

// Settings, the user's departments (1 and 2 of company 1, 9 of company 2), three shops, a
// vendor in currency 1 and one in currency 2, five items, and the register's captions.
ConnectionPtr entryDatabase(int inventoryCurrency = 1)
{
    auto c = openNewDatabase();
    const auto run = [&c](const QString &sql, const QVariantList &params = {}) { c->execute(sql, params); };
    run(QStringLiteral("insert into aPackageSettings (companyid, backNoofDays, inventoryid, GoodsInTransitID, "
                       "CompanyDepartment, Alias) values (1, 30, 1001, 1002, 1, 0)"));
    run(QStringLiteral("insert into aAccountMaster (accountid, accountname, companyid, currencyid) values (1001, 'Inventory', 1, ?)"),
        {inventoryCurrency});
    run(QStringLiteral("insert into aUsers (userid, username) values (1, 'ADMIN')"));
    run(QStringLiteral("insert into aUserRights (userid, interfaceid, functionrights) values (1, 2011, 'NEDP')"));
    const QStringList departments = {QStringLiteral("Purchase"), QStringLiteral("Stores"), QStringLiteral("Imports")};
    for (int i = 0; i < departments.size(); ++i)
        run(QStringLiteral("insert into aDepartmentMaster (DepartmentID, DepartmentName, Companyid) values (?, ?, 1)"),
            {i + 1, departments[i]});
    run(QStringLiteral("insert into aDepartmentMaster (DepartmentID, DepartmentName, Companyid) values (9, 'Branch', 2)"));
    for (const auto &[department, company] : {std::pair{1, 1}, std::pair{2, 1}, std::pair{9, 2}})
        run(QStringLiteral("insert into aUserDeptDetails (userid, DeptID, Companyid) values (1, ?, ?)"), {department, company});
    const QStringList shops = {QStringLiteral("Main Street"), QStringLiteral("Harbour Road"), QStringLiteral("Hill Top")};
    for (int i = 0; i < shops.size(); ++i)
        run(QStringLiteral("insert into aShops (ShopId, shopname, companyid) values (?, ?, 1)"), {i + 1, shops[i]});
    run(QStringLiteral("insert into aVendorMaster (VendorID, vendorname, CurrencyID, companyid) values (1, 'Local Traders', 1, 1)"));
    run(QStringLiteral("insert into aVendorMaster (VendorID, vendorname, CurrencyID, companyid) values (2, 'Gulf Imports', 2, 1)"));
    for (int i = 1; i <= 5; ++i)
        run(QStringLiteral("insert into aItem (itemid, itemcode, itemdescription, itemrate) values (?, ?, ?, 1)"),
            {i, QStringLiteral("IT-%1").arg(i), QStringLiteral("Item %1").arg(i)});
    run(QStringLiteral("insert into aTables (tableid, tablename) values (1, 'loalocalpurchasecostingheader')"));
    const QStringList captions = {"Costing Id", "Costing No", "Costing Date", "Shop Name", "Bill No", "Bill Amount",
                                  "Cancelled", "Costing Done"};
    for (int i = 0; i < captions.size(); ++i)
        run(QStringLiteral("insert into aTableColumns (tableid, columnid, columnname, ColumnHeader) values (1, ?, ?, ?)"),
            {i + 1, QStringLiteral("c%1").arg(i), captions[i]});
    return c;
}

struct Bill {
    int id;
    int shop = 1;
    int department = 1;
    int costed = 0;
    int cancelled = 0;
    int vendor = 1;
    QVariant rates = kSameCurrency;
};

// Bill numbers are "B-" and the id.
void addBill(const ConnectionPtr &c, const Bill &b)
{
    c->execute(QStringLiteral("insert into losLocalPurchaseHeader (lphBillID, lphShopID, lphBillNo, lphBillAmount, lphVendorID, "
                              "lphCompanyID, lphDepartmentID, lphcosted, lphcancelled, lphConfirmed, lphexchangerates) "
                              "values (?, ?, ?, 100, ?, 1, ?, ?, ?, 1, ?)"),
               {b.id, b.shop, QStringLiteral("B-%1").arg(b.id), b.vendor, b.department, b.costed, b.cancelled, b.rates});
}

// `price` is the line's price in the vendor's currency, for the whole quantity.
void addLine(const ConnectionPtr &c, int bill, int shop, int item, const QVariant &quantity, double price,
             const QVariant &rowguid = QVariant())
{
    c->execute(QStringLiteral("insert into losLocalPurchaseDetail (lpdbillid, lpdShopId, lpditemid, lpditemquantity, "
                              "lpditemunitprice, rowguid) values (?, ?, ?, ?, ?, ?)"),
               {bill, shop, item, quantity, price, rowguid});
}

struct Detail {
    int item;
    double quantity;
    double billPrice;
    double costedPrice;
};

void addCosting(const ConnectionPtr &c, int id, const Bill &bill, int done, const QVector<Detail> &details)
{
    addBill(c, bill);
    c->execute(QStringLiteral("update losLocalPurchaseHeader set lphcosted=1 where lphBillID=?"), {bill.id});
    c->execute(QStringLiteral("insert into loaLocalPurchaseCostingHeader (lpchcostingid, lpchcostingno, lpchdate, lpchcompanyid, "
                              "lpchshopid, lpchbillid, lpchDepartmentid, lpchremarks, lpchCostingDone, lpchcancelled) "
                              "values (?, ?, '2012/03/10', 1, ?, ?, ?, 'checked', ?, 0)"),
               {id, QStringLiteral("LPC-%1").arg(id), bill.shop, bill.id, bill.department, done});
    int detailId = int(queryValue(c, QStringLiteral("select isnull(max(lpcddetailid),0) from loaLocalPurchaseCostingDetail")).toInt());
    for (const Detail &d : details)
        c->execute(QStringLiteral("insert into loaLocalPurchaseCostingDetail (lpcddetailid, lpcdcostingid, lpcditemid, lpcditemqty, "
                                  "lpcdbillunitprice, lpcdcostedprice) values (?, ?, ?, ?, ?, ?)"),
                   {++detailId, id, d.item, d.quantity, d.billPrice, d.costedPrice});
}

// The shared objects the register creates on load, for a window opened as the pending bills do.
void startEntrySession(const ConnectionPtr &c, qint16 department)
{
    startSession(c, 1, department, kProcessDate);
    moduleState().GObjFormTheme = createServiceAs<clsFormTheme>(servicenames::FormTheme);
    moduleState().GObjAuditTrail = createServiceAs<clsAuditTrail>(servicenames::AuditTrail);
}

// What a double-click in the pending bills does before it shows the window.
frmlocalpurchasecosting &openNew(const ConnectionPtr &c, qint16 department, int shop, int bill = 0)
{
    startEntrySession(c, department);
    moduleState().GStrMasterNewEditFlag = QStringLiteral("N");
    frmlocalpurchasecosting &w = entryWindow();
    w.Load();
    w.cboShop()->selectByValue(shop);
    if (bill > 0)
        w.cboPurchNo()->selectByValue(bill);
    return w;
}

FrmMaster &openRegisterOn(const ConnectionPtr &c, int costingId, qint16 department = 0)
{
    startSession(c, 1, department, kProcessDate);
    FrmMaster &master = frmMaster();
    master.Form_Load();
    master.show();
    FlexGrid *grid = master.FlexMaster();
    for (int r = 1; r < grid->rows(); ++r) {
        if (grid->textMatrix(r, 0) == QString::number(costingId))
            grid->setRow(r);
    }
    return master;
}

// Runs `whileOpen` once the entry window is the modal window; closes it afterwards if the
// steps left it open, so that a failed check cannot hang the test.
void whileEntryIsModal(const std::function<void(frmlocalpurchasecosting &)> &whileOpen)
{
    auto *probe = new QTimer;
    QObject::connect(probe, &QTimer::timeout, [probe, whileOpen] {
        frmlocalpurchasecosting &entry = entryWindow();
        if (QApplication::activeModalWidget() != &entry)
            return;
        probe->stop();
        probe->deleteLater();
        whileOpen(entry);
        if (entry.isVisible())
            entry.done(QDialog::Rejected);
    });
    probe->start(5);
}

QStringList comboTexts(const ComboBox *combo)
{
    QStringList texts;
    for (int i = 0; i < combo->listCount(); ++i)
        texts << combo->itemText(i);
    return texts;
}

qint32 selectedId(const ComboBox *combo)
{
    return combo->listIndex() < 0 ? -1 : combo->itemData(combo->listIndex());
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

} // namespace

class TestEntry : public QObject {
    Q_OBJECT

private:
    std::shared_ptr<QVector<ReportedError>> m_errors;
    std::shared_ptr<QVector<ShownMessage>> m_messages;
    int m_answer = MsgBoxAnswer::Ok;

private slots:
    void init()
    {
        m_errors = recordErrors();
        m_answer = MsgBoxAnswer::Ok;
        m_messages = answerMessages([this](const ShownMessage &) { return m_answer; });
        QLocale::setDefault(kBritish);
    }
    void cleanup()
    {
        resetModule();
        QLocale::setDefault(QLocale::c());
    }

    void exchangeRate_data()
    {
        QTest::addColumn<QString>("rates");
        QTest::addColumn<int>("vendor");
        QTest::addColumn<int>("inventory");
        QTest::addColumn<double>("expected");
        QTest::newRow("dollar bill into rupees") << kDollarBill << 1 << 2 << 0.0125;
        QTest::newRow("the other way round") << kDollarBill << 2 << 1 << 80.0;
        QTest::newRow("same currency") << kDollarBill << 2 << 2 << 1.0;
        QTest::newRow("empty text") << QString() << 1 << 2 << 1.0;
        QTest::newRow("blank text") << QStringLiteral("   ") << 1 << 2 << 1.0;
        QTest::newRow("vendor currency not listed") << kDollarBill << 3 << 2 << 1.0;
        QTest::newRow("inventory currency not listed") << kDollarBill << 1 << 3 << 1.0;
        QTest::newRow("vendor rate 0") << QStringLiteral("1:2:-0:0.0125:") << 1 << 2 << 1.0;
        QTest::newRow("inventory rate 0") << QStringLiteral("1:2:-4:0:") << 1 << 2 << 1.0;
        QTest::newRow("later entry wins") << QStringLiteral("1:2:1:-1:2:4:") << 2 << 1 << 2.0;
        QTest::newRow("element after the last colon ignored") << QStringLiteral("1:2:7-1:0.5:9") << 1 << 2 << 0.5;
        QTest::newRow("blanks around numbers") << QStringLiteral(" 1 : 2 :- 2 : 3 :") << 1 << 2 << 1.5;
    }
    void exchangeRate()
    {
        QFETCH(QString, rates);
        QFETCH(int, vendor);
        QFETCH(int, inventory);
        QFETCH(double, expected);
        QCOMPARE(exchangerate::comparedRate(rates, qint16(vendor), qint16(inventory)), expected);
    }

    void malformedRateTextFails_data()
    {
        QTest::addColumn<QString>("rates");
        QTest::addColumn<int>("number");
        QTest::newRow("no rate list") << QStringLiteral("1:2:") << int(errnum::SubscriptOutOfRange);
        QTest::newRow("rate missing for a listed id") << QStringLiteral("1:2:-1:") << int(errnum::SubscriptOutOfRange);
        QTest::newRow("id not a number") << QStringLiteral("USD:2:-1:2:") << int(errnum::TypeMismatch);
        QTest::newRow("rate not a number") << QStringLiteral("1:2:-one:2:") << int(errnum::TypeMismatch);
        QTest::newRow("id beyond 16 bits") << QStringLiteral("70000:2:-1:2:") << int(errnum::Overflow);
    }
    void malformedRateTextFails()
    {
        QFETCH(QString, rates);
        QFETCH(int, number);
        try {
            exchangerate::comparedRate(rates, 1, 2);
            QFAIL("the rate text was accepted");
        } catch (const Error &e) {
            QCOMPARE(e.number(), number);
        }
    }

    void lineCostPrice_data()
    {
        QTest::addColumn<QVariant>("price");
        QTest::addColumn<QVariant>("quantity");
        QTest::addColumn<double>("expected");
        QTest::addColumn<int>("error");
        QTest::newRow("number") << QVariant(800.0) << QVariant(4.0) << 200.0 << 0;
        QTest::newRow("text read as far as it is a number") << QVariant(QStringLiteral("12.5kg")) << QVariant(5) << 2.5 << 0;
        QTest::newRow("quantity 0") << QVariant(800.0) << QVariant(0.0) << 0.0 << int(errnum::DivisionByZero);
        QTest::newRow("nothing over nothing") << QVariant(0.0) << QVariant(0.0) << 0.0 << int(errnum::Overflow);
        QTest::newRow("no quantity") << QVariant(800.0) << QVariant() << 0.0 << int(errnum::InvalidUseOfNull);
        QTest::newRow("no price") << QVariant() << QVariant(4.0) << 0.0 << int(errnum::InvalidUseOfNull);
    }
    void lineCostPrice()
    {
        QFETCH(QVariant, price);
        QFETCH(QVariant, quantity);
        QFETCH(double, expected);
        QFETCH(int, error);
        try {
            QCOMPARE(exchangerate::lineCostPrice(price, quantity, 1.0), expected);
            QCOMPARE(error, 0);
        } catch (const Error &e) {
            QCOMPARE(e.number(), error);
        }
    }

    void departmentFollowsSession_data()
    {
        QTest::addColumn<int>("sessionDepartment");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("working department") << 2 << 2 << false;
        QTest::newRow("no working department: the company's") << 0 << 1 << true;
        QTest::newRow("not among the user's") << 3 << -1 << false;
    }
    void departmentFollowsSession()
    {
        QFETCH(int, sessionDepartment);
        QFETCH(int, selected);
        QFETCH(bool, enabled);
        auto c = entryDatabase();
        addBill(c, {10, 1, 3});
        addBill(c, {11, 1, 2});
        frmlocalpurchasecosting &w = openNew(c, qint16(sessionDepartment), 1);
        QCOMPARE(comboTexts(w.cboDepartmentName()), (QStringList{"Purchase", "Stores"}));
        QCOMPARE(selectedId(w.cboDepartmentName()), selected);
        QCOMPARE(w.cboDepartmentName()->isEnabled(), enabled);
        if (selected < 0) {
            QCOMPARE(m_messages->size(), 1);
            QCOMPARE(m_messages->first().text, QStringLiteral("Select Department"));
            QCOMPARE(m_messages->first().style, 64);
            QCOMPARE(m_messages->first().title, QStringLiteral("Local Purchase Costing"));
            QCOMPARE(w.cboPurchNo()->listCount(), 0);
        } else {
            QVERIFY(m_messages->isEmpty());
        }
        QVERIFY(m_errors->isEmpty());
    }

    void newModeOffersOnlyOpenBills_data()
    {
        QTest::addColumn<int>("sessionDepartment");
        QTest::addColumn<QStringList>("shops");
        QTest::addColumn<QStringList>("bills");
        QTest::newRow("all departments") << 0 << QStringList{"Main Street", "Harbour Road"} << QStringList{"B-10", "B-13"};
        QTest::newRow("department 1") << 1 << QStringList{"Main Street"} << QStringList{"B-10"};
    }
    void newModeOffersOnlyOpenBills()
    {
        QFETCH(int, sessionDepartment);
        QFETCH(QStringList, shops);
        QFETCH(QStringList, bills);
        auto c = entryDatabase();
        addBill(c, {10, 1, 1});
        addBill(c, {11, 1, 1, 1});
        addBill(c, {12, 1, 1, 0, 1});
        addBill(c, {13, 1, 2});
        addBill(c, {14, 2, 2});
        addBill(c, {15, 3, 1, 1});
        frmlocalpurchasecosting &w = openNew(c, qint16(sessionDepartment), 1);
        QCOMPARE(comboTexts(w.cboShop()), shops);
        QCOMPARE(comboTexts(w.cboPurchNo()), bills);
        QCOMPARE(w.cboPurchNo()->listIndex(), -1);
        QCOMPARE(w.lbldate()->text(), QStringLiteral("15/03/2012"));
        QCOMPARE(w.costingDate(), kProcessDate.date());
        QVERIFY(m_errors->isEmpty());
    }

    void shortDateKeepsTheCentury()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        auto c = entryDatabase();
        addBill(c, {10});
        frmlocalpurchasecosting &w = openNew(c, 0, 1);
        QCOMPARE(w.lbldate()->text(), QStringLiteral("3/15/2012"));
        QCOMPARE(w.costingDate(), QDate(2012, 3, 15));
    }

    void aliasRenamesShopCaption()
    {
        auto c = entryDatabase();
        addBill(c, {10});
        startEntrySession(c, 0);
        moduleState().GBlnAlias = true;
        moduleState().GStrAlias1 = QStringLiteral("Store");
        moduleState().GStrMasterNewEditFlag = QStringLiteral("N");
        entryWindow().Load();
        QCOMPARE(entryWindow().lblShop()->text(), QStringLiteral("&Store:"));
    }

    void costPricesInInventoryCurrency_data()
    {
        QTest::addColumn<QVariant>("rates");
        QTest::addColumn<int>("vendor");
        QTest::addColumn<int>("inventoryCurrency");
        QTest::addColumn<double>("quantity");
        QTest::addColumn<double>("price");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("row");
        const QLocale c = kBritish;
        QTest::newRow("800 / 4 at 0.0125") << QVariant(kDollarBill) << 1 << 2 << 4.0 << 800.0 << c << "1|IT-1|Item 1|4.000|2.5|2.5|1";
        QTest::newRow("whole cost keeps the separator") << QVariant(kSameCurrency) << 1 << 1 << 4.0 << 100.0 << c
                                                        << "1|IT-1|Item 1|4.000|25.|25.|1";
        QTest::newRow("three decimals at most") << QVariant(kSameCurrency) << 1 << 1 << 1.0 << 0.12345 << c
                                                << "1|IT-1|Item 1|1.000|0.123|0.123|1";
        QTest::newRow("empty rate text") << QVariant(QString("")) << 1 << 2 << 4.0 << 800.0 << c << "1|IT-1|Item 1|4.000|200.|200.|1";
        QTest::newRow("vendor currency not on the bill") << QVariant(QStringLiteral("2:3:-1:5:")) << 1 << 2 << 4.0 << 800.0 << c
                                                         << "1|IT-1|Item 1|4.000|200.|200.|1";
        QTest::newRow("vendor rate 0") << QVariant(QStringLiteral("1:2:-0:0.0125:")) << 1 << 2 << 4.0 << 800.0 << c
                                       << "1|IT-1|Item 1|4.000|200.|200.|1";
        QTest::newRow("comma decimals") << QVariant(kDollarBill) << 1 << 2 << 4.5 << 900.0 << QLocale(QLocale::German, QLocale::Germany)
                                        << "1|IT-1|Item 1|4,500|2,5|2,5|1";
    }
    void costPricesInInventoryCurrency()
    {
        QFETCH(QVariant, rates);
        QFETCH(int, vendor);
        QFETCH(int, inventoryCurrency);
        QFETCH(double, quantity);
        QFETCH(double, price);
        QFETCH(QLocale, locale);
        QFETCH(QString, row);
        QLocale::setDefault(locale);
        auto c = entryDatabase(inventoryCurrency);
        Bill bill{10};
        bill.vendor = vendor;
        bill.rates = rates;
        addBill(c, bill);
        addLine(c, 10, 1, 1, quantity, price);
        frmlocalpurchasecosting &w = openNew(c, 0, 1, 10);
        QCOMPARE(gridRows(w.mfgSplitDetails()), QStringList{row});
        QCOMPARE(moduleState().GStrExchangeRates, rates.toString());
        QVERIFY(!w.txtcostprice()->isVisibleTo(&w));
        QVERIFY(!w.txtcostprice()->isEnabled());
        QVERIFY(m_errors->isEmpty());
    }

    void defaultColumnLayout()
    {
        auto c = entryDatabase();
        frmlocalpurchasecosting &w = openNew(c, 0, 1);
        const FlexGrid *grid = w.mfgSplitDetails();
        QCOMPARE(grid->rows(), 1);
        QCOMPARE(grid->cols(), 7);
        QCOMPARE(grid->textMatrix(0, 3), QStringLiteral("    Bill Quantity "));
        QCOMPARE(grid->textMatrix(0, 6), QString());
        const QList<int> widths = {grid->colWidth(1), grid->colWidth(2), grid->colWidth(3), grid->colWidth(4),
                                   grid->colWidth(5), grid->colWidth(6)};
        QCOMPARE(widths, (QList<int>{0, 5870, 3500, 3500, 0, 0}));
        QVERIFY(grid->colWidth(0) > 0);
        for (int col : {3, 4, 5})
            QCOMPARE(grid->colAlignment(col), FlexAlign::RightCenter);
    }

    void savedLayoutDefinesColumns_data()
    {
        QTest::addColumn<int>("columns");
        QTest::newRow("seven") << 7;
        QTest::newRow("eight") << 8;
    }
    void savedLayoutDefinesColumns()
    {
        QFETCH(int, columns);
        auto c = entryDatabase();
        c->execute(QStringLiteral("insert into aListViewHeader (lvwid, lvwtransname, lvwname, lvwmodulename) "
                                  "values (4, ' LocalPurchaseCosting ', 'MFGSPLITDETAILS', 'frmLocalPurchaseCosting ')"));
        c->execute(QStringLiteral("insert into aListViewHeader (lvwid, lvwtransname, lvwname, lvwmodulename) "
                                  "values (5, 'localpurchase', 'mfgSplitDetails', 'frmlocalpurchasecosting')"));
        for (int col = 0; col < columns; ++col)
            c->execute(QStringLiteral("insert into aListViewDetails (lvwdid, lvwcolid, lvwdcolname, lvwdcolwidth, lvwdcolalign) "
                                      "values (4, ?, ?, ?, ?)"),
                       {col, QStringLiteral("Column %1").arg(col), 1000 + col, col % 9});
        c->execute(QStringLiteral("insert into aListViewDetails values (5, 0, 'Other grid', 700, 1)"));
        addBill(c, {10});
        addLine(c, 10, 1, 3, 2.0, 9.0);
        frmlocalpurchasecosting &w = openNew(c, 0, 1, 10);
        const FlexGrid *grid = w.mfgSplitDetails();
        QCOMPARE(grid->cols(), columns);
        for (int col = 0; col < columns; ++col) {
            QCOMPARE(grid->textMatrix(0, col), QStringLiteral("Column %1").arg(col));
            QCOMPARE(grid->colWidth(col), 1000 + col);
            QCOMPARE(grid->colAlignment(col), col % 9);
        }
        QCOMPARE(grid->textMatrix(1, columns - 1), QStringLiteral("3"));
        QCOMPARE(grid->textMatrix(1, 4), QStringLiteral("4.5"));
        QVERIFY(m_errors->isEmpty());
    }

    void anotherBillReplacesTheRows()
    {
        auto c = entryDatabase();
        addBill(c, {10});
        addBill(c, {11});
        for (int item : {1, 2, 3})
            addLine(c, 10, 1, item, 1.0, 10.0 * item);
        addLine(c, 11, 1, 5, 2.0, 7.0);
        addLine(c, 11, 1, 4, 1.0, 3.0);
        frmlocalpurchasecosting &w = openNew(c, 0, 1, 10);
        QCOMPARE(w.mfgSplitDetails()->rows(), 4);
        w.cboPurchNo()->selectByValue(11);
        QCOMPARE(gridRows(w.mfgSplitDetails()),
                 (QStringList{"1|IT-5|Item 5|2.000|3.5|3.5|5", "2|IT-4|Item 4|1.000|3.|3.|4"}));
        // Another shop leaves the grid as it is.
        w.cboShop()->setListIndex(0);
        QCOMPARE(w.mfgSplitDetails()->rows(), 3);
    }

    void billWithoutLinesShowsOneEmptyRow()
    {
        auto c = entryDatabase();
        addBill(c, {10});
        addBill(c, {11});
        addLine(c, 10, 1, 1, 1.0, 5.0);
        frmlocalpurchasecosting &w = openNew(c, 0, 1, 10);
        w.cboPurchNo()->selectByValue(11);
        QCOMPARE(gridRows(w.mfgSplitDetails()), QStringList{"||||||"});
        QVERIFY(m_errors->isEmpty());
    }

    void zeroQuantityIsReported()
    {
        auto c = entryDatabase();
        addBill(c, {10});
        addLine(c, 10, 1, 1, 2.0, 5.0);
        addLine(c, 10, 1, 2, 0.0, 5.0);
        addLine(c, 10, 1, 3, 1.0, 5.0);
        frmlocalpurchasecosting &w = openNew(c, 0, 1, 10);
        QCOMPARE(m_errors->size(), 1);
        const ReportedError e = m_errors->first();
        QCOMPARE(e.window, QStringLiteral("frmlocalpurchasecosting"));
        QCOMPARE(e.procedure, QStringLiteral("cboPurchNo_Click "));
        QCOMPARE(e.number, int(errnum::DivisionByZero));
        QCOMPARE(e.mode, QStringLiteral("N"));
        QCOMPARE(gridRows(w.mfgSplitDetails()), (QStringList{"1|IT-1|Item 1|2.000|2.5|2.5|1", "2|IT-2|Item 2|0.000|||"}));
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
        auto c = entryDatabase();
        if (!withRowguid)
            c->executeNativeScript(QStringLiteral(
                "DROP TABLE losLocalPurchaseDetail; CREATE TABLE losLocalPurchaseDetail (lpdbillid INTEGER, lpdShopId INTEGER, "
                "lpditemid INTEGER, lpditemquantity FLOAT, lpditemunitprice FLOAT);"));
        addBill(c, {10});
        const QStringList guids = {QStringLiteral("C0000000-0000-0000-0000-000000000000"),
                                   QStringLiteral("B0000000-0000-0000-0000-000000000000"),
                                   QStringLiteral("A0000000-0000-0000-0000-000000000000")};
        for (int i = 0; i < 3; ++i) {
            if (withRowguid)
                addLine(c, 10, 1, 3 - i, 1.0, 1.0, guids[(i + 1) % 3]);
            else
                c->execute(QStringLiteral("insert into losLocalPurchaseDetail values (10, 1, ?, 1, 1)"), {3 - i});
        }
        frmlocalpurchasecosting &w = openNew(c, 0, 1, 10);
        QStringList seen;
        for (int r = 1; r < w.mfgSplitDetails()->rows(); ++r)
            seen << w.mfgSplitDetails()->textMatrix(r, 6);
        QCOMPARE(seen, items);
        QVERIFY(m_errors->isEmpty());
    }

    void toolTipShowsTheCellUnderTheMouse()
    {
        auto c = entryDatabase();
        addBill(c, {10});
        addLine(c, 10, 1, 2, 3.0, 6.0);
        frmlocalpurchasecosting &w = openNew(c, 0, 1, 10);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        FlexGrid *grid = w.mfgSplitDetails();
        const QPoint pos = grid->visualRect(grid->model()->index(0, 2)).center();
        QMouseEvent move(QEvent::MouseMove, pos, grid->viewport()->mapToGlobal(pos), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(grid->viewport(), &move);
        QCOMPARE(grid->toolTipText(), QStringLiteral("Item 2"));
    }

    void enterMovesToTheNextControl_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("shop") << "cboShop" << "cboPurchNo";
        QTest::newRow("bill") << "cboPurchNo" << "cmdPurchaseNoPreview";
        QTest::newRow("remarks") << "txtremarks" << "chkFix";
        QTest::newRow("cost fix") << "chkFix" << "cmdok";
    }
    void enterMovesToTheNextControl()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        auto c = entryDatabase();
        addBill(c, {10});
        frmlocalpurchasecosting &w = openNew(c, 1, 1, 10);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QWidget *start = w.findChild<QWidget *>(from);
        start->setFocus();
        QTest::keyClick(start, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget()->objectName(), to);
        QVERIFY(w.isVisible());
    }

    void accessKeysMoveTheFocus_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("shopDisabled");
        QTest::addColumn<QString>("to");
        QTest::newRow("shop") << int(Qt::Key_S) << false << "cboShop";
        QTest::newRow("date") << int(Qt::Key_A) << false << "cboPurchNo";
        QTest::newRow("purchase no") << int(Qt::Key_P) << false << "cboPurchNo";
        QTest::newRow("details frame") << int(Qt::Key_L) << false << "mfgSplitDetails";
        QTest::newRow("remarks") << int(Qt::Key_R) << false << "txtremarks";
        QTest::newRow("shop list disabled: next that can") << int(Qt::Key_S) << true << "cboPurchNo";
    }
    void accessKeysMoveTheFocus()
    {
        QFETCH(int, key);
        QFETCH(bool, shopDisabled);
        QFETCH(QString, to);
        auto c = entryDatabase();
        addBill(c, {10});
        frmlocalpurchasecosting &w = openNew(c, 1, 1, 10);
        w.cboShop()->setEnabled(!shopDisabled);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.chkFix()->setFocus();
        QTest::keyClick(&w, Qt::Key(key), Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), to);
    }

    // The box is never shown by the window; its handlers still work should it take the focus.
    void costPriceBoxHandlers()
    {
        auto c = entryDatabase();
        addBill(c, {10});
        frmlocalpurchasecosting &w = openNew(c, 1, 1, 10);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QLineEdit *box = w.txtcostprice();
        box->setEnabled(true);
        box->setVisible(true);
        box->setText(QStringLiteral("12.5"));
        box->setFocus();
        QCOMPARE(box->selectedText(), QStringLiteral("12.5"));
        box->end(false);
        QTest::keyClick(box, Qt::Key_X);
        QTest::keyClick(box, Qt::Key_7);
        QCOMPARE(box->text(), QStringLiteral("12.57"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w.txtremarks());
        QVERIFY(m_errors->isEmpty());
    }

    void editOpensTheSavedCosting()
    {
        auto c = entryDatabase(2);
        Bill bill{20, 2, 2};
        bill.rates = kDollarBill;
        addCosting(c, 7, bill, 0, {{1, 4.0, 2.5, 2.75}, {3, 1.5, 0.1234, 0.5}});
        addBill(c, {21, 2, 2});
        FrmMaster &master = openRegisterOn(c, 7);
        struct Seen {
            QStringList bills, departments, rows;
            qint32 department = 0;
            bool shopEnabled = true, billEnabled = true, fixEnabled = false, okEnabled = false, fixChecked = true;
            QString remarks, date;
            QDate costingDate;
            int pointer = 0;
        } seen;
        whileEntryIsModal([&seen, &master](frmlocalpurchasecosting &entry) {
            seen.bills = comboTexts(entry.cboPurchNo());
            seen.departments = comboTexts(entry.cboDepartmentName());
            seen.department = selectedId(entry.cboDepartmentName());
            seen.rows = gridRows(entry.mfgSplitDetails());
            seen.shopEnabled = entry.cboShop()->isEnabled();
            seen.billEnabled = entry.cboPurchNo()->isEnabled();
            seen.fixEnabled = entry.chkFix()->isEnabled();
            seen.fixChecked = entry.chkFix()->isChecked();
            seen.okEnabled = entry.cmdok()->isEnabled();
            seen.remarks = entry.txtremarks()->text();
            seen.date = entry.lbldate()->text();
            seen.costingDate = entry.costingDate();
            seen.pointer = mousePointer(&master);
            QTest::keyClick(&entry, Qt::Key_Escape);
        });
        master.CmdEdit()->click();

        QCOMPARE(moduleState().GStrMasterNewEditFlag, QStringLiteral("E"));
        QCOMPARE(seen.bills, QStringList{"B-20"});
        QCOMPARE(seen.departments, (QStringList{"Purchase", "Stores", "Imports", "Branch"}));
        QCOMPARE(seen.department, 2);
        // The stored bill price stays as it was; the costed price is the stored number's own text.
        QCOMPARE(seen.rows, (QStringList{"1|IT-1|Item 1|4.000|2.75|2.5|1", "2|IT-3|Item 3|1.500|0.5|0.123|3"}));
        QVERIFY(!seen.shopEnabled);
        QVERIFY(!seen.billEnabled);
        QVERIFY(seen.fixEnabled);
        QVERIFY(!seen.fixChecked);
        QVERIFY(seen.okEnabled);
        QCOMPARE(seen.remarks, QStringLiteral("checked"));
        QCOMPARE(seen.date, QStringLiteral("10/03/2012"));
        QCOMPARE(seen.costingDate, QDate(2012, 3, 10));
        QCOMPARE(seen.pointer, int(MousePointer::Hourglass));
        QVERIFY(!entryWindow().isVisible());
        QVERIFY(m_messages->isEmpty());
        QCOMPARE(mousePointer(&master), int(MousePointer::Default));
        QCOMPARE(mousePointer(master.FlexMaster()), int(MousePointer::Default));
        QCOMPARE(master.FlexFlag, QStringLiteral("Done"));
        QVERIFY(m_errors->isEmpty());
    }

    void fixedCostingOpensReadOnly_data()
    {
        QTest::addColumn<int>("storedDone");
        QTest::addColumn<QString>("registerDone");
        QTest::addColumn<bool>("fixChecked");
        QTest::addColumn<bool>("fixEnabled");
        QTest::newRow("fixed costing") << 1 << "Yes" << true << false;
        QTest::newRow("the register's row says fixed") << 0 << "Yes" << false << true;
    }
    void fixedCostingOpensReadOnly()
    {
        QFETCH(int, storedDone);
        QFETCH(QString, registerDone);
        QFETCH(bool, fixChecked);
        QFETCH(bool, fixEnabled);
        auto c = entryDatabase();
        addCosting(c, 7, {20}, storedDone, {{1, 1.0, 2.0, 2.0}});
        FrmMaster &master = openRegisterOn(c, 7);
        FlexGrid *grid = master.FlexMaster();
        grid->setTextMatrix(grid->row(), grid->cols() - 1, registerDone);
        bool checked = !fixChecked, enabled = !fixEnabled, okEnabled = true, stayedOpen = true;
        whileEntryIsModal([&](frmlocalpurchasecosting &entry) {
            checked = entry.chkFix()->isChecked();
            enabled = entry.chkFix()->isEnabled();
            okEnabled = entry.cmdok()->isEnabled();
            QTest::keyClicks(entry.txtremarks(), QStringLiteral(" again"));
            entry.cmdClose()->click();
            stayedOpen = entry.isVisible();
        });
        master.CmdEdit()->click();
        QCOMPARE(checked, fixChecked);
        QCOMPARE(enabled, fixEnabled);
        QVERIFY(!okEnabled);
        // Nothing can be saved, so closing asks nothing.
        QVERIFY(!stayedOpen);
        QVERIFY(m_messages->isEmpty());
        QVERIFY(m_errors->isEmpty());
    }

    void closingAsksOnlyAfterAChange_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("keptOpen");
        QTest::addColumn<QString>("stored");
        const QStringList asked = {QStringLiteral("Save Changes?")};
        QTest::newRow("unchanged") << QString() << int(MsgBoxAnswer::Yes) << QStringList() << false << "checked";
        QTest::newRow("changed, Cancel") << "checked twice" << int(MsgBoxAnswer::Cancel) << asked << true << "checked";
        QTest::newRow("changed, No") << "checked twice" << int(MsgBoxAnswer::No) << asked << false << "checked";
        QTest::newRow("changed, Yes") << "checked twice" << int(MsgBoxAnswer::Yes) << asked << false << "checked twice";
        QTest::newRow("blanked, Yes: the save refuses") << "  " << int(MsgBoxAnswer::Yes)
                                                       << (asked + QStringList{QStringLiteral("Enter remarks")}) << true << "checked";
    }
    void closingAsksOnlyAfterAChange()
    {
        QFETCH(QString, typed);
        QFETCH(int, answer);
        QFETCH(QStringList, messages);
        QFETCH(bool, keptOpen);
        QFETCH(QString, stored);
        auto c = entryDatabase();
        addCosting(c, 7, {20}, 0, {{1, 1.0, 2.0, 2.0}});
        FrmMaster &master = openRegisterOn(c, 7);
        m_answer = answer;
        bool stayedOpen = false;
        QString remarksAfter;
        QString flexFlag = QStringLiteral("untouched");
        whileEntryIsModal([&](frmlocalpurchasecosting &entry) {
            if (!typed.isNull()) {
                entry.txtremarks()->selectAll();
                QTest::keyClicks(entry.txtremarks(), typed);
            }
            entry.cmdClose()->click();
            stayedOpen = entry.isVisible();
            remarksAfter = entry.txtremarks()->text();
            flexFlag = frmMaster().FlexFlag;
        });
        master.CmdEdit()->click();
        QCOMPARE(stayedOpen, keptOpen);
        QCOMPARE(flexFlag, QString());
        if (keptOpen)
            QCOMPARE(remarksAfter, typed);
        QStringList shown;
        for (const ShownMessage &m : *m_messages)
            shown << m.text;
        QCOMPARE(shown, messages);
        if (!messages.isEmpty())
            QCOMPARE(m_messages->first().style, 35);
        QCOMPARE(queryValue(c, QStringLiteral("select lpchremarks from loaLocalPurchaseCostingHeader where lpchcostingid=7")).toString(),
                 stored);
        QVERIFY(m_errors->isEmpty());
    }

    void reopeningStartsAfresh()
    {
        auto c = entryDatabase();
        addCosting(c, 7, {20, 2}, 1, {{1, 1.0, 2.0, 2.0}});
        addBill(c, {30, 1});
        addLine(c, 30, 1, 4, 1.0, 8.0);
        FrmMaster &master = openRegisterOn(c, 7);
        whileEntryIsModal([](frmlocalpurchasecosting &entry) { entry.cmdClose()->click(); });
        master.CmdEdit()->click();

        moduleState().GStrMasterNewEditFlag = QStringLiteral("N");
        frmlocalpurchasecosting &w = entryWindow();
        w.Load();
        w.cboShop()->selectByValue(1);
        w.cboPurchNo()->selectByValue(30);
        QVERIFY(w.cboShop()->isEnabled());
        QVERIFY(w.cboPurchNo()->isEnabled());
        QVERIFY(w.chkFix()->isEnabled());
        QVERIFY(!w.chkFix()->isChecked());
        QVERIFY(w.cmdok()->isEnabled());
        QCOMPARE(w.txtremarks()->text(), QString());
        QCOMPARE(gridRows(w.mfgSplitDetails()), QStringList{"1|IT-4|Item 4|1.000|8.|8.|4"});
        QVERIFY(m_errors->isEmpty());
    }
};

QTEST_MAIN(TestEntry)
#include "tst_entry.moc"
