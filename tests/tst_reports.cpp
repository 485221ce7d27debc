#include "controls/combobox.h"
#include "controls/flexgrid.h"
#include "controls/messagebox.h"
#include "entry/frmlocalpurchasecosting.h"
#include "fixtures.h"
#include "guisupport.h"
#include "register/frmmaster.h"
#include "reports/costingreport.h"
#include "reports/frmprint.h"
#include "services/reportengine.h"
#include "shell/reportfiles.h"
#include "testsupport.h"

#include <QFile>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextStream>
#include <QtTest>

using namespace kadu2217;
using namespace kadu2217::testsupport;

namespace {

const QLocale kBritish(QLocale::English, QLocale::UnitedKingdom);

// ---- the data: two shops, a rupee vendor and a dollar vendor, costings in three states

ConnectionPtr reportDatabase(const QString &file = newDatabasePath(QStringLiteral("reports")))
{
    auto c = openNewDatabase(file);
    addSettings(c);
    addUser(c, User(1, QStringLiteral("admin")).rights(QStringLiteral("NEDP")).department(1).department(2));
    addUser(c, User(2, QStringLiteral("meera")).rights(QStringLiteral("NED")));
    for (const auto &[id, name] : {std::pair{1, "admin"}, std::pair{2, "meera"}})
        c->execute(QStringLiteral("insert into lousers (userid, UserName) values (?, ?)"), {id, QString::fromLatin1(name)});
    addDepartment(c, 1, QStringLiteral("Purchase"));
    addDepartment(c, 2, QStringLiteral("Stores"));
    addShop(c, 1, QStringLiteral("Main Street"));
    addShop(c, 2, QStringLiteral("Harbour Road"));
    c->execute(QStringLiteral("insert into aCurrencyMaster (CurrencyID, CurrencyName, Symbol) values (1, 'Rupee', 'Rs.')"));
    c->execute(QStringLiteral("insert into aCurrencyMaster (CurrencyID, CurrencyName, Symbol) values (2, 'Dollar', '$')"));
    addVendor(c, 1, QStringLiteral("Local Traders"), 1);
    addVendor(c, 2, QStringLiteral("Gulf Imports"), 2);
    addAccount(c, 1001, QStringLiteral("Inventory"), 1, 1);
    for (int item = 1; item <= 200; ++item)
        addItem(c, item);
    return c;
}

// Costing <id> of bill <id> in shop 1 from the dollar vendor, at 80 rupees a dollar, with
// `lines` lines: item k, quantity k, costed at 10 k, from k + 1 to k + 2.
void addReportCosting(const ConnectionPtr &c, qint32 id, int lines, const QString &state = QStringLiteral("draft"))
{
    Bill bill(id);
    bill.vendor(2).rates(QStringLiteral("1:2:-1:0.0125:"));
    Costing costing(id);
    costing.number(QStringLiteral("LPC-%1").arg(id)).date(QStringLiteral("2012/03/10"));
    for (int k = 1; k <= lines; ++k)
        costing.detail(k, k, 10.0 * k, 10.0 * k);
    if (state == QLatin1String("fixed"))
        costing.done();
    if (state == QLatin1String("cancelled"))
        costing.cancelled();
    addCostedBill(c, bill, costing);
    c->execute(QStringLiteral("update loaLocalPurchaseCostingDetail set lpcdolditemcostprice = lpcditemid + 1, "
                              "lpcdnewitemcostprice = lpcditemid + 2 where lpcdcostingid = ?"),
               {id});
    c->execute(QStringLiteral("update loaLocalPurchaseCostingHeader set lpchrecadduser = 'ADMIN', lpchTime = '2012-03-10 09:30:00', "
                              "lpchInventoryaccid = 1001 where lpchcostingid = ?"),
               {id});
    if (state == QLatin1String("cancelled"))
        c->execute(QStringLiteral("insert into aAuditTrail (CompanyID, UserID, DepartmentID, InterfaceID, DocumentID, DocumentNo, "
                                  "AuditAction, LoggedTime, SavedTime, Flag, Reason) values "
                                  "(1, 2, 1, 2011, ?, 'LPC', 'D', '2012-03-12 16:40:00', '2012-03-12 16:45:00', 1, 'Vendor''s bill was wrong')"),
                   {id});
}

QString definition(const QString &suiteName)
{
    return reportfiles::definitionPath(reportfiles::componentFolder(), suiteName);
}

// ---- reading what a report draws

// Keeps the texts drawn on it, in drawing order.
class TextCaptureEngine final : public QPaintEngine {
public:
    TextCaptureEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawPath(const QPainterPath &) override {}
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF &, const QTextItem &item) override { texts.append(item.text()); }
    Type type() const override { return QPaintEngine::User; }

