#pragma once

#include "cancel/costingcancel.h"
#include "shell/costingregister.h"
#include "shell/session.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kadu2217 {

// The reason window of a cancellation: OK (or the close box with a reason given) cancels the
// costing; Esc, or the close box with no reason, leaves it as it is.
class frmCancel : public QDialog {
    Q_OBJECT

public:
    explicit frmCancel(ModuleContext &context, QWidget *parent = nullptr);
    ~frmCancel() override;

    // Where the cancelled costing is shown; the module sets it once.
    void setRegister(CostingRegister *costingRegister) { m_register = costingRegister; }

    enum class Result {
        NothingDone,   // closed without cancelling, or another user had cancelled it already
        Cancelled,     // committed
        RolledBack,    // an attempt failed and was undone: the register shows what it did not store
    };
    // Asks for the reason and cancels the costing, modally; returns when the window has closed.
    Result cancelCosting(const QString &costingId, const QString &costingNo);

    QLineEdit *txtcanreason() const { return m_txtcanreason; }
    QPushButton *cmdok() const { return m_cmdok; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void Form_Load();
    void cmdok_Click();
    void txtcanreason_KeyPress(int &keyAscii);
    // Asks what to do with items whose cost changed after the costing; false: stop.
    bool askAboutLaterCosts(QVector<LaterCost> &shown, QSet<qint32> &keepCurrent);

    ModuleContext &m_context;
    CostingRegister *m_register = nullptr;
    QString m_costingId;
    QString m_costingNo;
    Result m_result = Result::NothingDone;

    QLabel *m_label1 = nullptr;
    QLineEdit *m_txtcanreason = nullptr;
    QPushButton *m_cmdok = nullptr;
};

} // namespace kadu2217
