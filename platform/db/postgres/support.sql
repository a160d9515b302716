-- What every database created through the layer holds: the collation, types and functions that
-- translated T-SQL statements and the schema files use. Runs once, right after CREATE DATABASE.

-- An account's Chinese collation compares text without regard to case (and width, for CJK) and
-- sorts Chinese in pinyin order, after Latin.
CREATE COLLATION tsql_ci (provider = icu, locale = 'zh-u-kr-latn-hani-ks-level2', deterministic = false);

-- SQL Server types PostgreSQL lacks or names otherwise. The layer reads a column's domain to
-- report SQL Server's type code; ts_ names stand for types whose SQL Server names PostgreSQL
-- already uses for something else.
CREATE DOMAIN tinyint AS smallint CHECK (VALUE BETWEEN 0 AND 255);
CREATE DOMAIN ts_bit AS smallint CHECK (VALUE IN (0, 1));
CREATE DOMAIN ts_money AS numeric(19,4);
CREATE DOMAIN smallmoney AS numeric(10,4);
CREATE DOMAIN datetime AS timestamp(3);
CREATE DOMAIN smalldatetime AS timestamp(0);
CREATE DOMAIN ntext AS text COLLATE tsql_ci;
CREATE DOMAIN ts_rowversion AS bigint;

-- The spelling of the tables and columns a schema script declared (the server folds unquoted
-- names to lower case); the layer gives result fields these names back.
CREATE TABLE sv_names (folded varchar(128) PRIMARY KEY, name varchar(128) NOT NULL);

-- Row versions: one counter per database, as SQL Server's rowversion; a trigger on each table
-- with a tkts column takes the next value on every insert and update.
CREATE SEQUENCE sv_rowversion;
CREATE FUNCTION sv_tkts() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    IF TG_OP = 'UPDATE' AND NEW.tkts IS DISTINCT FROM OLD.tkts THEN
        RAISE EXCEPTION 'Cannot update a timestamp column: tkts of % is set by the database.', TG_TABLE_NAME
            USING ERRCODE = '42809';
    END IF;
    NEW.tkts := nextval('sv_rowversion');
    RETURN NEW;
END $$;

-- T-SQL's + where the text does not show the operand types: the overload PostgreSQL picks
-- for the actual types joins texts, adds numbers, or adds days to a date.
CREATE FUNCTION sv_add(text, text) RETURNS text LANGUAGE sql IMMUTABLE AS 'SELECT $1 || $2';
CREATE FUNCTION sv_add(numeric, numeric) RETURNS numeric LANGUAGE sql IMMUTABLE AS 'SELECT $1 + $2';
-- int + int stays int, as on the server (a recursive WITH needs the same type in both parts).
CREATE FUNCTION sv_add(integer, integer) RETURNS integer LANGUAGE sql IMMUTABLE AS 'SELECT $1 + $2';
CREATE FUNCTION sv_add(text, numeric) RETURNS numeric LANGUAGE sql IMMUTABLE AS 'SELECT $1::numeric + $2';
CREATE FUNCTION sv_add(numeric, text) RETURNS numeric LANGUAGE sql IMMUTABLE AS 'SELECT $1 + $2::numeric';
CREATE FUNCTION sv_add(timestamp, numeric) RETURNS timestamp LANGUAGE sql IMMUTABLE
    AS 'SELECT $1 + $2 * interval ''1 day''';

-- Substring searches under a nondeterministic collation are refused; these search the
-- lower-cased texts under the byte order instead.
CREATE FUNCTION sv_charindex(needle text, haystack text, start integer DEFAULT 1) RETURNS integer
LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE WHEN needle IS NULL OR haystack IS NULL THEN NULL
                WHEN strpos(lower(substring(haystack from greatest(start, 1))) COLLATE "C",
                            lower(needle) COLLATE "C") = 0 THEN 0
                ELSE strpos(lower(substring(haystack from greatest(start, 1))) COLLATE "C",
                            lower(needle) COLLATE "C") + greatest(start, 1) - 1 END
$$;

