-- System database "tksystem": the host's own tables, shared by every account and every user of
-- the installation; the one definition, written as the account database's is (schema/account.sql).

-- Accounts: one row per account number and year. cDatabase is the account database's name
-- (the connection text's Initial Catalog); cDataSource its Data Source, empty when the account
-- lives where this system database does.
CREATE TABLE UA_Account (
    cAcc_Id      nvarchar(3)   NOT NULL CHECK (length(cAcc_Id) = 3),
    iYear        smallint      NOT NULL CHECK (iYear BETWEEN 1900 AND 9999),
    cAcc_Name    nvarchar(100) NOT NULL,
    cDatabase    nvarchar(60)  NOT NULL,
    cDataSource  nvarchar(260) NOT NULL DEFAULT '',
    dCreateDate  datetime,
    PRIMARY KEY (cAcc_Id, iYear)
);

-- Sub-systems enabled in an account year (cSub_Id "AS" archives, "PU" purchasing, "CM" CRM ...).
CREATE TABLE UA_Account_Sub (
    cAcc_Id      nvarchar(3)  NOT NULL,
    iYear        smallint     NOT NULL,
    cSub_Id      nvarchar(2)  NOT NULL,
    cSub_Name    nvarchar(40),
    dSubSysUsed  datetime,                                -- enabled on
    cUser_Id     nvarchar(20),            -- enabled by
    iModiPeriod  tinyint      NOT NULL DEFAULT 0,         -- last closed period (0 none)
    bClosing     bit          NOT NULL DEFAULT 0,         -- the year is closed
    PRIMARY KEY (cAcc_Id, iYear, cSub_Id)
);

-- Users of the portal. cEmployeeId is the user's Person code in the account databases;
-- cPasswordHash is the Argon2id hash of the user's password (a user without one cannot log in);
-- cLanguage is the language of the user's texts ("keys" shows resource keys, for tests).
-- iFailedLogins counts wrong passwords in a row; after five the user is held until dHeldUntil.
CREATE TABLE UA_User (
    cUser_Id       nvarchar(20)  NOT NULL PRIMARY KEY,
    cUser_Name     nvarchar(40)  NOT NULL,
    cEmployeeId    nvarchar(20),
    cPasswordHash  nvarchar(128) NOT NULL DEFAULT '',
    cLanguage      nvarchar(10)  NOT NULL DEFAULT 'zh-CN'
                       CHECK (cLanguage IN ('zh-CN', 'en-US', 'keys')),
    cEmail         nvarchar(100),
    bDisabled      bit           NOT NULL DEFAULT 0,
    iFailedLogins  int           NOT NULL DEFAULT 0,
    dHeldUntil     datetime
);

-- Refused logins, one row each (cUser_Id as given, which may name no user): when, from which
-- machine and process, and why in the host's words. Passwords are never written here.
CREATE TABLE UA_LoginLog (
    cLogId      nvarchar(40)  NOT NULL PRIMARY KEY,
    dTime       datetime      NOT NULL,
    cUser_Id    nvarchar(60)  NOT NULL,
    cHostName   nvarchar(100) NOT NULL,
    iProcessId  int           NOT NULL,
    cReason     nvarchar(400) NOT NULL
);

-- Portal logins in progress: who holds record locks, from which machine and process.
CREATE TABLE UA_Login (
    cLoginId    nvarchar(40)  NOT NULL PRIMARY KEY,
    cUser_Id    nvarchar(20)  NOT NULL,
    cAcc_Id     nvarchar(3)   NOT NULL,
    iYear       smallint      NOT NULL,
    cHostName   nvarchar(100) NOT NULL,
    iProcessId  int           NOT NULL,
    dLoginAt    datetime      NOT NULL
);

-- Functions whose use is granted (cFuncId such as "AS020302"), and the grants.
CREATE TABLE UA_Function (
    cFuncId    nvarchar(20) NOT NULL PRIMARY KEY,
    cFuncName  nvarchar(60) NOT NULL,
    cSub_Id    nvarchar(2)  NOT NULL
);
CREATE TABLE UA_FuncRight (
    cUser_Id  nvarchar(20) NOT NULL,
    cFuncId   nvarchar(20) NOT NULL,
    PRIMARY KEY (cUser_Id, cFuncId)
);

-- Record and function locks: one row per holder. cTableName and iLockCode name what is locked
-- (an archive table and the list's lock code), cRecordKey one record or '' for the whole
-- function; cLoginId is the holding login (UA_Login), kept with its user, process and machine
-- so that another user can be told who holds it.
CREATE TABLE UA_Lock (
    cTableName  nvarchar(60)  NOT NULL,
    iLockCode   int           NOT NULL,
    cRecordKey  nvarchar(100) NOT NULL DEFAULT '',
    cLoginId    nvarchar(40)  NOT NULL,
    cUser_Id    nvarchar(20)  NOT NULL,
    iProcessId  int           NOT NULL,
    cHostName   nvarchar(100) NOT NULL,
    dTakenAt    datetime      NOT NULL,
    PRIMARY KEY (cTableName, iLockCode, cRecordKey, cLoginId)
);
CREATE INDEX UA_Lock_cLoginId ON UA_Lock (cLoginId);

-- A user's column settings of a list (cKey "Ven_Contact"): the description text the
-- column-settings service hands out. No row: the service's default columns.
CREATE TABLE UA_ColumnSet (
    cUser_Id     nvarchar(20)  NOT NULL,
    cKey         nvarchar(60)  NOT NULL,
    cColumnInfo  ntext NOT NULL,
    dModified    datetime,
    PRIMARY KEY (cUser_Id, cKey)
);

-- Row authority: which rows of a business object (cBusObId "vendor") a user may see.
-- cAuthString: comma-separated iId values of the allowed rows, "1=2" for none. No row: all.
CREATE TABLE UA_RowAuth (
    cUser_Id     nvarchar(20)  NOT NULL,
    cBusObId     nvarchar(30)  NOT NULL,
    cAuthString  ntext NOT NULL,
    PRIMARY KEY (cUser_Id, cBusObId)
);

-- Column authority: the columns of a business object a user may read (R) or write (W),
-- comma-separated. No row: every column.
CREATE TABLE UA_ColAuth (
    cUser_Id  nvarchar(20)  NOT NULL,
    cBusObId  nvarchar(30)  NOT NULL,
    cFuncId   nchar(1)      NOT NULL CHECK (cFuncId IN ('R', 'W')),
    cColumns  ntext NOT NULL,
    PRIMARY KEY (cUser_Id, cBusObId, cFuncId)
);

-- A user's stored values per section and key (section "Ven_Contact": "PageSize", print styles).
CREATE TABLE UA_Setting (
    cUser_Id  nvarchar(20)  NOT NULL,
    cSection  nvarchar(60)  NOT NULL,
    cKey      nvarchar(60)  NOT NULL,
    cValue    ntext,
    PRIMARY KEY (cUser_Id, cSection, cKey)
);

-- A user's print styles per table and style name (the page layout the print control keeps).
CREATE TABLE UA_PrintStyle (
    cUser_Id    nvarchar(20)  NOT NULL,
    cTableName  nvarchar(60)  NOT NULL,
    cStyleName  nvarchar(60)  NOT NULL,
    cStyle      ntext,
    PRIMARY KEY (cUser_Id, cTableName, cStyleName)
);
