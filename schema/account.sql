-- Account database (TKDATA_<account>_<year>): the one definition of its tables.
--
-- Column types are written as SQL Server declares them: the data layer reads each column's
-- declared type to report the field's type code and defined size. The schema library derives each
-- backend's script from this text (schema/src/ddl.cpp): every text column compares as SQL Server's
-- default collation does (case-insensitive, trailing spaces ignored), `int IDENTITY` numbers new
-- rows, and a `timestamp` column is the row version, set by the database on every insert and
-- update. Write new tables here, in SQL Server's words; nothing else needs to change. (A table
-- whose rows are only ever added is also named in ddl.cpp's kAppendOnly: its identity is then the
-- backend's plain row number, cheaper to write.)
--
-- The layer writes a row back by its primary key, so every table has one that never changes.

-- Vendors (suppliers). Owned by the host's vendor archive; the contact archive writes
-- cSovrelCode and cVenPerson (its main-contact link). iId is the key row authority lists.
CREATE TABLE vendor (
    iId           int IDENTITY  NOT NULL PRIMARY KEY,
    cVenCode      nvarchar(20)  NOT NULL UNIQUE,
    cVenName      nvarchar(98)  NOT NULL,
    cVenAbbName   nvarchar(60)  NOT NULL,
    cVCCode       nvarchar(12),          -- vendor class
    cDCCode       nvarchar(12),          -- region
    cTrade        nvarchar(60),          -- industry
    cVenAddress   nvarchar(255),
    cVenPostCode  nvarchar(30),
    cVenRegCode   nvarchar(50),          -- tax registration number
    cVenBank      nvarchar(100),
    cVenAccount   nvarchar(50),
    cVenPhone     nvarchar(100),
    cVenFax       nvarchar(100),
    cVenEmail     nvarchar(100),
    cVenHand      nvarchar(60),          -- mobile phone of the vendor
    cVenPerson    nvarchar(40),          -- name of the main contact
    cVenPPerson   nvarchar(20),          -- our employee in charge (Person)
    cVenDepart    nvarchar(12),          -- our department in charge
    iVenCreLine   money,                                  -- credit line
    iVenDisRate   decimal(8,4),                           -- discount rate in percent
    dVenDevDate   datetime,                               -- date the vendor was taken on
    cCreatePerson nvarchar(20),
    cMemo         nvarchar(255),
    cSovrelCode   nvarchar(38),          -- Ven_Contact.oid of the main contact
    tkts          timestamp
);
CREATE INDEX vendor_cSovrelCode ON vendor (cSovrelCode);

-- Our departments and employees (read by the contact archive).
CREATE TABLE Department (
    cDepCode    nvarchar(12)  NOT NULL PRIMARY KEY,
    cDepName    nvarchar(60)  NOT NULL,
    iDepGrade   tinyint       NOT NULL DEFAULT 1,         -- level in the department tree
    bDepEnd     bit           NOT NULL DEFAULT 1,         -- a leaf of the tree
    cDepPerson  nvarchar(20),            -- head (Person)
    cDepPhone   nvarchar(100),
    cDepMemo    nvarchar(255)
);

CREATE TABLE Person (
    cPersonCode   nvarchar(20)  NOT NULL PRIMARY KEY,
    cPersonName   nvarchar(40)  NOT NULL,
    cDepCode      nvarchar(12),
    cPersonPhone  nvarchar(100),          -- mobile phone (SMS sender)
    cPersonEmail  nvarchar(100),
    cPersonProp   nvarchar(20),          -- position
    dPValidDate   datetime,                               -- employed since
    bPersonActive bit           NOT NULL DEFAULT 1
);
CREATE INDEX Person_cDepCode ON Person (cDepCode);

-- Small code lists shared by the archives (sex, duty, hobby, marital status, ...). ID is an
-- identity: a value the card adds gets the next one. A list holds each name once.
CREATE TABLE Crm_BaseCode (
    ID     int IDENTITY  NOT NULL PRIMARY KEY,
    cCode  nvarchar(20),
    cType  nvarchar(20) NOT NULL,
    cName  nvarchar(60) NOT NULL,
    bEdit  bit          NOT NULL DEFAULT 0,               -- added from a card
    tkts   timestamp,
    UNIQUE (cType, cName)
);

