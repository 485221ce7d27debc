#pragma once

#include "services/services.h"

#include "entry/costpreview.h"
#include "shell/session.h"

#include <QDialog>

class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace kadu2217 {

// What saving the costing in the entry window would do to each item's cost: a snapshot,
// shown beside the entry window, that writes nothing.
class frmCostPreview : public QDialog {
    Q_OBJECT

public:
    explicit frmCostPreview(ModuleContext &context, QWidget *parent = nullptr);

    // Works the preview out afresh for `costing` through `lookups` and shows it.
    void showPreview(clsDatabase &lookups, const CostingToSave &costing);

    const QVector<CostPreviewLine> &lines() const { return m_lines; }
    QTableWidget *grdCostPreview() const { return m_grdCostPreview; }
    QDoubleSpinBox *txtThreshold() const { return m_txtThreshold; }

    // The share of the current cost beyond which a change is highlighted, in percent; kept in
    // the user's settings.
    static double savedThreshold();

private:
    void fill();
    void highlight();

    ModuleContext &m_context;
    QVector<CostPreviewLine> m_lines;
    QLabel *m_lblBill = nullptr;
    QTableWidget *m_grdCostPreview = nullptr;
    QDoubleSpinBox *m_txtThreshold = nullptr;
    QPushButton *m_cmdClose = nullptr;
};

} // namespace kadu2217
