#include "controls/combobox.h"
#include "controls/flexgrid.h"
#include "controls/messagebox.h"
#include "db/recordset.h"
#include "fixtures.h"
#include "guisupport.h"
#include "entry/frmlocalpurchasecosting.h"
#include "register/frmmaster.h"
#include "shell/reporterror.h"
#include "shell/session.h"
#include "testsupport.h"

#include <kadu2217/clslocalpurchcost.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

using namespace kadu2217;
using namespace kadu2217::testsupport;

namespace {

const QStringList kCaptions = {QStringLiteral("Costing Id"), QStringLiteral("Costing No"), QStringLiteral("Costing Date"),
                               QStringLiteral("Shop Name"), QStringLiteral("Bill No"), QStringLiteral("Bill Amount"),
                               QStringLiteral("Cancelled"), QStringLiteral("Costing Done")};

// A file with only what the register reads: settings, users, rights, shops, captions.
ConnectionPtr registerDatabase(const QVariant &rights = QStringLiteral("NEDP"))
{
    auto c = openNewDatabase();
    addSettings(c);
    addUser(c, User(1, QStringLiteral("ADMIN")).rights(rights));
    addShop(c, 1, QStringLiteral("Main Street"));
    c->execute(QStringLiteral("insert into aTables (tableid, tablename) values (1, 'loalocalpurchasecostingheader')"));
    for (int i = 0; i < kCaptions.size(); ++i)
        c->execute(QStringLiteral("insert into aTableColumns (tableid, columnid, columnname, ColumnHeader) values (1, ?, ?, ?)"),
                   {i + 1, QStringLiteral("c%1").arg(i), kCaptions[i]});
    return c;
}

// Costing <id> of bill <id>, dated as the suite writes dates; the bill's amount tells the rows apart.
void addCosting(const ConnectionPtr &c, int id, const QString &date, int shop = 1, int department = 1,
                const QVariant &cancelled = 0, const QVariant &done = 0)
{
    addCostedBill(c, Bill(id).shop(shop).department(department).amount(100.0 * id + 0.5),
                  Costing(id).date(date).cancelled(cancelled).done(done));
}

FrmMaster &openRegister(const ConnectionPtr &c, qint16 department = 0, qint16 company = 1)
{
    startSession(c, 1, department, kProcessDate, company);
    FrmMaster &w = frmMaster();
    w.Form_Load();
    w.show();
    return w;
}

QStringList column(const FlexGrid *grid, int col)
{
    QStringList texts;
    for (int r = 1; r < grid->rows(); ++r)
        texts.append(grid->textMatrix(r, col));
    return texts;
}

} // namespace

class TestRegister : public QObject {
    Q_OBJECT

private:
    std::shared_ptr<QVector<ReportedError>> m_errors;
    std::shared_ptr<QVector<ShownMessage>> m_messages;
    ConnectionPtr m_keep;

    // Costings numbered as given, dated inside the register's window.
    FrmMaster &browsable(const QStringList &numbers)
    {
        auto c = registerDatabase();
        for (int i = 0; i < numbers.size(); ++i) {
            addCosting(c, i + 1, QDate(2012, 3, 10).addDays(-(i % 20)).toString(QStringLiteral("yyyy/MM/dd")));
            c->execute(QStringLiteral("update loaLocalPurchaseCostingHeader set lpchcostingno=? where lpchcostingid=?"), {numbers[i], i + 1});
        }
        m_keep = c;
        return openRegister(c);
    }

private slots:
    void init()
    {
        m_errors = recordErrors();
        m_messages = answerMessages();
    }
    void cleanup() { endModule(); }