-- Vendor contacts. oid is the key that never changes (vendor.cSovrelCode points to it);
-- cContactCode is the business key (vendor code + 8-digit serial).
CREATE TABLE Ven_Contact (
    oid           nvarchar(38)  NOT NULL PRIMARY KEY DEFAULT ('{' + CONVERT(nvarchar(36), NEWID()) + '}'),
    cContactCode  nvarchar(30)  NOT NULL UNIQUE CHECK (cContactCode <> ''),
    cVenCode      nvarchar(20)  NOT NULL CHECK (cVenCode <> ''),
    cContactName  nvarchar(40)  NOT NULL CHECK (cContactName <> ''),
    cAppellation  nvarchar(20),
    bcSexID       int,                                    -- Crm_BaseCode.ID, cType 'Sex'
    cSuperiorID   nvarchar(30),          -- cContactCode of the direct superior
    cNative       nvarchar(60),
    bcDutyID      int,                                    -- Crm_BaseCode.ID, cType 'Duty'
    dBirthday     datetime,
    bcTasteID     int,                                    -- Crm_BaseCode.ID, cType 'Taste'
    bcMarriageID  int,                                    -- Crm_BaseCode.ID, cType 'Marriage'
    bMajor        bit           DEFAULT 0,
    cPrincipal    nvarchar(20),          -- Person.cPersonCode
    cCreator      nvarchar(20),
    dCreateDate   datetime,
    cOfficePhone  nvarchar(100),
    cHomePhone    nvarchar(100),
    cMobilePhone  nvarchar(100),
    cCall         nvarchar(40),
    cZipcode      nvarchar(10),
    cHomePage     nvarchar(100),
    cWorkAddress  nvarchar(255),
    cHomeAddress  nvarchar(255),
    cEmail        nvarchar(100),
    cHomeMember   nvarchar(255),
    cMemo         nvarchar(255),
    -- User-defined items: 1-10 text, 11-12 whole numbers, 13-14 decimals, 15-16 dates.
    cConDefine1   nvarchar(120),
    cConDefine2   nvarchar(120),
    cConDefine3   nvarchar(120),
    cConDefine4   nvarchar(120),
    cConDefine5   nvarchar(120),
    cConDefine6   nvarchar(120),
    cConDefine7   nvarchar(120),
    cConDefine8   nvarchar(120),
    cConDefine9   nvarchar(120),
    cConDefine10  nvarchar(120),
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
-- The newest row version tells a reader whether the table moved since it last looked.
CREATE INDEX Ven_Contact_tkts ON Ven_Contact (tkts);

-- Every change of a contact, one row per column it changed, written by the data service in the
-- transaction of the change: cKind is 'add', 'modify', 'delete', 'import' or 'restore'; a column
-- an add or import leaves empty, or a delete finds empty, has no row. cVenCode is the contact's
-- vendor (after the change) so that row authority reaches the history as it does the contact.
-- Rows are only ever added, and numbered by the database alone; ID gives their order. Every save
-- writes here, so the table keeps one index, the one a contact's history is read by: a user's
-- changes and the deleted contacts are rare questions that read the table through.
-- cContactCode is the code as the contact had it, compared byte for byte, so that the index
-- every save writes compares bytes: a reader asks for the stored code (a code typed in another
-- case is first looked up as the contact or its history has it).
CREATE TABLE Ven_ContactHistory (
    ID            int IDENTITY  NOT NULL PRIMARY KEY,
    cContactCode  nvarchar(30)  COLLATE Latin1_General_BIN NOT NULL,
    cVenCode      nvarchar(20)  NOT NULL,
    cColumn       nvarchar(40)  NOT NULL,
    cOldValue     nvarchar(255),
    cNewValue     nvarchar(255),
    cUserId       nvarchar(20),
    cUserName     nvarchar(40),
    dChanged      datetime      NOT NULL,
    cKind         nvarchar(10)  NOT NULL
);
CREATE INDEX Ven_ContactHistory_Contact ON Ven_ContactHistory (cContactCode, ID);

-- Definitions of the user-defined items of each archive (cClass); cItem is "自定义项" + n and
-- names column <stem>n. cItemType: "text", "int", "decimal" or "date". A value is checked
-- (bCheckVal) against the item's value list in userdefine (iDataSource 0) or against the column
-- cRelField of the archive cRelArchive (iDataSource 1); bArchive 1 adds an unknown value to the
-- list instead of refusing it. An item whose cItemName is empty is not in use.
CREATE TABLE userdef (
    cClass          nvarchar(40)  NOT NULL,
    cItem           nvarchar(20)  NOT NULL,
    cItemName       nvarchar(40),
    cItemType       nvarchar(10)  NOT NULL DEFAULT 'text'
                        CHECK (cItemType IN ('text', 'int', 'decimal', 'date')),
    cDefaultVal     nvarchar(120),
    bInput          bit           NOT NULL DEFAULT 0,     -- mandatory
    bFixLength      bit           NOT NULL DEFAULT 0,
    iLength         int,
    iDecimalDigits  tinyint,
    bCheckVal       bit           NOT NULL DEFAULT 0,
    iDataSource     tinyint       NOT NULL DEFAULT 0,
    cRelArchive     nvarchar(60),
    cRelField       nvarchar(60),
    bArchive        bit           NOT NULL DEFAULT 0,
    cId             nvarchar(20),        -- value-list id in userdefine
    PRIMARY KEY (cClass, cItem)
);

-- Value lists of user-defined items; cAlias is another text accepted for the value.
CREATE TABLE userdefine (
    cId     nvarchar(20)  NOT NULL,
    cValue  nvarchar(120) NOT NULL,
    cAlias  nvarchar(120),
    PRIMARY KEY (cId, cValue)
);

-- Names of account rows in a language other than the account's own: a base code (cTable
-- 'Crm_BaseCode', cKey its ID) or a user-defined item (cTable 'userdef', cKey cClass + '.' +
-- cItem). A row without a name in the user's language shows its own.
CREATE TABLE Crm_LocalName (
    cTable     nvarchar(40)  NOT NULL,
    cKey       nvarchar(80)  NOT NULL,
    cLanguage  nvarchar(10)  NOT NULL,
    cName      nvarchar(60)  NOT NULL,
    PRIMARY KEY (cTable, cKey, cLanguage)
);

