-- The embedded database of the costing module: the two costing tables it owns, the
-- suite's tables it reads or flags, and the stores of the default service components.
-- Type names matter to the data layer: DATETIME columns hold canonical datetime text,
-- BIT columns are flags, VARCHAR(n) limits what a recordset may assign.
-- TSQL is the engine's collation for SQL Server's default comparison of texts.

-- ---------------------------------------------------------------- costings

CREATE TABLE loaLocalPurchaseCostingHeader (
    lpchcostingid           INTEGER PRIMARY KEY,
    lpchcostingno           VARCHAR(50) COLLATE TSQL,
    lpchdate                DATETIME,
    lpchTime                DATETIME,
    lpchcompanyid           INTEGER,
    lpchshopid              INTEGER,
    lpchbillid              INTEGER,
    lpchDepartmentid        INTEGER,
    lpchremarks             VARCHAR(240) COLLATE TSQL,
    lpchrecadduser          VARCHAR(50) COLLATE TSQL,
    lpchrecmodifiyuser      VARCHAR(50) COLLATE TSQL,
    lpchInventoryaccid      INTEGER,
    lpchgoodsintransitaccid INTEGER,
    lpchCostingDone         BIT,
    lpchcostingdoneby       VARCHAR(50) COLLATE TSQL,
    lpchcancelled           BIT,
    lpchposted              BIT,
    updatetime              DATETIME
);
-- the duplicate check of a save
CREATE INDEX ix_lpch_bill ON loaLocalPurchaseCostingHeader (lpchbillid, lpchshopid);
-- the register's date window, with and without a working department; numbering per department
CREATE INDEX ix_lpch_department_date ON loaLocalPurchaseCostingHeader (lpchDepartmentid, lpchdate);
CREATE INDEX ix_lpch_date ON loaLocalPurchaseCostingHeader (lpchdate);

CREATE TABLE loaLocalPurchaseCostingDetail (
    lpcddetailid         INTEGER PRIMARY KEY,
    lpcdcostingid        INTEGER NOT NULL,
    lpcditemid           INTEGER,
    lpcditemqty          FLOAT,
    lpcdbillunitprice    FLOAT,
    lpcdcostedprice      FLOAT,
    lpcdolditemcostprice FLOAT,
    lpcdnewitemcostprice FLOAT
);
CREATE INDEX ix_lpcd_costing ON loaLocalPurchaseCostingDetail (lpcdcostingid);

-- ---------------------------------------------------------------- purchase bills

CREATE TABLE losLocalPurchaseHeader (
    lphBillID        INTEGER NOT NULL,
    lphShopID        INTEGER NOT NULL,
    lphBillNo        VARCHAR(50) COLLATE TSQL,
    lphBillDate      DATETIME,
    lphBillTime      DATETIME,
    lphBillAmount    FLOAT,
    lphVendorID      INTEGER,
    lphCompanyID     INTEGER,
    lphDepartmentID  INTEGER,
    lphcosted        BIT DEFAULT 0,
    lphcancelled     BIT DEFAULT 0,
    lphConfirmed     BIT DEFAULT 0,
    lphexchangerates TEXT COLLATE TSQL,
    PRIMARY KEY (lphBillID, lphShopID)
);
-- bills waiting for costing: pending list per department, bill list per shop
CREATE INDEX ix_lph_open_department ON losLocalPurchaseHeader (lphcosted, lphcancelled, lphDepartmentID);
CREATE INDEX ix_lph_open_shop ON losLocalPurchaseHeader (lphcosted, lphcancelled, lphShopID);
-- the costing report finds a bill by its number
CREATE INDEX ix_lph_billno ON losLocalPurchaseHeader (lphBillNo);

-- rowguid fixes the order of a bill's lines. A line inserted without one gets a GUID made
-- from its row number, so lines keep the order in which they were written.
CREATE TABLE losLocalPurchaseDetail (
    lpdbillid        INTEGER NOT NULL,
    lpdShopId        INTEGER NOT NULL,
    lpditemid        INTEGER,
    lpditemquantity  FLOAT,
    lpditemunitprice FLOAT,
    rowguid          TEXT COLLATE TSQL,
    PRIMARY KEY (lpdbillid, lpdShopId, rowguid)
);
CREATE UNIQUE INDEX ix_lpd_rowguid ON losLocalPurchaseDetail (rowguid);
-- quantity of an item on uncosted bills, read for every line of a save
CREATE INDEX ix_lpd_item ON losLocalPurchaseDetail (lpditemid, lpdbillid, lpdShopId, lpditemquantity);
CREATE TRIGGER tr_lpd_rowguid AFTER INSERT ON losLocalPurchaseDetail
WHEN new.rowguid IS NULL
BEGIN
    UPDATE losLocalPurchaseDetail
       SET rowguid = printf('%08X-0000-0000-0000-000000000000', new.rowid)
     WHERE rowid = new.rowid;