    void departmentAndDateWindowSelectRows_data()
    {
        QTest::addColumn<int>("department");
        QTest::addColumn<QStringList>("numbers");
        QTest::newRow("all departments") << 0 << QStringList{"LPC-2", "LPC-3", "LPC-4"};
        QTest::newRow("department 5") << 5 << QStringList{"LPC-3"};
    }
    void departmentAndDateWindowSelectRows()
    {
        QFETCH(int, department);
        QFETCH(QStringList, numbers);
        auto c = registerDatabase();
        addCosting(c, 1, QStringLiteral("2012-02-13 23:59:00"));
        addCosting(c, 2, QStringLiteral("20120214"));
        addCosting(c, 3, QStringLiteral("2012/03/01"), 1, 5);
        addCosting(c, 4, QStringLiteral("2012-04-01"));
        FrmMaster &w = openRegister(c, qint16(department));
        QCOMPARE(column(w.FlexMaster(), 1), numbers);
        QVERIFY(moduleState().GStrMasterSql.contains(QLatin1String(">='20120214' order by lpchcostingid")));
        QCOMPARE(moduleState().GStrMasterSql.contains(QLatin1String("lpchDepartmentid=5")), department == 5);
        QVERIFY(m_errors->isEmpty());
    }

    void cellsAndCaptions()
    {
        auto c = registerDatabase();
        addCosting(c, 1, QStringLiteral("20120301"), 9);
        addCosting(c, 2, QStringLiteral("20120302"), 1, 1, 2, 1);
        addCosting(c, 3, QStringLiteral("20120303"), 1, 1, 1, 0);
        FrmMaster &w = openRegister(c);
        const FlexGrid *grid = w.FlexMaster();
        QCOMPARE(grid->cols(), 8);
        for (int i = 1; i < kCaptions.size(); ++i)
            QCOMPARE(grid->textMatrix(0, i), kCaptions[i]);
        QCOMPARE(column(grid, 0), (QStringList{"1", "2", "3"}));
        QCOMPARE(column(grid, 3), (QStringList{"", "Main Street", "Main Street"}));
        QCOMPARE(column(grid, 6), (QStringList{"No", "", "Yes"}));
        QCOMPARE(column(grid, 7), (QStringList{"No", "Yes", "No"}));
        QCOMPARE(grid->textMatrix(1, 5), QStringLiteral("100.5"));
        QCOMPARE(grid->colWidth(0), 0);
        int sum = 0;
        for (int col = 1; col < grid->cols(); ++col) {
            QVERIFY(grid->colWidth(col) >= kCaptions[col].size() * 130);
            sum += grid->colWidth(col);
        }
        QVERIFY(qAbs(sum - (14265 - 315)) <= grid->cols());
        // The hidden id cell of the current row takes the window-text colour at the end of the load.
        for (int col = 1; col < grid->cols(); ++col) {
            QCOMPARE(grid->cellForeColorAt(3, col), VbColor(0x0000FF));
            QVERIFY(grid->cellForeColorAt(2, col) != VbColor(0x0000FF));
        }
        QCOMPARE(grid->row(), 3);
        QCOMPARE(grid->rowSel(), 3);
        QCOMPARE(grid->col(), 0);
        QCOMPARE(grid->colSel(), 7);
        QCOMPARE(w.FlexFlag, QStringLiteral("Done"));
        QCOMPARE(m_errors->size(), 0);
    }

    void aliasesRenameCaptions_data()
    {
        QTest::addColumn<bool>("aliased");
        QTest::addColumn<QString>("shopWord");
        QTest::addColumn<QString>("shopCaption");
        QTest::addColumn<QString>("stockCaption");
        QTest::newRow("off") << false << "Store" << "Shop Name" << "godown stock";
        QTest::newRow("on") << true << "Store" << "Store Name" << "Depot stock";
        QTest::newRow("apostrophe") << true << "O'Brien" << "O'Brien Name" << "Depot stock";
    }
    void aliasesRenameCaptions()
    {
        QFETCH(bool, aliased);
        QFETCH(QString, shopWord);
        QFETCH(QString, shopCaption);
        QFETCH(QString, stockCaption);
        auto c = registerDatabase();
        c->execute(QStringLiteral("update aPackageSettings set Alias=?"), {aliased ? 1 : 0});
        c->execute(QStringLiteral("insert into aAlias (Aliasid, Alias) values (1, ?)"), {shopWord});
        c->execute(QStringLiteral("insert into aAlias (Aliasid, Alias) values (2, 'Depot')"));
        c->execute(QStringLiteral("update aTableColumns set ColumnHeader='godown stock' where columnid=5"));
        addCosting(c, 1, QStringLiteral("20120301"));
        FrmMaster &w = openRegister(c);
        QCOMPARE(w.FlexMaster()->textMatrix(0, 3), shopCaption);
        QCOMPARE(w.FlexMaster()->textMatrix(0, 4), stockCaption);
        QVERIFY(m_errors->isEmpty());
    }

