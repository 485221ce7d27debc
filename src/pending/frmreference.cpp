#include "pending/frmreference.h"

namespace kadu2217 {

frmReference::frmReference(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmReference"));
    setWindowTitle(QStringLiteral("Reference"));
}

frmReference::~frmReference() = default;

} // namespace kadu2217
