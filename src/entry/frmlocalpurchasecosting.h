#pragma once

#include "services/services.h"

#include "controls/formanchors.h"
#include "entry/costingsave.h"
#include "shell/costingregister.h"
#include "shell/session.h"

#include <QDate>
#include <QDialog>
#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kadu2217 {

class ComboBox;
class FlexGrid;
class frmCostPreview;

// The costing entry window: one bill's items, costed and saved. It works in the context's
// entry mode: a new costing, or changes to the costing it was opened for.
class frmlocalpurchasecosting : public QDialog {
    Q_OBJECT

public:
    explicit frmlocalpurchasecosting(ModuleContext &context, QWidget *parent = nullptr);
    ~frmlocalpurchasecosting() override;

    // Where saved costings are shown; the module sets it once.
    void setRegister(CostingRegister *costingRegister) { m_register = costingRegister; }

    // A new costing of the bill: loads the window, selects the shop and the bill as a user
    // would, and shows the window modally until it is unloaded.
    void openNew(qint32 shopId, qint32 billId);
    // The saved costing `costingId` (the register row's id text) for changes; a costing that
    // is fixed, or that the register shows as fixed, opens read-only.
    void openExisting(const QString &costingId, bool registerShowsFixed);

    // The old form loaded on its first reference; openers call this before they touch a
    // control. Does nothing while the window is loaded.
    void Load();
    bool isLoaded() const { return m_loaded; }
    // The old "Unload Me": the closing check runs first and may keep the window open.
    void Unload();

    ComboBox *cboShop() const { return m_cboShop; }
    ComboBox *cboDepartmentName() const { return m_cboDepartmentName; }
    ComboBox *cboPurchNo() const { return m_cboPurchNo; }
    QLabel *lblShop() const { return m_lblShop; }
    QLabel *lbldate() const { return m_lbldate; }
    FlexGrid *mfgSplitDetails() const { return m_mfgSplitDetails; }
    QLineEdit *txtcostprice() const { return m_txtcostprice; }
    QLineEdit *txtremarks() const { return m_txtremarks; }
    QCheckBox *chkFix() const { return m_chkFix; }
    QPushButton *cmdPurchaseNoPreview() const { return m_cmdPurchaseNoPreview; }
    QPushButton *cmdCostPreview() const { return m_cmdCostPreview; }
    // The cost preview window, once it was opened.
    frmCostPreview *costPreview() const { return m_costPreview; }
    QPushButton *cmdok() const { return m_cmdok; }
    QPushButton *cmdClose() const { return m_cmdClose; }

    // The costing date shown in lbldate, kept as a date beside its display text.
    QDate costingDate() const { return m_costingDate; }
    // Shows the date in lbldate in the short date form and keeps it.
    void setCostingDate(const QDate &date);

    // Enter (13) moves the focus on as a Tab keystroke does; the key code stays as it is.
    void NextFocus(int &keyAscii);
    // The factor from the vendor's currency into the inventory currency for the bill last
    // selected (GStrExchangeRates).
    double getComparedExchangeRate(qint16 &vendorCurrency, qint16 &inventoryCurrency);

    // Saves the costing (OK); also run when the user answers Yes to "Save Changes?". A save
    // that succeeded disables cmdok and unloads the window.
    void cmdok_Click();

    // Previews the selected bill as its shop recorded it; nothing without a selected bill.
    void cmdPurchaseNoPreview_Click();
    // The window's report control: its preview stays open while the window is loaded.
    clsReportEngine *crptReport() const { return m_crptReport.get(); }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void reject() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    FormAnchors m_anchors;
    void restoreDesignState();

    void Form_Load();
    void Form_Activate();
    // Sets `cancel` to keep the window open.
    void Form_QueryUnload(bool &cancel);
    void unload();

    void cboShop_Click();
    void cboPurchNo_Click();
    void cmdCostPreview_Click();
    void applyDefaultColumns();
    void mfgSplitDetails_MouseMove();
    void txtcostprice_GotFocus();
    void txtcostprice_KeyPress(int &keyAscii);
    // A key handler that only moves on at Enter (cboShop, cboPurchNo, chkFix, txtremarks).
    void keyPressMovingOn(const QString &procedureName, int &keyAscii);

    // Load() if needed, runs the opener's `prepare`, then shows the window modally. When
    // `prepare` fails the window is unloaded without the closing question, so that the next
    // opening loads afresh, and the failure goes on to the opener.
    void showModal(const std::function<void()> &prepare);
    bool isNewMode() const;

    ModuleContext &m_context;
    std::shared_ptr<clsDatabase> m_objDatabase;
    std::shared_ptr<clsGeneral> m_objGeneral;
    std::shared_ptr<clsReportEngine> m_crptReport;
    CostingToSave costingInWindow() const;

    CostingRegister *m_register = nullptr;
    // The edited costing's id as the register's row gave it; empty for a new costing.
    QString m_editedCostingId;
    bool m_loaded = false;
    // The costing being saved: the new header's id, or the edited costing's.
    qint32 m_costingId = 0;
    bool m_blnFirstActivation = false;
    bool m_activatedSinceShow = false;
    QDate m_costingDate;
    // The shop and bill whose lines the grid holds in full; 0 while it holds none.
    qint32 m_linesShopId = 0;
    qint32 m_linesBillId = 0;

    QLabel *m_lblShop = nullptr;
    ComboBox *m_cboShop = nullptr;
    QLabel *m_lbldepartment = nullptr;
    ComboBox *m_cboDepartmentName = nullptr;
    QLabel *m_label3 = nullptr;
    QLabel *m_lbldate = nullptr;
    QLabel *m_lblPurchNo = nullptr;
    ComboBox *m_cboPurchNo = nullptr;
    QPushButton *m_cmdPurchaseNoPreview = nullptr;
    QGroupBox *m_fraSplit = nullptr;
    FlexGrid *m_mfgSplitDetails = nullptr;
    QLineEdit *m_txtcostprice = nullptr;
    QLabel *m_label5 = nullptr;
    QLineEdit *m_txtremarks = nullptr;
    QCheckBox *m_chkFix = nullptr;
    QPushButton *m_cmdCostPreview = nullptr;
    frmCostPreview *m_costPreview = nullptr;
    QPushButton *m_cmdok = nullptr;
    QPushButton *m_cmdClose = nullptr;
};

} // namespace kadu2217
