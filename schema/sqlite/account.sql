-- Account database (TKDATA_<account>_<year>), SQLite.
--
-- Column types are written as SQL Server declares them: the data layer reads each column's
-- declared type to report the field's type code and defined size. Every text column compares as
-- SQL Server's default collation does (TSQL_CI: case-insensitive, trailing spaces ignored); the
-- layer registers that collation on every connection before it runs any statement.
--
-- The layer writes a row back by its primary key, so every table has one that never changes.

-- Row versions. SQL Server's rowversion is one counter per database, increased by every insert
-- and update of a row that has one; tkts columns take their values from this single row.
CREATE TABLE RowVersionCounter (
    iId     integer NOT NULL PRIMARY KEY CHECK (iId = 1),
    iValue  bigint  NOT NULL
);
INSERT INTO RowVersionCounter (iId, iValue) VALUES (1, 0);

-- Vendors (suppliers). Owned by the host's vendor archive; the contact archive writes
-- cSovrelCode and cVenPerson (its main-contact link). iId is the key row authority lists.
CREATE TABLE vendor (
    iId           integer       NOT NULL PRIMARY KEY AUTOINCREMENT,
    cVenCode      nvarchar(20)  COLLATE TSQL_CI NOT NULL UNIQUE,
    cVenName      nvarchar(98)  COLLATE TSQL_CI NOT NULL,
    cVenAbbName   nvarchar(60)  COLLATE TSQL_CI NOT NULL,
    cVCCode       nvarchar(12)  COLLATE TSQL_CI,          -- vendor class
    cDCCode       nvarchar(12)  COLLATE TSQL_CI,          -- region
    cTrade        nvarchar(60)  COLLATE TSQL_CI,          -- industry
    cVenAddress   nvarchar(255) COLLATE TSQL_CI,
    cVenPostCode  nvarchar(30)  COLLATE TSQL_CI,
    cVenRegCode   nvarchar(50)  COLLATE TSQL_CI,          -- tax registration number
    cVenBank      nvarchar(100) COLLATE TSQL_CI,
    cVenAccount   nvarchar(50)  COLLATE TSQL_CI,
    cVenPhone     nvarchar(100) COLLATE TSQL_CI,
    cVenFax       nvarchar(100) COLLATE TSQL_CI,
    cVenEmail     nvarchar(100) COLLATE TSQL_CI,
    cVenHand      nvarchar(60)  COLLATE TSQL_CI,          -- mobile phone of the vendor
    cVenPerson    nvarchar(40)  COLLATE TSQL_CI,          -- name of the main contact
    cVenPPerson   nvarchar(20)  COLLATE TSQL_CI,          -- our employee in charge (Person)
    cVenDepart    nvarchar(12)  COLLATE TSQL_CI,          -- our department in charge
    iVenCreLine   money,                                  -- credit line
    iVenDisRate   decimal(8,4),                           -- discount rate in percent
    dVenDevDate   datetime,                               -- date the vendor was taken on
    cCreatePerson nvarchar(20)  COLLATE TSQL_CI,
    cMemo         nvarchar(255) COLLATE TSQL_CI,
    cSovrelCode   nvarchar(38)  COLLATE TSQL_CI,          -- Ven_Contact.oid of the main contact
    tkts          timestamp
);
CREATE INDEX vendor_cSovrelCode ON vendor (cSovrelCode);

-- Our departments and employees (read by the contact archive).
CREATE TABLE Department (
    cDepCode    nvarchar(12)  COLLATE TSQL_CI NOT NULL PRIMARY KEY,
    cDepName    nvarchar(60)  COLLATE TSQL_CI NOT NULL,
    iDepGrade   tinyint       NOT NULL DEFAULT 1,         -- level in the department tree
    bDepEnd     bit           NOT NULL DEFAULT 1,         -- a leaf of the tree
    cDepPerson  nvarchar(20)  COLLATE TSQL_CI,            -- head (Person)
    cDepPhone   nvarchar(100) COLLATE TSQL_CI,
    cDepMemo    nvarchar(255) COLLATE TSQL_CI
);

