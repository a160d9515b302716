-- The quick search's index of the texts it looks in (code, name, phones, e-mail), used for a
-- search of three characters or more: each contact's texts folded as the search compares them,
-- a line each, indexed in trigrams (which of them a text holds, not where: LIKE decides on the
-- few texts found). Ven_ContactSearchRow ties a contact's oid to its entry, so that nothing
-- relies on Ven_Contact's row numbers (VACUUM may renumber them). The triggers keep both;
-- sv_searchtext is one of Sovrel's functions (the extension), without which a program cannot
-- write these columns. An entry left for an oid no longer there finds no contact.
CREATE TABLE Ven_ContactSearchRow (oid TEXT NOT NULL PRIMARY KEY, id INTEGER NOT NULL) WITHOUT ROWID;
CREATE VIRTUAL TABLE Ven_ContactSearch USING fts5 (cText, oid UNINDEXED, tokenize = 'trigram', detail = 'none');

CREATE TRIGGER Ven_Contact_search_add AFTER INSERT ON Ven_Contact BEGIN
    DELETE FROM Ven_ContactSearch WHERE rowid = (SELECT id FROM Ven_ContactSearchRow WHERE oid = new.oid);
    DELETE FROM Ven_ContactSearchRow WHERE oid = new.oid;
    INSERT INTO Ven_ContactSearch (cText, oid)
        VALUES (sv_searchtext(new.cContactCode, new.cContactName, new.cOfficePhone, new.cHomePhone,
                              new.cMobilePhone, new.cEmail), new.oid);
    INSERT INTO Ven_ContactSearchRow (oid, id) VALUES (new.oid, last_insert_rowid());
END;

CREATE TRIGGER Ven_Contact_search_change
AFTER UPDATE OF oid, cContactCode, cContactName, cOfficePhone, cHomePhone, cMobilePhone, cEmail ON Ven_Contact BEGIN
    DELETE FROM Ven_ContactSearch WHERE rowid = (SELECT id FROM Ven_ContactSearchRow WHERE oid = old.oid);
    DELETE FROM Ven_ContactSearchRow WHERE oid = old.oid;
    DELETE FROM Ven_ContactSearch WHERE rowid = (SELECT id FROM Ven_ContactSearchRow WHERE oid = new.oid);
    DELETE FROM Ven_ContactSearchRow WHERE oid = new.oid;
    INSERT INTO Ven_ContactSearch (cText, oid)
        VALUES (sv_searchtext(new.cContactCode, new.cContactName, new.cOfficePhone, new.cHomePhone,
                              new.cMobilePhone, new.cEmail), new.oid);
    INSERT INTO Ven_ContactSearchRow (oid, id) VALUES (new.oid, last_insert_rowid());
END;

CREATE TRIGGER Ven_Contact_search_remove AFTER DELETE ON Ven_Contact BEGIN
    DELETE FROM Ven_ContactSearch WHERE rowid = (SELECT id FROM Ven_ContactSearchRow WHERE oid = old.oid);
    DELETE FROM Ven_ContactSearchRow WHERE oid = old.oid;
END;

-- The contacts already there, in an account made before the index.
INSERT INTO Ven_ContactSearch (rowid, cText, oid)
    SELECT rowid, sv_searchtext(cContactCode, cContactName, cOfficePhone, cHomePhone, cMobilePhone, cEmail), oid
    FROM Ven_Contact;
INSERT INTO Ven_ContactSearchRow (oid, id) SELECT oid, rowid FROM Ven_Contact;
