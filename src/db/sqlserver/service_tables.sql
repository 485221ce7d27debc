-- The tables the costing module's default services keep their records in, for a database
-- this program did not create (SQL Server). `localpurchcost init --odbc "..."` creates those
-- that are missing and changes nothing else; a database administrator may also run this
-- script as it stands. Plain CREATE TABLE texts that SQL Server and SQLite both accept.
-- The module's user needs SELECT, INSERT and DELETE on all three (DELETE for aGridLayout).

-- Who saved, changed or cancelled which costing, when, and why it was cancelled.
CREATE TABLE aAuditTrail (
    CompanyID    INTEGER,
    UserID       INTEGER,
    DepartmentID INTEGER,
    InterfaceID  INTEGER,
    DocumentID   INTEGER,
    DocumentNo   VARCHAR(100),
    AuditAction  VARCHAR(1),
    LoggedTime   DATETIME,
    SavedTime    DATETIME,
    Flag         BIT,
    Reason       VARCHAR(200)
);

-- Every failure a window reported.
CREATE TABLE aErrorLog (
    ErrorTime        DATETIME,
    WindowName       VARCHAR(100),
    UserName         VARCHAR(50),
    ProcedureName    VARCHAR(100),
    ErrorNumber      INTEGER,
    ErrorSource      VARCHAR(4000),
    ErrorDescription VARCHAR(4000),
    Mode             VARCHAR(1),
    Flag             BIT
);

-- Each user's column order and widths of the register's grid.
CREATE TABLE aGridLayout (
    UserID         INTEGER NOT NULL,
    CompanyID      INTEGER NOT NULL,
    GridName       VARCHAR(100) NOT NULL,
    ColumnIndex    INTEGER NOT NULL,
    ColumnPosition INTEGER,
    ColumnWidth    INTEGER,
    PRIMARY KEY (UserID, CompanyID, GridName, ColumnIndex)
);
