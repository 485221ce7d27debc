#pragma once

#include "services/services.h"

#include "controls/formanchors.h"
#include "shell/costingregister.h"
#include "shell/session.h"

#include <QDate>
#include <QDialog>
#include <QHash>
#include <QStringList>
#include <QVector>
#include <memory>
#include <vector>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kadu2217 {

class ComboBox;
class frmCancel;
class frmlocalpurchasecosting;
class frmPendingMaster;
class frmPrint;
class FlexGrid;

// The costing register: the costings of the working department from the start of the
// process-date window on, and the buttons that start every other operation.
class FrmMaster : public QDialog, public CostingRegister {
    Q_OBJECT

public:
    explicit FrmMaster(ModuleContext &context, QWidget *parent = nullptr);
    ~FrmMaster() override;

    // The windows New and Edit open; the module sets them once.
    void setWindows(frmPendingMaster *pending, frmlocalpurchasecosting *entry, frmCancel *cancel)
    {
        m_pending = pending;
        m_entry = entry;
        m_cancel = cancel;
    }

    // Loads the window afresh and shows it modally; returns when the register closes.
    void showModal();

    // The window's load: services, settings, the grid and the rights.
    void Form_Load();

    // The register's activation: also run by whoever closes a modal child of the register.
    void Form_Activate();

    void GridPopulate(const QString &strSql, const QString &strTableMain);
    QDate fnPopulateDate();
    void UserRights();
    // Upper-cases and trims the caller's letter.
    bool fnUserRights(QString &strRights);

    // Shows a saved or cancelled costing without reloading the register: re-runs the
    // register's query for the one costing and appends its row (a new costing) or rewrites the
    // current row (mode "E"). A costing the register would not list is left out.
    void RefreshMasterRow(const QString &strCondition, qint32 lngCostingId);
    void showCosting(qint32 costingId, bool newCosting) override;
    void restRowChanges() override { FlexFlag.clear(); }

    FlexGrid *FlexMaster() const { return m_flexMaster; }
    QPushButton *cmdnew() const { return m_cmdnew; }
    QPushButton *CmdEdit() const { return m_cmdEdit; }
    QPushButton *CmdDelete() const { return m_cmdDelete; }
    QPushButton *cmdPreview() const { return m_cmdPreview; }
    QPushButton *cmdPrint() const { return m_cmdPrint; }
    // The paper-choice window Print opens.
    frmPrint &printWindow();
    // The engine of the last preview, kept while the register is loaded.
    clsReportEngine *report() const { return m_report.get(); }
    QPushButton *cmdClose() const { return m_cmdClose; }

    // Grid column of the cancelled flag ("Yes"/"No").
    static constexpr int kCancelledColumn = 6;

    // Empty while the grid is being built; "Done" once the window has been activated.
    QString FlexFlag;
    std::shared_ptr<clsGeneral> objGeneral;
    std::shared_ptr<clsDatabase> objDatabase;
    // The currency symbol of the previewed costing's vendor.
    QString curSymbol;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void reject() override;

private:
    void buildControls();
    FormAnchors m_anchors;

    ModuleContext &m_context;
    frmPendingMaster *m_pending = nullptr;
    frmlocalpurchasecosting *m_entry = nullptr;
    frmCancel *m_cancel = nullptr;

    void reportMissingServiceTables();
    void SetGridHeadings(const QString &strTableMain, QVector<int> &maxLen);
    void MarkCancelledRows();
    void unload();

    // The gating rules: which buttons the rights and the current row allow.
    void gateAfterFill();      // B
    void gateOnActivation();   // C
    void gateOnRowChange();    // D
    void gateOnEnterCell();    // E
    void gateOnClick();        // F
    void gateAllFromRights();  // A
    void keepRowLimits();
    void paintRowRed(int row);
    void enableFrom(QPushButton *button, QString right);
    void setCommand(QPushButton *button, bool enabled);
    bool currentRowIdEmpty() const;
    bool currentRowFlag(int column) const;

    // New shows the pending bills; Edit opens the current row's costing in the entry window.
    void cmdnew_Click();
    void CmdEdit_Click();
    // Delete cancels the current row's costing after asking for a reason.
    void CmdDelete_Click();
    // Preview shows the current row's costing report; Print offers it on A4 or A5.
    void cmdPreview_Click();
    void cmdPrint_Click();
    qint32 currentCostingId() const;

    void cboColNames_Click();
    void optDirection_Click();
    void txtsearch_KeyUp();
    void searchRegister();

    void FlexMaster_RowColChange();
    void FlexMaster_SelChange();
    void FlexMaster_MouseMove();
    void cmdClose_Click();

    FlexGrid *m_flexMaster = nullptr;
    QGroupBox *m_fraBrowse = nullptr;
    QLabel *m_lblsearch = nullptr;
    ComboBox *m_cboSearch = nullptr;
    QLineEdit *m_txtsearch = nullptr;
    QFrame *m_picture1 = nullptr;
    QRadioButton *m_optAscend = nullptr;
    QRadioButton *m_optDescend = nullptr;
    ComboBox *m_cboColNames = nullptr;
    QPushButton *m_cmdnew = nullptr;
    QPushButton *m_cmdEdit = nullptr;
    QPushButton *m_cmdDelete = nullptr;
    QPushButton *m_cmdPreview = nullptr;
    QPushButton *m_cmdPrint = nullptr;
    QPushButton *m_cmdClose = nullptr;
    std::unique_ptr<frmPrint> m_print;
    std::shared_ptr<clsReportEngine> m_report;

    // The column the search last sorted the grid by, while the grid stays in that order, and
    // its trimmed texts row by row, end to end in one buffer: each keystroke searches them
    // instead of the whole grid, and the rows a search closes in on lie side by side in memory.
    struct SearchOrder
    {
        int column = -1;
        QString texts;
        std::vector<qsizetype> ends; // where each row's text ends in texts

        QStringView text(std::size_t row) const
        {
            const qsizetype begin = row == 0 ? 0 : ends[row - 1];
            return QStringView(texts).sliced(begin, ends[row] - begin);
        }
    };
    SearchOrder m_searchOrder;
    QDate m_dtFromDate;
    QString m_strUserRights;
    QHash<QString, bool> m_grantedRights; // fnUserRights' answers for m_strUserRights
    bool m_loaded = false;
    bool m_activatedSinceShow = false;
};

} // namespace kadu2217