    void aliasSettingIsTheSessionCompanys_data()
    {
        QTest::addColumn<int>("aliasedCompany"); // the one company of two whose setting is on
        QTest::addColumn<int>("sessionCompany");
        QTest::addColumn<QString>("shopCaption");
        QTest::newRow("other company's setting on") << 1 << 2 << "Shop Name";
        QTest::newRow("own setting on, first row off") << 2 << 2 << "Store Name";
        QTest::newRow("own setting on, first row") << 1 << 1 << "Store Name";
    }
    void aliasSettingIsTheSessionCompanys()
    {
        QFETCH(int, aliasedCompany);
        QFETCH(int, sessionCompany);
        QFETCH(QString, shopCaption);
        auto c = registerDatabase();
        addSettings(c, Settings(2).inventory(2001).goodsInTransit(2002));
        c->execute(QStringLiteral("update aPackageSettings set Alias=1 where companyid=?"), {aliasedCompany});
        c->execute(QStringLiteral("insert into aAlias (Aliasid, Alias) values (1, 'Store'), (2, 'Depot')"));
        addCosting(c, 1, QStringLiteral("20120301"));
        FrmMaster &w = openRegister(c, 0, qint16(sessionCompany));
        QCOMPARE(w.FlexMaster()->textMatrix(0, 3), shopCaption);
        QVERIFY(m_errors->isEmpty());
    }