CREATE TABLE Person (
    cPersonCode   nvarchar(20)  COLLATE TSQL_CI NOT NULL PRIMARY KEY,
    cPersonName   nvarchar(40)  COLLATE TSQL_CI NOT NULL,
    cDepCode      nvarchar(12)  COLLATE TSQL_CI,
    cPersonPhone  nvarchar(100) COLLATE TSQL_CI,          -- mobile phone (SMS sender)
    cPersonEmail  nvarchar(100) COLLATE TSQL_CI,
    cPersonProp   nvarchar(20)  COLLATE TSQL_CI,          -- position
    dPValidDate   datetime,                               -- employed since
    bPersonActive bit           NOT NULL DEFAULT 1
);
CREATE INDEX Person_cDepCode ON Person (cDepCode);

-- Small code lists shared by the archives (sex, duty, hobby, marital status, ...). ID is an
-- identity: a value the card adds gets the next one. A list holds each name once.
CREATE TABLE Crm_BaseCode (
    ID     integer      NOT NULL PRIMARY KEY AUTOINCREMENT,
    cCode  nvarchar(20) COLLATE TSQL_CI,
    cType  nvarchar(20) COLLATE TSQL_CI NOT NULL,
    cName  nvarchar(60) COLLATE TSQL_CI NOT NULL,
    bEdit  bit          NOT NULL DEFAULT 0,               -- added from a card
    tkts   timestamp,
    UNIQUE (cType, cName)
);

-- Vendor contacts. oid is the key that never changes (vendor.cSovrelCode points to it);
-- cContactCode is the business key (vendor code + 8-digit serial).
CREATE TABLE Ven_Contact (
    oid           nvarchar(38)  COLLATE TSQL_CI NOT NULL PRIMARY KEY DEFAULT (
                      '{' || hex(randomblob(4)) || '-' || hex(randomblob(2)) || '-4'
                      || substr(hex(randomblob(2)), 2) || '-'
                      || substr('89AB', 1 + abs(random() % 4), 1) || substr(hex(randomblob(2)), 2)
                      || '-' || hex(randomblob(6)) || '}'),
    cContactCode  nvarchar(30)  COLLATE TSQL_CI NOT NULL UNIQUE CHECK (cContactCode <> ''),
    cVenCode      nvarchar(20)  COLLATE TSQL_CI NOT NULL CHECK (cVenCode <> ''),
    cContactName  nvarchar(40)  COLLATE TSQL_CI NOT NULL CHECK (cContactName <> ''),
    cAppellation  nvarchar(20)  COLLATE TSQL_CI,
    bcSexID       int,                                    -- Crm_BaseCode.ID, cType 'Sex'
    cSuperiorID   nvarchar(30)  COLLATE TSQL_CI,          -- cContactCode of the direct superior
    cNative       nvarchar(60)  COLLATE TSQL_CI,
    bcDutyID      int,                                    -- Crm_BaseCode.ID, cType 'Duty'
    dBirthday     datetime,
    bcTasteID     int,                                    -- Crm_BaseCode.ID, cType 'Taste'
    bcMarriageID  int,                                    -- Crm_BaseCode.ID, cType 'Marriage'
    bMajor        bit           DEFAULT 0,
    cPrincipal    nvarchar(20)  COLLATE TSQL_CI,          -- Person.cPersonCode
    cCreator      nvarchar(20)  COLLATE TSQL_CI,
    dCreateDate   datetime,
    cOfficePhone  nvarchar(100) COLLATE TSQL_CI,
    cHomePhone    nvarchar(100) COLLATE TSQL_CI,
    cMobilePhone  nvarchar(100) COLLATE TSQL_CI,
    cCall         nvarchar(40)  COLLATE TSQL_CI,
    cZipcode      nvarchar(10)  COLLATE TSQL_CI,
    cHomePage     nvarchar(100) COLLATE TSQL_CI,
    cWorkAddress  nvarchar(255) COLLATE TSQL_CI,
    cHomeAddress  nvarchar(255) COLLATE TSQL_CI,
    cEmail        nvarchar(100) COLLATE TSQL_CI,
    cHomeMember   nvarchar(255) COLLATE TSQL_CI,
    cMemo         nvarchar(255) COLLATE TSQL_CI,
    -- User-defined items: 1-10 text, 11-12 whole numbers, 13-14 decimals, 15-16 dates.
    cConDefine1   nvarchar(120) COLLATE TSQL_CI,
    cConDefine2   nvarchar(120) COLLATE TSQL_CI,
    cConDefine3   nvarchar(120) COLLATE TSQL_CI,
    cConDefine4   nvarchar(120) COLLATE TSQL_CI,
    cConDefine5   nvarchar(120) COLLATE TSQL_CI,
    cConDefine6   nvarchar(120) COLLATE TSQL_CI,
    cConDefine7   nvarchar(120) COLLATE TSQL_CI,
    cConDefine8   nvarchar(120) COLLATE TSQL_CI,
    cConDefine9   nvarchar(120) COLLATE TSQL_CI,
    cConDefine10  nvarchar(120) COLLATE TSQL_CI,
    cConDefine11  int,
    cConDefine12  int,
    cConDefine13  decimal(28,6),
    cConDefine14  decimal(28,6),
    cConDefine15  datetime,
    cConDefine16  datetime,
    tkts          timestamp
);
CREATE INDEX Ven_Contact_cVenCode ON Ven_Contact (cVenCode);
CREATE INDEX Ven_Contact_cSuperiorID ON Ven_Contact (cSuperiorID);
CREATE INDEX Ven_Contact_cContactName ON Ven_Contact (cContactName);

