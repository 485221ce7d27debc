#pragma once

#include <QLatin1String>

// Every table, view and column name that code writes into statement texts, spelled as the
// suite spells them. The database compares names without regard to case, so these are the
// one spelling code uses, not the only one the database accepts.
// In each namespace `table` is the object's own name; the other constants are its columns.
namespace kadu2217::tables {

using Name = QLatin1String;

// The number that identifies this module in rights, prefixes and the audit trail.
inline constexpr int costingInterfaceId = 2011;

// ---- the module's own tables ----

namespace loaLocalPurchaseCostingHeader {
inline constexpr Name table{"loaLocalPurchaseCostingHeader"};
inline constexpr Name lpchcostingid{"lpchcostingid"};
inline constexpr Name lpchcostingno{"lpchcostingno"};
inline constexpr Name lpchdate{"lpchdate"};
inline constexpr Name lpchTime{"lpchTime"};
inline constexpr Name lpchcompanyid{"lpchcompanyid"};
inline constexpr Name lpchshopid{"lpchshopid"};
inline constexpr Name lpchbillid{"lpchbillid"};
inline constexpr Name lpchDepartmentid{"lpchDepartmentid"};
inline constexpr Name lpchremarks{"lpchremarks"};
inline constexpr Name lpchrecadduser{"lpchrecadduser"};
inline constexpr Name lpchrecmodifiyuser{"lpchrecmodifiyuser"};
inline constexpr Name lpchInventoryaccid{"lpchInventoryaccid"};
inline constexpr Name lpchgoodsintransitaccid{"lpchgoodsintransitaccid"};
inline constexpr Name lpchCostingDone{"lpchCostingDone"};
inline constexpr Name lpchcostingdoneby{"lpchcostingdoneby"};
inline constexpr Name lpchcancelled{"lpchcancelled"};
inline constexpr Name lpchposted{"lpchposted"};
inline constexpr Name updatetime{"updatetime"};
inline constexpr int remarksLength = 240;
}

namespace loaLocalPurchaseCostingDetail {
inline constexpr Name table{"loaLocalPurchaseCostingDetail"};
inline constexpr Name lpcddetailid{"lpcddetailid"};
inline constexpr Name lpcdcostingid{"lpcdcostingid"};
inline constexpr Name lpcditemid{"lpcditemid"};
inline constexpr Name lpcditemqty{"lpcditemqty"};
inline constexpr Name lpcdbillunitprice{"lpcdbillunitprice"};
inline constexpr Name lpcdcostedprice{"lpcdcostedprice"};
inline constexpr Name lpcdolditemcostprice{"lpcdolditemcostprice"};
inline constexpr Name lpcdnewitemcostprice{"lpcdnewitemcostprice"};
}

// ---- purchase bills ----

namespace losLocalPurchaseHeader {
inline constexpr Name table{"losLocalPurchaseHeader"};
inline constexpr Name lphBillID{"lphBillID"};
inline constexpr Name lphShopID{"lphShopID"};
inline constexpr Name lphBillNo{"lphBillNo"};
inline constexpr Name lphBillDate{"lphBillDate"};
inline constexpr Name lphBillTime{"lphBillTime"};
inline constexpr Name lphBillAmount{"lphBillAmount"};
inline constexpr Name lphVendorID{"lphVendorID"};
inline constexpr Name lphCompanyID{"lphCompanyID"};
inline constexpr Name lphDepartmentID{"lphDepartmentID"};
inline constexpr Name lphcosted{"lphcosted"};
inline constexpr Name lphcancelled{"lphcancelled"};
inline constexpr Name lphConfirmed{"lphConfirmed"};
inline constexpr Name lphexchangerates{"lphexchangerates"};
}

namespace losLocalPurchaseDetail {
inline constexpr Name table{"losLocalPurchaseDetail"};
inline constexpr Name lpdbillid{"lpdbillid"};
inline constexpr Name lpdShopId{"lpdShopId"};
inline constexpr Name lpditemid{"lpditemid"};
inline constexpr Name lpditemquantity{"lpditemquantity"};
inline constexpr Name lpditemunitprice{"lpditemunitprice"};
inline constexpr Name rowguid{"rowguid"};
}

namespace losShopItemShipmentDetail {
inline constexpr Name table{"losShopItemShipmentDetail"};
inline constexpr Name ShipmentDetailID{"ShipmentDetailID"};
inline constexpr Name ShopId{"ShopId"};
inline constexpr Name itemid{"itemid"};
inline constexpr Name Quantity{"Quantity"};
inline constexpr Name pricechanged{"pricechanged"};
}

// ---- items and stock ----

namespace aItem {
inline constexpr Name table{"aItem"};
inline constexpr Name itemid{"itemid"};
inline constexpr Name itemcode{"itemcode"};
inline constexpr Name itemdescription{"itemdescription"};
inline constexpr Name itemrate{"itemrate"};
}

namespace vwItemDescription {
inline constexpr Name table{"vwItemDescription"};
inline constexpr Name itemid{"itemid"};
inline constexpr Name itemdescription{"itemdescription"};
}

namespace aGodown {
inline constexpr Name table{"aGodown"};
inline constexpr Name GodownId{"GodownId"};
inline constexpr Name GodownName{"GodownName"};
inline constexpr Name companyid{"companyid"};
}

namespace losGodownStock {
inline constexpr Name table{"losGodownStock"};
inline constexpr Name GodownId{"GodownId"};
inline constexpr Name ItemId{"ItemId"};
inline constexpr Name Stock{"Stock"};
}

namespace losShopStock {
inline constexpr Name table{"losShopStock"};
inline constexpr Name ShopId{"ShopId"};
inline constexpr Name ItemId{"ItemId"};
inline constexpr Name Stock{"Stock"};
}

namespace vwInquiryGodownStock {
inline constexpr Name table{"vwInquiryGodownStock"};
inline constexpr Name gsgodownid{"gsgodownid"};
inline constexpr Name gsgodownname{"gsgodownname"};
inline constexpr Name gsitemid{"gsitemid"};
inline constexpr Name gsstock{"gsstock"};
}

namespace vwInquiryShopStock {
inline constexpr Name table{"vwInquiryShopStock"};
inline constexpr Name shopid{"shopid"};
inline constexpr Name shopname{"shopname"};
inline constexpr Name itemid{"itemid"};
inline constexpr Name stock{"stock"};
}

// ---- masters ----

namespace aShops {
inline constexpr Name table{"aShops"};
inline constexpr Name ShopId{"ShopId"};
inline constexpr Name shopname{"shopname"};
inline constexpr Name companyid{"companyid"};
}

namespace aVendorMaster {
inline constexpr Name table{"aVendorMaster"};
inline constexpr Name VendorID{"VendorID"};
inline constexpr Name vendorname{"vendorname"};
inline constexpr Name CurrencyID{"CurrencyID"};
inline constexpr Name companyid{"companyid"};
}

namespace aCurrencyMaster {
inline constexpr Name table{"aCurrencyMaster"};
inline constexpr Name CurrencyID{"CurrencyID"};
inline constexpr Name CurrencyName{"CurrencyName"};
inline constexpr Name Symbol{"Symbol"};
}

namespace aAccountMaster {
inline constexpr Name table{"aAccountMaster"};
inline constexpr Name accountid{"accountid"};
inline constexpr Name accountname{"accountname"};
inline constexpr Name companyid{"companyid"};
inline constexpr Name currencyid{"currencyid"};
}

namespace aDepartmentMaster {
inline constexpr Name table{"aDepartmentMaster"};
inline constexpr Name DepartmentID{"DepartmentID"};
inline constexpr Name DepartmentName{"DepartmentName"};
inline constexpr Name Companyid{"Companyid"};
}

// ---- users and rights ----

namespace aUsers {
inline constexpr Name table{"aUsers"};
inline constexpr Name userid{"userid"};
inline constexpr Name username{"username"};
}

namespace lousers {
inline constexpr Name table{"lousers"};
inline constexpr Name userid{"userid"};
inline constexpr Name UserName{"UserName"};
}

namespace aUserDeptDetails {
inline constexpr Name table{"aUserDeptDetails"};
inline constexpr Name userid{"userid"};
inline constexpr Name DeptID{"DeptID"};
inline constexpr Name Companyid{"Companyid"};
}

namespace aUserRights {
inline constexpr Name table{"aUserRights"};
inline constexpr Name userid{"userid"};
inline constexpr Name interfaceid{"interfaceid"};
inline constexpr Name functionrights{"functionrights"};
}

// ---- settings ----

namespace aPackageSettings {
inline constexpr Name table{"aPackageSettings"};
inline constexpr Name companyid{"companyid"};
inline constexpr Name backNoofDays{"backNoofDays"};
inline constexpr Name inventoryid{"inventoryid"};
inline constexpr Name GoodsInTransitID{"GoodsInTransitID"};
inline constexpr Name CompanyDepartment{"CompanyDepartment"};
inline constexpr Name Alias{"Alias"};
}

namespace aAlias {
inline constexpr Name table{"aAlias"};
inline constexpr Name Aliasid{"Aliasid"};
inline constexpr Name Alias{"Alias"};
}

namespace aPrefix {
inline constexpr Name table{"aPrefix"};
inline constexpr Name PrefixID{"PrefixID"};
inline constexpr Name Prefix{"Prefix"};
inline constexpr Name departmentID{"departmentID"};
inline constexpr Name FinancialId{"FinancialId"};
inline constexpr Name InterfaceID{"InterfaceID"};
inline constexpr Name ShopId{"ShopId"};
}

namespace aFinancialYear {
inline constexpr Name table{"aFinancialYear"};
inline constexpr Name FinancialId{"FinancialId"};
inline constexpr Name FinancialYear{"FinancialYear"};
inline constexpr Name FromDate{"FromDate"};
inline constexpr Name ToDate{"ToDate"};
inline constexpr Name CurFinancialYear{"CurFinancialYear"};
}

// Grid captions per table, in columnid order.
namespace aTables {
inline constexpr Name table{"aTables"};
inline constexpr Name tableid{"tableid"};
inline constexpr Name tablename{"tablename"};
}

namespace aTableColumns {
inline constexpr Name table{"aTableColumns"};
inline constexpr Name tableid{"tableid"};
inline constexpr Name columnid{"columnid"};
inline constexpr Name columnname{"columnname"};
inline constexpr Name ColumnHeader{"ColumnHeader"};
}

// Saved column captions, widths and alignments of item grids.
namespace aListViewHeader {
inline constexpr Name table{"aListViewHeader"};
inline constexpr Name lvwid{"lvwid"};
inline constexpr Name lvwtransname{"lvwtransname"};
inline constexpr Name lvwname{"lvwname"};
inline constexpr Name lvwmodulename{"lvwmodulename"};
}

namespace aListViewDetails {
inline constexpr Name table{"aListViewDetails"};
inline constexpr Name lvwdid{"lvwdid"};
inline constexpr Name lvwcolid{"lvwcolid"};
inline constexpr Name lvwdcolname{"lvwdcolname"};
inline constexpr Name lvwdcolwidth{"lvwdcolwidth"};
inline constexpr Name lvwdcolalign{"lvwdcolalign"};
}

// ---- stores of the default service components ----

// One row per audited operation on a document.
namespace aAuditTrail {
inline constexpr Name table{"aAuditTrail"};
inline constexpr Name AuditID{"AuditID"};
inline constexpr Name CompanyID{"CompanyID"};
inline constexpr Name UserID{"UserID"};
inline constexpr Name DepartmentID{"DepartmentID"};
inline constexpr Name InterfaceID{"InterfaceID"};
inline constexpr Name DocumentID{"DocumentID"};
inline constexpr Name DocumentNo{"DocumentNo"};
inline constexpr Name AuditAction{"AuditAction"};
inline constexpr Name LoggedTime{"LoggedTime"};
inline constexpr Name SavedTime{"SavedTime"};
inline constexpr Name Flag{"Flag"};
inline constexpr Name Reason{"Reason"};
}

// One row per reported failure.
namespace aErrorLog {
inline constexpr Name table{"aErrorLog"};
inline constexpr Name ErrorID{"ErrorID"};
inline constexpr Name ErrorTime{"ErrorTime"};
inline constexpr Name WindowName{"WindowName"};
inline constexpr Name UserName{"UserName"};
inline constexpr Name ProcedureName{"ProcedureName"};
inline constexpr Name ErrorNumber{"ErrorNumber"};
inline constexpr Name ErrorSource{"ErrorSource"};
inline constexpr Name ErrorDescription{"ErrorDescription"};
inline constexpr Name Mode{"Mode"};
inline constexpr Name Flag{"Flag"};
}

// A user's stored column order and widths of a grid: one row per column.
namespace aGridLayout {
inline constexpr Name table{"aGridLayout"};
inline constexpr Name UserID{"UserID"};
inline constexpr Name CompanyID{"CompanyID"};
inline constexpr Name GridName{"GridName"};
inline constexpr Name ColumnIndex{"ColumnIndex"};
inline constexpr Name ColumnPosition{"ColumnPosition"};
inline constexpr Name ColumnWidth{"ColumnWidth"};
}

// ---- catalogue ----

// The embedded file's stand-in for SQL Server's object ids (object_id('t')).
namespace sys_objects {
inline constexpr Name table{"sys_objects"};
inline constexpr Name id{"id"};
inline constexpr Name name{"name"};
}

// colstat 2 marks a rowguid column.
namespace syscolumns {
inline constexpr Name table{"syscolumns"};
inline constexpr Name id{"id"};
inline constexpr Name name{"name"};
inline constexpr Name colstat{"colstat"};
inline constexpr int rowGuidColstat = 2;
}

namespace schema_version {
inline constexpr Name table{"schema_version"};
inline constexpr Name version{"version"};
}

} // namespace kadu2217::tables
