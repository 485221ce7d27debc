#include "cancel/costingcancel.h"
#include "cancel/frmcancel.h"
#include "controls/busycursor.h"
#include "controls/flexgrid.h"
#include "controls/messagebox.h"
#include "controls/vbcolor.h"
#include "db/error.h"
#include "db/values.h"
#include "fixtures.h"
#include "guisupport.h"
#include "register/frmmaster.h"
#include "services/defaults.h"
#include "testsupport.h"

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace kadu2217;
using namespace kadu2217::testsupport;

namespace {

constexpr VbColor kRed = 0x0000FF;

frmCancel &cancelWindow()
{
    return testModule().cancel();
}

void whileReasonIsAsked(const std::function<void(frmCancel &)> &whileOpen)
{
    whileModal(&cancelWindow, whileOpen);
}

// Every row of the tables a cancellation may change.
QString contents(const ConnectionPtr &c)
{
    QString all;
    for (const QString &sql : {QStringLiteral("select * from loaLocalPurchaseCostingHeader order by lpchcostingid"),
                               QStringLiteral("select * from losLocalPurchaseHeader order by lphShopID, lphBillID"),
                               QStringLiteral("select itemid, itemrate from aItem order by itemid"),
                               QStringLiteral("select * from aAuditTrail order by AuditID")}) {
        for (const QVariantList &row : queryRows(c, sql)) {
            QStringList cells;
            for (const QVariant &v : row)
                cells << value::displayText(v);
            all += cells.join('|') + '\n';
        }
    }
    return all;
}

// A process with no register window on screen.
class NoRegister final : public CostingRegister {
public:
    void showCosting(qint32, bool) override {}
    void restRowChanges() override {}
};

// Cancels costing `id` of `file` through the cancellation's own transaction; the exit code
// says how it ended: 0 cancelled, 3 cancelled by the other process first.
int runConcurrentCanceller(const QString &file, int id)
{
    auto c = openDatabase(file);
    startSession(c, demo::adminUserId, 0, kDemoNow);
    ModuleContext &ctx = context();
    ctx.state.GObjAuditTrail = createServiceAs<clsAuditTrail>(servicenames::AuditTrail);
    ctx.state.GObjAuditTrail->OpenObject(c, demo::companyId, demo::adminUserId, 0, 2011, kDemoNow);
    NoRegister noRegister;
    const CancelOutcome outcome = cancelCosting(ctx, noRegister, *ctx.state.GObjAuditTrail,
                                                {QString::number(id), QStringLiteral("X"), QStringLiteral("both at once"), {}, {}});
    endModule();
    return outcome == CancelOutcome::Cancelled ? 0 : outcome == CancelOutcome::AlreadyCancelled ? 3 : 1;
}

} // namespace

class TestCancel : public QObject {
    Q_OBJECT

private:
    ConnectionPtr m_c;
    std::shared_ptr<QVector<ReportedError>> m_errors;
    std::shared_ptr<QVector<ShownMessage>> m_messages;
    std::function<int(const ShownMessage &)> m_answer;

    // The register on the demo data with the first costing that is neither cancelled nor fixed
    // as its current row; that costing's id.
    int openOnOpenCosting()
    {
        startSession(m_c, demo::adminUserId, 0, kDemoNow);
        FrmMaster &master = frmMaster();
        master.Form_Load();
        master.show();
        FlexGrid &grid = *master.FlexMaster();
        for (int r = 1; r < grid.rows(); ++r) {
            if (grid.textMatrix(r, 6) == QLatin1String("No") && grid.textMatrix(r, 7) == QLatin1String("No")) {
                grid.setRow(r);
                master.Form_Activate();
                return grid.textMatrix(r, 0).toInt();
            }
        }
        qFatal("the demo data has no open costing");
    }

    // Delete, Yes, the reason typed and OK.
    void cancelCurrentRow(const QString &reason = QStringLiteral("vendor sent a corrected bill"))
    {
        whileReasonIsAsked([reason](frmCancel &window) {
            QTest::keyClicks(window.txtcanreason(), reason);
            window.cmdok()->click();
        });
        frmMaster().CmdDelete()->click();
    }

