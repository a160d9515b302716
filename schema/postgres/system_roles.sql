-- The system database's rights (after session.sql). Passwords are checked here, by sv_login,
-- and never leave the server; the clerk reads what its work needs and writes only its logins,
-- locks and its own user's settings; the administrator keeps users, rights and settings.

-- How many wrong passwords in a row hold a user, for how long, and the bcrypt cost of new hashes.
CREATE TABLE IF NOT EXISTS sv_login_rule (
    tries         integer NOT NULL DEFAULT 5 CHECK (tries > 0),
    hold_seconds  integer NOT NULL DEFAULT 60 CHECK (hold_seconds >= 0),
    bcrypt_cost   integer NOT NULL DEFAULT 10 CHECK (bcrypt_cost BETWEEN 4 AND 31),
    token_hours   integer NOT NULL DEFAULT 24 CHECK (token_hours > 0)
);
INSERT INTO sv_login_rule SELECT WHERE NOT EXISTS (SELECT 1 FROM sv_login_rule);
REVOKE ALL ON sv_login_rule FROM PUBLIC;

-- A setting that is a secret: the clerk's own SQL never reads it.
CREATE OR REPLACE FUNCTION sv_is_secret_setting(u text, s text, k text) RETURNS boolean LANGUAGE sql IMMUTABLE
    AS $$SELECT u = '*' AND s = 'Sovrel' AND k IN ('smtp.password', 'sms.key')$$;

-- The password check. Answers yes (with the login's token), no (with the tries left; none when
-- no password can open this user: unknown, disabled, or no hash the server can check) or held
-- (with the end of the hold). The try is counted, and the refusal logged, in the transaction that
-- checks it, under the user's row lock: parallel guesses take turns and none passes the limit.
CREATE OR REPLACE FUNCTION sv_login(p_user text, p_password text, p_host text, p_pid integer)
RETURNS TABLE (answer text, tries_left integer, held_until timestamp, token text)
LANGUAGE plpgsql VOLATILE SECURITY DEFINER SET search_path = pg_catalog, public AS $$
DECLARE
    rule sv_login_rule;
    u record;
    now_ts timestamp := localtimestamp(0);
    payload bytea;
    auth text;
    reason text;
BEGIN
    SELECT * INTO rule FROM sv_login_rule LIMIT 1;
    SELECT cuser_id, cpasswordhash, bdisabled, ifailedlogins, dhelduntil INTO u
        FROM ua_user WHERE cuser_id = p_user FOR UPDATE;
    IF NOT FOUND OR u.bdisabled <> 0 OR u.cpasswordhash COLLATE "C" !~ '^\$2[aby]\$' THEN
        reason := 'no password can open this user';
        answer := 'no';
    ELSIF u.dhelduntil > now_ts THEN
        reason := 'held until ' || u.dhelduntil::timestamp(0);
        answer := 'held';
        held_until := u.dhelduntil;
    ELSIF crypt(coalesce(p_password, ''), u.cpasswordhash) = u.cpasswordhash THEN
        UPDATE ua_user SET ifailedlogins = 0, dhelduntil = NULL WHERE cuser_id = u.cuser_id;
        SELECT cauthstring INTO auth FROM ua_rowauth WHERE cuser_id = u.cuser_id AND cbusobid = 'vendor';
        payload := convert_to(u.cuser_id || E'\n' || gen_random_uuid() || E'\n' ||
                              (extract(epoch FROM now())::bigint + 3600 * rule.token_hours) || E'\n' ||
                              replace(coalesce(auth, ''), E'\n', ' '), 'UTF8');
        answer := 'yes';
        token := encode(payload, 'hex') || '.' ||
                 encode(hmac(payload, (SELECT k.key FROM sv_login_key k LIMIT 1), 'sha256'), 'hex');
        RETURN NEXT;
        RETURN;
    ELSIF u.ifailedlogins + 1 >= rule.tries THEN
        held_until := now_ts + make_interval(secs => rule.hold_seconds);
        UPDATE ua_user SET ifailedlogins = 0, dhelduntil = held_until WHERE cuser_id = u.cuser_id;
        reason := 'wrong password; held until ' || held_until;
        answer := 'held';
    ELSE
        UPDATE ua_user SET ifailedlogins = u.ifailedlogins + 1 WHERE cuser_id = u.cuser_id;
        tries_left := rule.tries - u.ifailedlogins - 1;
        reason := 'wrong password; tries left ' || tries_left;
        answer := 'no';
    END IF;
    INSERT INTO ua_loginlog (clogid, dtime, cuser_id, chostname, iprocessid, creason)
        VALUES ('{' || upper(gen_random_uuid()::text) || '}', now_ts, left(p_user, 60), left(coalesce(p_host, ''), 100),
                coalesce(p_pid, 0), reason);
    RETURN NEXT;
