-- Account database (TKDATA_<account>_<year>), SQLite.
--
-- Column types are written as SQL Server declares them: the data layer reads each column's
-- declared type to report the field's type code and defined size. Every text column is declared
-- with SQLite's own NOCASE collation, so that any SQLite tool can read and sort the file; the
-- layer installs its own NOCASE on every connection before it runs any statement, which compares
-- as SQL Server's default collation does (case-insensitive over all of Unicode, trailing spaces
-- ignored). Other tools compare ASCII letters without regard to case and count trailing spaces.
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
    cVenCode      nvarchar(20)  COLLATE NOCASE NOT NULL UNIQUE,
    cVenName      nvarchar(98)  COLLATE NOCASE NOT NULL,
    cVenAbbName   nvarchar(60)  COLLATE NOCASE NOT NULL,
    cVCCode       nvarchar(12)  COLLATE NOCASE,          -- vendor class
    cDCCode       nvarchar(12)  COLLATE NOCASE,          -- region
    cTrade        nvarchar(60)  COLLATE NOCASE,          -- industry
    cVenAddress   nvarchar(255) COLLATE NOCASE,
    cVenPostCode  nvarchar(30)  COLLATE NOCASE,
    cVenRegCode   nvarchar(50)  COLLATE NOCASE,          -- tax registration number
    cVenBank      nvarchar(100) COLLATE NOCASE,
    cVenAccount   nvarchar(50)  COLLATE NOCASE,
    cVenPhone     nvarchar(100) COLLATE NOCASE,
    cVenFax       nvarchar(100) COLLATE NOCASE,
    cVenEmail     nvarchar(100) COLLATE NOCASE,
    cVenHand      nvarchar(60)  COLLATE NOCASE,          -- mobile phone of the vendor
    cVenPerson    nvarchar(40)  COLLATE NOCASE,          -- name of the main contact
    cVenPPerson   nvarchar(20)  COLLATE NOCASE,          -- our employee in charge (Person)
    cVenDepart    nvarchar(12)  COLLATE NOCASE,          -- our department in charge
    iVenCreLine   money,                                  -- credit line
    iVenDisRate   decimal(8,4),                           -- discount rate in percent
    dVenDevDate   datetime,                               -- date the vendor was taken on
    cCreatePerson nvarchar(20)  COLLATE NOCASE,
    cMemo         nvarchar(255) COLLATE NOCASE,
    cSovrelCode   nvarchar(38)  COLLATE NOCASE,          -- Ven_Contact.oid of the main contact
    tkts          timestamp
);
CREATE INDEX vendor_cSovrelCode ON vendor (cSovrelCode);

-- Our departments and employees (read by the contact archive).
CREATE TABLE Department (
    cDepCode    nvarchar(12)  COLLATE NOCASE NOT NULL PRIMARY KEY,
    cDepName    nvarchar(60)  COLLATE NOCASE NOT NULL,
    iDepGrade   tinyint       NOT NULL DEFAULT 1,         -- level in the department tree
    bDepEnd     bit           NOT NULL DEFAULT 1,         -- a leaf of the tree
    cDepPerson  nvarchar(20)  COLLATE NOCASE,            -- head (Person)
    cDepPhone   nvarchar(100) COLLATE NOCASE,
    cDepMemo    nvarchar(255) COLLATE NOCASE
);

CREATE TABLE Person (
    cPersonCode   nvarchar(20)  COLLATE NOCASE NOT NULL PRIMARY KEY,
    cPersonName   nvarchar(40)  COLLATE NOCASE NOT NULL,
    cDepCode      nvarchar(12)  COLLATE NOCASE,
    cPersonPhone  nvarchar(100) COLLATE NOCASE,          -- mobile phone (SMS sender)
    cPersonEmail  nvarchar(100) COLLATE NOCASE,
    cPersonProp   nvarchar(20)  COLLATE NOCASE,          -- position
    dPValidDate   datetime,                               -- employed since
    bPersonActive bit           NOT NULL DEFAULT 1
);
CREATE INDEX Person_cDepCode ON Person (cDepCode);