-- Which table columns hold the keys of which archive: a row of the referenced archive is in use
-- while a referencing row holds its key (and meets cwherepart, an extra condition, when given).
-- cObjName is the referring object's name shown to the user.
CREATE TABLE crm_ref_relation (
    ID                       int IDENTITY  NOT NULL PRIMARY KEY,
    creferencedtablename     nvarchar(60)  NOT NULL,
    creferencedtablekey      nvarchar(60)  NOT NULL,
    creferencingtablename    nvarchar(60)  NOT NULL,
    creferencingtablecolumn  nvarchar(60)  NOT NULL,
    cwherepart               nvarchar(255) NOT NULL DEFAULT '',
    cObjName                 nvarchar(60)  NOT NULL,
    UNIQUE (creferencedtablename, creferencingtablename, creferencingtablecolumn)
);

-- Archive captions per sub-system (TableDefine is the caption of table TableName).
CREATE TABLE Rpt_GRPDef (
    SystemId     nvarchar(10) NOT NULL,
    TableName    nvarchar(60) NOT NULL,
    TableDefine  nvarchar(60),
    PRIMARY KEY (SystemId, TableName)
);

-- Purchase orders (host's purchasing module); cContactCode names the vendor contact.
CREATE TABLE PO_Pomain (
    POID          int IDENTITY  NOT NULL PRIMARY KEY,
    cPOID         nvarchar(30)  NOT NULL UNIQUE,  -- order number
    dPODate       datetime      NOT NULL,
    cVenCode      nvarchar(20)  NOT NULL,
    cContactCode  nvarchar(30),
    cPersonCode   nvarchar(20),          -- our buyer
    cDepCode      nvarchar(12),
    cState        nvarchar(10)  NOT NULL DEFAULT '开立',
    iTaxRate      decimal(8,4),
    iSum          money,                                  -- total with tax
    cMaker        nvarchar(20),
    cVerifier     nvarchar(20),
    cMemo         nvarchar(255)
);
CREATE INDEX PO_Pomain_cContactCode ON PO_Pomain (cContactCode);
CREATE INDEX PO_Pomain_cVenCode ON PO_Pomain (cVenCode);

-- Visits and calls logged by the CRM module; cContactID holds the contact's oid. A row with
-- bDeleted 1 was withdrawn and no longer counts as a reference.
CREATE TABLE Crm_VisitLog (
    ID           int IDENTITY  NOT NULL PRIMARY KEY,
    cVenCode     nvarchar(20)  NOT NULL,
    cContactID   nvarchar(38),
    dVisitDate   datetime      NOT NULL,
    cPersonCode  nvarchar(20),
    cSubject     nvarchar(100) NOT NULL,
    cContent     nvarchar(1000),
    bDeleted     bit           NOT NULL DEFAULT 0
);
CREATE INDEX Crm_VisitLog_cContactID ON Crm_VisitLog (cContactID);
