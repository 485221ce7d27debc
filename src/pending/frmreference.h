#pragma once

#include <QDialog>

namespace kadu2217 {

// An empty window of the component that nothing opens.
class frmReference : public QDialog {
    Q_OBJECT

public:
    explicit frmReference(QWidget *parent = nullptr);
    ~frmReference() override;
};

} // namespace kadu2217
