#include "guisupport.h"

#include "controls/combobox.h"
#include "controls/messagebox.h"
#include "fixtures.h"
#include "testsupport.h"
#include "db/values.h"
#include "entry/frmlocalpurchasecosting.h"
#include "fixtures.h"
#include "services/defaults.h"
#include "shell/session.h"

namespace kadu2217::testsupport {
namespace {

class RecordingFaultLog final : public clsFaultLog {
public:
    explicit RecordingFaultLog(std::shared_ptr<QVector<ReportedError>> records) : m_records(std::move(records)) {}
    bool ErrorTrack(const QString &windowName, const QVariant &userName, const QString &procedureName,
                    qint32 errorNumber, const QString &source, const QString &description, const QString &mode,
                    bool) override
    {
        m_records->append({windowName, value::displayText(userName), procedureName, errorNumber, source, description, mode});
        return true;
    }

private:
    std::shared_ptr<QVector<ReportedError>> m_records;
};

} // namespace

std::shared_ptr<QVector<ReportedError>> recordErrors()
{
    auto records = std::make_shared<QVector<ReportedError>>();
    registerService(servicenames::FaultLog, [records] { return std::make_shared<RecordingFaultLog>(records); });
    return records;
}

std::shared_ptr<QVector<ShownMessage>> answerMessages(std::function<int(const ShownMessage &)> answer)
{
    auto shown = std::make_shared<QVector<ShownMessage>>();
    setMessageBoxHandler([shown, answer](const QString &title, const QString &text, int style) {
        const ShownMessage message{title, text, style};
        shown->append(message);
        return answer ? answer(message) : MsgBoxAnswer::Ok;
    });
    return shown;
}

namespace {

std::unique_ptr<Module> &moduleHolder()
{
    static std::unique_ptr<Module> module;
    return module;
}

} // namespace

Module &testModule()
{
    if (!moduleHolder())
        moduleHolder() = std::make_unique<Module>();
    return *moduleHolder();
}

void startSession(const ConnectionPtr &connection, qint16 userId, qint16 departmentId, const QDateTime &processDate,
                  qint16 companyId)
{
    endModule();
    SessionContext &s = session();
    s.adocon = connection;
    s.intUserID = userId;
    s.intDepartmentId = departmentId;
    s.intcompanyid = companyId;
    s.ProcessDate = processDate;
    s.MsgboxTitle = QStringLiteral("Local Purchase Costing");
}

void endModule()
{
    moduleHolder().reset();
}

void createSharedObjects()
{
    moduleState().GObjFormTheme = createServiceAs<clsFormTheme>(servicenames::FormTheme);
    moduleState().GObjAuditTrail = createServiceAs<clsAuditTrail>(servicenames::AuditTrail);
}

ModuleContext &context() { return testModule().context(); }
SessionContext &session() { return context().session; }
ModuleState &moduleState() { return context().state; }
FrmMaster &frmMaster() { return testModule().master(); }
frmlocalpurchasecosting &entryWindow() { return testModule().entry(); }
frmPendingMaster &pendingWindow() { return testModule().pending(); }

void startEntrySession(const ConnectionPtr &connection, qint16 departmentId)
{
    startSession(connection, 1, departmentId, kProcessDate);
    createSharedObjects();
    setEntryMode(QStringLiteral("N"));
}

frmlocalpurchasecosting &openNewCosting(const ConnectionPtr &connection, qint16 departmentId, int shopId, int billId)
{
    startEntrySession(connection, departmentId);
    frmlocalpurchasecosting &w = entryWindow();
    w.Load();
    w.cboShop()->selectByValue(shopId);
    if (billId > 0)
        w.cboPurchNo()->selectByValue(billId);
    return w;
}

void setEntryMode(const QString &letter)
{
    moduleState().entryMode = letter == QLatin1String("N") ? EntryMode::New
                              : letter == QLatin1String("E") ? EntryMode::Edit
                                                             : EntryMode::None;
}

QString entryModeLetter()
{
    return modeLetter(moduleState().entryMode);
}

QVector<WaitingBill> waitingBills(const ConnectionPtr &c)
{
    QVector<WaitingBill> bills;
    for (const QVariantList &row : queryRows(c, QStringLiteral("select lphBillID, lphShopID, lphDepartmentID from losLocalPurchaseHeader "
                                                               "where lphcosted=0 and lphcancelled=0 and lphConfirmed=1 order by lphBillID")))
        bills.append({row[0].toInt(), row[1].toInt(), row[2].toInt()});
    return bills;
}

void startSaving(const ConnectionPtr &c, qint16 department, const QString &mode)
{
    startSession(c, 1, department, kDemoNow);
    setEntryMode(mode);
    moduleState().GStrUserName = QStringLiteral("ADMIN");
    moduleState().GObjAuditTrail = std::make_shared<DefaultAuditTrail>();
    moduleState().GObjAuditTrail->OpenObject(session().adocon, 1, 1, department, 2011, kDemoNow);
}

SaveOutcome save(const ConnectionPtr &c, const CostingToSave &costing, qint32 &costingId)
{
    DefaultDatabase lookups;
    lookups.adocon = c;
    return saveCosting(context(), lookups, *moduleState().GObjAuditTrail, nullptr, costing, costingId);
}

} // namespace kadu2217::testsupport
