#pragma once

#include <kadu2217/services.h>

#include <QDate>
#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace kadu2217 {

class ComboBox;
class FlexGrid;

// The costing entry window: one bill's items, costed and saved. It works in the mode held in
// GStrMasterNewEditFlag: "N" for a new costing, anything else for the costing in the
// register's current row.
class frmlocalpurchasecosting : public QDialog {
    Q_OBJECT

public:
    explicit frmlocalpurchasecosting(QWidget *parent = nullptr);
    ~frmlocalpurchasecosting() override;

    // The old form loaded on its first reference; openers call this before they touch a
    // control. Does nothing while the window is loaded.
    void Load();
    bool isLoaded() const { return m_loaded; }
    // Load() if needed, then shows the window modally; returns when it has been unloaded.
    void showModal();

    ComboBox *cboShop() const { return m_cboShop; }
    ComboBox *cboDepartmentName() const { return m_cboDepartmentName; }
    ComboBox *cboPurchNo() const { return m_cboPurchNo; }
    QLabel *lbldate() const { return m_lbldate; }
    FlexGrid *mfgSplitDetails() const { return m_mfgSplitDetails; }
    QLineEdit *txtcostprice() const { return m_txtcostprice; }
    QLineEdit *txtremarks() const { return m_txtremarks; }
    QCheckBox *chkFix() const { return m_chkFix; }
    QPushButton *cmdok() const { return m_cmdok; }
    QPushButton *cmdClose() const { return m_cmdClose; }

    // The costing date shown in lbldate, kept as a date beside its display text.
    QDate costingDate() const { return m_costingDate; }
    void setCostingDate(const QDate &date);

private:
    bool m_loaded = false;
    QDate m_costingDate;
    ComboBox *m_cboShop = nullptr;
    ComboBox *m_cboDepartmentName = nullptr;
    ComboBox *m_cboPurchNo = nullptr;
    QLabel *m_lbldate = nullptr;
    FlexGrid *m_mfgSplitDetails = nullptr;
    QLineEdit *m_txtcostprice = nullptr;
    QLineEdit *m_txtremarks = nullptr;
    QCheckBox *m_chkFix = nullptr;
    QPushButton *m_cmdok = nullptr;
    QPushButton *m_cmdClose = nullptr;
};

} // namespace kadu2217
