#pragma once

#include "db/connection.h"

#include <QDateTime>

#include <functional>
#include <QtGlobal>

// A believable retail company for the program's demonstration file, for tests and for
// benchmarks: masters, users and rights, stock, purchase bills and saved costings.
namespace kadu2217 {

struct DemoOptions {
    int costings = 60;  // saved costings; about 1.2 times as many bills are made
    int items = 120;
    quint32 seed = 2011;
    // Bills and costings lie in the hours and weeks before this moment.
    QDateTime now = QDateTime::currentDateTime();
    // Told the share written so far, in percent, each time it grows.
    std::function<void(int percent)> progress;
};

// Fills a file that has the schema but no data yet, in one transaction. The same options
// give the same content.
void generateDemoData(Connection &connection, const DemoOptions &options = {});

// The fixed ids of the demonstration data.
namespace demo {

inline constexpr int companyId = 1;

// Rights for the costing interface: "NEDP", "EP", and no rights row at all.
inline constexpr int adminUserId = 1;  // ADMIN, every department
inline constexpr int clerkUserId = 2;  // RAVI, departments 1 and 2
inline constexpr int viewerUserId = 3; // MEERA, department 1

// Costings are spread evenly over the costing departments (1 to 3, and more from 5 on
// when a department's sequence of numbers would otherwise pass 30,000).
inline constexpr int purchaseDepartmentId = 1; // prefix "LPC-"; the company's default department
inline constexpr int storesDepartmentId = 2;   // prefix "ST/LPC-"
inline constexpr int importsDepartmentId = 3;  // prefix "IM/LPC-"
inline constexpr int accountsDepartmentId = 4; // raises no bills

inline constexpr int baseCurrencyId = 1;   // "Rs.", the inventory currency
inline constexpr int dollarCurrencyId = 2; // "$"
inline constexpr int dirhamCurrencyId = 3; // "AED"

inline constexpr int inventoryAccountId = 1001;
inline constexpr int goodsInTransitAccountId = 1002;

inline constexpr int backNoofDays = 30;
inline constexpr int shopCount = 6;
inline constexpr int godownCount = 2;

} // namespace demo

} // namespace kadu2217
