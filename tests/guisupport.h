#pragma once

#include "db/connection.h"
#include "entry/costingsave.h"
#include "module/module.h"

#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QTimer>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>

// Seams the window tests use: a recording error log, answered message boxes, a session.
namespace kadu2217::testsupport {

struct ReportedError {
    QString window;
    QString user;
    QString procedure;
    qint32 number = 0;
    QString source;
    QString description;
    QString mode;
};

// Replaces the error-logging service by one that records every report.
std::shared_ptr<QVector<ReportedError>> recordErrors();

struct ShownMessage {
    QString title;
    QString text;
    int style = 0;
};

// Answers every message box through `answer` (OK by default) and records it.
std::shared_ptr<QVector<ShownMessage>> answerMessages(std::function<int(const ShownMessage &)> answer = {});

// A new module of the test's own (context and windows), its session filled.
void startSession(const ConnectionPtr &connection, qint16 userId, qint16 departmentId, const QDateTime &processDate,
                  qint16 companyId = 1);
// Ends the test's module: its windows and values are gone.
void endModule();
// The shared objects the register creates on load, for windows opened without it.
void createSharedObjects();

// The test's module, its context and its windows; a module without a session is made on
// first use.
Module &testModule();
ModuleContext &context();
SessionContext &session();
ModuleState &moduleState();
FrmMaster &frmMaster();
frmlocalpurchasecosting &entryWindow();
frmPendingMaster &pendingWindow();

// Runs `whileOpen` once `window()` is the modal window; closes it afterwards if the steps
// left it open, so that a failed check cannot hang the test. Install it only when the window
// will open: a waiting probe outlives the test.
template <typename Window>
void whileModal(Window &(*window)(), const std::function<void(Window &)> &whileOpen)
{
    auto *probe = new QTimer;
    QObject::connect(probe, &QTimer::timeout, [probe, window, whileOpen] {
        Window &modal = window();
        if (QApplication::activeModalWidget() != &modal)
            return;
        probe->stop();
        probe->deleteLater();
        whileOpen(modal);
        if (modal.isVisible())
            modal.done(QDialog::Rejected);
    });
    probe->start(5);
}

// A session with the shared objects the register creates on load, in new mode, for the entry
// window opened as the pending bills open it.
void startEntrySession(const ConnectionPtr &connection, qint16 departmentId);
// What a double-click in the pending bills does before it shows the entry window: the shop
// chosen and, when given, the bill.
frmlocalpurchasecosting &openNewCosting(const ConnectionPtr &connection, qint16 departmentId, int shopId, int billId = 0);

// ---- saving costings through the real save path, without the entry window

struct WaitingBill {
    qint32 billId = 0;
    qint32 shopId = 0;
    qint32 departmentId = 0;
};

// The confirmed bills waiting for a costing, in bill order.
QVector<WaitingBill> waitingBills(const ConnectionPtr &c);
// A session of ADMIN on `c` in `department` (0 for all) at kDemoNow, entry mode `mode`, with an
// audit trail open.
void startSaving(const ConnectionPtr &c, qint16 department, const QString &mode = QStringLiteral("N"));
// Saves on the session's connection, which startSaving() set to `c`.
SaveOutcome save(const ConnectionPtr &c, const CostingToSave &costing, qint32 &costingId);

// The entry mode as its letter ("N", "E", empty), for tests whose rows name it.
void setEntryMode(const QString &letter);
QString entryModeLetter();

} // namespace kadu2217::testsupport