-- Small code lists shared by the archives (sex, duty, hobby, marital status, ...). ID is an
-- identity: a value the card adds gets the next one. A list holds each name once.
CREATE TABLE Crm_BaseCode (
    ID     integer      NOT NULL PRIMARY KEY AUTOINCREMENT,
    cCode  nvarchar(20) COLLATE NOCASE,
    cType  nvarchar(20) COLLATE NOCASE NOT NULL,
    cName  nvarchar(60) COLLATE NOCASE NOT NULL,
    bEdit  bit          NOT NULL DEFAULT 0,               -- added from a card
    tkts   timestamp,
    UNIQUE (cType, cName)
);

-- Vendor contacts. oid is the key that never changes (vendor.cSovrelCode points to it);
-- cContactCode is the business key (vendor code + 8-digit serial).
CREATE TABLE Ven_Contact (
    oid           nvarchar(38)  COLLATE NOCASE NOT NULL PRIMARY KEY DEFAULT (
                      '{' || hex(randomblob(4)) || '-' || hex(randomblob(2)) || '-4'
                      || substr(hex(randomblob(2)), 2) || '-'
                      || substr('89AB', 1 + abs(random() % 4), 1) || substr(hex(randomblob(2)), 2)
                      || '-' || hex(randomblob(6)) || '}'),
    cContactCode  nvarchar(30)  COLLATE NOCASE NOT NULL UNIQUE CHECK (cContactCode <> ''),
    cVenCode      nvarchar(20)  COLLATE NOCASE NOT NULL CHECK (cVenCode <> ''),
    cContactName  nvarchar(40)  COLLATE NOCASE NOT NULL CHECK (cContactName <> ''),
    cAppellation  nvarchar(20)  COLLATE NOCASE,
    bcSexID       int,                                    -- Crm_BaseCode.ID, cType 'Sex'
    cSuperiorID   nvarchar(30)  COLLATE NOCASE,          -- cContactCode of the direct superior
    cNative       nvarchar(60)  COLLATE NOCASE,
    bcDutyID      int,                                    -- Crm_BaseCode.ID, cType 'Duty'
    dBirthday     datetime,
    bcTasteID     int,                                    -- Crm_BaseCode.ID, cType 'Taste'
    bcMarriageID  int,                                    -- Crm_BaseCode.ID, cType 'Marriage'
    bMajor        bit           DEFAULT 0,
    cPrincipal    nvarchar(20)  COLLATE NOCASE,          -- Person.cPersonCode
    cCreator      nvarchar(20)  COLLATE NOCASE,
    dCreateDate   datetime,
    cOfficePhone  nvarchar(100) COLLATE NOCASE,
    cHomePhone    nvarchar(100) COLLATE NOCASE,
    cMobilePhone  nvarchar(100) COLLATE NOCASE,
    cCall         nvarchar(40)  COLLATE NOCASE,
    cZipcode      nvarchar(10)  COLLATE NOCASE,
    cHomePage     nvarchar(100) COLLATE NOCASE,
    cWorkAddress  nvarchar(255) COLLATE NOCASE,
    cHomeAddress  nvarchar(255) COLLATE NOCASE,
    cEmail        nvarchar(100) COLLATE NOCASE,
    cHomeMember   nvarchar(255) COLLATE NOCASE,
    cMemo         nvarchar(255) COLLATE NOCASE,
    -- User-defined items: 1-10 text, 11-12 whole numbers, 13-14 decimals, 15-16 dates.
    cConDefine1   nvarchar(120) COLLATE NOCASE,
    cConDefine2   nvarchar(120) COLLATE NOCASE,
    cConDefine3   nvarchar(120) COLLATE NOCASE,
    cConDefine4   nvarchar(120) COLLATE NOCASE,
    cConDefine5   nvarchar(120) COLLATE NOCASE,
    cConDefine6   nvarchar(120) COLLATE NOCASE,
    cConDefine7   nvarchar(120) COLLATE NOCASE,
    cConDefine8   nvarchar(120) COLLATE NOCASE,
    cConDefine9   nvarchar(120) COLLATE NOCASE,
    cConDefine10  nvarchar(120) COLLATE NOCASE,
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
    cClass          nvarchar(40)  COLLATE NOCASE NOT NULL,
    cItem           nvarchar(20)  COLLATE NOCASE NOT NULL,
    cItemName       nvarchar(40)  COLLATE NOCASE,
    cItemType       nvarchar(10)  COLLATE NOCASE NOT NULL DEFAULT 'text'
                        CHECK (cItemType IN ('text', 'int', 'decimal', 'date')),
    cDefaultVal     nvarchar(120) COLLATE NOCASE,
    bInput          bit           NOT NULL DEFAULT 0,     -- mandatory
    bFixLength      bit           NOT NULL DEFAULT 0,
    iLength         int,
    iDecimalDigits  tinyint,
    bCheckVal       bit           NOT NULL DEFAULT 0,
    iDataSource     tinyint       NOT NULL DEFAULT 0,
    cRelArchive     nvarchar(60)  COLLATE NOCASE,
    cRelField       nvarchar(60)  COLLATE NOCASE,
    bArchive        bit           NOT NULL DEFAULT 0,
    cId             nvarchar(20)  COLLATE NOCASE,        -- value-list id in userdefine
    PRIMARY KEY (cClass, cItem)
);

