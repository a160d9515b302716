-- Who the connection works for, in every database of the installation: the login function of
-- tksystem signs a token for each login (its user, its vendors, when it ends) with the key of
-- sv_login_key, which every database holds and no role but the owner may read. The clerk's
-- process sets the token as sovrel.token on each connection; a token that does not carry the key's
-- signature, or has ended, stands for nobody. The clerk role is shared by every user, so a name
-- it sends could be anyone's; a signature it cannot make cannot be.
CREATE EXTENSION IF NOT EXISTS pgcrypto;

CREATE TABLE IF NOT EXISTS sv_login_key (key bytea NOT NULL);
REVOKE ALL ON sv_login_key FROM PUBLIC;

-- The user and the vendor list of the connection's token; no row without a valid one.
CREATE OR REPLACE FUNCTION sv_session(OUT user_id text, OUT vendors text) RETURNS SETOF record
LANGUAGE plpgsql STABLE SECURITY DEFINER SET search_path = pg_catalog, public AS $$
DECLARE
    t text := current_setting('sovrel.token', true);
    payload bytea;
    parts text[];
BEGIN
    IF t IS NULL OR t !~ '^[0-9a-f]+\.[0-9a-f]{64}$' THEN RETURN; END IF;
    payload := decode(split_part(t, '.', 1), 'hex');
    IF encode(hmac(payload, (SELECT k.key FROM sv_login_key k LIMIT 1), 'sha256'), 'hex') <> split_part(t, '.', 2) THEN
        RETURN;
    END IF;
    parts := string_to_array(convert_from(payload, 'UTF8'), E'\n');
    IF array_length(parts, 1) <> 4 OR parts[3]::bigint < extract(epoch FROM now()) THEN RETURN; END IF;
    user_id := parts[1];
    vendors := parts[4];
    RETURN NEXT;
END $$;

CREATE OR REPLACE FUNCTION sv_session_user() RETURNS text LANGUAGE sql STABLE
    AS 'SELECT user_id FROM sv_session()';

-- True when the connection's user may see every vendor (no row authority).
CREATE OR REPLACE FUNCTION sv_session_all_vendors() RETURNS boolean LANGUAGE sql STABLE
    AS $$SELECT coalesce((SELECT trim(vendors) = '' FROM sv_session()), false)$$;

-- The iId values of the vendors the connection's user may see; none without a valid token, for
-- "1=2", or for a list that is not one of whole numbers.
CREATE OR REPLACE FUNCTION sv_session_vendor_ids() RETURNS integer[]
LANGUAGE plpgsql STABLE AS $$
DECLARE
    v text := (SELECT vendors FROM sv_session());
BEGIN
    IF v IS NULL OR trim(v) = '' OR trim(v) = '1=2' THEN RETURN '{}'; END IF;
    RETURN string_to_array(regexp_replace(v, '\s', '', 'g'), ',')::integer[];
EXCEPTION WHEN invalid_text_representation OR numeric_value_out_of_range THEN
    RETURN '{}';
END $$;

-- The database itself: reached by its roles only, nothing created in it by others.
DO $$
BEGIN
    EXECUTE format('REVOKE ALL ON DATABASE %I FROM PUBLIC', current_database());
    EXECUTE format('GRANT CONNECT, TEMPORARY ON DATABASE %I TO sovrel_clerk, sovrel_admin', current_database());
END $$;
REVOKE CREATE ON SCHEMA public FROM PUBLIC;
GRANT USAGE ON SCHEMA public TO sovrel_clerk, sovrel_admin;
REVOKE ALL ON ALL TABLES IN SCHEMA public FROM PUBLIC;
REVOKE ALL ON ALL TABLES IN SCHEMA public FROM sovrel_clerk, sovrel_admin;
REVOKE EXECUTE ON FUNCTION sv_session() FROM PUBLIC;
GRANT EXECUTE ON FUNCTION sv_session() TO sovrel_clerk, sovrel_admin;
GRANT SELECT ON sv_names TO sovrel_clerk, sovrel_admin;
GRANT USAGE, SELECT, UPDATE ON ALL SEQUENCES IN SCHEMA public TO sovrel_clerk, sovrel_admin;
