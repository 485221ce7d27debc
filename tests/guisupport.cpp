#include "guisupport.h"

#include "controls/messagebox.h"
#include "db/values.h"
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

void startSession(const ConnectionPtr &connection, qint16 userId, qint16 departmentId, const QDateTime &processDate,
                  qint16 companyId)
{
    resetModule();
    SessionContext &s = session();
    s.adocon = connection;
    s.intUserID = userId;
    s.intDepartmentId = departmentId;
    s.intcompanyid = companyId;
    s.ProcessDate = processDate;
    s.MsgboxTitle = QStringLiteral("Local Purchase Costing");
}

} // namespace kadu2217::testsupport