    QStringList texts;
};

// An A4 or A5 page at 96 dots an inch.
class TextCaptureDevice final : public QPaintDevice {
public:
    explicit TextCaptureDevice(const QPageLayout &layout) : m_page(layout.fullRectPixels(96).size()) {}
    QPaintEngine *paintEngine() const override { return &m_engine; }
    QStringList texts() const { return m_engine.texts; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth: return m_page.width();
        case PdmHeight: return m_page.height();
        case PdmWidthMM: return m_page.width() * 254 / 960;
        case PdmHeightMM: return m_page.height() * 254 / 960;
        case PdmNumColors: return INT_MAX;
        case PdmDepth: return 32;
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 96;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        default: return 0;
        }
    }

private:
    QSize m_page;
    mutable TextCaptureEngine m_engine;
};

// The texts of every page as the report draws them.
QVector<QStringList> pageTexts(const ReportContent &content)
{
    const QPageLayout layout = content.page.layout();
    TextCaptureDevice measure(layout);
    const ReportPages pages(content, measure, layout.paintRectPixels(96).size());
    QVector<QStringList> texts;
    for (int page = 0; page < pages.pageCount(); ++page) {
        TextCaptureDevice device(layout);
        QPainter painter(&device);
        pages.paintPage(painter, page);
        painter.end();
        texts.append(device.texts());
    }
    return texts;
}

// The costing report as the engine lays it out for `costingId` on the given definition.
ReportContent costingContent(const ConnectionPtr &c, qint32 costingId, const QString &file = definition(reportfiles::costingA4),
                             const QString &department = QStringLiteral("Stores"))
{
    auto engine = openCostingReport(c, costingId, file, department);
    engine->ExportPdf(newDatabasePath(QStringLiteral("costing")) + QStringLiteral(".pdf"));
    return *static_cast<DefaultReportEngine &>(*engine).content();
}

int pdfPages(const QString &file)
{
    QFile pdf(file);
    if (!pdf.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = pdf.readAll();
    if (!bytes.startsWith("%PDF"))
        return -1;
    return int(QString::fromLatin1(bytes).count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
}

// ---- a report engine that only records what it is asked

struct RecordingEngine final : clsReportEngine {
    explicit RecordingEngine(std::shared_ptr<QStringList> log, int records) : m_log(std::move(log)), m_records(records) {}
    void LogOnServer(const QString &d, const QString &s, const QString &db, const QString &u, const QString &p) override
    {
        *m_log << QStringList{QStringLiteral("LogOnServer"), d, s, db, u, p}.join(QLatin1Char('|'));
    }
    void OpenReport(const QString &file) override { *m_log << QStringLiteral("OpenReport|") + QFileInfo(file).fileName(); }
    void SetPreviewSwitch(int id, bool on) override { *m_log << QStringLiteral("SetPreviewSwitch|%1|%2").arg(id).arg(on); }
    void SetParameter(int position, const QVariant &value, int type) override
    {
        *m_log << QStringLiteral("SetParameter|%1|%2|%3|%4").arg(position).arg(value.toString(), QString::fromLatin1(value.typeName())).arg(type);
    }
    void SetParameterField(int index, const QString &text) override { *m_log << QStringLiteral("SetParameterField|%1|%2").arg(index).arg(text); }
    void Preview(const QString &title, int l, int t, int w, int h, qint32 style) override
    {
        *m_log << QStringLiteral("Preview|%1|%2|%3|%4|%5|%6").arg(title).arg(l).arg(t).arg(w).arg(h).arg(style, 0, 16);
    }
    void ExportPdf(const QString &) override { *m_log << QStringLiteral("ExportPdf"); }
    int RecordsPrinted() override { return m_records; }
    int PageCount() override { return 1; }

private:
    std::shared_ptr<QStringList> m_log;
    int m_records;
};

// Puts a recording engine in place of both report engines until the guard goes.
struct RecordedEngines {
    explicit RecordedEngines(int records = 1)
    {
        for (const QString &name : {servicenames::ReportApplication, servicenames::ReportControl})
            registerService(name, [log = log, records] { return std::make_shared<RecordingEngine>(log, records); });
    }
    ~RecordedEngines()
    {
        for (const QString &name : {servicenames::ReportApplication, servicenames::ReportControl})
            registerService(name, [] { return std::make_shared<DefaultReportEngine>(); });
    }
    std::shared_ptr<QStringList> log = std::make_shared<QStringList>();
};

FrmMaster &openRegister(const ConnectionPtr &c, qint16 department, qint16 user = 1)
{
    startSession(c, user, department, kProcessDate);
    session().MsgboxTitle = QStringLiteral("Costing");
    FrmMaster &w = frmMaster();
    w.Form_Load();
    w.show();
    return w;
}

void selectCosting(FrmMaster &w, qint32 costingId)
{
    FlexGrid *grid = w.FlexMaster();
    for (int r = 1; r < grid->rows(); ++r) {
        if (grid->textMatrix(r, 0) == QString::number(costingId)) {
            grid->setRow(r);
            return;
        }
    }
    QFAIL("the costing is not in the register");
}

QPrintPreviewDialog *visiblePreview(const QString &title)
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        auto *preview = qobject_cast<QPrintPreviewDialog *>(window);
        if (preview && preview->isVisible() && preview->windowTitle() == title)
            return preview;
    }
    return nullptr;
}

} // namespace

