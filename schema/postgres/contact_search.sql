-- The quick search's index of the texts it looks in (code, name, phones, e-mail), used for a
-- search of three characters or more: each contact's texts in lower case, a line each, indexed
-- in trigrams. The server keeps the index; the view is what a search names, and shows a user
-- only the contacts the row policies let the user see.
CREATE EXTENSION IF NOT EXISTS pg_trgm;
CREATE OR REPLACE VIEW ven_contactsearch WITH (security_invoker = true) AS
    SELECT oid, lower((coalesce(ccontactcode, '') || E'\n' || coalesce(ccontactname, '') || E'\n' ||
                       coalesce(cofficephone, '') || E'\n' || coalesce(chomephone, '') || E'\n' ||
                       coalesce(cmobilephone, '') || E'\n' || coalesce(cemail, '')) COLLATE "und-x-icu") AS ctext
    FROM ven_contact;
CREATE INDEX IF NOT EXISTS ven_contact_search ON ven_contact USING gin (
    lower((coalesce(ccontactcode, '') || E'\n' || coalesce(ccontactname, '') || E'\n' ||
           coalesce(cofficephone, '') || E'\n' || coalesce(chomephone, '') || E'\n' ||
           coalesce(cmobilephone, '') || E'\n' || coalesce(cemail, '')) COLLATE "und-x-icu") gin_trgm_ops);
