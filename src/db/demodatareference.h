#pragma once

#include "db/demodata.h"

#include <QList>
#include <QStringList>

#include <tuple>
#include <utility>

// The fixed names and figures the demonstration data is made of.
namespace kadu2217::demodata {

struct Department {
    int id;
    const char *name;
    const char *prefix;
};

inline const Department kDepartments[] = {
    {demo::purchaseDepartmentId, "Purchase", "LPC-"},
    {demo::storesDepartmentId, "Stores", "ST/LPC-"},
    {demo::importsDepartmentId, "Imports", "IM/LPC-"},
    {demo::accountsDepartmentId, "Accounts", "AC/LPC-"},
    {5, "Grocery", "GR/LPC-"},
    {6, "Textiles", "TX/LPC-"},
    {7, "Electronics", "EL/LPC-"},
    {8, "Household", "HH/LPC-"},
};

struct User {
    int id;
    const char *name;
    const char *costingRights; // nullptr: no rights row for the costing interface
    const char *billRights;
};

inline constexpr int kBillInterfaceId = 2010;

inline const User kUsers[] = {
    {demo::adminUserId, "ADMIN", "NEDP", "NEDP"},
    {demo::clerkUserId, "RAVI", "EP", "P"},
    {demo::viewerUserId, "MEERA", nullptr, "NEP"},
};

struct Shop {
    const char *name;
    const char *code;
};

inline const Shop kShops[demo::shopCount] = {
    {"MG Road", "MGR"},       {"Brigade Road", "BRG"}, {"Koramangala", "KRM"},
    {"Jayanagar", "JNR"},     {"Indiranagar", "INR"},  {"Whitefield", "WFD"},
};

inline const char *const kGodowns[demo::godownCount] = {"Central Warehouse", "Peenya Depot"};

struct Currency {
    int id;
    const char *name;
    const char *symbol;
    double rupees;    // typical value in the base currency
    double variation; // day-to-day spread of that value
};

inline const Currency kCurrencies[] = {
    {demo::baseCurrencyId, "Indian Rupee", "Rs.", 1.0, 0.0},
    {demo::dollarCurrencyId, "US Dollar", "$", 82.5, 0.9},
    {demo::dirhamCurrencyId, "UAE Dirham", "AED", 22.45, 0.25},
};

struct Product {
    const char *name;
    const char *pack;
    double rate;
};

inline const Product kProducts[] = {
    {"Basmati Rice", "5 kg", 540},        {"Sona Masoori Rice", "10 kg", 620},
    {"Toor Dal", "1 kg", 145},            {"Moong Dal", "1 kg", 128},
    {"Sunflower Oil", "1 L", 160},        {"Groundnut Oil", "1 L", 190},
    {"Wheat Atta", "5 kg", 230},          {"Sugar", "1 kg", 45},
    {"Tea Powder", "500 g", 240},         {"Filter Coffee", "500 g", 310},
    {"Toothpaste", "150 g", 95},          {"Bath Soap", "4 x 100 g", 160},
    {"Detergent Powder", "1 kg", 120},    {"Dish Wash Liquid", "500 ml", 99},
    {"Shampoo", "340 ml", 210},           {"Cream Biscuits", "600 g", 110},
    {"Instant Noodles", "12 pack", 150},  {"Cotton Shirt", "Size M", 650},
    {"Denim Jeans", "Size 32", 1200},     {"Bed Sheet", "Double", 890},
    {"Bath Towel", "Large", 350},         {"LED Bulb", "9 W", 90},
    {"Extension Board", "4 socket", 420}, {"Steel Tumbler", "Set of 6", 380},
    {"Pressure Cooker", "5 L", 1650},     {"Notebook", "200 pages", 55},
    {"Ball Pen", "Pack of 10", 80},       {"Umbrella", "Folding", 330},
    {"School Bag", "Medium", 780},        {"Wall Clock", "Round", 540},
    {"Mixer Grinder", "750 W", 3200},     {"Electric Kettle", "1.5 L", 990},
};

inline const char *const kBrands[] = {"Classic", "Royal", "Everyday", "Premium", "Nature's",
                               "HomeStar", "Fresh", "Golden", "Super", "Value"};

struct VendorNames {
    int currency;
    QStringList first;
    QStringList second;
};

inline const char *const kRemarks[] = {
    "Costed as per vendor invoice",
    "Freight and handling included",
    "Rates checked against purchase order",
    "Festival stock, urgent local purchase",
    "Replacement stock for damaged goods",
    "Vendor price revision",
    "Monthly replenishment",
    "Short supply from warehouse",
};

// The costing register's column captions, the hidden id first.
inline const std::pair<const char *, const char *> kRegisterCaptions[] = {
    {"lpchcostingid", "Costing Id"},   {"lpchcostingno", "Costing No"},
    {"lpchdate", "Costing Date"},      {"shopname", "Shop Name"},
    {"lphBillNo", "Bill No"},          {"lphBillAmount", "Bill Amount"},
    {"lpchcancelled", "Cancelled"},    {"lpchCostingDone", "Costing Done"},
};

// The columns of the bill entry's stored grid layout: caption, width in twips, alignment.
inline const std::tuple<const char *, int, int> kBillGridColumns[] = {
    {"Sl. No", 600, 1}, {"Item Code", 1500, 1}, {"Item Description", 5000, 1}, {"Quantity", 1500, 7},
    {"Price", 1500, 7}};

// The parts vendor names are made of, for each currency vendors deal in.
QList<VendorNames> vendorNames();

// A department's costing prefix and name; made up for departments beyond the list.
QString prefixOf(int department);
QString departmentName(int department);
QString userName(int id);

} // namespace kadu2217::demodata
