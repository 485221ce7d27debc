#include "cancel/frmcancel.h"

#include "controls/busycursor.h"
#include "controls/messagebox.h"
#include "controls/twips.h"
#include "controls/vbkeys.h"
#include "db/values.h"
#include "shell/reporterror.h"
#include "shell/required.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kadu2217 {
namespace {

const QString kWindow = QStringLiteral("frmCancel");
constexpr int kReasonLength = 200;
constexpr int kApostrophe = 39;

QString costText(const std::optional<double> &cost)
{
    return cost ? value::formatUpTo3(*cost) : QStringLiteral("none");
}

} // namespace

frmCancel::frmCancel(ModuleContext &context, QWidget *parent) : QDialog(parent), m_context(context)
{
    setObjectName(kWindow);
    buildControls();
}

frmCancel::~frmCancel() = default;

void frmCancel::buildControls()
{
    setWindowTitle(QStringLiteral("Reason For Deletion"));
    setFormSizeTwips(this, 6360, 510);
    m_label1 = placeControl<QLabel>(this, QStringLiteral("Label1"), {105, 165, 645, 195}, QStringLiteral("&Reason :"));
    m_txtcanreason = placeControl<QLineEdit>(this, QStringLiteral("txtcanreason"), {855, 105, 4740, 315});
    m_txtcanreason->setMaxLength(kReasonLength);
    m_label1->setBuddy(m_txtcanreason);
    m_cmdok = placeControl<QPushButton>(this, QStringLiteral("cmdok"), {5715, 105, 555, 315}, QStringLiteral("&OK"));
    setTabOrder(m_txtcanreason, m_cmdok);
    m_txtcanreason->installEventFilter(this);
    connect(m_cmdok, &QPushButton::clicked, this, [this] { cmdok_Click(); });
}

frmCancel::Result frmCancel::cancelCosting(const QString &costingId, const QString &costingNo)
{
    m_costingId = costingId;
    m_costingNo = costingNo;
    m_result = Result::NothingDone;
    m_txtcanreason->clear();
    m_cmdok->setEnabled(true);
    runHandler(m_context, kWindow, QStringLiteral("Form_Load "), [this] { Form_Load(); });
    m_txtcanreason->setFocus();
    exec();
    return m_result;
}

void frmCancel::Form_Load()
{
    required(m_context.state.GObjFormTheme).ApplyFormTheme(*this);
}

bool frmCancel::askAboutLaterCosts(QVector<LaterCost> &shown, QSet<qint32> &keepCurrent)
{
    shown = laterCosts(m_context.session.adocon, m_costingId);
    keepCurrent.clear();
    if (shown.isEmpty())
        return true;
    QStringList lines;
    for (const LaterCost &item : shown)
        lines << QStringLiteral("%1  %2: now %3, before the costing %4")
                     .arg(item.code, item.description, costText(item.current), costText(item.restore));
    const QString text = QStringLiteral("These items' costs were changed after costing %1:\n\n").arg(m_costingNo) + lines.join('\n')
        + QStringLiteral("\n\nRestore puts back their cost from before the costing; Keep current leaves them as they are "
                         "(the other items are restored either way); Stop cancels nothing.");
    const int answer = messageBox(text, MsgBoxStyle::YesNoCancel | MsgBoxStyle::Exclamation | MsgBoxStyle::DefaultButton3,
                                  m_context.session.MsgboxTitle, this,
                                  {QStringLiteral("Restore"), QStringLiteral("Keep current"), QStringLiteral("Stop")});
    if (answer == MsgBoxAnswer::No) {
        for (const LaterCost &item : shown)
            keepCurrent.insert(item.itemId);
    }
    return answer == MsgBoxAnswer::Yes || answer == MsgBoxAnswer::No;
}

void frmCancel::cmdok_Click()
{
    runHandler(m_context, kWindow, QStringLiteral("cmdok_Click "), [this] {
        required(m_register).restRowChanges();
        const QString reason = m_txtcanreason->text();
        if (reason.trimmed().isEmpty()) {
            messageBox(QStringLiteral("Enter reason for deletion"), MsgBoxStyle::OkOnly | MsgBoxStyle::Information,
                       m_context.session.MsgboxTitle, this);
            m_txtcanreason->setFocus();
            return;
        }
        for (;;) {
            CostingToCancel request{m_costingId, m_costingNo, reason, {}, {}};
            if (!askAboutLaterCosts(request.laterCostsShown, request.keepCurrent))
                return;
            CancelOutcome outcome;
            {
                const BusyCursor busy(this);
                clsAuditTrail &audit = required(m_context.state.GObjAuditTrail);
                audit.LoggedTime = QDateTime::currentDateTime();
                // Whatever the register showed inside an undone attempt must be read again.
                m_result = Result::RolledBack;
                outcome = kadu2217::cancelCosting(m_context, *m_register, audit, request);
            }
            if (outcome == CancelOutcome::LaterCostsChanged)
                continue;
            if (outcome == CancelOutcome::AlreadyCancelled) {
                messageBox(QStringLiteral("Costing %1 has already been cancelled").arg(m_costingNo),
                           MsgBoxStyle::OkOnly | MsgBoxStyle::Information, m_context.session.MsgboxTitle, this);
            } else {
                m_result = Result::Cancelled;
                m_cmdok->setEnabled(false);
            }
            done(QDialog::Accepted);
            return;
        }
    });
}

void frmCancel::txtcanreason_KeyPress(int &keyAscii)
{
    if (keyAscii == VbKey::Return) {
        m_cmdok->setFocus();
        keyAscii = 0;
    } else if (keyAscii == kApostrophe) {
        keyAscii = 0;
    }
}

bool frmCancel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_txtcanreason || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    int keyAscii = vbKeyAscii(static_cast<QKeyEvent *>(event));
    if (keyAscii == 0)
        return QDialog::eventFilter(watched, event);
    runHandler(m_context, kWindow, QStringLiteral("txtcanreason_KeyPress"), [this, &keyAscii] { txtcanreason_KeyPress(keyAscii); });
    return keyAscii == 0 || QDialog::eventFilter(watched, event);
}

// Esc leaves the costing as it is.
void frmCancel::reject()
{
    done(QDialog::Rejected);
}

// The close box with a reason given cancels as OK does; the window closes either way.
void frmCancel::closeEvent(QCloseEvent *event)
{
    event->ignore();
    runHandler(m_context, kWindow, QStringLiteral("Form_QueryUnload"), [this] {
        if (m_cmdok->isEnabled() && !m_txtcanreason->text().trimmed().isEmpty())
            cmdok_Click();
    });
    if (isVisible())
        done(QDialog::Rejected);
}

} // namespace kadu2217