-- Definitions of the user-defined items of each archive (cClass); cItem is "自定义项" + n and
-- names column <stem>n. cItemType: "text", "int", "decimal" or "date". A value is checked
-- (bCheckVal) against the item's value list in userdefine (iDataSource 0) or against the column
-- cRelField of the archive cRelArchive (iDataSource 1); bArchive 1 adds an unknown value to the
-- list instead of refusing it. An item whose cItemName is empty is not in use.
CREATE TABLE userdef (
    cClass          nvarchar(40)  COLLATE TSQL_CI NOT NULL,
    cItem           nvarchar(20)  COLLATE TSQL_CI NOT NULL,
    cItemName       nvarchar(40)  COLLATE TSQL_CI,
    cItemType       nvarchar(10)  COLLATE TSQL_CI NOT NULL DEFAULT 'text'
                        CHECK (cItemType IN ('text', 'int', 'decimal', 'date')),
    cDefaultVal     nvarchar(120) COLLATE TSQL_CI,
    bInput          bit           NOT NULL DEFAULT 0,     -- mandatory
    bFixLength      bit           NOT NULL DEFAULT 0,
    iLength         int,
    iDecimalDigits  tinyint,
    bCheckVal       bit           NOT NULL DEFAULT 0,
    iDataSource     tinyint       NOT NULL DEFAULT 0,
    cRelArchive     nvarchar(60)  COLLATE TSQL_CI,
    cRelField       nvarchar(60)  COLLATE TSQL_CI,
    bArchive        bit           NOT NULL DEFAULT 0,
    cId             nvarchar(20)  COLLATE TSQL_CI,        -- value-list id in userdefine
    PRIMARY KEY (cClass, cItem)
);

-- Value lists of user-defined items; cAlias is another text accepted for the value.
CREATE TABLE userdefine (
    cId     nvarchar(20)  COLLATE TSQL_CI NOT NULL,
    cValue  nvarchar(120) COLLATE TSQL_CI NOT NULL,
    cAlias  nvarchar(120) COLLATE TSQL_CI,
    PRIMARY KEY (cId, cValue)
);

