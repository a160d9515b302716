-- The quick search's texts for a text the trigrams cannot take (one or two characters, a
-- wildcard, a capital outside ASCII): each contact's folded text (as in Ven_ContactSearch)
-- beside its oid, in a narrow table that is read whole far faster than the contacts themselves.
-- Kept by the triggers below, which need sv_searchtext (the extension) as the index's do.
CREATE TABLE Ven_ContactSearchText (oid TEXT NOT NULL PRIMARY KEY, cText TEXT NOT NULL) WITHOUT ROWID;

CREATE TRIGGER Ven_Contact_searchtext_add AFTER INSERT ON Ven_Contact BEGIN
    INSERT OR REPLACE INTO Ven_ContactSearchText (oid, cText)
        VALUES (new.oid, sv_searchtext(new.cContactCode, new.cContactName, new.cOfficePhone, new.cHomePhone,
                                       new.cMobilePhone, new.cEmail));
END;

CREATE TRIGGER Ven_Contact_searchtext_change
AFTER UPDATE OF oid, cContactCode, cContactName, cOfficePhone, cHomePhone, cMobilePhone, cEmail ON Ven_Contact BEGIN
    DELETE FROM Ven_ContactSearchText WHERE oid = old.oid;
    INSERT OR REPLACE INTO Ven_ContactSearchText (oid, cText)
        VALUES (new.oid, sv_searchtext(new.cContactCode, new.cContactName, new.cOfficePhone, new.cHomePhone,
                                       new.cMobilePhone, new.cEmail));
END;

CREATE TRIGGER Ven_Contact_searchtext_remove AFTER DELETE ON Ven_Contact BEGIN
    DELETE FROM Ven_ContactSearchText WHERE oid = old.oid;
END;

-- The contacts already there, in an account made before the table.
INSERT INTO Ven_ContactSearchText (oid, cText)
    SELECT oid, sv_searchtext(cContactCode, cContactName, cOfficePhone, cHomePhone, cMobilePhone, cEmail)
    FROM Ven_Contact;
