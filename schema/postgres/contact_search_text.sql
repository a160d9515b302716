-- The quick search's texts of a search too short for the trigrams (one or two characters): the
-- same lower-case text as ven_contactsearch's, read from the contacts as they are (no trigram
-- helps such a search), for the row policies to apply as to the contacts.
CREATE OR REPLACE VIEW ven_contactsearchtext WITH (security_invoker = true) AS
    SELECT oid, ctext FROM ven_contactsearch;