    QVariant headerValue(int id, const QString &column)
    {
        return queryValue(m_c, QStringLiteral("select %1 from loaLocalPurchaseCostingHeader where lpchcostingid=?").arg(column), {id});
    }

    // Fixes the costing through a connection of its own, as another user would after the
    // register loaded it: lines of `items` (item, old cost, new cost), the items left at `left`.
    void fixBehindTheRegister(int id, const QVector<std::tuple<int, QVariant, double>> &lines, const QVector<std::pair<int, double>> &left)
    {
        auto other = openDatabase(m_c->connectionString().section('=', 1));
        other->execute(QStringLiteral("update loaLocalPurchaseCostingHeader set lpchCostingDone=1 where lpchcostingid=?"), {id});
        other->execute(QStringLiteral("delete from loaLocalPurchaseCostingDetail where lpcdcostingid=?"), {id});
        int detail = 900000 + id * 10;
        for (const auto &[item, oldCost, newCost] : lines)
            other->execute(QStringLiteral("insert into loaLocalPurchaseCostingDetail (lpcddetailid, lpcdcostingid, lpcditemid, lpcditemqty, "
                                          "lpcdcostedprice, lpcdolditemcostprice, lpcdnewitemcostprice) values (?, ?, ?, 1, 1, ?, ?)"),
                           {++detail, id, item, oldCost, newCost});
        for (const auto &[item, rate] : left)
            other->execute(QStringLiteral("update aItem set itemrate=? where itemid=?"), {rate, item});
    }

private slots:
    void init()
    {
        m_c = openDemoDatabase();
        m_errors = recordErrors();
        m_answer = [](const ShownMessage &m) {
            return m.text.startsWith(QLatin1String("Are you sure")) ? MsgBoxAnswer::Yes : MsgBoxAnswer::Ok;
        };
        m_messages = answerMessages([this](const ShownMessage &m) { return m_answer(m); });
    }
    void cleanup()
    {
        endModule();
        QVERIFY2(m_errors->isEmpty(), m_errors->isEmpty() ? "" : qPrintable(m_errors->first().description));
    }

    void cancellingAnUnfixedCostingFreesItsBill()
    {
        const int id = openOnOpenCosting();
        const QVariantList bill = queryRows(m_c, QStringLiteral("select lpchbillid, lpchshopid, lpchcostingno from "
                                                                "loaLocalPurchaseCostingHeader where lpchcostingid=?"), {id}).first();
        // A bill of the same number in another shop stays costed.
        m_c->execute(QStringLiteral("insert into losLocalPurchaseHeader (lphBillID, lphShopID, lphBillNo, lphcosted, lphcancelled) "
                                    "values (?, 999, 'OTHER', 1, 0)"), {bill[0]});
        const int rows = frmMaster().FlexMaster()->rows();
        const int row = frmMaster().FlexMaster()->row();
        const QString itemRates = QStringLiteral("select itemid, itemrate from aItem order by itemid");
        const QVector<QVariantList> ratesBefore = queryRows(m_c, itemRates);

        cancelCurrentRow(QStringLiteral("vendor's corrected bill"));

        QCOMPARE(headerValue(id, QStringLiteral("lpchcancelled")).toInt(), 1);
        QCOMPARE(queryValue(m_c, QStringLiteral("select lphcosted from losLocalPurchaseHeader where lphBillID=? and lphShopID=?"),
                            {bill[0], bill[1]}).toInt(), 0);
        QCOMPARE(queryValue(m_c, QStringLiteral("select lphcosted from losLocalPurchaseHeader where lphBillID=? and lphShopID=999"),
                            {bill[0]}).toInt(), 1);
        QCOMPARE(queryRows(m_c, itemRates), ratesBefore);
        const QVariantList audit = queryRows(m_c, QStringLiteral("select AuditAction, DocumentNo, Reason from aAuditTrail where DocumentID=? "
                                                                 "order by AuditID desc"), {id}).first();
        QCOMPARE(audit, (QVariantList{"D", bill[2], "vendors corrected bill"}));
        const FlexGrid &grid = *frmMaster().FlexMaster();
        QCOMPARE(grid.rows(), rows);
        QCOMPARE(grid.row(), row);
        QCOMPARE(grid.textMatrix(row, 6), QStringLiteral("Yes"));
        QCOMPARE(grid.cellForeColorAt(row, 1), kRed);
        QVERIFY(!frmMaster().CmdDelete()->isEnabled());
        QVERIFY(!testModule().cancel().isVisible());
        QCOMPARE(mousePointer(&frmMaster()), int(MousePointer::Default));
    }

