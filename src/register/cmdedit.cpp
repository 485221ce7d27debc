#include "register/frmmaster.h"

#include "controls/busycursor.h"
#include "controls/combobox.h"
#include "controls/flexgrid.h"
#include "db/error.h"
#include "db/recordset.h"
#include "db/values.h"
#include "entry/frmlocalpurchasecosting.h"
#include "shell/reporterror.h"
#include "shell/session.h"
#include "shell/windows.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace kadu2217 {
namespace {

constexpr qint32 kObjectVariableNotSet = 91;

} // namespace

// Opens the costing of the current row in the entry window. Also run by the grid's
// double-click and Enter, so it carries its own error handling and reports under its own name.
void FrmMaster::CmdEdit_Click()
{
    const auto pointersBack = [this] {
        setMousePointer(this, MousePointer::Default);
        setMousePointer(m_flexMaster, MousePointer::Default);
    };
    runHandler(QStringLiteral("FrmMaster"), QStringLiteral("CmdEdit_Click "), [this, &pointersBack] {
        setMousePointer(this, MousePointer::Hourglass);
        setMousePointer(m_flexMaster, MousePointer::Hourglass);
        ModuleState &m = moduleState();
        if (!m.GObjAuditTrail)
            kadu2217::raise(kObjectVariableNotSet, QStringLiteral("Object variable or With block variable not set"));
        m.GObjAuditTrail->LoggedTime = QDateTime::currentDateTime();
        m.GStrMasterNewEditFlag = QStringLiteral("E");

        const QString costingId = m_flexMaster->textMatrix(m_flexMaster->row(), 0);
        Recordset rs;
        rs.open(QStringLiteral("select * from loalocalpurchasecostingheader lih left outer join loalocalpurchasecostingdetail lid ")
                    + QStringLiteral(" on lih.lpchcostingid=lid.lpcdcostingid left outer join loslocalpurchaseheader loih on ")
                    + QStringLiteral(" lih.lpchbillid=loih.lphbillid and lih.lpchshopid=loih.lphshopid where ")
                    + QStringLiteral(" lih.lpchcostingid=") + costingId,
                session().adocon);

        frmlocalpurchasecosting &entry = entryWindow();
        entry.showModal([this, &entry, &rs] {
            entry.setCostingDate(value::toDateTime(rs.value(QStringLiteral("lpchdate"))).date());
            objGeneral->SelectComboItemByValue(*entry.cboShop(), value::toInt32(rs.value(QStringLiteral("lpchshopid"))));
            objGeneral->SelectComboItemByValue(*entry.cboPurchNo(), value::toInt32(rs.value(QStringLiteral("lpchbillid"))));

            objDatabase->strTableName = QStringLiteral("adepartmentmaster");
            objDatabase->populatecomboorlist(*entry.cboDepartmentName(), QStringLiteral("DepartmentID"), QStringLiteral(" DepartmentName"));
            objGeneral->SelectComboItemByValue(*entry.cboDepartmentName(), value::toInt32(rs.value(QStringLiteral("lpchDepartmentid"))));

            entry.txtremarks()->setText(value::displayText(rs.value(QStringLiteral("lpchremarks"))));
            const QVariant done = rs.value(QStringLiteral("lpchCostingDone"));
            const bool fixed = !value::isNull(done) && value::toBool(done);
            entry.chkFix()->setChecked(fixed);
            entry.cboShop()->setEnabled(false);
            entry.cboPurchNo()->setEnabled(false);
            if (fixed) {
                entry.chkFix()->setEnabled(false);
                entry.cmdok()->setEnabled(false);
            }
            rs.close();
            if (m_flexMaster->textMatrix(m_flexMaster->row(), m_flexMaster->cols() - 1) == QLatin1String("Yes"))
                entry.cmdok()->setEnabled(false);
        });
        pointersBack();
        // The register is not re-activated by itself when its modal child closes.
        Form_Activate();
    }, {nullptr, pointersBack});
}

} // namespace kadu2217
