#include "previewcommand.h"

#include "entry/costpreview.h"
#include "services/defaults.h"

#include <QTextStream>

namespace kadu2217 {

int previewCommand(const ConnectionPtr &connection, const QString &bill, qint16 companyId, QTextStream &out, QTextStream &err)
{
    const QStringList parts = bill.split(QLatin1Char(':'));
    bool shopOk = false;
    bool billOk = false;
    const qint32 shopId = parts.value(0).toInt(&shopOk);
    const qint32 billId = parts.value(1).toInt(&billOk);
    if (parts.size() != 2 || !shopOk || !billOk) {
        err << "usage: localpurchcost preview --db FILE --bill SHOP:BILL (shop and bill ids, e.g. 2:41)" << Qt::endl;
        return 2;
    }
    DefaultDatabase lookups;
    lookups.adocon = connection;
    const CostingToSave costing = newCostingOfBill(connection, lookups, companyId, shopId, billId);
    out << costPreviewText(previewCosting(lookups, costing));
    out.flush();
    return 0;
}

} // namespace kadu2217
