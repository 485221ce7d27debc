#pragma once

#include "services/services.h"

#include "shell/session.h"

#include <QDialog>
#include <memory>

class QGroupBox;
class QFrame;
class QPushButton;
class QRadioButton;

namespace kadu2217 {

// The paper-choice window: the costing report of `intcostid` on A5 (chosen at opening) or A4.
class frmPrint : public QDialog {
    Q_OBJECT

public:
    explicit frmPrint(ModuleContext &context, QWidget *parent = nullptr);
    ~frmPrint() override;

    // The costing to report, set by whoever opens the window.
    qint32 intcostid = 0;

    // Loads the window afresh and shows it modally; returns when it closes.
    void showModal();
    // Previews the costing on the chosen paper; the window stays open.
    void WIndowsPrint();

    QRadioButton *Option2() const { return m_option2; }
    QRadioButton *optPaperA5() const { return m_optPaperA5; }
    QPushButton *cmdOK() const { return m_cmdOK; }
    QPushButton *cmdCancel() const { return m_cmdCancel; }
    // The engine of the last preview, kept while the window is loaded.
    clsReportEngine *report() const { return m_report.get(); }

protected:
    void reject() override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void Form_Load();
    void unload();

    ModuleContext &m_context;
    std::shared_ptr<clsReportEngine> m_report;

    QGroupBox *m_fraPaper = nullptr;
    QFrame *m_picture1 = nullptr;
    QRadioButton *m_option2 = nullptr;
    QRadioButton *m_optPaperA5 = nullptr;
    QPushButton *m_cmdOK = nullptr;
    QPushButton *m_cmdCancel = nullptr;
};

} // namespace kadu2217
