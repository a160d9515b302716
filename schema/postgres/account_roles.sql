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

-- A contact's history is seen, and added to, where the contact is: one condition for both tables.
-- The function calls stand in sub-selects so that each runs once per statement, not per row.
DO $$
DECLARE
    t text;
    sees constant text := '(SELECT sv_session_all_vendors()) OR cvencode IN '
        '(SELECT v.cvencode FROM vendor v WHERE v.iid IN (SELECT unnest(sv_session_vendor_ids())))';
BEGIN
    FOREACH t IN ARRAY ARRAY['ven_contact', 'ven_contacthistory'] LOOP
        EXECUTE format('ALTER TABLE %I ENABLE ROW LEVEL SECURITY', t);
        EXECUTE format('DROP POLICY IF EXISTS sv_clerk_vendors ON %I', t);
        EXECUTE format('DROP POLICY IF EXISTS sv_admin_all ON %I', t);
        EXECUTE format('CREATE POLICY sv_clerk_vendors ON %I TO sovrel_clerk USING (%s) WITH CHECK (%s)', t, sees, sees);
        EXECUTE format('CREATE POLICY sv_admin_all ON %I TO sovrel_admin USING (true) WITH CHECK (true)', t);
    END LOOP;
END $$;