-- Value lists of user-defined items; cAlias is another text accepted for the value.
CREATE TABLE userdefine (
    cId     nvarchar(20)  COLLATE NOCASE NOT NULL,
    cValue  nvarchar(120) COLLATE NOCASE NOT NULL,
    cAlias  nvarchar(120) COLLATE NOCASE,
    PRIMARY KEY (cId, cValue)
);

-- Which table columns hold the keys of which archive: a row of the referenced archive is in use
-- while a referencing row holds its key (and meets cwherepart, an extra condition, when given).
-- cObjName is the referring object's name shown to the user.
CREATE TABLE crm_ref_relation (
    ID                       integer       NOT NULL PRIMARY KEY AUTOINCREMENT,
    creferencedtablename     nvarchar(60)  COLLATE NOCASE NOT NULL,
    creferencedtablekey      nvarchar(60)  COLLATE NOCASE NOT NULL,
    creferencingtablename    nvarchar(60)  COLLATE NOCASE NOT NULL,
    creferencingtablecolumn  nvarchar(60)  COLLATE NOCASE NOT NULL,
    cwherepart               nvarchar(255) COLLATE NOCASE NOT NULL DEFAULT '',
    cObjName                 nvarchar(60)  COLLATE NOCASE NOT NULL,
    UNIQUE (creferencedtablename, creferencingtablename, creferencingtablecolumn)
);

-- Archive captions per sub-system (TableDefine is the caption of table TableName).
CREATE TABLE Rpt_GRPDef (
    SystemId     nvarchar(10) COLLATE NOCASE NOT NULL,
    TableName    nvarchar(60) COLLATE NOCASE NOT NULL,
    TableDefine  nvarchar(60) COLLATE NOCASE,
    PRIMARY KEY (SystemId, TableName)
);

-- Purchase orders (host's purchasing module); cContactCode names the vendor contact.
CREATE TABLE PO_Pomain (
    POID          integer       NOT NULL PRIMARY KEY AUTOINCREMENT,
    cPOID         nvarchar(30)  COLLATE NOCASE NOT NULL UNIQUE,  -- order number
    dPODate       datetime      NOT NULL,
    cVenCode      nvarchar(20)  COLLATE NOCASE NOT NULL,
    cContactCode  nvarchar(30)  COLLATE NOCASE,
    cPersonCode   nvarchar(20)  COLLATE NOCASE,          -- our buyer
    cDepCode      nvarchar(12)  COLLATE NOCASE,
    cState        nvarchar(10)  COLLATE NOCASE NOT NULL DEFAULT '开立',
    iTaxRate      decimal(8,4),
    iSum          money,                                  -- total with tax
    cMaker        nvarchar(20)  COLLATE NOCASE,
    cVerifier     nvarchar(20)  COLLATE NOCASE,
    cMemo         nvarchar(255) COLLATE NOCASE
);
CREATE INDEX PO_Pomain_cContactCode ON PO_Pomain (cContactCode);
CREATE INDEX PO_Pomain_cVenCode ON PO_Pomain (cVenCode);

-- Visits and calls logged by the CRM module; cContactID holds the contact's oid. A row with
-- bDeleted 1 was withdrawn and no longer counts as a reference.
CREATE TABLE Crm_VisitLog (
    ID           integer       NOT NULL PRIMARY KEY AUTOINCREMENT,
    cVenCode     nvarchar(20)  COLLATE NOCASE NOT NULL,
    cContactID   nvarchar(38)  COLLATE NOCASE,
    dVisitDate   datetime      NOT NULL,
    cPersonCode  nvarchar(20)  COLLATE NOCASE,
    cSubject     nvarchar(100) COLLATE NOCASE NOT NULL,
    cContent     nvarchar(1000) COLLATE NOCASE,
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