END;

CREATE TABLE losShopItemShipmentDetail (
    ShipmentDetailID INTEGER PRIMARY KEY,
    ShopId           INTEGER,
    itemid           INTEGER,
    Quantity         FLOAT,
    pricechanged     BIT DEFAULT 0
);
CREATE INDEX ix_sisd_item ON losShopItemShipmentDetail (itemid);

-- ---------------------------------------------------------------- items and stock

CREATE TABLE aItem (
    itemid          INTEGER PRIMARY KEY,
    itemcode        VARCHAR(30) COLLATE TSQL,
    itemdescription VARCHAR(200) COLLATE TSQL,
    itemrate        FLOAT
);
CREATE UNIQUE INDEX ix_item_code ON aItem (itemcode);

CREATE VIEW vwItemDescription AS
SELECT itemid, itemdescription FROM aItem;

CREATE TABLE aGodown (
    GodownId   INTEGER PRIMARY KEY,
    GodownName VARCHAR(100) COLLATE TSQL,
    companyid  INTEGER
);

-- Stock rows are read per item, so the item leads the key.
CREATE TABLE losGodownStock (
    GodownId INTEGER NOT NULL,
    ItemId   INTEGER NOT NULL,
    Stock    FLOAT NOT NULL DEFAULT 0,
    PRIMARY KEY (ItemId, GodownId)
) WITHOUT ROWID;

CREATE TABLE losShopStock (
    ShopId INTEGER NOT NULL,
    ItemId INTEGER NOT NULL,
    Stock  FLOAT NOT NULL DEFAULT 0,
    PRIMARY KEY (ItemId, ShopId)
) WITHOUT ROWID;

-- ---------------------------------------------------------------- masters

CREATE TABLE aShops (
    ShopId    INTEGER PRIMARY KEY,
    shopname  VARCHAR(100) COLLATE TSQL,
    companyid INTEGER
);

CREATE TABLE aCurrencyMaster (
    CurrencyID   INTEGER PRIMARY KEY,
    CurrencyName VARCHAR(50) COLLATE TSQL,
    Symbol       VARCHAR(10) COLLATE TSQL
);

CREATE TABLE aVendorMaster (
    VendorID   INTEGER PRIMARY KEY,
    vendorname VARCHAR(100) COLLATE TSQL,
    CurrencyID INTEGER,
    companyid  INTEGER
);

CREATE TABLE aAccountMaster (
    accountid   INTEGER PRIMARY KEY,
    accountname VARCHAR(100) COLLATE TSQL,
    companyid   INTEGER,
    currencyid  INTEGER
);

CREATE TABLE aDepartmentMaster (
    DepartmentID   INTEGER PRIMARY KEY,
    DepartmentName VARCHAR(100) COLLATE TSQL,
    Companyid      INTEGER
);

-- Stock per item over all godowns and all shops.
CREATE VIEW vwInquiryGodownStock AS
SELECT s.GodownId AS gsgodownid, g.GodownName AS gsgodownname, s.ItemId AS gsitemid, s.Stock AS gsstock
  FROM losGodownStock s LEFT JOIN aGodown g ON g.GodownId = s.GodownId;

CREATE VIEW vwInquiryShopStock AS
SELECT s.ShopId AS shopid, sh.shopname AS shopname, s.ItemId AS itemid, s.Stock AS stock
  FROM losShopStock s LEFT JOIN aShops sh ON sh.ShopId = s.ShopId;

-- ---------------------------------------------------------------- users and rights

CREATE TABLE aUsers (
    userid   INTEGER PRIMARY KEY,
    username VARCHAR(50) COLLATE TSQL
);

CREATE TABLE lousers (
    userid   INTEGER PRIMARY KEY,
    UserName VARCHAR(50) COLLATE TSQL
);

CREATE TABLE aUserDeptDetails (
    userid    INTEGER NOT NULL,
    DeptID    INTEGER NOT NULL,
    Companyid INTEGER NOT NULL,
    PRIMARY KEY (userid, DeptID, Companyid)
);

CREATE TABLE aUserRights (
    userid         INTEGER NOT NULL,
    interfaceid    INTEGER NOT NULL,
    functionrights VARCHAR(20) COLLATE TSQL,
    PRIMARY KEY (userid, interfaceid)
);

-- ---------------------------------------------------------------- settings