class TestReports : public QObject {
    Q_OBJECT

private:
    std::shared_ptr<QVector<ReportedError>> m_errors;
    std::shared_ptr<QVector<ShownMessage>> m_messages;

    QStringList reported() const
    {
        QStringList procedures;
        for (const ReportedError &e : *m_errors)
            procedures << e.procedure + QLatin1Char(':') + e.description;
        return procedures;
    }

private slots:
    void initTestCase() { QLocale::setDefault(kBritish); }
    void init()
    {
        m_errors = recordErrors();
        m_messages = answerMessages();
    }
    void cleanup()
    {
        endModule();
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (qobject_cast<QPrintPreviewDialog *>(window))
                window->close();
        }
    }

    // ---- the definition format

    void fieldsAndSections_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("html");
        QTest::newRow("fixed decimals with grouping") << "{q.n|#,##0.000}" << "1,234.500";
        QTest::newRow("optional decimals") << "{q.n|0.###}" << "1234.5";
        QTest::newRow("no decimals") << "{q.n|0}" << "1235";
        QTest::newRow("date pattern") << "{q.d|dd/MM/yyyy hh:mm}" << "15/03/2012 00:00";
        QTest::newRow("upper case, escaped") << "{q.t|upper}" << "O'BRIEN &amp; CO";
        QTest::newRow("parameter by position and by name") << "{param.1}/{param.strname}" << "1/O'Brien &amp; Co";
        QTest::newRow("if set, ifnot NULL") << "<!--if q.n-->set<!--end--><!--ifnot q.z-->unset<!--end-->" << "setunset";
        QTest::newRow("each row, then the first row again") << "<!--each r-->{r.k};<!--end-->{r.k}" << "1;2;3;1";
        QTest::newRow("sections nest") << "<!--each r--><!--if r.odd-->{r.k}<!--end--><!--end-->" << "13";
    }
    void fieldsAndSections()
    {
        QFETCH(QString, layout);
        QFETCH(QString, html);
        auto c = openNewDatabase();
        addBill(c, Bill(1));
        for (int item = 1; item <= 3; ++item)
            addItem(c, item);
        const ReportDefinition d = ReportDefinition::parse(
            QStringLiteral("query q\n  select 1234.5 as n, null as z, lphBillDate as d, {param.strName} as t\n"
                           "    from losLocalPurchaseHeader where lphBillID = {param.1}\n"
                           "query r\n  select itemid as k, itemid % 2 as odd from aItem order by itemid\nlayout\n")
            + layout);
        ReportParameters parameters;
        parameters.set(1, 1, false);
        parameters.setField(QStringLiteral("strName;O'Brien & Co;true"));
        QCOMPARE(runReport(d, parameters, c).html.trimmed(), html);
    }

    void definitionFaultsNameTheFile_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown column") << "query q\n  select 1 as a\nlayout\n{q.b}" << "the query q has no column b";
        QTest::newRow("unclosed section") << "query q\n  select 1 as a\nlayout\n<!--if q.a-->" << "not closed";
        QTest::newRow("unknown paper") << "page B9\nlayout\n" << "line 1: unknown paper B9";
        QTest::newRow("no layout") << "query q\n  select 1" << "no layout";
        QTest::newRow("missing parameter") << "query q\n  select {param.2} as a\nlayout\n" << "the parameter 2 was not given";
    }
    void definitionFaultsNameTheFile()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        auto c = openNewDatabase();
        try {
            runReport(ReportDefinition::parse(text, QStringLiteral("odd.rpt")), ReportParameters(), c);
            QFAIL("no failure");
        } catch (const Error &e) {
            QVERIFY2(e.description().contains(QLatin1String("odd.rpt")) && e.description().contains(message),
                     qPrintable(e.description()));
        }
    }

    void numericParametersStayNumbers()
    {
        ReportParameters parameters;
        QCOMPARE(errorNumberOf([&] { parameters.setField(QStringLiteral("intShopID;1 or 1=1;true")); }), errnum::TypeMismatch);
        parameters.setField(QStringLiteral("strUserName;a;b;true"));
        QCOMPARE(parameters.values.value(QStringLiteral("strusername")).toString(), QStringLiteral("a;b"));
    }

    // ---- the costing report's content

    void costingReportContent_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("notShown");
        const QStringList common = {"Local Purchase Costing", "Stores", "LPC-5", "10/03/2012", "Main Street", "Purchase", "B-5",
                                    "15/03/2012", "Gulf Imports", "Dollar ($)", "1 $ = 80 Rs.", "checked", "IT-1", "Item 2",
                                    "3.000", "Rs. 30.000", "Rs. 4.000", "Rs. 5.000", "Rs. 90.00", "Total (3 lines)", "6.000",
                                    "Rs. 140.00", "ADMIN", "10/03/2012 09:30"};
        QTest::newRow("draft") << "draft" << common + QStringList{"Draft"} << QStringList{"*** CANCELLED ***", "Cancelled by "};
        QTest::newRow("fixed") << "fixed" << common + QStringList{"Fixed"} << QStringList{"*** CANCELLED ***", "Draft"};
        QTest::newRow("cancelled") << "cancelled"
                                   << common + QStringList{"*** CANCELLED ***", "CANCELLED", "Cancelled by ", "MEERA", "12/03/2012 16:45",
                                                           "Vendor's bill was wrong"}
                                   << QStringList{"Draft", "Fixed"};
    }
    void costingReportContent()
    {
        QFETCH(QString, state);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, notShown);
        auto c = reportDatabase();
        c->execute(QStringLiteral("update lousers set UserName = 'MEERA' where userid = 2"));
        addReportCosting(c, 5, 3, state);
        const QVector<QStringList> pages = pageTexts(costingContent(c, 5));
        QCOMPARE(pages.size(), 1);
        const QStringList &texts = pages.first();
        const QString all = texts.join(QLatin1Char('\n'));
        for (const QString &text : shown)
            QVERIFY2(all.contains(text), qPrintable(text + QStringLiteral(" missing from:\n") + all));
        for (const QString &text : notShown)
            QVERIFY2(!texts.contains(text) && !all.contains(text + QLatin1Char('\n')), qPrintable(text));
        QVERIFY(texts.contains(QStringLiteral("Page 1 of 1")));
    }

    void longCostingRepeatsHeadingsOnEveryPage_data()
    {
        QTest::addColumn<QString>("paper");
        QTest::addColumn<int>("lines");
        QTest::newRow("A4, 150 lines") << reportfiles::costingA4 << 150;
        QTest::newRow("A5, 150 lines") << reportfiles::costingA5 << 150;
    }
    void longCostingRepeatsHeadingsOnEveryPage()
    {
        QFETCH(QString, paper);
        QFETCH(int, lines);
        auto c = reportDatabase();
        addReportCosting(c, 9, lines);
        const QVector<QStringList> pages = pageTexts(costingContent(c, 9, definition(paper)));
        QVERIFY2(pages.size() >= 3, qPrintable(QString::number(pages.size())));
        QSet<QString> codes;
        for (int p = 0; p < pages.size(); ++p) {
            const QStringList &texts = pages[p];
            QCOMPARE(texts.count(QStringLiteral("Description")), 1);
            QCOMPARE(texts.count(QStringLiteral("Costed Price")), 1);
            QVERIFY(texts.contains(QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages.size())));
            QCOMPARE(texts.contains(QStringLiteral("Main Street")), p == 0);
            QCOMPARE(texts.contains(QStringLiteral("Total (%1 lines)").arg(lines)), p == pages.size() - 1);
            for (const QString &text : texts) {
                if (text.startsWith(QLatin1String("IT-"))) {
                    QVERIFY2(!codes.contains(text), qPrintable(text + QStringLiteral(" twice")));
                    codes.insert(text);
                }
            }
        }
        QCOMPARE(codes.size(), lines);
    }

    void paperOfEachDefinition_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("paper");
        QTest::newRow("A4") << reportfiles::costingA4 << int(QPageSize::A4);
        QTest::newRow("A5") << reportfiles::costingA5 << int(QPageSize::A5);
        QTest::newRow("bill") << reportfiles::bill << int(QPageSize::A4);
    }
    void paperOfEachDefinition()
    {
        QFETCH(QString, file);
        QFETCH(int, paper);
        QCOMPARE(int(ReportDefinition::read(definition(file)).page.pageSize), paper);
    }

    void pdfHasThePagesOfTheLayout()
    {
        auto c = reportDatabase();
        addReportCosting(c, 9, 150);
        auto engine = openCostingReport(c, 9, definition(reportfiles::costingA4), QStringLiteral("Stores"));
        const QString file = newDatabasePath(QStringLiteral("long")) + QStringLiteral(".pdf");
        engine->ExportPdf(file);
        QVERIFY(engine->PageCount() >= 3);
        QCOMPARE(pdfPages(file), engine->PageCount());
        QCOMPARE(pageTexts(*static_cast<DefaultReportEngine &>(*engine).content()).size(), engine->PageCount());
    }

    // ---- the register's Preview and Print

    void previewCallsTheEngineInOrder()
    {
        const RecordedEngines engines;
        auto c = reportDatabase();
        addReportCosting(c, 5, 2);
        addReportCosting(c, 6, 2);
        c->execute(QStringLiteral("update loaLocalPurchaseCostingHeader set lpchDepartmentid = 2"));
        FrmMaster &w = openRegister(c, 2);
        selectCosting(w, 5);
        w.cmdPreview()->click();
        QCOMPARE(reported(), QStringList());
        QCOMPARE(*engines.log, (QStringList{"LogOnServer|pdsodbc.dll|admindsnv2|adminv2|admin|tqlnrepo4816",
                                            "OpenReport|rptLocalPurchaseCosting.rpt", "SetPreviewSwitch|8|1",
                                            "SetPreviewSwitch|14|1", "SetPreviewSwitch|7|1", "SetPreviewSwitch|12|1",
                                            "SetParameter|1|5|int|0", "SetParameter|2|Local Purchase Costing|QString|12",
                                            "SetParameter|3|Stores|QString|0", "Preview|Local Purchase Costing|0|0|0|0|1cf0000"}));
        QCOMPARE(w.curSymbol, QStringLiteral("$"));
        QVERIFY(w.report() != nullptr);
    }

    void costingAboveSixteenBitsPreviews()
    {
        auto c = reportDatabase();
        addReportCosting(c, 40000, 2);
        {
            const RecordedEngines engines;
            FrmMaster &w = openRegister(c, 1);
            selectCosting(w, 40000);
            w.cmdPreview()->click();
            QCOMPARE(reported(), QStringList());
            QVERIFY(engines.log->contains(QStringLiteral("SetParameter|1|40000|int|0")));
            endModule();
        }
        const QVector<QStringList> pages = pageTexts(costingContent(c, 40000));
        QVERIFY(pages.first().contains(QStringLiteral("LPC-40000")));
    }

    void vendorSymbolOfTheCostingsOwnShop_data()
    {
        QTest::addColumn<int>("shop");
        QTest::addColumn<QString>("symbol");
        QTest::newRow("first shop's bill, rupees") << 1 << "Rs.";
        QTest::newRow("second shop's bill of the same number, dollars") << 2 << "$";
    }
    void vendorSymbolOfTheCostingsOwnShop()
    {
        QFETCH(int, shop);
        QFETCH(QString, symbol);
        auto c = reportDatabase();
        // One bill number in two shops, the first shop's written first.
        addBill(c, Bill(7).shop(1).vendor(1).number(QStringLiteral("B-7")).costed());
        addBill(c, Bill(7).shop(2).vendor(2).number(QStringLiteral("B-7")).costed());
        addCosting(c, Costing(1).of(Bill(7).shop(1)));
        addCosting(c, Costing(2).of(Bill(7).shop(2)));
        const RecordedEngines engines;
        FrmMaster &w = openRegister(c, 0);
        selectCosting(w, shop);
        w.cmdPreview()->click();
        QCOMPARE(reported(), QStringList());
        QCOMPARE(w.curSymbol, symbol);
    }

    void printFollowsPreview_data()
    {
        QTest::addColumn<QVariant>("rights");
        QTest::addColumn<bool>("withCosting");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("P and a costing") << QVariant(QStringLiteral("NEDP")) << true << true;
        QTest::newRow("no P") << QVariant(QStringLiteral("NED")) << true << false;
        QTest::newRow("no costing under the cursor") << QVariant(QStringLiteral("NEDP")) << false << false;
        QTest::newRow("no rights row") << QVariant() << true << false;
    }
    void printFollowsPreview()
    {
        QFETCH(QVariant, rights);
        QFETCH(bool, withCosting);
        QFETCH(bool, enabled);
        auto c = reportDatabase();
        c->execute(QStringLiteral("delete from aUserRights"));
        if (rights.isValid())
            c->execute(QStringLiteral("insert into aUserRights (userid, interfaceid, functionrights) values (1, 2011, ?)"), {rights});
        if (withCosting)
            addReportCosting(c, 5, 1);
        FrmMaster &w = openRegister(c, 1);
        QCOMPARE(w.cmdPreview()->isEnabled(), enabled);
        QCOMPARE(w.cmdPrint()->isEnabled(), enabled);
        QVERIFY(w.cmdPrint()->isVisible());
        QCOMPARE(w.cmdPrint()->text(), QStringLiteral("&Print"));
        QCOMPARE(w.cmdPreview()->nextInFocusChain(), w.cmdPrint());
        // The gates of a row change reach Print as well.
        w.cmdPreview()->setEnabled(!enabled);
        QCOMPARE(w.cmdPrint()->isEnabled(), !enabled);
    }

    void printOpensThePaperChoiceForTheCurrentCosting_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("opened");
        QTest::newRow("Enter keeps A5") << "enter" << QStringList{"OpenReport|rptLocalPurchaseCostingA5.rpt"};
        QTest::newRow("A4 chosen") << "a4 enter" << QStringList{"OpenReport|rptLocalPurchaseCosting.rpt"};
        QTest::newRow("Esc previews nothing") << "esc" << QStringList();
        QTest::newRow("Esc from the A4 option") << "a4 esc" << QStringList();
    }
    void printOpensThePaperChoiceForTheCurrentCosting()
    {
        QFETCH(QString, keys);
        QFETCH(QStringList, opened);
        const RecordedEngines engines;
        auto c = reportDatabase();
        addReportCosting(c, 5, 1);
        addReportCosting(c, 6, 1);
        FrmMaster &w = openRegister(c, 1);
        selectCosting(w, 5);
        bool stillOpen = false;
        QString caption;
        bool a5AtOpening = false;
        whileModal<frmPrint>([] () -> frmPrint & { return frmMaster().printWindow(); }, [&](frmPrint &p) {
            caption = p.windowTitle();
            a5AtOpening = p.optPaperA5()->isChecked() && !p.Option2()->isChecked();
            QCOMPARE(p.intcostid, 5);
            for (const QString &key : keys.split(QLatin1Char(' '))) {
                if (key == QLatin1String("a4")) {
                    p.Option2()->setFocus();
                    p.Option2()->click();
                } else if (key == QLatin1String("enter")) {
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                } else {
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
                }
            }
            stillOpen = p.isVisible();
        });
        w.cmdPrint()->click();
        QCOMPARE(reported(), QStringList());
        QCOMPARE(caption, QStringLiteral("Print"));
        QVERIFY(a5AtOpening);
        QStringList seen;
        for (const QString &line : *engines.log) {
            if (line.startsWith(QLatin1String("OpenReport")))
                seen << line;
        }
        QCOMPARE(seen, opened);
        // OK leaves the window open; Esc closes it.
        QCOMPARE(stillOpen, keys.endsWith(QLatin1String("enter")));
        if (!opened.isEmpty())
            QVERIFY(engines.log->contains(QStringLiteral("SetParameter|1|5|int|0")));
        QCOMPARE(w.printWindow().isVisible(), false);
        // A second opening starts from A5 again.
        whileModal<frmPrint>([] () -> frmPrint & { return frmMaster().printWindow(); }, [&](frmPrint &p) {
            a5AtOpening = p.optPaperA5()->isChecked();
        });
        w.cmdPrint()->click();
        QVERIFY(a5AtOpening);
    }

    void previewWindowIsNonModalAndReplaced()
    {
        auto c = reportDatabase();
        addReportCosting(c, 5, 3);
        addReportCosting(c, 6, 3);
        FrmMaster &w = openRegister(c, 1);
        selectCosting(w, 5);
        w.cmdPreview()->click();
        QCOMPARE(reported(), QStringList());
        QPointer<QPrintPreviewDialog> first = visiblePreview(QStringLiteral("Local Purchase Costing"));
        QVERIFY(first);
        QVERIFY(!first->isModal());
        QCOMPARE(first->windowModality(), Qt::NonModal);
        QVERIFY(first->findChild<QAction *>(QStringLiteral("savePdf")));
        QCOMPARE(w.report()->PageCount(), 1);
        selectCosting(w, 6);
        w.cmdPreview()->click();
        QTRY_VERIFY(!first);
        QVERIFY(visiblePreview(QStringLiteral("Local Purchase Costing")));
    }

    // ---- the bill preview

    void billReportFolderRule_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::newRow("upper case") << "/opt/VORKA/lib" << "/opt/MELD/lib";
        QTest::newRow("lower case") << "/opt/vorka/lib" << "/opt/MELD/lib";
        QTest::newRow("mixed case, twice") << "/srv/Vorka/VorkaTools" << "/srv/MELD/MELDTools";
        QTest::newRow("without it, as it stands") << "/opt/Suite/lib" << "/opt/Suite/lib";
    }
    void billReportFolderRule()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QCOMPARE(reportfiles::billReportFolder(path), folder);
        QCOMPARE(reportfiles::definitionPath(folder, reportfiles::bill), folder + QStringLiteral("/reports/rptLocalPurchaseBill.rpt"));
    }

    void definitionsAreFoundBesideTheBuild()
    {
        for (const QString &file : {reportfiles::costingA4, reportfiles::costingA5, reportfiles::bill})
            QVERIFY2(QFile::exists(definition(file)), qPrintable(definition(file)));
    }

    void billPreview_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("select");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("previewShown");
        QTest::newRow("no bill selected") << 2 << false << "" << false;
        QTest::newRow("no lines") << 0 << true << "No details found.   /64/Costing" << false;
        QTest::newRow("with lines") << 2 << true << "" << true;
    }
    void billPreview()
    {
        QFETCH(int, lines);
        QFETCH(bool, select);
        QFETCH(QString, message);
        QFETCH(bool, previewShown);
        auto c = reportDatabase();
        Bill bill(3);
        bill.vendor(2).number(QStringLiteral("HB-3"));
        for (int k = 1; k <= lines; ++k)
            bill.line(k, k, 25.0 * k);
        addBill(c, bill);
        frmlocalpurchasecosting &w = openNewCosting(c, 1, 1, select ? 3 : 0);
        session().MsgboxTitle = QStringLiteral("Costing");
        w.show();
        w.cmdPurchaseNoPreview()->click();
        QCOMPARE(reported(), QStringList());
        QStringList shown;
        for (const ShownMessage &m : *m_messages)
            shown << QStringLiteral("%1/%2/%3").arg(m.text).arg(m.style).arg(m.title);
        QCOMPARE(shown, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(w.crptReport() != nullptr, select);
        QCoreApplication::processEvents();
        QCOMPARE(visiblePreview(QStringLiteral("Local Purchase Bill")) != nullptr, previewShown);
        if (previewShown) {
            const ReportContent &content = *static_cast<DefaultReportEngine *>(w.crptReport())->content();
            QCOMPARE(content.records, lines);
            const QString all = pageTexts(content).first().join(QLatin1Char('\n'));
            for (const char *text : {"Local Purchase Bill", "HB-3", "Main Street", "Gulf Imports", "IT-2", "$ 50.00", "ADMIN", "Purchase"})
                QVERIFY2(all.contains(QLatin1String(text)), text);
        }
    }

    void billPreviewParameters()
    {
        const RecordedEngines engines(4);
        auto c = reportDatabase();
        addBill(c, Bill(3).line(1, 1, 10));
        frmlocalpurchasecosting &w = openNewCosting(c, 1, 1, 3);
        w.cmdPurchaseNoPreview()->click();
        QCOMPARE(reported(), QStringList());
        QStringList fields;
        for (const QString &line : *engines.log) {
            if (line.startsWith(QLatin1String("SetParameterField")) || line.startsWith(QLatin1String("OpenReport"))
                || line.startsWith(QLatin1String("Preview")))
                fields << line;
        }
        QCOMPARE(fields, (QStringList{"SetParameterField|0|strReportName;Local Purchase Bill;true", "SetParameterField|1|intShopID;1;true",
                                      "SetParameterField|2|intBillID;3;true", "SetParameterField|3|strUserName;ADMIN;true",
                                      "SetParameterField|4|strDepartmentName;" + w.cboDepartmentName()->currentText() + ";true",
                                      "OpenReport|rptLocalPurchaseBill.rpt", "Preview|Local Purchase Bill|0|0|0|0|0"}));
        QCOMPARE(engines.log->count(QStringLiteral("SetPreviewSwitch|118|1")), 1);
        QCOMPARE(engines.log->filter(QStringLiteral("SetPreviewSwitch")).size(), 9);
    }

    void billPreviewFailureIsReported()
    {
        auto c = reportDatabase();
        addBill(c, Bill(3).line(1, 1, 10));
        frmlocalpurchasecosting &w = openNewCosting(c, 1, 1, 3);
        // The user's name cannot be found.
        c->execute(QStringLiteral("delete from lousers"));
        w.cmdPurchaseNoPreview()->click();
        QCOMPARE(m_errors->size(), 1);
        QCOMPARE(m_errors->first().procedure, QStringLiteral("PreviewReport"));
        QCOMPARE(m_errors->first().mode, QString());
        QVERIFY(!visiblePreview(QStringLiteral("Local Purchase Bill")));
    }

    // ---- the command line

    void commandLineWritesThePdf_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("longReport");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("draft, for its own department") << QStringList{"--costing", "5"} << false
                                                       << QStringList{"LPC-5", "Draft", "Purchase", "Page 1 of 1"};
        QTest::newRow("fixed") << QStringList{"--costing", "6"} << false << QStringList{"LPC-6", "Fixed"};
        QTest::newRow("cancelled, for another department") << QStringList{"--costing", "7", "--department", "2"} << false
                                                           << QStringList{"LPC-7", "*** CANCELLED ***", "Stores", "Vendor's bill was wrong"};
        QTest::newRow("long, A4") << QStringList{"--costing", "8"} << true << QStringList{"Total (150 lines)", "Page 2 of"};
        QTest::newRow("long, A5") << QStringList{"--costing", "8", "--a5"} << true << QStringList{"Total (150 lines)"};
        QTest::newRow("costing above 32,767") << QStringList{"--costing", "40000"} << false << QStringList{"LPC-40000"};
        QTest::newRow("bill") << QStringList{"--bill", "1:5"} << false << QStringList{"Local Purchase Bill", "B-5", "Gulf Imports"};
    }
    void commandLineWritesThePdf()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, longReport);
        QFETCH(QStringList, texts);
        const QString database = newDatabasePath(QStringLiteral("cli"));
        {
            auto c = reportDatabase(database);
            addReportCosting(c, 5, 3);
            addReportCosting(c, 6, 3, QStringLiteral("fixed"));
            addReportCosting(c, 7, 3, QStringLiteral("cancelled"));
            addReportCosting(c, 8, 150);
            addReportCosting(c, 40000, 2);
        }
        const QString pdf = newDatabasePath(QStringLiteral("cli")) + QStringLiteral(".pdf");
        const Run run = runProgram(QStringList{QStringLiteral("report"), QStringLiteral("--db"), database, QStringLiteral("--pdf"), pdf} + arguments);
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        const int pages = pdfPages(pdf);
        QVERIFY(longReport ? pages >= 3 : pages == 1);
        QCOMPARE(run.out.trimmed(), QStringLiteral("%1: %2 %3").arg(pdf).arg(pages).arg(pages == 1 ? "page" : "pages"));
        // The laid-out text is checked in the process above; here the file's own, where the
        // machine can read it.
        const QString reader = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (reader.isEmpty())
            return;
        QProcess process;
        process.start(reader, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(process.waitForFinished(60000));
        const QString text = QString::fromUtf8(process.readAllStandardOutput());
        for (const QString &expected : texts)
            QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" missing from:\n") + text.left(2000)));
    }

    void commandLineRefusesWhatDoesNotExist_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no such costing") << QStringList{"--costing", "99"};
        QTest::newRow("not a costing id") << QStringList{"--costing", "x"};
        QTest::newRow("no such bill") << QStringList{"--bill", "2:5"};
        QTest::newRow("not a bill") << QStringList{"--bill", "5"};
    }
    void commandLineRefusesWhatDoesNotExist()
    {
        QFETCH(QStringList, arguments);
        const QString database = newDatabasePath(QStringLiteral("cli"));
        addReportCosting(reportDatabase(database), 5, 3);
        const QString pdf = newDatabasePath(QStringLiteral("cli")) + QStringLiteral(".pdf");
        const Run run = runProgram(QStringList{QStringLiteral("report"), QStringLiteral("--db"), database, QStringLiteral("--pdf"), pdf} + arguments);
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains(QLatin1String("There is no")));
        QVERIFY(!QFile::exists(pdf));
    }
};

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