CREATE FUNCTION sv_replace(s text, f text, r text) RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$
    SELECT CASE WHEN f = '' COLLATE "C" THEN s
                ELSE regexp_replace(s COLLATE "und-x-icu",
                                    regexp_replace(f COLLATE "C", '([.^$*+?()\[\]{}|\\-])', '\\\1', 'g')
                                        COLLATE "und-x-icu",
                                    replace(r COLLATE "C", '\', '\\') COLLATE "und-x-icu", 'gi') END
$$;

CREATE FUNCTION sv_datalength(text) RETURNS integer LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT 2 * length($1)';

CREATE FUNCTION sv_isnumeric(text) RETURNS integer LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE WHEN $1 COLLATE "C" ~ '^\s*[-+]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][-+]?[0-9]+)?\s*$' THEN 1 ELSE 0 END
$$;

CREATE FUNCTION sv_round(numeric, integer, integer DEFAULT 0) RETURNS numeric LANGUAGE sql IMMUTABLE AS
    'SELECT CASE WHEN coalesce($3, 0) <> 0 THEN trunc($1, $2) ELSE round($1, $2) END';
CREATE FUNCTION sv_round(double precision, integer, integer DEFAULT 0) RETURNS double precision
    LANGUAGE sql IMMUTABLE AS 'SELECT sv_round($1::numeric, $2, $3)::double precision';

CREATE FUNCTION sv_bit(numeric) RETURNS smallint LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT CASE WHEN $1 <> 0 THEN 1 ELSE 0 END::smallint';
CREATE FUNCTION sv_bit(boolean) RETURNS smallint LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT CASE WHEN $1 THEN 1 ELSE 0 END::smallint';
CREATE FUNCTION sv_bit(text) RETURNS smallint LANGUAGE sql IMMUTABLE STRICT AS $$
    SELECT CASE WHEN lower(trim($1)) COLLATE "C" IN ('true', '1', '-1') THEN 1
                WHEN lower(trim($1)) COLLATE "C" IN ('false', '0') THEN 0
                ELSE sv_bit(trim($1)::numeric) END::smallint
$$;

-- Date parts by SQL Server's names: weeks start on Sunday, and the first week holds 1 January.
CREATE FUNCTION sv_datepart(part text, d timestamp) RETURNS integer LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE part
        WHEN 'year' THEN extract(year FROM d)
        WHEN 'quarter' THEN extract(quarter FROM d)
        WHEN 'month' THEN extract(month FROM d)
        WHEN 'dayofyear' THEN extract(doy FROM d)
        WHEN 'day' THEN extract(day FROM d)
        WHEN 'week' THEN (extract(doy FROM d) + extract(dow FROM date_trunc('year', d)) - 1) / 7 + 1
        WHEN 'weekday' THEN extract(dow FROM d) + 1
        WHEN 'hour' THEN extract(hour FROM d)
        WHEN 'minute' THEN extract(minute FROM d)
        WHEN 'second' THEN floor(extract(second FROM d))
    END::integer
$$;

CREATE FUNCTION sv_dateadd(part text, n numeric, d timestamp) RETURNS timestamp LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE
    k bigint;
    r timestamp;
BEGIN
    IF n IS NULL OR d IS NULL THEN RETURN NULL; END IF;
    -- The number is an int and the result a datetime, with the server's messages past either.
    IF trunc(n) < -2147483648 OR trunc(n) > 2147483647 THEN
        RAISE EXCEPTION 'Arithmetic overflow error converting expression to data type int.' USING ERRCODE = '22003';
    END IF;
    k := trunc(n);
    BEGIN
        r := CASE part
            WHEN 'year' THEN d + make_interval(months => (12 * k)::integer)
            WHEN 'quarter' THEN d + make_interval(months => (3 * k)::integer)
            WHEN 'month' THEN d + make_interval(months => k::integer)
            WHEN 'week' THEN d + make_interval(days => (7 * k)::integer)
            WHEN 'hour' THEN d + make_interval(hours => k::integer)
            WHEN 'minute' THEN d + make_interval(mins => k::integer)
            WHEN 'second' THEN d + make_interval(secs => k)
            ELSE d + make_interval(days => k::integer)
        END;
    EXCEPTION WHEN numeric_value_out_of_range OR datetime_field_overflow THEN
        r := NULL;
    END;
    IF r IS NULL OR r < timestamp '1753-01-01' OR r >= timestamp '10000-01-01' THEN
        RAISE EXCEPTION 'Adding a value to a ''datetime'' column caused an overflow.' USING ERRCODE = '22008';
    END IF;
    RETURN r;
END $$;

-- Boundaries crossed between two dates, as SQL Server counts them.
CREATE FUNCTION sv_datediff(part text, a timestamp, b timestamp) RETURNS integer LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE part
        WHEN 'year' THEN extract(year FROM b) - extract(year FROM a)
        WHEN 'quarter' THEN (extract(year FROM b) * 4 + extract(quarter FROM b))
                          - (extract(year FROM a) * 4 + extract(quarter FROM a))
        WHEN 'month' THEN (extract(year FROM b) * 12 + extract(month FROM b))
                        - (extract(year FROM a) * 12 + extract(month FROM a))
        WHEN 'week' THEN ((b::date - extract(dow FROM b)::integer) - (a::date - extract(dow FROM a)::integer)) / 7
        WHEN 'hour' THEN (extract(epoch FROM date_trunc('hour', b)) - extract(epoch FROM date_trunc('hour', a))) / 3600
        WHEN 'minute' THEN (extract(epoch FROM date_trunc('minute', b)) - extract(epoch FROM date_trunc('minute', a))) / 60
        WHEN 'second' THEN extract(epoch FROM date_trunc('second', b)) - extract(epoch FROM date_trunc('second', a))
        ELSE b::date - a::date
    END::integer
$$;

-- CONVERT / CAST to a text type: t the T-SQL type ('char', 'varchar(30)' ...), v the value's
-- text, kind what the value was (n number, m money, d date, b flag, t text), style as T-SQL's.
CREATE FUNCTION sv_convert_text(t text, v text, kind text, style integer) RETURNS text
LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE
    base text := lower(split_part(t, '(', 1));
    len integer := CASE WHEN t LIKE '%(max)' THEN NULL
                        WHEN position('(' IN t) > 0 THEN split_part(split_part(t, '(', 2), ')', 1)::integer
                        WHEN base IN ('char', 'varchar', 'nchar', 'nvarchar') THEN 30 END;
    d timestamp;
    r text;
BEGIN
    IF v IS NULL THEN RETURN NULL; END IF;
    IF kind = 'm' THEN
        r := CASE coalesce(style, 0)
                 WHEN 1 THEN to_char(round(v::numeric, 2), 'FM999,999,999,999,990.00')
                 WHEN 2 THEN to_char(round(v::numeric, 4), 'FM999999999999990.0000')
                 WHEN 126 THEN to_char(round(v::numeric, 4), 'FM999999999999990.0000')
                 ELSE to_char(round(v::numeric, 2), 'FM999999999999990.00') END;
    ELSIF kind = 'd' THEN
        d := v::timestamp;
        r := CASE coalesce(style, 0)
                 WHEN 120 THEN to_char(d, 'YYYY-MM-DD HH24:MI:SS')
                 WHEN 20 THEN to_char(d, 'YYYY-MM-DD HH24:MI:SS')
                 WHEN 121 THEN to_char(d, 'YYYY-MM-DD HH24:MI:SS.MS')
                 WHEN 23 THEN to_char(d, 'YYYY-MM-DD')
                 WHEN 112 THEN to_char(d, 'YYYYMMDD')
                 WHEN 111 THEN to_char(d, 'YYYY/MM/DD')
                 WHEN 102 THEN to_char(d, 'YYYY.MM.DD')
                 WHEN 101 THEN to_char(d, 'MM/DD/YYYY')
                 WHEN 103 THEN to_char(d, 'DD/MM/YYYY')
                 WHEN 108 THEN to_char(d, 'HH24:MI:SS')
                 ELSE to_char(d, 'Mon') || ' ' || lpad(to_char(d, 'FMDD'), 2) || ' ' || to_char(d, 'YYYY')
                      || ' ' || lpad(to_char(d, 'FMHH12:MI'), 5) || to_char(d, 'AM') END;
    ELSIF kind = 'b' THEN
        r := CASE WHEN v IN ('true', 't', '1') THEN '1' ELSE '0' END;
    ELSE
        r := v;
    END IF;
    IF len IS NOT NULL THEN
        r := left(r, len);
        IF base IN ('char', 'nchar') THEN r := rpad(r, len); END IF;
    END IF;
    RETURN r;
END $$;

CREATE FUNCTION sv_convert(t text, v text, style integer DEFAULT NULL, src text DEFAULT NULL) RETURNS text
    LANGUAGE sql IMMUTABLE AS 'SELECT sv_convert_text(t, v, ''t'', style)';
CREATE FUNCTION sv_convert(t text, v numeric, style integer DEFAULT NULL, src text DEFAULT NULL) RETURNS text
    LANGUAGE sql IMMUTABLE
    AS 'SELECT sv_convert_text(t, v::text, CASE WHEN src = ''money'' THEN ''m'' ELSE ''n'' END, style)';
CREATE FUNCTION sv_convert(t text, v double precision, style integer DEFAULT NULL, src text DEFAULT NULL)
    RETURNS text LANGUAGE sql IMMUTABLE AS 'SELECT sv_convert_text(t, v::text, ''n'', style)';
CREATE FUNCTION sv_convert(t text, v timestamp, style integer DEFAULT NULL, src text DEFAULT NULL) RETURNS text
    LANGUAGE sql IMMUTABLE AS 'SELECT sv_convert_text(t, v::text, ''d'', style)';
CREATE FUNCTION sv_convert(t text, v boolean, style integer DEFAULT NULL, src text DEFAULT NULL) RETURNS text
    LANGUAGE sql IMMUTABLE AS 'SELECT sv_convert_text(t, v::text, ''b'', style)';

-- CONVERT / CAST to money and datetime with the server's range checks and messages; a number
-- converted to a datetime counts days from 1900-01-01.
CREATE FUNCTION sv_money(v numeric) RETURNS numeric LANGUAGE plpgsql IMMUTABLE STRICT AS $$
BEGIN
    IF abs(v) > 922337203685477.5807 THEN
        RAISE EXCEPTION 'Arithmetic overflow error converting expression to data type money.' USING ERRCODE = '22003';
    END IF;
    RETURN round(v, 4);
END $$;
CREATE FUNCTION sv_datetime(v text) RETURNS timestamp(3) LANGUAGE sql IMMUTABLE STRICT AS 'SELECT v::timestamp(3)';
CREATE FUNCTION sv_datetime(v timestamp) RETURNS timestamp(3) LANGUAGE sql IMMUTABLE STRICT AS 'SELECT v::timestamp(3)';
CREATE FUNCTION sv_datetime(v numeric) RETURNS timestamp(3) LANGUAGE plpgsql IMMUTABLE STRICT AS $$
BEGIN
    IF v < -53690 OR v >= 2958464 THEN
        RAISE EXCEPTION 'Arithmetic overflow error converting expression to data type datetime.' USING ERRCODE = '22008';
    END IF;
    RETURN (timestamp '1900-01-01' + v * interval '1 day')::timestamp(3);
END $$;
CREATE FUNCTION sv_datetime(v double precision) RETURNS timestamp(3) LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT sv_datetime(CASE WHEN v > 1e7 THEN 1e7 WHEN v < -1e7 THEN -1e7 ELSE v::numeric END)';

-- The level of a row of a recursive WITH: the statement stops past the limit (0: none).
CREATE FUNCTION sv_recursion_level(level integer, lim integer) RETURNS integer LANGUAGE plpgsql IMMUTABLE AS $$
BEGIN
    IF lim > 0 AND level > lim THEN
        RAISE EXCEPTION 'The statement terminated. The maximum recursion % has been exhausted before statement completion.', lim
            USING ERRCODE = '54001';
    END IF;
    RETURN level;
END $$;

-- REPLICATE and SPACE stop at 8000 bytes as on the server: 8000 characters of single-byte
-- text, 4000 of Unicode text (every column here is Unicode; ASCII only stands for a plain literal).
CREATE FUNCTION sv_replicate(s text, n bigint) RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$
    SELECT CASE WHEN n < 0 THEN NULL WHEN s = '' THEN '' ELSE
        left(repeat(s, least(n, 8000 / length(s) + 1)::integer), least(n * length(s), CASE WHEN s ~ '^[\x01-\x7f]*$' THEN 8000 ELSE 4000 END)::integer) END
$$;
CREATE FUNCTION sv_space(n bigint) RETURNS text LANGUAGE sql IMMUTABLE STRICT
    AS 'SELECT CASE WHEN n < 0 THEN NULL ELSE repeat('' '', least(n, 8000)::integer) END';

-- After an insert that gave identity values itself: the identity of column TG_ARGV[0] goes on
-- after the highest value in the table.
CREATE FUNCTION sv_identity() RETURNS trigger LANGUAGE plpgsql AS $$
DECLARE
    seq text := pg_get_serial_sequence(TG_TABLE_NAME, TG_ARGV[0]);
    wanted bigint;
    coming bigint;
BEGIN
    EXECUTE format('SELECT coalesce(max(%I), 0) + 1 FROM %I', TG_ARGV[0], TG_TABLE_NAME) INTO wanted;
    EXECUTE format('SELECT CASE WHEN is_called THEN last_value + 1 ELSE last_value END FROM %s', seq) INTO coming;
    -- Only ever forward: this statement sees no other session's uncommitted rows, and setting the
    -- sequence back would hand out again an ID one of them holds.
    IF wanted > coming THEN
        PERFORM setval(seq, wanted, false);
    END IF;
    RETURN NULL;
END $$;