CREATE TABLE aPackageSettings (
    companyid         INTEGER PRIMARY KEY,
    backNoofDays      INTEGER,
    inventoryid       INTEGER,
    GoodsInTransitID  INTEGER,
    CompanyDepartment INTEGER,
    Alias             BIT
);

CREATE TABLE aAlias (
    Aliasid INTEGER PRIMARY KEY,
    Alias   VARCHAR(50) COLLATE TSQL
);

CREATE TABLE aFinancialYear (
    FinancialId      INTEGER PRIMARY KEY,
    FinancialYear    VARCHAR(20) COLLATE TSQL,
    FromDate         DATETIME,
    ToDate           DATETIME,
    CurFinancialYear BIT
);

-- ShopId NULL: the prefix of the whole department.
CREATE TABLE aPrefix (
    PrefixID     INTEGER PRIMARY KEY,
    Prefix       VARCHAR(20) COLLATE TSQL,
    departmentID INTEGER,
    FinancialId  INTEGER,
    InterfaceID  INTEGER,
    ShopId       INTEGER
);
CREATE INDEX ix_prefix_department ON aPrefix (departmentID, InterfaceID, FinancialId);

CREATE TABLE aTables (
    tableid   INTEGER PRIMARY KEY,
    tablename VARCHAR(128) COLLATE TSQL
);
CREATE UNIQUE INDEX ix_tables_name ON aTables (tablename);

CREATE TABLE aTableColumns (
    tableid      INTEGER NOT NULL,
    columnid     INTEGER NOT NULL,
    columnname   VARCHAR(128) COLLATE TSQL,
    ColumnHeader VARCHAR(100) COLLATE TSQL,
    PRIMARY KEY (tableid, columnid)
);

CREATE TABLE aListViewHeader (
    lvwid         INTEGER PRIMARY KEY,
    lvwtransname  VARCHAR(100) COLLATE TSQL,
    lvwname       VARCHAR(100) COLLATE TSQL,
    lvwmodulename VARCHAR(100) COLLATE TSQL
);

CREATE TABLE aListViewDetails (
    lvwdid       INTEGER NOT NULL,
    lvwcolid     INTEGER NOT NULL,
    lvwdcolname  VARCHAR(100) COLLATE TSQL,
    lvwdcolwidth INTEGER,
    lvwdcolalign INTEGER,
    PRIMARY KEY (lvwdid, lvwcolid)
);

-- ---------------------------------------------------------------- service stores

CREATE TABLE aAuditTrail (
    AuditID      INTEGER PRIMARY KEY,
    CompanyID    INTEGER,
    UserID       INTEGER,
    DepartmentID INTEGER,
    InterfaceID  INTEGER,
    DocumentID   INTEGER,
    DocumentNo   VARCHAR(100) COLLATE TSQL,
    AuditAction  VARCHAR(1) COLLATE TSQL,
    LoggedTime   DATETIME,
    SavedTime    DATETIME,
    Flag         BIT
);
CREATE INDEX ix_audit_document ON aAuditTrail (InterfaceID, DocumentID);

CREATE TABLE aErrorLog (
    ErrorID          INTEGER PRIMARY KEY,
    ErrorTime        DATETIME,
    WindowName       VARCHAR(100) COLLATE TSQL,
    UserName         VARCHAR(50) COLLATE TSQL,
    ProcedureName    VARCHAR(100) COLLATE TSQL,
    ErrorNumber      INTEGER,
    ErrorSource      TEXT COLLATE TSQL,
    ErrorDescription TEXT COLLATE TSQL,
    Mode             VARCHAR(1) COLLATE TSQL,
    Flag             BIT
);

CREATE TABLE aGridLayout (
    UserID         INTEGER NOT NULL,
    CompanyID      INTEGER NOT NULL,
    GridName       VARCHAR(100) COLLATE TSQL NOT NULL,
    ColumnIndex    INTEGER NOT NULL,
    ColumnPosition INTEGER,
    ColumnWidth    INTEGER,
    PRIMARY KEY (UserID, CompanyID, GridName, ColumnIndex)
);

-- ---------------------------------------------------------------- catalogue

-- object_id('t') reads the id here; the schema code lists every table and view.
CREATE TABLE sys_objects (
    id   INTEGER PRIMARY KEY,
    name TEXT COLLATE NOCASE NOT NULL UNIQUE
);

CREATE VIEW syscolumns AS
SELECT o.id AS id,
       c.name AS name,
       CASE WHEN c.name = 'rowguid' COLLATE NOCASE THEN 2 ELSE 0 END AS colstat
  FROM sys_objects o JOIN pragma_table_info(o.name) c;

CREATE TABLE schema_version (
    version INTEGER NOT NULL
);
