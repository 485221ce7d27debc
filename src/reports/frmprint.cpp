#include "reports/frmprint.h"

#include "controls/busycursor.h"
#include "controls/twips.h"
#include "reports/costingreport.h"
#include "shell/reporterror.h"
#include "shell/reportfiles.h"
#include "shell/required.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace kadu2217 {
namespace {

const QString kWindow = QStringLiteral("frmPrint");

} // namespace

frmPrint::frmPrint(ModuleContext &context, QWidget *parent) : QDialog(parent), m_context(context)
{
    setObjectName(kWindow);
    buildControls();
}

frmPrint::~frmPrint() = default;

void frmPrint::buildControls()
{
    setWindowTitle(QStringLiteral("Print"));
    setFormSizeTwips(this, 3645, 2160);
    m_fraPaper = placeControl<QGroupBox>(this, QStringLiteral("fraPaper"), {120, 60, 3390, 1455}, QStringLiteral("Paper Size"));
    m_picture1 = placeControl<QFrame>(m_fraPaper, QStringLiteral("Picture1"), {120, 300, 3150, 1035});
    m_picture1->setFrameShape(QFrame::NoFrame);
    m_option2 = placeControl<QRadioButton>(m_picture1, QStringLiteral("Option2"), {240, 120, 2500, 315}, QStringLiteral("A4 Paper"));
    m_optPaperA5 = placeControl<QRadioButton>(m_picture1, QStringLiteral("optPaperA5"), {240, 570, 2500, 315}, QStringLiteral("A5 Paper"));
    m_cmdOK = placeControl<QPushButton>(this, QStringLiteral("cmdOK"), {1065, 1665, 1170, 420}, QStringLiteral("&OK"));
    m_cmdCancel = placeControl<QPushButton>(this, QStringLiteral("cmdCancel"), {2340, 1665, 1170, 420}, QStringLiteral("Cancel"));
    m_cmdOK->setDefault(true);
    m_cmdCancel->setAutoDefault(false);
    setTabOrder(m_option2, m_optPaperA5);
    setTabOrder(m_optPaperA5, m_cmdOK);
    setTabOrder(m_cmdOK, m_cmdCancel);

    connect(m_cmdOK, &QPushButton::clicked, this, [this] {
        runHandler(m_context, kWindow, QStringLiteral("cmdOK_Click"), [this] { WIndowsPrint(); });
    });
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] {
        runHandler(m_context, kWindow, QStringLiteral("cmdCancel_Click"), [this] { unload(); });
    });
}

void frmPrint::showModal()
{
    m_optPaperA5->setChecked(true);
    runHandler(m_context, kWindow, QStringLiteral("Form_Load"), [this] { Form_Load(); });
    m_optPaperA5->setFocus();
    exec();
}

void frmPrint::Form_Load()
{
    required(m_context.state.GObjFormTheme).ApplyFormTheme(*this);
}

void frmPrint::WIndowsPrint()
{
    runHandler(m_context, kWindow, QStringLiteral("cmdPrint_Click"), [this] {
        const BusyCursor busy(this);
        const SessionContext &s = m_context.session;
        const QString file = reportfiles::definitionPath(reportfiles::componentFolder(),
                                                         m_optPaperA5->isChecked() ? reportfiles::costingA5 : reportfiles::costingA4);
        // The engine is kept: it holds the preview window open.
        m_report = previewCosting(s.adocon, intcostid, file, DepartmentNameOf(s.adocon, s.intDepartmentId));
    });
}

// Esc, from any control, is Cancel.
void frmPrint::reject()
{
    runHandler(m_context, kWindow, QStringLiteral("Form_KeyPress"), [this] { unload(); });
}

void frmPrint::closeEvent(QCloseEvent *event)
{
    event->ignore();
    runHandler(m_context, kWindow, QStringLiteral("cmdCancel_Click"), [this] { unload(); });
}

// The preview's objects go with the window.
void frmPrint::unload()
{
    m_report.reset();
    done(QDialog::Rejected);
}

} // namespace kadu2217