-- Which table columns hold the keys of which archive: a row of the referenced archive is in use
-- while a referencing row holds its key (and meets cwherepart, an extra condition, when given).
-- cObjName is the referring object's name shown to the user.
CREATE TABLE crm_ref_relation (
    ID                       integer       NOT NULL PRIMARY KEY AUTOINCREMENT,
    creferencedtablename     nvarchar(60)  COLLATE TSQL_CI NOT NULL,
    creferencedtablekey      nvarchar(60)  COLLATE TSQL_CI NOT NULL,
    creferencingtablename    nvarchar(60)  COLLATE TSQL_CI NOT NULL,
    creferencingtablecolumn  nvarchar(60)  COLLATE TSQL_CI NOT NULL,
    cwherepart               nvarchar(255) COLLATE TSQL_CI NOT NULL DEFAULT '',
    cObjName                 nvarchar(60)  COLLATE TSQL_CI NOT NULL,
    UNIQUE (creferencedtablename, creferencingtablename, creferencingtablecolumn)
);

-- Archive captions per sub-system (TableDefine is the caption of table TableName).
CREATE TABLE Rpt_GRPDef (
    SystemId     nvarchar(10) COLLATE TSQL_CI NOT NULL,
    TableName    nvarchar(60) COLLATE TSQL_CI NOT NULL,
    TableDefine  nvarchar(60) COLLATE TSQL_CI,
    PRIMARY KEY (SystemId, TableName)
);

