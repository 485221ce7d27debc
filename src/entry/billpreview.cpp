#include "entry/frmlocalpurchasecosting.h"

#include "controls/busycursor.h"
#include "controls/combobox.h"
#include "controls/messagebox.h"
#include "db/values.h"
#include "shell/reporterror.h"
#include "shell/reportfiles.h"
#include "shell/required.h"

#include <QApplication>
#include <QPointer>

namespace kadu2217 {
namespace {

QPointer<QWidget> topLevelWindowTitled(const QString &title)
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->windowTitle() == title)
            return window;
    }
    return nullptr;
}

} // namespace

void frmlocalpurchasecosting::cmdPurchaseNoPreview_Click()
{
    if (m_cboPurchNo->listIndex() < 0)
        return;
    // Its failures are reported without the window's mode.
    ModuleContext reporting = m_context;
    reporting.state.entryMode = EntryMode::None;
    runHandler(reporting, QStringLiteral("frmlocalpurchasecosting"), QStringLiteral("PreviewReport"), [this] {
        const BusyCursor busy(this);
        const SessionContext &s = m_context.session;
        clsDatabase &db = required(m_objDatabase);
        db.strTableName = QStringLiteral("lousers where userid=") + QString::number(s.intUserID);
        const QString userName = value::toText(db.fnreturnfield(QStringLiteral("UserName"))).toUpper();

        if (!m_crptReport)
            m_crptReport = createServiceAs<clsReportEngine>(servicenames::ReportControl);
        clsReportEngine &report = *m_crptReport;
        report.adocon = s.adocon;
        const ReportLogOn logOn;
        report.LogOnServer(logOn.driverFile, logOn.server, logOn.database, logOn.user, logOn.password);
        for (const int option : {118, 120, 119, 125, 124, 116, 115, 122, 123})
            report.SetPreviewSwitch(option, true);

        const QString file = reportfiles::definitionPath(reportfiles::billReportFolder(reportfiles::componentFolder()), reportfiles::bill);
        const QStringList fields = reportfiles::billReportFields(reportfiles::billTitle, m_cboShop->itemData(m_cboShop->listIndex()),
                                                                 m_cboPurchNo->itemData(m_cboPurchNo->listIndex()), userName,
                                                                 m_cboDepartmentName->currentText());
        for (int i = 0; i < fields.size(); ++i)
            report.SetParameterField(i, fields[i]);
        report.OpenReport(file);
        report.Preview(reportfiles::billTitle, 0, 0, 0, 0, 0);

        const QPointer<QWidget> preview = topLevelWindowTitled(reportfiles::billTitle);
        QCoreApplication::processEvents();
        if (report.RecordsPrinted() == 0) {
            if (preview)
                preview->close();
            messageBox(QStringLiteral("No details found.   "), MsgBoxStyle::OkOnly | MsgBoxStyle::Information, s.MsgboxTitle, this);
        }
        if (preview)
            preview->raise();
    });
}

} // namespace kadu2217
