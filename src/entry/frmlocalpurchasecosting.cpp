#include "entry/frmlocalpurchasecosting.h"

namespace kadu2217 {

frmlocalpurchasecosting::frmlocalpurchasecosting(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmlocalpurchasecosting"));
}

frmlocalpurchasecosting::~frmlocalpurchasecosting() = default;

void frmlocalpurchasecosting::Load()
{
}

void frmlocalpurchasecosting::showModal()
{
}

void frmlocalpurchasecosting::setCostingDate(const QDate &date)
{
    m_costingDate = date;
}

} // namespace kadu2217
