#include "db/demodatareference.h"

namespace kadu2217::demodata {

QList<VendorNames> vendorNames()
{
    return {
        {demo::baseCurrencyId,
         {"Sri Lakshmi", "Ganesh", "Balaji", "Annapurna", "Kaveri", "Nandini", "Vijaya", "Sagar",
          "Mysore", "Deccan", "Malnad", "Tirumala"},
         {"Traders", "Enterprises", "Distributors", "Agencies", "Wholesale", "Suppliers"}},
        {demo::dollarCurrencyId,
         {"Pacific Rim", "Atlantic", "Golden Gate", "Liberty", "Great Lakes"},
         {"Trading Co.", "Imports Inc.", "Supply LLC"}},
        {demo::dirhamCurrencyId,
         {"Gulf Star", "Al Noor", "Desert Rose", "Creek Side"},
         {"General Trading LLC", "Trading FZE"}},
    };
}

QString prefixOf(int department)
{
    for (const Department &d : kDepartments) {
        if (d.id == department)
            return QLatin1String(d.prefix);
    }
    return QStringLiteral("D%1/LPC-").arg(department);
}

QString departmentName(int department)
{
    for (const Department &d : kDepartments) {
        if (d.id == department)
            return QLatin1String(d.name);
    }
    return QStringLiteral("Department %1").arg(department);
}

QString userName(int id)
{
    for (const User &u : kUsers) {
        if (u.id == id)
            return QLatin1String(u.name);
    }
    return QString();
}

} // namespace kadu2217::demodata