    void emptyRegisterKeepsPlaceholderRowInert_data()
    {
        QTest::addColumn<QVariant>("rights");
        QTest::addColumn<bool>("newEnabled");
        QTest::addColumn<bool>("doubleClick"); // else Enter
        QTest::newRow("all rights, Enter") << QVariant(QStringLiteral("NEDP")) << true << false;
        QTest::newRow("all rights, double-click") << QVariant(QStringLiteral("NEDP")) << true << true;
        QTest::newRow("edit and delete only") << QVariant(QStringLiteral("ED")) << false << false;
        QTest::newRow("no rights row") << QVariant() << false << true;
    }
    void emptyRegisterKeepsPlaceholderRowInert()
    {
        QFETCH(QVariant, rights);
        QFETCH(bool, newEnabled);
        QFETCH(bool, doubleClick);
        auto c = registerDatabase(rights);
        FrmMaster &w = openRegister(c);
        FlexGrid *grid = w.FlexMaster();
        QCOMPARE(grid->rows(), 2);
        QCOMPARE(grid->cols(), 8);
        QCOMPARE(grid->textMatrix(1, 0), QString());
        QCOMPARE(grid->textMatrix(0, 1), kCaptions[1]);
        QCOMPARE(w.cmdnew()->isEnabled(), newEnabled);
        QVERIFY(!w.CmdEdit()->isEnabled());
        QVERIFY(!w.CmdDelete()->isEnabled());
        QVERIFY(!w.cmdPreview()->isEnabled());

        grid->setRow(1);
        if (doubleClick)
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 1)).center());
        else
            QTest::keyClick(grid, Qt::Key_Return);
        QVERIFY(!w.CmdEdit()->isEnabled());
        QVERIFY(!w.CmdDelete()->isEnabled());
        QCOMPARE(entryModeLetter(), QString());
        QVERIFY(m_errors->isEmpty());
    }

    void rightsGateButtons_data()
    {
        QTest::addColumn<QVariant>("rights");
        QTest::addColumn<QVariant>("done");
        QTest::addColumn<QString>("enabled"); // New, Edit, Delete, Preview as 1/0
        QTest::newRow("no rights row") << QVariant() << QVariant(0) << "0000";
        QTest::newRow("lower case with blanks") << QVariant(QStringLiteral("  nedp ")) << QVariant(0) << "1111";
        QTest::newRow("ADMIN refuses all") << QVariant(QStringLiteral("ADMIN")) << QVariant(0) << "0000";
        QTest::newRow("only E and P") << QVariant(QStringLiteral("EP")) << QVariant(0) << "0101";
        QTest::newRow("separated letters") << QVariant(QStringLiteral("N,E,D,P")) << QVariant(0) << "1111";
        QTest::newRow("costing done") << QVariant(QStringLiteral("NEDP")) << QVariant(1) << "1101";
    }
    void rightsGateButtons()
    {
        QFETCH(QVariant, rights);
        QFETCH(QVariant, done);
        QFETCH(QString, enabled);
        auto c = registerDatabase(rights);
        addCosting(c, 1, QStringLiteral("20120301"), 1, 1, 0, done);
        FrmMaster &w = openRegister(c);
        const auto seen = [&w] {
            return QString::number(w.cmdnew()->isEnabled()) + QString::number(w.CmdEdit()->isEnabled())
                + QString::number(w.CmdDelete()->isEnabled()) + QString::number(w.cmdPreview()->isEnabled());
        };
        QCOMPARE(seen(), enabled);
        // Rights read again on the next load gate the row moves from then on.
        addCosting(c, 2, QStringLiteral("20120302"));
        c->execute(QStringLiteral("delete from aUserRights"));
        w.Form_Load();
        w.Form_Activate();
        w.FlexMaster()->setRow(w.FlexMaster()->row() == 1 ? 2 : 1);
        QCOMPARE(seen().left(3), QStringLiteral("000"));
    }

    void opensWithTheFocusOnTheFirstEnabledCommand_data()
    {
        QTest::addColumn<QVariant>("rights");
        QTest::addColumn<bool>("empty");
        QTest::addColumn<QString>("focused");
        QTest::newRow("New") << QVariant(QStringLiteral("NEDP")) << false << "cmdnew";
        QTest::newRow("New on an empty register") << QVariant(QStringLiteral("NEDP")) << true << "cmdnew";
        QTest::newRow("Edit after a disabled New") << QVariant(QStringLiteral("EDP")) << false << "CmdEdit";
        QTest::newRow("Delete after disabled New and Edit") << QVariant(QStringLiteral("DP")) << false << "CmdDelete";
        QTest::newRow("Close when no command is allowed") << QVariant() << false << "cmdClose";
        QTest::newRow("Close on an empty register without New") << QVariant(QStringLiteral("EDP")) << true << "cmdClose";
    }
    void opensWithTheFocusOnTheFirstEnabledCommand()
    {
        QFETCH(QVariant, rights);
        QFETCH(bool, empty);
        QFETCH(QString, focused);
        auto c = registerDatabase(rights);
        if (!empty)
            addCosting(c, 1, QStringLiteral("20120301"));
        FrmMaster &w = openRegister(c);
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QVERIFY(w.focusWidget() != nullptr);
        QCOMPARE(w.focusWidget()->objectName(), focused);
        QVERIFY(m_errors->isEmpty());
    }

    void doneRowNeverEnablesDelete()
    {
        auto c = registerDatabase();
        addCosting(c, 1, QStringLiteral("20120301"), 1, 1, 0, 1);
        addCosting(c, 2, QStringLiteral("20120302"));
        FrmMaster &w = openRegister(c);
        QVERIFY(w.CmdDelete()->isEnabled());
        w.FlexMaster()->setRow(1);
        QVERIFY(!w.CmdDelete()->isEnabled());
        QVERIFY(w.CmdEdit()->isEnabled());
        w.FlexMaster()->setRow(2);
        QVERIFY(w.CmdDelete()->isEnabled());
    }

    void errorNumbersFold_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("folded");
        QTest::newRow("type mismatch") << 13 << 13;
        QTest::newRow("negative small") << -5 << -5;
        QTest::newRow("no current record") << 3021 << 3021;
        QTest::newRow("constraint") << int(errnum::Constraint) << 17873;
        QTest::newRow("syntax") << int(errnum::SqlSyntax) << 17900;
        QTest::newRow("six digits") << 123456 << 23456;
    }
    void errorNumbersFold()
    {
        QFETCH(int, number);
        QFETCH(int, folded);
        QCOMPARE(foldErrorNumber(number), folded);
    }

    void failingLoadIsReported()
    {
        auto c = registerDatabase();
        addCosting(c, 1, QStringLiteral("20120301"));
        c->executeNativeScript(QStringLiteral("DROP TABLE aTableColumns;"));
        setEntryMode(QStringLiteral("E"));
        FrmMaster &w = openRegister(c);
        QVERIFY(w.isVisible());
        QVERIFY(!m_errors->isEmpty());
        const ReportedError e = m_errors->first();
        QCOMPARE(e.window, QStringLiteral("FrmMaster"));
        QCOMPARE(e.procedure, QStringLiteral("Form_Load "));
        QCOMPARE(e.number, 17865);
        QCOMPARE(e.user, QStringLiteral("ADMIN"));
        QCOMPARE(w.FlexMaster()->textMatrix(1, 1), QStringLiteral("LPC-1"));
    }

    void showWithoutConnectionReportsFirstQuery()
    {
        clsLocalPurchCost module;
        module.setIntUserID(1);
        QVERIFY(module.adocon() != nullptr);
        QTimer::singleShot(0, [] { processModule().master().cmdClose()->click(); });
        module.Show();
        QVERIFY(!m_errors->isEmpty());
        QCOMPARE(m_errors->first().procedure, QStringLiteral("Form_Load "));
        QCOMPARE(m_errors->first().number, int(errnum::NotConnected));
    }

    void showTwiceReloadsWithNewValues()
    {
        auto c = registerDatabase();
        addCosting(c, 1, QStringLiteral("20120301"));
        addCosting(c, 2, QStringLiteral("20120302"), 1, 5);
        clsLocalPurchCost module;
        module.setAdocon(c);
        module.setIntUserID(1);
        module.setIntcompanyid(1);
        module.setProcessDate(kProcessDate);
        QStringList seen;
        for (qint16 department : {qint16(0), qint16(5)}) {
            module.setIntDepartmentId(department);
            QTimer::singleShot(0, [&seen] {
                seen.append(column(processModule().master().FlexMaster(), 1).join(QLatin1Char(',')));
                processModule().master().cmdClose()->click();
            });
            module.Show();
            QVERIFY(!processModule().master().isVisible());
        }
        QCOMPARE(seen, (QStringList{"LPC-1,LPC-2", "LPC-2"}));
        QVERIFY(m_errors->isEmpty());
    }

    void columnLayoutComesBack()
    {
        auto c = registerDatabase();
        addCosting(c, 1, QStringLiteral("20120301"));
        FrmMaster &w = openRegister(c);
        w.FlexMaster()->setColWidth(2, 2222);
        w.cmdClose()->click();
        QVERIFY(!w.isVisible());
        w.Form_Load();
        QCOMPARE(w.FlexMaster()->colWidth(2), 2222);
        QCOMPARE(w.FlexMaster()->colWidth(0), 0);
        QVERIFY(m_errors->isEmpty());
    }

    void demoDatabaseOpens()
    {
        auto c = openDemoDatabase();
        startSession(c, demo::adminUserId, 0, kDemoNow);
        FrmMaster &w = frmMaster();
        w.Form_Load();
        w.show();
        const qint64 listed = queryValue(c, QStringLiteral("select count(*) from loaLocalPurchaseCostingHeader where lpchdate >= '%1'")
                                                .arg(kDemoNow.addDays(-demo::backNoofDays).toString(QStringLiteral("yyyyMMdd"))))
                                  .toLongLong();
        QVERIFY(listed > 0);
        QCOMPARE(w.FlexMaster()->rows() - 1, listed);
        QVERIFY(m_errors->isEmpty());
    }

    void sortByAChosenColumn_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("descending");
        QTest::addColumn<QStringList>("numbers");
        const QStringList numbers = {"b-2", "A-10", "a-1", "C-3"};
        QTest::newRow("a date column orders by costing id") << "Costing Date" << false << numbers;
        QTest::newRow("text, case counts") << "Costing No" << false << QStringList{"A-10", "C-3", "a-1", "b-2"};
        QTest::newRow("text descending") << "Costing No" << true << QStringList{"b-2", "a-1", "C-3", "A-10"};
    }
    void sortByAChosenColumn()
    {
        QFETCH(QString, caption);
        QFETCH(bool, descending);
        QFETCH(QStringList, numbers);
        FrmMaster &w = browsable({"b-2", "A-10", "a-1", "C-3"});
        if (descending)
            w.findChild<QRadioButton *>(QStringLiteral("optDescend"))->click();
        auto *columns = w.findChild<ComboBox *>(QStringLiteral("cboColNames"));
        columns->setListIndex(columns->findText(caption));
        QCOMPARE(column(w.FlexMaster(), 1), numbers);
        // A new direction asks for the column again and leaves the order as it is.
        w.findChild<QRadioButton *>(QStringLiteral("optAscend"))->click();
        QCOMPARE(columns->listIndex(), -1);
        QCOMPARE(column(w.FlexMaster(), 1), numbers);
    }

    void searchFindsTheFirstRowBeginningWithTheText_data()
    {
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("found"); // empty: the current row stays
        QTest::newRow("case-blind") << QStringList{"xb", "aB-2", "AB-1", "ab-3", "Ab-0"} << "ab" << "Ab-0";
        QTest::newRow("numbers ordered as text") << QStringList{"100", "1000", "2", "25", "3", "300"} << "25" << "25";
        QTest::newRow("blanks around the key") << QStringList{"LPC-7", "LPC-70", "LPC-8"} << " lpc-7 " << "LPC-7";
        QTest::newRow("no match") << QStringList{"LPC-7", "LPC-8"} << "zz" << "";
    }
    void searchFindsTheFirstRowBeginningWithTheText()
    {
        QFETCH(QStringList, numbers);
        QFETCH(QString, typed);
        QFETCH(QString, found);
        FrmMaster &w = browsable(numbers);
        FlexGrid *grid = w.FlexMaster();
        const QString before = grid->textMatrix(grid->row(), 1);
        auto *searchColumn = w.findChild<ComboBox *>(QStringLiteral("cboSearch"));
        searchColumn->setListIndex(searchColumn->findText(QStringLiteral("Costing No")));
        QTest::keyClicks(w.findChild<QLineEdit *>(QStringLiteral("txtsearch")), typed);
        QStringList sorted = numbers;
        std::stable_sort(sorted.begin(), sorted.end(), [](const QString &a, const QString &b) {
            return QString::compare(a, b, Qt::CaseInsensitive) < 0;
        });
        QCOMPARE(column(grid, 1), sorted);
        if (found.isEmpty())
            return;
        QCOMPARE(grid->textMatrix(grid->row(), 1), found);
        QCOMPARE(grid->col(), 0);
        QCOMPARE(grid->colSel(), grid->cols() - 1);
        Q_UNUSED(before)
    }

    void foundRowIsScrolledToTheTop()
    {
        QStringList numbers;
        for (int i = 0; i < 90; ++i)
            numbers << QStringLiteral("N-%1").arg(i, 2, 10, QLatin1Char('0'));
        FrmMaster &w = browsable(numbers);
        auto *searchColumn = w.findChild<ComboBox *>(QStringLiteral("cboSearch"));
        searchColumn->setListIndex(searchColumn->findText(QStringLiteral("Costing No")));
        QTest::keyClicks(w.findChild<QLineEdit *>(QStringLiteral("txtsearch")), QStringLiteral("n-4"));
        FlexGrid *grid = w.FlexMaster();
        QCOMPARE(grid->textMatrix(grid->row(), 1), QStringLiteral("N-40"));
        QCOMPARE(grid->topRow(), grid->row());
    }

    void typingWithoutASearchColumnOnlyGates()
    {
        FrmMaster &w = browsable({"b", "a", "c"});
        QTest::keyClicks(w.findChild<QLineEdit *>(QStringLiteral("txtsearch")), QStringLiteral("a"));
        QCOMPARE(column(w.FlexMaster(), 1), (QStringList{"b", "a", "c"}));
    }

    void enterMovesOnFromTheSearchControls()
    {
        FrmMaster &w = browsable({"a"});
        auto *text = w.findChild<QLineEdit *>(QStringLiteral("txtsearch"));
        text->setFocus();
        QTest::keyClick(text, Qt::Key_Return);
        QVERIFY(w.focusWidget() != text);
        QVERIFY(m_errors->isEmpty());
    }

    void searchFollowsARefreshedRow()
    {
        FrmMaster &w = browsable({"a-1", "b-2", "c-3"});
        auto *searchColumn = w.findChild<ComboBox *>(QStringLiteral("cboSearch"));
        searchColumn->setListIndex(searchColumn->findText(QStringLiteral("Costing No")));
        auto *text = w.findChild<QLineEdit *>(QStringLiteral("txtsearch"));
        QTest::keyClicks(text, QStringLiteral("b"));
        FlexGrid *grid = w.FlexMaster();
        QCOMPARE(grid->textMatrix(grid->row(), 1), QStringLiteral("b-2"));
        // Another user renumbers costing 2; its row is read again, and the search sees it.
        m_keep->execute(QStringLiteral("update loaLocalPurchaseCostingHeader set lpchcostingno='z-9' where lpchcostingid=2"));
        setEntryMode(QStringLiteral("E"));
        w.showCosting(2, false);
        text->clear();
        QTest::keyClicks(text, QStringLiteral("z"));
        QCOMPARE(grid->textMatrix(grid->row(), 1), QStringLiteral("z-9"));
        QCOMPARE(column(grid, 1), (QStringList{"a-1", "c-3", "z-9"}));
        // A column sort leaves another order behind: the next search sorts again.
        auto *columns = w.findChild<ComboBox *>(QStringLiteral("cboColNames"));
        w.findChild<QRadioButton *>(QStringLiteral("optDescend"))->click();
        columns->setListIndex(columns->findText(QStringLiteral("Costing No")));
        QCOMPARE(column(grid, 1), (QStringList{"z-9", "c-3", "a-1"}));
        text->clear();
        QTest::keyClicks(text, QStringLiteral("c"));
        QCOMPARE(column(grid, 1), (QStringList{"a-1", "c-3", "z-9"}));
        QCOMPARE(grid->textMatrix(grid->row(), 1), QStringLiteral("c-3"));
        QVERIFY(m_errors->isEmpty());
    }

    void selectionColourFollowsTheRows_data()
    {
        QTest::addColumn<int>("firstId");
        QTest::addColumn<int>("lastId");
        QTest::addColumn<int>("colour");
        QTest::newRow("one row") << 2 << 2 << int(VbSystemColor::HighlightText);
        QTest::newRow("a cancelled row stays red") << 1 << 1 << 0x0000FF;
        QTest::newRow("several rows are cyan") << 1 << 2 << 0xFFFF00;
        QTest::newRow("several rows from a cancelled one") << 2 << 1 << 0xFFFF00;
    }
    void selectionColourFollowsTheRows()
    {
        QFETCH(int, firstId);
        QFETCH(int, lastId);
        QFETCH(int, colour);
        auto c = registerDatabase();
        addCosting(c, 1, QStringLiteral("20120301"), 1, 1, 1);
        addCosting(c, 2, QStringLiteral("20120302"));
        FlexGrid *grid = openRegister(c).FlexMaster();
        const auto rowOf = [grid](int id) {
            for (int r = 1; r < grid->rows(); ++r)
                if (grid->textMatrix(r, 0) == QString::number(id))
                    return r;
            return -1;
        };
        grid->setRow(rowOf(firstId));
        grid->setRowSel(rowOf(lastId));
        QCOMPARE(int(grid->foreColorSel()), colour);
        QVERIFY(m_errors->isEmpty());
    }

    void keysReachTheGrid()
    {
        auto c = registerDatabase(QStringLiteral("ND"));
        addCosting(c, 1, QStringLiteral("20120301"));
        FrmMaster &w = openRegister(c);
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto *text = w.findChild<QLineEdit *>(QStringLiteral("txtsearch"));
        text->setFocus();
        QTest::keyClick(text, Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.FlexMaster()));
        // Without the right to edit, Enter and a double-click leave the costing alone.
        QVERIFY(!w.CmdEdit()->isEnabled());
        QTest::keyClick(w.FlexMaster(), Qt::Key_Return);
        QTest::mouseDClick(w.FlexMaster()->viewport(), Qt::LeftButton, {}, w.FlexMaster()->visualRect(w.FlexMaster()->model()->index(0, 1)).center());
        QVERIFY(!entryWindow().isVisible());
        QVERIFY(m_messages->isEmpty());
        QVERIFY(m_errors->isEmpty());
    }

    void cellToolTipIsTheCellsText()
    {
        FrmMaster &w = browsable({"LPC-1", "LPC-2"});
        FlexGrid *grid = w.FlexMaster();
        const QModelIndex cell = grid->model()->index(1, 1);
        const QPoint at = grid->visualRect(cell).center();
        QMouseEvent move(QEvent::MouseMove, at, grid->viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(grid->viewport(), &move);
        QCOMPARE(grid->toolTipText(), grid->textMatrix(2, 1));
        QVERIFY(!grid->toolTipText().isEmpty());
    }

    void opensWithoutTheModulesOwnTablesAndSaysSo()
    {
        auto c = registerDatabase();
        addCosting(c, 1, QStringLiteral("20120301"));
        c->executeNativeScript(QStringLiteral("DROP TABLE aGridLayout; DROP TABLE aErrorLog;"));
        FrmMaster &w = openRegister(c);
        QCOMPARE(w.FlexMaster()->textMatrix(1, 0), QStringLiteral("1"));
        QCOMPARE(m_messages->size(), 1);
        QVERIFY2(m_messages->first().text.contains(QStringLiteral("aErrorLog, aGridLayout")), qPrintable(m_messages->first().text));
        QVERIFY(m_messages->first().text.contains(QStringLiteral("localpurchcost init --odbc")));
        // Closing keeps no layout, and fails at nothing.
        w.findChild<QPushButton *>(QStringLiteral("cmdClose"))->click();
        QVERIFY(m_errors->isEmpty());
        QCOMPARE(m_messages->size(), 1);
    }

    void deleteKeyFollowsTheButton()
    {
        auto c = registerDatabase();
        addCosting(c, 1, QStringLiteral("20120301"), 1, 1, 1);
        FrmMaster &w = openRegister(c);
        QVERIFY(!w.CmdDelete()->isEnabled());
        QTest::keyClick(w.FlexMaster(), Qt::Key_Delete);
        QVERIFY(m_messages->isEmpty());
    }

};

QTEST_MAIN(TestRegister)
#include "tst_register.moc"
