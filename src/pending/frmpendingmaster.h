#pragma once

#include <QDialog>

namespace kadu2217 {

// The confirmed bills that wait for costing; a new costing starts here.
class frmPendingMaster : public QDialog {
    Q_OBJECT

public:
    explicit frmPendingMaster(QWidget *parent = nullptr);
    ~frmPendingMaster() override;

    // Loads the list afresh and shows the window modally; returns when it has been unloaded.
    void showModal();
};

} // namespace kadu2217