    // Lines as (item, old cost, new cost) in saved order; each item's cost comes back from its
    // first line.
    void fixedCostingGetsEachItemsFirstCostBack_data()
    {
        QTest::addColumn<QVariant>("firstOld");
        QTest::addColumn<QVariant>("restored");
        QTest::newRow("item on two lines") << QVariant(10.0) << QVariant(10.0);
        QTest::newRow("item that had no cost") << QVariant() << QVariant();
    }
    void fixedCostingGetsEachItemsFirstCostBack()
    {
        QFETCH(QVariant, firstOld);
        QFETCH(QVariant, restored);
        const int id = openOnOpenCosting();
        fixBehindTheRegister(id, {{1, firstOld, 15.0}, {2, 4.0, 6.0}, {1, 15.0, 16.5}}, {{1, 16.5}, {2, 6.0}});
        cancelCurrentRow();
        QCOMPARE(headerValue(id, QStringLiteral("lpchcancelled")).toInt(), 1);
        QCOMPARE(queryValue(m_c, QStringLiteral("select itemrate from aItem where itemid=1")), restored);
        QCOMPARE(queryValue(m_c, QStringLiteral("select itemrate from aItem where itemid=2")).toDouble(), 4.0);
        QVERIFY(m_messages->size() == 1); // the confirmation only: no later costs
    }