END $$;

-- The connection's own user replaces the password.
CREATE OR REPLACE FUNCTION sv_change_password(p_new text) RETURNS void
LANGUAGE plpgsql VOLATILE SECURITY DEFINER SET search_path = pg_catalog, public AS $$
DECLARE
    me text := sv_session_user();
BEGIN
    IF me IS NULL THEN
        RAISE EXCEPTION 'no valid login token: log in first' USING ERRCODE = '42501';
    END IF;
    IF coalesce(p_new, '') = '' THEN RAISE EXCEPTION 'the new password is empty' USING ERRCODE = '22023'; END IF;
    UPDATE ua_user SET cpasswordhash = crypt(p_new, gen_salt('bf', (SELECT bcrypt_cost FROM sv_login_rule LIMIT 1)))
        WHERE cuser_id = me;
END $$;

-- Any user's password: the administrator role's (and the owner's) work. False for no such user.
CREATE OR REPLACE FUNCTION sv_set_password(p_user text, p_new text) RETURNS boolean
LANGUAGE plpgsql VOLATILE SECURITY DEFINER SET search_path = pg_catalog, public AS $$
BEGIN
    IF coalesce(p_new, '') = '' THEN RAISE EXCEPTION 'the new password is empty' USING ERRCODE = '22023'; END IF;
    UPDATE ua_user SET cpasswordhash = crypt(p_new, gen_salt('bf', (SELECT bcrypt_cost FROM sv_login_rule LIMIT 1))),
                       ifailedlogins = 0, dhelduntil = NULL
        WHERE cuser_id = p_user;
    RETURN FOUND;
END $$;

-- A secret setting for a logged-in user's process (the mail sender needs the SMTP password); it
-- stays sealed with the key file of the machines that send.
CREATE OR REPLACE FUNCTION sv_secret_setting(p_key text) RETURNS text
LANGUAGE plpgsql STABLE SECURITY DEFINER SET search_path = pg_catalog, public AS $$
BEGIN
    IF sv_session_user() IS NULL THEN
        RAISE EXCEPTION 'no valid login token: log in first' USING ERRCODE = '42501';
    END IF;
    RETURN (SELECT cvalue FROM ua_setting WHERE sv_is_secret_setting(cuser_id, csection, ckey) AND ckey = p_key);
END $$;

REVOKE EXECUTE ON FUNCTION sv_login(text, text, text, integer), sv_change_password(text),
    sv_set_password(text, text), sv_secret_setting(text) FROM PUBLIC;
GRANT EXECUTE ON FUNCTION sv_login(text, text, text, integer), sv_change_password(text), sv_secret_setting(text)
    TO sovrel_clerk, sovrel_admin;
GRANT EXECUTE ON FUNCTION sv_set_password(text, text) TO sovrel_admin;

-- What each role reads and writes. Nobody but the owner reads a password hash.
GRANT SELECT ON ua_account, ua_account_sub, ua_function, ua_funcright, ua_rowauth, ua_colauth
    TO sovrel_clerk, sovrel_admin;
GRANT SELECT (cuser_id, cuser_name, cemployeeid, clanguage, cemail, bdisabled, ifailedlogins, dhelduntil)
    ON ua_user TO sovrel_clerk, sovrel_admin;
GRANT SELECT, INSERT, UPDATE, DELETE ON ua_login, ua_lock, ua_columnset, ua_printstyle, ua_setting
    TO sovrel_clerk, sovrel_admin;
GRANT INSERT ON ua_loginlog TO sovrel_clerk, sovrel_admin;
GRANT SELECT ON ua_loginlog TO sovrel_admin;
GRANT INSERT, DELETE ON ua_user, ua_funcright, ua_rowauth, ua_colauth, ua_function, ua_account, ua_account_sub
    TO sovrel_admin;
GRANT UPDATE ON ua_funcright, ua_rowauth, ua_colauth, ua_function, ua_account, ua_account_sub TO sovrel_admin;
GRANT UPDATE (cuser_name, cemployeeid, clanguage, cemail, bdisabled, ifailedlogins, dhelduntil)
    ON ua_user TO sovrel_admin;

-- A clerk's settings, column sets and print styles are its own user's; the installation's
-- settings ("*") are read, their secrets never. A write to another user's row is refused with the
-- server's permission error (a row policy alone would skip the row without a word).
CREATE OR REPLACE FUNCTION sv_own_rows() RETURNS trigger LANGUAGE plpgsql AS $$
DECLARE
    owner_id text := CASE WHEN TG_OP = 'DELETE' THEN OLD.cuser_id ELSE NEW.cuser_id END;
BEGIN
    IF pg_has_role(current_user, 'sovrel_clerk', 'MEMBER') AND NOT pg_has_role(current_user, 'sovrel_admin', 'MEMBER')
       AND (owner_id IS DISTINCT FROM sv_session_user()
            OR (TG_OP = 'UPDATE' AND OLD.cuser_id IS DISTINCT FROM NEW.cuser_id)) THEN
        RAISE EXCEPTION 'permission denied for table %: the row is user %''s, not this login''s', TG_TABLE_NAME, owner_id
            USING ERRCODE = '42501';
    END IF;
    RETURN CASE WHEN TG_OP = 'DELETE' THEN OLD ELSE NEW END;
END $$;

DO $$
DECLARE
    t text;
BEGIN
    FOREACH t IN ARRAY ARRAY['ua_setting', 'ua_columnset', 'ua_printstyle'] LOOP
        EXECUTE format('ALTER TABLE %I ENABLE ROW LEVEL SECURITY', t);
        EXECUTE format('DROP POLICY IF EXISTS sv_clerk_read ON %I', t);
        EXECUTE format('DROP POLICY IF EXISTS sv_clerk_add ON %I', t);
        EXECUTE format('DROP POLICY IF EXISTS sv_clerk_change ON %I', t);
        EXECUTE format('DROP POLICY IF EXISTS sv_clerk_remove ON %I', t);
        EXECUTE format('DROP POLICY IF EXISTS sv_admin_all ON %I', t);
        EXECUTE format('CREATE POLICY sv_clerk_add ON %I FOR INSERT TO sovrel_clerk WITH CHECK (true)', t);
        EXECUTE format('CREATE POLICY sv_clerk_change ON %I FOR UPDATE TO sovrel_clerk USING (true) WITH CHECK (true)', t);
        EXECUTE format('CREATE POLICY sv_clerk_remove ON %I FOR DELETE TO sovrel_clerk USING (true)', t);
        EXECUTE format('CREATE POLICY sv_admin_all ON %I TO sovrel_admin USING (true) WITH CHECK (true)', t);
        EXECUTE format('DROP TRIGGER IF EXISTS sv_own_rows ON %I', t);
        EXECUTE format('CREATE TRIGGER sv_own_rows BEFORE INSERT OR UPDATE OR DELETE ON %I '
                       'FOR EACH ROW EXECUTE FUNCTION sv_own_rows()', t);
    END LOOP;
END $$;
CREATE POLICY sv_clerk_read ON ua_setting FOR SELECT TO sovrel_clerk
    USING (cuser_id = (SELECT sv_session_user()) OR (cuser_id = '*' AND NOT sv_is_secret_setting(cuser_id, csection, ckey)));
CREATE POLICY sv_clerk_read ON ua_columnset FOR SELECT TO sovrel_clerk USING (true);
CREATE POLICY sv_clerk_read ON ua_printstyle FOR SELECT TO sovrel_clerk USING (true);
