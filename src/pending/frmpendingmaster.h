#pragma once

#include "services/services.h"

#include "shell/session.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kadu2217 {

class frmlocalpurchasecosting;

class ListView;

// The confirmed bills that wait for costing; a new costing starts here.
class frmPendingMaster : public QDialog {
    Q_OBJECT

public:
    explicit frmPendingMaster(ModuleContext &context, QWidget *parent = nullptr);
    ~frmPendingMaster() override;

    // Loads the list afresh and shows the window modally; returns when it has been unloaded.
    void showModal();
    // Where a chosen bill is costed; the module sets it once.
    void setEntryWindow(frmlocalpurchasecosting *entry) { m_entry = entry; }

    void Form_Load();

    // Colours item `row` blue when `givecolur` is "Yes".
    void colourlistview(QString &givecolur, qint16 &row);

    ListView *lvwPending() const { return m_lvwPending; }
    QLineEdit *txtsearchtext() const { return m_txtsearchtext; }
    QPushButton *cmdClose() const { return m_cmdClose; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void reject() override;

private:
    void buildControls();

    ModuleContext &m_context;
    frmlocalpurchasecosting *m_entry = nullptr;

    void lvwPending_ColumnClick(int column);
    void txtsearchtext_KeyPress(int keyAscii);
    void openSelectedBill();
    void unload();

    ListView *m_lvwPending = nullptr;
    QGroupBox *m_frame1 = nullptr;
    QLabel *m_label1 = nullptr;
    QLineEdit *m_txtsearchtext = nullptr;
    QPushButton *m_cmdClose = nullptr;
    QLabel *m_label3 = nullptr;
    QLabel *m_label4 = nullptr;
    QLabel *m_label5 = nullptr;
    QLabel *m_label6 = nullptr;

    std::shared_ptr<clsDatabase> m_objDatabase;
    std::shared_ptr<clsGeneral> m_objGeneral;
};

} // namespace kadu2217