    // Item 1 was moved on by someone else after the costing fixed it at 16.5.
    void laterCostsAreAskedAbout_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<double>("item1");
        QTest::newRow("Restore") << int(MsgBoxAnswer::Yes) << true << 10.0;
        QTest::newRow("Keep current") << int(MsgBoxAnswer::No) << true << 18.0;
        QTest::newRow("Stop") << int(MsgBoxAnswer::Cancel) << false << 18.0;
    }
    void laterCostsAreAskedAbout()
    {
        QFETCH(int, answer);
        QFETCH(bool, cancelled);
        QFETCH(double, item1);
        const int id = openOnOpenCosting();
        fixBehindTheRegister(id, {{1, 10.0, 16.5}, {2, 4.0, 6.0}}, {{1, 18.0}, {2, 6.0}});
        m_answer = [answer](const ShownMessage &m) {
            if (m.text.startsWith(QLatin1String("Are you sure")))
                return int(MsgBoxAnswer::Yes);
            return m.text.contains(QLatin1String("changed after costing")) ? answer : int(MsgBoxAnswer::Ok);
        };
        bool stillOpen = false;
        whileReasonIsAsked([&stillOpen](frmCancel &window) {
            QTest::keyClicks(window.txtcanreason(), QStringLiteral("wrong vendor"));
            window.cmdok()->click();
            stillOpen = window.isVisible();
        });
        frmMaster().CmdDelete()->click();
        QCOMPARE(m_messages->at(1).style, MsgBoxStyle::YesNoCancel | MsgBoxStyle::Exclamation | MsgBoxStyle::DefaultButton3);
        QVERIFY(m_messages->at(1).text.contains(QLatin1String("now 18.")));
        QCOMPARE(stillOpen, !cancelled);
        QCOMPARE(headerValue(id, QStringLiteral("lpchcancelled")).toInt(), cancelled ? 1 : 0);
        QCOMPARE(queryValue(m_c, QStringLiteral("select itemrate from aItem where itemid=1")).toDouble(), item1);
        QCOMPARE(queryValue(m_c, QStringLiteral("select itemrate from aItem where itemid=2")).toDouble(), cancelled ? 4.0 : 6.0);
    }

    void ways_out_leave_the_costing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<QStringList>("messages");
        const QString sure = QStringLiteral("Are you sure you want to delete Costing ");
        QTest::newRow("No to the question") << "no" << false << QStringList{sure};
        QTest::newRow("blank reason and OK") << "blank OK" << false << QStringList{sure, "Enter reason for deletion"};
        QTest::newRow("Esc with a reason") << "esc" << false << QStringList{sure};
        QTest::newRow("close box, blank reason") << "close blank" << false << QStringList{sure};
        QTest::newRow("close box with a reason") << "close" << true << QStringList{sure};
        QTest::newRow("Enter moves to OK, which cancels") << "enter" << true << QStringList{sure};
    }
    void ways_out_leave_the_costing()
    {
        QFETCH(QString, how);
        QFETCH(bool, cancelled);
        QFETCH(QStringList, messages);
        const int id = openOnOpenCosting();
        if (how == QLatin1String("no"))
            m_answer = [](const ShownMessage &) { return int(MsgBoxAnswer::No); };
        bool reasonFocused = false;
        // No reason window opens after No; a waiting probe would outlive the test.
        if (how != QLatin1String("no"))
            whileReasonIsAsked([&](frmCancel &window) {
                QLineEdit *reason = window.txtcanreason();
                if (how == QLatin1String("blank OK") || how == QLatin1String("close blank"))
                    QTest::keyClicks(reason, QStringLiteral("   "));
                else
                    QTest::keyClicks(reason, QStringLiteral("it's wrong"));
                if (how == QLatin1String("blank OK")) {
                    window.cmdok()->click();
                    reasonFocused = window.focusWidget() == reason && window.isVisible();
                } else if (how == QLatin1String("esc")) {
                    QTest::keyClick(reason, Qt::Key_Escape);
                } else if (how.startsWith(QLatin1String("close"))) {
                    window.close();
                } else if (how == QLatin1String("enter")) {
                    QTest::keyClick(reason, Qt::Key_Return);
                    QCOMPARE(window.focusWidget(), window.cmdok());
                    QCOMPARE(reason->text(), QStringLiteral("its wrong"));
                    QTest::keyClick(window.cmdok(), Qt::Key_Return);
                }
            });
        frmMaster().CmdDelete()->click();
        QStringList shown;
        for (const ShownMessage &m : *m_messages)
            shown << (m.text.startsWith(messages.first()) ? messages.first() : m.text);
        QCOMPARE(shown, messages);
        QCOMPARE(m_messages->first().style, 276);
        QCOMPARE(reasonFocused, how == QLatin1String("blank OK"));
        QCOMPARE(headerValue(id, QStringLiteral("lpchcancelled")).toInt(), cancelled ? 1 : 0);
        const FlexGrid &grid = *frmMaster().FlexMaster();
        QCOMPARE(grid.cellForeColorAt(grid.row(), 1) == kRed, cancelled);
        QCOMPARE(mousePointer(&frmMaster()), int(MousePointer::Default));
    }

    void failureAtAnyStatementLeavesNothing()
    {
        // The statements of one cancellation, counted on a twin of the database.
        const ConnectionPtr original = m_c;
        m_c = openDemoDatabase();
        openOnOpenCosting();
        int statements = 0;
        m_c->setStatementObserver([&](QString &, const QVariantList &) { ++statements; });
        cancelCurrentRow();
        m_c->setStatementObserver({});
        QVERIFY(statements > 5);
        QCOMPARE(m_c->inTransaction(), false);
        endModule();

        m_c = original;
        openOnOpenCosting();
        const QString before = contents(m_c);
        const FlexGrid &grid = *frmMaster().FlexMaster();
        const QString rowBefore = grid.textMatrix(grid.row(), 6);
        for (int failAt = 1; failAt <= statements; ++failAt) {
            int seen = 0;
            m_c->setStatementObserver([&](QString &sql, const QVariantList &) {
                if (++seen == failAt)
                    throw Error(errnum::Timeout, QStringLiteral("injected at: ") + sql);
            });
            cancelCurrentRow();
            m_c->setStatementObserver({});
            QVERIFY2(m_errors->size() == 1, qPrintable(QStringLiteral("statement %1 was not reported").arg(failAt)));
            QCOMPARE(m_errors->takeFirst().procedure, QStringLiteral("cmdok_Click "));
            QVERIFY(!m_c->inTransaction());
            QVERIFY2(contents(m_c) == before, qPrintable(QStringLiteral("statement %1 left changes").arg(failAt)));
            QCOMPARE(grid.textMatrix(grid.row(), 6), rowBefore);
            QVERIFY(grid.cellForeColorAt(grid.row(), 1) != kRed);
        }
    }

    void costingCancelledMeanwhileIsLeftAsItIs()
    {
        const int id = openOnOpenCosting();
        auto other = openDatabase(m_c->connectionString().section('=', 1));
        other->execute(QStringLiteral("update loaLocalPurchaseCostingHeader set lpchcancelled=1 where lpchcostingid=?"), {id});
        const QString before = contents(m_c);
        cancelCurrentRow();
        QCOMPARE(m_messages->last().text, QStringLiteral("Costing %1 has already been cancelled").arg(headerValue(id, "lpchcostingno").toString()));
        QCOMPARE(m_messages->last().style, 64);
        QCOMPARE(contents(m_c), before);
        const FlexGrid &grid = *frmMaster().FlexMaster();
        QCOMPARE(grid.textMatrix(grid.row(), 6), QStringLiteral("Yes"));
        QVERIFY(!frmMaster().CmdDelete()->isEnabled());
    }

    void twoProcessesCancelTheSameCostingOnce()
    {
        const int id = openOnOpenCosting();
        endModule();
        const QString file = m_c->connectionString().section('=', 1);
        QProcess first, second;
        for (QProcess *p : {&first, &second})
            p->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--canceller"), file, QString::number(id)});
        QList<int> codes;
        for (QProcess *p : {&first, &second}) {
            QVERIFY(p->waitForFinished(60000));
            codes << p->exitCode();
        }
        std::sort(codes.begin(), codes.end());
        QCOMPARE(codes, (QList<int>{0, 3}));
        QCOMPARE(queryValue(m_c, QStringLiteral("select count(*) from aAuditTrail where DocumentID=? and AuditAction='D'"), {id}).toInt(), 1);
        QCOMPARE(headerValue(id, QStringLiteral("lpchcancelled")).toInt(), 1);
    }

    void restoresTakeEachItemsFirstAndLastLine()
    {
        const QVector<CancelledLine> lines = {{1, 10.0, 15.0}, {2, std::nullopt, 6.0}, {1, 15.0, 16.5}};
        const QVector<ItemRestore> restores = itemRestores(lines);
        QCOMPARE(restores.size(), 2);
        QCOMPARE(restores[0].itemId, 1);
        QCOMPARE(restores[0].costBefore, std::optional<double>(10.0));
        QCOMPARE(restores[0].costLeft, std::optional<double>(16.5));
        QCOMPARE(restores[1].costBefore, std::optional<double>());
    }

    void costChangedSinceCountsHalfACent_data()
    {
        QTest::addColumn<QVariant>("current");
        QTest::addColumn<QVariant>("left");
        QTest::addColumn<bool>("changed");
        QTest::newRow("same") << QVariant(16.5) << QVariant(16.5) << false;
        QTest::newRow("within half a cent") << QVariant(16.504) << QVariant(16.5) << false;
        QTest::newRow("beyond half a cent") << QVariant(16.506) << QVariant(16.5) << true;
        QTest::newRow("NULL now") << QVariant() << QVariant(16.5) << true;
        QTest::newRow("NULL left") << QVariant(16.5) << QVariant() << true;
        QTest::newRow("NULL both") << QVariant() << QVariant() << false;
    }
    void costChangedSinceCountsHalfACent()
    {
        QFETCH(QVariant, current);
        QFETCH(QVariant, left);
        QFETCH(bool, changed);
        const auto number = [](const QVariant &v) { return v.isValid() ? std::optional<double>(v.toDouble()) : std::nullopt; };
        QCOMPARE(costChangedSince(number(current), number(left)), changed);
    }
};

int main(int argc, char *argv[])
{
    // The canceller's module comes with its windows, which want an application object.
    QApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--canceller") == 0) {
        try {
            return runConcurrentCanceller(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
        } catch (const Error &e) {
            fprintf(stderr, "%s\n", e.what());
            return 1;
        }
    }
    TestCancel test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_cancel.moc"
