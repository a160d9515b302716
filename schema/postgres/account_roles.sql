-- An account database's rights (after session.sql). The clerk reads every table, writes the
-- contacts, the base codes and value lists the card adds, and the vendor's main-contact link, adds
-- to the contacts' history; and sees and writes only the contacts (and history) of its user's
-- vendors. The administrator writes every table.
GRANT SELECT ON ALL TABLES IN SCHEMA public TO sovrel_clerk, sovrel_admin;
GRANT INSERT, UPDATE, DELETE ON ven_contact, crm_basecode, userdefine TO sovrel_clerk;
GRANT UPDATE (csovrelcode, cvenperson) ON vendor TO sovrel_clerk;
-- The history is only ever added to, by the data service in the transaction of the change.
GRANT INSERT ON ven_contacthistory TO sovrel_clerk;
GRANT INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA public TO sovrel_admin;
REVOKE ALL ON sv_login_key FROM sovrel_clerk, sovrel_admin;
REVOKE INSERT, UPDATE, DELETE ON sv_names FROM sovrel_admin;

ALTER TABLE ven_contact ENABLE ROW LEVEL SECURITY;
DROP POLICY IF EXISTS sv_clerk_vendors ON ven_contact;
DROP POLICY IF EXISTS sv_admin_all ON ven_contact;
-- The function calls stand in sub-selects so that each runs once per statement, not per row.
CREATE POLICY sv_clerk_vendors ON ven_contact TO sovrel_clerk
    USING ((SELECT sv_session_all_vendors())
           OR cvencode IN (SELECT v.cvencode FROM vendor v WHERE v.iid IN (SELECT unnest(sv_session_vendor_ids()))))
    WITH CHECK ((SELECT sv_session_all_vendors())
           OR cvencode IN (SELECT v.cvencode FROM vendor v WHERE v.iid IN (SELECT unnest(sv_session_vendor_ids()))));
CREATE POLICY sv_admin_all ON ven_contact TO sovrel_admin USING (true) WITH CHECK (true);

-- A contact's history is seen, and added to, where the contact is.
ALTER TABLE ven_contacthistory ENABLE ROW LEVEL SECURITY;
DROP POLICY IF EXISTS sv_clerk_vendors ON ven_contacthistory;
DROP POLICY IF EXISTS sv_admin_all ON ven_contacthistory;
CREATE POLICY sv_clerk_vendors ON ven_contacthistory TO sovrel_clerk
    USING ((SELECT sv_session_all_vendors())
           OR cvencode IN (SELECT v.cvencode FROM vendor v WHERE v.iid IN (SELECT unnest(sv_session_vendor_ids()))))
    WITH CHECK ((SELECT sv_session_all_vendors())
           OR cvencode IN (SELECT v.cvencode FROM vendor v WHERE v.iid IN (SELECT unnest(sv_session_vendor_ids()))));
CREATE POLICY sv_admin_all ON ven_contacthistory TO sovrel_admin USING (true) WITH CHECK (true);