-- Purchase orders (host's purchasing module); cContactCode names the vendor contact.
CREATE TABLE PO_Pomain (
    POID          integer       NOT NULL PRIMARY KEY AUTOINCREMENT,
    cPOID         nvarchar(30)  COLLATE TSQL_CI NOT NULL UNIQUE,  -- order number
    dPODate       datetime      NOT NULL,
    cVenCode      nvarchar(20)  COLLATE TSQL_CI NOT NULL,
    cContactCode  nvarchar(30)  COLLATE TSQL_CI,
    cPersonCode   nvarchar(20)  COLLATE TSQL_CI,          -- our buyer
    cDepCode      nvarchar(12)  COLLATE TSQL_CI,
    cState        nvarchar(10)  COLLATE TSQL_CI NOT NULL DEFAULT '开立',
    iTaxRate      decimal(8,4),
    iSum          money,                                  -- total with tax
    cMaker        nvarchar(20)  COLLATE TSQL_CI,
    cVerifier     nvarchar(20)  COLLATE TSQL_CI,
    cMemo         nvarchar(255) COLLATE TSQL_CI
);
CREATE INDEX PO_Pomain_cContactCode ON PO_Pomain (cContactCode);
CREATE INDEX PO_Pomain_cVenCode ON PO_Pomain (cVenCode);

-- Visits and calls logged by the CRM module; cContactID holds the contact's oid. A row with
-- bDeleted 1 was withdrawn and no longer counts as a reference.
CREATE TABLE Crm_VisitLog (
    ID           integer       NOT NULL PRIMARY KEY AUTOINCREMENT,
    cVenCode     nvarchar(20)  COLLATE TSQL_CI NOT NULL,
    cContactID   nvarchar(38)  COLLATE TSQL_CI,
    dVisitDate   datetime      NOT NULL,
    cPersonCode  nvarchar(20)  COLLATE TSQL_CI,
    cSubject     nvarchar(100) COLLATE TSQL_CI NOT NULL,
    cContent     nvarchar(1000) COLLATE TSQL_CI,
    bDeleted     bit           NOT NULL DEFAULT 0
);
CREATE INDEX Crm_VisitLog_cContactID ON Crm_VisitLog (cContactID);

-- tkts of Ven_Contact, vendor and Crm_BaseCode: a new counter value after every insert and every
-- update (the update trigger skips the version's own write, so it fires once per statement row),
-- and a client may not set it, as SQL Server refuses to.
CREATE TRIGGER Ven_Contact_tkts_insert AFTER INSERT ON Ven_Contact
BEGIN
    UPDATE RowVersionCounter SET iValue = iValue + 1 WHERE iId = 1;
    UPDATE Ven_Contact SET tkts = (SELECT iValue FROM RowVersionCounter WHERE iId = 1)
     WHERE rowid = NEW.rowid;
END;
CREATE TRIGGER Ven_Contact_tkts_update AFTER UPDATE ON Ven_Contact
WHEN NEW.tkts IS OLD.tkts
BEGIN
    UPDATE RowVersionCounter SET iValue = iValue + 1 WHERE iId = 1;
    UPDATE Ven_Contact SET tkts = (SELECT iValue FROM RowVersionCounter WHERE iId = 1)
     WHERE rowid = NEW.rowid;
END;
CREATE TRIGGER Ven_Contact_tkts_readonly BEFORE UPDATE OF tkts ON Ven_Contact
WHEN NEW.tkts IS NOT OLD.tkts
 AND NEW.tkts IS NOT (SELECT iValue FROM RowVersionCounter WHERE iId = 1)
BEGIN
    SELECT RAISE(ABORT, 'Cannot update a timestamp column: tkts of Ven_Contact is set by the database.');
END;

CREATE TRIGGER vendor_tkts_insert AFTER INSERT ON vendor
BEGIN
    UPDATE RowVersionCounter SET iValue = iValue + 1 WHERE iId = 1;
    UPDATE vendor SET tkts = (SELECT iValue FROM RowVersionCounter WHERE iId = 1)
     WHERE rowid = NEW.rowid;
END;
CREATE TRIGGER vendor_tkts_update AFTER UPDATE ON vendor
WHEN NEW.tkts IS OLD.tkts
BEGIN
    UPDATE RowVersionCounter SET iValue = iValue + 1 WHERE iId = 1;
    UPDATE vendor SET tkts = (SELECT iValue FROM RowVersionCounter WHERE iId = 1)
     WHERE rowid = NEW.rowid;
END;
CREATE TRIGGER vendor_tkts_readonly BEFORE UPDATE OF tkts ON vendor
WHEN NEW.tkts IS NOT OLD.tkts
 AND NEW.tkts IS NOT (SELECT iValue FROM RowVersionCounter WHERE iId = 1)
BEGIN
    SELECT RAISE(ABORT, 'Cannot update a timestamp column: tkts of vendor is set by the database.');
END;

CREATE TRIGGER Crm_BaseCode_tkts_insert AFTER INSERT ON Crm_BaseCode
BEGIN
    UPDATE RowVersionCounter SET iValue = iValue + 1 WHERE iId = 1;
    UPDATE Crm_BaseCode SET tkts = (SELECT iValue FROM RowVersionCounter WHERE iId = 1)
     WHERE rowid = NEW.rowid;
END;
CREATE TRIGGER Crm_BaseCode_tkts_update AFTER UPDATE ON Crm_BaseCode
WHEN NEW.tkts IS OLD.tkts
BEGIN
    UPDATE RowVersionCounter SET iValue = iValue + 1 WHERE iId = 1;
    UPDATE Crm_BaseCode SET tkts = (SELECT iValue FROM RowVersionCounter WHERE iId = 1)
     WHERE rowid = NEW.rowid;
END;
CREATE TRIGGER Crm_BaseCode_tkts_readonly BEFORE UPDATE OF tkts ON Crm_BaseCode
WHEN NEW.tkts IS NOT OLD.tkts
 AND NEW.tkts IS NOT (SELECT iValue FROM RowVersionCounter WHERE iId = 1)
BEGIN
    SELECT RAISE(ABORT, 'Cannot update a timestamp column: tkts of Crm_BaseCode is set by the database.');
END;
